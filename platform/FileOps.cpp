#include "FileOps.h"

#include "platform/FileStamp.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {
namespace {

thread_local int t_lastError = 0;

// A name cannot grow past what the file system holds; beyond this many free-name attempts the
// folder is plainly full of such names.
constexpr int MaxAttempts = 10'000;

int MoveAcross(int folderFd, const QByteArray& name, int destFd, QByteArray* finalName)
{
    TUniqueFd source(
        ::openat(folderFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!source)
        return errno;
    struct stat st
    {
    };
    struct statx described
    {
    };
    if (::fstat(source.Get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    if (const int error = DescribeFile(source.Get(), "", described); error != 0)
        return error;
    const TFileStamp copied = StampOf(described);
    for (int attempt = 1; attempt <= MaxAttempts; ++attempt) {
        const QByteArray candidate = CandidateName(name, attempt);
        int error = CopyFileInto(source.Get(), st, destFd, candidate);
        if (error == EEXIST)
            continue;
        if (error != 0)
            return error;
        // The name must still hold the very file that was copied, unchanged: a new version saved
        // over it meanwhile is not removed, and a file written while it was read may have been
        // copied torn (the same file under the name has the descriptor's stamp, so one look serves).
        error = DescribeFile(folderFd, name.constData(), described);
        if (error == 0 && !IsStampedFile(described, copied))
            error = ESTALE;
        if (error == 0 && ::unlinkat(folderFd, name.constData(), 0) != 0)
            error = errno;
        if (error != 0) {
            ::unlinkat(destFd, candidate.constData(), 0);
            return error;
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

} // namespace plat
