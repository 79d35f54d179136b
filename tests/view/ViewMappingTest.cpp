#include "view/ViewMapping.h"

#include <gtest/gtest.h>

namespace {

TEST(ViewMappingTest, RoundingAndClampingRules)
{
    EXPECT_EQ(RoundHalfAway(0.5L), 1);
    EXPECT_EQ(RoundHalfAway(1.5L), 2);
    EXPECT_EQ(RoundHalfAway(2.5L), 3);
    EXPECT_EQ(RoundHalfAway(-0.5L), -1);
    EXPECT_EQ(RoundHalfAway(-2.5L), -3);
    EXPECT_EQ(RoundHalfAway(0.49L), 0);
    EXPECT_EQ(Clamp(-1, 0, 9), 0);
    EXPECT_EQ(Clamp(10, 0, 9), 9);
    EXPECT_EQ(Clamp(5, 0, -1), -1); // an empty range: the upper bound after the lower
    EXPECT_EQ(Clamp(-5, 0, -1), 0);
}

TEST(ViewMappingTest, SamplesAndColumnsOnSixtyFourBits)
{
    // One hour at 44.1 kHz over 1600 columns: the products exceed 32 bits.
    const TViewMapping m{0, 158'760'000, 1600, 400};
    EXPECT_EQ(m.SampleToX(158'760'000), 1600);
    EXPECT_EQ(m.SampleToX(99'224), 0);
    EXPECT_EQ(m.SampleToX(99'225), 1);
    EXPECT_EQ(m.XToSample(1599), 158'660'775);
    EXPECT_EQ(m.XToSampleRound(1600), 158'760'000);

    // Truncation goes toward zero on both sides of the view start.
    const TViewMapping zoom{10, 14, 10, 72};
    EXPECT_EQ(zoom.SampleToX(11), 2);      // 2.5 truncated
    EXPECT_EQ(zoom.SampleToXRound(11), 3); // 2.5 rounded away from zero
    EXPECT_EQ(zoom.SampleToX(9), -2);      // -2.5 truncated toward zero
    EXPECT_EQ(zoom.SampleToXRound(9), -3);
    EXPECT_EQ(zoom.XToSample(3), 11);      // 11.2
    EXPECT_EQ(zoom.XToSampleRound(9), 14); // 13.6

    const TViewMapping empty{7, 7, 100, 72};
    EXPECT_EQ(empty.SampleToX(1000), 0);
    EXPECT_EQ(empty.SampleToXRound(-1000), 0);
    EXPECT_EQ(empty.XToSample(50), 7);
    EXPECT_EQ((TViewMapping{0, 100, 0, 72}.XToSampleRound(5)), 0);
}

} // namespace
