#include "view/RasterCanvas.h"

#include <gtest/gtest.h>

namespace {

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
