#pragma once

#include "search/SearchDisplay.h"
#include "search/SearchSettings.h"

#include <QString>

#include <cstdint>
#include <exception>

// The engine part of one search, from the reservation of the lists to the display order: reserves
// FileList and PathList (the previous results go with them), runs the folder loop, trims both
// lists, sorts FileList by size unless a stop came, reserves ResultList, compares unless a stop
// came (SearchPhase is then 1), leaves out the groups that lie wholly in reference folders, trims
// ResultList, releases FileList and builds SortList.
// MinFileSize must be set and StopFlag 0 when it starts.
// An error before the comparison propagates and leaves ResultCount at -1. An error inside the
// comparison does not end the run: the results found until then are finished like any others, and
// the error is returned for the caller to report once it has shown them.
std::exception_ptr RunSearchLists(const TSearchSettings& settings, TSearchDisplay& display);

// hh:mm:ss of a number of milliseconds; from 100 hours on only the last two digits of the hours.
QString ElapsedText(uint32_t milliseconds);

// The message at the end of a search. `totalFilesText` is what "Files scanned:" shows.
QString SearchReportText(bool interrupted, const QString& totalFilesText);
