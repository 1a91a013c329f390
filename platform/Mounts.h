#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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
    QByteArray MountPointBytes; // the mount point exactly as the kernel gives it
    // Root and MountPoint decode to exactly the kernel's bytes; a mount whose paths do not cannot
    // be named by its text and is never offered, but still counts where devices are judged.
    bool Exact = true;

    uint64_t Device() const; // the st_dev of files on this mount
};

// Parses the text of a mountinfo file; lines that do not parse are skipped. Octal escapes in
// paths (\040 for a space, ...) are decoded, then the bytes as file names are (DecodeFileName).
std::vector<TMount> ParseMountInfo(const QByteArray& text);

// The mounts of this process; a replaceable source so tests can feed their own table.
std::vector<TMount> ReadMountTable();
// nullptr restores the real file; returns the source it replaces.
const QByteArray* SetMountInfoSourceForTest(const QByteArray* text);

// Kernel and virtual file systems (proc, sysfs, devtmpfs, ...): never browsed, never scanned.
bool IsPseudoFileSystem(const QString& fsType);

// File systems served over a network (or by a FUSE helper that may be one): asking them anything
// can block for as long as their server does not answer.
bool IsRemoteFileSystem(const QString& fsType);

// Mount points below the trees of the kernel and the runtime (/proc, /sys, /dev, /run except
// /run/media, snaps, container stores).
bool IsSystemMountPoint(const QString& mountPoint);

// The devices that a scan must never enter, whatever the options: mounts of pseudo file systems
// and mounts below the kernel and runtime trees.
std::set<uint64_t> NeverScannedDevices(const std::vector<TMount>& mounts);

// Where the files of a mount of a sub-folder (a bind mount: Root is not "/") come from, as paths
// of this machine: its Root seen through each other mount of the same device that shows it, or
// the Root itself when no other mount shows the device. Each path ends with '/'. Empty for the
// mount of a whole file system.
QStringList MountSourcePaths(const std::vector<TMount>& mounts, const TMount& mount);

// The mount that holds the folder open as `folderFd`, whose path is `folderPath`: found by the
// mount's id where the kernel tells it (a path may lead through a mount that was covered
// later), else as the last mounted of the mount points that hold the path. nullptr when none does.
const TMount* MountOfFolder(const std::vector<TMount>& mounts, int folderFd, const QByteArray& folderPath);

// Whether asking the mount point of `mount` about itself cannot block: a bind mount on a local
// file system (the mounts of whole file systems are never asked).
bool IsLocalBindMount(const TMount& mount);

} // namespace plat
