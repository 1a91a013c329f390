#include "ui/ReportListView.h"

#include "tests/ui/ReportListFixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

TEST_F(ReportListViewTest, ResetShowsAscendingGlyphOnColumnTwo)
{
    view.setSortColumn(4);
    view.setSortDirection(1);
    view.setShowSortGlyph(false);
    view.ResetSortState();
    EXPECT_EQ(view.sortColumn(), 2);
    EXPECT_EQ(view.sortDirection(), 0);
    EXPECT_TRUE(view.showSortGlyph());
}

TEST_F(ReportListViewTest, HeaderClicksFollowTheSortSequence)
{
    Show();
    view.ResetSortState();
    std::vector<std::string> events;
    view.SetSortStartHandler([&](int column) {
        events.push_back("start " + std::to_string(column) + " dir " + std::to_string(view.sortDirection()) +
                         " sortcol " + std::to_string(view.sortColumn()));
        return true;
    });
    QObject::connect(&view, &TReportListView::columnClicked, &view, [&](int column) {
        events.push_back("click " + std::to_string(column) + " dir " + std::to_string(view.sortDirection()) +
                         " sortcol " + std::to_string(view.sortColumn()));
    });

    ClickHeader(2); // already the sort column: reversed before the permission is asked
    ClickHeader(2);
    ClickHeader(3); // another column keeps the direction
    ClickHeader(3);
    ClickHeader(3);
    ClickHeader(0);

    const std::vector<std::string> expected{
        "start 2 dir 1 sortcol 2", "click 2 dir 1 sortcol 2", "start 2 dir 0 sortcol 2",
        "click 2 dir 0 sortcol 2", "start 3 dir 0 sortcol 2", "click 3 dir 0 sortcol 3",
        "start 3 dir 1 sortcol 3", "click 3 dir 1 sortcol 3", "start 3 dir 0 sortcol 3",
        "click 3 dir 0 sortcol 3", "start 0 dir 0 sortcol 3", "click 0 dir 0 sortcol 0",
    };
    EXPECT_EQ(events, expected);
}

TEST_F(ReportListViewTest, DescendingDirectionCarriesOverToAnotherColumn)
{
    Show();
    view.ResetSortState();
    ClickHeader(2);
    ASSERT_EQ(view.sortDirection(), 1);
    ClickHeader(4);
    EXPECT_EQ(view.sortColumn(), 4);
    EXPECT_EQ(view.sortDirection(), 1);
}

TEST_F(ReportListViewTest, WithoutGlyphTheSameColumnDoesNotReverse)
{
    Show();
    view.ResetSortState();
    view.setShowSortGlyph(false);
    QSignalSpy clicks(&view, &TReportListView::columnClicked);
    ClickHeader(2);
    ClickHeader(1);
    EXPECT_EQ(view.sortDirection(), 0);
    EXPECT_EQ(view.sortColumn(), 1);
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_EQ(clicks.at(1).at(0).toInt(), 1);
}

TEST_F(ReportListViewTest, RefusedSortKeepsTheStateButStillReportsTheClick)
{
    Show();
    view.ResetSortState();
    view.SetSortStartHandler([](int) { return false; });
    QSignalSpy clicks(&view, &TReportListView::columnClicked);
    ClickHeader(2);
    ClickHeader(4);
    EXPECT_EQ(view.sortColumn(), 2);
    EXPECT_EQ(view.sortDirection(), 0);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ReportListViewTest, CellClicksReportRowColumnAndModifiers)
{
    view.SetRowCount(200);
    Show();
    std::vector<std::tuple<int, int, Qt::KeyboardModifiers>> clicks;
    QObject::connect(&view, &TReportListView::leftClickCell, &view,
                     [&](int row, int column, Qt::KeyboardModifiers modifiers) {
                         clicks.emplace_back(row, column, modifiers);
                     });

    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(0, 0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(3, 4));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, CellPoint(5, 1));
    QTest::mouseClick(view.viewport(), Qt::RightButton, Qt::NoModifier, CellPoint(6, 2));
    view.SelectAndFocus(150);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, CellPoint(150, 3));

    ASSERT_EQ(clicks.size(), 4u);
    EXPECT_EQ(clicks[0], std::make_tuple(0, 0, Qt::KeyboardModifiers(Qt::NoModifier)));
    EXPECT_EQ(clicks[1], std::make_tuple(3, 4, Qt::KeyboardModifiers(Qt::NoModifier)));
    EXPECT_EQ(clicks[2], std::make_tuple(5, 1, Qt::KeyboardModifiers(Qt::ShiftModifier)));
    EXPECT_EQ(clicks[3], std::make_tuple(150, 3, Qt::KeyboardModifiers(Qt::ShiftModifier)));
}

TEST_F(ReportListViewTest, DoubleClickReportsEachPressOnceEvenAcrossARowBoundary)
{
    view.SetRowCount(20);
    Show();
    std::vector<int> rows;
    QObject::connect(&view, &TReportListView::leftClickCell, &view,
                     [&](int row, int, Qt::KeyboardModifiers) { rows.push_back(row); });
    const auto send = [&](QEvent::Type type, QPoint at) {
        QMouseEvent event(type, at, view.viewport()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
    };
    // Same cell: one press, then the double click.
    send(QEvent::MouseButtonPress, CellPoint(2, 1));
    send(QEvent::MouseButtonRelease, CellPoint(2, 1));
    send(QEvent::MouseButtonDblClick, CellPoint(2, 1));
    send(QEvent::MouseButtonRelease, CellPoint(2, 1));
    // The second press lands one row lower: the base class turns it into a press of its own.
    send(QEvent::MouseButtonPress, CellPoint(5, 1));
    send(QEvent::MouseButtonRelease, CellPoint(5, 1));
    send(QEvent::MouseButtonDblClick, CellPoint(6, 1));
    send(QEvent::MouseButtonRelease, CellPoint(6, 1));
    EXPECT_EQ(rows, (std::vector<int>{2, 2, 5, 6}));
}

TEST_F(ReportListViewTest, HeaderClickDuringTheOwnersSortIsIgnored)
{
    Show();
    view.ResetSortState();
    std::vector<int> reported;
    QObject::connect(&view, &TReportListView::columnClicked, &view, [&](int column) {
        reported.push_back(column);
        if (reported.size() == 1) // the owner's sort pumps; a click on column 4 arrives meanwhile
            emit view.horizontalHeader()->sectionClicked(4);
    });
    ClickHeader(0);
    EXPECT_EQ(reported, (std::vector<int>{0}));
    EXPECT_EQ(view.sortColumn(), 0);
    ClickHeader(4);
    EXPECT_EQ(reported, (std::vector<int>{0, 4}));
}

TEST_F(ReportListViewTest, ClickBelowTheLastRowReportsNoCell)
{
    view.SetRowCount(2);
    Show();
    QSignalSpy clicks(&view, &TReportListView::leftClickCell);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(10, view.viewport()->height() - 5));
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(ReportListViewTest, ClicksDoNotChangeTheCheckState)
{
    view.SetRowCount(4);
    Show();
    const QModelIndex first = view.model()->index(0, 0);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, CellPoint(0, 0));
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(first.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    EXPECT_FALSE(view.model()->flags(first).testFlag(Qt::ItemIsUserCheckable));
    EXPECT_FALSE(view.model()->flags(first).testFlag(Qt::ItemIsEditable));
}

TEST_F(ReportListViewTest, KeysAreReportedAndStillMoveTheSelection)
{
    view.SetRowCount(20);
    Show();
    view.setFocus();
    view.SelectAndFocus(3);
    std::vector<std::pair<int, Qt::KeyboardModifiers>> keys;
    std::vector<int> selectedAtKey;
    QObject::connect(&view, &TReportListView::keyDown, &view, [&](int key, Qt::KeyboardModifiers modifiers) {
        if (key == Qt::Key_Shift)
            return; // QTest presses the modifier key itself first
        keys.emplace_back(key, modifiers);
        selectedAtKey.push_back(view.SelectedIndex());
    });

    QTest::keyClick(&view, Qt::Key_Space);
    QTest::keyClick(&view, Qt::Key_Backspace, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Delete);
    QTest::keyClick(&view, Qt::Key_Down);
    QTest::keyClick(&view, Qt::Key_A);

    const std::vector<std::pair<int, Qt::KeyboardModifiers>> expected{
        {Qt::Key_Space, Qt::NoModifier},  {Qt::Key_Backspace, Qt::ShiftModifier},
        {Qt::Key_Delete, Qt::NoModifier}, {Qt::Key_Down, Qt::NoModifier},
        {Qt::Key_A, Qt::NoModifier},
    };
    EXPECT_EQ(keys, expected);
    // Reported before the list moves: Down arrives while row 3 is selected, then row 4 is.
    EXPECT_EQ(selectedAtKey, (std::vector<int>{3, 3, 3, 3, 4}));
    EXPECT_EQ(view.SelectedIndex(), 4);
}

TEST_F(ReportListViewTest, MillionRowsAskOnlyForTheVisibleRows)
{
    std::map<int, int> paintCalls;
    view.SetPaintHandler([&](int row, TReportRowPaint&) { ++paintCalls[row]; });
    view.SetRowCount(1000000);
    Show();

    dataCalls.clear();
    paintCalls.clear();
    view.RepaintRows();
    view.viewport()->repaint();

    const int firstVisible = view.rowAt(0);
    const int lastVisible = view.rowAt(view.viewport()->height() - 1);
    ASSERT_EQ(firstVisible, 0);
    ASSERT_GT(lastVisible, 5);
    ASSERT_LT(lastVisible, 100);
    ASSERT_EQ(int(dataCalls.size()), lastVisible - firstVisible + 1);
    for (const auto& [row, count] : dataCalls) {
        EXPECT_GE(row, firstVisible);
        EXPECT_LE(row, lastVisible);
        EXPECT_EQ(count, 1) << "row " << row;
    }
    EXPECT_EQ(paintCalls.size(), dataCalls.size());

    view.SelectAndFocus(999999);
    QApplication::processEvents();
    dataCalls.clear();
    view.RepaintRows();
    view.viewport()->repaint();
    ASSERT_FALSE(dataCalls.empty());
    EXPECT_EQ(dataCalls.rbegin()->first, 999999);
    EXPECT_GE(dataCalls.begin()->first, 999999 - (lastVisible + 1));
    EXPECT_EQ(view.SelectedIndex(), 999999);
}

TEST_F(ReportListViewTest, SelectAndFocusScrollsTheRowFullyIntoView)
{
    view.SetRowCount(1000);
    Show();
    EXPECT_EQ(view.SelectedIndex(), -1);

    view.SelectAndFocus(500);
    QApplication::processEvents();
    EXPECT_EQ(view.SelectedIndex(), 500);
    EXPECT_EQ(view.currentIndex().row(), 500);
    const QRect rowRect = view.visualRect(view.model()->index(500, 0));
    EXPECT_TRUE(view.viewport()->rect().contains(rowRect)) << rowRect.y();

    view.SelectAndFocus(2);
    QApplication::processEvents();
    EXPECT_TRUE(view.viewport()->rect().contains(view.visualRect(view.model()->index(2, 0))));

    view.SelectAndFocus(1000);
    EXPECT_EQ(view.SelectedIndex(), 2);
    view.SelectAndFocus(-1);
    EXPECT_EQ(view.SelectedIndex(), -1);

    view.SelectAndFocus(7);
    view.SetRowCount(1000);
    EXPECT_EQ(view.SelectedIndex(), -1);
}

TEST_F(ReportListViewTest, ColumnsStretchProportionallyToFillTheWidth)
{
    QSignalSpy resized(&view, &TReportListView::resized);
    Show();
    for (const int width : {760, 1200, 400}) {
        view.resize(width, 300);
        QApplication::processEvents();
        const QHeaderView* header = view.horizontalHeader();
        const int available = view.viewport()->width();
        int total = 0;
        for (int column = 0; column < Captions.size(); ++column)
            total += header->sectionSize(column);
        EXPECT_EQ(total, available) << width;
        const double scale = double(available) / 747.0;
        for (int column = 0; column < Captions.size(); ++column)
            EXPECT_NEAR(header->sectionSize(column), Widths[column] * scale, 1.0) << width << " " << column;
    }
    EXPECT_GE(resized.count(), 2);
}

TEST(ReportListViewProperties, WidthsSetBeforeTheCaptionsAreKept)
{
    // The layout file sets the caption list after every other property.
    TReportListView view;
    view.setColumnWidths(QStringLiteral("180,260,80,100,127"));
    view.setColumnCaptions(Captions);
    view.resize(760, 300);
    view.show();
    QApplication::processEvents();
    const QHeaderView* header = view.horizontalHeader();
    const double scale = double(view.viewport()->width()) / 747.0;
    for (int column = 0; column < Captions.size(); ++column)
        EXPECT_NEAR(header->sectionSize(column), Widths[column] * scale, 1.0) << column;
}

TEST_F(ReportListViewTest, RightClickOpensTheAttachedMenu)
{
    view.SetRowCount(5);
    QMenu menu;
    menu.addAction("File properties");
    view.SetPopupMenu(&menu);
    Show();
    QContextMenuEvent event(QContextMenuEvent::Mouse, CellPoint(2, 1),
                            view.viewport()->mapToGlobal(CellPoint(2, 1)));
    QApplication::sendEvent(view.viewport(), &event);
    EXPECT_TRUE(menu.isVisible());
    menu.close();
}

TEST_F(ReportListViewTest, RowHeightIsUniform)
{
    view.SetRowCount(100);
    Show();
    EXPECT_EQ(view.fixedRowHeight(), 16);
    EXPECT_EQ(view.visualRect(view.model()->index(0, 0)).height(), 16);
    EXPECT_EQ(view.visualRect(view.model()->index(7, 0)).top(), 7 * 16);
}

} // namespace
