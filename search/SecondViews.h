#pragma once

#include <cstdint>
#include <vector>

// Finds the records of a run of FileList that repeat the device and inode of an earlier record of
// the run: they name no second file (a bind mount, a link made while the scan ran) and are never
// read, so a file cannot be its own duplicate. Keeps its working memory from one run to the next.
class TSecondViews
{
public:
    // One flag per record of FileList[first..last], 1 where the record repeats an earlier one;
    // valid until the next call.
    const std::vector<uint8_t>& Find(int32_t first, int32_t last);

private:
    struct TKey
    {
        uint64_t Inode;
        uint32_t Device;
        int32_t Index;
    };
    std::vector<TKey> m_keys;
    std::vector<uint8_t> m_repeats;
};
