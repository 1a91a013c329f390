#include "FolderProbe.h"

#include "platform/DirListing.h"

#include <cerrno>
#include <cstdlib>
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
    return ForEachEntry(
        fd, [&](const dirent& entry, QString& name) { return !IsFolderEntry(fd, entry) || visit(name); });
}

QString RealFolderPath(const QByteArray& path)
{
    if (path.isEmpty() || path.contains('\0'))
        return {};
    char* resolved = ::realpath(path.constData(), nullptr);
    if (resolved == nullptr)
        return {};
    const QByteArray real(resolved);
    std::free(resolved);
    struct stat st
    {
    };
    if (::stat(real.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};
    QString folder = QString::fromUtf8(real);
    if (folder.toUtf8() != real)
        return {};
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace plat
