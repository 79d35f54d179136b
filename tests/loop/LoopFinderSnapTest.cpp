// Snapping a loop point to a zero crossing: the crossing with the lowest seam
// cost against the other point, and never a seam worse than the point's own.

#include "loop/LoopFinder.h"
#include "loop/TestTones.h"
#include "loop/ZeroCrossing.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kRate = 44100;

bool IsAnyCrossing(TSamples Wave, int32_t Point)
{
    return IsZeroCrossing(Wave, Point, TSlope::Rising) || IsZeroCrossing(Wave, Point, TSlope::Falling);
}

TEST(LoopFinderSnapTest, GoesToTheCheapestCrossingAndStaysWhereNoneIsAsCheap)
{
    const std::vector<int16_t> tone = MakeTone({.Period = 100});
    const TLoopFinder finder(tone, kRate);
    const int32_t crossing = *NearestZeroCrossing(tone, 10000, TSlope::Rising, 100);
    const int32_t periods = 40 * 100;
    const struct {
        const char* name;
        int32_t position, other;
        bool start;
        int32_t expected;
    } cases[] = {
        {"end near the start's period", crossing + periods + 30, crossing, false, crossing + periods},
        {"start near the end's period", crossing - periods - 30, crossing, true, crossing - periods},
        // The other point is off any crossing: the hand-set point already
        // makes a clean seam that no crossing near it matches.
        {"end against a start off the crossings", crossing + 37 + periods, crossing + 37, false, crossing + 37 + periods},
        {"start against an end off the crossings", crossing + 37 - periods, crossing + 37, true, crossing + 37 - periods},
    };
    for (const auto& c : cases) {
        const int32_t snapped = finder.Snap(c.position, c.other, c.start);
        EXPECT_EQ(snapped, c.expected) << c.name;
        const auto [s, e] = c.start ? std::pair{snapped, c.other} : std::pair{c.other, snapped};
        EXPECT_LT(finder.Measure(s, e).Cost, kGoodSeamCost) << c.name;
    }
    // Without the other point: the nearest rising crossing.
    EXPECT_EQ(finder.Snap(crossing + 3, 0, true), crossing);
}

TEST(LoopFinderSnapTest, NeverLeavesAWorseSeamThanTheUnsnappedPoint)
{
    const std::vector<int16_t> tone = MakeTone({.Period = 100.37, .NoiseLevel = 0.05, .DetuneRatio = 1.003});
    const TLoopFinder finder(tone, kRate);
    int moved = 0;
    for (int32_t other = 10000; other < 13000; other += 311)
        for (int32_t offset = 1500; offset < 9000; offset += 433)
            for (const bool start : {false, true}) {
                const int32_t position = start ? other - offset : other + offset;
                const int32_t snapped = finder.Snap(position, other, start);
                const auto measure = [&](int32_t Point) {
                    return start ? finder.Measure(Point, other).Cost : finder.Measure(other, Point).Cost;
                };
                EXPECT_LE(measure(snapped), measure(position)) << other << " " << position;
                EXPECT_TRUE(snapped == position || IsAnyCrossing(tone, snapped)) << snapped;
                moved += snapped != position;
            }
    EXPECT_GT(moved, 0);
}

// With a crossfade the seam heard is the one after it: snapping judges that.
TEST(LoopFinderSnapTest, WithAFadeNeverLeavesAWorseSeamAfterIt)
{
    const std::vector<int16_t> tone = MakeTone({.Period = 100.37, .NoiseLevel = 0.05, .DetuneRatio = 1.003});
    const TLoopFinder finder(tone, kRate);
    constexpr int32_t kFade = 60; // shorter than the seam's window: the join still counts
    for (int32_t other = 10000; other < 13000; other += 737)
        for (int32_t offset = 1500; offset < 9000; offset += 1733) {
            const int32_t snapped = finder.Snap(other + offset, other, false, kFade);
            EXPECT_LE(finder.Measure(other, snapped, kFade).Cost, finder.Measure(other, other + offset, kFade).Cost)
                << other << " " << offset;
        }
}

} // namespace
