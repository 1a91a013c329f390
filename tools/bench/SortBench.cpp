// Column sorts of a large result list: one SortOrder call over 500,000 entries, the first by its
// column (nothing kept from an earlier sort).

#include "BenchResults.h"

#include "core/FileLists.h"
#include "core/SortProcedures.h"
#include "core/SortRanks.h"
#include "platform/Collation.h"

#include <benchmark/benchmark.h>

#include <QStringList>

#include <random>

namespace {

void ColumnSort(benchmark::State& state, TCompareFunc compare, const QLocale& locale)
{
    const auto count = static_cast<int32_t>(state.range(0));
    MakeBenchResults(count);
    plat::SetCollationLocale(locale);
    StopFlag = 1;
    for (auto _ : state) {
        state.PauseTiming();
        ReleaseKeptRanks(); // each sort is the first by its column
        state.ResumeTiming();
        SortList.assign(size_t(count), {});
        for (int32_t i = 0; i < count; ++i)
            SortList[size_t(i)] = {i, ResultList[i].Group};
        SortOrder(ResultList, SortList, PathList, 0, ResultCount, compare, 0);
        benchmark::DoNotOptimize(SortList.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_SortByName(benchmark::State& state)
{
    ColumnSort(state, CompareName, QLocale(QLocale::English, QLocale::UnitedStates));
}
void BM_SortByNameCLocale(benchmark::State& state)
{
    ColumnSort(state, CompareName, QLocale::c());
}
void BM_SortByFolder(benchmark::State& state)
{
    ColumnSort(state, CompareFolder, QLocale(QLocale::English, QLocale::UnitedStates));
}
void BM_SortByDate(benchmark::State& state)
{
    ColumnSort(state, CompareTime, QLocale::c());
}

void BM_SortFilesBySize(benchmark::State& state)
{
    const auto count = static_cast<int32_t>(state.range(0));
    MakeBenchResults(count);
    for (auto _ : state) {
        state.PauseTiming();
        TFileList list;
        list.SetLength(count);
        // Sizes in no order, as a scan finds them.
        std::mt19937 random(1);
        for (int32_t i = 0; i < count; ++i) {
            list.Put(i, ResultList[i]);
            list[i].Size = random() % 100000;
        }
        StopFlag = 0;
        state.ResumeTiming();
        SortFiles(list, 0, count - 1, CompareSize, 1);
        benchmark::DoNotOptimize(list.Data());
    }
    StopFlag = 1;
    state.SetItemsProcessed(state.iterations() * count);
}

// CPU time of the whole process: a name sort makes its keys on several threads.
BENCHMARK(BM_SortByName)->Arg(500000)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByNameCLocale)
    ->Arg(500000)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByFolder)
    ->Arg(500000)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByDate)->Arg(500000)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortFilesBySize)->Arg(200000)->Arg(500000)->Unit(benchmark::kMillisecond);

} // namespace
