#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// One file of a set that may hold duplicates: all files of a set have the same size.
struct TContentMember
{
    QString Path;
    uint32_t Crc = 0;   // whole-file CRC-32 once read (0 when unreadable)
    uint32_t Class = 0; // members with equal values hold the same bytes; 0: could not be read whole
};

enum class TReadOutcome
{
    Finished,
    Stopped
};

// Reads the files of a set side by side, block by block, so that each file is read once: every
// member gets its whole-file CRC-32, and the set is split into classes of byte-identical files
// (equal checksums alone are no proof). New class numbers are taken from `nextClass`.
// After each round of blocks the window is pumped and StopFlag checked; a stop ends the reading
// at once (the members' results are then incomplete).
TReadOutcome ReadSetSideBySide(std::vector<TContentMember>& members, uint32_t& nextClass);
