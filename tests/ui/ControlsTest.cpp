#include "ui/GradientButton.h"
#include "ui/GradientProgressBar.h"
#include "ui/ThemedCheckBox.h"
#include "ui/ThemedRadioButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QPixmap Solid(QColor color)
{
    QPixmap pixmap(20, 20);
    pixmap.fill(color);
    return pixmap;
}

QRgb Pixel(const QPixmap& pixmap)
{
    return pixmap.toImage().pixel(10, 10);
}

void Enter(QWidget& widget)
{
    QEnterEvent event(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(&widget, &event);
}

void Leave(QWidget& widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

TEST(GradientProgressBar, PositionIsClampedToTheRange)
{
    TGradientProgressBar bar;
    EXPECT_EQ(bar.position(), 0);
    bar.setPosition(42);
    EXPECT_EQ(bar.position(), 42);
    bar.setPosition(150);
    EXPECT_EQ(bar.position(), 100);
    bar.setPosition(-3);
    EXPECT_EQ(bar.position(), 0);
}

TEST(GradientProgressBar, FillCoversThePositionShare)
{
    TGradientProgressBar bar;
    bar.resize(102, 21);
    bar.setPosition(25);
    const QImage picture = bar.grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(0, 10)), QColor(Qt::black));
    EXPECT_EQ(QColor(picture.pixel(101, 10)), QColor(Qt::black));
    EXPECT_EQ(QColor(picture.pixel(25, 10)), QColor(0xA0, 0xB7, 0xD4));
    EXPECT_EQ(QColor(picture.pixel(26, 10)), QColor(Qt::white));
}

TEST(GradientButton, GlyphFollowsTheState)
{
    TGradientButton button;
    button.resize(81, 36);
    button.setGlyph(Solid(Qt::red));
    button.setGlyphHot(Solid(Qt::green));
    button.setGlyphPressed(Solid(Qt::blue));
    button.setGlyphDisabled(Solid(Qt::gray));

    EXPECT_EQ(button.State(), TGradientButton::TState::Normal);
    EXPECT_EQ(Pixel(button.CurrentGlyph()), qRgb(255, 0, 0));
    Enter(button);
    EXPECT_EQ(button.State(), TGradientButton::TState::Hot);
    EXPECT_EQ(Pixel(button.CurrentGlyph()), qRgb(0, 255, 0));
    button.setDown(true);
    EXPECT_EQ(button.State(), TGradientButton::TState::Pressed);
    EXPECT_EQ(Pixel(button.CurrentGlyph()), qRgb(0, 0, 255));
    button.setDown(false);
    Leave(button);
    EXPECT_EQ(button.State(), TGradientButton::TState::Normal);
    button.setEnabled(false);
    EXPECT_EQ(button.State(), TGradientButton::TState::Disabled);
    EXPECT_EQ(Pixel(button.CurrentGlyph()), QColor(Qt::gray).rgb());
}

TEST(GradientButton, MissingStateGlyphsFallBack)
{
    TGradientButton button;
    EXPECT_TRUE(button.CurrentGlyph().isNull());
    button.setGlyph(Solid(Qt::red));
    Enter(button);
    EXPECT_EQ(Pixel(button.CurrentGlyph()), qRgb(255, 0, 0));
    button.setGlyphHot(Solid(Qt::green));
    button.setDown(true);
    EXPECT_EQ(Pixel(button.CurrentGlyph()), qRgb(0, 255, 0));
    button.setDown(false);
    button.setEnabled(false);
    const QPixmap disabled = button.CurrentGlyph();
    ASSERT_FALSE(disabled.isNull());
    EXPECT_NE(Pixel(disabled), qRgb(255, 0, 0));
}

TEST(GradientButton, GlyphIsPaintedRightOfTheCaption)
{
    TGradientButton button;
    button.UseGreyColors();
    button.setText("Add");
    button.resize(81, 36);
    button.setGlyph(Solid(Qt::red));
    const QImage picture = button.grab().toImage();
    int leftmostRed = -1;
    for (int x = 0; x < picture.width() && leftmostRed < 0; ++x)
        if (picture.pixel(x, 18) == qRgb(255, 0, 0))
            leftmostRed = x;
    ASSERT_GT(leftmostRed, 40);
    EXPECT_EQ(picture.pixel(leftmostRed + 19, 18), qRgb(255, 0, 0));
}

TEST(GradientButton, BorderAndGradientFollowTheState)
{
    TGradientButton button;
    button.resize(99, 25);
    QImage picture = button.grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(0, 12)), QColor(0x03, 0x38, 0x93));
    EXPECT_GE(qBlue(picture.pixel(5, 1)), 0xFA);
    EXPECT_GE(qRed(picture.pixel(5, 1)), 0xFA);
    EXPECT_NEAR(QColor(picture.pixel(5, 23)).blue(), 0xC2, 6);

    button.setDown(true);
    picture = button.grab().toImage();
    EXPECT_NEAR(QColor(picture.pixel(5, 23)).red(), 0x87, 6);
    EXPECT_NEAR(QColor(picture.pixel(5, 23)).blue(), 0xEB, 6);

    TGradientButton grey;
    grey.UseGreyColors();
    grey.resize(81, 36);
    grey.setDown(true);
    picture = grey.grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(0, 18)), QColor(0x3A, 0x6E, 0xA5));
}

TEST(ThemedButtons, ClickOnTheCaptionToggles)
{
    QWidget panel;
    auto* check = new TThemedCheckBox("Skip Zero-Size Files", &panel);
    check->setGeometry(0, 0, 137, 20);
    auto* recycle = new TThemedRadioButton(
        "Move files to Recycle Bin \n\r(If this option is set for this drive)", &panel);
    recycle->setGeometry(0, 30, 214, 39);
    auto* remove = new TThemedRadioButton("Delete files without backup", &panel);
    remove->setGeometry(0, 80, 182, 20);
    recycle->setChecked(true);

    QTest::mouseClick(check, Qt::LeftButton, Qt::NoModifier, QPoint(120, 10));
    EXPECT_TRUE(check->isChecked());
    QTest::mouseClick(remove, Qt::LeftButton, Qt::NoModifier, QPoint(150, 10));
    EXPECT_TRUE(remove->isChecked());
    EXPECT_FALSE(recycle->isChecked());
}

TEST(ThemedButtons, CaptionWithLineFeedCarriageReturnTakesTwoLines)
{
    TThemedRadioButton oneLine("Move files to Recycle Bin");
    TThemedRadioButton twoLines("Move files to Recycle Bin \n\r(If this option is set for this drive)");
    TThemedRadioButton plainBreak("Move files to Recycle Bin \n(If this option is set for this drive)");
    EXPECT_GT(twoLines.sizeHint().height(), oneLine.sizeHint().height() + 8);
    EXPECT_EQ(twoLines.sizeHint(), plainBreak.sizeHint());
}

TEST(ThemedButtons, BackgroundIsTheParents)
{
    QWidget panel;
    panel.setAutoFillBackground(true);
    QPalette colors = panel.palette();
    colors.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    panel.setPalette(colors);
    panel.resize(200, 40);
    auto* check = new TThemedCheckBox("x", &panel);
    check->setGeometry(0, 0, 200, 40);
    const QImage picture = panel.grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(190, 5)), QColor(0x12, 0x34, 0x56));
}

} // namespace
