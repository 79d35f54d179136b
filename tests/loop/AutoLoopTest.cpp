// The automatic loop on made tones, in silence, inside a given region and on
// spoken vowels.

#include "document/WaveInfo.h"
#include "loop/AutoLoop.h"
#include "loop/TestTones.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <cstdlib>
#include <limits>
#include <random>

namespace {

constexpr int32_t kRate = 44100;

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

// A struck sound (a hit of noise dying away) is looped whole, replaying the
// hit, up to where it has died away: a reverberant hit's trailing silence is
// left out. One that has not died away at its end, or swells first, is not.
TEST(AutoLoopTest, LoopsAStruckSoundWhole)
{
    struct TCase {
        double DecaySeconds, SwellSeconds, SilenceSeconds;
        bool Whole;
    };
    for (const TCase c : {TCase{0.008, 0.0, 0.0, true}, TCase{0.008, 0.0, 0.04, true}, TCase{1.0, 0.0, 0.0, false},
                          TCase{0.008, 0.03, 0.0, false}}) {
        std::mt19937 random(3);
        std::normal_distribution<double> noise(0.0, 8000.0);
        const auto sounding = static_cast<std::size_t>(0.06 * kRate);
        std::vector<int16_t> hit(sounding + static_cast<std::size_t>(c.SilenceSeconds * kRate));
        for (std::size_t i = 0; i < sounding; ++i) {
            const double t = static_cast<double>(i) / kRate, after = std::max(0.0, t - c.SwellSeconds);
            const double level = std::min(1.0, t / std::max(c.SwellSeconds, 1e-9)) * std::exp(-after / c.DecaySeconds);
            hit[i] = static_cast<int16_t>(std::clamp(level * noise(random), -32767.0, 32767.0));
        }
        const auto loops = AutoLoops(hit, kRate, {});
        const auto sounded = static_cast<int32_t>(sounding - sounding / 4);
        const bool whole = !loops.empty() && loops[0].Start == 1 && loops[0].End >= sounded &&
                           loops[0].End <= static_cast<int32_t>(sounding + SamplesOfMs(10, kRate));
        EXPECT_EQ(whole, c.Whole) << c.DecaySeconds << " " << c.SwellSeconds << " " << c.SilenceSeconds;
        if (whole) {
            EXPECT_LT(loops[0].Cost, kGoodSeamCost);
        }
    }
}

// A note dying fast after its strike is looped where it still sounds at
// about its full level, not in its quiet tail.
TEST(AutoLoopTest, LoopsAFastDyingNoteWhileItIsLoud)
{
    TTone tone;
    tone.Seconds = 0.5;
    tone.DecaySeconds = 0.02;
    tone.AttackSeconds = 0.002;
    const std::vector<int16_t> note = MakeTone(tone);
    const auto loops = AutoLoops(note, kRate, {});
    ASSERT_EQ(loops.size(), 1u);
    const auto meanSquare = [&](int32_t From, int32_t To) {
        double sum = 0;
        for (int32_t i = From; i < To; ++i)
            sum += static_cast<double>(note[static_cast<std::size_t>(i)]) * note[static_cast<std::size_t>(i)];
        return sum / (To - From);
    };
    double loudest = 0;
    for (int32_t from = 0; from + 882 <= static_cast<int32_t>(note.size()); from += 441)
        loudest = std::max(loudest, meanSquare(from, from + 882));
    EXPECT_GE(meanSquare(loops[0].Start, loops[0].End), 0.25 * loudest) << loops[0].Start << ".." << loops[0].End;
}

// A held note the maker trimmed right after its loop, fading by a few dB in
// its last frames, is sustained to its end; one fading out is not.
TEST(AutoLoopTest, SustainedPartRunsToATrimmedEnd)
{
    for (const auto& [fadeDb, toEnd] : {std::pair{6.0, true}, std::pair{40.0, false}}) {
        std::vector<int16_t> note(kRate);
        const double fadeFrom = 0.95;
        for (std::size_t i = 0; i < note.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            const double db = t < fadeFrom ? 0.0 : -fadeDb * (t - fadeFrom) / (1 - fadeFrom);
            note[i] = static_cast<int16_t>(std::lround(16000 * std::pow(10.0, db / 20) * std::sin(t * 2 * std::numbers::pi * 220)));
        }
        const auto part = SustainedPart(note, kRate, {1, kRate}, SamplesOfMs(100, kRate));
        ASSERT_TRUE(part);
        EXPECT_EQ(part->To == kRate, toEnd) << fadeDb << " dB: " << part->To;
    }
}

// A long steady sound is searched in its middle only, so the search time
// does not grow with the sound's length.
TEST(AutoLoopTest, LongSoundsAreSearchedInTheirMiddle)
{
    const TTone tone{.Period = 100.37, .Seconds = 90};
    const std::vector<int16_t> samples = MakeTone(tone);
    const auto loops = AutoLoops(samples, kRate, {});
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_GE(loops[0].Start, 35 * kRate);
    EXPECT_LE(loops[0].End, 55 * kRate);
    EXPECT_LE(PeriodsOff(loops[0].Length(), tone.Period), 1.0);
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

// A sampled waveform of a single cycle and a bit, shorter than two of the
// shortest loops, still loops over its cycle.
TEST(AutoLoopTest, LoopsAWaveformShorterThanTwoShortestLoops)
{
    std::vector<int16_t> saw(16);
    for (std::size_t i = 0; i < saw.size(); ++i)
        saw[i] = static_cast<int16_t>(-12000 + 2400 * static_cast<int>(i % 11));
    const auto loops = AutoLoops(saw, 22050, {});
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_GT(loops[0].Start, 0);
    EXPECT_EQ(loops[0].Length(), 11);
    EXPECT_EQ(SeamQualityOf(loops[0].Cost), TSeamQuality::Good);
}

// The results are ordered by the quality word of their seam costs, none
// starts at 0, and a wave without a rate has no loop (nothing to divide by).
TEST(AutoLoopTest, OrdersByRatingAndRefusesWhatItCannotMeasure)
{
    std::vector<int16_t> dither = MakeTone({.Period = 100, .Seconds = 1, .NoiseLevel = 0.3});
    for (int16_t& sample : dither)
        sample = static_cast<int16_t>(sample / 8 + 12000);
    const auto loops = AutoLoops(dither, kRate, {.FindSustainedPart = false, .Count = 3});
    ASSERT_FALSE(loops.empty());
    for (std::size_t i = 0; i < loops.size(); ++i) {
        EXPECT_GT(loops[i].Start, 0);
        EXPECT_GE(loops[i].Length(), kShortestLoopSamples);
        if (i > 0) {
            EXPECT_LE(SeamQualityOf(loops[i - 1].Cost), SeamQualityOf(loops[i].Cost)) << i;
            EXPECT_LE(loops[i - 1].Rank, loops[i].Rank) << i;
        }
    }
    EXPECT_TRUE(AutoLoops(dither, 0, {}).empty());
    EXPECT_TRUE(AutoLoopEnds(dither, 0, 100, {}).empty());
}

// A rate only says how long the samples last: above the fastest timed rate
// the same samples give the same loops, and a clean one.
TEST(AutoLoopTest, AnAbsurdRateFindsWhatTheFastestTimedRateFinds)
{
    const std::vector<int16_t> tone = MakeTone({.Period = 120.3, .Seconds = 0.2, .VibratoHz = 5, .VibratoDepth = 0.004});
    const auto capped = AutoLoops(tone, kFastestTimedRate, {.Count = 3});
    const auto absurd = AutoLoops(tone, std::numeric_limits<int32_t>::max(), {.Count = 3});
    ASSERT_EQ(capped.size(), absurd.size());
    for (std::size_t i = 0; i < capped.size(); ++i)
        EXPECT_EQ(std::pair(capped[i].Start, capped[i].End), std::pair(absurd[i].Start, absurd[i].End)) << i;
    ASSERT_FALSE(absurd.empty());
    EXPECT_EQ(SeamQualityOf(absurd[0].Cost), TSeamQuality::Good);
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
        const TSamples samples = wave.Samples();
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

namespace {

// A decaying tone whose partials drift apart (a stretched, piano-like
// series) has no long clean loop; a few of its periods late in the loud
// part join cleanly.
TEST(AutoLoopTest, DecayingInharmonicToneLoopsAFewPeriods)
{
    for (const double stretch : {0.0005, 0.001}) {
        std::vector<int16_t> tone(2 * kRate);
        for (std::size_t i = 0; i < tone.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            double value = 0;
            for (int h = 1; h <= 8; ++h)
                value += std::sin(2 * std::numbers::pi * h * 220 * std::sqrt(1 + stretch * h * h) * t) / h;
            tone[i] = static_cast<int16_t>(8000 * value * std::exp(-t) * std::min(1.0, t / 0.01));
        }
        const auto loops = AutoLoops(tone, kRate, {});
        ASSERT_FALSE(loops.empty()) << stretch;
        EXPECT_LT(loops[0].Cost, kGoodSeamCost) << stretch;
        EXPECT_LT(loops[0].Length(), kRate / 50) << stretch;
    }
}

} // namespace
