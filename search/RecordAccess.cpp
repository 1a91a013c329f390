// Provisional: replaced by the identity-checked version. Records do not carry their device and
// inode yet, so this walks the whole folder path without following any link and checks the size
// and the packed modification time only.
#include "RecordAccess.h"

#include "core/FileLists.h"
#include "platform/DosTime.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

int OpenStep(int at, const char* name)
{
    return ::openat(at, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
}

// A link met on the way, or a file where a folder was, is something else standing there now.
int WalkError(int error)
{
    return error == ELOOP || error == ENOTDIR ? ESTALE : error;
}

} // namespace

int OpenRecordFolder(const TFileInfoType& record, plat::TUniqueFd& folder)
{
    folder.Reset();
    if (record.PathIndex < 0 || record.PathIndex > PathCount)
        return ENOENT;
    const QByteArray path = PathList[record.PathIndex].toUtf8();
    plat::TUniqueFd at(path.startsWith('/') ? OpenStep(AT_FDCWD, "/") : OpenStep(AT_FDCWD, "."));
    if (!at)
        return WalkError(errno);
    for (const QByteArray& component : path.split('/')) {
        if (component.isEmpty() || component == ".")
            continue;
        plat::TUniqueFd next(OpenStep(at.Get(), component.constData()));
        if (!next)
            return WalkError(errno);
        at = std::move(next);
    }
    folder = std::move(at);
    return 0;
}

QByteArray RecordNameBytes(const TFileInfoType& record)
{
    return NameOf(record).toUtf8();
}

int CheckRecordFile(int folderFd, const TFileInfoType& record)
{
    struct stat st
    {
    };
    if (::fstatat(folderFd, RecordNameBytes(record).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOTDIR ? ESTALE : errno;
    if (S_ISDIR(st.st_mode))
        return ENOENT;
    if (!S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) != record.Size ||
        plat::DosDateTime(st.st_mtim) != record.Time)
        return ESTALE;
    return 0;
}
