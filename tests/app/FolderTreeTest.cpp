#include "app/FolderTree.h"

#include "app/ImageLists.h"
#include "platform/Collation.h"
#include "tests/support/TempTree.h"

#include <QDir>
#include <QIcon>
#include <QImage>
#include <QLocale>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using plat::TDrive;

TDrive Drive(const QString& folderPath, int type, int image)
{
    TDrive drive;
    drive.FolderPath = folderPath;
    drive.MountPoint = folderPath.size() > 1 ? folderPath.chopped(1) : folderPath;
    drive.Type = type;
    drive.ImageIndex = image;
    return drive;
}

QStringList Texts(const QTreeWidgetItem* node)
{
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

QTreeWidgetItem* Child(const QTreeWidgetItem* node, const QString& text)
{
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->text(0) == text)
            return node->child(i);
    ADD_FAILURE() << "no node " << text.toStdString();
    return nullptr;
}

QImage Picture(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage IconPicture(const QTreeWidgetItem* node, QIcon::Mode mode)
{
    return Picture(node->icon(0).pixmap(QSize(16, 16), mode));
}

bool ShowsExpandButton(const QTreeWidgetItem* node)
{
    return node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator || node->childCount() > 0;
}

// A drive folder with sub-folders whose names and contents cover the listing rules, plus a drive
// that cannot be opened and a remote drive whose server is gone.
class FolderTree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        plat::SetCollationLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        m_drivePath = m_files.Folder(QStringLiteral("drive"));
        for (const char* name : {"gamma", "alpha/deep", "Beta", "Photos", "photos", "withhidden/.cache"})
            m_files.Folder(QStringLiteral("drive/") + QString::fromUtf8(name));
        m_files.File(QStringLiteral("drive/filesonly/a.txt"), "a");
        m_files.File(QStringLiteral("drive/filesonly/b.txt"), "b");
        m_files.File(QStringLiteral("drive/readme.txt"), "r");
        m_files.Symlink(QStringLiteral("drive/linked"), m_files.Path(QStringLiteral("drive/alpha")));
        m_files.Symlink(QStringLiteral("drive/filesonly/linked"),
                        m_files.Path(QStringLiteral("drive/gamma")));
        m_files.Fifo(QStringLiteral("drive/gamma/pipe"));
        m_invalidName = (m_drivePath + QStringLiteral("bad")).toUtf8() + "\xff";
        m_haveInvalidName = ::mkdir(m_invalidName.constData(), 0700) == 0;

        m_drives = {Drive(m_drivePath, plat::DriveFixed, ImgHardDisk),
                    Drive(m_files.Path(QStringLiteral("missing/")), plat::DriveRemovable, ImgPlainDrive),
                    Drive(m_files.Path(QStringLiteral("server-gone/")), plat::DriveRemote, ImgNetworkDrive)};
        BuildDriveTree(&m_tree, m_drives);
        // As the main window wires its handler.
        QObject::connect(&m_tree, &QTreeWidget::itemExpanded, &m_tree,
                         [this](QTreeWidgetItem* node) { TreeView1Expanding(&m_tree, node); });
    }

    void TearDown() override
    {
        plat::SetCollationLocale(QLocale::system());
        RemoveInvalidName();
    }

    // Qt cannot name it, so the temporary folder could not be removed with it inside.
    void RemoveInvalidName()
    {
        if (m_haveInvalidName)
            ::rmdir(m_invalidName.constData());
        m_haveInvalidName = false;
    }

    QTreeWidgetItem* Root() const { return m_tree.topLevelItem(0); }
    QTreeWidgetItem* DriveNode() const { return Root()->child(0); }

    QTreeWidgetItem* Expanded(QTreeWidgetItem* node)
    {
        m_tree.collapseItem(node);
        m_tree.expandItem(node);
        return node;
    }

    TTempTree m_files;
    QString m_drivePath;
    QByteArray m_invalidName;
    bool m_haveInvalidName = false;
    std::vector<TDrive> m_drives;
    QTreeWidget m_tree;
};

TEST_F(FolderTree, RootHoldsTheDrivesInTheirOrderWithImagesAndExpandButtons)
{
    ASSERT_EQ(m_tree.topLevelItemCount(), 1);
    QTreeWidgetItem* root = Root();
    EXPECT_EQ(root->text(0), QStringLiteral("My Computer"));
    EXPECT_EQ(root->data(0, ImageIndexRole).toInt(), ImgComputer);
    EXPECT_EQ(root->data(0, SelectedImageIndexRole).toInt(), ImgComputer);
    EXPECT_EQ(IconPicture(root, QIcon::Normal), Picture(ImageList1().at(ImgComputer)));
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(NodePath(root), QString());

    ASSERT_EQ(root->childCount(), 3);
    const int images[] = {ImgHardDisk, ImgPlainDrive, ImgNetworkDrive};
    for (int i = 0; i < 3; ++i) {
        const QTreeWidgetItem* node = root->child(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(node->text(0), m_drives[size_t(i)].MountPoint);
        EXPECT_EQ(NodePath(node), m_drives[size_t(i)].FolderPath);
        EXPECT_EQ(node->data(0, ImageIndexRole).toInt(), images[i]);
        EXPECT_EQ(node->data(0, SelectedImageIndexRole).toInt(), images[i]);
        EXPECT_EQ(IconPicture(node, QIcon::Normal), Picture(ImageList1().at(images[i])));
        EXPECT_EQ(IconPicture(node, QIcon::Selected), Picture(ImageList1().at(images[i])));
        EXPECT_EQ(node->childCount(), 0); // nothing is read before the user expands a drive
        EXPECT_FALSE(node->flags() & Qt::ItemIsEditable);
    }
    EXPECT_TRUE(ShowsExpandButton(root->child(0)));
    EXPECT_FALSE(ShowsExpandButton(root->child(1))); // cannot be opened
    EXPECT_TRUE(ShowsExpandButton(root->child(2)));  // remote: never probed

    EXPECT_EQ(m_tree.indentation(), 19);
    EXPECT_EQ(m_tree.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(m_tree.isHeaderHidden());
}

TEST_F(FolderTree, ExpandingADriveListsItsRealSubFoldersSortedCaseInsensitively)
{
    if (!m_haveInvalidName)
        GTEST_SKIP() << "the file system refused a name that is not valid UTF-8";
    QTreeWidgetItem* drive = Expanded(DriveNode());
    // No links, files, FIFOs or undecodable names; "Photos" and "photos" are two folders.
    EXPECT_EQ(Texts(drive),
              QStringList({"alpha", "Beta", "filesonly", "gamma", "Photos", "photos", "withhidden"}));
}

TEST_F(FolderTree, FolderNodesCarryFolderImagesPathsAndExpandButtons)
{
    QTreeWidgetItem* drive = Expanded(DriveNode());
    for (int i = 0; i < drive->childCount(); ++i) {
        const QTreeWidgetItem* node = drive->child(i);
        SCOPED_TRACE(node->text(0).toStdString());
        EXPECT_EQ(NodePath(node), m_drivePath + node->text(0) + QLatin1Char('/'));
        EXPECT_EQ(node->data(0, ImageIndexRole).toInt(), ImgClosedFolder);
        EXPECT_EQ(node->data(0, SelectedImageIndexRole).toInt(), ImgOpenFolder);
        EXPECT_EQ(IconPicture(node, QIcon::Normal), Picture(ImageList1().at(ImgClosedFolder)));
        EXPECT_EQ(IconPicture(node, QIcon::Selected), Picture(ImageList1().at(ImgOpenFolder)));
        EXPECT_EQ(node->childCount(), 0);
    }
    EXPECT_TRUE(ShowsExpandButton(Child(drive, QStringLiteral("alpha"))));
    EXPECT_TRUE(ShowsExpandButton(Child(drive, QStringLiteral("withhidden")))); // its one folder is hidden
    EXPECT_FALSE(ShowsExpandButton(Child(drive, QStringLiteral("filesonly")))); // files and a link
    EXPECT_FALSE(ShowsExpandButton(Child(drive, QStringLiteral("gamma"))));     // a FIFO only
    EXPECT_FALSE(ShowsExpandButton(Child(drive, QStringLiteral("Beta"))));      // empty

    QTreeWidgetItem* alpha = Expanded(Child(drive, QStringLiteral("alpha")));
    EXPECT_EQ(Texts(alpha), QStringList({"deep"}));
    EXPECT_EQ(NodePath(alpha->child(0)), m_drivePath + QStringLiteral("alpha/deep/"));
    EXPECT_EQ(Texts(Expanded(Child(drive, QStringLiteral("withhidden")))), QStringList({".cache"}));
}

TEST_F(FolderTree, EveryExpansionReadsTheFolderAgain)
{
    QTreeWidgetItem* drive = Expanded(DriveNode());
    ASSERT_EQ(drive->childCount(), 7);
    m_files.Folder(QStringLiteral("drive/delta"));
    ASSERT_TRUE(QDir(m_drivePath + QStringLiteral("Beta")).removeRecursively());

    m_tree.collapseItem(drive);
    EXPECT_EQ(drive->childCount(), 7); // collapsing keeps the children
    m_tree.expandItem(drive);
    EXPECT_EQ(Texts(drive),
              QStringList({"alpha", "delta", "filesonly", "gamma", "Photos", "photos", "withhidden"}));
}

TEST_F(FolderTree, ExpandingTheRootKeepsTheDrivesItWasBuiltWith)
{
    const std::vector<QTreeWidgetItem*> before = {Root()->child(0), Root()->child(1), Root()->child(2)};
    Expanded(Root());
    TreeView1Expanding(&m_tree, Root());
    ASSERT_EQ(Root()->childCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Root()->child(i), before[size_t(i)]);
    EXPECT_TRUE(Root()->isExpanded());
}

TEST_F(FolderTree, DriveThatVanishedOrCannotBeReadGivesNoChildren)
{
    QTreeWidgetItem* remote = Expanded(Root()->child(2));
    EXPECT_EQ(remote->childCount(), 0);

    RemoveInvalidName();
    ASSERT_TRUE(QDir(m_drivePath).removeRecursively());
    QTreeWidgetItem* drive = Expanded(DriveNode());
    EXPECT_EQ(drive->childCount(), 0);
    EXPECT_TRUE(ShowsExpandButton(drive)); // the user may expand it again later
}

TEST_F(FolderTree, ChildPathsComeFromTheStoredPathNotFromNodeTexts)
{
    // A drive shown as "/" whose folder is the fixture: a path built from texts would start "//".
    TDrive slash = Drive(m_drivePath, plat::DriveFixed, ImgHardDisk);
    slash.MountPoint = QStringLiteral("/");
    BuildDriveTree(&m_tree, {slash});
    ASSERT_EQ(Root()->childCount(), 1);
    QTreeWidgetItem* drive = Expanded(DriveNode());
    EXPECT_EQ(drive->text(0), QStringLiteral("/"));
    EXPECT_EQ(NodePath(drive), m_drivePath);
    EXPECT_EQ(NodePath(Child(drive, QStringLiteral("alpha"))), m_drivePath + QStringLiteral("alpha/"));
    EXPECT_EQ(JoinPath(QStringLiteral("/"), QStringLiteral("home")) + QLatin1Char('/'),
              QStringLiteral("/home/"));
}

TEST_F(FolderTree, ListSubFoldersMergesIntoASortedListAndCountsWhatItAdded)
{
    QStringList list{QStringLiteral("alpha"), QStringLiteral("zulu")};
    EXPECT_EQ(ListSubFolders(m_drivePath, list), 6); // "alpha" was already held
    EXPECT_EQ(list,
              QStringList({"alpha", "Beta", "filesonly", "gamma", "Photos", "photos", "withhidden", "zulu"}));
    EXPECT_EQ(ListSubFolders(m_files.Path(QStringLiteral("missing/")), list), 0);
    EXPECT_EQ(ListSubFolders(m_files.Path(QStringLiteral("drive/readme.txt")), list), 0);
    EXPECT_EQ(list.size(), 8);
}

TEST_F(FolderTree, SortOrderInTheCLocaleIsStillCaseInsensitive)
{
    plat::SetCollationLocale(QLocale::c());
    EXPECT_EQ(Texts(Expanded(DriveNode())),
              QStringList({"alpha", "Beta", "filesonly", "gamma", "Photos", "photos", "withhidden"}));
}

TEST(FolderTreeHelpers, JoinPathAddsExactlyOneSeparator)
{
    EXPECT_EQ(JoinPath(QStringLiteral("/"), QStringLiteral("home")), QStringLiteral("/home"));
    EXPECT_EQ(JoinPath(QStringLiteral("/data/"), QStringLiteral("x y")), QStringLiteral("/data/x y"));
    EXPECT_EQ(JoinPath(QStringLiteral("/data"), QStringLiteral("x")), QStringLiteral("/data/x"));
    EXPECT_EQ(JoinPath(QStringLiteral("rel"), QStringLiteral("x")), QStringLiteral("rel/x"));
}

TEST(FolderTreeHelpers, OnlyTheDotEntriesAreNotSubFolderNames)
{
    EXPECT_FALSE(IsSubFolderName(QStringLiteral(".")));
    EXPECT_FALSE(IsSubFolderName(QStringLiteral("..")));
    for (const char* name : {"...", ".cache", "a", "..a", " ."})
        EXPECT_TRUE(IsSubFolderName(QString::fromUtf8(name))) << name;
    EXPECT_EQ(NodePath(nullptr), QString());
}

} // namespace
