#include "results/ResultView.h"
#include "tests/results/ResultFixture.h"
#include "tests/support/PumpScript.h"
#include "ui/ReportListModel.h"

namespace {

using Ints = std::vector<int32_t>;

class ResultRows : public TResultFixture
{
protected:
    void SetUp() override
    {
        TResultFixture::SetUp();
        FillThreeGroups();
    }
    TRecordingWindow window;
};

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
    EXPECT_EQ(ModifiedCellText(PackedTime(2024, 0, 1, 10, 0, 0), LocaleFormat), "");

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

TEST_F(ResultRows, ColumnSortsOrderBandAndKeepTheSelectionOnItsRecord)
{
    const Ints reversed{6, 5, 4, 3, 2, 1, 0}, inOrder{0, 1, 2, 3, 4, 5, 6};
    SortByColumn(ColumnGroup, 1);
    EXPECT_EQ(Rows(), reversed);
    SortByColumn(ColumnSize, 1);
    EXPECT_EQ(Rows(), inOrder);
    SortByColumn(ColumnSize, 0); // smallest first
    SortByColumn(ColumnGroup, 2);
    SortByColumn(5, 0);
    EXPECT_EQ(Rows(), reversed);
    EXPECT_EQ(Rows(&TSortEntry::Shade), Ints({3, 3, 2, 2, 1, 1, 1}));

    window.Selected = 2; // alpha.txt
    ResultColumnClick(window, ColumnName);
    EXPECT_EQ(Rows(), Ints({4, 3, 2, 6, 1, 0, 5}));
    EXPECT_EQ(Rows(&TSortEntry::Shade), Ints({1, 1, 2, 3, 4, 4, 5})); // group 1 in two bands
    window.Direction = 1;
    ResultColumnClick(window, ColumnName);
    EXPECT_EQ(Rows(), Ints({5, 0, 1, 6, 2, 3, 4}));
    EXPECT_EQ(Rows(&TSortEntry::Shade), Ints({1, 2, 2, 3, 4, 5, 5}));
    window.Direction = 0;
    window.Selected = -1;
    ResultColumnClick(window, ColumnModified);
    EXPECT_EQ(Rows(), Ints({5, 6, 4, 3, 1, 2, 0}));
    EXPECT_EQ(window.Focused, std::vector<int>({0, 4})); // nothing selected, nothing selected after
    EXPECT_EQ(window.Rows, 7);                           // set while the list was not painting
    EXPECT_EQ(window.Depth, 0);
}

TEST_F(ResultRows, ClicksShiftRangesSpaceAndKeysFollowTheAnchor)
{
    ResultLeftClickCell(window, 1, ColumnGroup, false); // not the check box column
    EXPECT_EQ(AnchorRow, -1);
    ResultLeftClickCell(window, 2, ColumnName, true); // first Shift click: from the top
    EXPECT_EQ(window.Text, "3 / 9 KB");
    ResultLeftClickCell(window, 1, ColumnName, false);
    ResultLeftClickCell(window, 4, ColumnName, true);
    EXPECT_EQ(Marks(), "1111100");
    ResultList[5].Removed = 1;
    ResultLeftClickCell(window, 5, ColumnName, false); // no mark, but the anchor moves
    EXPECT_EQ(AnchorRow, 5);
    const int repaints = window.Repaints;
    ResultLeftClickCell(window, 3, ColumnSize, true); // marks nothing, moves the anchor
    EXPECT_EQ(window.Repaints, repaints + 1);
    ResultLeftClickCell(window, 6, ColumnName, true); // never clears, skips the removed file
    EXPECT_EQ(Marks(), "1111101");

    ResultKeyDown(window, Qt::Key_Space, false); // no row selected
    window.Selected = 0;
    ResultKeyDown(window, Qt::Key_Space, false);
    window.Selected = 5; // removed: Space and Delete do nothing
    ResultKeyDown(window, Qt::Key_Space, false);
    ResultKeyDown(window, Qt::Key_Delete, false);
    EXPECT_EQ(AnchorRow, 0);
    window.Selected = 6;
    ResultKeyDown(window, Qt::Key_Delete, false);
    ResultKeyDown(window, Qt::Key_Backspace, false);
    EXPECT_EQ(window.Deletes, 1);
    EXPECT_EQ(Marks(), "0111101");
    ResultList[5].Checked = 1;
    ResultKeyDown(window, Qt::Key_Backspace, true);
    EXPECT_EQ(Marks(), "0000000");
    EXPECT_EQ(window.Text, "0 / 0 B");
}

TEST_F(ResultRows, GuardsWithoutResultsAndTheSelectedFigure)
{
    Marks("1100000");
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
    for (int32_t i = 0; i < 1300; ++i) { // 1,234 marked files of 1,536 bytes in all
        ResultList.Put(++ResultCount, TFileInfoType());
        ResultList[i].Size = i == 0 ? 303 : 1;
        ResultList[i].Checked = i < 1234;
    }
    UpdateSelectionStats(window);
    EXPECT_EQ(window.Text, "1,234 / 2 KB");
    ClearMarks();
    ResultList[5].Size = ResultList[9].Size = uint64_t(3) << 30;
    ResultList[5].Checked = ResultList[9].Checked = 1;
    EXPECT_EQ(SelectionStatsText(), "2 / 6.000 GB");
}

TEST_F(ResultRows, GroupCommandsKeepOneFileOfEachGroupOnDiskUnmarked)
{
    Marks("1001000");
    const TPumpScript pumps;
    LeaveOnlyOneVersion(window, TKeptVersion::Newest);
    EXPECT_EQ(Marks(), "0110110");
    EXPECT_EQ(pumps.Count(), 3); // one time sort per group
    LeaveOnlyOneVersion(window, TKeptVersion::Oldest);
    EXPECT_EQ(Marks(), "1011001");
    ResultList[6].Removed = ResultList[0].Removed = 1; // group 3 keeps one file: no marks, no sort
    LeaveOnlyOneVersion(window, TKeptVersion::Newest);
    EXPECT_EQ(Marks(), "0100100");
    EXPECT_EQ(pumps.Count(), 8);

    Fill({"/x/", "/y/", "/x/sub/"}, {{"a", 0, 1, 9, 0},
                                     {"a", 0, 1, 9, 0},
                                     {"b", 0, 2, 8, 0},
                                     {"b", 0, 2, 8, 0},
                                     {"b", 1, 2, 8, 0},
                                     {"c", 1, 3, 7, 0},
                                     {"c", 0, 3, 7, 0},
                                     {"d", 2, 4, 6, 0},
                                     {"d", 0, 4, 6, 0}});
    ResultList[4].Removed = 1; // group 2's only copy outside /x/ is gone
    ResultList[5].Checked = 1; // marked before: group 3 would keep no copy
    window.Selected = 6;       // a file in /x/
    SelectAllInFolder(window);
    EXPECT_EQ(Marks(), "010101001");
    EXPECT_EQ(window.Text, "4 / 30 B");
}

} // namespace
