// Exporting a list of 100 waves (200 MiB of samples) against writing the same
// number of bytes with plain writes to the same folder, in the same run: the
// exporter's own work (checksums, tables, the rewritten TONE chunk) must add
// little to the cost of the writes. Goal: at most 1.3.

#include "common/Format.h"
#include "common/Path.h"
#include "document/KSD.h"
#include "export/VBKFile.h"
#include "support/TestFiles.h"

#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWaves = 100;
constexpr std::size_t kSamplesPerWave = std::size_t{1} << 20; // 2 MiB each

struct TFixture {
    TTempDir Dir;
    TKSD List;

    TFixture()
    {
        for (int i = 0; i < kWaves; ++i) {
            const std::string path = Dir.File(Format("w%d.wav", i));
            WriteWav(path, Ramp(kSamplesPerWave, static_cast<int16_t>(i * 77)), 44100);
            List.AddWave(path);
            std::filesystem::remove(PathFromUtf8(path));
        }
    }
};

TFixture& Fixture()
{
    static TFixture fixture;
    return fixture;
}

void Export() { ExportBank(Fixture().List, Fixture().Dir.File("bank.vbk")); }

// The same bytes as the export, one write per wave plus the small tables,
// with no checksums and no rewrite.
void PlainWrite()
{
    const TKSD& list = Fixture().List;
    const std::vector<char> tables(static_cast<std::size_t>(96 + 92 * list.Count() + 16 * list.Count()), 0);
    const int fd =
        ::open(PathFromUtf8(Fixture().Dir.File("plain.bin")).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw std::runtime_error("cannot create plain.bin");
    bool written = ::write(fd, tables.data(), tables.size()) == static_cast<ssize_t>(tables.size());
    for (int i = 0; i < list.Count(); ++i) {
        const TWaveInfo& wave = *list.GetWave(i);
        const auto bytes = static_cast<std::size_t>(wave.SampleCount()) * 2;
        written = written && ::write(fd, wave.Data().data(), bytes) == static_cast<ssize_t>(bytes);
    }
    ::close(fd);
    if (!written)
        throw std::runtime_error("cannot write plain.bin");
}

void BM_Export(benchmark::State& state)
{
    for (auto _ : state)
        Export();
    state.SetBytesProcessed(state.iterations() * TVBKFile::ExportedSize(Fixture().List));
}

void BM_PlainWrite(benchmark::State& state)
{
    for (auto _ : state)
        PlainWrite();
    state.SetBytesProcessed(state.iterations() * TVBKFile::ExportedSize(Fixture().List));
}

struct TCost {
    double Wall = 0; // seconds
    double Cpu = 0;  // seconds of this process's processor time
};

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

TCost CostOf(void (*f)())
{
    const double cpu = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    f();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), CpuSeconds() - cpu};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The shared machine's load changes from second to second, so the figures
// come from rounds that run both right after each other: the medians of
// their ratios, in elapsed time and in processor time.
void PrintPairedRatios(int rounds)
{
    std::vector<double> wall, cpu;
    for (int i = 0; i < rounds; ++i) {
        const TCost plain = CostOf(PlainWrite);
        const TCost exported = CostOf(Export);
        wall.push_back(exported.Wall / plain.Wall);
        cpu.push_back(exported.Cpu / plain.Cpu);
    }
    std::printf("RATIO export / plain writes of the same bytes, elapsed time, median of %d rounds: %.3f "
                "(goal <= 1.3)\n",
                rounds, Median(wall));
    std::printf("RATIO export / plain writes of the same bytes, processor time, median of %d rounds: %.3f\n",
                rounds, Median(cpu));
}

BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::printf("exporting %d waves, %lld bytes\n", kWaves,
                static_cast<long long>(TVBKFile::ExportedSize(Fixture().List)));
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintPairedRatios(15);
    std::filesystem::remove(PathFromUtf8(Fixture().Dir.File("bank.vbk")));
    std::filesystem::remove(PathFromUtf8(Fixture().Dir.File("plain.bin")));
    benchmark::Shutdown();
}
