#include "app/VarneMain.h"

#include "app/AsyncTimer.h"
#include "app/FolderTree.h"
#include "app/ImageLists.h"
#include "core/FileLists.h"
#include "platform/Drives.h"
#include "platform/LocaleText.h"
#include "tests/support/FakeDrives.h"
#include "ui/GradientButton.h"
#include "ui/GradientProgressBar.h"
#include "ui/ReportListView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

class MainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedLocale = LocaleFormat;
        // Leftovers of an earlier search, so that every value below must come from FormCreate.
        FileCount = PathCount = ResultCount = 7;
        OriginalBytes = DuplicateBytes = 12345;
        WindowsFolderPrefix = ProgramFilesPrefix = QStringLiteral("stale/");
        StopFlag = 0;
        LocaleFormat = QLocale(QLocale::German, QLocale::Germany);
        m_window = std::make_unique<TMainForm>();
    }

    void TearDown() override
    {
        m_window.reset();
        ResetSearchGlobals();
        LocaleFormat = m_savedLocale;
    }

    template <typename T> T* Find(const char* name) const
    {
        T* child = m_window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    QString Text(const char* labelName) const { return Find<QLabel>(labelName)->text(); }

    // Resizes the shown window and waits until the platform has applied it and the layouts ran.
    void ResizeTo(QSize size)
    {
        const QSize applied = size.expandedTo(m_window->minimumSize());
        m_window->resize(size);
        (void)QTest::qWaitFor([&] { return m_window->size() == applied; }); // the callers check the size
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }

    // Top edge and height of a widget in window coordinates.
    std::pair<int, int> Strip(const char* name) const
    {
        const QWidget* widget = Find<QWidget>(name);
        return {widget->mapTo(m_window.get(), QPoint(0, 0)).y(), widget->height()};
    }

    TFakeDrives m_drives;
    QLocale m_savedLocale;
    std::unique_ptr<TMainForm> m_window;
};

TEST_F(MainWindow, FormCreateSetsTheGlobalsOfAnIdleProgram)
{
    EXPECT_EQ(FileCount, -1);
    EXPECT_EQ(PathCount, -1);
    EXPECT_EQ(ResultCount, -1);
    EXPECT_EQ(OriginalBytes, 0u);
    EXPECT_EQ(DuplicateBytes, 0u);
    EXPECT_EQ(WindowsFolderPrefix, QStringLiteral("/usr/"));
    EXPECT_EQ(ProgramFilesPrefix, QStringLiteral("/opt/"));
    EXPECT_EQ(StopFlag, 1);
    EXPECT_EQ(LocaleFormat, plat::UserLocale());
}

TEST_F(MainWindow, TreeShowsMyComputerExpandedWithTheDrivesOfTheMountTable)
{
    const QTreeWidget* tree = Find<QTreeWidget>("TreeView1");
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    const QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(root->text(0), QStringLiteral("My Computer"));
    EXPECT_TRUE(root->isExpanded());
    ASSERT_EQ(root->childCount(), 3); // the proc mount is no drive
    const QString folders[] = {m_drives.DiskA, m_drives.DiskB, m_drives.Gone};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const QTreeWidgetItem* drive = root->child(i);
        EXPECT_EQ(drive->text(0), folders[i].chopped(1));
        EXPECT_EQ(NodePath(drive), folders[i]);
        EXPECT_EQ(drive->data(0, ImageIndexRole).toInt(), ImgHardDisk);
        EXPECT_EQ(drive->childCount(), 0);
    }
    EXPECT_EQ(root->child(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_NE(root->child(2)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
}

TEST_F(MainWindow, OptionsAndFolderListStartAsStored)
{
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Pairwick"));
    EXPECT_EQ(Find<QListWidget>("DirectoriesListBox")->count(), 0);
    EXPECT_EQ(Find<QLineEdit>("FileTypesEdit")->text(), QStringLiteral("*.*"));
    EXPECT_TRUE(Find<QCheckBox>("ExcludeZeroCheck")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("ProtectSysFoldersCheck")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("ProtectSysFilesCheck")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("MinSizeCheck")->isChecked());

    const QLineEdit* minSize = Find<QLineEdit>("MinSizeEdit");
    EXPECT_EQ(minSize->text(), QStringLiteral("0"));
    EXPECT_EQ(minSize->maxLength(), 10);
    EXPECT_FALSE(minSize->isEnabled());
    const QComboBox* unit = Find<QComboBox>("MinSizeBox");
    ASSERT_EQ(unit->count(), 3);
    EXPECT_EQ(unit->itemText(0), QStringLiteral("B"));
    EXPECT_EQ(unit->itemText(1), QStringLiteral("KB"));
    EXPECT_EQ(unit->itemText(2), QStringLiteral("MB"));
    EXPECT_EQ(unit->currentIndex(), 1);
    EXPECT_FALSE(unit->isEditable());
    EXPECT_FALSE(unit->isEnabled());
}

TEST_F(MainWindow, ProgressResultsStatisticsAndStatusBarStartEmpty)
{
    EXPECT_EQ(Find<TGradientProgressBar>("ProgressBar")->position(), 0);
    EXPECT_EQ(Find<TReportListView>("AdvListView1")->RowCount(), 0);
    EXPECT_EQ(Text("TotalFilesTextout"), QStringLiteral("0"));
    EXPECT_EQ(Text("DuplicateTextout"), QStringLiteral("0 + 0"));
    EXPECT_EQ(Text("SelectedTextout"), QStringLiteral("0 / 0 MB"));
    EXPECT_EQ(Text("DiskUsingTextout"), QStringLiteral("0 MB + 0 MB"));

    const char* const panels[] = {" Version: 1.4.4.0", "00:00:00", " Status: Waiting"};
    const int widths[] = {100, 80, 500};
    for (int i = 0; i < TMainForm::StatusPanelCount; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(m_window->StatusPanelText(i), QString::fromLatin1(panels[i]));
        const QLabel* panel = Find<QLabel>(QStringLiteral("StatusPanel%1").arg(i).toLatin1().constData());
        EXPECT_EQ(panel->text(), QString::fromLatin1(panels[i]));
        EXPECT_EQ(panel->width(), widths[i]);
    }
    m_window->SetStatusPanelText(2, QStringLiteral(" Status: Scanning"));
    EXPECT_EQ(m_window->StatusPanelText(2), QStringLiteral(" Status: Scanning"));
    EXPECT_EQ(m_window->StatusPanelText(1), QStringLiteral("00:00:00"));
}

TEST_F(MainWindow, ButtonsAndTimerStartIdle)
{
    EXPECT_EQ(Find<TGradientButton>("StartButton")->text(), QStringLiteral("Start"));
    EXPECT_TRUE(Find<TGradientButton>("StartButton")->isEnabled());
    EXPECT_TRUE(Find<TGradientButton>("SelectDuplicatesButton")->isHidden());
    const std::pair<const char*, const char*> actions[] = {{"DeselectAllButton", "Deselect All"},
                                                           {"MoveSelectedButton", "Move to Folder"},
                                                           {"DeleteSelectedButton", "Delete Selected"}};
    for (const auto& [name, caption] : actions) {
        const TGradientButton* button = Find<TGradientButton>(name);
        EXPECT_EQ(button->text(), QString::fromLatin1(caption));
        EXPECT_TRUE(button->isEnabled()) << name;
        EXPECT_FALSE(button->isHidden()) << name;
    }
    const TAsyncTimer* timer = Find<TAsyncTimer>("AsyncTimer");
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 500);
    EXPECT_EQ(timer->ThreadPriority(), TAsyncTimer::TThreadPriority::Lower);
}

TEST_F(MainWindow, PopupMenuHoldsItsItemsInOrderWithTheSeparator)
{
    const QMenu* menu = Find<QMenu>("PopupMenu1");
    EXPECT_EQ(Find<TReportListView>("AdvListView1")->PopupMenu(), menu);
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 9);
    const std::pair<const char*, int> expected[] = {
        {"File properties", ImgDocument},
        {"Open folder containing the file", ImgOpenFolder},
        {"Delete this file", ImgRedCross},
        {nullptr, -1},
        {"Select all duplicates in this folder", ImgFolderTick},
        {"Leave only oldest version in each Dup.Group", ImgRedTick},
        {"Leave only newest version in each Dup.Group", ImgRedTick},
    };
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        const auto& [caption, image] = expected[i];
        EXPECT_EQ(items[i]->isSeparator(), caption == nullptr);
        if (caption == nullptr)
            continue;
        EXPECT_EQ(items[i]->text(), QString::fromLatin1(caption));
        EXPECT_EQ(items[i]->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32),
                  ImageList1().at(image).toImage().convertToFormat(QImage::Format_ARGB32));
    }
    EXPECT_EQ(items[3]->objectName(), QStringLiteral("N1231"));
    // Then, set apart, the export of the results.
    EXPECT_TRUE(items[7]->isSeparator());
    EXPECT_EQ(items[8]->text(), QStringLiteral("Export results..."));
    EXPECT_EQ(items[8]->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
}

TEST_F(MainWindow, OnlyTheResultStripGivesWayAtTheMinimumSize)
{
    EXPECT_EQ(m_window->size(), QSize(752, 545));
    EXPECT_EQ(m_window->minimumSize(), QSize(752, 455));
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    ResizeTo(QSize(752, 545));
    ASSERT_EQ(m_window->size(), QSize(752, 545));

    const char* const strips[] = {"PanelStep1", "PanelStep2", "PanelStep3",
                                  "PanelStats", "PanelStep4", "StatusBar"};
    const int fixed[] = {165, 83, 181, 62, 35, 19};
    std::vector<std::pair<int, int>> stored;
    int top = 0;
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(strips[i]);
        stored.push_back(Strip(strips[i]));
        EXPECT_EQ(stored.back().first, top); // stacked from top to bottom without gaps
        EXPECT_EQ(stored.back().second, fixed[i]);
        top += fixed[i];
    }
    EXPECT_EQ(top, 545);

    ResizeTo(QSize(500, 300)); // cannot be made smaller than the minimum
    ASSERT_EQ(m_window->size(), QSize(752, 455));
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(strips[i]);
        const auto [y, height] = Strip(strips[i]);
        EXPECT_EQ(height, i == 2 ? stored[2].second - 90 : stored[size_t(i)].second);
        EXPECT_EQ(y, i <= 2 ? stored[size_t(i)].first : stored[size_t(i)].first - 90);
    }
    EXPECT_EQ(Find<QWidget>("HTMLabel4")->height(), 35);
    EXPECT_EQ(Find<QWidget>("AdvListView1")->height(), 91 - 35);
}

TEST_F(MainWindow, WideningStretchesBannersAndListsAndKeepsButtonsInPlace)
{
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    ResizeTo(QSize(752, 545));
    const char* const stretching[] = {"HTMLabel1", "HTMLabel4", "v", "DirectoriesListBox", "AdvListView1"};
    const char* const fixedWidth[] = {"TreeView1", "AddRemoveDirPanel"};
    const char* const buttons[] = {"HelpButton",           "UpdateButton",      "ReelgrabButton",
                                   "StartButton",          "DeselectAllButton", "MoveSelectedButton",
                                   "DeleteSelectedButton", "AddDirButton",      "ProgressBar"};
    std::map<std::string, QRect> before;
    for (const char* name : stretching)
        before[name] = Find<QWidget>(name)->geometry();
    for (const char* name : buttons)
        before[name] = Find<QWidget>(name)->geometry();
    EXPECT_EQ(before["DirectoriesListBox"].width(), 752 - 209 - 94);
    EXPECT_EQ(before["HTMLabel1"].width(), 752);

    ResizeTo(QSize(1000, 700));
    ASSERT_EQ(m_window->size(), QSize(1000, 700));
    for (const char* name : stretching)
        EXPECT_EQ(Find<QWidget>(name)->width(), before[name].width() + 248) << name;
    for (const char* name : fixedWidth)
        EXPECT_EQ(Find<QWidget>(name)->width(), name == std::string("TreeView1") ? 209 : 94) << name;
    for (const char* name : buttons)
        EXPECT_EQ(Find<QWidget>(name)->geometry(), before[name]) << name;
    EXPECT_EQ(Strip("PanelStep3").second, 700 - 165 - 83 - 62 - 35 - 19);
    EXPECT_EQ(Strip("StatusBar"), std::make_pair(700 - 19, 19));
}

} // namespace
