#include "app/ImageLists.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

QImage Picture(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

TEST(ImageListsTest, EveryPictureIsSixteenPixelsAndDistinct)
{
    const auto check = [](const QList<QPixmap>& list, qsizetype count) {
        ASSERT_EQ(list.size(), count);
        for (qsizetype i = 0; i < count; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(list[i].size(), QSize(16, 16));
            const QImage image = Picture(list[i]);
            int painted = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    painted += qAlpha(image.pixel(x, y)) > 0 && image.pixel(x, y) != qRgb(255, 255, 255);
            EXPECT_GT(painted, 10); // something is drawn
            for (qsizetype j = 0; j < i; ++j)
                EXPECT_NE(image, Picture(list[j])) << "same as " << j;
        }
    };
    check(ImageList1(), 12);
    check(CheckboxImageList(), 2);
    check(SortImageList(), 2);
    EXPECT_EQ(&ImageList1(), &ImageList1()); // built once
}

TEST(ImageListsTest, CheckBoxesAreOnWhiteAndSortTrianglesPointUpThenDown)
{
    for (const QPixmap& box : CheckboxImageList())
        EXPECT_EQ(Picture(box).pixel(0, 0), qRgb(255, 255, 255));
    const QImage empty = Picture(CheckboxImageList().at(0));
    EXPECT_EQ(empty.pixel(8, 8), qRgb(255, 255, 255));

    // Up: the painted width grows downwards; down: it shrinks.
    const auto width = [](const QImage& image, int y) {
        int count = 0;
        for (int x = 0; x < 16; ++x)
            count += qAlpha(image.pixel(x, y)) > 128;
        return count;
    };
    const QImage up = Picture(SortImageList().at(0));
    const QImage down = Picture(SortImageList().at(1));
    EXPECT_LT(width(up, 6), width(up, 9));
    EXPECT_GT(width(down, 6), width(down, 9));
}

} // namespace
