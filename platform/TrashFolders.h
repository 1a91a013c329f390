#pragma once

#include "platform/DirListing.h"
#include "platform/Mounts.h"

#include <QSet>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace plat {

// ".Trash" and ".Trash-<uid>" (any uid): the names a trash folder has at the top of a mount.
bool IsTopTrashName(QStringView name);

// Where the desktop keeps trashed files: the home trash, and the trash folders at the top of a
// mount (or of a btrfs subvolume, where other tools put them). A search never enters them: a
// trashed copy would be offered as the duplicate of the live file, and removing the live one
// would leave the only copy in a trash that is emptied some day.
class TTrashFolders
{
public:
    TTrashFolders() = default;
    explicit TTrashFolders(const std::vector<TMount>& mounts);

    // Whether the folder `folder`, named `name` in the folder whose canonical path is `parent`
    // followed by `parentTail` (ending with '/'), is a trash folder. Asks the file system only for
    // a name like a trash's.
    bool IsTrash(const TFileId& folder, QStringView name, QStringView parent,
                 QStringView parentTail = {}) const;
    // Whether the folder whose canonical path is `canonical` (ending with '/') is a trash folder
    // or lies inside one.
    bool Holds(const QString& canonical) const;

private:
    bool IsTop(const QString& canonical) const;

    std::optional<TFileId> m_home;
    QSet<QString> m_mountPoints; // each ending with '/'
};

} // namespace plat
