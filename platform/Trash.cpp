#include "Trash.h"

#include "platform/FileOps.h"
#include "platform/UniqueFd.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

struct TTrash::TPlace
{
    // For the trash of a mount, unused at home:
    int MountId = -1;
    QByteArray TopDir;       // the mount point, no trailing '/' ("" for "/")
    uint64_t TopDevice = 0;  // st_dev of its files; those of a btrfs subvolume below carry another
    uint64_t FileSystem = 0; // the mount table's device, the same for every mount of one file system
    bool Opened = false;     // its trash folders were looked for
    TUniqueFd Top;

    int Error = 0; // why the place cannot be used
    TUniqueFd Files;
    TUniqueFd Info;
};

namespace {

constexpr int MaxAttempts = 10'000;
// Room for " (10000)" and ".trashinfo" within the 255 bytes of a name.
constexpr qsizetype MaxTrashBaseName = 230;

QByteArray EnvironmentPath(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? QByteArray(value) : QByteArray();
}

QByteArray HomeFolder()
{
    QByteArray home = EnvironmentPath("HOME");
    if (!home.isEmpty())
        return home;
    struct passwd entry
    {
    };
    struct passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr)
        return QByteArray(found->pw_dir);
    return "/";
}

// Creates each missing folder of `path` (mode 0700), like mkdir -p.
int MakeFolders(const QByteArray& path)
{
    for (qsizetype at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/')
            continue;
        const QByteArray prefix = path.left(at);
        if (::mkdir(prefix.constData(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}

// Opens (creating it when missing) the folder `name` inside `at`, refusing a link standing there.
int OpenSubFolder(int at, const char* name, TUniqueFd& folder)
{
    if (::mkdirat(at, name, 0700) != 0 && errno != EEXIST)
        return errno;
    folder.Reset(::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    return folder ? 0 : errno;
}

// A per-user trash folder must be a real folder of this user.
int CheckOwnFolder(int fd)
{
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() ? 0 : EPERM;
}

int OpenFilesAndInfo(int trashFd, TUniqueFd& files, TUniqueFd& info)
{
    if (const int error = OpenSubFolder(trashFd, "files", files))
        return error;
    return OpenSubFolder(trashFd, "info", info);
}

// The path the folder handle stands for now, as the kernel resolves it.
int FolderPath(int folderFd, QByteArray& path)
{
    char link[PATH_MAX];
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(folderFd);
    const ssize_t n = ::readlink(proc.constData(), link, sizeof link);
    if (n < 0)
        return errno;
    if (n == 0 || size_t(n) >= sizeof link || link[0] != '/')
        return ENAMETOOLONG;
    path = QByteArray(link, n);
    return 0;
}

uint64_t DeviceOf(const QByteArray& path)
{
    struct stat st
    {
    };
    return ::stat(path.constData(), &st) == 0 ? uint64_t(st.st_dev) : UINT64_MAX;
}

QByteArray ParentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// The nearest existing folder at or above `path`.
QByteArray ExistingFolder(QByteArray path)
{
    while (DeviceOf(path) == UINT64_MAX && path != "/")
        path = ParentOf(path);
    return path;
}

// What a refused top-folder trash means: this user can have no trash on that file system (a top
// folder that is not writable or not a folder of this user's, a read-only mount), which is
// reported as a file that cannot be moved there.
int NoTrashThere(int error)
{
    return error == EACCES || error == EPERM || error == EROFS || error == ENOTDIR || error == ELOOP ? EXDEV
                                                                                                     : error;
}

// A trash name no longer than a name may be once numbered and given ".trashinfo"; the original
// name is kept in the .trashinfo, so a shortened one restores whole.
QByteArray TrashBaseName(const QByteArray& name)
{
    if (name.size() <= MaxTrashBaseName)
        return name;
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray extension = dot > 0 && name.size() - dot <= 16 ? name.mid(dot) : QByteArray();
    qsizetype cut = MaxTrashBaseName - extension.size();
    while (cut > 0 && (uchar(name[cut]) & 0xC0) == 0x80) // never inside a UTF-8 sequence
        --cut;
    return name.left(cut) + extension;
}

QByteArray DeletionDate()
{
    const time_t now = ::time(nullptr);
    struct tm local
    {
    };
    char text[32] = {};
    if (::localtime_r(&now, &local) != nullptr)
        ::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return QByteArray(text);
}

int WriteAll(int fd, const QByteArray& bytes)
{
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        written += n;
    }
    return 0;
}

} // namespace

TTrash::TTrash() = default;
TTrash::~TTrash() = default;

QByteArray TTrash::HomeTrashFolder()
{
    QByteArray data = EnvironmentPath("XDG_DATA_HOME");
    if (data.isEmpty())
        data = HomeFolder() + "/.local/share";
    while (data.size() > 1 && data.endsWith('/'))
        data.chop(1);
    return data + "/Trash";
}

TTrash::TPlace& TTrash::HomePlace()
{
    if (m_home)
        return *m_home;
    m_home = std::make_unique<TPlace>();
    const QByteArray folder = HomeTrashFolder();
    m_home->Error = MakeFolders(folder);
    TUniqueFd trash;
    if (m_home->Error == 0) {
        trash.Reset(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        m_home->Error = trash ? 0 : errno;
    }
    if (m_home->Error == 0)
        m_home->Error = OpenFilesAndInfo(trash.Get(), m_home->Files, m_home->Info);
    return *m_home;
}

TTrash::TPlace& TTrash::MountPlace(int folderFd, const QByteArray& folderPath)
{
    if (!m_mountsRead) {
        m_mounts = ReadMountTable();
        m_mountsRead = true;
    }
    const TMount* mount = MountOfFolder(m_mounts, folderFd, folderPath);
    const int id = mount != nullptr ? mount->Id : -1;
    for (const auto& place : m_mountPlaces)
        if (place->MountId == id)
            return *place;
    auto& place = *m_mountPlaces.emplace_back(std::make_unique<TPlace>());
    place.MountId = id;
    place.Error = EXDEV;
    if (mount == nullptr)
        return place;
    place.TopDir = mount->MountPointBytes == "/" ? QByteArray() : mount->MountPointBytes;
    place.FileSystem = mount->Device();
    place.Top.Reset(
        ::open(place.TopDir.isEmpty() ? "/" : place.TopDir.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st
    {
    };
    // The mount point must still lead to that mount (a later mount may cover it).
    if (!place.Top || ::fstat(place.Top.Get(), &st) != 0 ||
        MountOfFolder(m_mounts, place.Top.Get(), place.TopDir) != mount)
        return place;
    place.TopDevice = uint64_t(st.st_dev);
    place.Error = 0;
    return place;
}

int TTrash::OpenTopTrash(TPlace& place)
{
    if (place.Opened)
        return place.Error;
    place.Opened = true;
    const int top = place.Top.Get();
    const QByteArray uid = QByteArray::number(::getuid());

    // A shared .Trash prepared by the administrator is used only when it is a real, sticky folder.
    struct stat shared
    {
    };
    if (::fstatat(top, ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX) != 0) {
        const TUniqueFd sharedFd(::openat(top, ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        TUniqueFd own;
        if (sharedFd && OpenSubFolder(sharedFd.Get(), uid.constData(), own) == 0 &&
            CheckOwnFolder(own.Get()) == 0 && OpenFilesAndInfo(own.Get(), place.Files, place.Info) == 0)
            return place.Error = 0;
    }

    const QByteArray own = ".Trash-" + uid;
    if (::mkdirat(top, own.constData(), 0700) != 0 && errno != EEXIST)
        return place.Error = NoTrashThere(errno);
    const TUniqueFd ownFd(::openat(top, own.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    place.Error = ownFd ? CheckOwnFolder(ownFd.Get()) : errno;
    if (place.Error == 0)
        place.Error = OpenFilesAndInfo(ownFd.Get(), place.Files, place.Info);
    return place.Error = NoTrashThere(place.Error);
}

uint64_t TTrash::HomeFileSystem()
{
    if (!m_homeFileSystemKnown) {
        m_homeFileSystemKnown = true;
        m_homeFileSystem = UINT64_MAX;
        const QByteArray folder = ExistingFolder(HomeTrashFolder());
        const TUniqueFd fd(::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (const TMount* mount = fd ? MountOfFolder(m_mounts, fd.Get(), folder) : nullptr)
            m_homeFileSystem = mount->Device();
    }
    return m_homeFileSystem;
}

int TTrash::TrashInto(const TPlace& place, int folderFd, const QByteArray& name,
                      const QByteArray& originalPath)
{
    const QByteArray info = "[Trash Info]\nPath=" + originalPath.toPercentEncoding("/") +
                            "\nDeletionDate=" + DeletionDate() + "\n";
    const QByteArray base = TrashBaseName(name);
    for (int attempt = 1; attempt <= MaxAttempts; ++attempt) {
        const QByteArray trashName = CandidateName(base, attempt);
        const QByteArray infoName = trashName + ".trashinfo";
        TUniqueFd infoFd(::openat(place.Info.Get(), infoName.constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!infoFd && errno == EEXIST)
            continue;
        if (!infoFd)
            return errno;
        int error = WriteAll(infoFd.Get(), info);
        if (error == 0 && ::close(infoFd.Release()) != 0)
            error = errno;
        if (error == 0)
            error = RenameNoReplace(folderFd, name, place.Files.Get(), trashName);
        if (error == 0)
            return 0;
        infoFd.Reset();
        ::unlinkat(place.Info.Get(), infoName.constData(), 0);
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

int TTrash::TrashAtHome(int folderFd, const QByteArray& name, const QByteArray& folderPath)
{
    const TPlace& home = HomePlace();
    if (home.Error != 0)
        return home.Error;
    return TrashInto(home, folderFd, name, (folderPath == "/" ? QByteArray() : folderPath) + '/' + name);
}

int TTrash::MoveToTrash(int folderFd, const QByteArray& name)
{
    struct stat st
    {
    };
    if (::fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return SetLastError(errno);
    if (!S_ISREG(st.st_mode))
        return SetLastError(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    QByteArray folderPath;
    if (const int error = FolderPath(folderFd, folderPath))
        return SetLastError(error);
    const uint64_t device = uint64_t(st.st_dev);

    if (!m_homeDeviceKnown) {
        // The home trash may not exist yet: the nearest folder above it tells its file system.
        m_homeDevice = DeviceOf(ExistingFolder(HomeTrashFolder()));
        m_homeDeviceKnown = true;
    }
    if (device == m_homeDevice) {
        const int error = TrashAtHome(folderFd, name, folderPath);
        // Another mount of the home file system (a bind mount) cannot rename into it.
        if (error != EXDEV)
            return SetLastError(error);
    }

    TPlace& place = MountPlace(folderFd, folderPath);
    if (place.Error != 0)
        return SetLastError(place.Error);
    if (device == place.TopDevice && (folderPath + '/').startsWith(place.TopDir + '/')) {
        if (const int error = OpenTopTrash(place))
            return SetLastError(error);
        // Inside a top-folder trash the path is kept relative to the top folder, so the trash still
        // restores when the file system is mounted elsewhere.
        QByteArray relative = folderPath.mid(place.TopDir.size() + 1);
        if (!relative.isEmpty())
            relative += '/';
        return SetLastError(TrashInto(place, folderFd, name, relative + name));
    }
    // A btrfs subvolume below the mount point: no trash tool looks for a trash at its top, so only
    // the home trash can take the file, when it is on the same file system.
    if (device != m_homeDevice && place.FileSystem == HomeFileSystem())
        return SetLastError(TrashAtHome(folderFd, name, folderPath));
    return SetLastError(EXDEV);
}

} // namespace plat
