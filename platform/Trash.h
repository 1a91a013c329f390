#pragma once

#include "platform/Mounts.h"

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <vector>

namespace plat {

// The desktop's trash, as the freedesktop.org Trash specification lays it out: files of the file
// system that holds the home trash go to $XDG_DATA_HOME/Trash (~/.local/share/Trash), files of any
// other file system to $topdir/.Trash/$uid when the administrator prepared $topdir/.Trash, else to
// $topdir/.Trash-$uid, $topdir being the mount point of the mount that holds the file. A file that
// can have no trash is never deleted instead. The .trashinfo is written first (exclusively, so two
// programs never claim one name), then the file is renamed next to it; if the rename fails the
// .trashinfo goes again. One object serves one run of deletes and keeps the trash folders it opened.
class TTrash
{
public:
    TTrash();
    TTrash(const TTrash&) = delete;
    TTrash& operator=(const TTrash&) = delete;
    ~TTrash();

    // Moves the regular file `name` of the folder open as `folderFd` into the trash of its file
    // system. Where that file system can have no trash for this user (its top folder refuses the
    // trash folder, or the file lies in a btrfs subvolume below the mount and the home trash is
    // on another file system), the file stays where it is and the result is EXDEV. Returns 0 or
    // the errno of the call that failed (also left as LastError()).
    int MoveToTrash(int folderFd, const QByteArray& name);

    // The home trash folder, without a trailing '/'.
    static QByteArray HomeTrashFolder();

private:
    struct TPlace;

    TPlace& HomePlace();
    TPlace& MountPlace(int folderFd, const QByteArray& folderPath);
    int OpenTopTrash(TPlace& place);
    uint64_t HomeFileSystem();
    int TrashInto(const TPlace& place, int folderFd, const QByteArray& name, const QByteArray& originalPath);
    int TrashAtHome(int folderFd, const QByteArray& name, const QByteArray& folderPath);

    bool m_homeDeviceKnown = false;
    uint64_t m_homeDevice = 0;
    bool m_homeFileSystemKnown = false;
    uint64_t m_homeFileSystem = 0;
    bool m_mountsRead = false;
    std::vector<TMount> m_mounts;
    std::unique_ptr<TPlace> m_home;
    std::vector<std::unique_ptr<TPlace>> m_mountPlaces;
};

} // namespace plat
