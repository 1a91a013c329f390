#include "platform/Collation.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

TEST(Collation, CaseInsensitiveLocaleOrder)
{
    plat::SetCollationLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(plat::CompareIgnoreCase(u"abc", u"ABC"), 0);
    EXPECT_EQ(plat::CompareIgnoreCase(u"alpha", u"Beta"), -1);
    EXPECT_EQ(plat::CompareIgnoreCase(u"gamma", u"Beta"), 1);
    plat::SetCollationLocale(QLocale::c());
    EXPECT_EQ(plat::CompareIgnoreCase(u"abc", u"ABC"), 0);
    EXPECT_EQ(plat::CompareIgnoreCase(u"alpha", u"Beta"), -1);
}

} // namespace
