// Zero crossings found, or not found, where they should be: the slope, the
// radius, the wave's edges, silence and DC.

#include "loop/TestTones.h"
#include "loop/ZeroCrossing.h"

#include <gtest/gtest.h>

namespace {

TEST(ZeroCrossingTest, NearestOfTheSlopeWithinTheRadius)
{
    // Rising crossings at 4 and 12, falling ones at 8 and 16.
    const std::vector<int16_t> square = {-5, -5, -5, -5, 5, 5, 5, 5, -5, -5, -5, -5, 5, 5, 5, 5, -5};
    struct TCase {
        int32_t Position;
        TSlope Slope;
        int32_t Radius;
        std::optional<int32_t> Expected;
    };
    const TCase cases[] = {
        {7, TSlope::Rising, 10, 4},   {9, TSlope::Rising, 10, 12},   {8, TSlope::Rising, 10, 4}, // tie: earlier
        {0, TSlope::Rising, 4, 4},    {0, TSlope::Rising, 3, {}},    {17, TSlope::Falling, 1, 16},
        {17, TSlope::Falling, 0, {}}, {-3, TSlope::Rising, 7, 4},    {11, TSlope::Falling, 2, {}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(NearestZeroCrossing(square, c.Position, c.Slope, c.Radius), c.Expected) << c.Position;
    EXPECT_EQ(SlopeAt(square, 4), TSlope::Rising);
    EXPECT_EQ(SlopeAt(square, 8), TSlope::Falling);
}

TEST(ZeroCrossingTest, NoneOnSilenceOrDc)
{
    for (const int16_t level : {0, 300, -300})
        for (const TSlope slope : {TSlope::Rising, TSlope::Falling})
            EXPECT_FALSE(NearestZeroCrossing(std::vector<int16_t>(100, level), 50, slope, 1000)) << level;
    EXPECT_FALSE(NearestZeroCrossing({}, 0, TSlope::Rising, 10));
}

} // namespace
