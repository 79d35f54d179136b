// The loop point search against the exhaustive reference and its result
// rules.

#include "loop/LoopSearch.h"
#include "loop/TestTones.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

TEST(LoopSearchTest, FindsTheExhaustiveBestEnd)
{
    for (const TToneCase& c : kTones)
        for (const int32_t window : {20, 60, 100, 220, 882}) { // every number of search levels
            const std::vector<int16_t> tone = MakeTone(c.Tone);
            const TLoopSearchOptions options{.TargetSample = 15000, .RadiusSamples = 2205, .MinLengthSamples = 4410, .HalfWindowSamples = window};
            const auto fast = BestLoopEnds(tone, 5000, options);
            const auto exhaustive = SearchEndsExhaustively(tone, 5000, options);
            ASSERT_EQ(fast.size(), 1u) << c.Name << " " << window;
            EXPECT_LE(fast[0].Cost, exhaustive[0].Cost * 1.05 + 1e-9) << c.Name << " " << window;
        }
}

// A long range of a pure tone holds a near-clean end every period; the
// exactly clean ones (whole multiples of its fractional period) are found.
TEST(LoopSearchTest, FindsAnExactPeriodMultipleInALongRange)
{
    std::vector<int16_t> sine(10 * 44100);
    for (std::size_t i = 0; i < sine.size(); ++i)
        sine[i] = static_cast<int16_t>(std::lround(16000 * std::sin(2 * std::numbers::pi * 220.0 * static_cast<double>(i) / 44100)));
    const auto count = static_cast<int32_t>(sine.size());
    const TLoopSearchOptions options{.TargetSample = count / 2, .RadiusSamples = count, .MinLengthSamples = 441, .HalfWindowSamples = 220};
    const auto fast = BestLoopEnds(sine, 1000, options);
    ASSERT_EQ(fast.size(), 1u);
    EXPECT_LE(fast[0].Cost, SearchEndsExhaustively(sine, 1000, options)[0].Cost + 1e-12) << fast[0].End;
}

TEST(LoopSearchTest, KeepsCountSpacingRangeAndMinimumLength)
{
    const std::vector<int16_t> tone = MakeTone({.Period = 100.37});
    const TLoopSearchOptions options{.TargetSample = 9000, .RadiusSamples = 3000, .MinLengthSamples = 5000, .Count = 6, .MinSpacingSamples = 150,
                                     .HalfWindowSamples = SamplesOfMs(kDefaultSeamWindowMs, 44100)};
    const auto ends = BestLoopEnds(tone, 4000, options);
    ASSERT_EQ(ends.size(), 6u);
    for (std::size_t i = 0; i < ends.size(); ++i) {
        EXPECT_GE(ends[i].End, 9000) << i; // 4000 + MinLength
        EXPECT_LE(ends[i].End, 12000) << i;
        EXPECT_LE(PeriodsOff(ends[i].Length(), 100.37), 1.0) << i;
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_LE(ends[j].Cost, ends[i].Cost);
            EXPECT_GE(std::abs(ends[j].End - ends[i].End), 150);
        }
    }
    const auto starts = BestLoopStarts(tone, 20000, {.TargetSample = 12000, .RadiusSamples = 500, .MinLengthSamples = 7900, .Count = 3, .HalfWindowSamples = 220});
    ASSERT_EQ(starts.size(), 3u);
    for (const TLoopCandidate& loop : starts) {
        EXPECT_LE(loop.Start, 12100);
        EXPECT_LE(PeriodsOff(loop.Length(), 100.37), 1.0);
    }
    EXPECT_TRUE(BestLoopEnds(tone, 4000, {.TargetSample = 100, .RadiusSamples = 10, .MinLengthSamples = 1}).empty());
    // Nothing shorter than the shortest loop, whatever the minimum asked for.
    EXPECT_TRUE(BestLoopEnds(tone, 1000, {.TargetSample = 1001, .RadiusSamples = 1, .MinLengthSamples = 1}).empty());
}

TEST(LoopSearchTest, SlidingALengthMeasuresEveryStartLikeTheSeamCost)
{
    const std::vector<int16_t> tone = MakeTone({.Period = 100.37, .Seconds = 0.3, .NoiseLevel = 0.05});
    const int32_t count = static_cast<int32_t>(tone.size());
    struct TCase {
        int32_t Length, From, To;
    };
    // Starts inside, starts whose windows run past either edge, and loops
    // shorter than the window (played more than once within it).
    for (const int32_t w : {220, 1500})
        for (const TCase& c : {TCase{7327, 0, count}, TCase{5000, 300, 4000}, TCase{3011, count - 3200, count},
                               TCase{100, 0, 3000}, TCase{37, 1, 2000}, TCase{1201, 5, 9000}}) {
            const auto slid = BestStartForLength(tone, c.Length, c.From, c.To, w);
            ASSERT_TRUE(slid) << c.Length;
            const TSeamWindow window(w);
            double best = 2;
            for (int32_t start = c.From; start <= std::min(c.To, count - c.Length); ++start)
                best = std::min(best, window.Cost(tone, start, start + c.Length));
            EXPECT_NEAR(slid->Cost, best, 1e-5 * best + 1e-9) << c.Length << " " << w;
        }
    EXPECT_FALSE(BestStartForLength(tone, count, 1, 100, 220));
}

} // namespace
