#pragma once

#include "tests/support/TempTree.h"

#include <QByteArray>
#include <QString>

// The drive table of a machine whose only disks are folders of a temporary tree, so a window
// never lists the real machine's mounts. The kernel's device tree is an empty folder: every disk
// counts as fixed.
class TFakeDrives
{
public:
    TFakeDrives();
    ~TFakeDrives();
    TFakeDrives(const TFakeDrives&) = delete;
    TFakeDrives& operator=(const TFakeDrives&) = delete;

    TTempTree m_files;
    QString DiskA, DiskB, Gone;

private:
    QString m_sysfs;
    QByteArray m_mountInfo;
};
