#pragma once

#include "platform/Drives.h"

#include <QString>
#include <QStringList>

#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

// What each node of the folder tree keeps besides its text (column 0): the folder path (empty for
// the root), and the image and selected-image indices into ImageList1.
inline constexpr int FolderPathRole = Qt::UserRole;
inline constexpr int ImageIndexRole = Qt::UserRole + 1;
inline constexpr int SelectedImageIndexRole = Qt::UserRole + 2;

// Builds the root "My Computer" with one node per drive and expands the root. A drive gets an
// expand button when its root folder can be opened now (remote drives get one without asking).
// Also sets the tree's fixed looks: one column, no header, indent 19, labels not editable.
void BuildDriveTree(QTreeWidget* tree, const std::vector<plat::TDrive>& drives);

// The handler for a node being expanded (connect it to QTreeWidget::itemExpanded): a drive or
// folder node is read from disk again; the root keeps the drives it was built with.
void TreeView1Expanding(QTreeWidget* tree, QTreeWidgetItem* node);

// Adds one child per sub-folder of the node's folder, sorted; a child gets an expand button when
// it has a sub-folder of its own.
void FillFolderNode(QTreeWidgetItem* node);

// Merges the names of the sub-folders of `path` into the sorted `list` (by the user's
// case-insensitive collation, then exactly; a name already held is not added twice) and returns
// how many were added. Links to folders and names that are not valid UTF-8 are not listed; a
// folder that cannot be read adds nothing.
int ListSubFolders(const QString& path, QStringList& list);

// True unless the name is "." or "..".
bool IsSubFolderName(const QString& name);

// `folder` + `name`, with one '/' between them. The folder is never empty.
QString JoinPath(const QString& folder, const QString& name);

// The folder path of a node, ending with '/'; empty for the root.
QString NodePath(const QTreeWidgetItem* node);
