#pragma once

#include "core/FileLists.h"

#include <QString>

#include <cstdint>

class TResultWindow;

// Marks are the Checked bytes of ResultList. No command here ever marks a removed record or a
// reference file, and every command that changes marks ends by repainting the list and showing the
// new figure.

// The row of the last plain click on the check box column or of the last Space toggle: where
// Shift ranges start. -1 when there is none; a search starts with none.
extern int32_t AnchorRow;

// Which file of each group "Leave only ... version in each Dup.Group" keeps unmarked; the value
// is the direction of the time sort that puts that file first.
enum class TKeptVersion : uint8_t
{
    Oldest = 0,
    Newest = 1,
};

// Walks the duplicate groups of ResultList, whose records are contiguous, in order: calls
// visit(first, last) with the first and last record index of each group, and stops early when
// visit returns false.
template <class TVisit> void ForEachGroup(TVisit&& visit)
{
    int32_t first = 0;
    for (int32_t i = 1; first <= ResultCount; ++i) {
        if (i > ResultCount || ResultList[i].Group != ResultList[first].Group) {
            if (!visit(first, i - 1))
                return;
            first = i;
        }
    }
}

struct TSelectionTotals
{
    int32_t Count = 0;
    uint64_t Bytes = 0;
};
// The marked records of ResultList, counted and their sizes summed.
TSelectionTotals SelectionTotals();
// The "Selected:" figure: the count with thousands separators, " / ", the size text of the bytes.
QString SelectionStatsText();
void UpdateSelectionStats(TResultWindow& window);

// The operations on the records alone.
void ClearMarks();
// Marks, group by group, the unmarked copies in the folder `pathIndex`, unless that would leave
// the group without one copy that is neither marked nor removed: then the first record marked in
// that group is unmarked again.
void MarkDuplicatesInFolder(int32_t pathIndex);
// Clears every mark, then marks in each group with at least two files left every file left but
// the oldest or the newest one; a group with reference files keeps its oldest or newest reference
// file instead. Pumps messages once per such group (the time sort).
void KeepOneVersionPerGroup(TKeptVersion kept);

// The handlers of the list and the marking commands; `shift` is whether Shift is held now.
// A plain click on the check box column toggles the row's mark and sets the anchor; a Shift click
// marks every row from the anchor to the clicked row (on that column only) and moves the anchor.
void ResultLeftClickCell(TResultWindow& window, int row, int column, bool shift);
// Shift+Backspace deselects all, Space toggles the selected row, Delete deletes its file. `key`
// is a Qt key code.
void ResultKeyDown(TResultWindow& window, int key, bool shift);
void DeselectAll(TResultWindow& window);
// "Select all duplicates in this folder", the folder of the selected row's file, or of the file
// on `row`.
void SelectAllInFolder(TResultWindow& window);
void SelectAllInFolder(TResultWindow& window, int row);
// "Leave only oldest/newest version in each Dup.Group".
void LeaveOnlyOneVersion(TResultWindow& window, TKeptVersion kept);
