#include "loop/SeamCost.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <utility>

int32_t SamplesOfMs(double Ms, int32_t Rate)
{
    const double samples = std::round(Ms * Rate / 1000.0);
    if (!(samples >= 1)) // also NaN
        return 1;
    return static_cast<int32_t>(std::min(samples, 1e9));
}

int32_t TimedRate(int32_t Rate) { return std::min(Rate, kFastestTimedRate); }

TSeamWindow::TSeamWindow(int32_t HalfWindowSamples, std::size_t LongestWave)
    : FHalf(std::max<int32_t>(1, HalfWindowSamples)),
      FHeld(static_cast<int32_t>(std::clamp<std::size_t>(LongestWave, 1, static_cast<std::size_t>(FHalf)))),
      FWeights(static_cast<std::size_t>(FHeld))
{
    for (int32_t k = -FHeld; k < 0; ++k)
        FWeights[k + FHeld] = 1.0f - static_cast<float>(-1 - k) / static_cast<float>(FHalf);
    FMirrored.assign(FWeights.rbegin(), FWeights.rend());
}

double TSeamWindow::CostAtWaveStart(TSamples Wave, int32_t End) const
{
    const int32_t count = std::min(FHalf, static_cast<int32_t>(Wave.size()) - End);
    if (count <= 0)
        return 1.0;
    // The ramp read from the seam outwards.
    return SeamSums(Wave.data() + End, Wave.data(), FMirrored.data(), count).Ratio();
}

double TSeamWindow::Cost(TSamples Wave, int32_t Start, int32_t End) const
{
    if (End < Start)
        std::swap(Start, End);
    const int32_t length = End - Start;
    if (length < kShortestLoopSamples)
        return 2.0;
    const int32_t low = std::max(-FHalf, -Start);
    if (low >= 0)
        return CostAtWaveStart(Wave, End);
    assert(-low <= FHeld);
    const float* weights = FWeights.data() + FHeld + low;
    TSeamSums sums;
    if (-low <= length) {
        sums = SeamSums(Wave.data() + End + low, Wave.data() + Start + low, weights, -low);
    } else {
        // The loop is shorter than the window: before its end the listener
        // hears the loop again.
        thread_local std::vector<int16_t> played;
        played.resize(static_cast<std::size_t>(-low));
        int32_t from = End;
        for (auto sample = played.rbegin(); sample != played.rend(); ++sample) {
            if (--from < Start)
                from = End - 1;
            *sample = Wave[static_cast<std::size_t>(from)];
        }
        sums = SeamSums(played.data(), Wave.data() + Start + low, weights, -low);
    }
    return sums.Ratio(FollowingLevel(Wave, Start, length, sums.Mean()));
}

double TSeamWindow::FollowingLevel(TSamples Wave, int32_t Start, int32_t Length, double Mean) const
{
    const int32_t count = std::min({FHalf, Length, static_cast<int32_t>(Wave.size()) - Start});
    const int16_t* played = Wave.data() + Start;
    // Energy and Sum of a stretch against itself are twice its own.
    const TSeamSums sums = SeamSums(played, played, FMirrored.data(), count);
    return sums.Energy - 2 * Mean * sums.Sum + 2 * Mean * Mean * sums.Weight;
}

double SeamCost(TSamples Wave, int32_t Start, int32_t End, int32_t HalfWindowSamples)
{
    return TSeamWindow(HalfWindowSamples, Wave.size()).Cost(Wave, Start, End);
}

TSeamQuality SeamQualityOf(double Cost)
{
    if (Cost < kGoodSeamCost)
        return TSeamQuality::Good;
    return Cost < kFairSeamCost ? TSeamQuality::Fair : TSeamQuality::Poor;
}

const char* SeamQualityName(TSeamQuality Quality)
{
    switch (Quality) {
    case TSeamQuality::Good:
        return "good";
    case TSeamQuality::Fair:
        return "fair";
    case TSeamQuality::Poor:
        break;
    }
    return "poor";
}
