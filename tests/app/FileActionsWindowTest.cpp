#include "app/VarneMain.h"

#include "actions/DeleteUnit.h"
#include "actions/ModalDialog.h"
#include "actions/MoveUnit.h"
#include "actions/ShellCommands.h"
#include "core/FileLists.h"
#include "results/ResultView.h"
#include "tests/support/FakeDrives.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PumpScript.h"
#include "tests/support/ScopedSeam.h"
#include "tests/support/SearchResults.h"
#include "tests/support/TempHome.h"
#include "tests/support/UrlCatcher.h"
#include "ui/HtmlLabel.h"
#include "ui/ReportListView.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// The main window with its two dialogs, as the program starts them, over the results of a real
// search of `tree`; every dialog is answered OK and every message box recorded (Shown).
class FileActionsWindow : public ::testing::Test
{
protected:
    FileActionsWindow()
    {
        DeleteForm = &m_deleteForm;
        MoveForm = &m_moveForm;
        SetModalHook([this](QDialog& dialog) {
            const auto* label = dialog.findChild<QLabel*>("DelCountLabel");
            m_shown << (label ? label->text() : dialog.objectName());
            dialog.findChild<QAbstractButton*>("OKButton")->click();
        });
        m_boxes.OnBox = [this](const TMessageBoxRequest& request) {
            m_shown << request.Title + ": " + request.Text;
        };
    }
    ~FileActionsWindow() override
    {
        SetModalHook({});
        DeleteForm = nullptr;
        MoveForm = nullptr;
        window.reset();
        ResetSearchGlobals();
        LocaleFormat = m_savedLocale;
    }

    // Searches the tree and shows its results in the list.
    void Search(int32_t expectedResults)
    {
        TSearchSettings settings;
        settings.Folders = {tree.Root()};
        ASSERT_EQ(SearchForResults(settings), expectedResults);
        list->SetRowCount(expectedResults);
    }
    // The label of each dialog and each message box ("Title: text"), in turn.
    const QStringList& Shown() const { return m_shown; }
    void ClearShown() { m_shown.clear(); }
    void Trigger(const char* action) const { window->findChild<QAction*>(action)->trigger(); }
    void Click(const char* button) const { window->findChild<QAbstractButton*>(button)->click(); }

    TTempHome home;
    TFakeDrives drives;
    TTempTree tree;
    TMessageBoxRecorder m_boxes;
    std::unique_ptr<TMainForm> window = std::make_unique<TMainForm>();
    TReportListView* list = window->findChild<TReportListView*>("AdvListView1");

private:
    const QLocale m_savedLocale = LocaleFormat;
    TDeleteForm m_deleteForm;
    TMoveForm m_moveForm;
    QStringList m_shown;
};

// Its buttons, menu entries and links reach the file actions.
TEST_F(FileActionsWindow, ButtonsMenuAndLinksReachTheirCommands)
{
    for (const char* folder : {"a", "b", "c"})
        tree.File(folder + QStringLiteral("/6.txt"), "six");
    Search(3);
    ASSERT_NE(list, nullptr);
    const auto record = [](int row) -> TFileInfoType& { return ResultList[SortList[size_t(row)].ItemIndex]; };

    record(1).Checked = record(2).Checked = 1;
    Click("DeleteSelectedButton");
    EXPECT_EQ(Shown(), QStringList({"Do you really want to delete 2 files?",
                                    "Information: 2 of 2 files was deleted."}));
    EXPECT_EQ(QDir(home.Trash() + "files").entryList(QDir::Files).size(), 2);

    // The menu follows the selected row.
    auto* properties = window->findChild<QAction*>("FileProperties1");
    auto* deleteThis = window->findChild<QAction*>("Deletethisfile1");
    list->SelectAndFocus(1);
    window->PopupMenu1Popup();
    EXPECT_TRUE(properties->isEnabled());
    EXPECT_FALSE(deleteThis->isEnabled());
    list->SelectAndFocus(0);
    window->PopupMenu1Popup();
    EXPECT_TRUE(deleteThis->isEnabled());

    // The move dialog offers the documents folder, which the temporary home does not have.
    record(0).Checked = 1;
    ClearShown();
    Click("MoveSelectedButton");
    EXPECT_EQ(Shown(), QStringList({"Do you really want to move 1 file?",
                                    "Error: Directory \"" + home.Path() + "Documents\" is not exist."}));

    TUrlCatcher pages(QStringLiteral("https"));
    for (const char* button : {"HelpButton", "UpdateButton", "ReelgrabButton"})
        Click(button);
    QTest::mouseClick(window->findChild<THtmlLabel*>("HTMLabel5"), Qt::LeftButton);
    EXPECT_EQ(pages.Urls, QList<QUrl>({QUrl("https://pairwick.org/help.html"), QUrl("https://pairwick.org/"),
                                       QUrl("https://pairwick.org/reelgrab/"),
                                       QUrl("https://pairwick.org/donation.html")}));
}

// Whatever reaches the window through the pump of a column sort waits for the sort: no mark, dialog,
// box, page or file changes, and a menu opened before the rows were sorted acts on nothing after.
// The menu's "Delete this file" deletes the file of the row the menu was opened on.
TEST_F(FileActionsWindow, HandlersArrivingThroughASortsPumpLeaveItsListsAlone)
{
    const char* const names[] = {"a/kk.bin", "b/bb.bin", "a/zz.txt", "b/mm.txt", "c/aa.txt"};
    for (const char* name : names)
        tree.File(name, QByteArray(name).endsWith(".bin") ? "four" : "six");
    Search(5);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QDBusConnection noBus =
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"), "pw-none");
    const TScopedSeam bus(&SetFileManagerBusForTest, &noBus);
    TUrlCatcher folders(QStringLiteral("file"));
    const auto marks = [] {
        QString text;
        for (int32_t i = 0; i <= ResultCount; ++i)
            text += ResultList[i].Checked != 0 ? '1' : '0';
        return text;
    };

    ResultList[0].Checked = 1;
    list->SelectAndFocus(1);
    window->PopupMenu1Popup();
    {
        const TPumpScript pump([&](int count) {
            if (count > 1)
                return; // a handler that ran after all pumps again
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(2, 0)).center());
            for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Delete})
                QTest::keyClick(list, key);
            QTest::keyClick(list, Qt::Key_Backspace, Qt::ShiftModifier);
            emit list->columnClicked(ColumnPath);
            for (const char* button :
                 {"DeselectAllButton", "DeleteSelectedButton", "MoveSelectedButton", "StartButton"})
                Click(button);
            for (const char* action :
                 {"FileProperties1", "Opencontainedfolder1", "Deletethisfile1", "SelectAllinFolder1",
                  "LeaveonlyoldestversionineachDupGroup1", "LeaveonlynewestversionineachDupGroup1"})
                Trigger(action);
        });
        const QHeaderView* header = list->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          {header->sectionViewportPosition(ColumnName) + 9, 5});
        EXPECT_EQ(pump.Count(), 1);
    }
    EXPECT_EQ(Shown(), QStringList());
    EXPECT_EQ(marks(), "10000");
    EXPECT_EQ(folders.Urls, QList<QUrl>());
    const QWidgetList windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); }), 1);
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), "aa.txt");
    Trigger("Deletethisfile1"); // the menu was opened on the rows before the sort

    list->SelectAndFocus(0);
    window->PopupMenu1Popup();
    list->SelectAndFocus(4);
    m_boxes.Answer = TMessageButton::Yes;
    Trigger("Deletethisfile1");
    EXPECT_EQ(Shown(), QStringList({"Confirm: Do you really want to delete \"aa.txt\"",
                                    "Information: File \"aa.txt\" deleted successfully\n\r"}));
    for (const char* name : names)
        EXPECT_EQ(QFile::exists(tree.Path(name)), QByteArray(name) != "c/aa.txt") << name;
}

} // namespace
