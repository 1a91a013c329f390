#include "FolderHandles.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace plat {

namespace {

thread_local TFolderHandleCache* t_active = nullptr;

// Handles left for everything else the process opens: the files being read side by side, the
// folders of a scan, the window system's connections.
constexpr rlim_t ReservedHandles = 256;
constexpr std::size_t MaxCachedHandles = 65536;

std::size_t CapacityFromLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return MaxCachedHandles;
    if (limit.rlim_cur <= 2 * ReservedHandles)
        return limit.rlim_cur / 4;
    return std::min<std::size_t>(limit.rlim_cur - ReservedHandles, MaxCachedHandles);
}

} // namespace

TFolderHandleCache::TFolderHandleCache(std::size_t capacity)
    : m_capacity(capacity != 0 ? capacity : CapacityFromLimit()), m_previous(t_active)
{
    t_active = this;
}

TFolderHandleCache::~TFolderHandleCache()
{
    CloseAll();
    t_active = m_previous;
}

TFolderHandleCache* TFolderHandleCache::Active()
{
    return t_active;
}

int TFolderHandleCache::Handle(std::string_view folder)
{
    if (const auto it = m_handles.find(folder); it != m_handles.end())
        return it->second;
    if (m_capacity == 0)
        return -1;
    if (m_handles.size() >= m_capacity)
        CloseAll(); // rare: only trees of more folders than the limit allows come here
    std::string key(folder);
    const int fd = ::open(key.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    // A folder that cannot be opened is not remembered: the next file there tries again.
    if (fd >= 0)
        m_handles.emplace(std::move(key), fd);
    return fd;
}

void TFolderHandleCache::CloseAll()
{
    for (const auto& [folder, fd] : m_handles)
        ::close(fd);
    m_handles.clear();
}

void RaiseOpenFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace plat
