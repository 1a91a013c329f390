#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

struct dirent;

namespace plat {

// Attribute bits of a directory entry, as the records keep them.
inline constexpr int32_t AttrReadOnly = 0x01;
inline constexpr int32_t AttrHidden = 0x02;
inline constexpr int32_t AttrSystem = 0x04;
inline constexpr int32_t AttrVolumeLabel = 0x08;
inline constexpr int32_t AttrDirectory = 0x10;
inline constexpr int32_t AttrArchive = 0x20;

enum class TEntryKind : uint8_t
{
    Dot,    // "." or ".."
    File,   // a regular file
    Folder, // a real folder (never a link to one)
    Other,  // links, FIFOs, sockets, devices, and entries that could not be described
};

// The identity of a file or folder on this machine.
struct TFileId
{
    uint64_t Dev = 0;
    uint64_t Ino = 0;
    friend bool operator==(const TFileId&, const TFileId&) = default;
};

struct TFileIdHash
{
    std::size_t operator()(const TFileId& id) const noexcept
    {
        return std::size_t(id.Ino * 0x9E3779B97F4A7C15ull ^ id.Dev);
    }
};

struct TDirEntry
{
    QString Name;
    uint64_t Size = 0;
    int32_t Time = 0;       // packed DOS local date and time
    int64_t ModifiedNs = 0; // last write in nanoseconds since 1970 (see ModifiedNanoseconds)
    uint64_t ChangeMix = 0; // change and birth time, as plat::TFileStamp keeps them
    int32_t Attr = 0;
    TFileId Id;
    uint32_t Links = 1; // hard links to the same file
    TEntryKind Kind = TEntryKind::Other;
};

// A modification time in nanoseconds since 1970, held at the ends of the 64-bit range (years
// 1677 and 2262): the same file time always gives the same value, which is all a check needs.
int64_t ModifiedNanoseconds(int64_t seconds, int64_t nanoseconds);

struct TFolderListing
{
    TFileId Self;                   // the folder that was actually opened
    std::vector<TDirEntry> Entries; // "." and ".." first, then by name, case-insensitively
};

// Reads a whole folder and closes it again, so a walk never holds more than one descriptor and
// its results do not depend on the order in which the file system hands out names. Entries are
// described without following links; a name that does not decode to exactly its bytes is left out
// (it could not be named again without risking another file). With `followLink` false the folder itself must
// not be a symbolic link. Returns 0, or the errno of the call that failed (the listing is then empty).
int ReadFolder(const QString& folder, bool followLink, TFolderListing& listing);

// Reads the entries of the folder open as `fd`, which it takes over and closes, calling `visit`
// with each entry and its decoded name until `visit` returns false; names that do not decode
// exactly (see DecodeFileName) are skipped. `fd` stays open while `visit` runs, for calls relative
// to it. Returns 0, or the errno of the call that failed.
int ForEachEntry(int fd, const std::function<bool(const dirent& entry, QString& name)>& visit);

// The identity of the folder at `folder` (links followed); false when there is none.
bool FolderIdentity(const QString& folder, TFileId& id);

// Orders names the way listings come out: case-insensitively, then exactly.
bool ListingOrder(const QString& a, const QString& b);

} // namespace plat
