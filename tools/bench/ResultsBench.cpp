// The result list over 500,000 results: column sorts, "Leave only oldest version", the selection
// figure, and painting the real list view while it is paged and dragged through.

#include "app/EventPump.h"
#include "core/FileLists.h"
#include "platform/Collation.h"
#include "results/ResultView.h"
#include "results/ResultWindow.h"
#include "results/Selection.h"
#include "ui/ReportListView.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QStringList>

#include <random>

namespace {

const QStringList Words = {"report",    "Invoice",  "photo",   "holiday", "notes",  "draft",
                           "final",     "budget",   "summary", "Meeting", "letter", "contract",
                           "scan",      "receipt",  "backup",  "data",    "Résumé", "naïve café",
                           "Übersicht", "документ", "写真",    "Zürich",  "IMG",    "DSC"};
const QStringList Extensions = {".jpg", ".JPG", ".png", ".pdf", ".docx", ".txt", ".mp3", ".zip"};

// Fills the globals as a search leaves them: `count` records in groups of 2 to 6 files, largest
// group first, the files of a group spread over the folders, about a third of them marked.
void MakeResults(int32_t count)
{
    ResetSearchGlobals();
    LocaleFormat = QLocale(QLocale::English, QLocale::UnitedStates);
    plat::SetCollationLocale(LocaleFormat);
    std::mt19937 random(1);
    const int32_t folders = std::max(1, count / 25);
    PathList.SetLength(folders);
    for (int32_t f = 0; f < folders; ++f)
        PathList.Put(f, QStringLiteral("/home/user/%1/%2 %3/")
                            .arg(Words[random() % Words.size()])
                            .arg(Words[random() % Words.size()])
                            .arg(f));
    PathCount = folders - 1;
    ResultList.SetLength(count);
    int32_t group = 0, left = 0;
    uint64_t size = uint64_t(count) * 1000;
    QString name;
    for (int32_t i = 0; i < count; ++i) {
        if (left == 0) {
            ++group;
            left = std::min(int32_t(2 + random() % 5), count - i);
            size -= 1 + random() % 1000;
            name = Words[random() % Words.size()] + QLatin1Char('-') + QString::number(random() % 5000) +
                   Extensions[random() % Extensions.size()];
        }
        --left;
        TFileInfoType record;
        record.Name = NamePool.Add(random() % 4 == 0 ? QStringLiteral("Copy of ") + name : name);
        record.PathIndex = int32_t(random() % uint32_t(folders));
        record.Time = int32_t(0x30000000 + random() % 0x10000000);
        record.Size = size;
        record.Group = group;
        record.Checked = random() % 3 == 0;
        ResultList.Put(i, record);
    }
    ResultCount = count - 1;
    ResultCapacity = count;
    SortByColumn(ColumnGroup, 0);
}

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

void BM_ColumnSort(benchmark::State& state)
{
    MakeResults(500'000);
    const auto column = int(state.range(0));
    uint8_t direction = 0;
    for (auto _ : state) {
        SortByColumn(column, direction);
        direction ^= 1;
        benchmark::DoNotOptimize(SortList.data());
    }
    state.SetLabel(std::array{"File Name", "Path", "Dup. Group", "Size", "Modified"}[size_t(column)]);
}

void BM_LeaveOnlyOldest(benchmark::State& state)
{
    MakeResults(500'000);
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
    MakeResults(500'000);
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
        MakeResults(500'000);
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

BENCHMARK(BM_ColumnSort)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LeaveOnlyOldest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateSelectionStats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageDown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragScrollBar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowsAppearAfterTheSearch)->Unit(benchmark::kMillisecond);

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
