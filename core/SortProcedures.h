#pragma once

#include "core/DuplicateTypes.h"

#include <cstdint>

// Compares two records: negative when A belongs before B, positive when after, 0 for equal keys.
// Every comparator compares ascending and negates its result when `Direction` is 1.
using TCompareFunc = int32_t (*)(const TFileInfoType& A, const TFileInfoType& B, uint8_t Direction,
                                 const TStringArr& Folders);

int32_t CompareTime(const TFileInfoType& A, const TFileInfoType& B, uint8_t Direction,
                    const TStringArr& Folders);
// Compares the folders (entries of `Folders` at PathIndex) with the user's case-insensitive order.
int32_t CompareFolder(const TFileInfoType& A, const TFileInfoType& B, uint8_t Direction,
                      const TStringArr& Folders);
int32_t CompareName(const TFileInfoType& A, const TFileInfoType& B, uint8_t Direction,
                    const TStringArr& Folders);
int32_t CompareSize(const TFileInfoType& A, const TFileInfoType& B, uint8_t Direction,
                    const TStringArr& Folders);
int32_t CompareCrc(const TFileInfoType& A, const TFileInfoType& B, uint8_t Direction,
                   const TStringArr& Folders);

// Sorts List[Low..High] in place: quicksort down to runs of at most 16, one message pump, then
// one insertion pass, which is skipped when a stop was requested during the pump. Not stable:
// the order of equal records follows from these exact steps.
void SortFiles(TFileList& List, int32_t Low, int32_t High, TCompareFunc Compare, uint8_t Direction);

// Sorts the entries Order[Low..High] by the records of List they point to; entries move as
// wholes, records never move. The insertion pass always runs. Sorts of ResultList by name or
// folder keep their ranks for the next (core/SortRanks.h).
void SortOrder(const TFileList& List, TSortList& Order, const TStringArr& Folders, int32_t Low, int32_t High,
               TCompareFunc Compare, uint8_t Direction);

// The two passes. The insertion passes need the quicksort pass over the same range first: they
// rely on the smallest element lying among the first 16 positions.
void QuickSortFiles(TFileList& List, int32_t Low, int32_t High, TCompareFunc Compare, uint8_t Direction);
void InsertionSortFiles(TFileList& List, int32_t Low, int32_t High, TCompareFunc Compare, uint8_t Direction);
void QuickSortOrder(const TFileList& List, TSortList& Order, const TStringArr& Folders, int32_t Low,
                    int32_t High, TCompareFunc Compare, uint8_t Direction);
void InsertionSortOrder(const TFileList& List, TSortList& Order, const TStringArr& Folders, int32_t Low,
                        int32_t High, TCompareFunc Compare, uint8_t Direction);
