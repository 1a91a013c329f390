#include "FindCommand.h"

#include "app/CommandLine.h"
#include "core/FileLists.h"
#include "platform/FileAccess.h"
#include "platform/FolderHandles.h"
#include "platform/LocaleText.h"
#include "platform/Pump.h"
#include "platform/SystemFolders.h"
#include "search/FolderScan.h"
#include "search/SearchRun.h"

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>

#include <atomic>
#include <chrono>
#include <csignal>

#include <unistd.h>

namespace {

void Print(std::FILE* stream, const QByteArray& text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stream);
    std::fflush(stream);
}

// Set by the SIGINT handler, read by the pump: the only thing the handler does.
std::atomic<bool> InterruptRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void RequestInterrupt(int)
{
    InterruptRequested.store(true, std::memory_order_relaxed);
}

// Ctrl+C asks the search to stop while it lives. The handler is reset after the first signal, so a
// second Ctrl+C ends the program at once, as usual; a program started with SIGINT ignored (a
// background job of a script) keeps ignoring it.
class TInterruptHandler
{
public:
    TInterruptHandler()
    {
        InterruptRequested.store(false);
        ::sigaction(SIGINT, nullptr, &m_previous);
        if (m_previous.sa_handler == SIG_IGN)
            return;
        struct sigaction action = {};
        action.sa_handler = &RequestInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | SA_RESETHAND;
        ::sigaction(SIGINT, &action, nullptr);
    }
    ~TInterruptHandler() { ::sigaction(SIGINT, &m_previous, nullptr); }
    TInterruptHandler(const TInterruptHandler&) = delete;
    TInterruptHandler& operator=(const TInterruptHandler&) = delete;

    bool Requested() const { return InterruptRequested.load(std::memory_order_relaxed); }

private:
    struct sigaction m_previous = {};
};

// One line on a terminal, rewritten in place: the files and folders the scan took, then how far
// the comparison is and how many bytes it read. Shows nothing when the stream is no terminal.
class TProgressLine final : public TSearchDisplay
{
public:
    explicit TProgressLine(std::FILE* stream) : m_stream(::isatty(::fileno(stream)) ? stream : nullptr) {}

    void SetTotalFilesText(const QString&) override {}
    void SetDuplicateText(const QString&) override {}
    void SetDiskUsingText(const QString&) override {}
    void SetProgress(int position) override { m_percent = position; }

    // Shows the figures as they are now, five times a second at most.
    void Refresh()
    {
        const auto now = std::chrono::steady_clock::now();
        if (m_stream == nullptr || now < m_next)
            return;
        m_next = now + std::chrono::milliseconds(200);
        const QString text = SearchPhase == 0
                                 ? QStringLiteral("Scanning: %1 files in %2 folders")
                                       .arg(plat::FormatCount(int64_t(FileCount) + 1, LocaleFormat),
                                            plat::FormatCount(int64_t(PathCount) + 1, LocaleFormat))
                                 : QStringLiteral("Comparing: %1% done, %2 read")
                                       .arg(m_percent)
                                       .arg(SizeText(int64_t(plat::TFileReader::TotalBytesRead())));
        Show(text.toUtf8());
    }
    // Takes the line away before the results are printed.
    void Clear()
    {
        if (m_stream != nullptr && m_width > 0)
            Show({});
    }

private:
    void Show(const QByteArray& text)
    {
        // Spaces cover what a longer line before left.
        const qsizetype cover = std::max<qsizetype>(m_width - text.size(), 0);
        Print(m_stream, '\r' + text + QByteArray(cover, ' ') + '\r' + text);
        m_width = text.size();
    }

    std::FILE* m_stream; // not owned; nullptr when it is no terminal
    std::chrono::steady_clock::time_point m_next{};
    qsizetype m_width = 0;
    int m_percent = 0;
};

// Puts the folders given into the settings, written as the folder tree writes them. A folder that
// cannot be searched is left out with a line on `errors`; when none is left, that is the request's
// error instead.
void FindFolders(TFindRequest& request, std::FILE* errors)
{
    QList<QByteArray> problems;
    for (const TFindRequest::TFolder& given : std::as_const(request.Folders)) {
        QByteArray problem;
        const QString folder = CommandLineFolder(given.Path, problem);
        if (folder.isEmpty() || !plat::FolderReachable(folder)) {
            problems << given.Path + ": " + (folder.isEmpty() ? problem : QByteArray("cannot be opened"));
            continue;
        }
        request.Settings.Folders << folder;
        if (given.Reference)
            request.Settings.ReferenceFolders << folder;
    }
    if (request.Settings.Folders.isEmpty()) {
        request.Error = "no folder to search (" + problems.value(0) + ")";
        return;
    }
    for (const QByteArray& problem : std::as_const(problems))
        Print(errors, "pairwick: " + problem + ", ignored\n");
}

} // namespace

bool ParseMinSize(const QByteArray& text, TSearchSettings& settings)
{
    static const QRegularExpression size(QStringLiteral("^(\\d+(?:\\.\\d+)?)(B|KB|MB)?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = size.match(QString::fromUtf8(text));
    if (!match.hasMatch())
        return false;
    const QString unit = match.captured(2).toUpper();
    settings.MinSizeChecked = true;
    settings.MinSizeText = match.captured(1).replace(QLatin1Char('.'), plat::DecimalSeparator(LocaleFormat));
    settings.MinSizeUnitIndex = unit == QLatin1String("MB") ? 2 : unit == QLatin1String("KB") ? 1 : 0;
    return true;
}

TFindRequest ParseFindArguments(const QList<QByteArray>& arguments)
{
    TFindRequest request;
    TSearchSettings& settings = request.Settings;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size() && request.Error.isEmpty(); ++i) {
        const QByteArray& argument = arguments[i];
        if (optionsEnded || !argument.startsWith('-') || argument == "-")
            request.Folders.append({argument, false});
        else if (argument == "--")
            optionsEnded = true;
        else if (argument == "--find")
            continue;
        else if (argument == "--include-empty")
            settings.ExcludeZero = false;
        else if (argument == "--no-protect-folders")
            settings.ProtectSysFolders = false;
        else if (argument == "--no-protect-files")
            settings.ProtectSysFiles = false;
        else if (!QByteArrayList{"--mask", "--min-size", "--reference", "--format"}.contains(argument))
            request.Error = "unknown option '" + argument + "' (see pairwick --help)";
        else if (i + 1 == arguments.size())
            request.Error = "option '" + argument + "' needs a value (see pairwick --help)";
        else if (const QByteArray& value = arguments[++i]; argument == "--mask")
            settings.Mask = QString::fromUtf8(value);
        else if (argument == "--reference")
            request.Folders.append({value, true});
        else if (argument == "--min-size" && !ParseMinSize(value, settings))
            request.Error = "--min-size takes a size such as 500, 64KB or 1.5MB, not '" + value + "'";
        else if (argument == "--format" && value == "text")
            request.Format = TExportFormat::Text;
        else if (argument == "--format" && value == "csv")
            request.Format = TExportFormat::Csv;
        else if (argument == "--format" && value == "json")
            request.Format = TExportFormat::Json;
        else if (argument == "--format")
            request.Error = "--format takes text, csv or json, not '" + value + "'";
    }
    if (request.Error.isEmpty() && request.Folders.isEmpty())
        request.Error = "--find needs at least one folder (see pairwick --help)";
    return request;
}

QString PrintResults(std::FILE* out, TExportFormat format, const TSearchSettings& searched)
{
    QFile file;
    if (!file.open(out, QIODevice::WriteOnly) || !WriteResults(file, format, searched) || !file.flush())
        return file.errorString();
    return {};
}

std::exception_ptr RunSearchWithoutWindow(const TSearchSettings& settings, TSearchDisplay& display)
{
    ResetSearchGlobals();
    WindowsFolderPrefix = plat::WindowsFolder();
    ProgramFilesPrefix = plat::ProgramFilesFolder();
    MinFileSize = ComputeMinFileSize(settings);
    StopFlag = 0;
    const auto idle = qScopeGuard([] { StopFlag = 1; });
    return RunSearchLists(settings, display);
}

int RunFindCommand(const QList<QByteArray>& arguments, std::FILE* out, std::FILE* errors)
{
    TFindRequest request = ParseFindArguments(arguments);
    if (request.Error.isEmpty())
        FindFolders(request, errors);
    if (!request.Error.isEmpty()) {
        Print(errors, "pairwick: " + request.Error + '\n');
        return 2;
    }
    // The comparison keeps a handle of every folder it reads from.
    plat::RaiseOpenFileLimit();

    const TInterruptHandler interrupt;
    TProgressLine progress(errors);
    std::exception_ptr error;
    {
        // The pump is where a search looks for a stop: the place to turn Ctrl+C into StopFlag.
        const auto previous = plat::SetPumpHook([&] {
            if (interrupt.Requested())
                StopFlag = 1;
            progress.Refresh();
        });
        const auto restore = qScopeGuard([&] { plat::SetPumpHook(previous); });
        try {
            error = RunSearchWithoutWindow(request.Settings, progress);
        } catch (...) {
            error = std::current_exception();
        }
    }
    progress.Clear();

    int status = interrupt.Requested() ? 130 : 0;
    if (const QString failure = PrintResults(out, request.Format, request.Settings); !failure.isEmpty()) {
        Print(errors, "pairwick: cannot write the results: " + failure.toUtf8() + '\n');
        status = 1;
    }
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& failure) {
            Print(errors, QByteArray("pairwick: ") + failure.what() + '\n');
        } catch (...) {
            Print(errors, "pairwick: unexpected error\n");
        }
        status = status == 130 ? status : 1;
    }
    return status;
}
