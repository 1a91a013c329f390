#pragma once

#include "tests/support/ScopedSeam.h"
#include "tests/support/TempTree.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The drive table of a machine whose only disks are folders of a temporary tree, so a window
// never lists the real machine's mounts. The kernel's device tree is an empty folder: every disk
// counts as fixed.
class TFakeDrives
{
public:
    TFakeDrives();
    TFakeDrives(const TFakeDrives&) = delete;
    TFakeDrives& operator=(const TFakeDrives&) = delete;

    TTempTree m_files;
    QString DiskA, DiskB, Gone;

private:
    QString m_sysfs;
    QByteArray m_mountInfo;
    std::optional<TScopedSeam<const QString*>> m_sysfsSeam;
    std::optional<TScopedSeam<const QByteArray*>> m_mountInfoSeam;
};
