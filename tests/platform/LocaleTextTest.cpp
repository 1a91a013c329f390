#include "platform/LocaleText.h"

#include <gtest/gtest.h>

namespace {

TEST(LocaleText, CountsCarryThousandsSeparators)
{
    EXPECT_EQ(plat::FormatCount(1234567, QLocale(QLocale::English, QLocale::UnitedStates)), "1,234,567");
    EXPECT_EQ(plat::FormatCount(1234567, QLocale(QLocale::German, QLocale::Germany)), "1.234.567");
    EXPECT_EQ(plat::FormatCount(0, QLocale::c()), "0");
    EXPECT_EQ(plat::FormatCount(1234, QLocale::c()), "1,234");
}

TEST(LocaleText, FixedDecimalsRoundHalfAwayFromZero)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(plat::FormatFixed(2.5, 0, us), "3");
    EXPECT_EQ(plat::FormatFixed(0.5, 0, us), "1");
    EXPECT_EQ(plat::FormatFixed(1.125, 2, us), "1.13");
    EXPECT_EQ(plat::FormatFixed(1024.0, 0, us), "1024"); // never grouped
    EXPECT_EQ(plat::FormatFixed(1.5, 2, QLocale(QLocale::German, QLocale::Germany)), "1,50");
}

TEST(LocaleText, DecimalsParseWithTheLocaleSeparatorOnly)
{
    bool ok = false;
    const QLocale de(QLocale::German, QLocale::Germany);
    EXPECT_DOUBLE_EQ(plat::ParseDecimal("1,5", de, &ok), 1.5);
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(plat::ParseDecimal("1.500", de, &ok), 0.0); // a group separator is no number here
    EXPECT_FALSE(ok);
    EXPECT_DOUBLE_EQ(plat::ParseDecimal("", de, &ok), 0.0);
    EXPECT_FALSE(ok);
    EXPECT_DOUBLE_EQ(plat::ParseDecimal("abc", QLocale::c(), &ok), 0.0);
    EXPECT_FALSE(ok);
    EXPECT_DOUBLE_EQ(plat::ParseDecimal("10", QLocale::c(), &ok), 10.0);
    EXPECT_TRUE(ok);
}

TEST(LocaleText, DateAndTimeWithoutZoneAndNoTimeAtMidnight)
{
    const QLocale de(QLocale::German, QLocale::Germany);
    EXPECT_EQ(plat::FormatDateTime(QDateTime(QDate(2024, 3, 5), QTime(14, 5, 6)), de), "05.03.24 14:05:06");
    EXPECT_EQ(plat::FormatDateTime(QDateTime(QDate(2024, 3, 5), QTime(0, 0)), de), "05.03.24");
    EXPECT_EQ(plat::FormatDateTime(QDateTime(), de), "");
}

} // namespace
