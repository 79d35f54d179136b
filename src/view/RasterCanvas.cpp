#include "view/RasterCanvas.h"

#include <algorithm>
#include <cstdlib>

TRasterCanvas::TRasterCanvas(QImage& Image)
    : FImage(Image),
      FBits(Image.isNull() ? nullptr : Image.bits()),
      FStride(Image.bytesPerLine()),
      FWidth(Image.isNull() ? 0 : Image.width()),
      FHeight(Image.isNull() ? 0 : Image.height())
{
}

QRect TRasterCanvas::FillRect(int64_t Left, int64_t Top, int64_t Right, int64_t Bottom, QRgb Color)
{
    const int l = static_cast<int>(std::clamp<int64_t>(Left, 0, FWidth));
    const int r = static_cast<int>(std::clamp<int64_t>(Right, 0, FWidth));
    const int t = static_cast<int>(std::clamp<int64_t>(Top, 0, FHeight));
    const int b = static_cast<int>(std::clamp<int64_t>(Bottom, 0, FHeight));
    if (r <= l || b <= t)
        return {};
    const QRgb pixel = 0xFF000000 | Color;
    for (int y = t; y < b; ++y)
        std::fill(Row(y) + l, Row(y) + r, pixel);
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

void TRasterCanvas::SetPen(QRgb Color, TPenMode Mode)
{
    FPenPixel = 0xFF000000 | (Mode == TPenMode::Copy ? Color : ~Color);
}

// Integer line walk that steps diagonally where both axes advance, so a line
// of extent (dx, dy) paints max(|dx|, |dy|) pixels, its end point excluded.
QRect TRasterCanvas::LineTo(int X, int Y)
{
    int x = FPos.x();
    int y = FPos.y();
    const int dx = std::abs(X - x);
    const int dy = -std::abs(Y - y);
    const int sx = x < X ? 1 : -1;
    const int sy = y < Y ? 1 : -1;
    int error = dx + dy;
    while (x != X || y != Y) {
        if (Inside(x, y))
            Row(y)[x] = FPenPixel;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
    const QRect touched = QRect(FPos, QPoint(X, Y)).normalized() & QRect(0, 0, FWidth, FHeight);
    FPos = QPoint(X, Y);
    return touched;
}

QRect TRasterCanvas::SetPixel(int X, int Y, QRgb Color)
{
    if (!Inside(X, Y))
        return {};
    Row(Y)[X] = 0xFF000000 | Color;
    return QRect(X, Y, 1, 1);
}

QRect TRasterCanvas::CopyColumn(const QImage& Source, int X)
{
    if (Source.isNull() || Source.format() != FImage.format() || X < 0 || X >= FWidth || X >= Source.width())
        return {};
    const int rows = std::min(FHeight, Source.height());
    for (int y = 0; y < rows; ++y)
        Row(y)[X] = reinterpret_cast<const QRgb*>(Source.constScanLine(y))[X];
    return rows > 0 ? QRect(X, 0, 1, rows) : QRect();
}
