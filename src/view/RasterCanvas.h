#pragma once
// Pixel drawing on a 32-bit image under the raster rules the waveform view is
// built on, so that every operation leaves exactly predictable pixels:
// - rectangles are half-open: (l, t, r, b) covers columns l .. r-1 and rows
//   t .. b-1, and one with r <= l or b <= t covers nothing;
// - a line paints every pixel from its start point up to, not including, its
//   end point (a zero-length line paints nothing);
// - the pen paints its colour (copy) or that colour's bitwise inverse
//   (not-copy), whatever lies beneath.
// Everything is clipped to the image. Each operation returns the rectangle of
// pixels it may have changed, for the caller to repaint.

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>

enum class TPenMode { Copy, NotCopy };

class TRasterCanvas {
public:
    // Draws on Image, which must be in QImage::Format_RGB32 (or null).
    explicit TRasterCanvas(QImage& Image);

    QRect FillRect(int64_t Left, int64_t Top, int64_t Right, int64_t Bottom, QRgb Color);

    void SetPen(QRgb Color, TPenMode Mode);
    void MoveTo(int X, int Y) { FPos = QPoint(X, Y); }
    // Line from the current position to (X, Y) with the pen; (X, Y) becomes
    // the current position and is not painted.
    QRect LineTo(int X, int Y);

    // One pixel in Color, regardless of the pen.
    QRect SetPixel(int X, int Y, QRgb Color);

    // Copies column X from Source (same format) onto the same column, over
    // the rows both images have.
    QRect CopyColumn(const QImage& Source, int X);

private:
    bool Inside(int X, int Y) const { return X >= 0 && Y >= 0 && X < FWidth && Y < FHeight; }
    QRgb* Row(int Y) { return reinterpret_cast<QRgb*>(FBits + static_cast<qsizetype>(Y) * FStride); }

    QImage& FImage;
    uchar* FBits;
    qsizetype FStride;
    int FWidth;
    int FHeight;
    QRgb FPenPixel = 0xFF000000;
    QPoint FPos;
};
