#include "platform/Mounts.h"

#include "tests/support/ScopedSeam.h"

#include <gtest/gtest.h>

#include <sys/sysmacros.h>

namespace {

const QByteArray MountInfo = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                             "23 22 0:5 / /proc rw,nosuid shared:12 - proc proc rw\n"
                             "24 22 0:21 / /sys rw shared:7 - sysfs sysfs rw\n"
                             "25 22 0:6 / /dev rw shared:2 - devtmpfs udev rw\n"
                             "26 22 0:25 / /run rw shared:5 - tmpfs tmpfs rw\n"
                             "27 22 8:17 / /media/alex/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
                             "28 22 8:1 /srv/data /var/lib/docker/volumes/x rw - ext4 /dev/sda1 rw\n"
                             "29 22 0:40 / /run/media/alex/disk rw - ext4 /dev/sdc1 rw\n"
                             "broken line\n";

TEST(Mounts, ParsesFieldsAndEscapes)
{
    const auto mounts = plat::ParseMountInfo(MountInfo);
    ASSERT_EQ(mounts.size(), 8u);
    EXPECT_EQ(mounts[0].MountPoint, "/");
    EXPECT_EQ(mounts[0].FsType, "ext4");
    EXPECT_EQ(mounts[0].Source, "/dev/sda1");
    EXPECT_EQ(mounts[0].Device(), uint64_t(makedev(8, 1)));
    EXPECT_EQ(mounts[5].MountPoint, "/media/alex/USB STICK");
    EXPECT_EQ(mounts[6].Root, "/srv/data");
}

TEST(Mounts, KernelAndRuntimeTreesAreNeverScanned)
{
    const auto devices = plat::NeverScannedDevices(plat::ParseMountInfo(MountInfo));
    EXPECT_TRUE(devices.contains(makedev(0, 5)));  // proc
    EXPECT_TRUE(devices.contains(makedev(0, 21))); // sysfs
    EXPECT_TRUE(devices.contains(makedev(0, 6)));  // devtmpfs
    EXPECT_TRUE(devices.contains(makedev(0, 25))); // the /run tmpfs
    // The root disk also appears under a container store; it stays scannable.
    EXPECT_FALSE(devices.contains(makedev(8, 1)));
    EXPECT_FALSE(devices.contains(makedev(8, 17)));
    EXPECT_FALSE(devices.contains(makedev(0, 40))); // removable media under /run/media
}

TEST(Mounts, TestSourceReplacesTheRealTable)
{
    {
        const TScopedSeam mounts(&plat::SetMountInfoSourceForTest, &MountInfo);
        EXPECT_EQ(plat::ReadMountTable().size(), 8u);
    }
    EXPECT_FALSE(plat::ReadMountTable().empty()); // this process has a root at least
}

TEST(Mounts, PathsDecodeExactlyAndBindMountsTellTheirSources)
{
    const QByteArray table = "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                             "30 22 8:1 /usr/share /home/u/view rw - ext4 /dev/sda1 rw\n"
                             "31 22 8:1 /usr /srv/usr rw - ext4 /dev/sda1 rw\n"
                             "32 22 0:50 /data /mnt/\xEF\xBB\xBFusb rw - vfat /dev/sdb1 rw\n"
                             "33 22 0:51 / /mnt/bad\377 rw - vfat /dev/sdc1 rw\n"
                             "34 22 0:52 /sub /mnt/alone rw - ext4 /dev/sdd1 rw\n"
                             "35 22 0:5 /version /home/u/v rw - proc proc rw\n";
    const auto mounts = plat::ParseMountInfo(table);
    ASSERT_EQ(mounts.size(), 7u);
    EXPECT_TRUE(mounts[3].Exact);
    EXPECT_EQ(mounts[3].MountPoint, QString("/mnt/") + QChar(0xFEFF) + "usb"); // nothing dropped
    EXPECT_FALSE(mounts[4].Exact);
    EXPECT_EQ(mounts[4].MountPointBytes, QByteArray("/mnt/bad\xff"));

    EXPECT_EQ(plat::MountSourcePaths(mounts, mounts[0]), QStringList{});
    // /usr/share is shown through "/" and through the bind mount of /usr.
    EXPECT_EQ(plat::MountSourcePaths(mounts, mounts[1]), (QStringList{"/usr/share/", "/srv/usr/share/"}));
    EXPECT_EQ(plat::MountSourcePaths(mounts, mounts[5]), (QStringList{"/sub/"}));
    EXPECT_TRUE(plat::IsLocalBindMount(mounts[1]));
    EXPECT_FALSE(plat::IsLocalBindMount(mounts[0])); // whole file systems are never asked
    EXPECT_FALSE(plat::IsLocalBindMount(mounts[6]));
}

} // namespace
