#include "app/VarneMain.h"

#include "actions/DeleteUnit.h"
#include "actions/ModalDialog.h"
#include "actions/MoveUnit.h"
#include "core/FileLists.h"
#include "tests/support/FakeDrives.h"
#include "tests/support/SearchResults.h"
#include "tests/support/TempHome.h"
#include "tests/support/UrlCatcher.h"
#include "ui/HtmlLabel.h"
#include "ui/ReportListView.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

// The main window with its two dialogs, as the program starts them, over the results of a real
// search: its buttons, menu entries and links reach the file actions.
TEST(FileActionsWindow, ButtonsMenuAndLinksReachTheirCommands)
{
    TTempHome home;
    TFakeDrives drives;
    TTempTree tree;
    const QLocale savedLocale = LocaleFormat;
    auto window = std::make_unique<TMainForm>();
    TDeleteForm deleteForm;
    TMoveForm moveForm;
    DeleteForm = &deleteForm;
    MoveForm = &moveForm;
    for (const char* folder : {"a", "b", "c"})
        tree.File(folder + QStringLiteral("/6.txt"), "six");
    TSearchSettings settings;
    settings.Folders = {tree.Root()};
    ASSERT_EQ(SearchForResults(settings), 3);
    auto* list = window->findChild<TReportListView*>("AdvListView1");
    ASSERT_NE(list, nullptr);
    list->SetRowCount(3);
    const auto record = [](int row) -> TFileInfoType& { return ResultList[SortList[size_t(row)].ItemIndex]; };

    QStringList shown; // the label of each dialog, and each message box, in turn
    SetModalHook([&](QDialog& dialog) {
        if (const auto* label = dialog.findChild<QLabel*>("DelCountLabel"))
            shown << label->text();
        dialog.findChild<QAbstractButton*>("OKButton")->click();
    });
    SetMessageBoxHook([&](const TMessageBoxRequest& request) {
        shown << request.Title + ": " + request.Text;
        return TMessageButton::Ok;
    });

    record(1).Checked = record(2).Checked = 1;
    window->findChild<QAbstractButton*>("DeleteSelectedButton")->click();
    EXPECT_EQ(shown, QStringList({"Do you really want to delete 2 files?",
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
    shown.clear();
    window->findChild<QAbstractButton*>("MoveSelectedButton")->click();
    EXPECT_EQ(shown, QStringList({"Do you really want to move 1 file?",
                                  "Error: Directory \"" + home.Path() + "Documents\" is not exist."}));

    TUrlCatcher pages(QStringLiteral("https"));
    for (const char* button : {"HelpButton", "UpdateButton", "ReelgrabButton"})
        window->findChild<QAbstractButton*>(button)->click();
    QTest::mouseClick(window->findChild<THtmlLabel*>("HTMLabel5"), Qt::LeftButton);
    EXPECT_EQ(pages.Urls, QList<QUrl>({QUrl("https://pairwick.org/help.html"), QUrl("https://pairwick.org/"),
                                       QUrl("https://pairwick.org/reelgrab/"),
                                       QUrl("https://pairwick.org/donation.html")}));

    SetModalHook({});
    SetMessageBoxHook({});
    DeleteForm = nullptr;
    MoveForm = nullptr;
    window.reset();
    ResetSearchGlobals();
    LocaleFormat = savedLocale;
}
