// Delete runs over 10,000 marked files of one folder, as the window runs them after a search: to
// the trash, and for good. The trash lives in a temporary home; the cache is warm. Nothing is
// removed between runs: ext4 makes the creation of files slow for a while after many deletes
// (it scans for recently freed inodes), which would measure the set-up rather than the run.
// PW_BENCH_DIR chooses the file system to run on (default: the temporary folder).

#include "actions/FileActions.h"
#include "core/FileLists.h"
#include "search/SearchRun.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

constexpr int FileCount10k = 10'000;

// Confirms with the mode given and answers every box with OK.
class TConfirmingWindow : public TActionWindow
{
public:
    explicit TConfirmingWindow(uint8_t mode) : m_mode(mode) {}
    void ShowDeleteForm() override { ActionMode = m_mode; }
    void ShowMoveForm() override {}
    bool ShowError(const QString&, bool) override
    {
        ++Errors;
        return false;
    }
    void ShowInformation(const QString&) override {}
    bool Confirm(const QString&) override { return true; }
    void RepaintList() override {}
    void UpdateSelectionStats() override {}
    int Errors = 0;

private:
    uint8_t m_mode;
};

// One folder of equal files, found by a search, every file but the first marked.
void SearchAndMark(const QString& folder)
{
    QDir().mkpath(folder);
    const QByteArray bytes(4096, 'x');
    for (int i = 0; i < FileCount10k; ++i) {
        QFile file(folder + QStringLiteral("IMG_%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
    TSearchSettings settings;
    settings.Folders = {folder};
    ResetSearchGlobals();
    StopFlag = 0;
    TNoDisplay display;
    if (const std::exception_ptr error = RunSearchLists(settings, display))
        std::rethrow_exception(error);
    StopFlag = 1;
    for (int32_t i = 1; i <= ResultCount; ++i)
        ResultList[i].Checked = 1;
}

void DeleteMarked(benchmark::State& state, uint8_t mode)
{
    const QString base =
        qEnvironmentVariableIsEmpty("PW_BENCH_DIR") ? QDir::tempPath() : qEnvironmentVariable("PW_BENCH_DIR");
    QTemporaryDir root(base + QStringLiteral("/pairwick-bench-XXXXXX"));
    ::setenv("HOME", root.path().toUtf8().constData(), 1);
    ::setenv("XDG_DATA_HOME", (root.path() + QStringLiteral("/data")).toUtf8().constData(), 1);
    int errors = 0;
    int removed = 0;
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SearchAndMark(root.path() + QStringLiteral("/photos %1/").arg(++run));
        TConfirmingWindow window(mode);
        state.ResumeTiming();
        DeleteSelected(window);
        errors += window.Errors;
        for (int32_t i = 0; i <= ResultCount; ++i)
            removed += ResultList[i].Removed;
    }
    // Per run: a search that found nothing (a folder it never scans) shows here.
    state.counters["files"] = benchmark::Counter(removed, benchmark::Counter::kAvgIterations);
    state.counters["errors"] = errors;
    ResetSearchGlobals();
}

void BM_DeleteToTrash(benchmark::State& state)
{
    DeleteMarked(state, 1);
}

void BM_DeleteForGood(benchmark::State& state)
{
    DeleteMarked(state, 2);
}

} // namespace

BENCHMARK(BM_DeleteToTrash)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DeleteForGood)->Unit(benchmark::kMillisecond)->Iterations(5);
