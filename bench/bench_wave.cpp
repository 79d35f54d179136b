// Loading a large WAV file against one plain read of the same file, in the
// same run: the reader should cost little more than the read itself, and
// hold no second copy of the samples.

#include "document/WaveInfo.h"
#include "support/TestFiles.h"

#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr std::size_t kSamples = 110'000'000; // 220 MB of sample data

const std::string& WavPath()
{
    static TTempDir dir;
    static const std::string path = [] {
        const std::string p = dir.File("large.wav");
        std::vector<int16_t> samples = Ramp(kSamples);
        WriteWav(p, samples);
        return p;
    }();
    return path;
}

void BM_LoadWave(benchmark::State& state)
{
    for (auto _ : state) {
        TWaveInfo wave;
        wave.LoadFromFile(WavPath());
        benchmark::DoNotOptimize(wave.Data().data());
    }
}

void BM_PlainRead(benchmark::State& state)
{
    for (auto _ : state) {
        std::FILE* f = std::fopen(WavPath().c_str(), "rb");
        std::fseek(f, 0, SEEK_END);
        const long size = std::ftell(f);
        std::fseek(f, 0, SEEK_SET);
        auto buffer = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(size));
        benchmark::DoNotOptimize(std::fread(buffer.get(), 1, static_cast<std::size_t>(size), f));
        std::fclose(f);
    }
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadWave)->Unit(benchmark::kMillisecond)->MinTime(1.0);

long StatusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return -1;
}

// Peak resident memory added by one load, in MB over the sample bytes.
double PeakOverheadMb()
{
    { std::ofstream("/proc/self/clear_refs") << "5"; } // reset the peak
    const long before = StatusKb("VmRSS:");
    {
        TWaveInfo wave;
        wave.LoadFromFile(WavPath());
    }
    const long peak = StatusKb("VmHWM:");
    return (static_cast<double>(peak - before) * 1024.0 - kSamples * 2.0) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    WavPath();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double load = reporter.Time("BM_LoadWave");
    const double read = reporter.Time("BM_PlainRead");
    if (load > 0 && read > 0)
        std::printf("RATIO wave load / plain read: %.3f (goal <= 1.2)\n", load / read);
    std::printf("PEAK memory beyond the sample bytes during a load: %.1f MB\n", PeakOverheadMb());
    benchmark::Shutdown();
}
