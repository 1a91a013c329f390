#pragma once

#include "platform/UniqueFd.h"

#include <QByteArrayView>

namespace plat {

// Opens the folder `relative` names below the folder open as `dirFd` (names joined by '/', never
// "." or ".."; empty names `dirFd`'s folder itself) without following a symbolic link in any
// component: openat2 with RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH, or a walk
// one component at a time with O_NOFOLLOW where the kernel has no openat2. `flags` are added to
// O_DIRECTORY | O_CLOEXEC (O_RDONLY or O_PATH). Returns 0, or the errno of the failure: ENOENT
// when a component is missing, ELOOP or ENOTDIR when a link or something else than a folder
// stands in the way.
int OpenFolderBeneath(int dirFd, QByteArrayView relative, int flags, TUniqueFd& folder);

// Tests walk component by component as on kernels without openat2 (false), or use it again.
// Returns the setting it replaces.
bool SetOpenat2AllowedForTest(bool allowed);

} // namespace plat
