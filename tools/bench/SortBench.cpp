// Column sorts of a large result list: one SortOrder call over 500,000 entries.

#include "core/FileLists.h"
#include "core/SortProcedures.h"
#include "platform/Collation.h"

#include <benchmark/benchmark.h>

#include <QStringList>

#include <random>

namespace {

const QStringList Words = {"report",    "Invoice",  "photo",   "holiday", "notes",  "draft",
                           "final",     "budget",   "summary", "Meeting", "letter", "contract",
                           "scan",      "receipt",  "backup",  "data",    "Résumé", "naïve café",
                           "Übersicht", "документ", "写真",    "Zürich",  "IMG",    "DSC"};
const QStringList Extensions = {".jpg", ".JPG", ".png", ".pdf", ".docx", ".txt", ".mp3", ".zip"};

// Fills ResultList and PathList with `count` records of file-system-like names and folders.
void MakeResults(int32_t count)
{
    ResetSearchGlobals();
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
    for (int32_t i = 0; i < count; ++i) {
        TFileInfoType record;
        record.Name =
            NamePool.Add(Words[random() % Words.size()] + QLatin1Char('-') +
                         QString::number(random() % 5000) + Extensions[random() % Extensions.size()]);
        record.PathIndex = int32_t(random() % uint32_t(folders));
        record.Time = int32_t(random());
        record.Size = random() % 100000;
        record.Group = i / 3 + 1;
        ResultList.Put(i, record);
    }
    ResultCount = count - 1;
    ResultCapacity = count;
}

void ColumnSort(benchmark::State& state, TCompareFunc compare, const QLocale& locale)
{
    plat::SetCollationLocale(locale);
    const auto count = static_cast<int32_t>(state.range(0));
    MakeResults(count);
    StopFlag = 1;
    for (auto _ : state) {
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
    MakeResults(count);
    for (auto _ : state) {
        state.PauseTiming();
        TFileList list;
        list.SetLength(count);
        for (int32_t i = 0; i < count; ++i)
            list.Put(i, ResultList[i]);
        StopFlag = 0;
        state.ResumeTiming();
        SortFiles(list, 0, count - 1, CompareSize, 1);
        benchmark::DoNotOptimize(list.Data());
    }
    StopFlag = 1;
    state.SetItemsProcessed(state.iterations() * count);
}

BENCHMARK(BM_SortByName)->Arg(500000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByNameCLocale)->Arg(500000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByFolder)->Arg(500000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByDate)->Arg(500000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortFilesBySize)->Arg(200000)->Arg(500000)->Unit(benchmark::kMillisecond);

} // namespace
