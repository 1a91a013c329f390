#include "FolderHandles.h"

#include <algorithm>
#include <stdexcept>
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
    return key >= 0 && uint64_t(key) < m_handles.size() ? m_handles[size_t(key)].Get() : -1;
}

int TFolderHandleCache::Keep(int64_t key, TUniqueFd folder)
{
    if (key < 0)
        throw std::out_of_range("folder handle key");
    if (m_kept >= m_capacity && Find(key) < 0)
        Release();
    if (uint64_t(key) >= m_handles.size())
        m_handles.resize(size_t(key) + 1);
    TUniqueFd& slot = m_handles[size_t(key)];
    m_kept += slot ? 0 : 1;
    slot = std::move(folder);
    return slot.Get();
}

std::size_t TFolderHandleCache::Release()
{
    const std::size_t count = m_kept;
    for (TUniqueFd& handle : m_handles)
        handle.Reset();
    m_kept = 0;
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
