#include "platform/FolderHandles.h"

#include "platform/FileAccess.h"
#include "tests/support/TempTree.h"

#include <QByteArray>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path, int* error = nullptr)
{
    plat::TFileReader reader;
    const int result = reader.Open(path);
    if (error != nullptr)
        *error = result;
    QByteArray bytes;
    char buffer[4096];
    for (ssize_t n; result == 0 && (n = reader.ReadFull(buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    return bytes;
}

} // namespace

TEST(FolderHandles, FilesReadThroughTheCacheAreTheFilesNamed)
{
    TTempTree tree;
    const QString paths[] = {tree.File("a/same", "first"), tree.File("b/same", "second"),
                             tree.File("c/d/same", "third"), tree.File("a/other", "fourth")};
    const QByteArray expected[] = {"first", "second", "third", "fourth"};

    // Two handles for three folders: the cache must start over and still open the right files.
    plat::TFolderHandleCache cache(2);
    ASSERT_EQ(plat::TFolderHandleCache::Active(), &cache);
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(ReadAll(paths[i]), expected[i]) << i;
            EXPECT_LE(cache.Size(), 2u);
        }
    }
}

TEST(FolderHandles, RefusalsStayTheSameThroughTheCache)
{
    TTempTree tree;
    tree.File("real", "bytes");
    const QString link = tree.Symlink("link", tree.Path("real"));
    const QString fifo = tree.Fifo("pipe");
    const QString folder = tree.Folder("sub");
    plat::TFolderHandleCache cache;
    int error = 0;
    ReadAll(link, &error);
    EXPECT_NE(error, 0) << "a link is never followed";
    ReadAll(fifo, &error);
    EXPECT_EQ(error, EINVAL) << "a FIFO opens without blocking and is refused";
    ReadAll(tree.Path("missing"), &error);
    EXPECT_EQ(error, ENOENT);
    ReadAll(tree.Path("no-such-folder/file"), &error);
    EXPECT_EQ(error, ENOENT) << "an unopenable folder falls back to the full path and its error";
    EXPECT_EQ(ReadAll(tree.Path("real")), QByteArray("bytes"));
}

TEST(FolderHandles, NestedCachesRestoreThePreviousOne)
{
    EXPECT_EQ(plat::TFolderHandleCache::Active(), nullptr);
    {
        plat::TFolderHandleCache outer;
        {
            plat::TFolderHandleCache inner;
            EXPECT_EQ(plat::TFolderHandleCache::Active(), &inner);
        }
        EXPECT_EQ(plat::TFolderHandleCache::Active(), &outer);
    }
    EXPECT_EQ(plat::TFolderHandleCache::Active(), nullptr);
}
