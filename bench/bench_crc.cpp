// The chunk checksum over one 64 MB buffer: the fast routine against the
// bit-by-bit definition it must equal, and against memcpy of the same buffer,
// all in the same run. Goal: at least 10 times faster than bit by bit.

#include "export/CRC.h"
#include "export/CRCOracle.h"

#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kBytes = std::size_t{64} << 20;

const std::vector<unsigned char>& Buffer()
{
    static const std::vector<unsigned char> buffer = [] {
        std::vector<unsigned char> bytes(kBytes);
        std::mt19937_64 random(7);
        for (std::size_t i = 0; i < bytes.size(); i += 8) {
            const uint64_t word = random();
            std::memcpy(bytes.data() + i, &word, 8);
        }
        return bytes;
    }();
    return buffer;
}

void SetBytes(benchmark::State& state)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBytes));
}

void BM_FastCRC(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(CalcCRC(Buffer().data(), kBytes));
    SetBytes(state);
}

void MethodCRC(benchmark::State& state, TCRCMethod method)
{
    if (!CRCMethodSupported(method))
        state.SkipWithError("not supported by this processor");
    for (auto _ : state)
        benchmark::DoNotOptimize(CalcCRCWith(method, Buffer().data(), kBytes));
    SetBytes(state);
}

void BM_TablesCRC(benchmark::State& state) { MethodCRC(state, TCRCMethod::Tables); }
void BM_ClmulCRC(benchmark::State& state) { MethodCRC(state, TCRCMethod::Clmul); }
void BM_WideClmulCRC(benchmark::State& state) { MethodCRC(state, TCRCMethod::WideClmul); }

void BM_BitwiseCRC(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(BitwiseCRC(Buffer().data(), kBytes));
    SetBytes(state);
}

void BM_Memcpy(benchmark::State& state)
{
    std::vector<unsigned char> target(kBytes, 1);
    for (auto _ : state) {
        std::memcpy(target.data(), Buffer().data(), kBytes);
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}

BENCHMARK(BM_FastCRC)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_TablesCRC)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ClmulCRC)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_WideClmulCRC)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BitwiseCRC)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    Buffer();
    if (CalcCRC(Buffer().data(), kBytes) != BitwiseCRC(Buffer().data(), kBytes)) {
        std::fprintf(stderr, "fast and bit-by-bit checksums differ\n");
        return 1;
    }
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double fast = reporter.Time("BM_FastCRC");
    const double tables = reporter.Time("BM_TablesCRC");
    const double bitwise = reporter.Time("BM_BitwiseCRC");
    const double copy = reporter.Time("BM_Memcpy");
    if (fast > 0 && bitwise > 0)
        std::printf("RATIO checksum speed, fast / bit by bit: %.1f (goal >= 10)\n", bitwise / fast);
    if (tables > 0 && bitwise > 0)
        std::printf("RATIO checksum speed, tables only (processors without carry-less multiply) / bit by bit: "
                    "%.1f\n",
                    bitwise / tables);
    if (fast > 0 && copy > 0)
        std::printf("RATIO checksum throughput / memcpy throughput: %.2f\n", copy / fast);
    benchmark::Shutdown();
}
