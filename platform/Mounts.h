#pragma once

#include <QString>

#include <cstdint>
#include <set>
#include <vector>

namespace plat {

// One line of the kernel's mount table (/proc/self/mountinfo).
struct TMount
{
    int Id = 0;
    int ParentId = 0;
    uint32_t Major = 0;
    uint32_t Minor = 0;
    QString Root;       // the folder of the file system that is mounted here ("/" for a whole one)
    QString MountPoint; // where it is mounted, without a trailing '/' (except "/" itself)
    QString FsType;     // "ext4", "proc", "fuse.sshfs", ...
    QString Source;     // "/dev/sda1", "server:/export", ...
    // The options of the file system itself ("rw,subvol=/@home", ...).
    QString SuperOptions;

    uint64_t Device() const; // the st_dev of files on this mount
};

// Parses the text of a mountinfo file; lines that do not parse are skipped. Octal escapes in
// paths (\040 for a space, ...) are decoded.
std::vector<TMount> ParseMountInfo(const QByteArray& text);

// The mounts of this process; a replaceable source so tests can feed their own table.
std::vector<TMount> ReadMountTable();
void SetMountInfoSourceForTest(const QByteArray* text); // nullptr restores the real file

// Kernel and virtual file systems (proc, sysfs, devtmpfs, ...): never browsed, never scanned.
bool IsPseudoFileSystem(const QString& fsType);

// Mount points below the trees of the kernel and the runtime (/proc, /sys, /dev, /run except
// /run/media, snaps, container stores).
bool IsSystemMountPoint(const QString& mountPoint);

// The devices that a scan must never enter, whatever the options: mounts of pseudo file systems
// and mounts below the kernel and runtime trees.
std::set<uint64_t> NeverScannedDevices(const std::vector<TMount>& mounts);

} // namespace plat
