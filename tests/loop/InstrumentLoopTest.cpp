// Loops on sampled instruments whose makers set them by hand (read from the
// installed sound libraries, never copied here), and a made sound built the
// way such loops are: the seam cost rates a clean played join good whatever
// follows the loop end, the automatic loop is as clean as the maker's, and
// the loop found with its automatic crossfade is mostly good after it.

#include "loop/AutoLoop.h"
#include "loop/LoopFinder.h"
#include "loop/TestTones.h"
#include "support/InstrumentSamples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

TSeamQuality QualityOf(const TInstrumentSample& Sound, int32_t Start, int32_t End)
{
    return SeamQualityOf(SeamCost(Sound.Samples, Start, End, SamplesOfMs(kDefaultSeamWindowMs, Sound.Rate)));
}

// Bakes a crossfade into the Fade samples before Sound's loop end, from
// Tone there into Tone before the loop start, as sound designers do.
void CrossFadeBeforeEnd(TInstrumentSample& Sound, const std::vector<int16_t>& Tone, int32_t Fade)
{
    const int32_t start = Sound.LoopStart, end = Sound.LoopEnd;
    for (int32_t i = end - Fade; i < end; ++i) {
        const double t = static_cast<double>(i - (end - Fade) + 1) / Fade;
        Sound.Samples[static_cast<std::size_t>(i)] = static_cast<int16_t>(
            std::lround((1 - t) * Tone[static_cast<std::size_t>(i)] + t * Tone[static_cast<std::size_t>(i - (end - start))]));
    }
}

// A tone whose level and pitch drift slowly, looped over whole cycles of the
// drift, with the last 20 ms before the loop end crossfaded into the sound
// before the loop start, and the file cut a few samples after the end (or
// right at it).
TEST(InstrumentLoopTest, ADesignerStyleLoopIsRatedGood)
{
    constexpr int32_t kRate = 44100;
    const std::vector<int16_t> tone =
        MakeTone({.Period = 163.3, .Seconds = 2, .VibratoHz = 2, .VibratoDepth = 0.004, .NoiseLevel = 0.002});
    const int32_t start = 22050, end = start + 44091; // 270 periods, about two cycles of the drift
    const int32_t fade = SamplesOfMs(20, kRate);
    for (const int32_t after : {0, 5, 46}) {
        TInstrumentSample sound{"designer", kRate, {tone.begin(), tone.begin() + end + after}, start, end};
        CrossFadeBeforeEnd(sound, tone, fade);
        for (int32_t i = end; i < end + after; ++i) // what follows the end is trimmed to silence
            sound.Samples[static_cast<std::size_t>(i)] = 0;
        ASSERT_LT(JoinMismatch(sound, start, end), 0.03) << after;
        EXPECT_EQ(QualityOf(sound, start, end), TSeamQuality::Good) << after;
        const auto loops = AutoLoops(sound.Samples, kRate, {});
        ASSERT_FALSE(loops.empty()) << after;
        EXPECT_LE(JoinMismatch(sound, loops[0].Start, loops[0].End), JoinMismatch(sound, start, end) + 0.005) << after;
    }
}

// A note whose level swings deeply (20 dB) and slowly, its pitch with it,
// which its maker looped over two whole swings up to the end of the file,
// crossfaded there: the sound stops loud though its level dips on the way,
// and the loop that ends at its end is found.
TEST(InstrumentLoopTest, ALoopEndingWhereASwingingNoteStopsIsFound)
{
    constexpr int32_t kRate = 44100;
    constexpr int32_t kSwing = kRate * 2 / 3; // samples per swing of the level
    const int32_t start = kRate / 2, end = start + 2 * kSwing, fade = SamplesOfMs(20, kRate);
    std::vector<int16_t> tone = MakeTone(
        {.Period = kSwing / 240.0, .Seconds = 2, .VibratoHz = 1.5, .VibratoDepth = 0.004, .NoiseLevel = 0.002});
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<int16_t>(std::lround(
            tone[i] * (0.55 + 0.45 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / kSwing))));
    TInstrumentSample sound{"swinging", kRate, {tone.begin(), tone.begin() + end}, start, end};
    CrossFadeBeforeEnd(sound, tone, fade);
    const auto loops = AutoLoops(sound.Samples, kRate, {});
    ASSERT_FALSE(loops.empty());
    EXPECT_LE(JoinMismatch(sound, loops[0].Start, loops[0].End), JoinMismatch(sound, start, end) + 0.005)
        << loops[0].Start << ".." << loops[0].End;
}

std::vector<TInstrumentSample> EveryNth(std::vector<TInstrumentSample> Sounds, std::size_t N)
{
    std::vector<TInstrumentSample> kept;
    for (std::size_t i = 0; i < Sounds.size(); i += N)
        kept.push_back(std::move(Sounds[i]));
    return kept;
}

// Every 8th looped sample of each library; the shares are what this finder
// reached when they were set, less a margin.
TEST(InstrumentLoopTest, MakersLoopsAreRatedByTheirJoinAndMatchedByTheAutomaticLoop)
{
    struct TLibrary {
        const char* Name;
        std::vector<TInstrumentSample> Sounds;
        double AsCleanShare;
        double GoodFadedShare; // good after the automatic crossfade
    };
    TLibrary libraries[] = {{"soundfont", ReadSoundFontSamples(kSoundFontPath), 0.85, 0.6},
                            {"patches", ReadPatchSamples(kPatchFolder), 0.85, 0.95}};
    if (libraries[0].Sounds.empty() || libraries[1].Sounds.empty())
        GTEST_SKIP() << "the sound libraries timgm6mb-soundfont and freepats are not installed (scripts/install-deps)";
    for (TLibrary& library : libraries) {
        int asClean = 0, clean = 0, good = 0, poor = 0, goodFaded = 0;
        TLoopRequest faded;
        faded.AutomaticFade = true;
        const auto sounds = EveryNth(std::move(library.Sounds), 8);
        for (const TInstrumentSample& sound : sounds) {
            const double maker = JoinMismatch(sound, sound.LoopStart, sound.LoopEnd);
            const auto loops = AutoLoops(sound.Samples, sound.Rate, {});
            const double ours = loops.empty() ? kNoAnswer : JoinMismatch(sound, loops[0].Start, loops[0].End);
            asClean += ours <= maker + 0.005 || ours < 0.01;
            goodFaded += SeamQualityOf(TLoopFinder(sound.Samples, sound.Rate).WholeWave(faded).Loops[0].Cost) ==
                         TSeamQuality::Good;
            if (maker < 0.03) {
                ++clean;
                good += QualityOf(sound, sound.LoopStart, sound.LoopEnd) == TSeamQuality::Good;
                poor += QualityOf(sound, sound.LoopStart, sound.LoopEnd) == TSeamQuality::Poor;
            }
        }
        EXPECT_GE(asClean, library.AsCleanShare * static_cast<double>(sounds.size())) << library.Name;
        EXPECT_GE(goodFaded, library.GoodFadedShare * static_cast<double>(sounds.size()))
            << library.Name << " " << goodFaded << " of " << sounds.size();
        EXPECT_GE(good, 0.9 * clean) << library.Name;
        EXPECT_EQ(poor, 0) << library.Name;
    }
}

} // namespace
