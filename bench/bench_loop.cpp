// Loop finding on a 10-second, 44.1 kHz tone: the best loop ends within
// 0.5 s either side of a target with a 20 ms comparison window (10 ms each
// side of the seam), coarse to fine against measuring every candidate
// sample by sample, in the same run; and the automatic loop of the whole
// wave. Goals: at least 20 times faster than the exhaustive search, and the
// automatic loop well under a second.

#include "loop/AutoLoop.h"
#include "loop/TestTones.h"

#include "RatioReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int32_t kRate = 44100;

const std::vector<int16_t>& Wave()
{
    static const std::vector<int16_t> wave = MakeTone(
        {.Period = 183.7, .Seconds = 10, .Rate = kRate, .VibratoHz = 5.2, .VibratoDepth = 0.006, .NoiseLevel = 0.003});
    return wave;
}

TLoopSearchOptions NearTarget()
{
    return {.TargetSample = 6 * kRate, .RadiusSamples = kRate / 2, .MinLengthSamples = kRate / 10, .Count = 5, .MinSpacingSamples = 44,
            .HalfWindowSamples = SamplesOfMs(10, kRate)};
}

constexpr int32_t kStart = 3 * kRate;

void BM_BestLoopEnds(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(BestLoopEnds(Wave(), kStart, NearTarget()));
}

void BM_ExhaustiveLoopEnds(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(SearchEndsExhaustively(Wave(), kStart, NearTarget()));
}

void BM_AutoLoop(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(AutoLoops(Wave(), kRate, {}));
}

BENCHMARK(BM_BestLoopEnds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExhaustiveLoopEnds)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutoLoop)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const double fastCost = BestLoopEnds(Wave(), kStart, NearTarget()).front().Cost;
    const double bestCost = SearchEndsExhaustively(Wave(), kStart, NearTarget()).front().Cost;
    std::printf("best seam cost near the target: %.3g coarse to fine, %.3g exhaustive\n", fastCost, bestCost);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double fast = reporter.Time("BM_BestLoopEnds");
    const double exhaustive = reporter.Time("BM_ExhaustiveLoopEnds");
    const double automatic = reporter.Time("BM_AutoLoop");
    if (fast > 0 && exhaustive > 0)
        std::printf("RATIO loop end search speed, coarse to fine / every candidate: %.1f (goal >= 20)\n",
                    exhaustive / fast);
    if (automatic > 0)
        std::printf("automatic loop of a 10-second wave: %.0f ms (goal well under 1000 ms)\n", automatic);
    benchmark::Shutdown();
}
