#pragma once

#include <QByteArray>

#include <cstdint>
#include <memory>
#include <vector>

namespace plat {

enum class TTrashResult
{
    Trashed,       // in a trash folder, with its .trashinfo: the file manager can restore it
    DeletedForGood // its file system can have no trash folder for this user
};

// The desktop's trash, as the freedesktop.org Trash specification lays it out: files of the file
// system that holds the home trash go to $XDG_DATA_HOME/Trash (~/.local/share/Trash), files of any
// other file system to $topdir/.Trash/$uid when the administrator prepared $topdir/.Trash, else to
// $topdir/.Trash-$uid. The .trashinfo is written first (exclusively, so two programs never claim
// one name), then the file is renamed next to it; if the rename fails the .trashinfo goes again.
// One object serves one run of deletes and keeps the trash folders it opened.
class TTrash
{
public:
    TTrash();
    TTrash(const TTrash&) = delete;
    TTrash& operator=(const TTrash&) = delete;
    ~TTrash();

    // Moves the regular file `name` of the folder open as `folderFd` into the trash of its file
    // system. Where that file system can have no trash for this user (its top folder refuses the
    // trash folder), the file is deleted for good instead and `result` says so. Returns 0 or the
    // errno of the call that failed (also left as LastError()).
    int MoveToTrash(int folderFd, const QByteArray& name, TTrashResult* result = nullptr);

    // The home trash folder, without a trailing '/'.
    static QByteArray HomeTrashFolder();

private:
    struct TPlace;

    TPlace& HomePlace();
    TPlace& TopDirPlace(uint64_t device, const QByteArray& folderPath);
    int TrashInto(const TPlace& place, int folderFd, const QByteArray& name, const QByteArray& originalPath);

    bool m_homeDeviceKnown = false;
    uint64_t m_homeDevice = 0;
    std::unique_ptr<TPlace> m_home;
    std::vector<std::unique_ptr<TPlace>> m_topDirs;
};

} // namespace plat
