#pragma once

#include <cstdint>
#include <sys/stat.h>

namespace plat {

// What identifies a file as the one a scan saw: device and inode, size, the modification time in
// nanoseconds, and a mix of the change time and the birth time. The change time moves with every
// write and every change of the inode, also when the modification time is put back (touch -r,
// cp -p) or the file is deleted and made again on the same inode number; the birth time, where the
// file system keeps one, tells a new file from an old one even within one tick of the clock.
struct TFileStamp
{
    uint64_t Dev = 0;
    uint64_t Ino = 0;
    uint64_t Size = 0;
    int64_t ModifiedNs = 0;
    // The change time and the birth time (0 where there is none) mixed into one value that is
    // only compared: for one birth time, distinct change times always give distinct values.
    uint64_t ChangeMix = 0;
    friend bool operator==(const TFileStamp&, const TFileStamp&) = default;
};

// The fields statx must give for a stamp; the birth time (STATX_BTIME) is asked for too but used
// only where the file system gives it.
inline constexpr unsigned StampFields = STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_CTIME;

// The stamp of a file that statx described with StampFields.
TFileStamp StampOf(const struct statx& st);

// Describes `name` in the folder open as `folderFd` for a stamp, without following a link; an
// empty name describes the file open as `folderFd` itself. Returns 0 or the errno of statx.
int DescribeFile(int folderFd, const char* name, struct statx& st);

// The one test of whether a file described by DescribeFile is still the file `expected` stamps:
// a regular file whose stamp is `expected`.
bool IsStampedFile(const struct statx& st, const TFileStamp& expected);

} // namespace plat
