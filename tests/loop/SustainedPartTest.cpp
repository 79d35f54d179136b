// Whether a held part decays: by its level, or by its brightness alone (a
// pluck whose level distortion holds), and not when it holds still.

#include "loop/SustainedPart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr int32_t kRate = 44100;

// A second of a tone and its 8th harmonic at Level(t) and Harmonic(t)
// relative to the fundamental; with Held the level is set so that the mean
// square stays that of Level whatever the harmonic does.
template <class TLevel, class THarmonic>
std::vector<int16_t> TwoPartials(TLevel Level, THarmonic Harmonic, bool Held)
{
    std::vector<int16_t> wave(kRate);
    for (std::size_t i = 0; i < wave.size(); ++i) {
        const double t = static_cast<double>(i) / kRate, phase = 2 * std::numbers::pi * 220.0 * t;
        const double harmonic = Harmonic(t), scale = Held ? 1.0 / std::sqrt(1 + harmonic * harmonic) : 1.0;
        wave[i] = static_cast<int16_t>(std::lround(12000 * Level(t) * scale * (std::sin(phase) + harmonic * std::sin(8 * phase))));
    }
    return wave;
}

TEST(SustainedPartTest, DecaysByLevelOrBrightness)
{
    const auto steady = [](double) { return 1.0; };
    const auto fading = [](double t) { return std::exp(-t / 0.3); };
    const auto fadingAtTheEnd = [](double t) { return t < 0.9 ? 1.0 : 0.3; };
    struct TCase {
        const char* Name;
        std::vector<int16_t> Wave;
        bool Decays;
    };
    const TCase cases[] = {
        {"held still", TwoPartials(steady, [](double) { return 0.5; }, false), false},
        {"level falling", TwoPartials(fading, [](double) { return 0.5; }, false), true},
        {"dulling at a held level", TwoPartials(steady, fading, true), true},
        {"fading only at its end", TwoPartials(fadingAtTheEnd, [](double) { return 0.5; }, false), false},
    };
    const TRegion part{0, kRate};
    for (const TCase& c : cases)
        EXPECT_EQ(Decays(c.Wave, part, FrameOf(kRate, part)), c.Decays) << c.Name;
}

} // namespace
