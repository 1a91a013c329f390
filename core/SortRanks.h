#pragma once

#include "core/DuplicateTypes.h"
#include "core/SortProcedures.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The order sorts by name, folder and time compare ranks instead of records. Keys that the
// comparator holds equal share a rank and the ranks follow the comparator's order, so each
// comparison of two ranks has the sign the comparator gives the two records: the passes take
// exactly the same steps and leave exactly the same order, ties included. A column sort then
// costs one collation of each distinct text instead of one per comparison.
struct TRankedEntry
{
    TSortEntry Entry;
    uint32_t Rank;
};

// Whether SortOrder sorts by `compare` through ranks: by name, folder or time.
bool SortsByRank(TCompareFunc compare);

// Order[low..high], each entry with the rank of its record under `compare` (one that SortsByRank).
// The name and folder ranks of the search's results (ResultList with PathList) are made at the
// first sort by that column and kept until ReleaseKeptRanks: every later sort by the column, in
// either direction, sorts integers only.
std::vector<TRankedEntry> RankedEntries(const TFileList& list, const TSortList& order,
                                        const TStringArr& folders, int32_t low, int32_t high,
                                        TCompareFunc compare);

// Drops the kept ranks. ReleaseSearchLists calls it: a search never sees the ranks of another.
void ReleaseKeptRanks();
// What the kept ranks hold: 4 bytes per ResultList record once sorted by name, 4 per PathList
// entry once sorted by folder.
size_t KeptRankBytes();
