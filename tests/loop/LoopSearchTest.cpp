// The loop point search against the exhaustive reference, its result
// rules, and the automatic loop on made tones and spoken vowels.

#include "document/WaveInfo.h"
#include "loop/AutoLoop.h"
#include "loop/TestTones.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr int32_t kRate = 44100;

struct TToneCase {
    const char* Name;
    TTone Tone;
    bool Periodic; // the loop length must be a whole number of periods
};

const TToneCase kTones[] = {
    {"whole period", {.Period = 100}, true},
    {"fractional period", {.Period = 100.37}, true},
    {"slow decay", {.Period = 90.3, .Seconds = 2, .DecaySeconds = 2}, true},
    {"vibrato", {.Period = 120.1, .Seconds = 2, .VibratoHz = 5.5, .VibratoDepth = 0.01}, false},
    {"noise", {.Period = 100.37, .NoiseLevel = 0.01}, true},
    {"detuned pair", {.Period = 100, .Seconds = 2, .DetuneRatio = 1.004}, false},
    {"16 kHz", {.Period = 60.3, .Rate = 16000}, true},
};

double PeriodsOff(int32_t Length, double Period)
{
    return std::abs(Length - std::round(Length / Period) * Period);
}

TEST(LoopSearchTest, FindsTheExhaustiveBestEnd)
{
    for (const TToneCase& c : kTones)
        for (const int32_t window : {20, 60, 100, 220, 882}) { // every number of search levels
            const std::vector<int16_t> tone = MakeTone(c.Tone);
            const TLoopSearchOptions options{.Target = 15000, .Radius = 2205, .MinLength = 4410, .Window = window};
            const auto fast = BestLoopEnds(tone, 5000, options);
            const auto exhaustive = SearchEndsExhaustively(tone, 5000, options);
            ASSERT_EQ(fast.size(), 1u) << c.Name << " " << window;
            EXPECT_LE(fast[0].Cost, exhaustive[0].Cost * 1.05 + 1e-9) << c.Name << " " << window;
        }
}

TEST(LoopSearchTest, KeepsCountSpacingRangeAndMinimumLength)
{
    const std::vector<int16_t> tone = MakeTone({.Period = 100.37});
    const TLoopSearchOptions options{.Target = 9000, .Radius = 3000, .MinLength = 5000, .Count = 6, .MinSpacing = 150};
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
    const auto starts = BestLoopStarts(tone, 20000, {.Target = 12000, .Radius = 500, .MinLength = 7900, .Count = 3});
    ASSERT_EQ(starts.size(), 3u);
    for (const TLoopCandidate& loop : starts) {
        EXPECT_LE(loop.Start, 12100);
        EXPECT_LE(PeriodsOff(loop.Length(), 100.37), 1.0);
    }
    EXPECT_TRUE(BestLoopEnds(tone, 4000, {.Target = 100, .Radius = 10, .MinLength = 1}).empty());
}

TEST(LoopSearchTest, SlidingALengthMeasuresEveryStartLikeTheSeamCost)
{
    const std::vector<int16_t> tone = MakeTone({.Period = 100.37, .Seconds = 0.3, .NoiseLevel = 0.05});
    const int32_t count = static_cast<int32_t>(tone.size());
    struct TCase {
        int32_t Length, From, To;
    };
    // Starts inside, and starts whose windows run past either edge.
    for (const TCase& c : {TCase{7327, 0, count}, TCase{5000, 300, 4000}, TCase{3011, count - 3200, count}}) {
        const auto slid = BestStartForLength(tone, c.Length, c.From, c.To, 220);
        ASSERT_TRUE(slid) << c.Length;
        const TSeamWindow window(220);
        for (int32_t start = c.From; start <= std::min(c.To, count - c.Length); ++start)
            ASSERT_GE(window.Cost(tone, start, start + c.Length), slid->Cost * (1 - 1e-5)) << start;
    }
    EXPECT_FALSE(BestStartForLength(tone, count, 1, 100, 220));
}

TEST(AutoLoopTest, LoopsTheSustainedPartOfMadeTonesCleanly)
{
    for (const TToneCase& c : kTones) {
        const std::vector<int16_t> tone = MakeTone(c.Tone);
        const int32_t rate = c.Tone.Rate;
        const auto loops = AutoLoops(tone, rate, {});
        ASSERT_EQ(loops.size(), 1u) << c.Name;
        const TLoopCandidate& loop = loops[0];
        EXPECT_GE(loop.Start, c.Tone.AttackSeconds * rate) << c.Name;
        EXPECT_LE(loop.End, (c.Tone.Seconds - c.Tone.ReleaseSeconds) * rate) << c.Name;
        EXPECT_GE(loop.Length(), rate / 10) << c.Name;
        if (c.Periodic) {
            EXPECT_LE(PeriodsOff(loop.Length(), c.Tone.Period), 1.0) << c.Name << " " << loop.Length();
        }
        const auto halfPeriod = static_cast<int32_t>(c.Tone.Period / 2);
        const int32_t window = SamplesOfMs(kDefaultSeamWindowMs, rate);
        EXPECT_LT(SeamCost(tone, loop.Start, loop.End, window), kGoodSeamCost) << c.Name;
        EXPECT_GT(SeamCost(tone, loop.Start, loop.End + halfPeriod, window), kGoodSeamCost) << c.Name;
    }
}

TEST(AutoLoopTest, NothingInSilenceAndOnlyInsideAGivenRegion)
{
    const std::vector<int16_t> silence(kRate, 0);
    EXPECT_TRUE(AutoLoops(silence, kRate, {}).empty());
    EXPECT_TRUE(AutoLoopEnds(silence, kRate, 100, {}).empty());
    const std::vector<int16_t> tone = MakeTone({.Period = 100.37, .Seconds = 2});
    // A sound too short for the steadiness rules still loops, inside its loud part.
    const std::vector<int16_t> blip = MakeTone({.Period = 150.3, .Seconds = 0.06, .AttackSeconds = 0.01, .ReleaseSeconds = 0.02});
    const auto blipLoops = AutoLoops(blip, kRate, {});
    ASSERT_EQ(blipLoops.size(), 1u);
    EXPECT_GE(blipLoops[0].Start, 441);
    EXPECT_LE(blipLoops[0].End, 2646 - 441);
    const auto ends = AutoLoopEnds(tone, kRate, 5000, {});
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].Start, 5000);
    EXPECT_LE(PeriodsOff(ends[0].Length(), 100.37), 1.0);
    const auto loops = AutoLoops(tone, kRate, {.From = 30000, .To = 36000, .FindSustainedPart = false, .Count = 3});
    ASSERT_EQ(loops.size(), 3u);
    for (const TLoopCandidate& loop : loops) {
        EXPECT_GE(loop.Start, 30000);
        EXPECT_LE(loop.End, 36000);
        EXPECT_GE(loop.Length(), 1500); // a quarter of the region, which is shorter than 0.4 s
    }
}

// Vowels spoken by espeak-ng: long ones must loop cleanly, a short one must
// still get a loop inside the sound.
TEST(AutoLoopTest, LoopsSpokenVowels)
{
    if (std::system("command -v espeak-ng >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "espeak-ng is not installed";
    struct TVowel {
        const char* Arguments;
        bool Clean;
    };
    const TVowel vowels[] = {{"-s 60 -v en 'ooooooo,'", true}, {"-s 60 -v de uuuuuu", true}, {"-s 300 -v en ah", false}};
    TTempDir dir;
    for (const TVowel& vowel : vowels) {
        const std::string path = dir.File("vowel.wav");
        ASSERT_EQ(std::system(("espeak-ng -w '" + path + "' " + vowel.Arguments).c_str()), 0);
        TWaveInfo wave;
        wave.LoadFromFile(path);
        const TSamples samples(wave.Data().data(), static_cast<std::size_t>(wave.SampleCount()));
        const auto loops = AutoLoops(samples, wave.SamplesPerSec(), {});
        ASSERT_EQ(loops.size(), 1u) << vowel.Arguments;
        const TLoopCandidate& loop = loops[0];
        const auto part = SustainedPart(samples, wave.SamplesPerSec(), {0, wave.SampleCount()},
                                        SamplesOfMs(100, wave.SamplesPerSec()));
        ASSERT_TRUE(part);
        EXPECT_GE(loop.Start, part->From);
        EXPECT_LE(loop.End, part->To);
        if (vowel.Clean) {
            EXPECT_LT(loop.Cost, kGoodSeamCost) << vowel.Arguments;
            EXPECT_GT(SeamCost(samples, loop.Start, loop.End + 37, 110), loop.Cost) << vowel.Arguments;
        }
    }
}

} // namespace
