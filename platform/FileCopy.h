#pragma once

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <sys/stat.h>

namespace plat {

// Makes a new file `name` in the folder open as `destFd` a copy of the regular file open for
// reading as `source` (described by `st`), kept as it was: its bytes with their holes, its mode,
// its owner where the system allows, its extended attributes and access ACL as far as the
// destination accepts them, and its access and modification times. The copy is synced and closed.
// Where the ACL cannot be kept, the copy's group gets no more than the ACL gave the file's group.
// Returns 0, or the errno that stopped it: EEXIST when `name` is taken, ESTALE when the file reads
// shorter than `st` says; after any failure but EEXIST the new file is removed.
int CopyFileInto(int source, const struct stat& st, int destFd, const QByteArray& name);

// The mode of a file whose access ACL (`acl`, as the kernel keeps it) cannot be kept: the group
// bits of such a file are the ACL's mask, which may give the owning group more than its own entry.
// The owning group keeps what its entry and the mask both allow; an ACL that cannot be read gives
// the group nothing.
mode_t ModeWithoutAcl(const QByteArray& acl, mode_t mode);

// Test seam: called after each chunk of a copy with the bytes copied so far; a non-zero result
// fails the copy with that errno. An empty function removes the hook.
void SetCopyFaultForTest(std::function<int(uint64_t copied)> fault);

} // namespace plat
