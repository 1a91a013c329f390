#include "SearchRun.h"

#include "core/FileLists.h"
#include "core/MessageText.h"
#include "core/SortProcedures.h"
#include "platform/LocaleText.h"
#include "search/CompareFiles.h"
#include "search/FolderScan.h"
#include "search/ReferenceGroups.h"
#include "search/StatusText.h"

namespace {

int32_t GroupCount()
{
    return ResultCount >= 0 ? ResultList[ResultCount].Group : 0;
}

QString TwoDigits(uint32_t value)
{
    return QStringLiteral("%1").arg(value % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

std::exception_ptr RunSearchLists(const TSearchSettings& settings, TSearchDisplay& display)
{
    ReserveScanLists();
    ScanSearchFolders(settings);
    TrimScanLists();
    if (StopFlag == 0) {
        display.SetStatusText(StatusText(TSearchStatus::PreparingFileList));
        SortFiles(FileList, 0, FileCount, CompareSize, 1);
    }
    ReserveResultList();
    std::exception_ptr compareError;
    if (StopFlag == 0) {
        SearchPhase = 1;
        try {
            CompareFiles(display);
        } catch (...) {
            compareError = std::current_exception();
        }
    }
    DropReferenceGroups();
    TrimResultList();
    BuildSortList();
    return compareError;
}

QString ElapsedText(uint32_t milliseconds)
{
    const uint32_t seconds = milliseconds / 1000;
    return TwoDigits(seconds / 3600) + QLatin1Char(':') + TwoDigits(seconds % 3600 / 60) + QLatin1Char(':') +
           TwoDigits(seconds % 60);
}

QString SearchReportText(bool interrupted, const QString& totalFilesText)
{
    if (interrupted && ResultCount <= 0)
        return QStringLiteral("Search interrupted.") + QString(22, QLatin1Char(' '));
    QString text = interrupted ? QStringLiteral("Search interrupted.") + QString(33, QLatin1Char(' '))
                               : QStringLiteral("Search finished.") + QString(36, QLatin1Char(' '));
    text += NewLine;
    text += NewLine;
    text += QStringLiteral("Scanned: ") + totalFilesText + QStringLiteral(" files") + NewLine;
    if (ResultCount <= 0)
        return text + QStringLiteral("Founded duplicates: 0 ");
    const int64_t groups = GroupCount();
    const int64_t members = int64_t(ResultCount) + 1;
    text += QStringLiteral("Selected: ") + QString::number(members) + QStringLiteral(" files") + NewLine;
    text += QStringLiteral(" including: ") + NewLine;
    text += QStringLiteral("    Original files: ") + QString::number(groups) + NewLine;
    text += QStringLiteral("    Duplicate files: ") + QString::number(members - groups);
    return text;
}
