#include "platform/Wildcard.h"

#include <QString>

#include <gtest/gtest.h>

namespace {

struct TMaskCase
{
    const char16_t* Mask;
    std::initializer_list<const char16_t*> Matches;
    std::initializer_list<const char16_t*> Misses;
};

// The behaviour users know from the classic directory search, name by name.
const TMaskCase MaskTable[] = {
    {u"*.*", {u"README", u"a.b.c", u".", u"..", u".bashrc", u"x"}, {}},
    {u"*", {u"README", u"a.b.c", u".bashrc"}, {}},
    {u"", {u"README", u"a.txt"}, {}},
    {u"*.", {u"README", u"Makefile"}, {u"a.txt", u".bashrc"}},
    {u"*.txt", {u"A.TXT", u"x.y.txt", u".txt", u"notes.Txt"}, {u"a.txt.bak", u"txt", u"atxt"}},
    {u"a?", {u"a", u"ab", u"A1"}, {u"abc", u"a.b"}},
    {u"file?.txt", {u"file.txt", u"file1.txt"}, {u"file12.txt"}},
    {u"???", {u"ab", u"abc", u"a"}, {u"ab.c", u"abcd"}},
    {u"readme.*", {u"readme", u"README.md", u"readme.tar.gz"}, {u"readmex"}},
    {u"*.jp?", {u"a.jpg", u"a.jp", u"B.JPG"}, {u"a.jpeg"}},
    {u"*.jpg;*.png", {u"a.jpg;x.png"}, {u"a.jpg", u"b.png"}},
    {u"[ab]*", {u"[ab]x"}, {u"ax", u"bx"}},
    {u"abc.", {u"abc", u"ABC"}, {u"abc.d", u"abcd"}},
    {u"*.txt  ", {u"a.txt"}, {u"a.txt  "}},
    {u"*.*.", {u"README", u"a.b"}, {}},
    {u"Résumé*", {u"résumé.pdf", u"RÉSUMÉ"}, {u"resume.pdf"}},
    {u"?.txt", {u"é.txt", u"\U0001F389.txt"}, {u"ab.txt"}},
    // Letters beyond ASCII fold by the Unicode tables: the dotless i is an I.
    {u"*.ini", {u"setup.ını", u"SETUP.INI"}, {u"setup.ını.bak", u"setupini", u"setup.in\U0001F389"}},
    {u"s?tup.ini", {u"sEtup.ını"}, {u"setup.ın"}},
};

TEST(Wildcard, MatchesLikeTheClassicDirectorySearch)
{
    for (const TMaskCase& c : MaskTable) {
        const plat::TWildcard mask{QStringView(c.Mask)};
        for (const char16_t* name : c.Matches)
            EXPECT_TRUE(mask.Matches(QStringView(name)))
                << QString::fromUtf16(c.Mask).toStdString() << " should match "
                << QString::fromUtf16(name).toStdString();
        for (const char16_t* name : c.Misses)
            EXPECT_FALSE(mask.Matches(QStringView(name)))
                << QString::fromUtf16(c.Mask).toStdString() << " should not match "
                << QString::fromUtf16(name).toStdString();
    }
}

TEST(Wildcard, SystemFileTypesTakeOnlyTheLastExtension)
{
    const plat::TWildcard dll(u"*.dll");
    EXPECT_TRUE(dll.Matches(u"LIBRARY.DLL"));
    EXPECT_TRUE(dll.Matches(u"lib.v2.dll"));
    EXPECT_FALSE(dll.Matches(u"library.dll.bak"));
    EXPECT_FALSE(dll.Matches(u"dll"));

    // A mask longer than any name still matches by the same rules.
    const QString letters(200, QLatin1Char('a'));
    const plat::TWildcard longMask(QString(letters + QStringLiteral("?*.txt")));
    EXPECT_TRUE(longMask.Matches(QString(letters + QStringLiteral("bc.TXT"))));
    EXPECT_FALSE(longMask.Matches(QString(letters.mid(1) + QStringLiteral("bc.txt"))));
}

TEST(Wildcard, EveryNameMaskIsRecognised)
{
    EXPECT_TRUE(plat::TWildcard(u"*.*").MatchesEverything());
    EXPECT_TRUE(plat::TWildcard(u"*").MatchesEverything());
    EXPECT_TRUE(plat::TWildcard(u"").MatchesEverything());
    EXPECT_FALSE(plat::TWildcard(u"*.txt").MatchesEverything());
    EXPECT_FALSE(plat::TWildcard(u"*.").MatchesEverything());
}

} // namespace
