#include "document/WavePeaks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

// Small noise with spikes on both sides of every block edge, so a block
// boundary off by one shows in the extremes.
std::vector<int16_t> Spiky(std::size_t count)
{
    std::mt19937 random(7);
    std::vector<int16_t> samples(count);
    for (int16_t& s : samples)
        s = static_cast<int16_t>(static_cast<int>(random() % 201) - 100);
    int16_t spike = 1000;
    for (std::size_t level = 0; level < TWavePeaks::kLevels; ++level)
        for (std::size_t edge = TWavePeaks::BlockSize(level); edge < count; edge += TWavePeaks::BlockSize(level) * 3) {
            samples[edge - 1] = spike++;
            samples[edge] = static_cast<int16_t>(-spike++);
        }
    return samples;
}

TEST(WavePeaksTest, RangesMatchAScanOfTheSamples)
{
    const std::vector<int16_t> samples = Spiky(200'000 + 77);
    const TWavePeaks peaks(samples.data(), samples.size());
    std::vector<std::pair<std::size_t, std::size_t>> spans = {
        {0, 1}, {127, 129}, {0, 128}, {128, 2048}, {2047, 32769}, {1, samples.size()}, {98'303, 98'304},
        {samples.size() - 200, samples.size()},
    };
    std::mt19937 random(3);
    for (int i = 0; i < 300; ++i) {
        const std::size_t a = random() % samples.size();
        const std::size_t length = 1 + random() % (i < 150 ? 5000 : samples.size() - a);
        spans.emplace_back(a, std::min(a + length, samples.size()));
    }
    for (auto [first, last] : spans) {
        const auto [lo, hi] = std::minmax_element(samples.begin() + first, samples.begin() + last);
        const TSampleRange range = peaks.Range(first, last);
        ASSERT_EQ(range.Min, *lo) << first << ".." << last;
        ASSERT_EQ(range.Max, *hi) << first << ".." << last;
    }
}

TEST(WavePeaksTest, EmptySpansAreSilenceAndTheSummaryStaysSmall)
{
    const TWavePeaks none;
    EXPECT_EQ(none.Range(0, 10).Max, 0);
    const std::vector<int16_t> samples(1'000'000, -5);
    const TWavePeaks peaks(samples.data(), samples.size());
    EXPECT_EQ(peaks.Range(10, 10).Min, 0);
    EXPECT_EQ(peaks.Range(999'990, 2'000'000).Min, -5); // the end is bounded by the samples
    EXPECT_LE(peaks.MemoryBytes(), samples.size() * sizeof(int16_t) / 50);
}

} // namespace
