#pragma once

#include <QString>

// Every text of the status bar's status panel is made here; each begins with a space.

enum class TSearchStatus
{
    Waiting,
    CleaningPreviousResults,
    PreparingFileList,
    SearchFinished,
    SearchInterrupted,
};
QString StatusText(TSearchStatus status);

// The status text while a search runs: the folder being scanned and the files taken so far, or the
// file being compared.
QString LiveStatusText();
