// Loading a large WAV file against one plain read of the same file, in the
// same run: the reader should cost little more than the read itself, and
// hold no second copy of the samples. The same for a 24-bit stereo file,
// which is converted while it is read.

#include "document/WaveInfo.h"
#include "support/TestFiles.h"

#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr std::size_t kSamples = 110'000'000; // 220 MB of sample data
constexpr std::size_t kStereo24Frames = 200'000'000 / 6; // 200 MB of 24-bit stereo frames

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

// Written a block at a time: the whole file need not be in memory twice.
const std::string& Stereo24Path()
{
    static TTempDir dir;
    static const std::string path = [] {
        const std::string p = dir.File("stereo24.wav");
        const int64_t dataSize = static_cast<int64_t>(kStereo24Frames) * 6;
        std::vector<uint8_t> header =
            TWavBuilder().Add("fmt ", TWavBuilder::Fmt(1, 2, 44100, 24)).Add("data", {}, dataSize).Bytes();
        const uint32_t riffSize = static_cast<uint32_t>(header.size() - 8 + dataSize);
        for (int i = 0; i < 4; ++i)
            header[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
        std::vector<int64_t> block(1 << 20);
        for (std::size_t done = 0; done < kStereo24Frames * 2; done += block.size()) {
            block.resize(std::min(block.size(), kStereo24Frames * 2 - done));
            for (std::size_t i = 0; i < block.size(); ++i)
                block[i] = static_cast<int64_t>((done + i) * 2654435761u) >> 8; // any 24-bit values
            const std::vector<uint8_t> bytes = TWavBuilder::Ints(block, 3);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        return p;
    }();
    return path;
}

void LoadWave(benchmark::State& state, const std::string& path)
{
    for (auto _ : state) {
        TWaveInfo wave;
        wave.LoadFromFile(path);
        benchmark::DoNotOptimize(wave.Data().data());
    }
}

void PlainRead(benchmark::State& state, const std::string& path)
{
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::fseek(f, 0, SEEK_END);
        const long size = std::ftell(f);
        std::fseek(f, 0, SEEK_SET);
        auto buffer = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(size));
        benchmark::DoNotOptimize(std::fread(buffer.get(), 1, static_cast<std::size_t>(size), f));
        std::fclose(f);
    }
}

void BM_PlainRead(benchmark::State& state) { PlainRead(state, WavPath()); }
void BM_LoadWave(benchmark::State& state) { LoadWave(state, WavPath()); }
void BM_PlainReadStereo24(benchmark::State& state) { PlainRead(state, Stereo24Path()); }
void BM_LoadStereo24(benchmark::State& state) { LoadWave(state, Stereo24Path()); }

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadWave)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_PlainReadStereo24)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadStereo24)->Unit(benchmark::kMillisecond)->MinTime(1.0);

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
    Stereo24Path();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto ratio = [&](const char* load, const char* read, const char* text, double goal) {
        if (reporter.Time(load) > 0 && reporter.Time(read) > 0)
            std::printf("RATIO %s: %.3f (goal <= %.1f)\n", text, reporter.Time(load) / reporter.Time(read), goal);
    };
    ratio("BM_LoadWave", "BM_PlainRead", "wave load / plain read", 1.2);
    ratio("BM_LoadStereo24", "BM_PlainReadStereo24", "24-bit stereo load, converted / plain read", 2.0);
    std::printf("PEAK memory beyond the sample bytes during a load: %.1f MB\n", PeakOverheadMb());
    benchmark::Shutdown();
}
