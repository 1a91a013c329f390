#include "FileCopy.h"

#include "platform/UniqueFd.h"

#include <QList>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/posix_acl.h>
#include <linux/posix_acl_xattr.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace plat {
namespace {

const char AccessAcl[] = "system.posix_acl_access";

std::function<int(uint64_t)>& CopyFault()
{
    static std::function<int(uint64_t)> fault;
    return fault;
}

// The file system cannot hold this piece of metadata: the copy goes on without it.
bool Unsupported(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP;
}

// The destination does not take this extended attribute (type, size, name or privilege); only a
// failure of the disk itself (EIO, EDQUOT, EROFS, ...) stops the copy.
bool NotAccepted(int error)
{
    return Unsupported(error) || error == EACCES || error == E2BIG || error == ENOSPC || error == ERANGE ||
           error == EINVAL;
}

// Copies bytes [offset, end) of `from` to the same place in `to`. A source that ends early fails
// the copy with ESTALE: it changed under the copy, or its size was stale (a network file system's
// cached one), and zeros must not stand in for the missing bytes. Some file systems end a
// copy_file_range early, so the rest is read plainly before the source is judged short.
int CopyRange(int from, int to, off_t offset, off_t end, uint64_t& copied, bool& plainCopy)
{
    std::array<char, 256 * 1024> buffer;
    while (offset < end) {
        const size_t wanted = size_t(std::min<off_t>(end - offset, 1 << 30));
        ssize_t n = -1;
        if (!plainCopy) {
            loff_t in = offset;
            loff_t out = offset;
            n = ::copy_file_range(from, &in, to, &out, wanted, 0);
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                          errno == EBADF)) {
                plainCopy = true;
                continue;
            }
        } else {
            n = ::pread(from, buffer.data(), std::min(wanted, buffer.size()), offset);
            for (ssize_t written = 0; n > 0 && written < n;) {
                const ssize_t w =
                    ::pwrite(to, buffer.data() + written, size_t(n - written), offset + written);
                if (w < 0 && errno == EINTR)
                    continue;
                if (w < 0)
                    return errno;
                written += w;
            }
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0 && !plainCopy) {
            plainCopy = true;
            continue;
        }
        if (n == 0)
            return ESTALE;
        offset += n;
        copied += uint64_t(n);
        if (CopyFault())
            if (const int fault = CopyFault()(copied))
                return fault;
    }
    return 0;
}

// Copies the data of the first `size` bytes of `from`; holes stay holes, so a sparse file takes no
// more room than it did.
int CopyBytes(int from, int to, off_t size)
{
    uint64_t copied = 0;
    bool plainCopy = false;
    for (off_t offset = 0; offset < size;) {
        off_t data = ::lseek(from, offset, SEEK_DATA);
        off_t hole = size;
        if (data < 0 && errno == ENXIO)
            break;
        if (data < 0 && errno != EINVAL && errno != EOPNOTSUPP)
            return errno;
        if (data < 0)
            data = offset; // no hole map here: all of it is data
        else if (const off_t found = ::lseek(from, data, SEEK_HOLE); found >= 0)
            hole = std::min(found, size);
        if (const int error = CopyRange(from, to, data, hole, copied, plainCopy); error != 0)
            return error;
        offset = hole;
    }
    return ::ftruncate(to, size) == 0 ? 0 : errno;
}

// The value of the extended attribute `name` of `fd`, or of the list of names with a null `name`.
// Returns 0 or the errno (ENODATA: no such attribute).
int ReadAttribute(int fd, const char* name, QByteArray& value)
{
    while (true) {
        const ssize_t size = name ? ::fgetxattr(fd, name, nullptr, 0) : ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno;
        value.resize(qsizetype(size));
        const ssize_t got = name ? ::fgetxattr(fd, name, value.data(), size_t(size))
                                 : ::flistxattr(fd, value.data(), size_t(size));
        if (got >= 0) {
            value.resize(qsizetype(got));
            return 0;
        }
        if (errno != ERANGE) // else it grew in between: ask again
            return errno;
    }
}

// Gives `to` the mode and the extended attributes of `from`; the ACL only where the copy kept the
// file's group, and after the mode, so that the mode alone never gives the group what the ACL's
// mask gave named users and groups.
int CopyModeAndAttributes(int from, int to, mode_t mode, bool groupKept)
{
    QByteArray names;
    QByteArray acl;
    if (const int error = ReadAttribute(from, nullptr, names); error != 0 && !Unsupported(error))
        return error;
    for (const QByteArray& name : names.split('\0')) {
        // Other system names belong to the file system they come from.
        if (name.isEmpty() || (name.startsWith("system.") && name != AccessAcl))
            continue;
        QByteArray value;
        const int error = ReadAttribute(from, name.constData(), value);
        if (error == ENODATA || NotAccepted(error)) // removed meanwhile, or not ours to read
            continue;
        if (error != 0)
            return error;
        if (name == AccessAcl)
            acl = groupKept ? value : QByteArray();
        else if (::fsetxattr(to, name.constData(), value.constData(), size_t(value.size()), 0) != 0 &&
                 !NotAccepted(errno))
            return errno;
    }
    if (::fchmod(to, acl.isEmpty() ? mode : ModeWithoutAcl(acl, mode)) != 0 && !Unsupported(errno))
        return errno;
    if (!acl.isEmpty() && ::fsetxattr(to, AccessAcl, acl.constData(), size_t(acl.size()), 0) != 0 &&
        !NotAccepted(errno))
        return errno;
    return 0;
}

// Gives the copy the file's owner where the system allows (only root may give a file away; a
// member of the file's group may keep that), then the mode and attributes that fit the owner it
// got: set-id bits only for their own user and group, group rights only for the file's own group.
// Ownership goes first: a change of owner drops set-id bits and file capabilities.
int CopyMetadata(int from, const struct stat& st, int to)
{
    [[maybe_unused]] const bool owned =
        ::fchown(to, st.st_uid, st.st_gid) == 0 || ::fchown(to, uid_t(-1), st.st_gid) == 0;
    struct stat made
    {
    };
    if (::fstat(to, &made) != 0)
        return errno;
    mode_t mode = st.st_mode & 07777;
    if (made.st_uid != st.st_uid)
        mode &= ~mode_t(S_ISUID);
    const bool groupKept = made.st_gid == st.st_gid;
    if (!groupKept)
        mode &= ~mode_t(S_ISGID | S_IRWXG);
    if (const int error = CopyModeAndAttributes(from, to, mode, groupKept); error != 0)
        return error;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    return ::futimens(to, times) == 0 || Unsupported(errno) ? 0 : errno;
}

} // namespace

mode_t ModeWithoutAcl(const QByteArray& acl, mode_t mode)
{
    constexpr qsizetype entrySize = sizeof(posix_acl_xattr_entry);
    constexpr qsizetype headerSize = sizeof(posix_acl_xattr_header);
    int group = -1;
    int mask = 7;
    posix_acl_xattr_header header{};
    if (acl.size() >= headerSize && (acl.size() - headerSize) % entrySize == 0) {
        std::memcpy(&header, acl.constData(), sizeof header);
        for (qsizetype at = headerSize; header.a_version == POSIX_ACL_XATTR_VERSION && at < acl.size();
             at += entrySize) {
            posix_acl_xattr_entry entry{};
            std::memcpy(&entry, acl.constData() + at, sizeof entry);
            if (entry.e_tag == ACL_GROUP_OBJ)
                group = entry.e_perm & 7;
            else if (entry.e_tag == ACL_MASK)
                mask = entry.e_perm & 7;
        }
    }
    return (mode & ~mode_t(S_IRWXG)) | (mode_t(std::max(group, 0) & mask) << 3);
}

int CopyFileInto(int source, const struct stat& st, int destFd, const QByteArray& name)
{
    TUniqueFd target(
        ::openat(destFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!target)
        return errno;
    int error = CopyBytes(source, target.Get(), st.st_size);
    if (error == 0)
        error = CopyMetadata(source, st, target.Get());
    if (error == 0 && ::fsync(target.Get()) != 0)
        error = errno;
    if (error == 0 && ::close(target.Release()) != 0)
        error = errno;
    if (error != 0) {
        target.Reset();
        ::unlinkat(destFd, name.constData(), 0);
    }
    return error;
}

void SetCopyFaultForTest(std::function<int(uint64_t copied)> fault)
{
    CopyFault() = std::move(fault);
}

} // namespace plat
