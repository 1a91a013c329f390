#include "tests/ui/ReportListFixture.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

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

} // namespace
