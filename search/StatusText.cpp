#include "StatusText.h"

#include "core/FileLists.h"

QString StatusText(TSearchStatus status)
{
    switch (status) {
    case TSearchStatus::Waiting:
        return QStringLiteral(" Status: Waiting");
    case TSearchStatus::CleaningPreviousResults:
        return QStringLiteral(" Status: Cleaning previous results");
    case TSearchStatus::PreparingFileList:
        return QStringLiteral(" Status: Prepare filelist..");
    case TSearchStatus::SearchFinished:
        return QStringLiteral(" Status: Search finished.");
    case TSearchStatus::SearchInterrupted:
        return QStringLiteral(" Status: Search interrupted.");
    }
    return {};
}

QString LiveStatusText()
{
    if (SearchPhase == 1)
        return QStringLiteral(" Status: Comparing \"") + CurrentFile + QLatin1Char('"');
    return QStringLiteral(" Status: Scan \"") + CurrentFolder + QStringLiteral("\"...  ") +
           QString::number(int64_t(FileCount) + 1) + QStringLiteral(" Files");
}
