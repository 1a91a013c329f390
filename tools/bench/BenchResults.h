#pragma once

#include <cstdint>

// Fills the globals as a search leaves them: `count` records of file-system-like names in groups of
// 2 to 6 files, largest group first, the files of a group spread over the folders, about a third of
// them marked; SortList in ResultList order. With `distinctNames` each file has a name of its own, as
// in a tree of many small files.
void MakeBenchResults(int32_t count, bool distinctNames = false);
