#include "FolderProbe.h"

#include <QByteArrayView>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {
namespace {

bool IsFolderEntry(int dirFd, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_UNKNOWN)
        return false;
    struct stat st
    {
    };
    return ::fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

int VisitSubFolders(const QString& folder, const std::function<bool(const QString& name)>& visit)
{
    const int fd = ::open(folder.toUtf8().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    int error = 0;
    while (true) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        const QByteArrayView name(entry->d_name, qsizetype(std::strlen(entry->d_name)));
        if (!name.isValidUtf8() || !IsFolderEntry(fd, *entry))
            continue;
        if (!visit(QString::fromUtf8(name)))
            break;
    }
    ::closedir(dir);
    return error;
}

} // namespace plat
