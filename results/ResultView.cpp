#include "ResultView.h"

#include "core/FileLists.h"
#include "core/SortProcedures.h"
#include "platform/DosTime.h"
#include "platform/LocaleText.h"
#include "results/ResultWindow.h"
#include "ui/ReportListModel.h"

#include <algorithm>

namespace {

// SortList gets the length of ResultList and shows it in its own order, banded by group; with
// `reversed` the last record comes first.
void FillInResultOrder(bool reversed)
{
    SortList.assign(size_t(std::max(ResultCapacity, ResultCount + 1)), TSortEntry{});
    for (int32_t i = 0; i <= ResultCount; ++i)
        SortList[size_t(reversed ? ResultCount - i : i)] = {i, ResultList[i].Group};
}

void SortByKey(TCompareFunc compare, const TStringArr& folders, uint8_t direction)
{
    FillInResultOrder(false);
    if (direction == 0 || direction == 1)
        SortOrder(ResultList, SortList, folders, 0, ResultCount, compare, direction);
    RenumberBands();
}

} // namespace

TFileInfoType* RecordAtRow(int row)
{
    if (row < 0 || row > ResultCount || size_t(row) >= SortList.size())
        return nullptr;
    const int32_t item = SortList[size_t(row)].ItemIndex;
    if (item < 0 || item > ResultCount)
        return nullptr;
    return &ResultList[item];
}

int RowOfRecord(int32_t itemIndex)
{
    const size_t rows = std::min(SortList.size(), size_t(std::max(ResultCount + 1, 0)));
    for (size_t r = 0; r < rows; ++r)
        if (SortList[r].ItemIndex == itemIndex)
            return int(r);
    return -1;
}

QString SizeCellText(uint64_t size)
{
    return QString::number(size);
}

QString ModifiedCellText(int32_t packedTime, const QLocale& locale)
{
    return plat::FormatDateTime(plat::DosDateTimeToDateTime(packedTime), locale);
}

void ResultRowData(int row, TReportRowData& data)
{
    const TFileInfoType* record = RecordAtRow(row);
    if (!record)
        return;
    data.Checked = record->Checked != 0;
    data.Caption = NameOf(*record);
    const bool knownFolder = record->PathIndex >= 0 && record->PathIndex < PathList.Used();
    data.SubItems = {knownFolder ? PathList[record->PathIndex] : QString(), QString::number(record->Group),
                     SizeCellText(record->Size), ModifiedCellText(record->Time, LocaleFormat)};
}

void ResultRowPaint(int row, TReportRowPaint& paint)
{
    const TFileInfoType* record = RecordAtRow(row);
    if (!record)
        return;
    paint.Brush = (SortList[size_t(row)].Shade & 1) != 0 ? BandColor : QColor(Qt::white);
    if (record->Removed != 0) {
        paint.FontColor = RemovedColor;
        paint.Font.setBold(false);
        paint.Font.setItalic(false);
        paint.Font.setUnderline(false);
        paint.Font.setStrikeOut(true);
    }
}

void SortByColumn(int column, uint8_t direction)
{
    switch (column) {
    case ColumnName:
        SortByName(direction);
        break;
    case ColumnPath:
        SortByFolder(direction);
        break;
    case ColumnModified:
        SortByDate(direction);
        break;
    case ColumnGroup:
    case ColumnSize:
        // ResultList holds the groups in ascending number and, with them, the sizes largest first.
        if (direction == 0 || direction == 1)
            FillInResultOrder((direction == 1) == (column == ColumnGroup));
        break;
    default:
        break;
    }
}

void SortByName(uint8_t direction)
{
    SortByKey(CompareName, EmptyFolderList(), direction);
}

void SortByFolder(uint8_t direction)
{
    SortByKey(CompareFolder, PathList, direction);
}

void SortByDate(uint8_t direction)
{
    SortByKey(CompareTime, EmptyFolderList(), direction);
}

void RenumberBands()
{
    const size_t rows = std::min(SortList.size(), size_t(std::max(ResultCount + 1, 0)));
    int32_t group = 0;
    int32_t band = 0;
    for (size_t r = 0; r < rows; ++r) {
        TSortEntry& entry = SortList[r];
        if (r == 0 || entry.Shade != group) {
            ++band;
            group = entry.Shade;
        }
        entry.Shade = band;
    }
}

void ResultColumnClick(TResultWindow& window, int column)
{
    if (ResultCount == -1)
        return;
    const int selectedRow = window.SelectedRow();
    const int32_t selectedItem = RecordAtRow(selectedRow) ? SortList[size_t(selectedRow)].ItemIndex : -1;
    {
        const TRowUpdate update(window);
        SortByColumn(column, window.SortDirection());
        window.SetRowCount(ResultCount + 1);
    }
    if (const int row = selectedItem >= 0 ? RowOfRecord(selectedItem) : -1; row >= 0)
        window.SelectAndFocusRow(row);
}
