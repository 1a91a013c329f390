#include "app/VarneMain.h"

#include "actions/DeleteUnit.h"
#include "actions/ModalDialog.h"
#include "actions/MoveUnit.h"
#include "core/FileLists.h"
#include "platform/Drives.h"
#include "platform/Mounts.h"
#include "tests/support/SearchResults.h"
#include "tests/support/TempHome.h"
#include "tests/support/TempTree.h"
#include "tests/support/UrlCatcher.h"
#include "ui/HtmlLabel.h"
#include "ui/ReportListView.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

// The main window with its two dialogs, as the program starts them, over the results of a real
// search: its buttons, menu entries and links reach the file actions.
TEST(FileActionsWindow, ButtonsMenuAndLinksReachTheirCommands)
{
    TTempHome home;
    TTempTree tree;
    const QString sysfs = tree.Folder("sys");
    const QByteArray noMounts;
    plat::SetSysfsRootForTest(&sysfs);
    plat::SetMountInfoSourceForTest(&noMounts);
    const QLocale savedLocale = LocaleFormat;
    auto window = std::make_unique<TMainForm>();
    TDeleteForm deleteForm;
    TMoveForm moveForm;
    DeleteForm = &deleteForm;
    MoveForm = &moveForm;

    for (const char* folder : {"a", "b", "c"})
        tree.File(QStringLiteral("files/%1/6.txt").arg(folder), "six");
    TSearchSettings settings;
    settings.Folders = {tree.Path("files/")};
    ASSERT_EQ(SearchForResults(settings), 3);
    auto* list = window->findChild<TReportListView*>("AdvListView1");
    ASSERT_NE(list, nullptr);
    list->SetRowCount(3);
    const auto rowOf = [&](const char* folder) {
        for (int row = 0; row < 3; ++row)
            if (FullPath(ResultList[SortList[size_t(row)].ItemIndex])
                    .contains(QStringLiteral("/%1/").arg(folder)))
                return row;
        return -1;
    };
    const auto recordOf = [&](const char* folder) -> TFileInfoType& {
        return ResultList[SortList[size_t(rowOf(folder))].ItemIndex];
    };

    QStringList boxes;
    TMessageButton answer = TMessageButton::Ok;
    const TMessageBoxHook previousBoxes = SetMessageBoxHook([&](const TMessageBoxRequest& request) {
        boxes << request.Title + ": " + request.Text;
        return answer;
    });
    QString deleteLabel;
    const TModalHook previousModal = SetModalHook([&](QDialog& dialog) {
        if (auto* label = dialog.findChild<QLabel*>("DelCountLabel"))
            deleteLabel = label->text();
        dialog.findChild<QAbstractButton*>("OKButton")->click();
    });

    recordOf("b").Checked = recordOf("c").Checked = 1;
    window->findChild<QAbstractButton*>("DeleteSelectedButton")->click();
    EXPECT_EQ(deleteLabel, "Do you really want to delete 2 files?");
    EXPECT_EQ(boxes, QStringList({"Information: 2 of 2 files was deleted."}));
    EXPECT_EQ(QDir(home.Trash() + "files").entryList(QDir::Files).size(), 2);

    // The menu follows the selected row.
    auto* properties = window->findChild<QAction*>("FileProperties1");
    auto* deleteThis = window->findChild<QAction*>("Deletethisfile1");
    list->SelectAndFocus(rowOf("b"));
    window->PopupMenu1Popup();
    EXPECT_TRUE(properties->isEnabled());
    EXPECT_FALSE(deleteThis->isEnabled());
    list->SelectAndFocus(rowOf("a"));
    window->PopupMenu1Popup();
    EXPECT_TRUE(deleteThis->isEnabled());
    // The move dialog offers the documents folder, which the temporary home does not have.
    recordOf("a").Checked = 1;
    boxes.clear();
    answer = TMessageButton::Ok;
    window->findChild<QAbstractButton*>("MoveSelectedButton")->click();
    EXPECT_EQ(boxes, QStringList({"Error: Directory \"" + home.Path() + "Documents\" is not exist."}));

    TUrlCatcher pages(QStringLiteral("https"));
    for (const char* button : {"HelpButton", "UpdateButton", "ReelgrabButton"})
        window->findChild<QAbstractButton*>(button)->click();
    QTest::mouseClick(window->findChild<THtmlLabel*>("HTMLabel5"), Qt::LeftButton);
    EXPECT_EQ(pages.Urls, QList<QUrl>({QUrl("https://pairwick.org/help.html"), QUrl("https://pairwick.org/"),
                                       QUrl("https://pairwick.org/reelgrab/"),
                                       QUrl("https://pairwick.org/donation.html")}));

    SetModalHook(previousModal);
    SetMessageBoxHook(previousBoxes);
    DeleteForm = nullptr;
    MoveForm = nullptr;
    window.reset();
    ResetSearchGlobals();
    LocaleFormat = savedLocale;
    plat::SetMountInfoSourceForTest(nullptr);
    plat::SetSysfsRootForTest(nullptr);
}
