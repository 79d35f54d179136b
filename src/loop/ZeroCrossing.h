#pragma once
// Zero crossings: where a wave changes sign. A rising crossing at i means
// x[i-1] < 0 <= x[i]; a falling one x[i-1] > 0 >= x[i]. Both loop points
// placed on crossings of the same slope make the seam jump between two
// samples on the same side of zero, which keeps the step at the seam small.
// Positions 0 (no sample before it) and the wave's length (no sample at it)
// are never crossings; silence and a constant signal have none.

#include "loop/SeamCost.h"

#include <cstdint>
#include <optional>

enum class TSlope { Rising, Falling };

bool IsZeroCrossing(TSamples Wave, int32_t Position, TSlope Slope);

// The crossing of Slope nearest to Position within Radius samples either
// way (|crossing - Position| <= Radius); of two equally near, the earlier.
// None when there is none.
std::optional<int32_t> NearestZeroCrossing(TSamples Wave, int32_t Position, TSlope Slope, int32_t Radius);

// The slope of the wave at Position: rising when x[Position] >= x[Position-1]
// (rising at the edges, where one of the two is missing).
TSlope SlopeAt(TSamples Wave, int32_t Position);
