#pragma once

#include "core/DuplicateTypes.h"

#include <cstdint>
#include <vector>

class TRecordFolders;
class TReadQueue;

// One file of a set that may hold duplicates: all files of a set have the same size.
struct TContentMember
{
    TFileInfoType Record; // the file as the scan saw it
    uint32_t Crc = 0;     // whole-file CRC-32 once read (0 when unreadable)
    uint32_t Class = 0;   // members with equal values hold the same bytes; 0: could not be read whole
    int32_t Index = -1;   // the record's place in FileList, where it has one
};

enum class TReadOutcome
{
    Finished,
    Stopped
};

// Reads the files of a set side by side, block by block, so that each file is read once: every
// member gets its whole-file CRC-32, and the set is split into classes of byte-identical files.
// Each file is reached through `folders`, so a file that is no longer the one the scan saw is
// unreadable. Files are read in batches: twins in different batches are found through their CRC-32
// and a 64-bit hash of their bytes, then confirmed byte for byte (equal checksums alone are no
// proof; the hash, computed for sets larger than one batch, spares comparing files whose CRC-32
// merely collides). New class numbers are taken from `nextClass`. After each round of blocks the
// window is pumped and StopFlag checked; a stop ends the reading at once (the members' results are
// then incomplete). A process out of descriptors reads fewer files at once; when not even one file
// can be opened it throws std::runtime_error rather than call the files unreadable. With `queue`,
// the files of one block come read from it, and each round's blocks are read at once.
TReadOutcome ReadSetSideBySide(std::vector<TContentMember>& members, TRecordFolders& folders,
                               uint32_t& nextClass, TReadQueue* queue = nullptr);
