#include "FakeDrives.h"

#include "platform/Drives.h"
#include "platform/Mounts.h"

TFakeDrives::TFakeDrives()
{
    m_sysfs = m_files.Folder(QStringLiteral("sys"));
    m_sysfsSeam.emplace(&plat::SetSysfsRootForTest, &m_sysfs);
    DiskB = m_files.Folder(QStringLiteral("disk-b"));
    DiskA = m_files.Folder(QStringLiteral("disk-a"));
    Gone = m_files.Path(QStringLiteral("gone/")); // never created: cannot be opened
    m_mountInfo = QStringLiteral("21 1 0:20 / /proc rw - proc proc rw\n"
                                 "31 1 8:18 / %1 rw - ext4 /dev/sdb2 rw\n"
                                 "32 1 8:2 / %2 rw - ext4 /dev/sda2 rw\n"
                                 "33 1 8:3 / %3 rw - ext4 /dev/sda3 rw\n")
                      .arg(DiskB.chopped(1), DiskA.chopped(1), Gone.chopped(1))
                      .toUtf8();
    m_mountInfoSeam.emplace(&plat::SetMountInfoSourceForTest, &m_mountInfo);
}
