#include "platform/DirListing.h"
#include "platform/FileNames.h"
#include "platform/FolderProbe.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList Names(const plat::TFolderListing& listing)
{
    QStringList names;
    for (const plat::TDirEntry& entry : listing.Entries)
        names << entry.Name;
    return names;
}

const plat::TDirEntry* Find(const plat::TFolderListing& listing, const QString& name)
{
    for (const plat::TDirEntry& entry : listing.Entries)
        if (entry.Name == name)
            return &entry;
    return nullptr;
}

TEST(DirListing, DotsFirstThenNamesCaseInsensitivelyThenExactly)
{
    TTempTree tree;
    for (const char* name : {"gamma", "Beta", "alpha", "beta", "Alpha", "_x", "10", "9"})
        tree.File(QString::fromUtf8(name), "x");
    plat::TFolderListing listing;
    ASSERT_EQ(plat::ReadFolder(tree.Root(), true, listing), 0);
    EXPECT_EQ(Names(listing),
              (QStringList{".", "..", "10", "9", "_x", "Alpha", "alpha", "Beta", "beta", "gamma"}));
}

TEST(DirListing, DescribesFilesAndFoldersWithoutFollowingLinks)
{
    TTempTree tree;
    tree.File("data.bin", QByteArray(1234, 'x'));
    tree.File(".hidden", "h");
    const QString readOnly = tree.File("ro.txt", "r");
    ::chmod(readOnly.toUtf8().constData(), 0444);
    tree.Folder("sub");
    tree.Symlink("link-to-file", tree.Path("data.bin"));
    tree.Symlink("link-to-folder", tree.Path("sub"));
    tree.Symlink("dangling", tree.Path("nowhere"));
    tree.Fifo("pipe");

    plat::TFolderListing listing;
    ASSERT_EQ(plat::ReadFolder(tree.Root(), true, listing), 0);
    const plat::TDirEntry* data = Find(listing, "data.bin");
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->Kind, plat::TEntryKind::File);
    EXPECT_EQ(data->Size, 1234u);
    EXPECT_EQ(data->Attr, plat::AttrArchive);
    EXPECT_EQ(Find(listing, ".hidden")->Attr, plat::AttrArchive | plat::AttrHidden);
    EXPECT_EQ(Find(listing, "ro.txt")->Attr, plat::AttrArchive | plat::AttrReadOnly);
    EXPECT_EQ(Find(listing, "sub")->Kind, plat::TEntryKind::Folder);
    EXPECT_EQ(Find(listing, "sub")->Attr, plat::AttrDirectory);
    for (const char* other : {"link-to-file", "link-to-folder", "dangling", "pipe"})
        EXPECT_EQ(Find(listing, other)->Kind, plat::TEntryKind::Other) << other;
    EXPECT_EQ(Find(listing, ".")->Kind, plat::TEntryKind::Dot);
}

TEST(FileNames, NamesDecodeOnlyWhenTheyEncodeBackToTheirBytes)
{
    for (const char* bytes : {"plain.txt", "\xEF\xBB\xBFX", "R\xC3\xA9sum\xC3\xA9"}) {
        QString name;
        EXPECT_TRUE(plat::DecodeFileName(bytes, name)) << bytes;
        EXPECT_EQ(name.toUtf8(), QByteArray(bytes)); // a leading byte order mark is kept
    }
    QString name;
    for (const char* bytes : {"bad\xff", "\xED\xA0\x80surrogate", "\xC0\xAFoverlong"})
        EXPECT_FALSE(plat::DecodeFileName(bytes, name)) << bytes;

    // Listings and the folder tree: a name and its twin with a byte order mark in front are two
    // entries; a name that is no UTF-8 is skipped.
    TTempTree tree;
    const QString mark(QChar(0xFEFF));
    tree.File("X", "plain");
    tree.File(mark + "X", "marked");
    tree.Folder(mark + "D");
    tree.Folder("D");
    const QByteArray bad = tree.Root().toUtf8() + "bad\xff\xfe";
    ASSERT_EQ(::mkdir(bad.constData(), 0755), 0);
    plat::TFolderListing listing;
    ASSERT_EQ(plat::ReadFolder(tree.Root(), true, listing), 0);
    EXPECT_EQ(Names(listing), (QStringList{".", "..", "D", "X", mark + "D", mark + "X"}));
    EXPECT_EQ(Find(listing, mark + "X")->Size, 6u);
    QStringList folders;
    plat::VisitSubFolders(tree.Root(), [&](const QString& folder) {
        folders << folder;
        return true;
    });
    folders.sort();
    EXPECT_EQ(folders, (QStringList{".", "..", "D", mark + "D"}));
    ::rmdir(bad.constData());
}

TEST(DirListing, RefusesALinkInPlaceOfAFolderWhenAskedTo)
{
    TTempTree tree;
    tree.Folder("real");
    tree.Symlink("link", tree.Path("real"));
    plat::TFolderListing listing;
    EXPECT_NE(plat::ReadFolder(tree.Path("link/"), false, listing), 0);
    EXPECT_TRUE(listing.Entries.empty());
    EXPECT_EQ(plat::ReadFolder(tree.Path("link/"), true, listing), 0);
    EXPECT_EQ(plat::ReadFolder(tree.Path("missing/"), true, listing), ENOENT);
}

} // namespace
