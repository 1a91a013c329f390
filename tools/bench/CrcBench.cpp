#include "core/DuplicateTypes.h"
#include "platform/Pump.h"
#include "search/Crc32Fold.h"
#include "search/crc32tab.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QString>

#include <random>
#include <unistd.h>
#include <vector>

namespace {

std::vector<uint8_t> RandomBuffer(size_t size)
{
    std::vector<uint8_t> bytes(size);
    std::mt19937 random(42);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

template <void (*Update)(const void*, size_t, uint32_t&)> void BM_Update(benchmark::State& state)
{
    const std::vector<uint8_t> bytes = RandomBuffer(static_cast<size_t>(state.range(0)));
    uint32_t crc = 0xFFFFFFFFu;
    for (auto _ : state) {
        Update(bytes.data(), bytes.size(), crc);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_Clmul(benchmark::State& state)
{
    if (!Crc32ClmulSupported()) {
        state.SkipWithError("no carry-less multiplication on this processor");
        return;
    }
    BM_Update<UpdateCrc32Clmul>(state);
}

// What the file routines do per block: UpdateCrc32 with its 16-bit length.
void BM_UpdateCrc32Block(benchmark::State& state)
{
    const std::vector<uint8_t> bytes = RandomBuffer(CrcBlockSize);
    uint32_t crc = 0xFFFFFFFFu;
    for (auto _ : state) {
        UpdateCrc32(bytes.data(), static_cast<uint16_t>(CrcBlockSize), crc);
        benchmark::DoNotOptimize(crc);
    }
    state.SetBytesProcessed(state.iterations() * CrcBlockSize);
}

// A 256 MiB file in /tmp, read once beforehand so that it sits in the page cache.
void BM_FileCrc32(benchmark::State& state)
{
    constexpr qint64 fileSize = 256 * 1024 * 1024;
    const QString path = QStringLiteral("/tmp/pw_bench_crc_%1.bin").arg(::getpid());
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot create the file in /tmp");
            return;
        }
        const std::vector<uint8_t> chunk = RandomBuffer(1024 * 1024);
        for (qint64 written = 0; written < fileSize; written += static_cast<qint64>(chunk.size()))
            file.write(reinterpret_cast<const char*>(chunk.data()), static_cast<qint64>(chunk.size()));
    }
    const auto previousPump = plat::SetPumpHook({});
    const uint8_t previousStop = StopFlag;
    StopFlag = 0;
    bool ok = false;
    benchmark::DoNotOptimize(FileCrc32(path, &ok));
    for (auto _ : state) {
        benchmark::DoNotOptimize(FileCrc32(path, &ok));
        if (!ok) {
            state.SkipWithError("the file could not be read");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * fileSize);
    StopFlag = previousStop;
    plat::SetPumpHook(previousPump);
    QFile::remove(path);
}

} // namespace

BENCHMARK(BM_Update<UpdateCrc32Reference>)->Name("Reference")->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(BM_Update<UpdateCrc32Slicing>)->Name("Slicing16")->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(BM_Clmul)->Name("Clmul")->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(BM_Update<UpdateCrc32Fast>)->Name("Fast")->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(BM_UpdateCrc32Block)->Name("UpdateCrc32/65521");
BENCHMARK(BM_FileCrc32)->Name("FileCrc32/256MiB")->Unit(benchmark::kMillisecond)->MinTime(2.0);
