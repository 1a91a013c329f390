// Development tool: runs a search of the program on the given folders and prints every duplicate
// group (full paths, a blank line after each group) and one line of figures on stderr. Used to
// compare Pairwick with its peers on the same trees.
//
// By default it runs the search engine alone. With --window it runs the same search through a real
// main window on the offscreen platform (Start clicked, message boxes answered OK), so the cost of
// the window and its event processing can be measured against the engine; it then also reports the
// longest stretch without event processing and, with --stop-after or --close-after, how quickly a
// Stop click or a close of the window ends the search. With --sorts it then clicks each column
// header twice and pages down once, timing each until the list has painted.

#include "app/EventPump.h"
#include "app/FindCommand.h"
#include "app/MessageBoxes.h"
#include "app/VarneMain.h"
#include "core/FileLists.h"
#include "core/SortRanks.h"
#include "platform/FileAccess.h"
#include "platform/FolderHandles.h"
#include "platform/Pump.h"
#include "ui/ReportListView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <thread>

#include <time.h>

namespace {

using TClock = std::chrono::steady_clock;

struct TOptions
{
    TSearchSettings Settings;
    bool Window = false;
    bool Sorts = false;    // time the column sorts after the search
    int StopAfterMs = -1;  // a Stop click this long after Start
    int CloseAfterMs = -1; // a close of the window this long after Start
};

int Usage()
{
    std::fprintf(stderr,
                 "usage: pairwick-bench [--window [--sorts] [--stop-after MS | --close-after MS]] [--mask M] "
                 "[--min-size N[B|KB|MB]] "
                 "[--no-skip-zero] [--no-protect] [--reference FOLDER]... FOLDER...\n");
    return 2;
}

std::optional<TOptions> ParseArguments(const QStringList& args)
{
    TOptions options;
    TSearchSettings& settings = options.Settings;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--window"))
            options.Window = true;
        else if (arg == QLatin1String("--sorts"))
            options.Sorts = true;
        else if (arg == QLatin1String("--stop-after") && hasValue)
            options.StopAfterMs = args[++i].toInt();
        else if (arg == QLatin1String("--close-after") && hasValue)
            options.CloseAfterMs = args[++i].toInt();
        else if (arg == QLatin1String("--mask") && hasValue)
            settings.Mask = args[++i];
        else if (arg == QLatin1String("--min-size") && hasValue) {
            if (!ParseMinSize(args[++i].toUtf8(), settings))
                return std::nullopt;
        } else if (arg == QLatin1String("--no-skip-zero"))
            settings.ExcludeZero = false;
        else if (arg == QLatin1String("--no-protect"))
            settings.ProtectSysFolders = settings.ProtectSysFiles = false;
        else if (arg == QLatin1String("--reference") && hasValue) {
            settings.Folders << plat::WithTrailingSeparator(args[++i]);
            settings.ReferenceFolders << settings.Folders.back();
        } else if (arg.startsWith(QLatin1String("--")))
            return std::nullopt;
        else
            settings.Folders << plat::WithTrailingSeparator(arg);
    }
    if (settings.Folders.isEmpty())
        return std::nullopt;
    return options;
}

// The groups as `pairwick --find` prints them.
void PrintGroups(const TSearchSettings& settings)
{
    if (const QString error = PrintResults(stdout, TExportFormat::Text, settings); !error.isEmpty())
        throw std::runtime_error("cannot write the groups: " + error.toStdString());
}

double Milliseconds(TClock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

int RunEngine(const TOptions& options)
{
    TNoDisplay display;
    const auto start = TClock::now();
    if (const std::exception_ptr error = RunSearchWithoutWindow(options.Settings, display))
        std::rethrow_exception(error);
    const double searchMs = Milliseconds(TClock::now() - start);
    PrintGroups(options.Settings);
    const int32_t groups = ResultCount >= 0 ? ResultList[ResultCount].Group : 0;
    std::fprintf(stderr, "files %s, groups %d, duplicates %d, bytes read %llu, search %.0f ms\n",
                 qPrintable(QString::number(FileCount + 1)), groups, ResultCount + 1 - groups,
                 static_cast<unsigned long long>(plat::TFileReader::TotalBytesRead()), searchMs);
    return 0;
}

// Milliseconds of processor time the process has used, on all its threads.
double ProcessCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Clicks each column header twice, as a user sorts by a column and then reverses it, and pages down
// once; each is timed until the list has painted, in elapsed and in processor time (the machine
// may be shared).
void TimeColumnClicks(TMainForm& form)
{
    InstallEventPump();      // the program's own, as the clicks of a user meet it
    form.resize(1280, 1000); // about a maximised window on a common screen
    auto* list = form.findChild<TReportListView*>(QStringLiteral("AdvListView1"));
    auto timed = [&](const auto& action) {
        QCoreApplication::processEvents(); // what earlier steps left to do is not counted
        const auto start = TClock::now();
        const double cpuStart = ProcessCpuMs();
        action();
        QCoreApplication::processEvents();
        list->viewport()->repaint();
        return QStringLiteral("%1 ms (processor %2 ms)")
            .arg(Milliseconds(TClock::now() - start), 0, 'f', 1)
            .arg(ProcessCpuMs() - cpuStart, 0, 'f', 1);
    };
    QHeaderView* header = list->horizontalHeader();
    for (const int column : {0, 1, 4, 3, 2}) {
        const QString first = timed([&] { emit header->sectionClicked(column); });
        const QString second = timed([&] { emit header->sectionClicked(column); });
        std::fprintf(stderr, "sort by \"%s\": first click %s, second click %s\n",
                     qPrintable(list->model()->headerData(column, Qt::Horizontal).toString()),
                     qPrintable(first), qPrintable(second));
    }
    QScrollBar* bar = list->verticalScrollBar();
    const QString page = timed([&] { bar->setValue(bar->value() + bar->pageStep()); });
    std::fprintf(stderr, "page down (%d rows): %s; ranks kept: %zu bytes\n", bar->pageStep(),
                 qPrintable(page), KeptRankBytes());
    RemoveEventPump();
}

// Puts the options into the window's controls, as a user would set them.
void SetUpWindow(TMainForm& form, const TSearchSettings& settings)
{
    for (const QString& folder : settings.Folders)
        form.AddSearchFolder(folder, settings.ReferenceFolders.contains(folder));
    form.findChild<QLineEdit*>(QStringLiteral("FileTypesEdit"))->setText(settings.Mask);
    form.findChild<QCheckBox*>(QStringLiteral("ExcludeZeroCheck"))->setChecked(settings.ExcludeZero);
    form.findChild<QCheckBox*>(QStringLiteral("ProtectSysFoldersCheck"))
        ->setChecked(settings.ProtectSysFolders);
    form.findChild<QCheckBox*>(QStringLiteral("ProtectSysFilesCheck"))->setChecked(settings.ProtectSysFiles);
    form.findChild<QCheckBox*>(QStringLiteral("MinSizeCheck"))->setChecked(settings.MinSizeChecked);
    form.findChild<QLineEdit*>(QStringLiteral("MinSizeEdit"))->setText(settings.MinSizeText);
    form.findChild<QComboBox*>(QStringLiteral("MinSizeBox"))->setCurrentIndex(settings.MinSizeUnitIndex);
}

int RunWindow(const TOptions& options)
{
    auto form = std::make_unique<TMainForm>();
    SetUpWindow(*form, options.Settings);
    form->show();
    QString report;
    SetMessageBoxHook([&](const TMessageBoxRequest& request) {
        report = request.Text;
        return TMessageButton::Ok;
    });

    // The event processing of the program, timed: the longest stretch of work between two real
    // pumps is how long a click, a repaint or a tick may have to wait.
    TClock::duration longestGap{};
    int pumps = 0;
    std::optional<TClock::time_point> lastPumpEnd;
    plat::SetPumpHook(TThrottledPump([&] {
        const auto now = TClock::now();
        if (lastPumpEnd)
            longestGap = std::max(longestGap, now - *lastPumpEnd);
        ++pumps;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        lastPumpEnd = TClock::now();
    }));

    auto* startButton = form->findChild<QAbstractButton*>(QStringLiteral("StartButton"));
    const bool closing = options.CloseAfterMs >= 0;
    const int requestAfterMs = closing ? options.CloseAfterMs : options.StopAfterMs;
    // Written by the requesting thread before it posts, read on this thread after it.
    std::atomic<TClock::rep> requestPostedAt{0};
    std::thread requester;
    if (requestAfterMs >= 0)
        requester = std::thread([&, target = form.get()] {
            std::this_thread::sleep_for(std::chrono::milliseconds(requestAfterMs));
            requestPostedAt.store(TClock::now().time_since_epoch().count());
            if (closing)
                QMetaObject::invokeMethod(target, &QWidget::close, Qt::QueuedConnection);
            else
                QMetaObject::invokeMethod(startButton, &QAbstractButton::click, Qt::QueuedConnection);
        });

    const auto start = TClock::now();
    startButton->click();
    const auto end = TClock::now();
    if (requester.joinable())
        requester.join();
    plat::SetPumpHook({});
    SetMessageBoxHook({});

    PrintGroups(options.Settings);
    const int32_t groups = ResultCount >= 0 ? ResultList[ResultCount].Group : 0;
    std::fprintf(stderr,
                 "files %s, groups %d, duplicates %d, bytes read %llu, search %.0f ms (window), "
                 "pumps %d, longest stretch without event processing %.1f ms\n",
                 qPrintable(QString::number(FileCount + 1)), groups, ResultCount + 1 - groups,
                 static_cast<unsigned long long>(plat::TFileReader::TotalBytesRead()),
                 Milliseconds(end - start), pumps, Milliseconds(longestGap));
    if (requestPostedAt.load() != 0) {
        const TClock::time_point posted{TClock::duration(requestPostedAt.load())};
        form.reset();
        std::fprintf(
            stderr,
            "%s posted after %.0f ms; the search ended %.1f ms later, the window was gone %.1f ms later\n",
            closing ? "close" : "stop", Milliseconds(posted - start), Milliseconds(end - posted),
            Milliseconds(TClock::now() - posted));
    }
    std::fprintf(stderr, "report: %s\n",
                 qPrintable(QString(report).replace(QLatin1String("\n\r"), QLatin1String(" | "))));
    if (options.Sorts && form)
        TimeColumnClicks(*form);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const bool window = [&] {
        for (int i = 1; i < argc; ++i)
            if (qstrcmp(argv[i], "--window") == 0)
                return true;
        return false;
    }();
    if (window && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app =
        window ? std::make_unique<QApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    plat::RaiseOpenFileLimit();
    const std::optional<TOptions> options = ParseArguments(QCoreApplication::arguments().mid(1));
    if (!options)
        return Usage();
    try {
        return options->Window ? RunWindow(*options) : RunEngine(*options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pairwick-bench: %s\n", error.what());
        return 1;
    }
}
