#pragma once

#include "search/SecondViews.h"

#include <cstdint>
#include <vector>

// The records of FileList whose first block the comparison will ask for, in its order: every
// record of a run of two or more files of one size above 0, except the records that repeat the
// identity of an earlier one of their run (the comparison never reads those).
class TReadPlan
{
public:
    // The next record to read; false when the list has no more.
    bool Peek(int32_t& index);
    void Advance();
    // Goes on from `index`, which is read first whatever its run says.
    void RestartAt(int32_t index);

private:
    void EnterRunAt(int32_t index);
    void Settle();

    int32_t m_next = 0, m_first = 0, m_last = -1; // the run of m_next: m_first..m_last
    bool m_read = false;                          // the run is read at all
    bool m_forced = false;
    const std::vector<uint8_t>* m_repeats = nullptr;
    TSecondViews m_views;
};
