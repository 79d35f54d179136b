// The seam cost's promises: 0 across a whole number of periods, growing
// with a step or kink, blind to scale and offset, and defined at the edges and on
// silence.

#include "loop/SeamCost.h"
#include "loop/TestTones.h"

#include <gtest/gtest.h>

namespace {

std::vector<int16_t> Scaled(const std::vector<int16_t>& Samples, double Factor)
{
    std::vector<int16_t> scaled;
    for (const int16_t sample : Samples)
        scaled.push_back(static_cast<int16_t>(std::lround(sample * Factor)));
    return scaled;
}

TEST(SeamCostTest, IsZeroOnlyAcrossWholePeriodsAndGrowsWithTheMismatch)
{
    const std::vector<int16_t> tone = MakeTone({.Period = 100, .Seconds = 0.2});
    const TSamples wave(tone);
    EXPECT_EQ(SeamCost(wave, 2000, 2300, 220), 0.0);
    double previous = 0;
    for (const int32_t off : {1, 2, 5, 25, 50}) {
        const double cost = SeamCost(wave, 2000, 2300 + off, 220);
        EXPECT_GT(cost, previous) << off;
        previous = cost;
    }
    EXPECT_GT(previous, 0.5); // half a period out: far from clean
    EXPECT_GE(SeamQualityOf(SeamCost(wave, 2000, 2301, 220)), TSeamQuality::Fair);
}

TEST(SeamCostTest, GrowsWithAStepOrAKinkAtTheSeam)
{
    // The lead-in to the loop end bent away from what precedes the loop
    // start: the step or kink is what the seam plays.
    struct TCase {
        int Step;
        int Slope;
    };
    const TCase cases[] = {{0, 0}, {100, 0}, {300, 0}, {1000, 0}, {0, 2}, {0, 10}};
    const std::vector<int16_t> tone = MakeTone({.Period = 100, .Seconds = 0.2});
    double previousStep = -1;
    for (const TCase& c : cases) {
        std::vector<int16_t> bent = tone;
        for (int i = 1; i <= 220; ++i)
            bent[2300 - i] = static_cast<int16_t>(bent[2300 - i] + c.Step + c.Slope * i);
        const double cost = SeamCost(bent, 2000, 2300, 220);
        if (c.Slope == 0) {
            EXPECT_GT(cost, previousStep) << c.Step;
            previousStep = cost;
        } else {
            EXPECT_GT(cost, 1e-4) << c.Slope;
        }
    }
}

TEST(SeamCostTest, IgnoresScaleAndOffset)
{
    const std::vector<int16_t> tone = MakeTone({.Period = 100.37, .Seconds = 0.2, .NoiseLevel = 0.05});
    const std::vector<int16_t> quiet = Scaled(tone, 0.25);
    std::vector<int16_t> offset = quiet; // a DC offset must not hide the seam
    for (int16_t& sample : offset)
        sample = static_cast<int16_t>(sample + 20000);
    for (const int32_t end : {2300, 2301, 2350}) {
        const double cost = SeamCost(tone, 2000, end, 220);
        EXPECT_NEAR(SeamCost(quiet, 2000, end, 220), cost, 0.01) << end;
        EXPECT_NEAR(SeamCost(offset, 2000, end, 220), cost, 0.1 * cost) << end;
    }
}

TEST(SeamCostTest, EdgesAndSilence)
{
    std::vector<int16_t> tone(4410);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<int16_t>(std::lround(10000 * std::sin(0.02 * std::numbers::pi * static_cast<double>(i))));
    const auto count = static_cast<int32_t>(tone.size());
    EXPECT_EQ(SeamCost(tone, 0, count, 220), 1.0); // nothing on either side to compare
    EXPECT_NEAR(SeamCost(tone, 0, 300, 220), 0.0, 1e-6);
    EXPECT_NEAR(SeamCost(tone, count - 300, count, 220), 0.0, 1e-6);
    EXPECT_EQ(SeamCost(std::vector<int16_t>(1000, 0), 100, 900, 220), 0.0);
}

// What is never played does not count: the samples after the loop end
// (cut, silenced or a file that ends there) leave a clean join clean, and a
// loop too short to hold a cycle is not clean.
TEST(SeamCostTest, JudgesOnlyWhatIsPlayed)
{
    const std::vector<int16_t> tone = MakeTone({.Period = 100, .Seconds = 0.2});
    struct TCase {
        int32_t Start, End, FileEnd;
        TSeamQuality Expected;
    };
    const TCase cases[] = {
        {2000, 2300, 2300, TSeamQuality::Good},  // the file ends at the loop end
        {2000, 2300, 2303, TSeamQuality::Good},  // cut 3 samples after it
        {2000, 2100, 8820, TSeamQuality::Good},  // one period, shorter than the window
        {2000, 2050, 8820, TSeamQuality::Poor},  // half a period
        {2000, 2001, 8820, TSeamQuality::Poor},  // one sample: a held value
    };
    for (const TCase& c : cases) {
        std::vector<int16_t> cut(tone.begin(), tone.begin() + c.FileEnd);
        EXPECT_EQ(SeamQualityOf(SeamCost(cut, c.Start, c.End, 220)), c.Expected) << c.End << " " << c.FileEnd;
        cut.resize(c.FileEnd + 500, 0); // silence after the end changes nothing
        EXPECT_EQ(SeamCost(cut, c.Start, c.End, 220), SeamCost(tone, c.Start, c.End, 220)) << c.End;
    }
}

} // namespace

#include "document/CrossFade.h"
#include "loop/LoopFinder.h"

#include <random>

namespace {

// The finder measures a crossfaded loop on the part of the wave the cost
// reads: the same cost as on the whole wave as the bank holds it, for loops
// near the wave's start and loops shorter than the window; and a fade takes
// the click out of a seam in noise.
TEST(SeamCostTest, CrossFadedLoopIsMeasuredAsTheBankHoldsIt)
{
    std::mt19937 random(3);
    std::uniform_int_distribution<int> level(-8000, 8000);
    std::vector<int16_t> noise(20000);
    for (int16_t& s : noise)
        s = static_cast<int16_t>(level(random));
    const TLoopFinder finder(noise, 44100);
    const int32_t window = SamplesOfMs(kDefaultSeamWindowMs, 44100);
    struct TCase {
        int32_t Start, End, Fade;
    };
    for (const TCase c : {TCase{5000, 15000, 1000}, TCase{100, 9000, 100}, TCase{8000, 8100, 100}, TCase{300, 310, 10},
                          TCase{5000, 6000, 1000}}) {
        const double whole = SeamCost(FadedWave(noise, {c.Start, c.End}, c.Fade), c.Start, c.End, window);
        EXPECT_DOUBLE_EQ(finder.Measure(c.Start, c.End, c.Fade).Cost, whole) << c.Start << ":" << c.End << "~" << c.Fade;
    }
    EXPECT_GT(finder.Measure(5000, 15000).Cost, 0.5);
    EXPECT_LT(finder.Measure(5000, 15000, 1000).Cost, kFairSeamCost);
}

} // namespace
