#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace plat {

// While one of these is alive, file readers open their files relative to a handle of the file's
// folder instead of by full path. A comparison opens hundreds of thousands of files in a few
// thousand folders, in size order: resolving every component of every full path again was a
// sixth of its time. Only the thread that creates the cache uses it; one cache at a time.
class TFolderHandleCache
{
public:
    // Holds at most `capacity` folder handles; 0 chooses from the process's open-file limit.
    explicit TFolderHandleCache(std::size_t capacity = 0);
    TFolderHandleCache(const TFolderHandleCache&) = delete;
    TFolderHandleCache& operator=(const TFolderHandleCache&) = delete;
    ~TFolderHandleCache();

    // The active cache of this thread, or nullptr.
    static TFolderHandleCache* Active();

    // A handle of `folder` (UTF-8, ending with '/'), opened on first use; -1 when the folder
    // cannot be opened (the caller then opens by full path and gets the real error).
    int Handle(std::string_view folder);

    std::size_t Size() const { return m_handles.size(); }

private:
    struct THash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    void CloseAll();

    std::unordered_map<std::string, int, THash, std::equal_to<>> m_handles;
    std::size_t m_capacity;
    TFolderHandleCache* m_previous;
};

// Lets this process keep as many files open as its hard limit allows (the soft limit is often
// 1,024). Called once at start-up by programs that search.
void RaiseOpenFileLimit();

} // namespace plat
