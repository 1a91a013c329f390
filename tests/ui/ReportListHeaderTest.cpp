#include "tests/ui/ReportListFixture.h"

#include <QImage>

#include <vector>

#include <gtest/gtest.h>

namespace {

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

} // namespace
