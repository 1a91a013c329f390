#include "platform/FileOps.h"

#include "tests/support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

plat::TUniqueFd Folder(const QString& path)
{
    plat::TUniqueFd fd;
    EXPECT_EQ(plat::OpenFolderHandle(path.toUtf8(), fd), 0) << path.toStdString();
    return fd;
}

QByteArray Content(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct stat Stat(const QString& path)
{
    struct stat st
    {
    };
    EXPECT_EQ(::lstat(path.toUtf8().constData(), &st), 0) << path.toStdString();
    return st;
}

// A folder on another file system than the temporary folder, or nothing when there is none.
std::unique_ptr<QTemporaryDir> OtherFileSystemFolder(const QString& than)
{
    if (!QDir(QStringLiteral("/dev/shm")).exists() ||
        Stat(QStringLiteral("/dev/shm")).st_dev == Stat(than).st_dev)
        return nullptr;
    auto folder = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/pairwick-test-XXXXXX"));
    return folder->isValid() ? std::move(folder) : nullptr;
}

} // namespace

TEST(FileOps, FreeNamesAndMovesIntoTheSameFolder)
{
    EXPECT_EQ(plat::CandidateName("photo.jpg", 1), "photo.jpg");
    EXPECT_EQ(plat::CandidateName("photo.jpg", 2), "photo (2).jpg");
    EXPECT_EQ(plat::CandidateName("a.tar.gz", 3), "a.tar (3).gz");
    EXPECT_EQ(plat::CandidateName(".bashrc", 2), ".bashrc (2)");
    EXPECT_EQ(plat::CandidateName("README", 12), "README (12)");

    // Into its own folder, even reached by another path: an error, and the file stays as it is.
    TTempTree tree;
    tree.File("to/photo.jpg", "first");
    tree.Symlink("alias", tree.Path("to"));
    const plat::TUniqueFd to = Folder(tree.Path("to"));
    EXPECT_EQ(plat::MoveFileAt(to.Get(), "photo.jpg", Folder(tree.Path("alias")).Get()), EEXIST);
    EXPECT_EQ(plat::LastError(), EEXIST);
    EXPECT_EQ(QDir(tree.Path("to")).entryList(QDir::Files), QStringList({"photo.jpg"}));
    EXPECT_EQ(plat::MoveFileAt(to.Get(), "gone", Folder(tree.Root()).Get()), ENOENT);
    EXPECT_EQ(plat::LastError(), ENOENT);
}

TEST(FileOps, MoveAcrossFileSystemsKeepsTheFileWholeOrNotAtAll)
{
    TTempTree tree;
    const auto other = OtherFileSystemFolder(tree.Root());
    if (!other)
        GTEST_SKIP() << "no second file system (/dev/shm) to move to";
    const QByteArray bytes = TTempTree::Pattern(700'000, 7);
    tree.File("big.bin", bytes);
    tree.File("keep.bin", bytes);
    ::chmod(tree.Path("big.bin").toUtf8().constData(), 0640);
    tree.SetModified("big.bin", 1'000'000'000);
    QFile(other->filePath("big.bin")).open(QIODevice::WriteOnly); // taken: the copy gets a free name
    const plat::TUniqueFd from = Folder(tree.Root());
    const plat::TUniqueFd to = Folder(other->path());

    QByteArray used;
    ASSERT_EQ(plat::MoveFileAt(from.Get(), "big.bin", to.Get(), &used), 0);
    EXPECT_EQ(used, "big (2).bin");
    const QString moved = other->filePath("big (2).bin");
    EXPECT_EQ(Content(moved), bytes);
    EXPECT_EQ(Stat(moved).st_mode & 07777, 0640u);
    EXPECT_EQ(Stat(moved).st_mtim.tv_sec, 1'000'000'000);
    EXPECT_EQ(Content(other->filePath("big.bin")), QByteArray());
    EXPECT_FALSE(QFile::exists(tree.Path("big.bin")));

    // A copy that fails half-way leaves the source alone and no partial copy behind.
    plat::SetCopyFaultForTest([](uint64_t copied) { return copied > 0 ? ENOSPC : 0; });
    EXPECT_EQ(plat::MoveFileAt(from.Get(), "keep.bin", to.Get()), ENOSPC);
    plat::SetCopyFaultForTest({});
    EXPECT_EQ(Content(tree.Path("keep.bin")), bytes);
    EXPECT_EQ(QDir(other->path()).entryList(QDir::Files), QStringList({"big (2).bin", "big.bin"}));
}
