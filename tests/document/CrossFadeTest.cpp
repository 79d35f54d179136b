// The crossfade law on its own: the join it makes, the level it keeps for
// alike and for unrelated stretches, and where it clips.

#include "document/CrossFade.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<int16_t> Noise(std::size_t Count, unsigned Seed, double Rms)
{
    std::mt19937 random(Seed);
    std::normal_distribution<double> normal(0.0, Rms);
    std::vector<int16_t> samples(Count);
    for (int16_t& s : samples)
        s = static_cast<int16_t>(std::clamp(std::lround(normal(random)), -32768L, 32767L));
    return samples;
}

double RmsOf(const std::vector<int16_t>& Samples, std::size_t From, std::size_t Count)
{
    double sum = 0;
    for (std::size_t i = From; i < From + Count; ++i)
        sum += double(Samples[i]) * Samples[i];
    return std::sqrt(sum / double(Count));
}

// Alike stretches (r = 1) fade with equal gain, so a stretch faded into its
// own copy comes out unchanged; unrelated noise of equal level (r near 0)
// keeps its level through the fade, where equal gain would dip by 3 dB in
// the middle. The last sample is always the one before the loop start.
TEST(CrossFade, KeepsTheLevelForAlikeAndForUnrelatedStretches)
{
    constexpr int32_t N = 8000, S = 10000, E = 30000;
    std::vector<int16_t> alike = Noise(40000, 1, 3000);
    std::copy(alike.begin() + (S - N), alike.begin() + S, alike.begin() + (E - N));
    EXPECT_DOUBLE_EQ(FadeLikeness({alike.data() + E - N, N}, {alike.data() + S - N, N}), 1.0);
    EXPECT_EQ(FadedStretch(alike, {S, E}, N), std::vector<int16_t>(alike.begin() + (E - N), alike.begin() + E));

    const std::vector<int16_t> noise = Noise(40000, 2, 3000);
    EXPECT_LT(FadeLikeness({noise.data() + E - N, N}, {noise.data() + S - N, N}), 0.05);
    const std::vector<int16_t> faded = FadedWave(noise, {S, E}, N);
    for (std::size_t from = E - N; from < E; from += N / 4) {
        const double dB = 20 * std::log10(RmsOf(faded, from, N / 4) / 3000.0);
        EXPECT_NEAR(dB, 0.0, 0.5) << "at " << from;
    }
    EXPECT_EQ(faded[E - 1], noise[S - 1]);
    EXPECT_TRUE(std::equal(faded.begin(), faded.begin() + (E - N), noise.begin()));
    EXPECT_TRUE(std::equal(faded.begin() + E, faded.end(), noise.begin() + E));
}

// Loud stretches that are alike but not the same sum above full scale in
// the middle of the fade: the blend clips instead of wrapping round.
TEST(CrossFade, ClipsAtFullScale)
{
    std::vector<int16_t> wave(400, 0);
    for (std::size_t i = 0; i < 100; ++i) {
        wave[100 + i] = i % 2 ? 32767 : 0; // before the start
        wave[300 + i] = 32767;              // before the end
    }
    const std::vector<int16_t> faded = FadedStretch(wave, {200, 400}, 100);
    EXPECT_EQ(*std::max_element(faded.begin(), faded.end()), 32767);
    EXPECT_GT(*std::min_element(faded.begin(), faded.begin() + 98), 0);
}

} // namespace
