#include "ReferenceGroups.h"

#include "core/FileLists.h"
#include "core/ReferenceFiles.h"

void DropReferenceGroups()
{
    bool anyReference = false;
    for (int32_t i = 0; i <= ResultCount && !anyReference; ++i)
        anyReference = IsReferenceFile(ResultList[i]);
    if (!anyReference)
        return;
    OriginalBytes = DuplicateBytes = 0;
    int32_t kept = 0, groups = 0;
    for (int32_t first = 0, last = 0; first <= ResultCount; first = last + 1) {
        bool allReference = true;
        for (last = first; last <= ResultCount && ResultList[last].Group == ResultList[first].Group; ++last)
            allReference = allReference && IsReferenceFile(ResultList[last]);
        --last;
        if (allReference)
            continue;
        ++groups;
        for (int32_t k = first; k <= last; ++k, ++kept) {
            ResultList[kept] = ResultList[k];
            ResultList[kept].Group = groups;
            (k == first ? OriginalBytes : DuplicateBytes) += ResultList[kept].Size;
        }
    }
    ResultCount = kept - 1;
}
