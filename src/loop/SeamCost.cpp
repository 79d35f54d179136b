#include "loop/SeamCost.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int32_t SamplesOfMs(double Ms, int32_t Rate)
{
    const double samples = std::round(Ms * Rate / 1000.0);
    if (!(samples >= 1)) // also NaN
        return 1;
    return static_cast<int32_t>(std::min(samples, 1e9));
}

TSeamWindow::TSeamWindow(int32_t Window) : FHalf(std::max<int32_t>(1, Window)), FWeights(2 * FHalf)
{
    for (int32_t k = -FHalf; k < FHalf; ++k)
        FWeights[k + FHalf] = 1.0f - static_cast<float>(k >= 0 ? k : -1 - k) / static_cast<float>(FHalf);
}

double TSeamWindow::Cost(TSamples Wave, int32_t Start, int32_t End) const
{
    const int32_t count = static_cast<int32_t>(Wave.size());
    const int32_t low = std::max({-FHalf, -Start, -End});
    const int32_t high = std::min({FHalf, count - Start, count - End});
    if (low >= high)
        return 1.0;
    return SeamSums(Wave.data() + End + low, Wave.data() + Start + low, FWeights.data() + FHalf + low, high - low)
        .Ratio();
}

double SeamCost(TSamples Wave, int32_t Start, int32_t End, int32_t Window)
{
    return TSeamWindow(Window).Cost(Wave, Start, End);
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
