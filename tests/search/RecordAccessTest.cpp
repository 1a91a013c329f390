#include "search/RecordAccess.h"
#include "core/FileLists.h"
#include "platform/OpenBeneath.h"
#include "search/FolderScan.h"
#include "tests/support/SearchFixture.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

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
        const int error = OpenRecordFolder(Record(name), folder);
        return error != 0 ? error : CheckRecordFile(folder.Get(), Record(name));
    }
    void Replace(const QString& from, const QString& to)
    {
        ASSERT_TRUE(QDir().rename(tree.Path(from), tree.Path(to)));
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
    EXPECT_EQ(RecordNameBytes(Record(marked)), marked.toUtf8());
    for (const QString& name : {QString("f"), QString("top"), marked})
        EXPECT_EQ(Reach(name), 0) << name.toStdString();
    plat::TUniqueFd folder;
    ASSERT_EQ(OpenRecordFolder(Record("f"), folder), 0);
    EXPECT_EQ(::fcntl(folder.Get(), F_GETFL) & O_ACCMODE, O_RDONLY);

    // Rewritten in place with as many bytes, one nanosecond later; another file of the same bytes;
    // a link, nothing, a folder in its place.
    struct stat st
    {
    };
    const QByteArray f = tree.Path("real/mid/sub/f").toUtf8();
    ASSERT_EQ(::stat(f.constData(), &st), 0);
    tree.File("real/mid/sub/f", "content F");
    timespec times[2] = {st.st_atim, st.st_mtim};
    times[1].tv_nsec = (times[1].tv_nsec + 1) % 1000000000;
    ASSERT_EQ(::utimensat(AT_FDCWD, f.constData(), times, 0), 0);
    EXPECT_EQ(Reach("f"), ESTALE);
    ASSERT_TRUE(QFile::remove(tree.Path("real/mid/sub/g")));
    tree.File("real/mid/sub/g", "content g");
    EXPECT_EQ(Reach("g"), ESTALE);
    Replace("real/mid/sub/h", "real/h");
    tree.Symlink("real/mid/sub/h", tree.Path("real/h"));
    EXPECT_EQ(Reach("h"), ESTALE);
    ASSERT_TRUE(QFile::remove(tree.Path("real/mid/sub/i")));
    EXPECT_EQ(Reach("i"), ENOENT);
    tree.Folder("real/mid/sub/i");
    EXPECT_EQ(Reach("i"), ENOENT);

    // A folder on the way, or the folder itself, moved away and a link put in its place; a new
    // folder of the same name; nothing.
    Replace("real/mid", "real/old");
    tree.Symlink("real/mid", tree.Path("real/old"));
    EXPECT_EQ(Reach(marked), ESTALE);
    ASSERT_TRUE(QFile::remove(tree.Path("real/mid")));
    tree.Folder("real/mid");
    Replace("real/old/sub", "real/mid/old");
    tree.Symlink("real/mid/sub", tree.Path("real/mid/old"));
    EXPECT_EQ(Reach(marked), ESTALE);
    ASSERT_TRUE(QFile::remove(tree.Path("real/mid/sub")));
    tree.File("real/mid/sub/" + marked, "content " + marked.toUtf8());
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

} // namespace
