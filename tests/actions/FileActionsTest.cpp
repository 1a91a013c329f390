#include "actions/FileActions.h"

#include "core/FileLists.h"
#include "core/ReferenceFiles.h"
#include "results/ResultView.h"
#include "tests/results/ResultFixture.h"
#include "tests/support/SearchFixture.h"
#include "tests/support/SearchResults.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestMount.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// Waits until the clock that stamps file changes (coarse: one tick, a few milliseconds) has passed
// the change time of `path`, so that a change from now on gets another change time on any kernel.
void WaitPastChangeTime(const QString& path)
{
    struct stat st
    {
    };
    ASSERT_EQ(::stat(path.toUtf8().constData(), &st), 0);
    timespec now{};
    do {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    } while (std::pair(now.tv_sec, now.tv_nsec) <= std::pair(st.st_ctim.tv_sec, st.st_ctim.tv_nsec));
}

// Runs the commands over the records of a real search, playing the window: the dialogs and boxes
// are answered as a user would, and every dialog, box and refresh is logged in order.
class FileActionsTest : public TSearchFixture, public TActionWindow
{
protected:
    void ShowDeleteForm() override
    {
        Log << QStringLiteral("delete form");
        if (DeleteChoice != 0) // else closed without a choice: ActionMode is left as it is
            ActionMode = DeleteChoice;
    }
    void ShowMoveForm() override
    {
        Log << QStringLiteral("move form") + MoveDirectory; // the command empties it first
        if (MoveTo) {
            ActionMode = 1;
            MoveDirectory = *MoveTo;
        }
    }
    bool ShowError(const QString& text, bool offerAbort) override
    {
        Log << (offerAbort ? "error+abort: " : "error: ") + text;
        return !Aborts.isEmpty() && Aborts.takeFirst();
    }
    void ShowInformation(const QString& text) override { Log << "info: " + text; }
    bool Confirm(const QString& text) override
    {
        Log << "confirm: " + text;
        return ConfirmAnswer;
    }
    void RepaintList() override { Log << QStringLiteral("repaint"); }
    void UpdateSelectionStats() override { Log << QStringLiteral("stats"); }
    QStringList Take() { return std::exchange(Log, {}); }

    // The record of the file in `folder` (each test has one file a folder).
    TFileInfoType& Record(const QString& folder)
    {
        for (int32_t i = 0; i <= ResultCount; ++i)
            if (FolderOf(ResultList[i]) == folder)
                return ResultList[i];
        throw std::runtime_error("no record in " + folder.toStdString());
    }
    void Mark(const QStringList& folders, uint8_t checked = 1)
    {
        for (const QString& folder : folders)
            Record(folder).Checked = checked;
    }
    // Every record by its folder, with '*' when marked and 'x' when removed.
    QString Marks()
    {
        QStringList marks;
        for (int32_t i = 0; i <= ResultCount; ++i)
            marks << FolderOf(ResultList[i]) + (ResultList[i].Checked ? "*" : "") +
                         (ResultList[i].Removed ? "x" : "");
        marks.sort();
        return marks.join(' ');
    }
    static QString FolderOf(const TFileInfoType& record)
    {
        return QFileInfo(FullPath(record)).dir().dirName();
    }
    static QByteArray Content(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QString Canonical(const QString& relative) { return QDir(tree.Root()).canonicalPath() + '/' + relative; }
    // The original paths the home trash keeps, decoded, after checking the form of each record
    // (only unreserved characters stay unencoded, a local time of now) and that its file is there.
    QStringList TrashedPaths() { return TrashedPaths(home.Trash()); }
    QStringList TrashedPaths(const QString& trash)
    {
        static const QRegularExpression form(
            QStringLiteral("^\\[Trash Info\\]\nPath=([A-Za-z0-9/%._~-]+)\n"
                           "DeletionDate=(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d)\n\\z"));
        const QDateTime now = QDateTime::currentDateTime();
        QStringList paths;
        for (const QFileInfo& info : QDir(trash + "info").entryInfoList(QDir::Files)) {
            const QRegularExpressionMatch match = form.match(QString::fromUtf8(Content(info.filePath())));
            EXPECT_TRUE(match.hasMatch()) << info.fileName().toStdString();
            const QDateTime deleted = QDateTime::fromString(match.captured(2), Qt::ISODate);
            EXPECT_TRUE(deleted.isValid() && std::abs(deleted.secsTo(now)) <= 60)
                << match.captured(2).toStdString();
            EXPECT_TRUE(QFile::exists(trash + "files/" + info.completeBaseName()));
            paths << QString::fromUtf8(QByteArray::fromPercentEncoding(match.captured(1).toLatin1()));
        }
        paths.sort();
        return paths;
    }

    TTempHome home;
    uint8_t DeleteChoice = 0;
    std::optional<QString> MoveTo; // none: the move dialog is closed without a choice
    QList<bool> Aborts;            // the answers to the error boxes in turn, true for Abort; then OK
    bool ConfirmAnswer = true;
    QStringList Log;
};

} // namespace

TEST_F(FileActionsTest, DeleteAsksThenTrashesOrDeletesEachMarkedFileAndSumsUp)
{
    const QString name = QStringLiteral("/1 100% ü.txt");
    for (const char* folder : {"a", "b", "c", "d", "e"})
        tree.File(folder + name, "one");
    ::chmod(tree.Path("e" + name).toUtf8().constData(), 0444);
    ASSERT_EQ(SearchForResults(settings), 5);
    ASSERT_EQ(Record("e").Attr & 1, 1);

    DeleteSelected(*this); // nothing marked: no dialog at all
    MoveSelected(*this);
    EXPECT_EQ(Take(), QStringList());

    // A file gone since the search is reported, and OK goes on with the rest.
    Mark({"b", "c", "d"});
    QFile::remove(tree.Path("b" + name));
    DeleteChoice = 1;
    DeleteSelected(*this);
    const QString notFound = "error+abort: Cannot find file \"1 100% ü.txt\"";
    EXPECT_EQ(Take(),
              QStringList({"delete form", notFound, "info: 2 of 3 files was deleted.", "repaint", "stats"}));
    EXPECT_EQ(TrashedPaths(), QStringList({Canonical("c" + name), Canonical("d" + name)}));
    EXPECT_EQ(QDir(home.Trash() + "files").entryList(QDir::Files),
              QStringList({"1 100% ü (2).txt", "1 100% ü.txt"}));
    EXPECT_FALSE(QFile::exists(tree.Path("c" + name)) || QFile::exists(tree.Path("d" + name)));
    EXPECT_EQ(Marks(), "a b* cx dx e");

    // Cancel, even after a confirmed run, does nothing; the move dialog starts without a folder.
    DeleteChoice = 0;
    MoveDirectory = QStringLiteral("stale");
    DeleteSelected(*this);
    MoveSelected(*this);
    EXPECT_EQ(Take(), QStringList({"delete form", "move form"}));

    // Abort at the first failure ends the run; the summary still comes.
    QFile::remove(tree.Path("a" + name));
    Mark({"a"});
    DeleteChoice = 1;
    Aborts = {true};
    DeleteSelected(*this);
    EXPECT_EQ(Take(),
              QStringList({"delete form", notFound, "info: 0 of 2 files was deleted.", "repaint", "stats"}));
    EXPECT_EQ(Marks(), "a* b* cx dx e");

    // For good: a file read-only at the search loses that bit first, and no trash is involved.
    Mark({"a", "b"}, 0);
    Mark({"e"});
    DeleteChoice = 2;
    DeleteSelected(*this);
    EXPECT_EQ(Take(), QStringList({"delete form", "info: 1 of 1 files was deleted.", "repaint", "stats"}));
    EXPECT_FALSE(QFile::exists(tree.Path("e" + name)));
    EXPECT_EQ(Record("e").Attr, 0x20);
    EXPECT_EQ(Marks(), "a b cx dx ex");
    EXPECT_EQ(TrashedPaths().size(), 2);
}

TEST_F(FileActionsTest, MoveNeverOverwritesAndNoCommandTouchesAChangedFile)
{
    for (const char* folder : {"m1", "m2", "p", "q", "r", "s", "t"})
        tree.File(folder + QStringLiteral("/4.txt"), "four");
    tree.File("dest/4.txt", "other");
    ASSERT_EQ(SearchForResults(settings), 7);

    // Files that are no longer those the search saw are refused with error 116, by both commands.
    Mark({"p", "q", "r", "t"});
    tree.File("p/4.txt", "FOUR"); // same size, other bytes, another time
    tree.SetModified("p/4.txt", 1'000'000'000);
    WaitPastChangeTime(tree.Path("t/4.txt")); // same size, other bytes, the time put back (touch -r)
    const auto modified = std::filesystem::last_write_time(tree.Path("t/4.txt").toStdString());
    tree.File("t/4.txt", "Four");
    std::filesystem::last_write_time(tree.Path("t/4.txt").toStdString(), modified);
    QDir().rename(tree.Path("q"), tree.Path("q-real")); // the folder swapped for a link
    tree.Symlink("q", tree.Path("q-real"));
    QFile::remove(tree.Path("r/4.txt")); // the file swapped for a link
    tree.Symlink("r/4.txt", tree.Path("s/4.txt"));
    DeleteChoice = 2;
    DeleteSelected(*this);
    MoveTo = tree.Path("dest");
    MoveSelected(*this);
    const QString deleteError = "error+abort: Cannot delete file \"4.txt\"\n\rError code: 116";
    const QString moveError = "error+abort: Cannot move file \"4.txt\"\n\rError code: 116";
    EXPECT_EQ(Take(), QStringList({"delete form", deleteError, deleteError, deleteError, deleteError,
                                   "info: 0 of 4 files was deleted.", "repaint", "stats", "move form",
                                   moveError, moveError, moveError, moveError,
                                   "info: 0 of 4 files moved to specified folder.", "repaint", "stats"}));
    EXPECT_EQ(Content(tree.Path("p/4.txt")), "FOUR");
    EXPECT_EQ(Content(tree.Path("t/4.txt")), "Four");
    EXPECT_EQ(Content(tree.Path("q-real/4.txt")), "four");
    EXPECT_EQ(QFileInfo(tree.Path("r/4.txt")).symLinkTarget(), tree.Path("s/4.txt"));
    EXPECT_EQ(Content(tree.Path("s/4.txt")), "four");

    // A taken name gets a free one; a moved record keeps its old folder.
    Mark({"p", "q", "r", "t"}, 0);
    Mark({"m1", "m2"});
    MoveSelected(*this);
    EXPECT_EQ(Take(), QStringList({"move form", "info: 2 of 2 files moved to specified folder.", "repaint",
                                   "stats"}));
    EXPECT_EQ(QDir(tree.Path("dest")).entryList(QDir::Files),
              QStringList({"4 (2).txt", "4 (3).txt", "4.txt"}));
    EXPECT_EQ(Content(tree.Path("dest/4.txt")) + Content(tree.Path("dest/4 (2).txt")) +
                  Content(tree.Path("dest/4 (3).txt")),
              "otherfourfour");
    EXPECT_FALSE(QFile::exists(tree.Path("m1/4.txt")) || QFile::exists(tree.Path("m2/4.txt")));

    // A destination that is no folder: nothing moves, and nothing more is shown.
    Mark({"s"});
    for (const QString& missing : {tree.Path("nowhere"), QString(), tree.Path("dest/4.txt")}) {
        MoveTo = missing;
        MoveSelected(*this);
        EXPECT_EQ(Take(), QStringList({"move form", "error: Directory \"" + missing + "\" is not exist."}));
    }
    EXPECT_EQ(Content(tree.Path("s/4.txt")), "four");
    EXPECT_EQ(Marks(), "m1x m2x p q r s* t");
}

TEST_F(FileActionsTest, MenuStateAndDeleteThisFile)
{
    tree.File("first/5.txt", "five");
    tree.File("second/5.txt", "five");
    ASSERT_EQ(SearchForResults(settings), 2);
    const auto state = [](int row) {
        const TPopupMenuState s = PopupMenuState(row);
        return std::pair(s.RowCommands, s.DeleteThisFile);
    };
    EXPECT_EQ(state(-1), std::pair(false, false));
    EXPECT_EQ(state(0), std::pair(true, true));

    const QString question = "confirm: Do you really want to delete \"5.txt\"";
    Mark({"first"});
    ConfirmAnswer = false;
    DeleteThisFile(0, *this);
    EXPECT_EQ(Take(), QStringList({question, "stats", "repaint"}));
    EXPECT_EQ(Content(tree.Path("first/5.txt")), "five");

    ConfirmAnswer = true;
    DeleteThisFile(0, *this);
    EXPECT_EQ(Take(),
              QStringList({question, "info: File \"5.txt\" deleted successfully\n\r", "stats", "repaint"}));
    EXPECT_EQ(Marks(), "firstx second");
    EXPECT_EQ(TrashedPaths(), QStringList({Canonical("first/5.txt")}));
    EXPECT_EQ(state(0), std::pair(true, false));

    QFile::remove(tree.Path("second/5.txt"));
    DeleteThisFile(1, *this);
    EXPECT_EQ(Take(), QStringList({question, "error: Cannot find file \"5.txt\"", "stats", "repaint"}));

    SortList[1].ItemIndex = -1; // a row without a record
    EXPECT_EQ(state(1), std::pair(true, false));
    DeleteThisFile(1, *this);
    EXPECT_EQ(Take(), QStringList({"stats", "repaint"}));
    ResultCount = -1;
    EXPECT_EQ(state(0), std::pair(true, false));
}

// Another user, owner of the read-only file in "fixed", who can no longer reach "locked" and may
// not change "fixed" (root obeys permissions only under another file-system uid).
TEST_F(FileActionsTest, AFileOutOfReachIsNotFoundAndAFailedDeleteKeepsItsMode)
{
    for (const char* folder : {"ok", "locked", "fixed", "unlisted"})
        tree.File(folder + QStringLiteral("/7.txt"), "seven");
    const QByteArray fixedFile = tree.Path("fixed/7.txt").toUtf8();
    ::chmod(fixedFile.constData(), 0444);
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::chown(fixedFile.constData(), 65534, 65534) == 0);
    ASSERT_EQ(SearchForResults(settings), 4);

    // "unlisted" may be entered and written but not listed: its file can still be deleted.
    for (const auto& [folder, mode] :
         {std::pair("", 0755), {"locked", 0}, {"fixed", 0555}, {"unlisted", 0733}})
        ::chmod(tree.Path(folder).toUtf8().constData(), mode);
    Mark({"locked", "fixed", "unlisted"});
    DeleteChoice = 2;
    ::setfsuid(root ? 65534 : ::getuid());
    DeleteSelected(*this);
    ::setfsuid(::getuid());
    ::chmod(tree.Path("locked").toUtf8().constData(), 0755);
    EXPECT_EQ(Take(),
              QStringList({"delete form", "error+abort: Cannot delete file \"7.txt\"\n\rError code: 13",
                           "error+abort: Cannot find file \"7.txt\"", "info: 1 of 3 files was deleted.",
                           "repaint", "stats"}));
    EXPECT_FALSE(QFile::permissions(fixedFile) & QFileDevice::WriteOwner);
    EXPECT_FALSE(QFile::exists(tree.Path("unlisted/7.txt")));
}

// A btrfs disk: a file at its top goes to the trash at its top, unless the top refuses one (made
// immutable); the user's home is a subvolume, whose files go to the home trash; a file of another
// subvolume has no trash any tool would show (the one at a subvolume's top is never listed).
// Files without a trash stay, reported with 18.
TEST_F(FileActionsTest, EachFileGoesToTheTrashOfItsMountOrStays)
{
    const QString folder = tree.Folder("disk");
    TTestMount disk(folder,
                    QStringLiteral("truncate -s 128M '%1img' && mkfs.btrfs -q '%1img' >/dev/null 2>&1 && "
                                   "mount -o loop '%1img' '%2'")
                        .arg(tree.Root(), folder)
                        .toStdString());
    if (!disk.Ok())
        GTEST_SKIP() << "no btrfs image can be mounted here";
    for (const char* subvolume : {"home", "sub"})
        ASSERT_EQ(std::system(qPrintable("btrfs -q subvolume create '" + folder + subvolume + "'")), 0);
    for (const char* file : {"top.txt", "home/mine.txt", "sub/deep.txt", "sub/.Trash-1000/files/old.txt"})
        tree.File("disk/" + QString::fromUtf8(file), "eight");
    qputenv("HOME", tree.Path("disk/home").toUtf8());
    qputenv("XDG_DATA_HOME", tree.Path("disk/home/data").toUtf8());
    settings.Folders = {folder};
    ASSERT_EQ(SearchForResults(settings), 3);

    Mark({"disk", "home", "sub"});
    DeleteChoice = 1;
    const QString immutable = "chattr %1i '" + folder + "'";
    ASSERT_EQ(std::system(qPrintable(immutable.arg('+'))), 0);
    DeleteSelected(*this);
    ASSERT_EQ(std::system(qPrintable(immutable.arg('-'))), 0);
    DeleteSelected(*this);
    const QString noTrash = QStringLiteral("error+abort: Cannot delete file \"%1.txt\"\n\rError code: 18");
    EXPECT_EQ(Take(),
              QStringList({"delete form", noTrash.arg("top"), noTrash.arg("deep"),
                           "info: 1 of 3 files was deleted.", "repaint", "stats", "delete form",
                           noTrash.arg("deep"), "info: 1 of 2 files was deleted.", "repaint", "stats"}));
    EXPECT_EQ(TrashedPaths(tree.Path("disk/home/data/Trash/")),
              QStringList({Canonical("disk/home/mine.txt")}));
    EXPECT_EQ(TrashedPaths(tree.Path("disk/.Trash-%1/").arg(::getuid())), QStringList({"top.txt"}));
    EXPECT_EQ(QDir(tree.Path("disk/sub")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({".Trash-1000", "deep.txt"}));
}

TEST_F(FileActionsTest, ReferenceFilesAreNeverMarkedMovedOrDeletedAndGroupsOnlyInReferenceAreLeftOut)
{
    // A master folder and two folders of copies, one file a folder; "mb" is copied only inside the
    // master, and "md" has two copies in it.
    const std::tuple<const char*, int, int> files[] = {
        {"master/ma", 400, 3},       {"copies1/a1", 400, 1}, {"copies2/a2", 400, 2}, {"master/mb1", 300, 1},
        {"master/mb2", 300, 2},      {"copies1/c1", 200, 1}, {"copies2/c2", 200, 2}, {"master/md1", 100, 2},
        {"master/deep/md2", 100, 3}, {"copies1/d1", 100, 1}};
    for (const auto& [folder, size, age] : files) {
        tree.PatternFile(QStringLiteral("t/%1/f.bin").arg(folder), size, uint32_t(size));
        tree.SetModified(QStringLiteral("t/%1/f.bin").arg(folder), 1'600'000'000 + age * 100'000);
    }
    const QString master = tree.Path("t/master/");
    tree.Symlink("deep-link", tree.Path("t/master/deep"));
    const auto references = [this] {
        QStringList folders;
        for (int32_t i = 0; i <= ResultCount; ++i)
            if (IsReferenceFile(ResultList[i]))
                folders << FolderOf(ResultList[i]);
        folders.sort();
        return folders.join(' ');
    };
    settings.Folders = {tree.Path("t/")};
    ASSERT_EQ(SearchForResults(settings), 10);
    EXPECT_EQ(references(), "");
    // A plain search folder inside the master (through a link), then the master inside a plain one.
    settings.ReferenceFolders = {master};
    settings.Folders = {tree.Path("deep-link/"), tree.Path("t/")};
    ASSERT_EQ(SearchForResults(settings), 8);
    EXPECT_EQ(references(), "ma md1 md2");
    settings.Folders = {tree.Path("t/"), master};
    ASSERT_EQ(SearchForResults(settings), 8);
    EXPECT_EQ(references(), "ma md1 md2");
    EXPECT_EQ(std::tuple(Record("a1").Group, Record("c1").Group, Record("d1").Group), std::tuple(1, 2, 3));
    EXPECT_EQ(DuplicateCountText() + " / " + DiskUsingText(), "3 + 5 / 700 B + 1 KB");

    TRecordingWindow list;
    const auto row = [this](const char* folder) {
        return RowOfRecord(int32_t(&Record(folder) - ResultList.Data()));
    };
    ResultLeftClickCell(list, row("ma"), ColumnName, false);
    ResultLeftClickCell(list, 0, ColumnName, true);
    ResultLeftClickCell(list, ResultCount, ColumnName, true);
    list.Selected = row("md1");
    ResultKeyDown(list, Qt::Key_Space, false);
    ResultKeyDown(list, Qt::Key_Delete, false);
    EXPECT_EQ(Marks(), "a1* a2* c1* c2* d1* ma md1 md2");
    EXPECT_EQ(std::pair(list.Deletes, PopupMenuState(row("md1")).DeleteThisFile), std::pair(0, false));
    DeselectAll(list);
    SelectAllInFolder(list);
    EXPECT_EQ(Marks(), "a1 a2 c1 c2 d1 ma md1 md2");
    // The group keeps its oldest or newest reference file, and a group without one its oldest or
    // newest file.
    LeaveOnlyOneVersion(list, TKeptVersion::Oldest);
    EXPECT_EQ(Marks(), "a1* a2* c1 c2* d1* ma md1 md2");
    LeaveOnlyOneVersion(list, TKeptVersion::Newest);
    EXPECT_EQ(Marks(), "a1* a2* c1* c2 d1* ma md1 md2");

    // A reference file marked all the same is refused by both actions and by "Delete this file".
    Record("ma").Checked = 1;
    DeleteChoice = 2;
    DeleteSelected(*this);
    const QString refused = "Cannot delete file \"f.bin\"\n\rError code: 1";
    EXPECT_EQ(Take(), QStringList({"delete form", "error+abort: " + refused,
                                   "info: 4 of 5 files was deleted.", "repaint", "stats"}));
    MoveTo = tree.Path("t/");
    MoveSelected(*this);
    DeleteThisFile(row("ma"), *this);
    EXPECT_EQ(Take(), QStringList({"move form", "error+abort: Cannot move file \"f.bin\"\n\rError code: 1",
                                   "info: 0 of 1 files moved to specified folder.", "repaint", "stats",
                                   "confirm: Do you really want to delete \"f.bin\"", "error: " + refused,
                                   "stats", "repaint"}));
    EXPECT_EQ(Marks(), "a1x a2x c1x c2 d1x ma* md1 md2");
    EXPECT_EQ(Content(master + "ma/f.bin"), TTempTree::Pattern(400, 400));
}
