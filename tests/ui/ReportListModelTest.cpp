#include "tests/ui/ReportListFixture.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

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

} // namespace
