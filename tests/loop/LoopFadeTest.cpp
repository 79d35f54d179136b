// The automatic crossfade and the order of loops judged after a fade.

#include "loop/LoopFade.h"
#include "loop/LoopFinder.h"
#include "loop/SeamRank.h"
#include "loop/TestTones.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(LoopFadeTest, ChoosesTheShortestGoodFadeElseTheCheapest)
{
    struct TCase {
        const char* Name;
        int32_t Longest;
        std::function<double(int32_t)> Cost;
        int32_t Expected;
    };
    const TCase cases[] = {
        {"good unfaded", 5000, [](int32_t) { return 0.001; }, 0},
        {"good from 200 samples", 5000, [](int32_t n) { return n >= 200 ? 0.002 : 0.03; }, 200},
        {"never good: the cheapest tried", 5000, [](int32_t n) { return n == 441 ? 0.006 : 0.02; }, 441},
        {"only the longest allowed is good", 1000, [](int32_t n) { return n == 1000 ? 0.001 : 0.02; }, 1000},
        {"no room for a fade", 0, [](int32_t) { return 0.3; }, 0},
    };
    for (const TCase& c : cases) {
        int32_t longestTried = 0;
        const TFadeChoice fade = AutomaticFade(44100, c.Longest, [&](int32_t n) {
            longestTried = std::max(longestTried, n);
            return c.Cost(n);
        });
        EXPECT_EQ(fade.Samples, c.Expected) << c.Name;
        EXPECT_EQ(fade.Cost, c.Cost(c.Expected)) << c.Name;
        EXPECT_LE(longestTried, c.Longest) << c.Name;
    }
    EXPECT_EQ(LongestAutomaticFade(30000, 40000, 44100), 5000);   // half the loop
    EXPECT_EQ(LongestAutomaticFade(3000, 40000, 44100), 3000);    // the room before it
    EXPECT_EQ(LongestAutomaticFade(100000, 200000, 44100), 22050); // 500 ms
}

TEST(LoopFadeTest, OrdersByTheCostAfterTheFadeAndGoodOnesByTheirFade)
{
    std::vector<TLoopCandidate> loops = {
        {.Start = 1, .End = 2, .Cost = 0.02, .Rank = 1.1, .Fade = 10},
        {.Start = 2, .End = 3, .Cost = 0.004, .Rank = 0.9, .Fade = 8820},
        {.Start = 3, .End = 4, .Cost = 0.0001, .Rank = kQuietLoopRank + 0.1, .Fade = 0},
        {.Start = 4, .End = 5, .Cost = 0.003, .Rank = 0.2, .Fade = 882},
        {.Start = 5, .End = 6, .Cost = 0.01, .Rank = 1.5, .Fade = 100},
    };
    std::vector<TLoopCandidate> automatic = loops;
    OrderFadedLoops(automatic, true);
    std::vector<int32_t> starts;
    for (const TLoopCandidate& loop : automatic)
        starts.push_back(loop.Start);
    EXPECT_EQ(starts, (std::vector<int32_t>{4, 2, 5, 1, 3}));
    OrderFadedLoops(loops, false);
    starts.clear();
    for (const TLoopCandidate& loop : loops)
        starts.push_back(loop.Start);
    EXPECT_EQ(starts, (std::vector<int32_t>{4, 2, 5, 1, 3}));
}

// What is printed is what is ranked: with a fade the loops come in the
// order of their costs after it, each the cost Measure gives, each once.
TEST(LoopFadeTest, FinderRanksLoopsByTheCostHeardAfterTheirFade)
{
    const std::vector<int16_t> tone = MakeTone({.Period = 120.1, .Seconds = 2, .VibratoHz = 5.5, .VibratoDepth = 0.01, .NoiseLevel = 0.02});
    const TLoopFinder finder(tone, 44100);
    for (const bool automatic : {false, true}) {
        TLoopRequest request;
        request.Count = 5;
        request.FadeSamples = automatic ? 0 : 882;
        request.AutomaticFade = automatic;
        const TFoundLoops found = finder.WholeWave(request);
        ASSERT_EQ(found.Loops.size(), 5u);
        for (std::size_t i = 0; i < found.Loops.size(); ++i) {
            const TLoopCandidate& loop = found.Loops[i];
            EXPECT_EQ(loop.Cost, finder.Measure(loop.Start, loop.End, loop.Fade).Cost) << i;
            if (!automatic) {
                EXPECT_EQ(loop.Fade, 882);
            }
            if (!automatic && i > 0) {
                EXPECT_LE(found.Loops[i - 1].Cost, loop.Cost) << i;
            }
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_FALSE(found.Loops[j].Start == loop.Start && found.Loops[j].End == loop.End) << i << " " << j;
        }
        if (automatic) {
            EXPECT_EQ(SeamQualityOf(found.Loops.front().Cost), TSeamQuality::Good);
        }
    }
}

} // namespace
