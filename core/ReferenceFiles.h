#pragma once

#include "core/FileLists.h"

// Whether the record's file lies in a reference folder: the walk reached it through one, and the
// user keeps such files, so no command marks, moves or deletes them. Every marking command and
// every action on a file asks this. A record without folder information (made by hand, not by a
// scan) is an ordinary file.
inline bool IsReferenceFile(const TFileInfoType& record)
{
    return record.PathIndex >= 0 && record.PathIndex < PathInfo.Used() &&
           PathInfo[record.PathIndex].Reference != 0;
}
