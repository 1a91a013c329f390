#pragma once

#include "Mounts.h"

#include <QString>

#include <vector>

namespace plat {

// Drive types; the tree chooses its pictures by these numbers.
inline constexpr int DriveUnknown = 0;
inline constexpr int DriveNoRootFolder = 1;
inline constexpr int DriveRemovable = 2;
inline constexpr int DriveFixed = 3;
inline constexpr int DriveRemote = 4;
inline constexpr int DriveCdRom = 5;
inline constexpr int DriveRamDisk = 6;

// A mounted file system the user can browse.
struct TDrive
{
    QString MountPoint; // "/", "/home", "/media/alex/USB STICK": the node text
    QString FolderPath; // the mount point with one '/' appended ("/" for the root)
    QString FsType;
    int Type = DriveUnknown;
    // Index into the tree's image list: 1 floppy, 2 hard disk, 3 CD-ROM, 4 plain drive, 5 network.
    int ImageIndex = 4;
};

// The drives of the machine from its mount table, sorted by mount point in byte order. Kernel and
// runtime mounts, snaps, container stores, RAM-backed scratch space other than /tmp, mounts hidden
// by a later one on the same place, and second views (bind mounts) of what is already listed are
// left out. Nothing here touches the mounted file systems themselves, so a dead server cannot hang
// the caller.
std::vector<TDrive> ListDrives();
std::vector<TDrive> DrivesFromMounts(const std::vector<TMount>& mounts);

// The type of one mount, and the picture for a type.
int DriveTypeOf(const TMount& mount);
int DriveImageIndex(int type, bool floppy);

// Whether the drive's root folder can be opened. Remote drives are not asked (a server that does
// not answer would block the window); they count as openable and fail quietly when expanded.
bool ProbeDrive(const TDrive& drive);

// Where the kernel's device information is mounted ("/sys"); tests point it at a fake tree.
// nullptr restores "/sys"; returns the root it replaces.
const QString* SetSysfsRootForTest(const QString* root);

} // namespace plat
