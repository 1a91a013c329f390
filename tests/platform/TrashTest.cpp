#include "platform/Trash.h"

#include "platform/FileOps.h"
#include "tests/support/TempHome.h"
#include "tests/support/TempTree.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

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

// The Path= of a .trashinfo, decoded, after checking the record's other lines.
QString TrashedPath(const QString& infoFile)
{
    const QList<QByteArray> lines = Content(infoFile).split('\n');
    EXPECT_EQ(lines.size(), 4) << infoFile.toStdString();
    if (lines.size() != 4)
        return {};
    EXPECT_EQ(lines[0], "[Trash Info]");
    EXPECT_TRUE(lines[1].startsWith("Path="));
    const QDateTime deleted =
        QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)), QStringLiteral("yyyy-MM-ddThh:mm:ss"));
    EXPECT_TRUE(lines[2].startsWith("DeletionDate=") && deleted.isValid()) << lines[2].toStdString();
    EXPECT_LE(std::abs(deleted.secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_EQ(lines[3], "");
    // Only unreserved characters and '/' may stand unencoded.
    EXPECT_FALSE(QString::fromLatin1(lines[1].mid(5))
                     .contains(QRegularExpression(QStringLiteral("[^A-Za-z0-9/%._~-]"))));
    return QString::fromUtf8(QByteArray::fromPercentEncoding(lines[1].mid(5)));
}

} // namespace

TEST(Trash, HomeTrashKeepsEveryFileRestorable)
{
    TTempHome home;
    TTempTree tree;
    const QString names[] = {QStringLiteral("plain.txt"), QStringLiteral("with space 100%.txt"),
                             QStringLiteral("Grüße ünïcödé #1.txt")};
    for (const QString& name : names)
        tree.File(name, name.toUtf8());
    tree.File("other/plain.txt", "second plain");
    const QString canonical = QDir(tree.Root()).canonicalPath() + QLatin1Char('/');

    plat::TTrash trash;
    const plat::TUniqueFd folder = Folder(tree.Root());
    for (const QString& name : names) {
        plat::TTrashResult result = plat::TTrashResult::DeletedForGood;
        ASSERT_EQ(trash.MoveToTrash(folder.Get(), name.toUtf8(), &result), 0) << name.toStdString();
        EXPECT_EQ(result, plat::TTrashResult::Trashed);
        EXPECT_FALSE(QFile::exists(tree.Path(name)));
        EXPECT_EQ(Content(home.Trash() + "files/" + name), name.toUtf8());
        EXPECT_EQ(TrashedPath(home.Trash() + "info/" + name + ".trashinfo"), canonical + name);
    }
    // The same name again gets a name of its own; the first stays restorable.
    ASSERT_EQ(trash.MoveToTrash(Folder(tree.Path("other")).Get(), "plain.txt"), 0);
    EXPECT_EQ(Content(home.Trash() + "files/plain (2).txt"), "second plain");
    EXPECT_EQ(TrashedPath(home.Trash() + "info/plain (2).txt.trashinfo"), canonical + "other/plain.txt");
    EXPECT_EQ(Content(home.Trash() + "files/plain.txt"), "plain.txt");

    // Nothing there, a folder, a link: refused, and no stray .trashinfo is left.
    tree.Folder("sub");
    tree.Symlink("link", tree.Path("other/plain.txt"));
    EXPECT_EQ(trash.MoveToTrash(folder.Get(), "missing"), ENOENT);
    EXPECT_EQ(trash.MoveToTrash(folder.Get(), "sub"), EISDIR);
    EXPECT_NE(trash.MoveToTrash(folder.Get(), "link"), 0);
    EXPECT_EQ(QDir(home.Trash() + "info").entryList(QDir::Files).size(), 4);
    EXPECT_EQ(QDir(home.Trash() + "files").entryList(QDir::Files).size(), 4);
    struct stat st
    {
    };
    ASSERT_EQ(::stat(home.Trash().toUtf8().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(Trash, OtherFileSystemsUseTheirTopFolderTrash)
{
    TTempHome home;
    struct stat shm
    {
    };
    struct stat tmp
    {
    };
    if (::stat("/dev/shm", &shm) != 0 || ::stat(QDir::tempPath().toUtf8().constData(), &tmp) != 0 ||
        shm.st_dev == tmp.st_dev)
        GTEST_SKIP() << "no second file system (/dev/shm) to trash on";
    QTemporaryDir folder(QStringLiteral("/dev/shm/pairwick-test-XXXXXX"));
    ASSERT_TRUE(folder.isValid());
    const QString ownTrash = QStringLiteral("/dev/shm/.Trash-%1/").arg(::getuid());
    const bool hadTrash = QDir(ownTrash).exists();
    // A name of its own, so that a trash shared with other programs is left as it was.
    const QString trashName = QStringLiteral("pw test %1.txt").arg(QDateTime::currentMSecsSinceEpoch());
    ASSERT_TRUE(QFile(folder.filePath(trashName)).open(QIODevice::WriteOnly));

    plat::TTrash trash;
    EXPECT_EQ(trash.MoveToTrash(Folder(folder.path()).Get(), trashName.toUtf8()), 0);
    EXPECT_TRUE(QFile::exists(ownTrash + "files/" + trashName));
    EXPECT_EQ(TrashedPath(ownTrash + "info/" + trashName + ".trashinfo"),
              QDir(folder.path()).dirName() + QLatin1Char('/') + trashName);
    EXPECT_FALSE(QDir(home.Trash()).exists());

    QFile::remove(ownTrash + "files/" + trashName);
    QFile::remove(ownTrash + "info/" + trashName + ".trashinfo");
    if (!hadTrash)
        QDir(ownTrash).removeRecursively();
}
