#include "platform/FolderHandles.h"

#include "platform/FileAccess.h"
#include "tests/support/TempTree.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <fcntl.h>

namespace {

QByteArray ReadAt(int folder, const char* name, int* error = nullptr)
{
    plat::TFileReader reader;
    const int result = reader.OpenAt(folder, name);
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

TEST(FolderHandles, FilesReadThroughHandlesAreTheFilesNamedOrRefused)
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
    const int kept = cache.Find(2);
    EXPECT_EQ(cache.Release(), cache.Capacity());
    EXPECT_EQ(cache.Find(2), -1);
    EXPECT_EQ(::fcntl(kept, F_GETFD), -1) << "released handles are closed";

    // Refusals through a handle.
    tree.Symlink("a/link", tree.Path("a/same"));
    tree.Fifo("a/pipe");
    tree.Folder("a/sub");
    const plat::TUniqueFd folder = OpenFolder(tree.Path("a"));
    int error = 0;
    ReadAt(folder.Get(), "link", &error);
    EXPECT_EQ(error, ELOOP) << "a link is never followed";
    ReadAt(folder.Get(), "pipe", &error);
    EXPECT_EQ(error, EINVAL) << "a FIFO opens without blocking and is refused";
    ReadAt(folder.Get(), "sub", &error);
    EXPECT_EQ(error, EINVAL);
    ReadAt(folder.Get(), "missing", &error);
    EXPECT_EQ(error, ENOENT);
}
