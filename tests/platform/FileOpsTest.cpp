#include "platform/FileOps.h"
#include "platform/FileCopy.h"
#include "platform/Trash.h"

#include "tests/support/TempHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <linux/posix_acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace {

const char AclName[] = "system.posix_acl_access";

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
    struct stat st = {};
    EXPECT_EQ(::lstat(path.toUtf8().constData(), &st), 0) << path.toStdString();
    return st;
}

QByteArray Attribute(const QString& path, const char* name)
{
    QByteArray value(4096, 0);
    const ssize_t size = ::getxattr(path.toUtf8().constData(), name, value.data(), size_t(value.size()));
    return size < 0 ? QByteArray("<none>") : value.left(size);
}

// An access ACL as the kernel keeps it: version 2, then (tag, permissions, id) for each entry.
QByteArray Acl(std::initializer_list<std::array<uint32_t, 3>> entries)
{
    QByteArray acl("\2\0\0\0", 4);
    for (const auto& [tag, permissions, id] : entries) {
        const uint16_t head[2] = {qToLittleEndian(uint16_t(tag)), qToLittleEndian(uint16_t(permissions))};
        const uint32_t who = qToLittleEndian(id);
        acl.append(reinterpret_cast<const char*>(head), 4).append(reinterpret_cast<const char*>(&who), 4);
    }
    return acl;
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

// /dev/shm stands for a second disk: a move there copies, and a delete uses that disk's own trash.
TEST(FileOps, AnotherFileSystemGetsWholeCopiesOrNoneAndATrashOfItsOwn)
{
    TTempHome home;
    TTempTree tree;
    if (!QDir(QStringLiteral("/dev/shm")).exists() || Stat("/dev/shm").st_dev == Stat(tree.Root()).st_dev)
        GTEST_SKIP() << "no second file system (/dev/shm)";
    QTemporaryDir other(QStringLiteral("/dev/shm/pairwick-test-XXXXXX"));
    ASSERT_TRUE(other.isValid());
    const QByteArray bytes = TTempTree::Pattern(700'000, 7);
    tree.File("big.bin", bytes);
    tree.File("keep.bin", bytes);
    ::chmod(tree.Path("big.bin").toUtf8().constData(), 0640);
    tree.SetModified("big.bin", 1'000'000'000);
    QFile(other.filePath("big.bin")).open(QIODevice::WriteOnly); // taken: the copy gets a free name
    const plat::TUniqueFd from = Folder(tree.Root());
    const plat::TUniqueFd to = Folder(other.path());

    QByteArray used;
    ASSERT_EQ(plat::MoveFileAt(from.Get(), "big.bin", to.Get(), &used), 0);
    EXPECT_EQ(used, "big (2).bin");
    const QString moved = other.filePath("big (2).bin");
    EXPECT_EQ(Content(moved), bytes);
    EXPECT_EQ(Stat(moved).st_mode & 07777, 0640u);
    EXPECT_EQ(Stat(moved).st_mtim.tv_sec, 1'000'000'000);
    EXPECT_EQ(Content(other.filePath("big.bin")), QByteArray());
    EXPECT_FALSE(QFile::exists(tree.Path("big.bin")));

    // A copy that fails half-way leaves the source alone and no partial copy behind.
    plat::SetCopyFaultForTest([](uint64_t copied) { return copied > 0 ? ENOSPC : 0; });
    EXPECT_EQ(plat::MoveFileAt(from.Get(), "keep.bin", to.Get()), ENOSPC);
    plat::SetCopyFaultForTest({});
    EXPECT_EQ(Content(tree.Path("keep.bin")), bytes);
    EXPECT_EQ(QDir(other.path()).entryList(QDir::Files), QStringList({"big (2).bin", "big.bin"}));
    // A new version saved over the file while it is copied stays, and the copy goes.
    const QByteArray newer = TTempTree::Pattern(700'000, 8);
    bool saved = false;
    plat::SetCopyFaultForTest([&](uint64_t) {
        if (!std::exchange(saved, true)) // an editor's save: a new file renamed over the old one
            ::rename(tree.File("newer.bin", newer).toUtf8(), tree.Path("keep.bin").toUtf8());
        return 0;
    });
    EXPECT_EQ(plat::MoveFileAt(from.Get(), "keep.bin", to.Get()), ESTALE);
    plat::SetCopyFaultForTest({});
    EXPECT_EQ(Content(tree.Path("keep.bin")), newer);
    EXPECT_EQ(QDir(other.path()).entryList(QDir::Files), QStringList({"big (2).bin", "big.bin"}));
    // A file that ends before its size (cut short under the copy, or a stale size) is not copied:
    // zeros never stand in for its missing bytes.
    const QByteArray keep = tree.Path("keep.bin").toUtf8();
    plat::SetCopyFaultForTest(
        [&](uint64_t) { return ::truncate(keep.constData(), 300'000) == 0 ? 0 : errno; });
    const plat::TUniqueFd cut(::open(keep.constData(), O_RDONLY | O_CLOEXEC));
    EXPECT_EQ(plat::CopyFileInto(cut.Get(), Stat(keep), to.Get(), "cut.bin"), ESTALE);
    plat::SetCopyFaultForTest({});
    EXPECT_EQ(QDir(other.path()).entryList(QDir::Files), QStringList({"big (2).bin", "big.bin"}));

    // Kept as it was: holes, extended attributes, and the ACL, without which the group bits (the
    // ACL's mask, rw) would let the whole group write.
    const QString sparse = tree.File("sparse.bin", {});
    ASSERT_EQ(::truncate(sparse.toUtf8().constData(), 3 << 20), 0);
    QFile part(sparse);
    ASSERT_TRUE(part.open(QIODevice::ReadWrite) && part.seek(1 << 20) &&
                part.write(bytes.left(4096)) == 4096);
    part.close();
    const QByteArray acl = Acl({{ACL_USER_OBJ, 6, ~0u},
                                {ACL_USER, 6, 65534},
                                {ACL_GROUP_OBJ, 4, ~0u},
                                {ACL_MASK, 6, ~0u},
                                {ACL_OTHER, 0, ~0u}});
    for (const auto& [name, value] :
         {std::pair("user.origin", QByteArray("camera 2")), std::pair(AclName, acl)})
        ASSERT_EQ(::setxattr(sparse.toUtf8().constData(), name, value.constData(), size_t(value.size()), 0),
                  0);
    ASSERT_EQ(Stat(sparse).st_mode & 07777, 0660u);
    const bool userAttributes = ::setxattr(other.path().toUtf8().constData(), "user.probe", "", 0, 0) == 0;
    ASSERT_EQ(plat::MoveFileAt(from.Get(), "sparse.bin", to.Get()), 0);
    const QString kept = other.filePath("sparse.bin");
    EXPECT_EQ(Content(kept), QByteArray(1 << 20, 0) + bytes.left(4096) + QByteArray((2 << 20) - 4096, 0));
    EXPECT_LE(Stat(kept).st_blocks, 128) << "holes written out";
    EXPECT_EQ(Attribute(kept, "user.origin"), userAttributes ? "camera 2" : "<none>");
    EXPECT_EQ(Attribute(kept, AclName), acl);
    EXPECT_EQ(Stat(kept).st_mode & 07777, 0660u);
    // Where the ACL cannot go, the group gets what its own entry and the mask allow, no more.
    EXPECT_EQ(plat::ModeWithoutAcl(acl, 0660), 0640u);
    EXPECT_EQ(plat::ModeWithoutAcl(Acl({{ACL_GROUP_OBJ, 7, ~0u}, {ACL_MASK, 5, ~0u}}), 0775), 0755u);
    EXPECT_EQ(plat::ModeWithoutAcl("not an ACL", 0775), 0705u);

    // A name of its own, so that a trash shared with other programs is left as it was.
    const QString ownTrash = QStringLiteral("/dev/shm/.Trash-%1/").arg(::getuid());
    const bool hadTrash = QDir(ownTrash).exists();
    const QString name = QStringLiteral("pw test %1.txt").arg(QDateTime::currentMSecsSinceEpoch());
    ASSERT_TRUE(QFile(other.filePath(name)).open(QIODevice::WriteOnly));
    plat::TTrash trash;
    EXPECT_EQ(trash.MoveToTrash(to.Get(), name.toUtf8()), 0);
    EXPECT_FALSE(QFile::exists(other.filePath(name)));
    EXPECT_TRUE(QFile::exists(ownTrash + "files/" + name));
    // Kept relative to the top folder, so the trash restores wherever the drive is mounted.
    const QString info = ownTrash + "info/" + name + ".trashinfo";
    EXPECT_EQ(Content(info).split('\n').value(1),
              "Path=" + (QDir(other.path()).dirName() + '/' + name).toUtf8().toPercentEncoding("/"));
    EXPECT_FALSE(QDir(home.Trash()).exists());
    QFile::remove(ownTrash + "files/" + name);
    QFile::remove(info);
    if (!hadTrash)
        QDir(ownTrash).removeRecursively();
}
