#pragma once

#include "core/DuplicateTypes.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <functional>

// The lists of a search and the globals that go with them. They are written only on the
// user-interface thread; a column sort by name reads NamePool on helper threads while that thread
// waits for them, pumping nothing. Handlers that run inside a pump of a search must not append to,
// cut or release a list.

extern TFileList FileList;       // every file the scan accepted (start of a search .. end of comparison)
extern TStringArr PathList;      // the folders holding them, each ending with '/'
extern TFolderInfoList PathInfo; // beside each PathList entry: its search folder and identity
extern TFileList ResultList;     // every file with at least one twin, in numbered groups
extern TSortList SortList;       // display order of ResultList
extern TNamePool NamePool;       // the names of FileList and ResultList; lives as long as PathList

// Index of the last used entry, -1 when empty.
extern int32_t FileCount;
extern int32_t PathCount;
extern int32_t ResultCount;
// Current lengths of the lists.
extern int32_t FileCapacity;
extern int32_t PathCapacity;
extern int32_t ResultCapacity;

extern uint8_t SearchPhase;         // 0 while scanning, 1 from the comparison on
extern uint32_t StartTick;          // tick count when the search started
extern QString CurrentFolder;       // the search-list folder being scanned
extern QString CurrentFile;         // the file being checksummed
extern uint64_t MinFileSize;        // smallest size the scan takes, 0 = no minimum
extern uint64_t OriginalBytes;      // bytes of the first file of every group
extern uint64_t DuplicateBytes;     // bytes of all other group members
extern QString WindowsFolderPrefix; // protected folders, each ending with '/'
extern QString ProgramFilesPrefix;
extern QLocale LocaleFormat; // number formats of the user, read at start-up

// Reservations tried at the start of a search, largest first.
inline constexpr int32_t LargeReservation = 550'000;
inline constexpr int32_t MediumReservation = 300'000;
inline constexpr int32_t SmallReservation = 150'000;
inline constexpr int32_t GrowthStep = 10'000;
inline constexpr int32_t GrowthStart = 510'000;

// Reserves with the fallbacks 550,000 -> 150,000, then one more try with 300,000. `reserve`
// throws std::bad_alloc when it cannot have the length; a failure of the last 150,000 propagates.
// Returns the length that was had.
int32_t ReserveWithFallback(const std::function<void(int32_t)>& reserve);

// Releases every list of a search (PathInfo, the name pool and the kept sort ranks too):
// counters -1, capacities 0, byte totals 0.
void ReleaseSearchLists();
// Releases the lists, then reserves FileList and PathList with the fallbacks.
void ReserveScanLists();
// Empties ResultList (counter -1) and reserves it with the fallbacks.
void ReserveResultList();

// Cuts FileList and PathList to their used lengths after the scan.
void TrimScanLists();
// Cuts ResultList to its used length after the comparison and releases FileList.
void TrimResultList();

// Appends at counter + 1 and applies the growth rule: from index 510,000 on every multiple of
// 10,000 adds 10,000 slots, and a list never runs out of room whatever reservation was had.
void AppendFile(const TFileInfoType& record);
void AppendPath(const QString& folder, const TFolderInfo& info = {});
// The display order a search leaves: ResultList order, each row banded by its record's group.
void BuildSortList();
// Makes room for one more ResultList record (grows by 10,000 when full).
void EnsureResultRoom();
// One growth step of ResultList.
void GrowResultList();

// The full path of a record: its folder followed directly by its name.
QString FullPath(const TFileInfoType& record);
// Writes the same into `path`, reusing its memory: what the search shows of every file it reads.
void SetFullPath(QString& path, const TFileInfoType& record);
// The name of a record.
inline QString NameOf(const TFileInfoType& record)
{
    return NamePool.Text(record.Name);
}

// Byte count as text with " B", " KB", " MB" or " GB" (powers of 1,024), with the decimal
// separator of LocaleFormat and no thousands separators.
QString SizeText(int64_t bytes);

// The folder list given to a sort that compares no folders.
const TStringArr& EmptyFolderList();

// "Original files + duplicates:" and "Disk space using:" as ResultList and the byte totals stand.
QString DuplicateCountText();
QString DiskUsingText();

// Puts every list, counter and search global back to its start-up state.
void ResetSearchGlobals();
