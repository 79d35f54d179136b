// The waveform view's painting: full drawings, strips, marker lines and the
// cursor, on the back buffer (what lies beneath the lines) and the surface
// (what the window shows).

#include "view/GraphImage.h"

#include "view/GraphImagePixels.h"
#include "view/RasterCanvas.h"
#include "view/ViewMapping.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cstring>

using namespace graphimage;

namespace {

// The palette role that stands for a system colour index.
QPalette::ColorRole SystemColorRole(uint32_t Index)
{
    switch (Index) {
    case 5: return QPalette::Base;
    case 8: return QPalette::WindowText;
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;
    case 16: return QPalette::Dark;
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;
    default: return QPalette::Window;
    }
}

} // namespace

TViewMapping TGraphImage::Mapping() const { return TViewMapping{FViewStart, FViewEnd, width(), height()}; }

QRgb TGraphImage::ToRgb(TBgrColor Color) const
{
    if (Color.IsSystem())
        return palette().color(SystemColorRole(Color.SystemIndex())).rgb() & 0xFFFFFF;
    return qRgb(Color.Red(), Color.Green(), Color.Blue()) & 0xFFFFFF;
}

int32_t TGraphImage::SampleCount() const { return FWaveInfo ? FWaveInfo->SampleCount() : 0; }

// Incremental drawing needs both images at the current size; a size change
// not yet drawn (a widget resized while hidden) gets its full drawing first.
void TGraphImage::EnsureSurface()
{
    if (FSurface.size() != size() || FBackBuffer.size() != size())
        Redraw();
}

void TGraphImage::Present(const QRect& Rect)
{
    if (!Rect.isEmpty())
        update(Rect);
}

// Copies Rect of the back buffer onto the surface, over any line there.
void TGraphImage::ShowBase(const QRect& Rect)
{
    const QRect r = Rect & FSurface.rect();
    if (r.isEmpty())
        return;
    const auto bytes = static_cast<std::size_t>(r.width()) * sizeof(QRgb);
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::memcpy(FSurface.scanLine(y) + r.left() * sizeof(QRgb),
                    FBackBuffer.constScanLine(y) + r.left() * sizeof(QRgb), bytes);
    Present(r);
}

void TGraphImage::Redraw()
{
    for (QImage* image : {&FSurface, &FBackBuffer})
        if (image->size() != size())
            *image = QImage(size(), QImage::Format_RGB32);
    const TViewMapping m = Mapping();
    update();
    TRasterCanvas base(FBackBuffer);
    // Without a wave the view is blank, whatever span or selection it was
    // given, and shows no marker.
    if (FWaveInfo == nullptr) {
        base.FillRect(0, 0, m.Width, m.Height, kWhite);
    } else {
        // A reversed selection exists only in the middle of a drag; it is
        // shown as the span between its two ends.
        const int64_t lo = std::min(FSelectStart, FSelectEnd);
        const int64_t hi = std::max(FSelectStart, FSelectEnd);
        const int64_t xa = m.SampleToX(lo);
        const int64_t xb = m.SampleToX(hi);
        base.FillRect(0, 0, xa, m.Height, kWhite);
        base.FillRect(xb, 0, m.Width, m.Height, kWhite);
        base.FillRect(xa, 0, xb, m.Height, kBlack);
        PaintRange(lo, hi, kBlack, TPenMode::NotCopy);
        PaintRange(FViewStart, lo, kWhite, TPenMode::Copy);
        PaintRange(hi, FViewEnd, kWhite, TPenMode::Copy);
        PaintShade(lo, hi);
    }
    if (!FSurface.isNull())
        std::memcpy(FSurface.bits(), FBackBuffer.constBits(), static_cast<std::size_t>(FSurface.sizeInBytes()));
    DrawMarkers();
    // The full drawing holds no cursor line; the blinking brings it back at
    // its sample, so a zoom or a scroll leaves no line at the old column.
    FCursorShown = false;
}

// The shaded range on both sides of the selection [Lo, Hi), inside the view.
void TGraphImage::PaintShade(int64_t Lo, int64_t Hi)
{
    const auto paint = [this](int64_t A, int64_t B) {
        A = std::max<int64_t>(A, FViewStart);
        B = std::min<int64_t>(B, FViewEnd);
        if (A < B)
            PaintRange(A, B, kShade, TPenMode::Copy);
    };
    paint(FShadeStart, std::min<int64_t>(FShadeEnd, Lo));
    paint(std::max<int64_t>(FShadeStart, Hi), FShadeEnd);
}

// The columns of [A, B) in BackColor with their piece of the wave, on the
// back buffer; returns the pixels changed.
QRect TGraphImage::PaintRange(int64_t A, int64_t B, QRgb BackColor, TPenMode Mode)
{
    const TViewMapping m = Mapping();
    const QRect filled = TRasterCanvas(FBackBuffer).FillRect(m.SampleToX(A), 0, m.SampleToX(B), m.Height, BackColor);
    return filled | PaintWave(FBackBuffer, A, B, Mode);
}

void TGraphImage::DrawRange(int64_t A, int64_t B, QRgb BackColor, TPenMode Mode)
{
    ShowBase(PaintRange(A, B, BackColor, Mode));
}

// The span's samples have lines, and so has the wave's end once the span
// reaches it: a loop ending after the last sample marks that end, and no
// other span could show it.
bool TGraphImage::ShowsLine(int64_t Sample) const
{
    if (FWaveInfo == nullptr || width() <= 0)
        return false;
    return (FViewStart <= Sample && Sample < FViewEnd) || (Sample == FViewEnd && FViewEnd == SampleCount());
}

// The rounded column, kept on the view: where a column holds several samples
// the last ones round to the column just past the right edge.
int64_t TGraphImage::LineColumn(int64_t Sample) const
{
    const TViewMapping m = Mapping();
    return Clamp(m.SampleToXRound(Sample), 0, m.Width - 1);
}

// A full-height line in the column of Sample, rows 0 .. H-1; nothing for a
// sample without a line.
QRect TGraphImage::VLine(QImage& Target, int64_t Sample, QRgb Color) const
{
    if (!ShowsLine(Sample))
        return {};
    const int x = static_cast<int>(LineColumn(Sample));
    TRasterCanvas canvas(Target);
    canvas.SetPen(Color, TPenMode::Copy);
    canvas.MoveTo(x, 0);
    return canvas.LineTo(x, height());
}

void TGraphImage::DrawVLine(int64_t Sample, QRgb Color) { Present(VLine(FSurface, Sample, Color)); }

void TGraphImage::DrawMarker(const TMarkerStatus* Marker)
{
    if (Marker != nullptr)
        DrawVLine(Marker->Position, ToRgb(Marker->Color));
}

void TGraphImage::DrawMarkers()
{
    for (int i = 0; i < FMarkers.Count(); ++i)
        DrawMarker(FMarkers.Items(i));
}

// Wipes Marker's line: another marker in the same column (the last in map
// order) is drawn there instead, otherwise the column comes back from the
// back buffer.
void TGraphImage::EraseMarker(const TMarkerStatus* Marker)
{
    if (Marker == nullptr || !ShowsLine(Marker->Position))
        return;
    const int64_t x = LineColumn(Marker->Position);
    const TMarkerStatus* sharing = nullptr;
    for (int i = 0; i < FMarkers.Count(); ++i) {
        const TMarkerStatus* other = FMarkers.Items(i);
        if (other != Marker && ShowsLine(other->Position) && LineColumn(other->Position) == x)
            sharing = other;
    }
    if (sharing != nullptr)
        DrawVLine(sharing->Position, ToRgb(sharing->Color));
    else
        ShowBase(QRect(static_cast<int>(x), 0, 1, height()));
}

// Shown: a black line (white inside the selection). Hidden: with one sample
// per column, the background line with the wave's own piece of that column
// drawn again; with column extremes, the column from the back buffer; then
// the markers, so a marker line the cursor covered shows again.
void TGraphImage::DrawCursor(bool Shown)
{
    if (!ShowsLine(FCursor))
        return;
    const bool selected = FSelectStart <= FCursor && FCursor < FSelectEnd;
    if (Shown) {
        DrawVLine(FCursor, selected ? kWhite : kBlack);
        return;
    }
    if (DrawsPeaks()) {
        ShowBase(QRect(static_cast<int>(LineColumn(FCursor)), 0, 1, height()));
    } else {
        DrawVLine(FCursor, selected ? kBlack : kWhite);
        Present(PaintWave(FSurface, FCursor, FCursor, selected ? TPenMode::NotCopy : TPenMode::Copy));
    }
    DrawMarkers();
}

void TGraphImage::paintEvent(QPaintEvent* Event)
{
    QPainter painter(this);
    painter.drawImage(Event->rect(), FSurface, Event->rect());
    // The span frame: a blue tint edged on both sides, over what is drawn.
    if (FSpanFrameStart < FSpanFrameEnd && FViewStart < FViewEnd) {
        const TViewMapping m = Mapping();
        const int x0 = static_cast<int>(std::clamp<int64_t>(m.SampleToX(FSpanFrameStart), 0, width() - 1));
        const int x1 = static_cast<int>(std::clamp<int64_t>(m.SampleToX(FSpanFrameEnd), x0 + 1, width()));
        painter.fillRect(QRect(x0, 0, x1 - x0, height()), QColor(0, 90, 255, 48));
        painter.setPen(QColor(0, 70, 200));
        painter.drawRect(QRect(x0, 0, x1 - x0 - 1, height() - 1));
    }
}

void TGraphImage::resizeEvent(QResizeEvent*) { Redraw(); }
