#include "loop/ZeroCrossing.h"

#include <algorithm>

bool IsZeroCrossing(TSamples Wave, int32_t Position, TSlope Slope)
{
    if (Position < 1 || Position >= static_cast<int32_t>(Wave.size()))
        return false;
    const int16_t before = Wave[Position - 1];
    const int16_t at = Wave[Position];
    return Slope == TSlope::Rising ? before < 0 && at >= 0 : before > 0 && at <= 0;
}

std::optional<int32_t> NearestZeroCrossing(TSamples Wave, int32_t Position, TSlope Slope, int32_t Radius)
{
    const int64_t count = static_cast<int64_t>(Wave.size());
    for (int64_t distance = 0; distance <= Radius; ++distance) {
        const int64_t before = int64_t{Position} - distance;
        const int64_t after = int64_t{Position} + distance;
        if (before < 1 && after >= count)
            break;
        if (before >= 1 && IsZeroCrossing(Wave, static_cast<int32_t>(before), Slope))
            return static_cast<int32_t>(before);
        if (after < count && IsZeroCrossing(Wave, static_cast<int32_t>(after), Slope))
            return static_cast<int32_t>(after);
    }
    return std::nullopt;
}

TSlope SlopeAt(TSamples Wave, int32_t Position)
{
    if (Position < 1 || Position >= static_cast<int32_t>(Wave.size()))
        return TSlope::Rising;
    return Wave[Position] >= Wave[Position - 1] ? TSlope::Rising : TSlope::Falling;
}
