#include "Drives.h"

#include "FileAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace plat {
namespace {

const QString* g_sysfsRoot = nullptr;

constexpr uint32_t RamDiskMajor = 1;
constexpr uint32_t FloppyMajor = 2;
constexpr uint32_t LoopMajor = 7;
constexpr uint32_t CdRomMajor = 11;

QString SysfsRoot()
{
    return g_sysfsRoot ? *g_sysfsRoot : QStringLiteral("/sys");
}

// "//host/share" or "host:/export".
bool IsRemoteSource(const QString& source)
{
    return source.startsWith(QLatin1String("//")) ||
           (!source.startsWith(QLatin1Char('/')) && source.contains(QLatin1String(":/")));
}

bool HasOption(const QString& options, const QString& option)
{
    return options.split(QLatin1Char(',')).contains(option);
}

// A mount of a sub-folder is a second view of a file system that is browsable elsewhere, except
// for a subvolume mount (btrfs installs mount "/" and "/home" from subvolumes "/@" and "/@home").
bool MountsWholeFileSystem(const TMount& mount)
{
    return mount.Root == QLatin1String("/") ||
           HasOption(mount.SuperOptions, QStringLiteral("subvol=") + mount.Root);
}

bool IsHiddenMount(const TMount& mount)
{
    if (IsPseudoFileSystem(mount.FsType) || IsSystemMountPoint(mount.MountPoint))
        return true;
    if (mount.FsType == QLatin1String("overlay") && mount.MountPoint != QLatin1String("/"))
        return true;
    if (mount.FsType == QLatin1String("tmpfs") && mount.MountPoint != QLatin1String("/tmp") &&
        mount.MountPoint != QLatin1String("/var/tmp"))
        return true;
    if (!MountsWholeFileSystem(mount))
        return true;
    // The table's text could not be decoded exactly; such a path could not be opened again.
    return !mount.Exact || mount.MountPoint.contains(QChar::ReplacementCharacter) ||
           !mount.MountPoint.startsWith(QLatin1Char('/'));
}

// The kernel's folder for the block device behind a mount, empty when it has none.
QString BlockDeviceFolder(const TMount& mount)
{
    QString link;
    if (mount.Major != 0) {
        link = SysfsRoot() + QStringLiteral("/dev/block/%1:%2").arg(mount.Major).arg(mount.Minor);
    } else if (mount.Source.startsWith(QLatin1String("/dev/"))) {
        // btrfs reports an anonymous device number; its source still names the disk.
        const QString resolved = QFileInfo(mount.Source).canonicalFilePath();
        const QString name = QFileInfo(resolved.isEmpty() ? mount.Source : resolved).fileName();
        if (name.isEmpty())
            return {};
        link = SysfsRoot() + QStringLiteral("/class/block/") + name;
    } else {
        return {};
    }
    return QFileInfo(link).canonicalFilePath();
}

bool IsRemovableDisk(const QString& deviceFolder)
{
    // The flag belongs to the whole disk, not to its partitions.
    const QString disk = QFile::exists(deviceFolder + QStringLiteral("/partition"))
                             ? QFileInfo(deviceFolder).path()
                             : deviceFolder;
    QFile flag(disk + QStringLiteral("/removable"));
    return flag.open(QIODevice::ReadOnly) && flag.read(16).trimmed() == "1";
}

struct TClass
{
    int Type = DriveUnknown;
    bool Floppy = false;
};

TClass Classify(const TMount& mount)
{
    if (IsRemoteFileSystem(mount.FsType) || IsRemoteSource(mount.Source))
        return {DriveRemote};
    if (mount.FsType == QLatin1String("iso9660") || mount.FsType == QLatin1String("udf"))
        return {DriveCdRom};
    if (mount.FsType == QLatin1String("tmpfs"))
        return {DriveRamDisk};

    const QString folder = BlockDeviceFolder(mount);
    const QString name = QFileInfo(folder).fileName();
    if (mount.Major == CdRomMajor || name.startsWith(QLatin1String("sr")))
        return {DriveCdRom};
    if (mount.Major == RamDiskMajor || name.startsWith(QLatin1String("zram")) ||
        name.startsWith(QLatin1String("ram")))
        return {DriveRamDisk};
    if (mount.Major == FloppyMajor || name.startsWith(QLatin1String("fd")))
        return {DriveRemovable, true};
    if (mount.Major == LoopMajor || name.startsWith(QLatin1String("loop")))
        return {DriveUnknown};
    if (!folder.isEmpty())
        return {IsRemovableDisk(folder) ? DriveRemovable : DriveFixed};
    // A real device number whose kernel folder cannot be read is still a disk.
    return {mount.Major != 0 ? DriveFixed : DriveUnknown};
}

} // namespace

int DriveTypeOf(const TMount& mount)
{
    return Classify(mount).Type;
}

int DriveImageIndex(int type, bool floppy)
{
    switch (type) {
    case DriveRemovable:
        return floppy ? 1 : 4;
    case DriveFixed:
        return 2;
    case DriveRemote:
        return 5;
    case DriveCdRom:
        return 3;
    default:
        return 4;
    }
}

std::vector<TDrive> DrivesFromMounts(const std::vector<TMount>& mounts)
{
    // A later mount on the same place hides the earlier one.
    QHash<QString, size_t> last;
    for (size_t i = 0; i < mounts.size(); ++i)
        last.insert(mounts[i].MountPoint, i);

    std::vector<std::pair<uint64_t, QString>> listed; // device and root of every drive so far
    std::vector<TDrive> drives;
    for (size_t i = 0; i < mounts.size(); ++i) {
        const TMount& mount = mounts[i];
        if (last.value(mount.MountPoint) != i || IsHiddenMount(mount))
            continue;
        const std::pair<uint64_t, QString> identity{mount.Device(), mount.Root};
        if (std::find(listed.begin(), listed.end(), identity) != listed.end())
            continue; // a bind mount of a drive already listed
        listed.push_back(identity);

        const TClass cls = Classify(mount);
        TDrive drive;
        drive.MountPoint = mount.MountPoint;
        drive.FolderPath = WithTrailingSeparator(mount.MountPoint);
        drive.FsType = mount.FsType;
        drive.Type = cls.Type;
        drive.ImageIndex = DriveImageIndex(cls.Type, cls.Floppy);
        drives.push_back(std::move(drive));
    }
    std::sort(drives.begin(), drives.end(),
              [](const TDrive& a, const TDrive& b) { return a.MountPoint.toUtf8() < b.MountPoint.toUtf8(); });
    return drives;
}

std::vector<TDrive> ListDrives()
{
    return DrivesFromMounts(ReadMountTable());
}

bool ProbeDrive(const TDrive& drive)
{
    return drive.Type == DriveRemote || FolderReachable(drive.FolderPath);
}

const QString* SetSysfsRootForTest(const QString* root)
{
    return std::exchange(g_sysfsRoot, root);
}

} // namespace plat
