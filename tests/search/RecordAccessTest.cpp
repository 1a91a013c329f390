#include "search/RecordAccess.h"
#include "core/FileLists.h"
#include "platform/OpenBeneath.h"
#include "search/FolderScan.h"
#include "tests/support/SearchFixture.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <filesystem>

#include <fcntl.h>

namespace {

// Runs with openat2 and with the walk of kernels that lack it.
class RecordAccess : public TSearchFixture, public ::testing::WithParamInterface<bool>
{
protected:
    void SetUp() override
    {
        TSearchFixture::SetUp();
        plat::SetOpenat2AllowedForTest(GetParam());
    }
    void TearDown() override
    {
        plat::SetOpenat2AllowedForTest(true);
        TSearchFixture::TearDown();
    }
    const TFileInfoType& Record(const QString& name) const
    {
        int32_t i = 0;
        while (i < FileCount && NamePool.Text(FileList[i].Name) != name)
            ++i;
        return FileList[i];
    }
    // What the file actions do: open the folder, then check the file in it.
    int Reach(const QString& name) const
    {
        plat::TUniqueFd folder;
        if (const int error = OpenRecordFolder(Record(name), folder); error != 0)
            return error;
        EXPECT_EQ(::fcntl(folder.Get(), F_GETFL) & O_ACCMODE, O_RDONLY) << "usable by unlinkat and renameat";
        return CheckRecordFile(folder.Get(), Record(name));
    }
    // Moves `path` aside and puts a link to it in its place.
    void LinkInstead(const QString& path, const QString& aside)
    {
        ASSERT_TRUE(QDir().rename(tree.Path(path), tree.Path(aside)));
        tree.Symlink(path, tree.Path(aside));
    }
};

TEST_P(RecordAccess, ReachesTheFileTheScanSawOrNothing)
{
    const QString marked = QString(QChar(0xFEFF)) + "m";
    for (const QString& name : {QString("f"), QString("g"), QString("h"), QString("i"), marked})
        tree.File("real/mid/sub/" + name, "content " + name.toUtf8());
    tree.File("real/top", "top");
    tree.Symlink("given", tree.Path("real")); // a search folder given as a link is followed
    settings.Folders = {tree.Path("given/")};
    ReserveScanLists();
    StopFlag = 0;
    ScanSearchFolders(settings);
    StopFlag = 1;
    ASSERT_EQ(FileCount, 5);
    for (const QString& name : {QString("f"), QString("top"), marked})
        EXPECT_EQ(Reach(name), 0) << name.toStdString();

    // Rewritten in place with as many bytes, one nanosecond later; another file of the same bytes;
    // a link, nothing, a folder in its place.
    const std::filesystem::path f = tree.Path("real/mid/sub/f").toStdString();
    const auto modified = std::filesystem::last_write_time(f);
    tree.File("real/mid/sub/f", "content F");
    std::filesystem::last_write_time(f, modified + std::chrono::nanoseconds(1));
    EXPECT_EQ(Reach("f"), ESTALE);
    ASSERT_TRUE(QFile::remove(tree.Path("real/mid/sub/g")));
    tree.File("real/mid/sub/g", "content g");
    EXPECT_EQ(Reach("g"), ESTALE);
    LinkInstead("real/mid/sub/h", "real/h");
    EXPECT_EQ(Reach("h"), ESTALE);
    ASSERT_TRUE(QFile::remove(tree.Path("real/mid/sub/i")));
    EXPECT_EQ(Reach("i"), ENOENT);
    tree.Folder("real/mid/sub/i");
    EXPECT_EQ(Reach("i"), ENOENT);

    // A folder on the way, or the folder itself, moved away and a link put in its place; a new
    // folder of the same name; nothing.
    LinkInstead("real/mid", "real/old");
    EXPECT_EQ(Reach(marked), ESTALE);
    ASSERT_TRUE(QFile::remove(tree.Path("real/mid")));
    tree.Folder("real/mid");
    ASSERT_TRUE(QDir().rename(tree.Path("real/old/sub"), tree.Path("real/mid/old")));
    tree.Symlink("real/mid/sub", tree.Path("real/mid/old"));
    EXPECT_EQ(Reach(marked), ESTALE);
    ASSERT_TRUE(QFile::remove(tree.Path("real/mid/sub")));
    tree.File("real/mid/sub/" + marked, "content " + marked.toUtf8());
    EXPECT_EQ(Reach(marked), ESTALE);
    // The very file, linked into another folder of the old folder's name: not the folder the scan saw.
    ASSERT_TRUE(QFile::remove(tree.Path("real/mid/sub/" + marked)));
    tree.HardLink("real/mid/sub/" + marked, "real/mid/old/" + marked);
    EXPECT_EQ(Reach(marked), ESTALE);
    ASSERT_TRUE(QDir(tree.Path("real/mid")).removeRecursively());
    EXPECT_EQ(Reach(marked), ENOENT);
    // A search folder whose link now leads elsewhere reaches nothing of the old tree.
    ASSERT_TRUE(QFile::remove(tree.Path("given")));
    tree.File("elsewhere/top", "top");
    tree.Symlink("given", tree.Path("elsewhere"));
    EXPECT_EQ(Reach("top"), ESTALE);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutOpenat2, RecordAccess, ::testing::Bool());

TEST(RecordNames, BytesOnDiskFillTheBufferOrAreRefused)
{
    ResetSearchGlobals();
    TFileInfoType record;
    TNameBytes bytes;
    const QString names[] = {QStringLiteral("plain.txt"), QStringLiteral("résumé.pdf"),
                             QString::fromUtf8("документ"), QString(127, QChar(0xE9))};
    for (const QString& name : names) {
        record.Name = NamePool.Add(name);
        ASSERT_TRUE(RecordNameBytes(record, bytes));
        EXPECT_EQ(QByteArray(bytes.data()), name.toUtf8());
    }
    record.Name = NamePool.Add(QString(128, QChar(0xE9))); // 256 bytes: no file here has such a name
    EXPECT_FALSE(RecordNameBytes(record, bytes));
    ResetSearchGlobals();
}

} // namespace
