#include "Selection.h"

#include "core/ReferenceFiles.h"
#include "core/SortProcedures.h"
#include "platform/LocaleText.h"
#include "results/ResultView.h"
#include "results/ResultWindow.h"

#include <Qt>

#include <algorithm>

int32_t AnchorRow = -1;

namespace {

// Removed files and reference files are never marked.
bool Markable(const TFileInfoType& record)
{
    return record.Removed == 0 && !IsReferenceFile(record);
}

void ShowMarks(TResultWindow& window)
{
    window.RepaintRows();
    UpdateSelectionStats(window);
}

} // namespace

TSelectionTotals SelectionTotals()
{
    TSelectionTotals totals;
    const TFileInfoType* records = ResultList.Data();
    for (int32_t i = 0; i <= ResultCount; ++i) {
        const bool marked = records[i].Checked != 0;
        totals.Count += marked;
        totals.Bytes += marked ? records[i].Size : 0;
    }
    return totals;
}

QString SelectionStatsText()
{
    const TSelectionTotals totals = SelectionTotals();
    return plat::FormatCount(totals.Count, LocaleFormat) + QStringLiteral(" / ") +
           SizeText(int64_t(totals.Bytes));
}

void UpdateSelectionStats(TResultWindow& window)
{
    window.SetSelectedText(SelectionStatsText());
}

void ClearMarks()
{
    for (int32_t i = 0; i <= ResultCount; ++i)
        ResultList[i].Checked = 0;
}

void MarkDuplicatesInFolder(int32_t pathIndex)
{
    ForEachGroup([pathIndex](int32_t first, int32_t last) {
        int32_t firstMarked = -1;
        for (int32_t k = first; k <= last; ++k) {
            TFileInfoType& record = ResultList[k];
            if (record.PathIndex == pathIndex && record.Checked == 0 && Markable(record)) {
                record.Checked = 1;
                if (firstMarked < 0)
                    firstMarked = k;
            }
        }
        if (firstMarked < 0)
            return true;
        // A removed copy is gone from the disk: it cannot be the copy the group keeps.
        bool keepsACopy = false;
        for (int32_t k = first; k <= last && !keepsACopy; ++k)
            keepsACopy = ResultList[k].Checked == 0 && ResultList[k].Removed == 0;
        if (!keepsACopy)
            ResultList[firstMarked].Checked = 0;
        return true;
    });
}

void KeepOneVersionPerGroup(TKeptVersion kept)
{
    TSortList members; // one group's records, sorted by time
    ForEachGroup([&](int32_t first, int32_t last) {
        members.clear();
        int32_t removed = 0;
        for (int32_t k = first; k <= last; ++k) {
            TFileInfoType& record = ResultList[k];
            members.push_back({k, record.Group});
            removed += record.Removed != 0;
            record.Checked = 0;
        }
        const auto count = int32_t(members.size());
        if (count - removed < 2)
            return true;
        SortOrder(ResultList, members, EmptyFolderList(), 0, count - 1, CompareTime, uint8_t(kept));
        // Removed is read again: a file may have been deleted while the sort let messages through.
        // The group keeps its first file left, or its first reference file when it has one.
        int32_t keptIndex = -1;
        for (const TSortEntry& member : members) {
            const TFileInfoType& record = ResultList[member.ItemIndex];
            if (record.Removed != 0)
                continue;
            const bool reference = IsReferenceFile(record);
            if (keptIndex < 0 || reference)
                keptIndex = member.ItemIndex;
            if (reference)
                break;
        }
        for (const TSortEntry& member : members)
            if (member.ItemIndex != keptIndex && Markable(ResultList[member.ItemIndex]))
                ResultList[member.ItemIndex].Checked = 1;
        return true;
    });
}

void ResultLeftClickCell(TResultWindow& window, int row, int column, bool shift)
{
    if (ResultCount == -1)
        return;
    if (!shift) {
        TFileInfoType* record = RecordAtRow(row);
        if (!record || column != ColumnName)
            return;
        AnchorRow = row;
        if (Markable(*record)) {
            record->Checked = record->Checked != 0 ? 0 : 1;
            ShowMarks(window);
        }
        return;
    }
    if (column == ColumnName) {
        // From the anchor to the clicked row, either way round; without an anchor from the top.
        const int first = std::max(std::min(row, AnchorRow), 0);
        const int last = std::min(std::max(row, AnchorRow), ResultCount);
        for (int r = first; r <= last; ++r)
            if (TFileInfoType* record = RecordAtRow(r); record && Markable(*record))
                record->Checked = 1;
    }
    AnchorRow = row;
    ShowMarks(window);
}

void ResultKeyDown(TResultWindow& window, int key, bool shift)
{
    if (ResultCount == -1)
        return;
    if (key == Qt::Key_Backspace) {
        if (shift)
            DeselectAll(window);
        return;
    }
    if (key != Qt::Key_Space && key != Qt::Key_Delete)
        return;
    const int row = window.SelectedRow();
    TFileInfoType* record = RecordAtRow(row);
    if (!record || !Markable(*record))
        return;
    if (key == Qt::Key_Delete) {
        window.DeleteThisFile();
        return;
    }
    record->Checked = record->Checked != 0 ? 0 : 1;
    AnchorRow = row;
    ShowMarks(window);
}

void DeselectAll(TResultWindow& window)
{
    if (ResultCount <= 0)
        return;
    ClearMarks();
    ShowMarks(window);
}

void SelectAllInFolder(TResultWindow& window)
{
    SelectAllInFolder(window, window.SelectedRow());
}

void SelectAllInFolder(TResultWindow& window, int row)
{
    const TFileInfoType* selected = RecordAtRow(row);
    if (!selected || ResultCount <= 1)
        return;
    MarkDuplicatesInFolder(selected->PathIndex);
    ShowMarks(window);
}

void LeaveOnlyOneVersion(TResultWindow& window, TKeptVersion kept)
{
    if (ResultCount <= 1)
        return;
    KeepOneVersionPerGroup(kept);
    ShowMarks(window);
}
