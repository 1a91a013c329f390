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
#include <unistd.h>

namespace {

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
    void Scan()
    {
        ReserveScanLists();
        StopFlag = 0;
        ScanSearchFolders(settings);
        StopFlag = 1;
    }
    const TFileInfoType& Record(const QString& name) const
    {
        for (int32_t i = 0; i <= FileCount; ++i)
            if (NamePool.Text(FileList[i].Name) == name)
                return FileList[i];
        ADD_FAILURE() << "no record " << name.toStdString();
        return FileList[0];
    }
    // What the file actions see: the folder, then the file in it.
    int Reach(const QString& name) const
    {
        plat::TUniqueFd folder;
        const int error = OpenRecordFolder(Record(name), folder);
        return error != 0 ? error : CheckRecordFile(folder.Get(), Record(name));
    }
};

TEST_P(RecordAccess, ReachesTheFileTheScanSawOrNothing)
{
    const QString marked = QString(QChar(0xFEFF)) + "m";
    for (const QString& name : {QString("f"), QString("g"), QString("h"), QString("i"), QString("j"), marked})
        tree.File("real/sub/" + name, "content " + name.toUtf8());
    tree.File("real/top", "top");
    tree.Symlink("given", tree.Path("real")); // the search folder as a link: followed as the scan did
    settings.Folders = {tree.Path("given/")};
    Scan();
    ASSERT_EQ(FileCount, 6);
    EXPECT_EQ(RecordNameBytes(Record(marked)), marked.toUtf8());
    for (const QString& name : {QString("f"), QString("top"), marked})
        EXPECT_EQ(Reach(name), 0) << name.toStdString();

    plat::TUniqueFd folder;
    ASSERT_EQ(OpenRecordFolder(Record("f"), folder), 0);
    EXPECT_EQ(::fcntl(folder.Get(), F_GETFL) & O_ACCMODE, O_RDONLY); // usable for unlinkat and renameat

    // The same file changed, another file, a link, a FIFO or a folder in its place.
    // Rewritten in place with as many bytes, its time one nanosecond later: same inode and size.
    struct stat st
    {
    };
    ASSERT_EQ(::stat(tree.Path("real/sub/f").toUtf8().constData(), &st), 0);
    tree.File("real/sub/f", "content F");
    timespec times[2] = {st.st_atim, st.st_mtim};
    times[1].tv_nsec = (times[1].tv_nsec + 1) % 1000000000;
    ASSERT_EQ(::utimensat(AT_FDCWD, tree.Path("real/sub/f").toUtf8().constData(), times, 0), 0);
    EXPECT_EQ(Reach("f"), ESTALE);
    ASSERT_TRUE(QFile::remove(tree.Path("real/sub/g")));
    tree.File("real/sub/g", "content g"); // same bytes, new inode
    EXPECT_EQ(Reach("g"), ESTALE);
    ASSERT_TRUE(QFile::rename(tree.Path("real/sub/h"), tree.Path("real/h-moved")));
    tree.Symlink("real/sub/h", tree.Path("real/h-moved"));
    EXPECT_EQ(Reach("h"), ESTALE);
    ASSERT_TRUE(QFile::remove(tree.Path("real/sub/i")));
    tree.Fifo("real/sub/i");
    EXPECT_EQ(Reach("i"), ESTALE);
    ASSERT_TRUE(QFile::remove(tree.Path("real/sub/j")));
    EXPECT_EQ(Reach("j"), ENOENT);
    tree.Folder("real/sub/j");
    EXPECT_EQ(Reach("j"), ENOENT);

    // The folder moved away and a link to it put in its place: never followed.
    ASSERT_TRUE(QDir().rename(tree.Path("real/sub"), tree.Path("real/old")));
    tree.Symlink("real/sub", tree.Path("real/old"));
    EXPECT_EQ(Reach(marked), ESTALE);
    // A new folder of the same name is another folder.
    ASSERT_TRUE(QFile::remove(tree.Path("real/sub")));
    tree.File("real/sub/" + marked, "content " + marked.toUtf8());
    EXPECT_EQ(Reach(marked), ESTALE);
    ASSERT_TRUE(QDir(tree.Path("real/sub")).removeRecursively());
    EXPECT_EQ(Reach(marked), ENOENT);
    // The folder back where it was: the file is reached again.
    ASSERT_TRUE(QDir().rename(tree.Path("real/old"), tree.Path("real/sub")));
    EXPECT_EQ(Reach(marked), 0);
    // A search folder whose link now leads elsewhere reaches nothing of the old tree.
    ASSERT_TRUE(QFile::remove(tree.Path("given")));
    tree.File("elsewhere/top", "top");
    tree.Symlink("given", tree.Path("elsewhere"));
    EXPECT_EQ(Reach("top"), ESTALE);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutOpenat2, RecordAccess, ::testing::Bool());

} // namespace
