#pragma once

#include "core/DuplicateTypes.h"

#include <QColor>
#include <QLocale>
#include <QString>

#include <cstdint>

class TResultWindow;
struct TReportRowData;
struct TReportRowPaint;

// The result list as the user sees it: row r shows the ResultList record at the ItemIndex of
// SortList entry r, and bit 0 of the entry's Shade picks the band colour. Everything here works
// on the search globals.

inline constexpr QColor BandColor{0xC0, 0xDC, 0xC0};
inline constexpr QColor RemovedColor{0xFF, 0x00, 0x00};

// The columns, as header and cell clicks report them.
enum TResultColumn : int
{
    ColumnName = 0,
    ColumnPath = 1,
    ColumnGroup = 2,
    ColumnSize = 3,
    ColumnModified = 4,
};

// The record row `row` shows, or nullptr when there is no such row.
TFileInfoType* RecordAtRow(int row);
// The first row that shows the record at `itemIndex`, -1 when none does.
int RowOfRecord(int32_t itemIndex);

// Cell texts: the size as plain digits; the modified time as short date, a space and long time
// (no time at exactly midnight), empty for a packed value that is no valid date.
QString SizeCellText(uint64_t size);
QString ModifiedCellText(int32_t packedTime, const QLocale& locale);

// What the list shows and how it paints row `row`; a row that does not exist is left as given.
void ResultRowData(int row, TReportRowData& data);
void ResultRowPaint(int row, TReportRowPaint& paint);

// Rebuilds SortList for a column and a direction (0 ascending, 1 descending). Name, path and
// modified sort ResultList order with SortOrder and number the bands afresh; group and size give
// ResultList order or its reverse, banded by group. Other columns or directions change nothing.
void SortByColumn(int column, uint8_t direction);
void SortByName(uint8_t direction);
void SortByFolder(uint8_t direction);
void SortByDate(uint8_t direction);
// Gives each run of neighbouring rows of one group one band number, counting from 1; expects
// every Shade to hold its record's Group.
void RenumberBands();

// A click on a header, after the list has updated its sort state: sorts by the column in the
// list's direction, and the selection stays on the record it was on.
void ResultColumnClick(TResultWindow& window, int column);
