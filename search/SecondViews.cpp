#include "SecondViews.h"

#include "core/FileLists.h"

#include <algorithm>

const std::vector<uint8_t>& TSecondViews::Find(int32_t first, int32_t last)
{
    const auto count = size_t(last - first + 1);
    m_repeats.assign(count, 0);
    m_keys.clear();
    for (int32_t k = first; k <= last; ++k)
        m_keys.push_back({FileList[k].Inode, FileList[k].Device, k - first});
    // Equal identities stand together, the earliest record first: the others repeat it.
    std::sort(m_keys.begin(), m_keys.end(), [](const TKey& a, const TKey& b) {
        if (a.Inode != b.Inode)
            return a.Inode < b.Inode;
        return a.Device != b.Device ? a.Device < b.Device : a.Index < b.Index;
    });
    for (size_t n = 1; n < m_keys.size(); ++n)
        if (m_keys[n].Inode == m_keys[n - 1].Inode && m_keys[n].Device == m_keys[n - 1].Device)
            m_repeats[size_t(m_keys[n].Index)] = 1;
    return m_repeats;
}
