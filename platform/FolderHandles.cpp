#include "FolderHandles.h"

#include <algorithm>
#include <sys/resource.h>

namespace plat {

namespace {

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
        return std::max<std::size_t>(limit.rlim_cur / 4, 1);
    return std::min<std::size_t>(limit.rlim_cur - ReservedHandles, MaxCachedHandles);
}

} // namespace

TFolderHandleCache::TFolderHandleCache(std::size_t capacity)
    : m_capacity(capacity != 0 ? capacity : CapacityFromLimit())
{
}

int TFolderHandleCache::Find(int64_t key) const
{
    const auto it = m_handles.find(key);
    return it != m_handles.end() ? it->second.Get() : -1;
}

int TFolderHandleCache::Keep(int64_t key, TUniqueFd folder)
{
    if (m_handles.size() >= m_capacity && !m_handles.contains(key))
        Release();
    const int fd = folder.Get();
    m_handles.insert_or_assign(key, std::move(folder));
    return fd;
}

std::size_t TFolderHandleCache::Release()
{
    const std::size_t count = m_handles.size();
    m_handles.clear();
    return count;
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
