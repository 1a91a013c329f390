#include "platform/Drives.h"

#include "tests/support/ScopedSeam.h"
#include "tests/support/TempTree.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <vector>

namespace {

using plat::TDrive;

// A desktop with the usual kernel and runtime mounts, a snap, container layers, bind mounts,
// network shares, an optical disc, USB media, a btrfs data disk and a floppy.
const QByteArray MountInfo = R"(21 1 0:20 / /proc rw,nosuid - proc proc rw
22 1 0:21 / /sys rw,nosuid - sysfs sysfs rw
23 1 0:5 / /dev rw,nosuid - devtmpfs udev rw,size=8000k
24 1 0:24 / /run rw,nosuid - tmpfs tmpfs rw,size=1600k
25 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro
26 23 0:30 / /dev/shm rw - tmpfs tmpfs rw
27 25 0:31 / /tmp rw - tmpfs tmpfs rw
28 25 8:3 / /home rw - ext4 /dev/sda3 rw
29 25 7:1 / /snap/core/1234 ro - squashfs /dev/loop1 ro
30 25 0:40 / /var/lib/docker/overlay2/abc/merged rw - overlay overlay rw,lowerdir=/x
31 25 0:41 / /mnt/overlaid rw - overlay overlay rw,lowerdir=/y
32 25 8:3 / /srv/home-again rw - ext4 /dev/sda3 rw
33 25 8:3 /alex/Music /music rw - ext4 /dev/sda3 rw
34 25 0:50 / /mnt/nas rw - nfs4 nas.local:/export rw,vers=4.2
35 25 0:51 / /mnt/share rw - cifs //server/share rw
36 24 11:0 / /run/media/alex/DVD\040DISC ro - iso9660 /dev/sr0 ro
37 25 8:17 / /media/alex/USB\040STICK rw - vfat /dev/sdb1 rw
38 25 8:33 / /mnt/backup rw - ext4 /dev/sdc1 rw
39 24 0:60 / /run/user/1000 rw - tmpfs tmpfs rw
40 25 0:61 /@data /data rw - btrfs /dev/sde2 rw,subvolid=257,subvol=/@data
41 25 0:61 /@data/photos /photos rw - btrfs /dev/sde2 rw,subvolid=257,subvol=/@data
42 25 0:62 / /mnt/stacked rw - nfs old.server:/old rw
43 25 8:5 / /mnt/stacked rw - ext4 /dev/sda5 rw
44 25 0:70 / /var/tmp rw - tmpfs tmpfs rw
45 25 2:0 / /mnt/floppy rw - vfat /dev/fd0 rw
46 25 7:3 / /mnt/image rw - ext4 /dev/loop3 rw
47 25 0:80 / /mnt/sshfs rw - fuse.sshfs alex@host: rw
48 21 0:81 / /proc/sys/fs/binfmt_misc rw - binfmt_misc binfmt_misc rw
49 25 8:6 / /mnt/odd\011tab\134back rw - ext4 /dev/sda6 rw
50 25 8:48 / /media/alex/WHOLE rw - exfat /dev/sdd rw
51 25 0:90 / /mnt/fuse rw - fuse.mergerfs pool rw
52 25 8:17 / /mnt/stick-again rw - vfat /dev/sdb1 rw
53 25 0:95 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw
this line is not a mount
)";

// A kernel device tree: sda (fixed, partitions 2 3 5 6), sdb (USB stick, partition 1), sdc (USB
// hard disk, partition 1), sdd (stick without partitions), sde (USB disk behind btrfs).
class TFakeSysfs
{
public:
    TFakeSysfs()
    {
        Disk("sda", "0", {"2", "3", "5", "6"}, 8, 0);
        Disk("sdb", "1", {"1"}, 8, 16);
        Disk("sdc", "0", {"1"}, 8, 32);
        Disk("sdd", "1", {}, 8, 48);
        Disk("sde", "1", {"2"}, 8, 64);
        m_root = m_tree.Root() + QStringLiteral("sys");
        m_seam.emplace(&plat::SetSysfsRootForTest, &m_root);
    }
    TFakeSysfs(const TFakeSysfs&) = delete;
    TFakeSysfs& operator=(const TFakeSysfs&) = delete;

private:
    void Disk(const QString& name, const QByteArray& removable, const std::vector<QString>& partitions,
              int major, int firstMinor)
    {
        const QString disk = QStringLiteral("sys/devices/pci0/block/") + name;
        m_tree.File(disk + QStringLiteral("/removable"), removable + '\n');
        Link(name, disk, major, firstMinor);
        for (const QString& number : partitions) {
            m_tree.File(disk + QLatin1Char('/') + name + number + QStringLiteral("/partition"),
                        number.toUtf8());
            Link(name + number, disk + QLatin1Char('/') + name + number, major, firstMinor + number.toInt());
        }
    }
    void Link(const QString& name, const QString& folder, int major, int minor)
    {
        m_tree.Symlink(QStringLiteral("sys/dev/block/%1:%2").arg(major).arg(minor), m_tree.Path(folder));
        m_tree.Symlink(QStringLiteral("sys/class/block/") + name, m_tree.Path(folder));
    }

    TTempTree m_tree;
    QString m_root;
    std::optional<TScopedSeam<const QString*>> m_seam;
};

using TRow = std::tuple<QString, QString, int, int>; // mount point, folder path, type, image

std::vector<TRow> Rows(const std::vector<TDrive>& drives)
{
    std::vector<TRow> rows;
    for (const TDrive& drive : drives)
        rows.emplace_back(drive.MountPoint, drive.FolderPath, drive.Type, drive.ImageIndex);
    return rows;
}

TRow Row(const char* mountPoint, int type, int image)
{
    const QString point = QString::fromUtf8(mountPoint);
    return {point, point == QLatin1String("/") ? point : point + QLatin1Char('/'), type, image};
}

TEST(Drives, MountTableGivesTheBrowsableDrivesInByteOrderWithTypesAndImages)
{
    TFakeSysfs sysfs;
    const std::vector<TRow> expected = {
        Row("/", plat::DriveFixed, 2),
        Row("/data", plat::DriveRemovable, 4),
        Row("/home", plat::DriveFixed, 2),
        Row("/media/alex/USB STICK", plat::DriveRemovable, 4),
        Row("/media/alex/WHOLE", plat::DriveRemovable, 4),
        Row("/mnt/backup", plat::DriveFixed, 2),
        Row("/mnt/floppy", plat::DriveRemovable, 1),
        Row("/mnt/fuse", plat::DriveUnknown, 4),
        Row("/mnt/image", plat::DriveUnknown, 4),
        Row("/mnt/nas", plat::DriveRemote, 5),
        Row("/mnt/odd\ttab\\back", plat::DriveFixed, 2),
        Row("/mnt/share", plat::DriveRemote, 5),
        Row("/mnt/sshfs", plat::DriveRemote, 5),
        Row("/mnt/stacked", plat::DriveFixed, 2),
        Row("/run/media/alex/DVD DISC", plat::DriveCdRom, 3),
        Row("/tmp", plat::DriveRamDisk, 4),
        Row("/var/tmp", plat::DriveRamDisk, 4),
    };
    EXPECT_EQ(Rows(plat::DrivesFromMounts(plat::ParseMountInfo(MountInfo))), expected);

    {
        const TScopedSeam mounts(&plat::SetMountInfoSourceForTest, &MountInfo);
        EXPECT_EQ(Rows(plat::ListDrives()), expected);
    }
}

TEST(Drives, OrderIsByteOrderNotCaseOrLocale)
{
    const QByteArray text = "1 0 8:1 / /mnt/b rw - ext4 /dev/sda1 rw\n"
                            "2 0 8:2 / /mnt/B rw - ext4 /dev/sda2 rw\n"
                            "3 0 8:3 / /mnt/\\303\\251t\\303\\251 rw - ext4 /dev/sda3 rw\n"
                            "4 0 8:4 / /mnt/a rw - ext4 /dev/sda4 rw\n"
                            "5 0 8:5 / /mnt/a-z rw - ext4 /dev/sda5 rw\n";
    std::vector<QString> points;
    for (const TDrive& drive : plat::DrivesFromMounts(plat::ParseMountInfo(text)))
        points.push_back(drive.MountPoint);
    EXPECT_EQ(points, (std::vector<QString>{QStringLiteral("/mnt/B"), QStringLiteral("/mnt/a"),
                                            QStringLiteral("/mnt/a-z"), QStringLiteral("/mnt/b"),
                                            QString::fromUtf8("/mnt/\xc3\xa9t\xc3\xa9")}));
}

TEST(Drives, TypeWithoutKernelDeviceInformation)
{
    const QString missing = QStringLiteral("/nonexistent-sysfs-for-pairwick-tests");
    const TScopedSeam sysfs(&plat::SetSysfsRootForTest, &missing);
    const auto type = [](const char* line) {
        const std::vector<plat::TMount> mounts = plat::ParseMountInfo(QByteArray(line));
        return mounts.size() == 1 ? plat::DriveTypeOf(mounts.front()) : -1;
    };
    EXPECT_EQ(type("1 0 8:1 / /a rw - ext4 /dev/sda1 rw"), plat::DriveFixed); // a real device number
    EXPECT_EQ(type("1 0 0:40 / /a rw - fuse.mergerfs pool rw"), plat::DriveUnknown);
    EXPECT_EQ(type("1 0 0:40 / /a rw - btrfs /dev/nosuchdisk1 rw,subvol=/"), plat::DriveUnknown);
    EXPECT_EQ(type("1 0 11:0 / /a rw - vfat /dev/sr0 rw"), plat::DriveCdRom);
    EXPECT_EQ(type("1 0 8:1 / /a rw - udf /dev/sda1 rw"), plat::DriveCdRom);
    EXPECT_EQ(type("1 0 1:0 / /a rw - ext2 /dev/ram0 rw"), plat::DriveRamDisk);
    EXPECT_EQ(type("1 0 0:40 / /a rw - fuse.unknownfs host:/export rw"), plat::DriveRemote);
    EXPECT_EQ(type("1 0 0:40 / /a rw - smb3 //nas/x rw"), plat::DriveRemote);
    EXPECT_EQ(type("1 0 0:40 / /a rw - 9p shared rw"), plat::DriveRemote);
}

TEST(Drives, ImageByType)
{
    EXPECT_EQ(plat::DriveImageIndex(plat::DriveRemovable, true), 1);
    EXPECT_EQ(plat::DriveImageIndex(plat::DriveRemovable, false), 4);
    EXPECT_EQ(plat::DriveImageIndex(plat::DriveFixed, false), 2);
    EXPECT_EQ(plat::DriveImageIndex(plat::DriveRemote, false), 5);
    EXPECT_EQ(plat::DriveImageIndex(plat::DriveCdRom, false), 3);
    for (const int other : {plat::DriveUnknown, plat::DriveNoRootFolder, plat::DriveRamDisk, 7, -1})
        EXPECT_EQ(plat::DriveImageIndex(other, false), 4) << other;
}

TEST(Drives, ProbeOpensTheRootFolderExceptOfRemoteDrives)
{
    TTempTree tree;
    TDrive drive;
    drive.FolderPath = tree.Folder(QStringLiteral("reachable"));
    drive.Type = plat::DriveFixed;
    EXPECT_TRUE(plat::ProbeDrive(drive));

    drive.FolderPath = tree.Path(QStringLiteral("gone/"));
    EXPECT_FALSE(plat::ProbeDrive(drive));
    drive.Type = plat::DriveRemovable;
    EXPECT_FALSE(plat::ProbeDrive(drive));
    drive.Type = plat::DriveRemote; // not asked: a dead server must not hang the window
    EXPECT_TRUE(plat::ProbeDrive(drive));

    drive.Type = plat::DriveFixed;
    drive.FolderPath = tree.File(QStringLiteral("plain-file"), "x");
    EXPECT_FALSE(plat::ProbeDrive(drive));
}

TEST(Drives, ThisMachinesTableHoldsNoKernelOrRuntimeMounts)
{
    const std::vector<TDrive> drives = plat::ListDrives();
    for (size_t i = 0; i < drives.size(); ++i) {
        const TDrive& drive = drives[i];
        SCOPED_TRACE(drive.MountPoint.toStdString());
        EXPECT_FALSE(plat::IsPseudoFileSystem(drive.FsType));
        EXPECT_FALSE(plat::IsSystemMountPoint(drive.MountPoint));
        EXPECT_TRUE(drive.FolderPath.endsWith(QLatin1Char('/')));
        EXPECT_FALSE(drive.FolderPath.endsWith(QLatin1String("//")));
        if (i > 0) {
            EXPECT_LT(drives[i - 1].MountPoint.toUtf8(), drive.MountPoint.toUtf8());
        }
    }
}

} // namespace
