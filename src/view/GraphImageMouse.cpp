// The waveform view's mouse handling: selections, cursor clicks and marker
// drags.

#include "view/GraphImage.h"

#include "view/GraphImagePixels.h"
#include "view/RasterCanvas.h"
#include "view/ViewMapping.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace graphimage;

namespace {

constexpr int64_t kGrabDistance = 3; // pixels between the mouse and a marker line

} // namespace

// ---------------------------------------------------------------------------
// Mouse input. Each handler does the view's own part first (only with a wave
// and a non-empty view) and then reports the event, whatever happened.

void TGraphImage::mousePressEvent(QMouseEvent* Event)
{
    const int x = static_cast<int>(std::floor(Event->position().x()));
    const int y = static_cast<int>(std::floor(Event->position().y()));
    if (AcceptsMouse()) {
        EnsureSurface();
        if (Event->button() == Qt::LeftButton)
            LeftButtonDown(x);
        else if (Event->button() == Qt::RightButton)
            RightButtonDown(x);
    }
    emit OnMouseDown(this, Event->button(), Event->modifiers(), x, y);
}

void TGraphImage::mouseMoveEvent(QMouseEvent* Event)
{
    const int x = static_cast<int>(std::floor(Event->position().x()));
    const int y = static_cast<int>(std::floor(Event->position().y()));
    if (AcceptsMouse()) {
        EnsureSurface();
        DragMove(x, Event->modifiers());
    }
    emit OnMouseMove(this, Event->modifiers(), x, y);
}

void TGraphImage::mouseReleaseEvent(QMouseEvent* Event)
{
    const int x = static_cast<int>(std::floor(Event->position().x()));
    const int y = static_cast<int>(std::floor(Event->position().y()));
    if (AcceptsMouse() && (Event->button() == Qt::LeftButton || Event->button() == Qt::RightButton)) {
        EnsureSurface();
        ButtonUp(x, Event->button() == Qt::LeftButton);
    }
    emit OnMouseUp(this, Event->button(), Event->modifiers(), x, y);
    // The pop-up comes last, so the view's handling and the window's reaction
    // to the release are done before it opens.
    if (Event->button() == Qt::RightButton && FPopupMenu)
        FPopupMenu->popup(Event->globalPosition().toPoint());
}

// The pop-up is opened by the right-button release above, never from here.
void TGraphImage::contextMenuEvent(QContextMenuEvent* Event) { Event->accept(); }

bool TGraphImage::AcceptsMouse() const
{
    return FWaveInfo != nullptr && !(FViewStart == 0 && FViewEnd == 0);
}

// The sample nearest to the mouse; X may lie outside the view during a drag.
int64_t TGraphImage::SampleUnderMouse(int X) const
{
    const TViewMapping m = Mapping();
    return m.XToSampleRound(Clamp(X, 0, m.Width - 1));
}

// The nearest marker whose line (as drawn) is within 3 pixels of X, the earliest in map
// order on equal distance; markers just outside the view take part too.
TMarkerStatus* TGraphImage::MarkerAtX(int X) const
{
    const TViewMapping m = Mapping();
    TMarkerStatus* best = nullptr;
    int64_t bestDistance = m.Width + 1;
    for (int i = 0; i < FMarkers.Count(); ++i) {
        TMarkerStatus* marker = FMarkers.Items(i);
        const int64_t at = ShowsLine(marker->Position) ? LineColumn(marker->Position) : m.SampleToXRound(marker->Position);
        const int64_t d = std::abs(at - X);
        if (d <= kGrabDistance && d < bestDistance) {
            best = marker;
            bestDistance = d;
        }
    }
    return best;
}

TMarkerStatus* TGraphImage::MarkerAtSample(int64_t Sample) const
{
    for (int i = 0; i < FMarkers.Count(); ++i)
        if (FMarkers.Items(i)->Position == Sample)
            return FMarkers.Items(i);
    return nullptr;
}

void TGraphImage::StartSelection(int64_t Sample)
{
    FDragState = vdSelect;
    FDragMarker = nullptr;
    FDragAnchor = Sample;
    FDragLast = Sample;
    FSelectStart = static_cast<int32_t>(Sample);
    FSelectEnd = static_cast<int32_t>(Sample);
    HideCursor();
    Redraw();
    ShowBase(VLine(FBackBuffer, Sample, kBlack));
}

void TGraphImage::LeftButtonDown(int X)
{
    const int64_t s = SampleUnderMouse(X);
    if (TMarkerStatus* marker = MarkerAtX(X)) {
        FDragState = vdMarker;
        FDragMarker = marker;
        HideCursor();
        return;
    }
    StartSelection(s);
}

void TGraphImage::RightButtonDown(int X)
{
    const int64_t s = SampleUnderMouse(X);
    // Pressing inside the selection (ends included) keeps it for the pop-up.
    if (FSelectStart <= s && s <= FSelectEnd) {
        FDragState = vdHold;
        FDragMarker = nullptr;
        HideCursor();
        return;
    }
    StartSelection(s);
}

// Paints the strip between two samples as selected (black, inverted wave) or
// not (white, plain wave, shaded where the shaded range lies); SelectEnd
// follows the strip's upper end.
void TGraphImage::PaintSelectionStrip(int64_t From, int64_t To, bool Selected)
{
    const int64_t last = static_cast<int64_t>(SampleCount()) - 1;
    const int64_t lo = Clamp(std::min(From, To), 0, last);
    const int64_t hi = Clamp(std::max(From, To), 0, last);
    FSelectEnd = static_cast<int32_t>(hi);
    if (Selected) {
        DrawRange(lo, hi, kBlack, TPenMode::NotCopy);
    } else {
        DrawRange(lo, hi, kWhite, TPenMode::Copy);
        const int64_t shadeLo = std::max<int64_t>(lo, FShadeStart);
        const int64_t shadeHi = std::min<int64_t>(hi, FShadeEnd);
        if (shadeLo < shadeHi)
            DrawRange(shadeLo, shadeHi, kShade, TPenMode::Copy);
    }
    DrawMarkers();
}

void TGraphImage::DragMove(int X, Qt::KeyboardModifiers Shift)
{
    int64_t s = SampleUnderMouse(X);
    // Past the right edge a marker reaches the wave's end when the span
    // shows it, so a loop can be dragged to end after the last sample.
    if (FDragState == vdMarker && X >= width() && FViewEnd == SampleCount())
        s = FViewEnd;
    if (FDragState == vdMarker) {
        // A step onto a sample some marker already holds is refused; the
        // drag goes on from the next free sample.
        if (FDragMarker != nullptr && MarkerAtSample(s) == nullptr) {
            EraseMarker(FDragMarker);
            FDragMarker->Position = static_cast<int32_t>(s);
            DrawMarkers();
            emit OnMarkerMove(this, Shift, FDragMarker, static_cast<int>(s));
        }
    } else if (FDragState == vdSelect) {
        // Only the strip between the previous and the current mouse sample
        // changes, so a drag costs little however wide the selection is.
        const int64_t a = FDragAnchor;
        const int64_t l = FDragLast;
        if ((a <= l && l <= s) || (s <= l && l <= a)) {
            PaintSelectionStrip(l, s, true);
        } else if ((a <= s && s <= l) || (l <= s && s <= a)) {
            PaintSelectionStrip(l, s, false);
        } else {
            PaintSelectionStrip(a, s, true);
            PaintSelectionStrip(a, l, false);
        }
    }
    FDragLast = s;
}

// The release of the left (Left) or right button. Every release ends the drag.
void TGraphImage::ButtonUp(int X, bool Left)
{
    if (FDragState == vdMarker && Left) {
        if (FSelectStart == FSelectEnd) {
            FCursor = FSelectStart;
            FCursorShown = false;
            FBlinkTimer.stop();
            Redraw();
        }
    } else if (FDragState == vdSelect) {
        const int64_t s = SampleUnderMouse(X);
        FSelectEnd = static_cast<int32_t>(s);
        if (FSelectEnd == FSelectStart) {
            // A click: the cursor goes there and blinks; no selection. Near
            // the right edge the nearest sample can be the one after the
            // wave, which the cursor never takes: it stays on the last.
            FCursor = std::min(FSelectEnd, std::max(SampleCount() - 1, 0));
            FSelectStart = 0;
            FSelectEnd = 0;
            // The press drew its line beneath the wave, where a hidden
            // cursor is wiped from (column extremes): draw it away first.
            Redraw();
            FCursorShown = false;
            BlinkTimerTick();
            RestartBlinking();
        } else {
            FBlinkTimer.stop();
            if (FSelectEnd < FSelectStart)
                std::swap(FSelectStart, FSelectEnd);
            // After a right drag the screen keeps what the drag painted.
            if (Left)
                Redraw();
        }
    }
    FDragState = vdNone;
    FDragMarker = nullptr;
}
