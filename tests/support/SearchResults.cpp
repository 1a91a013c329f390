#include "SearchResults.h"

#include "core/FileLists.h"
#include "core/SortProcedures.h"
#include "search/CompareFiles.h"
#include "search/FolderScan.h"

namespace {

class TQuietDisplay : public TSearchDisplay
{
public:
    void SetTotalFilesText(const QString&) override {}
    void SetDuplicateText(const QString&) override {}
    void SetDiskUsingText(const QString&) override {}
    void SetProgress(int) override {}
};

} // namespace

int32_t SearchForResults(const TSearchSettings& settings)
{
    ResetSearchGlobals();
    MinFileSize = ComputeMinFileSize(settings);
    StopFlag = 0;
    ReserveScanLists();
    ScanSearchFolders(settings);
    TrimScanLists();
    SortFiles(FileList, 0, FileCount, CompareSize, 1);
    ReserveResultList();
    SearchPhase = 1;
    TQuietDisplay display;
    CompareFiles(display);
    TrimResultList();
    StopFlag = 1;
    SortList.clear();
    for (int32_t i = 0; i <= ResultCount; ++i)
        SortList.push_back({i, ResultList[i].Group});
    return ResultCount + 1;
}
