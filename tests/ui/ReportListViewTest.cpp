#include "ui/ReportListView.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const QStringList Captions{"File Name", "Path", "Dup. Group", "Size", "Modified"};
const QList<int> Widths{180, 260, 80, 100, 127};

class ReportListViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.SetColumns(Captions, Widths);
        view.resize(760, 300);
        view.SetDataHandler([this](int row, TReportRowData& data) {
            ++dataCalls[row];
            data.Checked = row % 2 == 1;
            data.Caption = QStringLiteral("name%1").arg(row);
            data.SubItems = {QStringLiteral("/folder/"), QString::number(row / 3 + 1),
                             QString::number(row * 10), QStringLiteral("date")};
        });
    }

    void Show()
    {
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        QApplication::processEvents();
    }

    QPoint HeaderPoint(int column) const
    {
        const QHeaderView* header = view.horizontalHeader();
        return QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                      header->height() / 2);
    }

    void ClickHeader(int column)
    {
        QTest::mouseClick(view.horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          HeaderPoint(column));
    }

    QPoint CellPoint(int row, int column) const
    {
        return view.visualRect(view.model()->index(row, column)).center();
    }

    TReportListView view;
    std::map<int, int> dataCalls;
};

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

TEST_F(ReportListViewTest, GlyphIsPaintedInTheSortColumnOnly)
{
    QPixmap up(8, 8);
    up.fill(QColor(255, 0, 0));
    QPixmap down(8, 8);
    down.fill(QColor(0, 0, 255));
    view.SetSortGlyphs(up, down);
    Show();
    view.ResetSortState();
    ClickHeader(2);
    ClickHeader(1);

    const QHeaderView* header = view.horizontalHeader();
    const QImage picture = header->viewport()->grab().toImage();
    auto columnsWith = [&](QRgb color) {
        std::vector<int> columns;
        for (int column = 0; column < Captions.size(); ++column) {
            const int left = header->sectionViewportPosition(column);
            bool found = false;
            for (int x = left; x < left + header->sectionSize(column) && !found; ++x)
                for (int y = 0; y < picture.height() && !found; ++y)
                    found = picture.pixel(x, y) == color;
            if (found)
                columns.push_back(column);
        }
        return columns;
    };
    EXPECT_EQ(columnsWith(qRgb(0, 0, 255)), std::vector<int>{1});
    EXPECT_TRUE(columnsWith(qRgb(255, 0, 0)).empty());
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

TEST_F(ReportListViewTest, PaintPropertiesReachTheRoles)
{
    const QColor band(0xC0, 0xDC, 0xC0);
    view.SetPaintHandler([&](int row, TReportRowPaint& paint) {
        if (row % 2 == 0)
            paint.Brush = band;
        if (row == 3) {
            paint.FontColor = Qt::red;
            paint.Font.setStrikeOut(true);
            paint.Font.setBold(false);
            paint.Font.setItalic(false);
            paint.Font.setUnderline(false);
        }
    });
    view.SetRowCount(10);
    const QAbstractItemModel* model = view.model();
    for (int column = 0; column < Captions.size(); ++column) {
        EXPECT_EQ(model->index(0, column).data(Qt::BackgroundRole).value<QBrush>().color(), band);
        EXPECT_EQ(model->index(1, column).data(Qt::BackgroundRole).value<QBrush>().color(),
                  QColor(Qt::white));
        EXPECT_EQ(model->index(3, column).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
        EXPECT_TRUE(model->index(3, column).data(Qt::FontRole).value<QFont>().strikeOut());
        EXPECT_EQ(model->index(1, column).data(Qt::ForegroundRole).value<QBrush>().color(),
                  QColor(Qt::black));
        EXPECT_FALSE(model->index(1, column).data(Qt::FontRole).value<QFont>().strikeOut());
    }
    EXPECT_EQ(model->index(1, 0).data(Qt::FontRole).value<QFont>().pointSize(), 8);
}

TEST_F(ReportListViewTest, BandSelectionAndRemovedColoursArePainted)
{
    const QColor band(0xC0, 0xDC, 0xC0);
    view.SetPaintHandler([&](int row, TReportRowPaint& paint) {
        if (row == 0)
            paint.Brush = band;
        if (row == 2)
            paint.FontColor = Qt::red;
    });
    view.SetRowCount(5);
    Show();
    view.SelectAndFocus(1);
    QApplication::processEvents();
    const QImage picture = view.viewport()->grab().toImage();
    auto pixelIn = [&](int row, int column, int dx) {
        const QRect cell = view.visualRect(view.model()->index(row, column));
        return QColor(picture.pixel(cell.right() - dx, cell.top() + 1));
    };
    EXPECT_EQ(pixelIn(0, 2, 3), band);
    EXPECT_EQ(pixelIn(1, 2, 3), QColor(0x3A, 0x6E, 0xA5));
    EXPECT_EQ(pixelIn(3, 2, 3), QColor(Qt::white));

    bool redText = false;
    const QRect cell = view.visualRect(view.model()->index(2, 0));
    for (int x = cell.left(); x <= cell.right(); ++x)
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            redText = redText || (qRed(picture.pixel(x, y)) > 200 && qGreen(picture.pixel(x, y)) < 90 &&
                                  qBlue(picture.pixel(x, y)) < 90);
    EXPECT_TRUE(redText);
}

TEST_F(ReportListViewTest, TextsAndCheckStateComeFromTheDataHandler)
{
    view.SetRowCount(10);
    const QAbstractItemModel* model = view.model();
    EXPECT_EQ(model->index(4, 0).data().toString(), "name4");
    EXPECT_EQ(model->index(4, 1).data().toString(), "/folder/");
    EXPECT_EQ(model->index(4, 2).data().toString(), "2");
    EXPECT_EQ(model->index(4, 3).data().toString(), "40");
    EXPECT_EQ(model->index(4, 4).data().toString(), "date");
    EXPECT_EQ(model->index(4, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    EXPECT_EQ(model->index(5, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_FALSE(model->index(5, 1).data(Qt::CheckStateRole).isValid());
    EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Dup. Group");
}

TEST_F(ReportListViewTest, OneHandlerCallPerRowUntilRepaint)
{
    bool checked = false;
    int calls = 0;
    view.SetDataHandler([&](int, TReportRowData& data) {
        ++calls;
        data.Checked = checked;
        data.Caption = "a";
        data.SubItems = {"b", "c", "d", "e"};
    });
    view.SetRowCount(3);
    const QAbstractItemModel* model = view.model();
    for (int column = 0; column < Captions.size(); ++column)
        for (int role : {int(Qt::DisplayRole), int(Qt::CheckStateRole), int(Qt::BackgroundRole)})
            model->index(1, column).data(role);
    EXPECT_EQ(calls, 1);

    checked = true;
    view.RepaintRows();
    EXPECT_EQ(model->index(1, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_EQ(calls, 2);

    checked = false;
    QSignalSpy changed(view.model(), &QAbstractItemModel::dataChanged);
    view.RepaintRow(1);
    EXPECT_EQ(model->index(1, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex(), model->index(1, 0));
    EXPECT_EQ(changed.at(0).at(1).toModelIndex(), model->index(1, 4));
}

TEST_F(ReportListViewTest, ModelPassesTheModelTester)
{
    // A broken contract aborts the test program.
    QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    view.SetPaintHandler([](int row, TReportRowPaint& paint) { paint.Font.setStrikeOut(row == 2); });
    view.SetRowCount(30);
    view.SetRowCount(0);
    view.SetRowCount(12);
    view.SetColumns({"A", "B"}, {50, 50});
    view.RepaintRows();
    view.RepaintRow(3);
    EXPECT_EQ(view.model()->rowCount(), 12);
    EXPECT_EQ(view.model()->columnCount(), 2);
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
