// The wave in the waveform view: one sample per column joined by lines where
// the span is no wider than the view, each column's extremes where it is.

#include "view/GraphImage.h"

#include "view/GraphImagePixels.h"
#include "view/RasterCanvas.h"
#include "view/ViewMapping.h"

#include <algorithm>

using namespace graphimage;

// Columns cover more than one sample only when the span is wider than the view.
bool TGraphImage::DrawsPeaks() const
{
    return FPeakDrawing && FWaveInfo != nullptr && int64_t{FViewEnd} - FViewStart > width();
}

// The wave's piece for the samples [A, B) on Target; returns the pixels changed.
QRect TGraphImage::PaintWave(QImage& Target, int64_t A, int64_t B, TPenMode Mode) const
{
    if (FWaveInfo == nullptr)
        return {};
    return DrawsPeaks() ? PaintPeaks(Target, A, B, Mode) : PaintLines(Target, A, B, Mode);
}

// The sample drawn in column X, with the index kept inside the array even when
// a caller's view reaches past the wave; silence for an empty wave.
int16_t TGraphImage::SampleInColumn(int64_t X) const
{
    const TWaveData& data = FWaveInfo->Data();
    if (data.empty())
        return 0;
    const int64_t index = Clamp(Mapping().XToSample(X), 0, static_cast<int64_t>(data.size()) - 1);
    return data[static_cast<std::size_t>(index)];
}

// The samples [A, B) as one sample per column joined by lines, starting with
// the segment from the column before so the strip joins its neighbour. Costs
// one sample lookup and one line per column, whatever the wave's length.
QRect TGraphImage::PaintLines(QImage& Target, int64_t A, int64_t B, TPenMode Mode) const
{
    const TViewMapping m = Mapping();
    // Columns past W + 1 lie wholly off the surface; bounding x0 there keeps
    // the column arithmetic small without changing a visible pixel.
    const int64_t x0 = std::min(std::max<int64_t>(m.SampleToX(A), 0), m.Width + 1);
    const int64_t x1 = std::min(m.SampleToX(B), m.Width);
    const auto point = [&](int64_t x) {
        return QPoint(static_cast<int>(x), static_cast<int>(m.SampleToY(SampleInColumn(x))));
    };

    TRasterCanvas canvas(Target);
    canvas.SetPen(kWaveBlue, Mode);
    QRect touched;
    const QPoint first = point(x0);
    if (m.XToSample(x0 - 1) >= 0) {
        const QPoint before = point(x0 - 1);
        canvas.MoveTo(before.x(), before.y());
        touched |= canvas.LineTo(first.x(), first.y());
    } else {
        canvas.MoveTo(first.x(), first.y());
    }
    for (int64_t x = x0; x < x1; ++x) {
        const QPoint p = point(x);
        touched |= canvas.LineTo(p.x(), p.y());
    }
    if (x1 >= 1 && m.XToSample(x1) < SampleCount() && x1 < m.Width) {
        const QPoint last = point(x1);
        touched |= canvas.LineTo(last.x(), last.y());
    }
    if (x0 == x1)
        touched |= canvas.SetPixel(first.x(), first.y(), kWaveBlue);
    return touched;
}

// The columns of [A, B), each a vertical line from its largest to its
// smallest sample. A column takes the samples from its own first one up to
// and including the next column's first, so neighbouring columns meet as
// the joined samples would. A strip that covers no column paints nothing.
QRect TGraphImage::PaintPeaks(QImage& Target, int64_t A, int64_t B, TPenMode Mode) const
{
    const TViewMapping m = Mapping();
    // Bounding x0 by the width keeps XToSample on 64 bits for any span.
    const int64_t x0 = std::clamp<int64_t>(m.SampleToX(A), 0, m.Width);
    const int64_t x1 = std::min(m.SampleToX(B), m.Width);
    const TWavePeaks& peaks = FWaveInfo->Peaks();
    const int64_t last = static_cast<int64_t>(peaks.Count()) - 1;

    TRasterCanvas canvas(Target);
    canvas.SetPen(kWaveBlue, Mode);
    QRect touched;
    // Memory is asked for a few columns ahead: on a long wave every column
    // reads its own far-off stretch of samples.
    constexpr int64_t kAhead = 8;
    for (int64_t x = x0; x < std::min(x0 + kAhead, x1); ++x)
        peaks.Prefetch(static_cast<std::size_t>(Clamp(m.XToSample(x + 1), 0, last)));
    int64_t first = Clamp(m.XToSample(x0), 0, last);
    for (int64_t x = x0; x < x1; ++x) {
        if (x + kAhead < x1)
            peaks.Prefetch(static_cast<std::size_t>(Clamp(m.XToSample(x + kAhead + 1), 0, last)));
        const int64_t next = Clamp(m.XToSample(x + 1), 0, last);
        const TSampleRange range =
            peaks.Range(static_cast<std::size_t>(std::max<int64_t>(first, 0)), static_cast<std::size_t>(next + 1));
        canvas.MoveTo(static_cast<int>(x), static_cast<int>(m.SampleToY(range.Max)));
        touched |= canvas.LineTo(static_cast<int>(x), static_cast<int>(m.SampleToY(range.Min)) + 1);
        first = next;
    }
    return touched;
}
