// The result list over 500,000 results: column sorts (the first by a column and the later ones),
// "Leave only oldest version", the selection figure, painting the real list view while it is paged
// and dragged through, and the export.

#include "BenchResults.h"

#include "app/EventPump.h"
#include "core/FileLists.h"
#include "core/SortRanks.h"
#include "platform/Collation.h"
#include "results/ResultExport.h"
#include "results/ResultView.h"
#include "results/ResultWindow.h"
#include "results/Selection.h"
#include "ui/ReportListView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QScrollBar>
#include <QStringList>
#include <QTemporaryDir>

#include <random>

namespace {

class TNoWindow : public TResultWindow
{
public:
    int SelectedRow() const override { return -1; }
    uint8_t SortDirection() const override { return 0; }
    void BeginRowUpdate() override {}
    void EndRowUpdate() override {}
    void SetRowCount(int) override {}
    void SelectAndFocusRow(int) override {}
    void RepaintRows() override {}
    void SetSelectedText(const QString& text) override { benchmark::DoNotOptimize(text.size()); }
    void DeleteThisFile() override {}
};

const char* ColumnLabel(int column)
{
    return std::array{"File Name", "Path", "Dup. Group", "Size", "Modified"}[size_t(column)];
}

// The first click on a column's header after a search, over files that all have names of their own.
void BM_FirstColumnSort(benchmark::State& state)
{
    MakeBenchResults(500'000, true);
    const auto column = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        ReleaseKeptRanks();
        state.ResumeTiming();
        SortByColumn(column, 0);
        benchmark::DoNotOptimize(SortList.data());
    }
    state.SetLabel(ColumnLabel(column));
}

// Every later click on the same header: the direction changes each time.
void BM_ColumnSort(benchmark::State& state)
{
    MakeBenchResults(500'000, true);
    const auto column = int(state.range(0));
    SortByColumn(column, 1);
    uint8_t direction = 0;
    for (auto _ : state) {
        SortByColumn(column, direction);
        direction ^= 1;
        benchmark::DoNotOptimize(SortList.data());
    }
    state.SetLabel(ColumnLabel(column));
}

void BM_LeaveOnlyOldest(benchmark::State& state)
{
    MakeBenchResults(500'000);
    const int32_t groups = ResultList[ResultCount].Group;
    TNoWindow window;
    InstallEventPump(); // the window's own pump: events every 5 ms at most
    for (auto _ : state)
        LeaveOnlyOneVersion(window, TKeptVersion::Oldest);
    RemoveEventPump();
    state.counters["groups"] = groups;
}

void BM_UpdateSelectionStats(benchmark::State& state)
{
    MakeBenchResults(500'000);
    TNoWindow window;
    for (auto _ : state)
        UpdateSelectionStats(window);
}

// The real list view with its real handlers, as tall as a maximised window's list.
class TListUnderTest
{
public:
    TListUnderTest()
    {
        MakeBenchResults(500'000);
        view.SetColumns({"File Name", "Path", "Dup. Group", "Size", "Modified"}, {180, 260, 80, 100, 127});
        view.SetDataHandler(&ResultRowData);
        view.SetPaintHandler(&ResultRowPaint);
        view.resize(1000, 800);
        view.SetRowCount(ResultCount + 1);
        view.show();
        QApplication::processEvents();
    }
    // Paints what is visible now, as the next frame would.
    void Paint() { view.viewport()->repaint(); }

    TReportListView view;
};

void BM_PageDown(benchmark::State& state)
{
    TListUnderTest list;
    QScrollBar* bar = list.view.verticalScrollBar();
    for (auto _ : state) {
        bar->setValue(bar->value() + bar->pageStep() < bar->maximum() ? bar->value() + bar->pageStep() : 0);
        list.Paint();
    }
    state.counters["rows/page"] = bar->pageStep();
}

void BM_DragScrollBar(benchmark::State& state)
{
    TListUnderTest list;
    QScrollBar* bar = list.view.verticalScrollBar();
    std::mt19937 random(2);
    for (auto _ : state) {
        bar->setValue(int(random() % uint32_t(bar->maximum() + 1)));
        list.Paint();
    }
}

void BM_RowsAppearAfterTheSearch(benchmark::State& state)
{
    TListUnderTest list;
    for (auto _ : state) {
        list.view.BeginUpdate();
        list.view.SetRowCount(0);
        list.view.EndUpdate();
        list.view.BeginUpdate();
        list.view.SetRowCount(ResultCount + 1);
        list.view.EndUpdate();
        list.Paint();
    }
}

// "Export results..." to a file, whole: the bytes made, written and renamed into place.
void BM_Export(benchmark::State& state)
{
    MakeBenchResults(500'000);
    const auto format = TExportFormat(state.range(0));
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("results"));
    for (auto _ : state)
        if (const QString error = SaveResults(path, format, {}); !error.isEmpty())
            state.SkipWithError(qPrintable(error));
    state.SetLabel(std::array{"text", "CSV", "JSON"}[size_t(format)]);
    state.counters["MB"] = double(QFileInfo(path).size()) / 1e6;
}

// CPU time of the whole process: a name sort makes its keys on several threads.
BENCHMARK(BM_FirstColumnSort)
    ->DenseRange(0, 4)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColumnSort)
    ->DenseRange(0, 4)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LeaveOnlyOldest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateSelectionStats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageDown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragScrollBar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowsAppearAfterTheSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Export)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
