// The same work at any rate: the automatic loop of one wave of 20,000
// samples (a held tone with vibrato) stated at 44.1 kHz and at 2^31-1 Hz,
// and the loop finder's other requests on it. A rate only says how long the
// wave lasts; the finder sizes its windows and spans by samples as well as
// by time, so the absurd rate must cost about what 44.1 kHz costs.
// Goal: at most 3 times the time at 44.1 kHz.

#include "loop/LoopFinder.h"
#include "loop/TestTones.h"

#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <limits>

namespace {

constexpr int32_t kCommonRate = 44100;
constexpr int32_t kAbsurdRate = std::numeric_limits<int32_t>::max();

const std::vector<int16_t>& Wave()
{
    static const std::vector<int16_t> wave = MakeTone({.Period = 183.7,
                                                       .Seconds = 20000.0 / kCommonRate,
                                                       .Rate = kCommonRate,
                                                       .VibratoHz = 5.2,
                                                       .VibratoDepth = 0.006,
                                                       .NoiseLevel = 0.003});
    return wave;
}

// Every request the window makes of a row, as one unit of work.
void FindAll(int32_t Rate)
{
    const TLoopFinder finder(Wave(), Rate);
    const TFoundLoops whole = finder.WholeWave({.Count = 5, .MinLengthMs = {}});
    const TLoopCandidate& best = whole.Loops.front();
    benchmark::DoNotOptimize(finder.BestEnds(best.Start, {}));
    benchmark::DoNotOptimize(finder.BestEndsNear(best.Start, best.End, kWideRadiusMs, {}));
    benchmark::DoNotOptimize(finder.LoopsIn(1000, 15000, {}));
    benchmark::DoNotOptimize(finder.Snap(best.End, best.Start, false));
}

void BM_CommonRate(benchmark::State& state)
{
    for (auto _ : state)
        FindAll(kCommonRate);
}

void BM_AbsurdRate(benchmark::State& state)
{
    for (auto _ : state)
        FindAll(kAbsurdRate);
}

BENCHMARK(BM_CommonRate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AbsurdRate)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double common = reporter.Time("BM_CommonRate");
    const double absurd = reporter.Time("BM_AbsurdRate");
    if (common > 0 && absurd > 0)
        std::printf("RATIO loop finding on 20,000 samples, at 2^31-1 Hz / at 44.1 kHz: %.2f (goal <= 3)\n",
                    absurd / common);
    benchmark::Shutdown();
}
