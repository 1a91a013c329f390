#pragma once

#include "search/SearchSettings.h"

#include <cstdint>

// Runs the scan and the comparison of a search over `settings` as the program runs them, and
// lays SortList out in ResultList order with each group's number as its band: the records a test
// then acts on are exactly those a search gives, with whatever identity a search records. The
// search globals are reset first; ProtectSysFolders needs the protected prefixes set. Returns
// the number of records in ResultList.
int32_t SearchForResults(const TSearchSettings& settings);
