#include "Mounts.h"

#include "FileNames.h"

#include <QFile>
#include <QList>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <utility>

namespace plat {
namespace {

const QByteArray* g_testSource = nullptr;

QByteArray UnescapeBytes(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = false;
            const int value = digits.toInt(&ok, 8);
            if (ok && digits.size() == 3) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return out;
}

QString Unescape(const QByteArray& field, bool* exact = nullptr)
{
    QString text;
    const bool decoded = DecodeFileName(UnescapeBytes(field), text);
    if (exact != nullptr)
        *exact = *exact && decoded;
    return text;
}

bool IsUnder(const QString& path, const QString& folder)
{
    return path == folder ||
           path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

bool UnderAny(const QString& path, std::initializer_list<const char*> roots)
{
    for (const char* root : roots) {
        const QString r = QString::fromLatin1(root);
        if (path == r || path.startsWith(r + QLatin1Char('/')))
            return true;
    }
    return false;
}

} // namespace

uint64_t TMount::Device() const
{
    return static_cast<uint64_t>(makedev(Major, Minor));
}

std::vector<TMount> ParseMountInfo(const QByteArray& text)
{
    std::vector<TMount> mounts;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() < 7 || separator < 6 || separator + 2 >= fields.size())
            continue;
        TMount mount;
        bool okId = false, okParent = false, okMajor = false, okMinor = false;
        mount.Id = fields[0].toInt(&okId);
        mount.ParentId = fields[1].toInt(&okParent);
        const QList<QByteArray> device = fields[2].split(':');
        if (device.size() == 2) {
            mount.Major = device[0].toUInt(&okMajor);
            mount.Minor = device[1].toUInt(&okMinor);
        }
        if (!okId || !okParent || !okMajor || !okMinor)
            continue;
        mount.Root = Unescape(fields[3], &mount.Exact);
        mount.MountPoint = Unescape(fields[4], &mount.Exact);
        mount.MountPointBytes = UnescapeBytes(fields[4]);
        mount.FsType = Unescape(fields[separator + 1]);
        mount.Source = Unescape(fields[separator + 2]);
        if (separator + 3 < fields.size())
            mount.SuperOptions = Unescape(fields[separator + 3]);
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

std::vector<TMount> ReadMountTable()
{
    if (g_testSource)
        return ParseMountInfo(*g_testSource);
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Files under /proc report size 0; read until the end.
    return ParseMountInfo(file.readAll());
}

const QByteArray* SetMountInfoSourceForTest(const QByteArray* text)
{
    return std::exchange(g_testSource, text);
}

bool IsPseudoFileSystem(const QString& fsType)
{
    static const QStringList pseudo = {
        QStringLiteral("proc"),
        QStringLiteral("sysfs"),
        QStringLiteral("devtmpfs"),
        QStringLiteral("devpts"),
        QStringLiteral("securityfs"),
        QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),
        QStringLiteral("pstore"),
        QStringLiteral("bpf"),
        QStringLiteral("debugfs"),
        QStringLiteral("tracefs"),
        QStringLiteral("configfs"),
        QStringLiteral("fusectl"),
        QStringLiteral("mqueue"),
        QStringLiteral("hugetlbfs"),
        QStringLiteral("autofs"),
        QStringLiteral("binfmt_misc"),
        QStringLiteral("efivarfs"),
        QStringLiteral("selinuxfs"),
        QStringLiteral("rpc_pipefs"),
        QStringLiteral("nfsd"),
        QStringLiteral("nsfs"),
        QStringLiteral("ramfs"),
        QStringLiteral("squashfs"),
        QStringLiteral("fuse.gvfsd-fuse"),
        QStringLiteral("fuse.portal"),
        QStringLiteral("fuse.lxcfs"),
    };
    return pseudo.contains(fsType);
}

bool IsRemoteFileSystem(const QString& fsType)
{
    static const QStringList remote = {
        QStringLiteral("nfs"),
        QStringLiteral("nfs4"),
        QStringLiteral("cifs"),
        QStringLiteral("smb3"),
        QStringLiteral("smbfs"),
        QStringLiteral("ncpfs"),
        QStringLiteral("afs"),
        QStringLiteral("ceph"),
        QStringLiteral("glusterfs"),
        QStringLiteral("lustre"),
        QStringLiteral("9p"),
        QStringLiteral("virtiofs"),
        QStringLiteral("davfs"),
        QStringLiteral("fuse.sshfs"),
        QStringLiteral("fuse.rclone"),
        QStringLiteral("fuse.s3fs"),
        QStringLiteral("fuse.curlftpfs"),
    };
    return remote.contains(fsType);
}

bool IsSystemMountPoint(const QString& mountPoint)
{
    if (UnderAny(mountPoint, {"/run/media"}))
        return false;
    return UnderAny(mountPoint, {"/proc", "/sys", "/dev", "/run", "/var/run", "/var/lock", "/snap",
                                 "/var/lib/snapd", "/var/lib/docker", "/var/lib/containers"});
}

std::set<uint64_t> NeverScannedDevices(const std::vector<TMount>& mounts)
{
    std::set<uint64_t> devices;
    for (const TMount& mount : mounts)
        if (IsPseudoFileSystem(mount.FsType) ||
            (IsSystemMountPoint(mount.MountPoint) && mount.MountPoint != QLatin1String("/")))
            devices.insert(mount.Device());
    // A device that is also mounted somewhere ordinary (a bind of /dev's tmpfs is rare, but a
    // real disk bound into a container store is common) stays scannable there.
    for (const TMount& mount : mounts)
        if (!IsPseudoFileSystem(mount.FsType) && !IsSystemMountPoint(mount.MountPoint))
            devices.erase(mount.Device());
    return devices;
}

QStringList MountSourcePaths(const std::vector<TMount>& mounts, const TMount& mount)
{
    if (mount.Root == QLatin1String("/"))
        return {};
    const QString root = mount.Root.endsWith(QLatin1Char('/')) ? mount.Root : mount.Root + QLatin1Char('/');
    QStringList sources;
    bool shownElsewhere = false;
    for (const TMount& other : mounts) {
        if (&other == &mount || other.Device() != mount.Device())
            continue;
        shownElsewhere = true;
        if (!IsUnder(mount.Root, other.Root))
            continue;
        const QString below =
            other.Root == QLatin1String("/") ? root.mid(1) : root.mid(other.Root.size() + 1);
        const QString point = other.MountPoint.endsWith(QLatin1Char('/'))
                                  ? other.MountPoint
                                  : other.MountPoint + QLatin1Char('/');
        sources << point + below;
    }
    if (!shownElsewhere)
        sources << root;
    sources.removeDuplicates();
    return sources;
}

const TMount* MountOfFolder(const std::vector<TMount>& mounts, int folderFd, const QByteArray& folderPath)
{
    struct statx st
    {
    };
    if (::statx(folderFd, "", AT_EMPTY_PATH, STATX_MNT_ID, &st) == 0 && (st.stx_mask & STATX_MNT_ID) != 0) {
        for (const TMount& mount : mounts)
            if (uint64_t(mount.Id) == st.stx_mnt_id)
                return &mount;
        return nullptr;
    }
    // Kernels before 5.8 tell no mount id: the longest mount point above the path, the later of two
    // on one place.
    const TMount* found = nullptr;
    for (const TMount& mount : mounts) {
        const QByteArray& point = mount.MountPointBytes;
        const bool holds = point == "/" || folderPath == point || folderPath.startsWith(point + '/');
        if (holds && (found == nullptr || point.size() >= found->MountPointBytes.size()))
            found = &mount;
    }
    return found;
}

bool IsLocalBindMount(const TMount& mount)
{
    return mount.Root != QLatin1String("/") && !IsRemoteFileSystem(mount.FsType) &&
           !mount.FsType.startsWith(QLatin1String("fuse")) && !IsPseudoFileSystem(mount.FsType);
}

} // namespace plat
