#include "FolderTree.h"

#include "ImageLists.h"
#include "platform/Collation.h"
#include "platform/FolderProbe.h"

#include <QIcon>
#include <QList>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <algorithm>

namespace {

// Repainting stays off while nodes are rebuilt and comes back as it was.
class TRepaintPause
{
public:
    explicit TRepaintPause(QWidget* widget)
        : m_widget(widget), m_wasEnabled(widget && widget->updatesEnabled())
    {
        if (m_widget)
            m_widget->setUpdatesEnabled(false);
    }
    TRepaintPause(const TRepaintPause&) = delete;
    TRepaintPause& operator=(const TRepaintPause&) = delete;
    ~TRepaintPause()
    {
        if (m_widget)
            m_widget->setUpdatesEnabled(m_wasEnabled);
    }

private:
    QWidget* m_widget; // not owned: the tree being rebuilt
    bool m_wasEnabled;
};

// Names that collate alike ("Photos", "photos") are different folders: they keep a fixed order.
bool FolderNameOrder(const QString& a, const QString& b)
{
    const int folded = plat::CompareIgnoreCase(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

void SetImages(QTreeWidgetItem* node, int image, int selectedImage)
{
    const QList<QPixmap>& images = ImageList1();
    const auto valid = [&images](int index) {
        return index >= 0 && index < images.size() ? index : ImgPlainDrive;
    };
    image = valid(image);
    selectedImage = valid(selectedImage);
    // The selected picture is given even when it is the same, so the style does not tint it.
    QIcon icon(images.at(image));
    icon.addPixmap(images.at(selectedImage), QIcon::Selected);
    node->setIcon(0, icon);
    node->setData(0, ImageIndexRole, image);
    node->setData(0, SelectedImageIndexRole, selectedImage);
}

QTreeWidgetItem* NewNode(const QString& text, const QString& folderPath)
{
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    node->setData(0, FolderPathRole, folderPath);
    return node;
}

bool HasSubFolder(const QString& folderPath)
{
    bool found = false;
    plat::VisitSubFolders(folderPath, [&found](const QString& name) {
        found = IsSubFolderName(name);
        return !found;
    });
    return found;
}

} // namespace

void BuildDriveTree(QTreeWidget* tree, const std::vector<plat::TDrive>& drives)
{
    QTreeWidgetItem* root = nullptr;
    {
        TRepaintPause pause(tree);
        tree->clear();
        tree->setColumnCount(1);
        tree->setHeaderHidden(true);
        tree->setIndentation(19);
        tree->setIconSize(QSize(16, 16));
        tree->setEditTriggers(QAbstractItemView::NoEditTriggers);

        root = NewNode(QStringLiteral("My Computer"), QString());
        SetImages(root, ImgComputer, ImgComputer);
        QList<QTreeWidgetItem*> nodes;
        for (const plat::TDrive& drive : drives) {
            QTreeWidgetItem* node = NewNode(drive.MountPoint, drive.FolderPath);
            SetImages(node, drive.ImageIndex, drive.ImageIndex);
            // A drive that cannot be opened now never gets a button: the drives are not read again.
            node->setChildIndicatorPolicy(plat::ProbeDrive(drive) ? QTreeWidgetItem::ShowIndicator
                                                                  : QTreeWidgetItem::DontShowIndicator);
            nodes.append(node);
        }
        root->addChildren(nodes);
        tree->addTopLevelItem(root);
    }
    tree->expandItem(root);
}

void TreeView1Expanding(QTreeWidget* tree, QTreeWidgetItem* node)
{
    if (!node || !node->parent())
        return; // the root keeps the drives it was built with
    TRepaintPause pause(tree ? tree : node->treeWidget());
    qDeleteAll(node->takeChildren());
    FillFolderNode(node);
}

void FillFolderNode(QTreeWidgetItem* node)
{
    const QString path = NodePath(node);
    if (path.isEmpty())
        return;
    QStringList names;
    ListSubFolders(path, names);
    QList<QTreeWidgetItem*> children;
    children.reserve(names.size());
    for (const QString& name : names) {
        const QString childPath = JoinPath(path, name) + QLatin1Char('/');
        QTreeWidgetItem* child = NewNode(name, childPath);
        SetImages(child, ImgClosedFolder, ImgOpenFolder);
        child->setChildIndicatorPolicy(HasSubFolder(childPath) ? QTreeWidgetItem::ShowIndicator
                                                               : QTreeWidgetItem::DontShowIndicator);
        children.append(child);
    }
    node->addChildren(children);
}

int ListSubFolders(const QString& path, QStringList& list)
{
    const qsizetype before = list.size();
    plat::VisitSubFolders(path, [&list](const QString& name) {
        if (IsSubFolderName(name))
            list.append(name);
        return true;
    });
    std::sort(list.begin(), list.end(), FolderNameOrder);
    list.erase(std::unique(list.begin(), list.end()), list.end());
    return static_cast<int>(list.size() - before);
}

bool IsSubFolderName(const QString& name)
{
    return name != QLatin1String(".") && name != QLatin1String("..");
}

QString JoinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString NodePath(const QTreeWidgetItem* node)
{
    return node ? node->data(0, FolderPathRole).toString() : QString();
}
