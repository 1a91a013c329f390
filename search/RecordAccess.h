#pragma once
#include "core/DuplicateTypes.h"
#include "platform/UniqueFd.h"
#include <QByteArray>

// An owned file descriptor (closed on destruction); movable, not copyable. Lives in platform/ (e.g.
// platform/UniqueFd.h, class plat::TUniqueFd with Get(), Release(), Reset(), explicit operator bool).

// Opens the folder that holds `record` (PathList[record.PathIndex]): the record's search folder is
// opened as the user gave it (a link there is followed, as the scan followed it), every component below
// it is resolved WITHOUT following any symbolic link (openat2 RESOLVE_NO_SYMLINKS|RESOLVE_NO_MAGICLINKS,
// or a component walk with O_NOFOLLOW where openat2 is missing), and the folder reached must have the
// device and inode the scan listed for it. Returns 0 and sets `folder` (opened O_RDONLY|O_DIRECTORY|
// O_CLOEXEC, usable as the dirfd of unlinkat/renameat/openat/fstatat), or an errno:
//   ENOENT  the folder (or a component) is gone;
//   ESTALE  something else stands there now: a link, a non-folder, or a folder with another identity.
int OpenRecordFolder(const TFileInfoType& record, plat::TUniqueFd& folder);

// The record's file name as its bytes on disk (UTF-8; the scan only takes names that round-trip).
QByteArray RecordNameBytes(const TFileInfoType& record);

// Checks the entry named by the record inside `folderFd` (fstatat, AT_SYMLINK_NOFOLLOW). Returns
//   0       a regular file with the record's device, inode, size and modification time;
//   ENOENT  nothing is there (or a folder, which is no file);
//   ESTALE  something else is there: a link, a device, another file, or the same file changed.
int CheckRecordFile(int folderFd, const TFileInfoType& record);
