#include "search/FolderScan.h"
#include "core/FileLists.h"
#include "platform/Mounts.h"
#include "tests/support/PumpScript.h"
#include "tests/support/SearchFixture.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestMount.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

class FolderScan : public TSearchFixture
{
protected:
    // Runs the folder loop as a search does and returns the taken files relative to the tree, in
    // FileList order.
    QStringList Scan()
    {
        ReserveScanLists();
        MinFileSize = ComputeMinFileSize(settings);
        StopFlag = 0;
        ScanSearchFolders(settings);
        StopFlag = 1;
        QStringList taken;
        for (int32_t i = 0; i <= FileCount; ++i)
            taken << FullPath(FileList[i]).mid(tree.Root().size());
        return taken;
    }
    QStringList Folders() const
    {
        QStringList folders;
        for (int32_t i = 0; i <= PathCount; ++i)
            folders << PathList[i].mid(tree.Root().size());
        return folders;
    }
};

TEST_F(FolderScan, MaskSelectsFilesButNeverHidesFolders)
{
    for (const char* name :
         {"a.txt", "b.TXT", "README", "c.tar.gz", "d.txt.bak", "x", "sub/e.txt", "sub/f.doc"})
        tree.File(QString::fromUtf8(name), "data");
    settings.Mask = "*.txt";
    EXPECT_EQ(Scan(), (QStringList{"a.txt", "b.TXT", "sub/e.txt"}));
    settings.Mask = "*.";
    EXPECT_EQ(Scan(), (QStringList{"README", "x"}));
    settings.Mask = "?";
    EXPECT_EQ(Scan(), (QStringList{"x"}));
    settings.Mask = "*.txt;*.doc"; // one pattern: the semicolon is an ordinary character
    EXPECT_EQ(Scan(), QStringList{});
    settings.Mask = "";
    EXPECT_EQ(Scan().size(), 8);
}

TEST_F(FolderScan, FirstFileAndFolderTakeIndexZero)
{
    tree.File("only.bin", "1");
    Scan();
    ASSERT_EQ(FileCount, 0);
    EXPECT_EQ(PathCount, 0);
    EXPECT_EQ(PathList[0], tree.Root());
    EXPECT_EQ(FileList[0].PathIndex, 0);
    EXPECT_EQ(FileList[0].Size, 1u);
    EXPECT_EQ(FileList[0].Checked, 0);
    EXPECT_EQ(FileList[0].Removed, 0);
    EXPECT_EQ(FileList[0].Attr, 0x20);
    EXPECT_EQ(CurrentFolder, tree.Root());
}

TEST_F(FolderScan, ZeroSizeFilesFollowTheOption)
{
    tree.File("empty1", "");
    tree.File("sub/empty2", "");
    tree.File("full", "x");
    EXPECT_EQ(Scan(), (QStringList{"full"}));
    EXPECT_EQ(Folders(), (QStringList{""}));
    settings.ExcludeZero = false;
    EXPECT_EQ(Scan(), (QStringList{"empty1", "full", "sub/empty2"}));
    EXPECT_EQ(Folders(), (QStringList{"", "sub/"})); // a folder of empty files gets its entry
}

TEST_F(FolderScan, MinimumSizeFromTheOptions)
{
    tree.PatternFile("at", 10240, 1);
    tree.PatternFile("below", 10239, 2);
    settings.MinSizeChecked = true;
    settings.MinSizeText = "10";
    settings.MinSizeUnitIndex = 1;
    EXPECT_EQ(Scan(), (QStringList{"at"}));

    auto minimum = [&](const QString& text, int unit) {
        settings.MinSizeText = text;
        settings.MinSizeUnitIndex = unit;
        return ComputeMinFileSize(settings);
    };
    EXPECT_EQ(minimum("1.5", 2), 1572864u);
    EXPECT_EQ(minimum("1.5", 0), 1u);
    EXPECT_EQ(minimum("7", 0), 7u);
    EXPECT_EQ(minimum("abc", 1), 0u);
    EXPECT_EQ(minimum("", 1), 0u);
    EXPECT_EQ(minimum("-5", 1), 0u);                  // typed in through the context menu: no minimum
    EXPECT_EQ(minimum("5000000", 2), 5242880000000u); // no wrap at 4 GiB
    LocaleFormat = QLocale(QLocale::German, QLocale::Germany);
    EXPECT_EQ(minimum("1,5", 1), 1536u);
    EXPECT_EQ(minimum("1.5", 1), 0u); // not a number with a comma separator
    settings.MinSizeChecked = false;
    EXPECT_EQ(minimum("10", 1), 0u);
}

TEST_F(FolderScan, SystemFileTypesAreProtected)
{
    for (const char* name : {"LIBRARY.DLL", "library.dll.bak", "x.sys", "y.OCX", "z.drv", "keep.txt"})
        tree.File(QString::fromUtf8(name), "data");
    EXPECT_EQ(Scan(), (QStringList{"keep.txt", "library.dll.bak"}));
    settings.ProtectSysFiles = false;
    EXPECT_EQ(Scan().size(), 6);
}

TEST_F(FolderScan, ProtectedFoldersAreNeitherReadNorEntered)
{
    tree.File("sys/a", "1");
    tree.File("sys/deep/b", "2");
    tree.File("Sys/c", "3"); // another folder: names are case-sensitive
    tree.File("system/d", "4");
    tree.File("e", "5");
    WindowsFolderPrefix = tree.Root() + "sys/";
    EXPECT_EQ(Scan(), (QStringList{"e", "Sys/c", "system/d"}));
    ProgramFilesPrefix = tree.Root() + "system/";
    EXPECT_EQ(Scan(), (QStringList{"e", "Sys/c"}));
    settings.ProtectSysFolders = false;
    EXPECT_EQ(Scan().size(), 5);
}

TEST_F(FolderScan, NestedSearchFoldersAreScannedOnceAndOnlyWhereTheOuterWalkEntersThem)
{
    tree.File("a/1", "1");
    tree.File("a/b/2", "2");
    tree.File("ab/3", "3");
    tree.File("c/4", "4");
    tree.Symlink("a/link", tree.Path("ab"));
    settings.Folders = {tree.Path("a/"), tree.Path("a/b/"), tree.Path("a/"), tree.Path("ab/")};
    EXPECT_EQ(Scan(), (QStringList{"a/1", "a/b/2", "ab/3"}));
    // Inside "a" by their text, yet the walk of "a" follows no link and no "..".
    settings.Folders = {tree.Path("a/link/"), tree.Path("a/"), tree.Path("a/../c/")};
    EXPECT_EQ(Scan(), (QStringList{"a/1", "a/b/2", "a/link/3", "a/../c/4"}));
    EXPECT_EQ(CurrentFolder, tree.Path("a/../c/"));

    // A folder whose path merely contains another search folder is no sub-folder of it.
    const QString inner = tree.Root().mid(1) + "data/";
    tree.File("data/x", "x");
    tree.File("mirror/" + inner + "y", "y");
    settings.Folders = {tree.Path("data/"), tree.Path("mirror/" + inner)};
    EXPECT_EQ(Scan(), (QStringList{"data/x", "mirror/" + inner + "y"}));

    // A disk mounted below a folder that is never entered (as /run/media below "/").
    tree.Folder("c/run");
    TTestMount runtime(QString(), tree.Path("c/run"));
    if (!runtime.Ok())
        GTEST_SKIP() << "mounting is refused here";
    tree.Folder("c/run/media");
    TTestMount disk(QString(), tree.Path("c/run/media"));
    ASSERT_TRUE(disk.Ok());
    tree.File("c/run/media/5", "5");
    struct stat st
    {
    };
    ASSERT_EQ(::stat(tree.Path("c/run").toUtf8().constData(), &st), 0);
    const QByteArray table = "1 0 " + QByteArray::number(major(st.st_dev)) + ':' +
                             QByteArray::number(minor(st.st_dev)) + " / " + tree.Path("c/run").toUtf8() +
                             " rw - proc proc rw\n";
    plat::SetMountInfoSourceForTest(&table);
    settings.Folders = {tree.Path("c/"), tree.Path("c/run/media/")};
    const QStringList taken = Scan();
    plat::SetMountInfoSourceForTest(nullptr);
    EXPECT_EQ(taken, (QStringList{"c/4", "c/run/media/5"}));
}

TEST_F(FolderScan, FoldersWithoutTakenFilesGetNoEntryButAreWalked)
{
    tree.File("small/tiny", "t");
    tree.PatternFile("small/sub/big", 5000, 3);
    settings.MinSizeChecked = true;
    settings.MinSizeText = "1";
    settings.MinSizeUnitIndex = 1;
    EXPECT_EQ(Scan(), (QStringList{"small/sub/big"}));
    EXPECT_EQ(Folders(), (QStringList{"small/sub/"}));
}

TEST_F(FolderScan, LinksFifosAndSecondHardLinksAreNeverTaken)
{
    tree.File("real/file", "content");
    tree.Symlink("real/loop", tree.Path("real"));
    tree.Symlink("real/to-file", tree.Path("real/file"));
    tree.Fifo("real/pipe");
    tree.HardLink("real/hard", "real/file");
    tree.Symlink("alias", tree.Path("real"));
    settings.Folders = {tree.Path("real/"), tree.Path("alias/")};
    EXPECT_EQ(Scan(), (QStringList{"real/file"})); // "hard" is the same file, "alias" the same folder
}

TEST_F(FolderScan, NamesKeepEveryByteAndEachFileIsTakenOnce)
{
    // A name that begins with U+FEFF is another name, and another file; one that is no UTF-8 is
    // skipped.
    const QString marked = QString(QChar(0xFEFF)) + "X";
    tree.File("X", "plain");
    tree.File(marked, "other");
    tree.File(QString(QChar(0xFEFF)) + "D/in", "i");
    const QByteArray bad = tree.Root().toUtf8() + "bad\xff";
    const int fd = ::open(bad.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "b", 1), 1);
    ::close(fd);
    EXPECT_EQ(Scan(), (QStringList{"X", marked, QString(QChar(0xFEFF)) + "D/in"}));
    ::unlink(bad.constData());

    // A file mounted onto another file shows one file twice; a kernel file mounted onto a file is
    // no file of the user's.
    tree.File("z-mounted-on", "xxxxx");
    tree.File("kernel", "");
    TTestMount sameFile(tree.Path("X"), tree.Path("z-mounted-on"));
    TTestMount kernelFile(QStringLiteral("/proc/version"), tree.Path("kernel"));
    if (!sameFile.Ok() || !kernelFile.Ok())
        GTEST_SKIP() << "mounting is refused here";
    settings.ExcludeZero = false;
    EXPECT_EQ(Scan(), (QStringList{"X", marked, QString(QChar(0xFEFF)) + "D/in"}));
}

TEST_F(FolderScan, ProtectionFollowsTheCanonicalPathAndTheMountTable)
{
    tree.File("sys/a", "1");
    tree.File("sys/share/b", "2");
    tree.File("data/c", "3");
    WindowsFolderPrefix = tree.Root() + "sys/";
    // Other spellings of a protected folder: a link (standing for the folder itself, as a bind mount
    // would), doubled and dotted separators, "..", a relative path. Unprotected, each is searched.
    tree.Symlink("alias", tree.Path("sys"));
    const QString relative = QDir::current().relativeFilePath(tree.Path("sys")) + "/";
    for (const QString& spelling : {tree.Path("alias/"), "/" + tree.Path("sys/"),
                                    tree.Root() + "./sys/share/", tree.Root() + "data/../sys/", relative}) {
        settings.Folders = {spelling};
        settings.ProtectSysFolders = true;
        EXPECT_EQ(Scan(), QStringList{}) << spelling.toStdString();
        settings.ProtectSysFolders = false;
        EXPECT_FALSE(Scan().isEmpty()) << spelling.toStdString();
    }
    settings.ProtectSysFolders = true;

    // The user's home is never protected, also where it lies below a protected folder: the way
    // to it is walked, nothing else there.
    const QByteArray home = qgetenv("HOME");
    tree.File("var/log/d", "4");
    tree.File("var/home/u/e", "5");
    tree.File("var/home/other/f", "6");
    ProgramFilesPrefix = tree.Root() + "var/";
    qputenv("HOME", tree.Path("var/home/u").toUtf8());
    settings.Folders = {tree.Root()};
    EXPECT_EQ(Scan(), (QStringList{"data/c", "var/home/u/e"}));
    settings.Folders = {tree.Path("var/home/u/")};
    EXPECT_EQ(Scan(), (QStringList{"var/home/u/e"}));

    // A protected folder mounted elsewhere is protected there too.
    tree.Folder("data/view");
    TTestMount view(tree.Path("sys/share"), tree.Path("data/view"));
    if (view.Ok()) {
        settings.Folders = {tree.Path("data/")};
        EXPECT_EQ(Scan(), (QStringList{"data/c"}));
    }
    qputenv("HOME", home);
    if (!view.Ok())
        GTEST_SKIP() << "mounting is refused here";
}

TEST_F(FolderScan, UnreachableSearchFoldersAreSkippedSilently)
{
    tree.File("here/f", "f");
    settings.Folders = {tree.Path("missing/"), tree.Path("here/")};
    EXPECT_EQ(Scan(), (QStringList{"here/f"}));
}

TEST_F(FolderScan, PseudoFileSystemsAndTrashFoldersAreNeverEntered)
{
    tree.File("f", "f");
    struct stat st
    {
    };
    ASSERT_EQ(::stat(tree.Root().toUtf8().constData(), &st), 0);
    const QByteArray table = QByteArray("1 0 ") + QByteArray::number(major(st.st_dev)) + ':' +
                             QByteArray::number(minor(st.st_dev)) + " / /fake rw - proc proc rw\n";
    plat::SetMountInfoSourceForTest(&table);
    settings.ProtectSysFolders = false;
    EXPECT_EQ(Scan(), QStringList{});
    plat::SetMountInfoSourceForTest(nullptr);
    EXPECT_EQ(Scan(), (QStringList{"f"}));

    settings.Folders = {QStringLiteral("/proc/self/")}; // the real kernel tree
    Scan();
    EXPECT_EQ(FileCount, -1);

    // The desktop's trash, by whatever path: the home trash by its identity, any user's trash at
    // the top of a mount by its name. Such a name elsewhere is an ordinary folder.
    TTempHome home;
    qputenv("XDG_DATA_HOME", tree.Path("home/data").toUtf8());
    tree.File("home/h", "h");
    tree.File("home/data/Trash/files/t", "t");
    tree.File("loose/.Trash-0/l", "l");
    settings.Folders = {tree.Path("home/"), tree.Path("home/data/Trash/"),
                        tree.Path("home/data/Trash/files/"), tree.Path("loose/")};
    EXPECT_EQ(Scan(), (QStringList{"home/h", "loose/.Trash-0/l"}));
    TTestMount disk(QString(), tree.Folder("disk"));
    if (!disk.Ok())
        GTEST_SKIP() << "mounting is refused here";
    tree.File("disk/.Trash/0/files/x", "x");
    tree.File("disk/.Trash-1000/files/y", "y");
    tree.File("disk/.Trash-me/z", "z");
    tree.File("disk/in/.Trash/w", "w");
    TTestMount view(tree.Path("home/data/Trash"), tree.Folder("disk/in/view"));
    ASSERT_TRUE(view.Ok());
    settings.Folders = {tree.Path("disk/"), tree.Path("disk/.Trash-1000/files/")};
    EXPECT_EQ(Scan(), (QStringList{"disk/.Trash-me/z", "disk/in/.Trash/w"}));
}

TEST_F(FolderScan, StopTakesNothingAfterTheEntryBeingHandled)
{
    tree.File("a", "1");
    tree.File("b", "2");
    tree.File("sub/c", "3");
    {
        // Pump 1 enters the root; pump 2 follows its first PathList entry, made for "a".
        auto stop = TPumpScript::StopAt(2);
        Scan();
    }
    EXPECT_EQ(FileCount, 0);
    EXPECT_EQ(PathCount, 0);
    {
        auto stop = TPumpScript::StopAt(1);
        Scan();
    }
    EXPECT_EQ(FileCount, -1);

    // A stop in the first search folder leaves the others alone.
    settings.Folders = {tree.Path("sub/"), tree.Root() + "a-folder/"};
    tree.File("a-folder/d", "4");
    {
        auto stop = TPumpScript::StopAt(2);
        Scan();
    }
    EXPECT_EQ(FileCount, 0);
    EXPECT_EQ(CurrentFolder, tree.Path("sub/"));
}

} // namespace
