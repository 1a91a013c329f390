#include "actions/FileActions.h"

#include "core/FileLists.h"
#include "tests/support/SearchFixture.h"
#include "tests/support/SearchResults.h"
#include "tests/support/TempHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <sys/stat.h>

namespace {

// Answers the commands as a user would and logs every question, box and refresh in order.
class TScriptedWindow : public TActionWindow
{
public:
    void ShowDeleteForm() override { Dialog(QStringLiteral("delete form"), OnDeleteForm); }
    void ShowMoveForm() override { Dialog(QStringLiteral("move form"), OnMoveForm); }
    bool ShowError(const QString& text, bool offerAbort) override
    {
        Log << (offerAbort ? QStringLiteral("error+abort: ") : QStringLiteral("error: ")) + text;
        const bool abort = !Aborts.empty() && Aborts.front();
        if (!Aborts.empty())
            Aborts.pop_front();
        return abort;
    }
    void ShowInformation(const QString& text) override { Log << QStringLiteral("info: ") + text; }
    bool Confirm(const QString& text) override
    {
        Log << QStringLiteral("confirm: ") + text;
        return ConfirmAnswer;
    }
    void RepaintList() override { Log << QStringLiteral("repaint"); }
    void UpdateSelectionStats() override { Log << QStringLiteral("stats"); }

    std::function<void()> OnDeleteForm = [] {}; // leaves ActionMode at 0: cancelled
    std::function<void()> OnMoveForm = [] {};
    std::deque<bool> Aborts;
    bool ConfirmAnswer = true;
    QStringList Log;

private:
    void Dialog(const QString& name, const std::function<void()>& answer)
    {
        Log << name;
        answer();
    }
};

class FileActionsTest : public TSearchFixture
{
protected:
    // The ResultList record of the file at `relative`.
    TFileInfoType& Record(const QString& relative)
    {
        for (int32_t i = 0; i <= ResultCount; ++i)
            if (FullPath(ResultList[i]) == tree.Path(relative))
                return ResultList[i];
        ADD_FAILURE() << "no record for " << relative.toStdString();
        static TFileInfoType none;
        return none;
    }
    void Mark(std::initializer_list<const char*> relatives)
    {
        for (const char* relative : relatives)
            Record(QString::fromUtf8(relative)).Checked = 1;
    }
    QByteArray Content(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QString Canonical(const QString& relative) { return QDir(tree.Root()).canonicalPath() + '/' + relative; }
    // The original paths the home trash keeps, decoded, after checking each record's form.
    QStringList TrashedPaths()
    {
        QStringList paths;
        for (const QFileInfo& info : QDir(home.Trash() + "info").entryInfoList(QDir::Files, QDir::Name)) {
            const QList<QByteArray> lines = Content(info.filePath()).split('\n');
            EXPECT_EQ(lines.size(), 4);
            EXPECT_EQ(lines.value(0), "[Trash Info]");
            const QByteArray path = lines.value(1).mid(5); // only unreserved characters stay as they are
            EXPECT_TRUE(lines.value(1).startsWith("Path=") &&
                        !QRegularExpression(QStringLiteral("[^A-Za-z0-9/%._~-]"))
                             .match(QString::fromLatin1(path))
                             .hasMatch());
            const QDateTime deleted =
                QDateTime::fromString(QString::fromLatin1(lines.value(2).mid(13)), Qt::ISODate);
            EXPECT_TRUE(lines.value(2).startsWith("DeletionDate=") && deleted.isValid());
            EXPECT_LE(std::abs(deleted.secsTo(QDateTime::currentDateTime())), 60);
            paths << QString::fromUtf8(QByteArray::fromPercentEncoding(path));
        }
        paths.sort();
        return paths;
    }

    TTempHome home;
    TScriptedWindow window;
};

} // namespace

TEST_F(FileActionsTest, NothingMarkedOrCancelledChangesNothing)
{
    tree.File("a/x.txt", "same");
    tree.File("b/x.txt", "same");
    ASSERT_EQ(SearchForResults(settings), 2);

    DeleteSelected(window);
    MoveSelected(window);
    EXPECT_TRUE(window.Log.isEmpty());

    Mark({"b/x.txt"});
    MoveDirectory = QStringLiteral("stale");
    window.OnMoveForm = [] { EXPECT_TRUE(MoveDirectory.isEmpty()); };
    DeleteSelected(window);
    MoveSelected(window);
    EXPECT_EQ(window.Log, QStringList({"delete form", "move form"}));
    EXPECT_EQ(ActionCount, 1);
    EXPECT_EQ(Content(tree.Path("b/x.txt")), "same");
    EXPECT_EQ(Record("b/x.txt").Checked, 1);
    EXPECT_FALSE(QDir(home.Trash()).exists());
}

TEST_F(FileActionsTest, DeleteToTrashReportsEachFailureAndStopsAtAbort)
{
    for (const char* folder : {"a", "b", "c", "d", "e"})
        tree.File(QString::fromLatin1(folder) + "/1 100% ü.txt", "one");
    ASSERT_EQ(SearchForResults(settings), 5);
    Mark({"b/1 100% ü.txt", "c/1 100% ü.txt", "d/1 100% ü.txt"});
    QFile::remove(tree.Path("b/1 100% ü.txt"));
    window.OnDeleteForm = [] { ActionMode = 1; };

    DeleteSelected(window);
    EXPECT_EQ(window.Log, QStringList({"delete form", "error+abort: Cannot find file \"1 100% ü.txt\"",
                                       "info: 2 of 3 files was deleted.", "repaint", "stats"}));
    EXPECT_EQ(TrashedPaths(), QStringList({Canonical("c/1 100% ü.txt"), Canonical("d/1 100% ü.txt")}));
    EXPECT_TRUE(QFile::exists(home.Trash() + "files/1 100% ü (2).txt"));
    for (const char* done : {"c/1 100% ü.txt", "d/1 100% ü.txt"}) {
        EXPECT_EQ(Record(done).Checked, 0);
        EXPECT_EQ(Record(done).Removed, 1);
        EXPECT_FALSE(QFile::exists(tree.Path(done)));
    }
    EXPECT_EQ(Record("b/1 100% ü.txt").Checked, 1);
    EXPECT_EQ(Record("b/1 100% ü.txt").Removed, 0);

    // Abort at the first failure ends the run; the summary still comes.
    QFile::remove(tree.Path("a/1 100% ü.txt"));
    Mark({"a/1 100% ü.txt"});
    window.Log.clear();
    window.Aborts = {true};
    DeleteSelected(window);
    EXPECT_EQ(window.Log, QStringList({"delete form", "error+abort: Cannot find file \"1 100% ü.txt\"",
                                       "info: 0 of 2 files was deleted.", "repaint", "stats"}));
    EXPECT_EQ(Content(tree.Path("e/1 100% ü.txt")), "one");
}

TEST_F(FileActionsTest, DeleteForGoodClearsTheReadOnlyBitFirst)
{
    tree.File("ro/2.txt", "two");
    tree.File("rw/2.txt", "two");
    ::chmod(tree.Path("ro/2.txt").toUtf8().constData(), 0444);
    ASSERT_EQ(SearchForResults(settings), 2);
    ASSERT_EQ(Record("ro/2.txt").Attr & 1, 1);
    Mark({"ro/2.txt"});
    window.OnDeleteForm = [] { ActionMode = 2; };

    DeleteSelected(window);
    EXPECT_EQ(window.Log,
              QStringList({"delete form", "info: 1 of 1 files was deleted.", "repaint", "stats"}));
    EXPECT_FALSE(QFile::exists(tree.Path("ro/2.txt")));
    EXPECT_EQ(Record("ro/2.txt").Attr, 0x20);
    EXPECT_EQ(Record("ro/2.txt").Removed, 1);
    EXPECT_FALSE(QDir(home.Trash()).exists());
}

TEST_F(FileActionsTest, FilesThatAreNoLongerTheSearchedOnesAreNotTouched)
{
    for (const char* folder : {"p", "q", "r", "s"})
        tree.File(QString::fromLatin1(folder) + "/3.txt", "three");
    ASSERT_EQ(SearchForResults(settings), 4);
    Mark({"p/3.txt", "q/3.txt", "r/3.txt"});
    tree.File("p/3.txt", "THREE"); // same size, other bytes, another time
    tree.SetModified("p/3.txt", 1'000'000'000);
    QDir().rename(tree.Path("q"), tree.Path("q-real")); // the folder swapped for a link
    tree.Symlink("q", tree.Path("q-real"));
    QFile::remove(tree.Path("r/3.txt")); // the file swapped for a link
    tree.Symlink("r/3.txt", tree.Path("s/3.txt"));

    const QString refused = QStringLiteral("Cannot %1 file \"3.txt\"\n\rError code: 116");
    window.OnDeleteForm = [] { ActionMode = 2; };
    DeleteSelected(window);
    window.OnMoveForm = [this] {
        ActionMode = 1;
        MoveDirectory = tree.Folder("dest");
    };
    MoveSelected(window);
    const QString deleteError = "error+abort: " + refused.arg("delete");
    const QString moveError = "error+abort: " + refused.arg("move");
    EXPECT_EQ(window.Log, QStringList({"delete form", deleteError, deleteError, deleteError,
                                       "info: 0 of 3 files was deleted.", "repaint", "stats", "move form",
                                       moveError, moveError, moveError,
                                       "info: 0 of 3 files moved to specified folder.", "repaint", "stats"}));
    EXPECT_EQ(Content(tree.Path("p/3.txt")), "THREE");
    EXPECT_EQ(Content(tree.Path("q-real/3.txt")), "three");
    EXPECT_EQ(QFileInfo(tree.Path("r/3.txt")).symLinkTarget(), tree.Path("s/3.txt"));
    EXPECT_EQ(Content(tree.Path("s/3.txt")), "three");
    EXPECT_TRUE(QDir(tree.Path("dest")).isEmpty());
}

TEST_F(FileActionsTest, MoveKeepsEveryFileAndChecksTheFolderFirst)
{
    for (const char* folder : {"m1", "m2", "m3"})
        tree.File(QString::fromLatin1(folder) + "/4.txt", "four");
    tree.File("dest/4.txt", "other");
    ASSERT_EQ(SearchForResults(settings), 3);
    Mark({"m2/4.txt", "m3/4.txt"});
    QString destination = tree.Path("dest");
    window.OnMoveForm = [&] {
        ActionMode = 1;
        MoveDirectory = destination;
    };

    MoveSelected(window);
    EXPECT_EQ(window.Log, QStringList({"move form", "info: 2 of 2 files moved to specified folder.",
                                       "repaint", "stats"}));
    EXPECT_EQ(Content(tree.Path("dest/4.txt")), "other");
    EXPECT_EQ(Content(tree.Path("dest/4 (2).txt")), "four");
    EXPECT_EQ(Content(tree.Path("dest/4 (3).txt")), "four");
    EXPECT_FALSE(QFile::exists(tree.Path("m2/4.txt")));
    EXPECT_EQ(Record("m3/4.txt").Removed, 1); // still named by its old folder

    Mark({"m1/4.txt"});
    for (const QString& missing : {tree.Path("nowhere"), QString(), tree.Path("dest/4.txt")}) {
        destination = missing;
        window.Log.clear();
        MoveSelected(window);
        EXPECT_EQ(window.Log,
                  QStringList({"move form", "error: Directory \"" + missing + "\" is not exist."}));
    }
    EXPECT_EQ(Content(tree.Path("m1/4.txt")), "four");
}

TEST_F(FileActionsTest, MenuStateAndDeleteThisFile)
{
    tree.File("x/5.txt", "five");
    tree.File("y/5.txt", "five");
    ASSERT_EQ(SearchForResults(settings), 2);
    const auto state = [](int row) {
        const TPopupMenuState s = PopupMenuState(row);
        return std::pair(s.RowCommands, s.DeleteThisFile);
    };
    EXPECT_EQ(state(-1), std::pair(false, false));
    EXPECT_EQ(state(0), std::pair(true, true));

    const int32_t first = SortList[0].ItemIndex;
    const QString path = FullPath(ResultList[first]);
    ResultList[first].Checked = 1;
    window.ConfirmAnswer = false;
    DeleteThisFile(0, window);
    EXPECT_EQ(window.Log,
              QStringList({"confirm: Do you really want to delete \"5.txt\"", "stats", "repaint"}));
    EXPECT_TRUE(QFile::exists(path));

    window.ConfirmAnswer = true;
    window.Log.clear();
    DeleteThisFile(0, window);
    EXPECT_EQ(window.Log, QStringList({"confirm: Do you really want to delete \"5.txt\"",
                                       "info: File \"5.txt\" deleted successfully\n\r", "stats", "repaint"}));
    EXPECT_EQ(ResultList[first].Checked, 0);
    EXPECT_EQ(ResultList[first].Removed, 1);
    EXPECT_EQ(TrashedPaths(), QStringList({QDir(QFileInfo(path).path()).canonicalPath() + "/5.txt"}));
    EXPECT_EQ(state(0), std::pair(true, false));

    QFile::remove(FullPath(ResultList[SortList[1].ItemIndex]));
    window.Log.clear();
    DeleteThisFile(1, window);
    EXPECT_EQ(window.Log, QStringList({"confirm: Do you really want to delete \"5.txt\"",
                                       "error: Cannot find file \"5.txt\"", "stats", "repaint"}));

    SortList[1].ItemIndex = -1; // a row without a record
    EXPECT_EQ(state(1), std::pair(true, false));
    window.Log.clear();
    DeleteThisFile(1, window);
    EXPECT_EQ(window.Log, QStringList({"stats", "repaint"}));
    ResultCount = -1;
    EXPECT_EQ(state(0), std::pair(true, false));
}
