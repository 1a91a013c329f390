#include "FileOps.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {
namespace {

thread_local int t_lastError = 0;

std::function<int(uint64_t)>& CopyFault()
{
    static std::function<int(uint64_t)> fault;
    return fault;
}

// A name cannot grow past what the file system holds; beyond this many free-name attempts the
// folder is plainly full of such names.
constexpr int MaxAttempts = 10'000;

// The file system cannot hold this piece of metadata: the copy goes on without it.
bool Unsupported(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP;
}

int CopyBytes(int from, int to)
{
    uint64_t copied = 0;
    bool plainCopy = false;
    std::array<char, 256 * 1024> buffer;
    while (true) {
        ssize_t n = -1;
        if (!plainCopy) {
            n = ::copy_file_range(from, nullptr, to, nullptr, 1u << 30, 0);
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                          errno == EBADF)) {
                plainCopy = true;
                continue;
            }
        } else {
            n = ::read(from, buffer.data(), buffer.size());
            for (ssize_t written = 0; n > 0 && written < n;) {
                const ssize_t w = ::write(to, buffer.data() + written, size_t(n - written));
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
        if (n == 0)
            return 0;
        copied += uint64_t(n);
        if (CopyFault())
            if (const int fault = CopyFault()(copied))
                return fault;
    }
}

// Copies the regular file `source` (open, described by `st`) to a new file `name` in `destFd`
// and syncs it. Returns 0, or the errno that stopped it (the new file is then removed).
int CopyInto(int source, const struct stat& st, int destFd, const QByteArray& name)
{
    TUniqueFd target(
        ::openat(destFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!target)
        return errno;
    int error = CopyBytes(source, target.Get());
    // Only root may give a file away; for anyone else the copy stays their own.
    [[maybe_unused]] const bool owned = error == 0 && ::fchown(target.Get(), st.st_uid, st.st_gid) == 0;
    if (error == 0 && ::fchmod(target.Get(), st.st_mode & 07777) != 0 && !Unsupported(errno))
        error = errno;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (error == 0 && ::futimens(target.Get(), times) != 0 && !Unsupported(errno))
        error = errno;
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

int MoveAcross(int folderFd, const QByteArray& name, int destFd, QByteArray* finalName)
{
    TUniqueFd source(
        ::openat(folderFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!source)
        return errno;
    struct stat st
    {
    };
    if (::fstat(source.Get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    for (int attempt = 1; attempt <= MaxAttempts; ++attempt) {
        const QByteArray candidate = CandidateName(name, attempt);
        const int error = CopyInto(source.Get(), st, destFd, candidate);
        if (error == EEXIST)
            continue;
        if (error != 0)
            return error;
        if (::unlinkat(folderFd, name.constData(), 0) != 0) {
            const int unlinkError = errno;
            ::unlinkat(destFd, candidate.constData(), 0);
            return unlinkError;
        }
        if (finalName)
            *finalName = candidate;
        return 0;
    }
    return EEXIST;
}

} // namespace

int LastError()
{
    return t_lastError;
}

int SetLastError(int error)
{
    t_lastError = error;
    return error;
}

int OpenFolderHandle(const QByteArray& path, TUniqueFd& folder)
{
    folder.Reset(path.isEmpty() ? -1 : ::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    return SetLastError(folder ? 0 : path.isEmpty() ? ENOENT : errno);
}

int UnlinkFileAt(int folderFd, const QByteArray& name)
{
    return SetLastError(::unlinkat(folderFd, name.constData(), 0) == 0 ? 0 : errno);
}

QByteArray CandidateName(const QByteArray& name, int attempt)
{
    if (attempt <= 1)
        return name;
    const qsizetype dot = name.lastIndexOf('.');
    const qsizetype stemEnd = dot > 0 ? dot : name.size();
    return name.left(stemEnd) + " (" + QByteArray::number(attempt) + ")" + name.mid(stemEnd);
}

int RenameNoReplace(int fromFd, const QByteArray& from, int toFd, const QByteArray& to)
{
    if (::renameat2(fromFd, from.constData(), toFd, to.constData(), RENAME_NOREPLACE) == 0)
        return SetLastError(0);
    if (errno != EINVAL)
        return SetLastError(errno);
    // No support for the flag here (some network and FUSE file systems): a hard link fails on a
    // taken name just as well.
    if (::linkat(fromFd, from.constData(), toFd, to.constData(), 0) == 0) {
        if (::unlinkat(fromFd, from.constData(), 0) == 0)
            return SetLastError(0);
        const int error = errno;
        ::unlinkat(toFd, to.constData(), 0);
        return SetLastError(error);
    }
    if (errno == EEXIST || errno == EXDEV)
        return SetLastError(errno);
    struct stat st
    {
    };
    if (::fstatat(toFd, to.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return SetLastError(EEXIST);
    if (errno != ENOENT)
        return SetLastError(errno);
    return SetLastError(::renameat(fromFd, from.constData(), toFd, to.constData()) == 0 ? 0 : errno);
}

int MoveFileAt(int folderFd, const QByteArray& name, int destFd, QByteArray* finalName)
{
    struct stat here
    {
    };
    struct stat there
    {
    };
    if (::fstat(folderFd, &here) != 0 || ::fstat(destFd, &there) != 0)
        return SetLastError(errno);
    if (here.st_dev == there.st_dev && here.st_ino == there.st_ino)
        return SetLastError(EEXIST);
    for (int attempt = 1; attempt <= MaxAttempts; ++attempt) {
        const QByteArray candidate = CandidateName(name, attempt);
        const int error = RenameNoReplace(folderFd, name, destFd, candidate);
        if (error == EEXIST)
            continue;
        if (error == EXDEV)
            return SetLastError(MoveAcross(folderFd, name, destFd, finalName));
        if (error == 0 && finalName)
            *finalName = candidate;
        return SetLastError(error);
    }
    return SetLastError(EEXIST);
}

void SetCopyFaultForTest(std::function<int(uint64_t copied)> fault)
{
    CopyFault() = std::move(fault);
}

} // namespace plat
