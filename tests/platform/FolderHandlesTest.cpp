#include "platform/FolderHandles.h"

#include "platform/DirListing.h"
#include "platform/FileAccess.h"
#include "tests/support/TempTree.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

QByteArray ReadAt(int folder, const char* name, int* error = nullptr, const plat::TFileStamp* stamp = nullptr)
{
    plat::TFileReader reader;
    const int result = reader.OpenAt(folder, name, stamp);
    if (error != nullptr)
        *error = result;
    QByteArray bytes;
    char buffer[4096];
    for (ssize_t n; result == 0 && (n = reader.ReadFull(buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    return bytes;
}

plat::TUniqueFd OpenFolder(const QString& path)
{
    return plat::TUniqueFd(::open(path.toUtf8().constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

} // namespace

TEST(FolderHandles, FilesReadThroughTheCacheAreTheFilesNamed)
{
    TTempTree tree;
    tree.File("a/same", "first");
    tree.File("b/same", "second");
    tree.File("c/d/same", "third");
    const QString folders[] = {tree.Path("a"), tree.Path("b"), tree.Path("c/d")};
    const QByteArray expected[] = {"first", "second", "third"};

    // Two handles for three folders: the cache must start over and still give the right folders.
    plat::TFolderHandleCache cache(2);
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 3; ++i) {
            int fd = cache.Find(i);
            if (fd < 0)
                fd = cache.Keep(i, OpenFolder(folders[i]));
            EXPECT_EQ(ReadAt(fd, "same"), expected[i]) << i;
            EXPECT_LE(cache.Size(), 2u);
        }
    }
}

TEST(FolderHandles, RefusalsStayTheSameThroughAHandle)
{
    TTempTree tree;
    const QString real = tree.File("real", "bytes");
    tree.Symlink("link", tree.Path("real"));
    tree.Fifo("pipe");
    tree.Folder("sub");
    const plat::TUniqueFd folder = OpenFolder(tree.Root());
    int error = 0;
    ReadAt(folder.Get(), "link", &error);
    EXPECT_EQ(error, ELOOP) << "a link is never followed";
    ReadAt(folder.Get(), "pipe", &error);
    EXPECT_EQ(error, EINVAL) << "a FIFO opens without blocking and is refused";
    ReadAt(folder.Get(), "sub", &error);
    EXPECT_EQ(error, EINVAL);
    ReadAt(folder.Get(), "missing", &error);
    EXPECT_EQ(error, ENOENT);

    // With a stamp, only the file the stamp describes is read.
    struct stat st
    {
    };
    ASSERT_EQ(::stat(real.toUtf8().constData(), &st), 0);
    plat::TFileStamp stamp{uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size),
                           plat::ModifiedNanoseconds(st.st_mtim.tv_sec, st.st_mtim.tv_nsec)};
    EXPECT_EQ(ReadAt(folder.Get(), "real", &error, &stamp), QByteArray("bytes"));
    for (auto change : {&plat::TFileStamp::Ino, &plat::TFileStamp::Dev, &plat::TFileStamp::Size}) {
        plat::TFileStamp other = stamp;
        ++(other.*change);
        EXPECT_EQ(ReadAt(folder.Get(), "real", &error, &other), QByteArray());
        EXPECT_EQ(error, ESTALE);
    }
    plat::TFileStamp touched = stamp;
    touched.ModifiedNs += 1; // one nanosecond is a change
    ReadAt(folder.Get(), "real", &error, &touched);
    EXPECT_EQ(error, ESTALE);
}

TEST(FolderHandles, ReleaseGivesEveryHandleBack)
{
    TTempTree tree;
    plat::TFolderHandleCache cache(8);
    std::vector<int> fds;
    for (int i = 0; i < 3; ++i)
        fds.push_back(cache.Keep(i, OpenFolder(tree.Folder(QString::number(i)))));
    EXPECT_EQ(cache.Find(1), fds[1]);
    EXPECT_EQ(cache.Release(), 3u);
    EXPECT_EQ(cache.Find(1), -1);
    for (const int fd : fds)
        EXPECT_EQ(::fcntl(fd, F_GETFD), -1) << "closed";
}
