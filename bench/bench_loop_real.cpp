// The automatic loop on sampled instruments (every 8th looped sample of the
// installed SoundFont and GUS patches, see tests/support/InstrumentSamples.h):
// time per sample, against a baseline measured in the same run, one pass of
// the seam cost over every start of the sample for a single loop length
// (BestStartForLength), so the ratio says how many such passes the
// automatic loop costs whatever the machine. Goal: a fraction of a second
// per sample, and no more passes than before (the last round's automatic
// loop took about 0.3 s per sample of 1 to 4 s).

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

void BM_OneSlidePerSample(benchmark::State& state)
{
    for (auto _ : state)
        for (const TInstrumentSample& sound : Sounds()) {
            const auto count = static_cast<int32_t>(sound.Samples.size());
            benchmark::DoNotOptimize(BestStartForLength(sound.Samples, count / 4, 0, count,
                                                        SamplesOfMs(kDefaultSeamWindowMs, sound.Rate)));
        }
}

BENCHMARK(BM_AutoLoopPerSample)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OneSlidePerSample)->Unit(benchmark::kMillisecond);

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
    const double slide = reporter.Time("BM_OneSlidePerSample") / static_cast<double>(Sounds().size());
    if (automatic > 0 && slide > 0)
        std::printf("RATIO automatic loop per sample / one seam pass over it: %.1f (%.1f ms per sample, %zu samples)\n",
                    automatic / slide, automatic, Sounds().size());
    benchmark::Shutdown();
}
