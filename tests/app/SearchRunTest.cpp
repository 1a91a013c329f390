#include "app/VarneMain.h"

#include "app/ExportCommand.h"
#include "core/FileLists.h"
#include "results/ResultView.h"
#include "search/SearchRun.h"
#include "tests/support/FakeDrives.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/PumpScript.h"
#include "ui/ReportListView.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

const char* const SetupControls[] = {"IncludeTypeLabel",     "DirectoriesListBox",   "AddDirButton",
                                     "RemoveDirButton",      "RemoveAllButton",      "DeselectAllButton",
                                     "DeleteSelectedButton", "MoveSelectedButton",   "FileTypesEdit",
                                     "ExcludeZeroCheck",     "ProtectSysFilesCheck", "ProtectSysFoldersCheck",
                                     "MinSizeCheck",         "MinSizeEdit",          "MinSizeBox"};

const QString Interrupted = QStringLiteral("Search interrupted.");

// A window searching a temporary tree of three groups (seven files) and two files without a twin;
// every message box is recorded, answered OK after `OnBox` ran.
class SearchRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_window = std::make_unique<TMainForm>();
        LocaleFormat = QLocale(QLocale::English, QLocale::UnitedStates);
        m_window->show();
        m_boxes.OnBox = [this](const TMessageBoxRequest&) {
            if (OnBox)
                OnBox();
        };
        TTempTree& files = m_drives.m_files;
        for (int copy = 0; copy < 3; ++copy)
            files.PatternFile(QStringLiteral("t/a%1.bin").arg(copy), 300, 1);
        for (int copy = 0; copy < 2; ++copy) {
            files.PatternFile(QStringLiteral("t/sub/b%1.bin").arg(copy), 200, 2);
            files.PatternFile(QStringLiteral("t/c%1.bin").arg(copy), 100, 3);
        }
        files.PatternFile(QStringLiteral("t/unique300.bin"), 300, 9);
        files.PatternFile(QStringLiteral("t/unique50.bin"), 50, 9);
        Folder = files.Path(QStringLiteral("t/"));
    }
    void TearDown() override
    {
        m_window.reset();
        ResetSearchGlobals();
        LocaleFormat = QLocale::system();
    }

    template <typename T = QWidget> T* Find(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }
    TReportListView* List() const { return Find<TReportListView>("AdvListView1"); }
    void ClickStart() const { Find<QAbstractButton>("StartButton")->click(); }
    void Search(const QString& folder)
    {
        Find<QListWidget>("DirectoriesListBox")->addItem(folder);
        ClickStart();
    }
    // "Files scanned:", "Original files + duplicates:", "Disk space using:" and the status text.
    QStringList Figures() const
    {
        return {Find<QLabel>("TotalFilesTextout")->text(), Find<QLabel>("DuplicateTextout")->text(),
                Find<QLabel>("DiskUsingTextout")->text(), m_window->StatusPanelText(2)};
    }
    // Idle: caption "Start", the setup controls enabled (the minimum-size edit and unit only with
    // their check box), ResultCount + 1 rows.
    void ExpectIdle() const
    {
        EXPECT_EQ(StopFlag, 1);
        EXPECT_EQ(Find<QAbstractButton>("StartButton")->text(), QStringLiteral("Start"));
        const bool minSize = Find<QCheckBox>("MinSizeCheck")->isChecked();
        for (const char* name : SetupControls) {
            const bool followsCheck = QByteArray(name) == "MinSizeEdit" || QByteArray(name) == "MinSizeBox";
            EXPECT_EQ(Find(name)->isEnabled(), minSize || !followsCheck) << name;
        }
        EXPECT_EQ(List()->RowCount(), ResultCount + 1);
    }

    TFakeDrives m_drives;
    std::unique_ptr<TMainForm> m_window;
    QString Folder;
    TMessageBoxRecorder m_boxes;
    std::vector<TMessageBoxRequest>& Boxes = m_boxes.Requests;
    std::function<void()> OnBox;
};

TEST_F(SearchRun, FinishedSearchShowsGroupsFiguresAndSummaryThenAnEmptyListDropsThem)
{
    QStringList statusTexts;
    TPumpScript pump([&](int) {
        if (statusTexts.isEmpty()) {
            EXPECT_EQ(Find<QAbstractButton>("StartButton")->text(), QStringLiteral("Stop"));
            for (const char* name : SetupControls)
                EXPECT_FALSE(Find(name)->isEnabled()) << name;
            EXPECT_TRUE(Find("TreeView1")->isEnabled() && List()->isEnabled());
            EXPECT_EQ(Find<QLabel>("SelectedTextout")->text(), QStringLiteral("0 / 0 MB"));
        }
        if (SearchPhase == 1 && ResultCount >= 1) {
            // A header click while the search runs sorts nothing, shows no row and keeps the header.
            const QHeaderView* header = List()->horizontalHeader();
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              {header->sectionViewportPosition(0) + 9, 5});
            EXPECT_EQ(List()->RowCount(), 0);
            EXPECT_EQ(List()->sortColumn(), 2);
        }
        m_window->AsyncTimerTimer();
        if (statusTexts.isEmpty() || statusTexts.back() != m_window->StatusPanelText(2))
            statusTexts << m_window->StatusPanelText(2);
    });
    // The report stays on screen longer than a tick of the clock.
    QString elapsedAtReport;
    OnBox = [&] {
        elapsedAtReport = m_window->StatusPanelText(1);
        QTest::qWait(700);
        EXPECT_EQ(m_window->StatusPanelText(2), QStringLiteral(" Status: Search finished."));
    };
    Search(Folder);
    OnBox = nullptr;
    EXPECT_EQ(m_window->StatusPanelText(1), elapsedAtReport);

    EXPECT_EQ(statusTexts.front(), QStringLiteral(" Status: Scan \"%1\"...  0 Files").arg(Folder));
    EXPECT_TRUE(statusTexts.back().startsWith(QStringLiteral(" Status: Comparing \"") + Folder));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Kind, TMessageKind::Information);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("Search finished.                                    \n\r\n\r"
                                            "Scanned: 9 files\n\rSelected: 7 files\n\r including: \n\r"
                                            "    Original files: 3\n\r    Duplicate files: 4"));
    EXPECT_EQ(Figures(), QStringList({"9", "3 + 4", "600 B + 900 B", " Status: Search finished."}));
    ASSERT_EQ(ResultCount, 6);
    EXPECT_EQ(SortList.size(), 7u);
    EXPECT_EQ(SortList[6].ItemIndex, 6);
    EXPECT_EQ(SortList[6].Shade, 3);
    EXPECT_EQ(List()->sortColumn(), 2);
    EXPECT_EQ(List()->sortDirection(), 0);
    EXPECT_TRUE(List()->showSortGlyph());
    ExpectIdle();

    // Exported through the list (CSV by Ctrl+S, JSON by the filter chosen in the menu's dialog)
    // byte for byte as `pairwick --find` prints the tree with no display, whose text lists the
    // window's groups; a folder that is not there gives an error box.
    QStringList exported;
    const TSaveDialogFunction dialog =
        SetSaveDialogFunction([&](QWidget*, const QString&, const QString&, const QString&, QString* filter) {
            if (!exported.isEmpty())
                *filter = QStringLiteral("JSON (*.json)");
            exported << m_drives.m_files.Path(QStringLiteral("export-%1").arg(exported.size()));
            return exported.size() < 3 ? exported.back() : m_drives.Gone + QStringLiteral("x.csv");
        });
    m_window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    List()->setFocus();
    QTest::keyClick(List(), Qt::Key_S, Qt::ControlModifier);
    m_window->PopupMenu1Popup();
    EXPECT_TRUE(Find<QAction>("ExportResults1")->isEnabled());
    Find<QAction>("ExportResults1")->trigger();
    Find<QAction>("ExportResults1")->trigger();
    ASSERT_EQ(exported.size(), 3);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].Text,
              "Cannot export the results to \"" + m_drives.Gone + "x.csv\".\nNo such file or directory");
    QByteArray windowGroups;
    for (int32_t i = 0; i <= ResultCount; ++i)
        windowGroups += FullPath(ResultList[i]).toUtf8() +
                        (i == ResultCount || ResultList[i + 1].Group != ResultList[i].Group ? "\n\n" : "\n");
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    noDisplay.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    noDisplay.remove(QStringLiteral("DISPLAY"));
    noDisplay.remove(QStringLiteral("WAYLAND_DISPLAY"));
    const auto find = [&](const char* format) {
        QProcess process;
        process.setProcessEnvironment(noDisplay);
        process.start(QStringLiteral(PW_PROGRAM), {"--find", "--format", format, Folder});
        EXPECT_TRUE(process.waitForFinished() && process.exitCode() == 0) << format;
        EXPECT_EQ(process.readAllStandardError(), QByteArray()) << format;
        return process.readAllStandardOutput();
    };
    const auto read = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    EXPECT_EQ(find("text"), windowGroups);
    EXPECT_EQ(find("csv"), read(exported[0]));
    EXPECT_EQ(find("json"), read(exported[1]));

    Boxes.clear();
    Find<QListWidget>("DirectoriesListBox")->clear();
    ClickStart();
    // No rows: nothing to export.
    m_window->PopupMenu1Popup();
    EXPECT_FALSE(Find<QAction>("ExportResults1")->isEnabled());
    QTest::keyClick(List(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(exported.size(), 3);
    SetSaveDialogFunction(dialog);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Kind, TMessageKind::Error);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("Please, add one or more directories to search."));
    EXPECT_EQ(ResultCount, -1);
    EXPECT_EQ(FileCount, -1);
    EXPECT_EQ(PathCount, -1);
    EXPECT_EQ(m_window->StatusPanelText(2), QStringLiteral(" Status: Waiting"));
    ExpectIdle();

    EXPECT_EQ(ElapsedText(75 * 60 * 1000), QStringLiteral("01:15:00"));
    EXPECT_EQ(ElapsedText(100u * 3600 * 1000), QStringLiteral("00:00:00"));
    EXPECT_EQ(ElapsedText(99u * 3600 * 1000 + 59 * 60 * 1000 + 59 * 1000 + 999), QStringLiteral("99:59:59"));
}

TEST_F(SearchRun, NoDuplicatesAmongManyFilesCountsWithThousandsSeparators)
{
    for (int size = 1; size <= 1234; ++size)
        m_drives.m_files.PatternFile(QStringLiteral("many/f%1").arg(size), size, 5);
    Find<QCheckBox>("MinSizeCheck")->setChecked(true); // "0" KB: no minimum
    Search(m_drives.m_files.Path(QStringLiteral("many/")));

    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("Search finished.                                    \n\r\n\r"
                                            "Scanned: 1,234 files\n\rFounded duplicates: 0 "));
    EXPECT_EQ(Figures().mid(0, 2), QStringList({"1,234", "0 + 0"}));
    ExpectIdle();
}

TEST_F(SearchRun, StopDuringTheScanOrTheComparisonEndsOneSearchAsInterrupted)
{
    {
        // Two clicks through the pump: the first asks for the stop, the second starts nothing.
        TPumpScript pump([&](int count) {
            if (count == 1) {
                ClickStart();
                ClickStart();
            }
        });
        Search(Folder);
    }
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, Interrupted + QString(22, QLatin1Char(' ')));
    EXPECT_EQ(Figures(), QStringList({"0", "0 + 0", "0 B + 0 B", " Status: Search interrupted."}));
    EXPECT_EQ(ResultCount, -1);
    ExpectIdle();

    // Stopped once the first group is in; a click while the summary is open starts nothing either.
    Boxes.clear();
    OnBox = [&] { ClickStart(); };
    {
        TPumpScript pump([&](int) {
            if (SearchPhase == 1 && ResultCount >= 1 && StopFlag == 0)
                ClickStart();
        });
        ClickStart();
    }
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_TRUE(Boxes[0].Text.startsWith(Interrupted + QString(33, QLatin1Char(' ')) +
                                         QStringLiteral("\n\r\n\rScanned: ")));
    EXPECT_TRUE(Boxes[0].Text.endsWith(QStringLiteral("    Original files: 1\n\r    Duplicate files: 2")));
    EXPECT_EQ(ResultCount, 2);
    ExpectIdle();
}

TEST_F(SearchRun, ErrorsAreShownAfterTheSearchHasEnded)
{
    {
        TPumpScript pump([](int count) {
            if (count == 1)
                throw std::runtime_error("the disk went away");
        });
        Search(Folder);
    }
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Kind, TMessageKind::Error);
    EXPECT_EQ(Boxes[0].Text, QStringLiteral("the disk went away"));
    EXPECT_EQ(ResultCount, -1);
    ExpectIdle();

    // An error inside the comparison: the groups found so far are shown and summed up first.
    Boxes.clear();
    {
        TPumpScript pump([](int) {
            if (SearchPhase == 1 && ResultCount >= 1)
                throw std::runtime_error("read error");
        });
        ClickStart();
    }
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_TRUE(Boxes[0].Text.startsWith(QStringLiteral("Search finished.")));
    EXPECT_EQ(Boxes[1].Text, QStringLiteral("read error"));
    EXPECT_EQ(ResultCount, 2);
    ExpectIdle();
}

TEST_F(SearchRun, ClosingDuringASearchReleasesTheListsOnlyAfterItUnwound)
{
    bool listsKept = false;
    TPumpScript pump([&](int) {
        if (SearchPhase == 1 && ResultCount >= 1 && m_window->isVisible()) {
            m_window->close();
            listsKept = ResultCount >= 1 && FileCount == 8;
        }
    });
    Search(Folder);

    EXPECT_TRUE(listsKept);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_TRUE(Boxes.empty());
    EXPECT_EQ(ResultCount, -1);
    EXPECT_EQ(PathCount, -1);
    EXPECT_EQ(List()->RowCount(), 0);
    EXPECT_EQ(StopFlag, 1);
}

TEST_F(SearchRun, ReferenceFolderIsSwitchedInTheListAndItsFilesShowThePadlock)
{
    m_drives.m_files.PatternFile(QStringLiteral("t/b-copy.bin"), 200, 2);
    auto* folders = Find<QListWidget>("DirectoriesListBox");
    auto* reference = Find<QAction>("ReferenceFolder1");
    folders->addItems({Folder, Folder + "sub/"});
    folders->setCurrentRow(1);
    QTest::keyClick(folders, Qt::Key_R, Qt::ControlModifier);
    ASSERT_EQ(m_window->ReadSearchSettings().ReferenceFolders, QStringList({Folder + "sub/"}));
    emit Find<QMenu>("DirectoriesPopupMenu")->aboutToShow();
    EXPECT_TRUE(reference->isChecked() && reference->shortcut() == QKeySequence(QStringLiteral("Ctrl+R")));
    reference->trigger();
    EXPECT_EQ(m_window->ReadSearchSettings().ReferenceFolders, QStringList());
    EXPECT_TRUE(folders->item(1)->icon().isNull());
    QTest::keyClick(folders, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(folders->item(1)->text(), Folder + "sub/");
    EXPECT_FALSE(folders->item(1)->icon().isNull());

    ClickStart();
    ASSERT_EQ(ResultCount, 7);
    QStringList locked;
    for (int row = 0; row <= ResultCount; ++row)
        if (List()->Model()->index(row, 0).data(Qt::DecorationRole).isValid())
            locked << FullPath(*RecordAtRow(row)).mid(Folder.size());
    locked.sort();
    EXPECT_EQ(locked, QStringList({"sub/b0.bin", "sub/b1.bin"}));
}

} // namespace
