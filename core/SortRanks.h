#pragma once

#include "core/DuplicateTypes.h"

#include <cstdint>
#include <vector>

// The order sorts by name and by folder compare ranks instead of texts. Keys that the collator
// holds equal share a rank and the ranks follow the collator's order, so each comparison of two
// ranks has the sign the comparison of the two texts has: the passes take exactly the same steps
// and leave exactly the same order, ties included. A column sort then costs one collation of
// each distinct text instead of one per comparison.
struct TRankedEntry
{
    TSortEntry Entry;
    uint32_t Rank;
};

// The rank of each entry's name: names with the same text are ranked once.
std::vector<TRankedEntry> RankByName(const TFileList& list, const TSortList& order, int32_t low,
                                     int32_t high);
// The rank of each entry's folder.
std::vector<TRankedEntry> RankByFolder(const TFileList& list, const TSortList& order,
                                       const TStringArr& folders, int32_t low, int32_t high);
