#include "results/ResultView.h"
#include "tests/results/ResultFixture.h"
#include "tests/support/PumpScript.h"
#include "tests/support/SearchResults.h"
#include "ui/ReportListModel.h"

#include <QFile>

namespace {

using Ints = std::vector<int32_t>;
using ResultRows = TResultFixture;

TEST_F(ResultRows, RowsShowTheirRecordsBandedWithRemovedFilesStruckOut)
{
    ResultList[1].Checked = ResultList[4].Removed = 1;
    TReportRowData first, second, none;
    ResultRowData(0, first);
    ResultRowData(1, second);
    ResultRowData(7, none);
    EXPECT_EQ(QStringList(first.Caption) + first.SubItems,
              QStringList({"Report.pdf", "/data/a/", "1", "3000", "3/15/24 2:05:06 PM"}));
    EXPECT_EQ(second.SubItems.last(), "1/2/23"); // midnight: no time
    EXPECT_TRUE(second.Checked && !first.Checked && none.Caption.isEmpty());
    EXPECT_EQ(SizeCellText(5'000'000'000u), "5000000000");
    EXPECT_EQ(ModifiedCellText(PackedTime(2024, 0, 1, 10, 0, 0), LocaleFormat), ""); // no month

    // As a search leaves them: the groups' numbers are the bands, the first group coloured.
    const QColor bands[] = {BandColor, BandColor, BandColor, Qt::white,
                            Qt::white, BandColor, BandColor, Qt::gray};
    for (int row = 0; row < 8; ++row) {
        TReportRowPaint paint{Qt::gray, Qt::black, QFont()};
        paint.Font.setBold(true);
        ResultRowPaint(row, paint);
        EXPECT_EQ(paint.Brush, bands[row]) << row;
        EXPECT_EQ(paint.FontColor, row == 4 ? RemovedColor : QColor(Qt::black)) << row;
        EXPECT_EQ(paint.Font.strikeOut(), row == 4);
        EXPECT_EQ(paint.Font.bold(), row != 4); // struck out only
    }
}

TEST_F(ResultRows, ColumnClicksSortBandAndKeepTheSelectionOnItsRecord)
{
    const Ints reversed{6, 5, 4, 3, 2, 1, 0}, byName{4, 3, 2, 6, 1, 0, 5}, nameBands{1, 1, 2, 3, 4, 4, 5};
    const struct
    {
        int column;
        uint8_t direction;
        Ints rows, bands;
    } clicks[] = {
        {ColumnGroup, 1, reversed, {3, 3, 2, 2, 1, 1, 1}}, // banded by group number
        {ColumnSize, 1, {0, 1, 2, 3, 4, 5, 6}, {1, 1, 1, 2, 2, 3, 3}},
        {ColumnSize, 0, reversed, {3, 3, 2, 2, 1, 1, 1}}, // smallest first
        {ColumnName, 0, byName, nameBands},               // group 1 in two bands
        {ColumnGroup, 2, byName, nameBands},              // no such direction: no change
        {5, 0, byName, nameBands},                        // no such column: no change
        {ColumnName, 1, {5, 0, 1, 6, 2, 3, 4}, {1, 2, 2, 3, 4, 5, 5}},
        {ColumnPath, 0, {0, 4, 5, 6, 2, 1, 3}, {1, 2, 3, 3, 4, 4, 5}},
        {ColumnModified, 0, {5, 6, 4, 3, 1, 2, 0}, {1, 1, 2, 2, 3, 3, 3}},
    };
    window.Selected = 4; // alpha.txt
    for (const auto& click : clicks) {
        window.Direction = click.direction;
        ResultColumnClick(window, click.column);
        EXPECT_EQ(Rows(), click.rows) << click.column;
        EXPECT_EQ(Rows(&TSortEntry::Shade), click.bands) << click.column;
    }
    window.Selected = -1;
    ResultColumnClick(window, ColumnName);
    EXPECT_EQ(window.Focused, std::vector<int>({2, 4, 2, 0, 0, 0, 6, 1, 2})); // none after none
    EXPECT_EQ(window.Rows, 7); // set while the list was not painting
    EXPECT_EQ(window.Depth, 0);
}

TEST_F(ResultRows, ANewSearchSortsByItsOwnNames)
{
    // Two searches with as many results; the second's names lie the other way round.
    for (const QStringList& names : {QStringList{"a", "b", "c", "d"}, QStringList{"y", "z", "w", "x"}}) {
        for (int f = 0; f < 4; ++f)
            tree.PatternFile(names[f], f < 2 ? 200 : 100, f < 2 ? 1 : 2);
        ASSERT_EQ(SearchForResults(settings), 4);
        ResultColumnClick(window, ColumnName);
        QStringList shown;
        for (const int32_t item : Rows())
            shown << NameOf(ResultList[item]);
        QStringList sorted = names;
        sorted.sort();
        EXPECT_EQ(shown, sorted);
        for (const QString& name : names)
            QFile::remove(tree.Path(name));
    }
}

TEST_F(ResultRows, ClicksSpaceAndKeysMarkFromTheAnchorButNeverARemovedFile)
{
    ResultList[5].Removed = 1;
    const struct
    {
        int key, row, column; // a click on the cell when `key` is 0, else the key on row `row`
        bool shift;
        const char* marks;
        int anchor, repaints; // the repaints so far
    } inputs[] = {
        {0, 1, ColumnGroup, false, "0000000", -1, 0}, // not the check box column
        {0, 2, ColumnName, true, "1110000", 2, 1},    // the first Shift click: from the top
        {0, 1, ColumnName, false, "1010000", 1, 2},
        {0, 5, ColumnName, false, "1010000", 5, 2}, // removed: no mark, but the anchor moves
        {0, 3, ColumnName, true, "1011100", 3, 3},  // upwards, past the removed file
        {0, 6, ColumnSize, true, "1011100", 6, 4},  // marks nothing, moves the anchor
        {0, 0, ColumnName, true, "1111101", 0, 5},  // never clears
        {Qt::Key_Space, -1, 0, false, "1111101", 0, 5},
        {Qt::Key_Space, 6, 0, false, "1111100", 6, 6},
        {Qt::Key_Space, 5, 0, false, "1111100", 6, 6}, // removed: Space and Delete do nothing
        {Qt::Key_Delete, 5, 0, false, "1111100", 6, 6},
        {Qt::Key_Delete, 4, 0, false, "1111100", 6, 6},
        {Qt::Key_Backspace, 4, 0, false, "1111100", 6, 6},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(testing::Message() << "key " << input.key << ", row " << input.row);
        window.Selected = input.row;
        if (input.key == 0)
            ResultLeftClickCell(window, input.row, input.column, input.shift);
        else
            ResultKeyDown(window, input.key, input.shift);
        EXPECT_EQ(Marks(), input.marks);
        EXPECT_EQ(AnchorRow, input.anchor);
        EXPECT_EQ(window.Repaints, input.repaints);
        EXPECT_EQ(window.Figures, input.repaints); // each repaint with a new figure
    }
    EXPECT_EQ(window.Deletes, 1);
    EXPECT_EQ(window.Text, "5 / 13 KB");
    ResultList[5].Checked = 1;
    ResultKeyDown(window, Qt::Key_Backspace, true);
    EXPECT_EQ(Marks(), "0000000");
    EXPECT_EQ(window.Text, "0 / 0 B");
}

TEST_F(ResultRows, GuardsWithoutResultsAndTheSelectedFigure)
{
    ResultList[0].Checked = ResultList[1].Checked = 1;
    window.Selected = 0;
    ResultCount = -1;
    ResultColumnClick(window, ColumnName);
    ResultLeftClickCell(window, 0, ColumnName, false);
    ResultLeftClickCell(window, 0, ColumnName, true);
    for (const int key : {Qt::Key_Space, Qt::Key_Delete, Qt::Key_Backspace})
        ResultKeyDown(window, key, true);
    ResultCount = 0;
    DeselectAll(window);
    ResultCount = 1;
    SelectAllInFolder(window);
    LeaveOnlyOneVersion(window, TKeptVersion::Oldest);
    EXPECT_EQ(window.Repaints + window.Deletes + window.Updates + AnchorRow, -1);
    ResultCount = 6;
    EXPECT_EQ(Marks(), "1100000");

    ResetSearchGlobals();
    ResultList.SetLength(1300);
    for (int32_t i = 0; i < 1300; ++i) // 1,234 marked files of 1,536 bytes in all
        ResultList.Put(++ResultCount, {.Size = i == 0 ? 303u : 1u, .Name = {}, .Checked = i < 1234});
    UpdateSelectionStats(window);
    EXPECT_EQ(window.Text, "1,234 / 2 KB");
    ClearMarks();
    ResultList[5].Size = ResultList[9].Size = 5'000'000'000u; // each and their sum past 32 bits
    ResultList[5].Checked = ResultList[9].Checked = 1;
    EXPECT_EQ(SelectionStatsText(), "2 / 9.313 GB");
}

TEST_F(ResultRows, GroupCommandsNeverLeaveAGroupWithoutAnUnmarkedFileOnDisk)
{
    ResultList[0].Removed = ResultList[0].Checked = ResultList[6].Removed = ResultList[5].Checked = 1;
    const TPumpScript pumps;
    LeaveOnlyOneVersion(window, TKeptVersion::Newest);
    EXPECT_EQ(Marks(), "0100100"); // group 3 keeps one file: no marks, no time sort
    EXPECT_EQ(pumps.Count(), 2);

    FillThreeGroups();
    ResultList[1].Checked = ResultList[2].Checked = 1; // group 1 would keep no copy
    ResultList[3].Removed = 1;                         // group 2's only copy outside /data/a/ is gone
    window.Selected = 0;                               // Report.pdf in /data/a/
    SelectAllInFolder(window);                         // in group 3, both in the folder, the second file only
    EXPECT_EQ(Marks(), "0110001");
    EXPECT_EQ(window.Text, "3 / 7 KB");
}

} // namespace
