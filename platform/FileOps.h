#pragma once

#include "platform/FileCopy.h"
#include "platform/UniqueFd.h"

#include <QByteArray>

#include <cstdint>

// Deleting, renaming and moving one file, always relative to a folder handle the caller opened
// and checked, so that a folder swapped for a link after the check cannot redirect the call.
// Every function returns 0 or the errno of the call that failed, and also leaves that errno as
// this thread's LastError().
namespace plat {

// The errno of the last failure of a function of this layer on this thread.
int LastError();
// Records `error` as the last error and returns it.
int SetLastError(int error);

// Opens the folder at `path` (links followed, relative paths from the working directory) as a
// handle for the calls below; the folder need not be readable, only reachable.
int OpenFolderHandle(const QByteArray& path, TUniqueFd& folder);

// Removes the file `name` from the folder open as `folderFd`.
int UnlinkFileAt(int folderFd, const QByteArray& name);

// The name to try at `attempt` (1, 2, 3, ...) when `name` is taken: "photo.jpg", then
// "photo (2).jpg", "photo (3).jpg", ... The extension is the part from the last dot on; a name
// that only starts with a dot has none.
QByteArray CandidateName(const QByteArray& name, int attempt);

// Renames `from` (in `fromFd`) to `to` (in `toFd`) without ever replacing an existing entry:
// EEXIST when `to` is taken, EXDEV when the two lie on different mounts. File systems without
// renameat2's no-replace flag are served by a hard link and an unlink, or, last, by a rename after
// a check.
int RenameNoReplace(int fromFd, const QByteArray& from, int toFd, const QByteArray& to);

// Moves the regular file `name` of the folder open as `folderFd` into the folder open as `destFd`,
// never replacing a file there: a taken name becomes "name (2).ext", "name (3).ext", ... and
// `finalName` (when given) receives the name used. Moving a file into the folder it is in fails
// with EEXIST. Across file systems the file is copied as CopyFileInto keeps it, and only then
// removed from its folder, if the name still holds that very file, unchanged since the copy began
// (else ESTALE); if any step fails, the copy is removed and the source stays.
int MoveFileAt(int folderFd, const QByteArray& name, int destFd, QByteArray* finalName = nullptr);

} // namespace plat
