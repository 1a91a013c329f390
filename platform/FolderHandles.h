#pragma once

#include "platform/UniqueFd.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace plat {

// Folder handles kept open while many files are opened relative to them. A comparison opens
// hundreds of thousands of files in a few thousand folders, in size order: reaching every folder
// again for every file was a sixth of its time. The caller decides what a key stands for (keys are
// small numbers from 0: they index a table) and checks a handle before it keeps it.
class TFolderHandleCache
{
public:
    // Holds at most `capacity` handles; 0 chooses from the process's open-file limit.
    explicit TFolderHandleCache(std::size_t capacity = 0);
    TFolderHandleCache(const TFolderHandleCache&) = delete;
    TFolderHandleCache& operator=(const TFolderHandleCache&) = delete;

    // The handle kept under `key`, or -1.
    int Find(int64_t key) const;
    // Keeps `folder` under `key` and returns its descriptor. When the cache is full, every handle
    // kept so far is closed first (rare: only trees of more folders than the limit allows).
    int Keep(int64_t key, TUniqueFd folder);
    // Closes every handle kept and returns how many there were: a process that runs out of
    // descriptors gives these back first.
    std::size_t Release();

    std::size_t Size() const { return m_kept; }
    std::size_t Capacity() const { return m_capacity; }

private:
    std::vector<TUniqueFd> m_handles; // by key
    std::size_t m_kept = 0;
    std::size_t m_capacity;
};

// Lets this process keep as many files open as its hard limit allows (the soft limit is often
// 1,024). Called once at start-up by programs that search.
void RaiseOpenFileLimit();

} // namespace plat
