// Development tool: runs the folder loop, the size sort and the comparison of the program on the
// given folders, prints every duplicate group (full paths, a blank line after each group) and one
// line of figures on stderr. Used to compare Pairwick with its peers on the same trees.

#include "core/FileLists.h"
#include "core/SortProcedures.h"
#include "platform/FileAccess.h"
#include "platform/FolderHandles.h"
#include "platform/LocaleText.h"
#include "platform/SystemFolders.h"
#include "search/CompareFiles.h"
#include "search/FolderScan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>

namespace {

class TQuietDisplay : public TSearchDisplay
{
public:
    void SetTotalFilesText(const QString&) override {}
    void SetDuplicateText(const QString&) override {}
    void SetDiskUsingText(const QString&) override {}
    void SetProgress(int) override {}
};

int Usage()
{
    std::fprintf(stderr, "usage: pairwick-bench [--mask M] [--min-size N{B,KB,MB}] [--no-skip-zero] "
                         "[--no-protect] FOLDER...\n");
    return 2;
}

bool ParseMinSize(const QString& text, TSearchSettings& settings)
{
    static const QStringList units = {QStringLiteral("B"), QStringLiteral("KB"), QStringLiteral("MB")};
    for (int unit = int(units.size()) - 1; unit >= 0; --unit) {
        if (!text.endsWith(units[unit], Qt::CaseInsensitive))
            continue;
        QString number = text.left(text.size() - units[unit].size());
        number.replace(QLatin1Char('.'), plat::DecimalSeparator(LocaleFormat));
        settings.MinSizeChecked = true;
        settings.MinSizeText = number;
        settings.MinSizeUnitIndex = unit;
        return !number.isEmpty();
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    plat::RaiseOpenFileLimit();
    TSearchSettings settings;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--mask") && i + 1 < args.size())
            settings.Mask = args[++i];
        else if (arg == QLatin1String("--min-size") && i + 1 < args.size()) {
            if (!ParseMinSize(args[++i], settings))
                return Usage();
        } else if (arg == QLatin1String("--no-skip-zero"))
            settings.ExcludeZero = false;
        else if (arg == QLatin1String("--no-protect"))
            settings.ProtectSysFolders = settings.ProtectSysFiles = false;
        else if (arg.startsWith(QLatin1String("--")))
            return Usage();
        else
            settings.Folders << plat::WithTrailingSeparator(arg);
    }
    if (settings.Folders.isEmpty())
        return Usage();

    ResetSearchGlobals();
    WindowsFolderPrefix = plat::WindowsFolder();
    ProgramFilesPrefix = plat::ProgramFilesFolder();
    MinFileSize = ComputeMinFileSize(settings);
    StopFlag = 0;

    QElapsedTimer clock;
    clock.start();
    ReserveScanLists();
    ScanSearchFolders(settings);
    TrimScanLists();
    const qint64 scanMs = clock.restart();
    SortFiles(FileList, 0, FileCount, CompareSize, 1);
    const qint64 sortMs = clock.restart();
    ReserveResultList();
    SearchPhase = 1;
    TQuietDisplay display;
    CompareFiles(display);
    TrimResultList();
    const qint64 compareMs = clock.restart();

    QByteArray out;
    for (int32_t r = 0; r <= ResultCount; ++r) {
        if (r > 0 && ResultList[r].Group != ResultList[r - 1].Group)
            out += '\n';
        out += FullPath(ResultList[r]).toUtf8();
        out += '\n';
    }
    if (ResultCount >= 0)
        out += '\n';
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);

    const int32_t groups = ResultCount >= 0 ? ResultList[ResultCount].Group : 0;
    std::fprintf(stderr,
                 "files %d, groups %d, duplicates %d, bytes read %llu, scan %lld ms, sort %lld ms, "
                 "compare %lld ms\n",
                 FileCount + 1, groups, ResultCount + 1 - groups,
                 static_cast<unsigned long long>(plat::TFileReader::TotalBytesRead()), scanMs, sortMs,
                 compareMs);
    StopFlag = 1;
    return 0;
}
