#include "app/VarneMain.h"

#include "core/FileLists.h"
#include "platform/Drives.h"
#include "tests/support/ScopedSeam.h"
#include "tests/support/TempTree.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

// A window whose tree shows two drives that are folders of a temporary tree (the kernel's device
// tree is an empty folder), never the real machine's mounts.
class SearchFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_sysfs = m_files.Folder(QStringLiteral("sys"));
        m_diskA = m_files.Folder(QStringLiteral("disk-a"));
        m_diskB = m_files.Folder(QStringLiteral("disk-b"));
        m_files.Folder(QStringLiteral("disk-a/Photos"));
        m_mountInfo = QStringLiteral("31 1 8:2 / %1 rw - ext4 /dev/sda2 rw\n"
                                     "32 1 8:3 / %2 rw - ext4 /dev/sda3 rw\n")
                          .arg(m_diskA.chopped(1), m_diskB.chopped(1))
                          .toUtf8();
        m_sysfsSeam.emplace(&plat::SetSysfsRootForTest, &m_sysfs);
        m_mountInfoSeam.emplace(&plat::SetMountInfoSourceForTest, &m_mountInfo);
        m_savedLocale = LocaleFormat;
        m_window = std::make_unique<TMainForm>();
        m_tree = Find<QTreeWidget>("TreeView1");
        m_list = Find<QListWidget>("DirectoriesListBox");
        m_check = Find<QCheckBox>("MinSizeCheck");
        m_edit = Find<QLineEdit>("MinSizeEdit");
        m_unit = Find<QComboBox>("MinSizeBox");
    }

    void TearDown() override
    {
        m_window.reset();
        LocaleFormat = m_savedLocale;
        m_mountInfoSeam.reset();
        m_sysfsSeam.reset();
    }

    template <typename T> T* Find(const char* name) const
    {
        T* child = m_window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    QTreeWidgetItem* Root() const { return m_tree->topLevelItem(0); }
    void Click(const char* button) const { Find<QAbstractButton>(button)->click(); }

    void AddNode(QTreeWidgetItem* node) const
    {
        m_tree->setCurrentItem(node);
        Click("AddDirButton");
    }

    QStringList Entries() const
    {
        QStringList entries;
        for (int i = 0; i < m_list->count(); ++i)
            entries << m_list->item(i)->text();
        return entries;
    }

    void FillList(const QStringList& entries) const
    {
        for (const QString& entry : entries)
            m_list->addItem(entry);
    }

    // Turns the minimum on and removes the stored "0" with backspace, as a user would.
    void StartTypingMinimum() const
    {
        m_check->click();
        ASSERT_TRUE(m_edit->isEnabled());
        m_edit->end(false);
        QTest::keyClick(m_edit, Qt::Key_Backspace);
        ASSERT_EQ(m_edit->text(), QString());
    }

    TTempTree m_files;
    QString m_sysfs, m_diskA, m_diskB;
    QByteArray m_mountInfo;
    std::optional<TScopedSeam<const QString*>> m_sysfsSeam;
    std::optional<TScopedSeam<const QByteArray*>> m_mountInfoSeam;
    QLocale m_savedLocale;
    std::unique_ptr<TMainForm> m_window;
    QTreeWidget* m_tree = nullptr;
    QListWidget* m_list = nullptr;
    QCheckBox* m_check = nullptr;
    QLineEdit* m_edit = nullptr;
    QComboBox* m_unit = nullptr;
};

TEST_F(SearchFolders, AddAppendsTheChosenNodesPathRepeatsIncludedInTheOrderAdded)
{
    ASSERT_EQ(Root()->childCount(), 2);
    QTreeWidgetItem* diskA = Root()->child(0);
    QTreeWidgetItem* diskB = Root()->child(1);
    AddNode(diskB);
    AddNode(diskA);
    AddNode(diskB);
    m_tree->expandItem(diskA);
    ASSERT_EQ(diskA->childCount(), 1);
    AddNode(diskA->child(0));
    EXPECT_EQ(Entries(), QStringList({m_diskB, m_diskA, m_diskB, m_diskA + QStringLiteral("Photos/")}));
    for (const QString& entry : Entries())
        EXPECT_TRUE(entry.endsWith(QLatin1Char('/')) && !entry.endsWith(QStringLiteral("//")))
            << entry.toStdString();
}

TEST_F(SearchFolders, AddWithTheRootOrWithoutANodeDoesNothing)
{
    AddNode(Root());
    EXPECT_EQ(m_list->count(), 0);
    AddNode(nullptr);
    EXPECT_EQ(m_list->count(), 0);
    AddNode(Root()->child(0));
    AddNode(Root());
    EXPECT_EQ(Entries(), QStringList({m_diskA}));
}

TEST_F(SearchFolders, RemoveAndClearTakeTheSelectedEntryOrAll)
{
    Click("RemoveDirButton"); // an empty list: nothing happens
    Click("RemoveAllButton");
    EXPECT_EQ(m_list->count(), 0);

    FillList({"/a/", "/b/", "/a/", "/c/"});
    m_list->setCurrentRow(1);
    m_list->clearSelection(); // a current entry that is not selected is not removed
    Click("RemoveDirButton");
    EXPECT_EQ(m_list->count(), 4);

    m_list->setCurrentRow(2);
    Click("RemoveDirButton");
    EXPECT_EQ(Entries(), QStringList({"/a/", "/b/", "/c/"}));
    Click("RemoveDirButton"); // nothing is selected any more
    EXPECT_EQ(Entries(), QStringList({"/a/", "/b/", "/c/"}));

    Click("RemoveAllButton");
    EXPECT_EQ(m_list->count(), 0);
}

TEST_F(SearchFolders, DeleteKeyRemovesTheSelectedEntryWhateverModifiersAreHeld)
{
    FillList({"/a/", "/b/", "/c/", "/d/", "/e/", "/f/"});
    QTest::keyClick(m_list, Qt::Key_Delete); // nothing selected
    EXPECT_EQ(m_list->count(), 6);

    m_list->setCurrentRow(3);
    for (const Qt::Key key : {Qt::Key_Backspace, Qt::Key_D, Qt::Key_Insert, Qt::Key_Space})
        QTest::keyClick(m_list, key); // other keys are not this handler's
    EXPECT_EQ(m_list->count(), 6);
    m_list->setCurrentRow(3);
    QTest::keyClick(m_list, Qt::Key_Delete);
    EXPECT_EQ(Entries(), QStringList({"/a/", "/b/", "/c/", "/e/", "/f/"}));
    QTest::keyClick(m_list, Qt::Key_Delete); // the selection went with the entry
    EXPECT_EQ(m_list->count(), 5);

    const Qt::KeyboardModifiers modifiers[] = {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
                                               Qt::ControlModifier | Qt::ShiftModifier};
    QStringList expected = Entries();
    for (const Qt::KeyboardModifiers held : modifiers) {
        m_list->setCurrentRow(1);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, held);
        QCoreApplication::sendEvent(m_list, &press);
        expected.removeAt(1);
        EXPECT_EQ(Entries(), expected) << held.toInt();
    }
    EXPECT_EQ(Entries(), QStringList({"/a/"}));
    m_list->clear();
    QTest::keyClick(m_list, Qt::Key_Delete);
    EXPECT_EQ(m_list->count(), 0);
}

TEST_F(SearchFolders, MinimumSizeControlsFollowTheCheckAndKeepTheirValues)
{
    m_check->click();
    EXPECT_TRUE(m_edit->isEnabled());
    EXPECT_TRUE(m_unit->isEnabled());
    QTest::keyClick(m_edit, Qt::Key_5);
    m_unit->setCurrentIndex(2);

    m_check->click();
    EXPECT_FALSE(m_edit->isEnabled());
    EXPECT_FALSE(m_unit->isEnabled());
    EXPECT_EQ(m_edit->text(), QStringLiteral("05"));
    EXPECT_EQ(m_unit->currentIndex(), 2);

    QTest::keyClick(m_check, Qt::Key_Space);
    EXPECT_TRUE(m_check->isChecked());
    EXPECT_TRUE(m_edit->isEnabled());
    EXPECT_TRUE(m_unit->isEnabled());
    QTest::keyClick(m_check, Qt::Key_Space);
    EXPECT_FALSE(m_check->isChecked());
    EXPECT_FALSE(m_edit->isEnabled());
    EXPECT_EQ(m_edit->text(), QStringLiteral("05"));
    EXPECT_EQ(m_unit->currentIndex(), 2);

    // A character key on the check applies the rule to the state it has now.
    m_check->blockSignals(true);
    m_check->setChecked(true);
    m_check->blockSignals(false);
    ASSERT_FALSE(m_edit->isEnabled());
    QTest::keyClick(m_check, Qt::Key_A);
    EXPECT_TRUE(m_check->isChecked());
    EXPECT_TRUE(m_edit->isEnabled());
    EXPECT_TRUE(m_unit->isEnabled());
}

TEST_F(SearchFolders, MinimumSizeTakesDigitsAndOneCommaSeparator)
{
    LocaleFormat = QLocale(QLocale::German, QLocale::Germany);
    StartTypingMinimum();
    QTest::keyClicks(m_edit, QStringLiteral("1.5"));
    EXPECT_EQ(m_edit->text(), QStringLiteral("1,5"));
    QTest::keyClicks(m_edit, QStringLiteral(",.2"));
    EXPECT_EQ(m_edit->text(), QStringLiteral("1,52"));
    QTest::keyClicks(m_edit, QStringLiteral("a -Z+e_"));
    QTest::keyClick(m_edit, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(m_edit->text(), QStringLiteral("1,52"));

    // A selected separator still counts: typing over it is refused.
    m_edit->selectAll();
    QTest::keyClick(m_edit, Qt::Key_Comma);
    EXPECT_EQ(m_edit->text(), QStringLiteral("1,52"));

    m_edit->end(false);
    QTest::keyClick(m_edit, Qt::Key_Backspace);
    QTest::keyClick(m_edit, Qt::Key_Backspace);
    QTest::keyClick(m_edit, Qt::Key_Backspace);
    EXPECT_EQ(m_edit->text(), QStringLiteral("1"));
    QTest::keyClick(m_edit, Qt::Key_Period);
    EXPECT_EQ(m_edit->text(), QStringLiteral("1,")); // the separator may come again once it is gone

    QTest::keyClicks(m_edit, QStringLiteral("234567890123"));
    EXPECT_EQ(m_edit->text(), QStringLiteral("1,23456789")); // ten characters at most
}

TEST_F(SearchFolders, MinimumSizeWithAFullStopLocaleTurnsACommaIntoAFullStop)
{
    LocaleFormat = QLocale(QLocale::English, QLocale::UnitedStates);
    StartTypingMinimum();
    QTest::keyClicks(m_edit, QStringLiteral("2,5"));
    EXPECT_EQ(m_edit->text(), QStringLiteral("2.5"));
    QTest::keyClicks(m_edit, QStringLiteral(".,1"));
    EXPECT_EQ(m_edit->text(), QStringLiteral("2.51"));
}

TEST_F(SearchFolders, ClipboardKeysDoNothingInTheMinimumSize)
{
    LocaleFormat = QLocale(QLocale::German, QLocale::Germany);
    StartTypingMinimum();
    QGuiApplication::clipboard()->setText(QStringLiteral("42"));
    // An ordinary edit pastes with the same keys, so the refusal below is the filter's doing.
    QLineEdit plain;
    QTest::keyClick(&plain, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(plain.text(), QStringLiteral("42"));

    QTest::keyClick(m_edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(m_edit->text(), QString());
    QTest::keyClicks(m_edit, QStringLiteral("17"));
    m_edit->selectAll();
    QTest::keyClick(m_edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(m_edit->text(), QStringLiteral("17"));
    QTest::keyClick(m_edit, Qt::Key_Return); // carriage return passes and changes nothing
    EXPECT_EQ(m_edit->text(), QStringLiteral("17"));
}

TEST_F(SearchFolders, ReadSearchSettingsTakesTheListInOrderAndEveryOption)
{
    TSearchSettings start = m_window->ReadSearchSettings();
    EXPECT_TRUE(start.Folders.isEmpty());
    EXPECT_EQ(start.Mask, QStringLiteral("*.*"));
    EXPECT_TRUE(start.ExcludeZero && start.ProtectSysFolders && start.ProtectSysFiles);
    EXPECT_FALSE(start.MinSizeChecked);
    EXPECT_EQ(start.MinSizeText, QStringLiteral("0"));
    EXPECT_EQ(start.MinSizeUnitIndex, 1);

    AddNode(Root()->child(1));
    AddNode(Root()->child(0));
    AddNode(Root()->child(1));
    Find<QLineEdit>("FileTypesEdit")->setText(QStringLiteral("*.jpg"));
    Find<QCheckBox>("ExcludeZeroCheck")->setChecked(false);
    Find<QCheckBox>("ProtectSysFilesCheck")->setChecked(false);
    m_check->click();
    QTest::keyClick(m_edit, Qt::Key_7);
    m_unit->setCurrentIndex(2);

    TSearchSettings read = m_window->ReadSearchSettings();
    EXPECT_EQ(read.Folders, QStringList({m_diskB, m_diskA, m_diskB}));
    EXPECT_EQ(read.Mask, QStringLiteral("*.jpg"));
    EXPECT_FALSE(read.ExcludeZero);
    EXPECT_TRUE(read.ProtectSysFolders);
    EXPECT_FALSE(read.ProtectSysFiles);
    EXPECT_TRUE(read.MinSizeChecked);
    EXPECT_EQ(read.MinSizeText, QStringLiteral("07"));
    EXPECT_EQ(read.MinSizeUnitIndex, 2);

    // The other way round, so that no two options can be read from the same control.
    Find<QCheckBox>("ExcludeZeroCheck")->setChecked(true);
    Find<QCheckBox>("ProtectSysFoldersCheck")->setChecked(false);
    Find<QCheckBox>("ProtectSysFilesCheck")->setChecked(true);
    m_unit->setCurrentIndex(0);
    read = m_window->ReadSearchSettings();
    EXPECT_TRUE(read.ExcludeZero);
    EXPECT_FALSE(read.ProtectSysFolders);
    EXPECT_TRUE(read.ProtectSysFiles);
    EXPECT_EQ(read.MinSizeUnitIndex, 0);
}

} // namespace
