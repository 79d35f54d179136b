#include "view/RasterCanvas.h"
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

TEST(RasterCanvasTest, LinesLeaveOutTheirEndPointAndNotCopyInverts)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    TRasterCanvas canvas(image);
    canvas.SetPen(0x0000FF, TPenMode::NotCopy);
    canvas.MoveTo(1, 2);
    canvas.LineTo(5, 2);
    for (int x = 1; x < 5; ++x)
        EXPECT_EQ(image.pixel(x, 2) & 0xFFFFFF, 0xFFFF00u) << x;
    EXPECT_EQ(image.pixel(5, 2) & 0xFFFFFF, 0xFFFFFFu);

    // A steep line paints one pixel per row; a zero-length line none.
    canvas.SetPen(0x000000, TPenMode::Copy);
    canvas.MoveTo(0, 0);
    const QRect touched = canvas.LineTo(2, 7);
    int painted = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 3; ++x)
            painted += (image.pixel(x, y) & 0xFFFFFF) == 0;
    EXPECT_EQ(painted, 7);
    EXPECT_TRUE(touched.contains(QRect(0, 0, 3, 7)));
    canvas.LineTo(2, 7);
    EXPECT_EQ(image.pixel(2, 7) & 0xFFFFFF, 0xFFFFFFu);

    // Fills are half-open and clipped.
    EXPECT_TRUE(canvas.FillRect(3, 0, 3, 8, 0).isEmpty());
    EXPECT_EQ(canvas.FillRect(6, -5, 100, 1, 0x123456), QRect(6, 0, 2, 1));
    EXPECT_EQ(image.pixel(7, 0) & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(image.pixel(5, 0) & 0xFFFFFF, 0xFFFFFFu);
}

} // namespace
