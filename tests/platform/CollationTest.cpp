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
    // Sort keys order the probe texts as the comparison does, also where letters have orders of
    // their own, and in the C locale.
    for (const QLocale& locale :
         {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German),
          QLocale(QLocale::Swedish), QLocale(QLocale::Turkish), QLocale(QLocale::Japanese), QLocale::c()}) {
        plat::SetCollationLocale(locale);
        EXPECT_TRUE(plat::KeysAgree()) << locale.name().toStdString();
    }
    plat::SetCollationLocale(QLocale::c());
    EXPECT_EQ(plat::CompareIgnoreCase(u"abc", u"ABC"), 0);
    EXPECT_EQ(plat::CompareIgnoreCase(u"alpha", u"Beta"), -1);
}

} // namespace
