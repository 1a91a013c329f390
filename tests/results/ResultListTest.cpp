#include "results/ResultView.h"
#include "results/Selection.h"
#include "tests/results/ResultFixture.h"
#include "tests/support/PumpScript.h"
#include "ui/ReportListModel.h"

#include <gmock/gmock.h>

namespace {

using ::testing::ElementsAre;
using Rows = std::vector<int32_t>;

class ResultRows : public TResultFixture
{
protected:
    void SetUp() override
    {
        TResultFixture::SetUp();
        FillThreeGroups();
    }

    static TReportRowData DataOf(int row)
    {
        TReportRowData data;
        ResultRowData(row, data);
        return data;
    }
    static TReportRowPaint PaintOf(int row)
    {
        TReportRowPaint paint{Qt::gray, Qt::black, QFont()};
        paint.Font.setBold(true);
        ResultRowPaint(row, paint);
        return paint;
    }

    TRecordingWindow window;
};

TEST_F(ResultRows, AfterASearchRowsShowTheRecordsInResultOrderBandedByGroup)
{
    const TReportRowData first = DataOf(0);
    EXPECT_FALSE(first.Checked);
    EXPECT_EQ(first.Caption, QStringLiteral("Report.pdf"));
    EXPECT_EQ(first.SubItems, QStringList({"/data/a/", "1", "3000", "3/15/24 2:05:06 PM"}));
    ResultList[1].Checked = 1;
    const TReportRowData midnight = DataOf(1);
    EXPECT_TRUE(midnight.Checked);
    EXPECT_EQ(midnight.SubItems, QStringList({"/data/b/", "1", "3000", "1/2/23"}));
    EXPECT_EQ(DataOf(6).Caption, QStringLiteral("delta.jpg"));
    EXPECT_TRUE(DataOf(7).Caption.isEmpty()); // no such row

    EXPECT_EQ(SizeCellText(5'000'000'000u), QStringLiteral("5000000000"));
    EXPECT_EQ(ModifiedCellText(PackedTime(2024, 0, 1, 10, 0, 0), LocaleFormat), QString());
    EXPECT_EQ(ModifiedCellText(PackedTime(2024, 2, 30, 10, 0, 0), LocaleFormat), QString());

    // Groups 1 and 3 in the band colour, group 2 white; a removed file red and struck out only.
    const QColor bands[] = {BandColor, BandColor, BandColor, Qt::white, Qt::white, BandColor, BandColor};
    for (int row = 0; row < 7; ++row)
        EXPECT_EQ(PaintOf(row).Brush, bands[row]) << row;
    EXPECT_EQ(PaintOf(0).FontColor, QColor(Qt::black));
    EXPECT_FALSE(PaintOf(0).Font.strikeOut());
    ResultList[4].Removed = 1;
    ResultList[5].Removed = 1;
    for (const int row : {4, 5}) {
        const TReportRowPaint removed = PaintOf(row);
        EXPECT_EQ(removed.Brush, bands[row]);
        EXPECT_EQ(removed.FontColor, RemovedColor);
        EXPECT_TRUE(removed.Font.strikeOut());
        EXPECT_FALSE(removed.Font.bold() || removed.Font.italic() || removed.Font.underline());
    }
    EXPECT_EQ(PaintOf(7).Brush, QColor(Qt::gray)); // no such row: left as given
}

TEST_F(ResultRows, GroupAndSizeHeadersGiveResultOrderOrItsReverse)
{
    SortByName(0);
    SortByColumn(ColumnGroup, 1); // the second click on "Dup. Group" after a search
    EXPECT_EQ(Items(), (Rows{6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(Shades(), (Rows{3, 3, 2, 2, 1, 1, 1}));
    SortByColumn(ColumnGroup, 0);
    EXPECT_EQ(Items(), (Rows{0, 1, 2, 3, 4, 5, 6}));
    SortByColumn(ColumnSize, 0); // smallest first
    EXPECT_EQ(Items(), (Rows{6, 5, 4, 3, 2, 1, 0}));
    SortByColumn(ColumnSize, 1);
    EXPECT_EQ(Items(), (Rows{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Shades(), (Rows{1, 1, 1, 2, 2, 3, 3}));
    SortByColumn(ColumnGroup, 2);
    SortByColumn(5, 0);
    EXPECT_EQ(Items(), (Rows{0, 1, 2, 3, 4, 5, 6}));
}

TEST_F(ResultRows, KeySortsRenumberTheBandsAndTheSelectionFollowsItsRecord)
{
    window.Selected = 2; // copy.pdf
    ResultColumnClick(window, ColumnName);
    EXPECT_EQ(Items(), (Rows{4, 3, 2, 6, 1, 0, 5}));  // alpha beta copy delta notes Report zeta
    EXPECT_EQ(Shades(), (Rows{1, 1, 2, 3, 4, 4, 5})); // group 1 split in two bands
    EXPECT_EQ(window.Rows, 7);
    EXPECT_TRUE(window.RowsSetInUpdate);
    EXPECT_EQ(window.UpdateDepth, 0);
    EXPECT_THAT(window.Focused, ElementsAre(2));

    window.Direction = 1;
    window.Selected = 1; // beta.txt
    ResultColumnClick(window, ColumnName);
    EXPECT_EQ(Items(), (Rows{5, 0, 1, 6, 2, 3, 4}));
    EXPECT_EQ(Shades(), (Rows{1, 2, 2, 3, 4, 5, 5}));
    EXPECT_THAT(window.Focused, ElementsAre(2, 5));

    window.Direction = 0;
    window.Selected = -1;
    ResultColumnClick(window, ColumnModified);
    EXPECT_EQ(Items(), (Rows{5, 6, 4, 3, 1, 2, 0}));
    EXPECT_EQ(Shades(), (Rows{1, 1, 2, 2, 3, 3, 3}));
    EXPECT_THAT(window.Focused, ElementsAre(2, 5)); // nothing selected, nothing selected after

    ResultColumnClick(window, ColumnPath);
    QStringList folders;
    for (const int32_t item : Items())
        folders << PathList[ResultList[item].PathIndex];
    EXPECT_EQ(folders, QStringList({"/data/a/", "/data/a/", "/data/a/", "/data/a/sub/", "/data/b/",
                                    "/data/b/", "/data/b/"}));
    EXPECT_EQ(Shades().front(), 1);
    EXPECT_EQ(window.Updates, 4);

    ResetSearchGlobals();
    ResultColumnClick(window, ColumnName); // no results: nothing happens
    EXPECT_EQ(window.Updates, 4);
}

TEST_F(ResultRows, ClicksShiftRangesSpaceAndKeysFollowTheAnchor)
{
    window.Text.clear();
    ResultLeftClickCell(window, 1, ColumnGroup, false); // not the check box column
    EXPECT_EQ(Marks(), "0000000");
    EXPECT_EQ(AnchorRow, -1);
    EXPECT_EQ(window.Repaints, 0);
    EXPECT_TRUE(window.Text.isEmpty());

    ResultLeftClickCell(window, 2, ColumnName, true); // first Shift click: from the top
    EXPECT_EQ(Marks(), "1110000");
    EXPECT_EQ(window.Text, QStringLiteral("3 / 9 KB"));
    ResultLeftClickCell(window, 1, ColumnName, false);
    EXPECT_EQ(Marks(), "1010000");
    EXPECT_EQ(AnchorRow, 1);
    ResultLeftClickCell(window, 4, ColumnName, true);
    EXPECT_EQ(Marks(), "1111100");
    EXPECT_EQ(AnchorRow, 4);

    ResultList[5].Removed = 1;
    const int repaints = window.Repaints;
    ResultLeftClickCell(window, 5, ColumnName, false); // removed: no mark, but the anchor moves
    EXPECT_EQ(AnchorRow, 5);
    EXPECT_EQ(window.Repaints, repaints);
    ResultLeftClickCell(window, 3, ColumnSize, true); // marks nothing, moves the anchor, refreshes
    EXPECT_EQ(Marks(), "1111100");
    EXPECT_EQ(AnchorRow, 3);
    EXPECT_EQ(window.Repaints, repaints + 1);
    ResultLeftClickCell(window, 6, ColumnName, true); // never clears, skips the removed file
    EXPECT_EQ(Marks(), "1111101");
    EXPECT_EQ(window.Text, QStringLiteral("6 / 14 KB"));

    ResultKeyDown(window, Qt::Key_Space, false); // no row selected
    EXPECT_EQ(Marks(), "1111101");
    window.Selected = 0;
    ResultKeyDown(window, Qt::Key_Space, false);
    EXPECT_EQ(Marks(), "0111101");
    EXPECT_EQ(AnchorRow, 0);
    window.Selected = 5;
    ResultKeyDown(window, Qt::Key_Space, false);
    ResultKeyDown(window, Qt::Key_Delete, false);
    EXPECT_EQ(AnchorRow, 0);
    EXPECT_EQ(window.Deletes, 0);
    window.Selected = 6;
    ResultKeyDown(window, Qt::Key_Delete, false);
    EXPECT_EQ(window.Deletes, 1);
    ResultKeyDown(window, Qt::Key_Backspace, false);
    ResultKeyDown(window, Qt::Key_A, true);
    EXPECT_EQ(Marks(), "0111101");
    ResultList[5].Checked = 1;
    ResultKeyDown(window, Qt::Key_Backspace, true); // clears removed records' marks too
    EXPECT_EQ(Marks(), "0000000");
    EXPECT_EQ(window.Text, QStringLiteral("0 / 0 B"));
}

TEST_F(ResultRows, SelectedFigureCountsWithSeparatorsAndSumsSixtyFourBits)
{
    EXPECT_EQ(window.Text, QStringLiteral("0 / 0 MB")); // as the search start leaves it
    UpdateSelectionStats(window);
    EXPECT_EQ(window.Text, QStringLiteral("0 / 0 B"));

    ResetSearchGlobals();
    ResultList.SetLength(1300);
    for (int32_t i = 0; i < 1300; ++i) {
        TFileInfoType record;
        record.Group = i / 2 + 1;
        record.Size = i == 0 ? 303 : 1;
        record.Checked = i < 1234 ? 1 : 0;
        ResultList.Put(++ResultCount, record);
    }
    UpdateSelectionStats(window);
    EXPECT_EQ(window.Text, QStringLiteral("1,234 / 2 KB"));

    ClearMarks();
    ResultList[5].Size = ResultList[9].Size = uint64_t(3) << 30;
    ResultList[5].Checked = ResultList[9].Checked = 1;
    EXPECT_EQ(SelectionTotals().Bytes, uint64_t(6) << 30);
    EXPECT_EQ(SelectionStatsText(), QStringLiteral("2 / 6.000 GB"));
}

TEST_F(ResultRows, FolderCommandMarksCopiesButLeavesEachGroupOneOnDisk)
{
    ResetSearchGlobals();
    Fill({"/x/", "/y/", "/x/sub/"}, {{"a", 0, 1, 9, 0},
                                     {"a", 0, 1, 9, 0},
                                     {"b", 0, 2, 8, 0},
                                     {"b", 0, 2, 8, 0},
                                     {"b", 1, 2, 8, 0},
                                     {"c", 1, 3, 7, 0},
                                     {"c", 0, 3, 7, 0},
                                     {"d", 2, 4, 6, 0},
                                     {"d", 0, 4, 6, 0}});
    ResultList[4].Removed = 1; // the only copy outside /x/ of group 2 is gone
    ResultList[5].Checked = 1; // marked before: group 3 would lose every copy
    window.Selected = -1;
    SelectAllInFolder(window);
    EXPECT_EQ(Marks(), "000001000");
    EXPECT_EQ(window.Repaints, 0);

    window.Selected = 6; // a file in /x/
    SelectAllInFolder(window);
    EXPECT_EQ(Marks(), "010101001");
    EXPECT_EQ(window.Text, QStringLiteral("4 / 30 B"));

    ResetSearchGlobals();
    Fill({"/x/"}, {{"a", 0, 1, 9, 0}, {"a", 0, 1, 9, 0}});
    window.Selected = 1;
    SelectAllInFolder(window); // two records only: nothing at all
    EXPECT_EQ(Marks(), "00");
    EXPECT_EQ(window.Repaints, 1);
}

TEST_F(ResultRows, OldestAndNewestKeepOneFileOfEachGroupUnmarked)
{
    SetMarks("1001000");
    const TPumpScript pumps;
    LeaveOnlyOneVersion(window, TKeptVersion::Newest);
    EXPECT_EQ(Marks(), "0110110");
    EXPECT_EQ(pumps.Count(), 3); // one time sort per group
    EXPECT_EQ(window.Text, QStringLiteral("4 / 9 KB"));
    LeaveOnlyOneVersion(window, TKeptVersion::Oldest);
    EXPECT_EQ(Marks(), "1011001");

    ResultList[6].Removed = 1; // group 3 keeps one file: no marks, no sort
    ResultList[0].Removed = 1; // group 1 keeps the newest file still on disk
    LeaveOnlyOneVersion(window, TKeptVersion::Newest);
    EXPECT_EQ(Marks(), "0100100");
    EXPECT_EQ(pumps.Count(), 8);

    ResetSearchGlobals();
    Fill({"/x/"}, {{"a", 0, 1, 9, 1}, {"a", 0, 1, 9, 2}});
    SetMarks("11");
    LeaveOnlyOneVersion(window, TKeptVersion::Oldest); // two records only: nothing at all
    EXPECT_EQ(Marks(), "11");
}

TEST_F(ResultRows, WithoutResultsClicksKeysAndCommandsDoNothing)
{
    SetMarks("1000000");
    ResultCount = -1;
    window.Selected = 0;
    ResultLeftClickCell(window, 0, ColumnName, false);
    ResultLeftClickCell(window, 0, ColumnName, true);
    for (const int key : {Qt::Key_Space, Qt::Key_Delete, Qt::Key_Backspace})
        ResultKeyDown(window, key, true);
    ResultCount = 0; // one record: nothing to deselect
    DeselectAll(window);
    ResultKeyDown(window, Qt::Key_Backspace, true);
    EXPECT_EQ(window.Repaints + window.Deletes + window.Updates, 0);
    EXPECT_EQ(AnchorRow, -1);
    EXPECT_EQ(ResultList[0].Checked, 1);
}

} // namespace
