#include "ui/HtmlLabel.h"

#include "ui/ThemePaint.h"

#include <QFontDatabase>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

#include <vector>

namespace {

const QString Step1 =
    "&nbsp;&nbsp;&nbsp;&nbsp;<FONT color=\"#FFFFFF\"  size=\"10\" face=\"Tahoma\"><B>Step 1:</B>  "
    "Selection of the directories. Setting the options.</FONT>";

std::vector<QTextFragment> Fragments(const QTextDocument& document)
{
    std::vector<QTextFragment> fragments;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            fragments.push_back(it.fragment());
    return fragments;
}

QTextFragment FragmentWith(const QTextDocument& document, const QString& text)
{
    for (const QTextFragment& fragment : Fragments(document))
        if (fragment.text().contains(text))
            return fragment;
    ADD_FAILURE() << "no fragment " << text.toStdString();
    return QTextFragment();
}

TEST(HtmlLabel, FontSizeIsAPointSize)
{
    THtmlLabel label;
    label.setMarkup(Step1);
    const QTextDocument& document = label.Document();
    const QTextCharFormat bold = FragmentWith(document, "Step 1:").charFormat();
    const QTextCharFormat plain = FragmentWith(document, "Selection").charFormat();
    EXPECT_EQ(bold.font().pointSize(), 10);
    EXPECT_EQ(plain.font().pointSize(), 10);
    EXPECT_TRUE(bold.font().bold());
    EXPECT_FALSE(plain.font().bold());
    EXPECT_EQ(plain.foreground().color(), QColor(Qt::white));
}

TEST(HtmlLabel, NonBreakingSpacesAreKept)
{
    THtmlLabel label;
    label.setMarkup(Step1);
    const QString text = label.Document().toRawText();
    EXPECT_TRUE(text.startsWith(QString(4, QChar(0x00A0)) + "Step 1:")) << text.toStdString();
}

TEST(HtmlLabel, MissingFaceFallsBackToTheStandIn)
{
    ASSERT_FALSE(QFontDatabase::hasFamily("Tahoma")) << "this test needs a machine without Tahoma";
    THtmlLabel label;
    label.setMarkup(Step1);
    const QFont font = FragmentWith(label.Document(), "Selection").charFormat().font();
    const QString standIn = theme::SansSerifStandIn();
    EXPECT_TRUE(QFontDatabase::hasFamily(standIn)) << standIn.toStdString();
    EXPECT_TRUE(font.families().contains(standIn) || font.family() == standIn) << font.family().toStdString();
}

TEST(HtmlLabel, InstalledFaceIsKept)
{
    ASSERT_TRUE(QFontDatabase::hasFamily("DejaVu Serif"));
    THtmlLabel label;
    label.setMarkup("<font face=\"Tahoma, DejaVu Serif\" size=7>x</font>");
    const QFont font = FragmentWith(label.Document(), "x").charFormat().font();
    EXPECT_TRUE(font.families().contains("DejaVu Serif") || font.family() == "DejaVu Serif");
    EXPECT_EQ(font.pointSize(), 7);
}

TEST(HtmlLabel, ParagraphAlignmentAndColourOfTheDonationLine)
{
    THtmlLabel label;
    label.setMarkup(
        "<p align=\"center\"><FONT color=\"#000030\">If you like this program, please support my work "
        "with a donation</FONT></p>");
    const QTextDocument& document = label.Document();
    EXPECT_EQ(document.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(FragmentWith(document, "donation").charFormat().foreground().color(), QColor(0x00, 0x00, 0x30));
    EXPECT_EQ(document.toPlainText(), "If you like this program, please support my work with a donation");
}

TEST(HtmlLabel, RichTextTranslationTouchesOnlyFontTags)
{
    EXPECT_EQ(THtmlLabel::ToRichText("<B>a</B>&nbsp;<p align=\"center\">b</p>"),
              "<B>a</B>&nbsp;<p align=\"center\">b</p>");
    const QString translated = THtmlLabel::ToRichText("<font size='12' color=red>a</FONT>");
    EXPECT_EQ(translated, "<span style=\"font-size:12pt;color:#ff0000\">a</span>");
}

TEST(HtmlLabel, BannerIsAVerticalGradient)
{
    THtmlLabel label;
    label.setBevel(THtmlLabel::BannerBevel);
    label.resize(200, 35);
    const QImage picture = label.grab().toImage();
    const QColor top(picture.pixel(100, 2));
    const QColor bottom(picture.pixel(100, 32));
    EXPECT_NEAR(top.red(), 0x96, 12);
    EXPECT_NEAR(top.blue(), 0xE2, 12);
    EXPECT_NEAR(bottom.red(), 0x03, 12);
    EXPECT_NEAR(bottom.blue(), 0x93, 12);
}

TEST(HtmlLabel, FlatLabelHasItsColourAndBorder)
{
    THtmlLabel label;
    label.setGradient(false);
    label.setFlatColor(QColor(0xE9, 0xFF, 0xDF));
    label.setBorderColor(QColor(0, 0, 0x80));
    label.resize(181, 43);
    const QImage picture = label.grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(90, 3)), QColor(0xE9, 0xFF, 0xDF));
    EXPECT_EQ(QColor(picture.pixel(0, 20)), QColor(0, 0, 0x80));
    EXPECT_EQ(QColor(picture.pixel(180, 20)), QColor(0, 0, 0x80));
    EXPECT_EQ(QColor(picture.pixel(90, 42)), QColor(0, 0, 0x80));
}

TEST(HtmlLabel, LeftClickEmitsClicked)
{
    THtmlLabel label;
    label.resize(100, 30);
    QSignalSpy clicked(&label, &THtmlLabel::clicked);
    QTest::mouseClick(&label, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(clicked.count(), 0);
    QTest::mouseClick(&label, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(clicked.count(), 1);
}

TEST(ThemePaint, LineBreaksBecomeLineFeeds)
{
    EXPECT_EQ(theme::NormaliseLineBreaks("a \n\r(b)"), "a \n(b)");
    EXPECT_EQ(theme::NormaliseLineBreaks("a\r\nb\rc"), "a\nb\nc");
}

} // namespace
