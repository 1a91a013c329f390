#include "SearchResults.h"

#include "core/FileLists.h"
#include "search/FolderScan.h"
#include "search/SearchRun.h"

int32_t SearchForResults(const TSearchSettings& settings)
{
    ResetSearchGlobals();
    MinFileSize = ComputeMinFileSize(settings);
    StopFlag = 0;
    TNoDisplay display;
    const std::exception_ptr error = RunSearchLists(settings, display);
    StopFlag = 1;
    if (error)
        std::rethrow_exception(error);
    return ResultCount + 1;
}
