#include "FileLists.h"

#include "core/SortRanks.h"
#include "platform/LocaleText.h"

#include <new>

TFileList FileList;
TStringArr PathList;
TFolderInfoList PathInfo;
TFileList ResultList;
TSortList SortList;
TNamePool NamePool;

int32_t FileCount = -1;
int32_t PathCount = -1;
int32_t ResultCount = -1;
int32_t FileCapacity = 0;
int32_t PathCapacity = 0;
int32_t ResultCapacity = 0;

uint8_t SearchPhase = 0;
uint32_t StartTick = 0;
QString CurrentFolder;
QString CurrentFile;
uint64_t MinFileSize = 0;
uint64_t OriginalBytes = 0;
uint64_t DuplicateBytes = 0;
QString WindowsFolderPrefix;
QString ProgramFilesPrefix;
QLocale LocaleFormat = plat::UserLocale();

int32_t ReserveWithFallback(const std::function<void(int32_t)>& reserve)
{
    int32_t length = LargeReservation;
    try {
        reserve(length);
    } catch (const std::bad_alloc&) {
        length = SmallReservation;
        reserve(length);
    }
    if (length == SmallReservation) {
        try {
            reserve(MediumReservation);
            length = MediumReservation;
        } catch (const std::bad_alloc&) {
            reserve(SmallReservation);
        }
    }
    return length;
}

void ReleaseSearchLists()
{
    // The results name their files through the name pool and PathList: all of them go together,
    // so that nothing can read a name from a cleared pool.
    ResultList.Clear();
    TSortList().swap(SortList);
    FileList.Clear();
    PathList.Clear();
    PathInfo.Clear();
    NamePool.Clear();
    ReleaseKeptRanks();
    FileCount = PathCount = ResultCount = -1;
    FileCapacity = PathCapacity = ResultCapacity = 0;
    OriginalBytes = DuplicateBytes = 0;
}

void ReserveScanLists()
{
    ReleaseSearchLists();
    const int32_t length = ReserveWithFallback([](int32_t n) {
        FileList.SetLength(n);
        PathList.SetLength(n);
        PathInfo.SetLength(n);
    });
    FileCapacity = PathCapacity = length;
}

void ReserveResultList()
{
    ResultList.Clear();
    ReleaseKeptRanks();
    ResultCount = -1;
    ResultCapacity = ReserveWithFallback([](int32_t n) { ResultList.SetLength(n); });
}

void TrimScanLists()
{
    PathCapacity = PathCount + 1;
    FileCapacity = FileCount + 1;
    PathList.SetLength(PathCapacity);
    PathInfo.SetLength(PathCapacity);
    FileList.SetLength(FileCapacity);
}

void TrimResultList()
{
    ResultCapacity = ResultCount + 1;
    ResultList.SetLength(ResultCapacity);
    FileList.Clear();
    FileCapacity = 0;
}

void BuildSortList()
{
    SortList.resize(static_cast<size_t>(ResultCount + 1));
    for (int32_t i = 0; i <= ResultCount; ++i)
        SortList[static_cast<size_t>(i)] = {i, ResultList[i].Group};
}

namespace {

// The growth rule after a write at `index`: the fixed steps from 510,000 on, and a step whenever
// the next write would otherwise have no slot (after a reduced reservation).
template <class... TList> void GrowAfterWrite(int32_t& capacity, int32_t index, TList&... lists)
{
    if ((index >= GrowthStart && index % GrowthStep == 0) || index + 1 >= capacity) {
        (lists.SetLength(capacity + GrowthStep), ...);
        capacity += GrowthStep;
    }
}

} // namespace

void AppendFile(const TFileInfoType& record)
{
    FileList.Put(FileCount + 1, record);
    ++FileCount;
    GrowAfterWrite(FileCapacity, FileCount, FileList);
}

void AppendPath(const QString& folder, const TFolderInfo& info)
{
    // PathInfo follows PathList slot for slot; a caller that reserved only PathList gets it here.
    if (PathInfo.Length() < PathList.Length())
        PathInfo.SetLength(PathList.Length());
    PathList.Put(PathCount + 1, folder);
    PathInfo.Put(PathCount + 1, info);
    ++PathCount;
    GrowAfterWrite(PathCapacity, PathCount, PathList, PathInfo);
}

void GrowResultList()
{
    ResultList.SetLength(ResultCapacity + GrowthStep);
    ResultCapacity += GrowthStep;
}

void EnsureResultRoom()
{
    if (ResultCount + 1 >= ResultCapacity)
        GrowResultList();
}

QString FullPath(const TFileInfoType& record)
{
    QString path = PathList[record.PathIndex];
    NamePool.AppendTo(path, record.Name);
    return path;
}

void SetFullPath(QString& path, const TFileInfoType& record)
{
    path.truncate(0); // keeps the capacity unless the text is shared
    path += PathList[record.PathIndex];
    NamePool.AppendTo(path, record.Name);
}

QString SizeText(int64_t bytes)
{
    constexpr int64_t KB = 1024, MB = KB * 1024, GB = MB * 1024;
    if (bytes >= GB)
        return plat::FormatFixed(double(bytes) / double(GB), 3, LocaleFormat) + QStringLiteral(" GB");
    if (bytes >= MB)
        return plat::FormatFixed(double(bytes) / double(MB), 2, LocaleFormat) + QStringLiteral(" MB");
    if (bytes >= KB)
        return plat::FormatFixed(double(bytes) / double(KB), 0, LocaleFormat) + QStringLiteral(" KB");
    return QString::number(bytes) + QStringLiteral(" B");
}

QString DuplicateCountText()
{
    // Groups are numbered in ResultList order: the last record's group is their number.
    const int64_t groups = ResultCount > 0 ? ResultList[ResultCount].Group : 0;
    const int64_t members = ResultCount > 0 ? int64_t(ResultCount) + 1 : 0;
    return plat::FormatCount(groups, LocaleFormat) + QStringLiteral(" + ") +
           plat::FormatCount(members - groups, LocaleFormat);
}

QString DiskUsingText()
{
    return SizeText(int64_t(OriginalBytes)) + QStringLiteral(" + ") + SizeText(int64_t(DuplicateBytes));
}

void ResetSearchGlobals()
{
    ReleaseSearchLists();
    SearchPhase = 0;
    StartTick = 0;
    CurrentFolder.clear();
    CurrentFile.clear();
    MinFileSize = 0;
    StopFlag = 1;
}

const TStringArr& EmptyFolderList()
{
    static const TStringArr empty;
    return empty;
}
