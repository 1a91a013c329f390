#include "platform/Trash.h"

#include "platform/FileOps.h"
#include "tests/support/TempHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

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
    plat::TUniqueFd folderFd;
    ASSERT_EQ(plat::OpenFolderHandle(folder.path().toUtf8(), folderFd), 0);

    plat::TTrash trash;
    plat::TTrashResult result = plat::TTrashResult::DeletedForGood;
    EXPECT_EQ(trash.MoveToTrash(folderFd.Get(), trashName.toUtf8(), &result), 0);
    EXPECT_EQ(result, plat::TTrashResult::Trashed);
    EXPECT_FALSE(QFile::exists(folder.filePath(trashName)));
    EXPECT_TRUE(QFile::exists(ownTrash + "files/" + trashName));
    // Kept relative to the top folder, so the trash restores wherever the drive is mounted.
    QFile info(ownTrash + "info/" + trashName + ".trashinfo");
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    EXPECT_EQ(info.readAll().split('\n').value(1),
              "Path=" + (QDir(folder.path()).dirName() + '/' + trashName).toUtf8().toPercentEncoding("/"));
    EXPECT_FALSE(QDir(home.Trash()).exists());

    QFile::remove(ownTrash + "files/" + trashName);
    info.remove();
    if (!hadTrash)
        QDir(ownTrash).removeRecursively();
}
