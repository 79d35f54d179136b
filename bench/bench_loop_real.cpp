// The automatic loop on sampled instruments (every 8th looped sample of the
// installed SoundFont and GUS patches, see tests/support/InstrumentSamples.h):
// time per sample, against a baseline measured in the same run: a plain
// pass over the sample comparing, for one loop length, the 5 ms before
// every start with the 5 ms before its end (written here, not taken from
// the finder), so the ratio says how many such passes the automatic loop
// costs whatever the machine. Goal: at least twice as fast as the last
// round's automatic loop (about 370 passes).

#include "loop/AutoLoop.h"

#include "RatioReporter.h"
#include "support/InstrumentSamples.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

const std::vector<TInstrumentSample>& Sounds()
{
    static const std::vector<TInstrumentSample> sounds = [] {
        std::vector<TInstrumentSample> all = ReadSoundFontSamples(kSoundFontPath);
        for (TInstrumentSample& patch : ReadPatchSamples(kPatchFolder))
            all.push_back(std::move(patch));
        std::vector<TInstrumentSample> kept;
        for (std::size_t i = 0; i < all.size(); i += 8)
            kept.push_back(std::move(all[i]));
        return kept;
    }();
    return sounds;
}

void BM_AutoLoopPerSample(benchmark::State& state)
{
    for (auto _ : state)
        for (const TInstrumentSample& sound : Sounds())
            benchmark::DoNotOptimize(AutoLoops(sound.Samples, sound.Rate, {}));
    state.counters["samples"] = static_cast<double>(Sounds().size());
}

// The sum over every start of the squared differences over 5 ms before the
// start and before the end of a loop a quarter of the sample long.
double ReferencePass(const TInstrumentSample& Sound)
{
    const auto count = static_cast<int64_t>(Sound.Samples.size());
    const int64_t length = count / 4, window = SamplesOfMs(5, Sound.Rate);
    double total = 0;
    for (int64_t start = window; start + length <= count; ++start) {
        int64_t diff = 0;
        for (int64_t k = 1; k <= window; ++k) {
            const int64_t d = Sound.Samples[static_cast<std::size_t>(start + length - k)] -
                              Sound.Samples[static_cast<std::size_t>(start - k)];
            diff += d * d;
        }
        total += static_cast<double>(diff);
    }
    return total;
}

void BM_ReferencePassPerSample(benchmark::State& state)
{
    for (auto _ : state)
        for (const TInstrumentSample& sound : Sounds())
            benchmark::DoNotOptimize(ReferencePass(sound));
}

BENCHMARK(BM_AutoLoopPerSample)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReferencePassPerSample)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (Sounds().empty()) {
        std::printf("skipped: no instrument libraries installed (scripts/install-deps installs them)\n");
        return 0;
    }
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double automatic = reporter.Time("BM_AutoLoopPerSample") / static_cast<double>(Sounds().size());
    const double slide = reporter.Time("BM_ReferencePassPerSample") / static_cast<double>(Sounds().size());
    if (automatic > 0 && slide > 0)
        std::printf("RATIO automatic loop per sample / one reference pass over it: %.1f (%.1f ms per sample, %zu samples)\n",
                    automatic / slide, automatic, Sounds().size());
    benchmark::Shutdown();
}
