#pragma once

#include "search/SearchDisplay.h"

// Turns FileList (sorted by size, largest first) into ResultList: every file that has a twin of
// the same size and the same bytes, in numbered groups, the first file of a group its original.
// Runs of equal size are read only when they hold two files or more: files above one block are
// first compared by the checksum of their first block, candidates are then read whole (side by
// side, so the bytes are compared too). Every file is reached through its checked folder without
// following a link below its search folder, and must still be the file the scan saw; two records
// of one file (device and inode) count as one. Files that cannot be read, or are no longer the
// ones the scan saw, are never duplicates. Keeps the statistics and the progress current;
// returns early, leaving its work where it was, when a stop is requested. ResultList must be
// reserved and empty. Throws std::runtime_error when the process has no descriptor left to open
// even one file.
void CompareFiles(TSearchDisplay& Display);
