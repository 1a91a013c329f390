#pragma once

#include "core/DuplicateTypes.h"
#include "platform/FileAccess.h"
#include "platform/FolderHandles.h"
#include "platform/UniqueFd.h"

#include <QByteArray>

#include <array>
#include <functional>
#include <string>
#include <unordered_map>

// Reaching exactly the file a record names, or nothing. A record's folder is reached from its
// search folder (opened as the user gave it: a link there is followed, as the scan followed it)
// without following a symbolic link in any component below, and must be the folder the scan
// listed (device and inode); the file in it must still be the one the scan saw. ESTALE ("Stale
// file handle") is the one error number for "no longer the file the search saw".

// Opens the folder that holds `record` (PathList[record.PathIndex]) with O_PATH | O_DIRECTORY |
// O_CLOEXEC (searchable is enough), usable as the folder of unlinkat, renameat, openat and
// fstatat. Returns 0, or
//   ENOENT  the folder (or a component on the way) is gone;
//   ESTALE  something else stands there now: a link, a non-folder, or a folder with another identity;
//   another errno when the system refused (EACCES, EMFILE, ...).
int OpenRecordFolder(const TFileInfoType& record, plat::TUniqueFd& folder);

// The record's file name as its bytes on disk (UTF-8; the scan only takes names that round-trip).
QByteArray RecordNameBytes(const TFileInfoType& record);
// Room for any name a Linux file system holds (255 bytes) and its closing zero.
using TNameBytes = std::array<char, 256>;
// The same bytes written into `name`, closed by a zero; false when they do not fit (no file of
// this system has such a name).
bool RecordNameBytes(const TFileInfoType& record, TNameBytes& name);

// Checks the entry named by the record inside `folderFd` (not following a link). Returns
//   0       a regular file with the record's stamp (see RecordStamp);
//   ENOENT  nothing is there (or a folder, which is no file);
//   ESTALE  something else is there: a link, a device, another file, or the same file changed;
//   another errno when the system refused.
int CheckRecordFile(int folderFd, const TFileInfoType& record);

// The stamp a file must carry to be the one the record names: device, inode, size, modification
// time, change and birth time (plat::IsStampedFile tells whether a file carries it).
plat::TFileStamp RecordStamp(const TFileInfoType& record);

// Ends a comparison that cannot open even one file because the process has no descriptor left:
// throws std::runtime_error, as calling the files unreadable would drop duplicates unseen.
[[noreturn]] void ThrowOutOfDescriptors();

// The folders of many records, opened as OpenRecordFolder does (with O_PATH: searchable is
// enough) and kept open, so that a comparison reaches a folder once, not once per file.
class TRecordFolders
{
public:
    TRecordFolders() = default;
    TRecordFolders(const TRecordFolders&) = delete;
    TRecordFolders& operator=(const TRecordFolders&) = delete;

    // The checked folder of PathList entry `pathIndex`, or -1 with `error` as OpenRecordFolder
    // gives it.
    int Folder(int32_t pathIndex, int& error);
    // Opens the file `record` names for reading, through its checked folder, and checks it is the
    // file the scan saw. Returns 0 or an errno as OpenRecordFolder and CheckRecordFile give them.
    // When the process runs out of descriptors, the kept folders are given back and the open
    // tried once more; an EMFILE or ENFILE that remains is returned.
    int OpenFile(const TFileInfoType& record, plat::TFileReader& reader);
    // Closes every folder kept; false when none was.
    bool Release();
    // Runs `guard` before any folder kept is closed: requests in flight that name a folder by its
    // descriptor finish first. An empty function removes the guard.
    void SetReleaseGuard(std::function<void()> guard) { m_releaseGuard = std::move(guard); }

private:
    int Root(const QString& root, int& error);
    void BeforeRelease();

    plat::TFolderHandleCache m_folders;                          // by PathList index
    std::unordered_map<std::u16string, plat::TUniqueFd> m_roots; // by search folder text
    std::function<void()> m_releaseGuard;
};
