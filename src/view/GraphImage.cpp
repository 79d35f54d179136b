#include "view/GraphImage.h"

#include "view/RasterCanvas.h"
#include "view/ViewMapping.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <type_traits>

static_assert(std::is_same_v<decltype(&TGraphImage::OnMarkerMove), TMarkerMoveEvent TGraphImage::*>);

namespace {

constexpr QRgb kWhite = 0xFFFFFF;
constexpr QRgb kBlack = 0x000000;
constexpr QRgb kWaveBlue = 0x0000FF; // as QRgb (0xRRGGBB)
constexpr int kBlinkMSec = 500;
constexpr int64_t kGrabDistance = 3; // pixels between the mouse and a marker line

// The palette role that stands for a system colour index (the low bits of a
// colour value with the top bit set).
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

// ---------------------------------------------------------------------------
// Construction and the public state

TGraphImage::TGraphImage(QWidget* parent) : QWidget(parent)
{
    FBlinkTimer.setInterval(kBlinkMSec);
    connect(&FBlinkTimer, &QTimer::timeout, this, &TGraphImage::BlinkTimerTick);
    // Every pixel comes from the surface, and right-button presses and
    // releases must reach the mouse handlers; the pop-up is opened by hand.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setMouseTracking(true);
    Redraw();
}

TGraphImage::~TGraphImage() = default;

void TGraphImage::SetColor(uint32_t Value)
{
    FColor = Value;
    EnsureSurface();
    FillColumns(0, width(), ToRgb(Value));
}

void TGraphImage::SetWaveInfo(TWaveInfo* Value)
{
    FWaveInfo = Value;
    FViewStart = Value ? Value->ViewStart() : 0;
    FViewEnd = Value ? Value->ViewEnd() : 0;
    FSelectStart = 0;
    FSelectEnd = 0;
    FDragState = vdNone;
    FDragMarker = nullptr;
    FDragAnchor = 0;
    FDragLast = 0;
    FCursor = 0;
    FCursorShown = false;
    FBlinkTimer.stop();
}

void TGraphImage::SetCursorEnabled(bool Value)
{
    if (Value)
        FBlinkTimer.start();
    else
        FBlinkTimer.stop();
    FCursorShown = Value;
    EnsureSurface();
    DrawCursor(Value);
}

void TGraphImage::SetCursor(int32_t Value)
{
    if (FWaveInfo == nullptr || Value < 0 || Value >= SampleCount())
        return;
    FCursor = Value;
    FCursorShown = false;
    BlinkTimerTick();
    RestartBlinking();
}

void TGraphImage::SetView(int32_t AStart, int32_t AEnd)
{
    FViewStart = AStart;
    FViewEnd = AEnd;
    Redraw();
}

void TGraphImage::SetSelection(int32_t AStart, int32_t AEnd)
{
    FSelectStart = AStart;
    FSelectEnd = AEnd;
    Redraw();
}

void TGraphImage::ClearSelection() { SetSelection(0, 0); }

void TGraphImage::SetMarker(const std::string& AName, const TMarkerStatus& AStatus)
{
    const bool dragged = FDragMarker != nullptr && FDragMarker == FMarkers.Find(AName);
    RemoveMarker(AName);
    FMarkers.Put(AName, AStatus);
    // A marker being dragged that is replaced under its own name goes on
    // being dragged as its new copy.
    if (dragged)
        FDragMarker = FMarkers.Find(AName);
    FBlinkTimer.stop();
    EnsureSurface();
    DrawMarker(&AStatus);
}

bool TGraphImage::RemoveMarker(const std::string& AName)
{
    TMarkerStatus* marker = FMarkers.Find(AName);
    EnsureSurface();
    EraseMarker(marker);
    if (marker != nullptr && marker == FDragMarker)
        FDragMarker = nullptr;
    return FMarkers.Remove(AName);
}

void TGraphImage::ClearMarkers()
{
    while (FMarkers.Count() > 0)
        RemoveMarker(FMarkers.NameOf(FMarkers.Items(0)));
}

std::string TGraphImage::GetMarkerName(const TMarkerStatus* AStatus) const { return FMarkers.NameOf(AStatus); }

QMenu* TGraphImage::PopupMenu() const { return FPopupMenu.data(); }

void TGraphImage::SetPopupMenu(QMenu* Menu) { FPopupMenu = Menu; }

// ---------------------------------------------------------------------------
// Painting: everything is drawn onto FSurface at once and shown by paintEvent.

TViewMapping TGraphImage::Mapping() const { return TViewMapping{FViewStart, FViewEnd, width(), height()}; }

QRgb TGraphImage::ToRgb(uint32_t Color) const
{
    if (Color & 0x80000000u)
        return palette().color(SystemColorRole(Color & 0xFFu)).rgb() & 0xFFFFFF;
    return qRgb(static_cast<int>(Color & 0xFF), static_cast<int>((Color >> 8) & 0xFF),
                static_cast<int>((Color >> 16) & 0xFF)) &
           0xFFFFFF;
}

int32_t TGraphImage::SampleCount() const { return FWaveInfo ? FWaveInfo->SampleCount() : 0; }

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

// Incremental drawing needs a surface of the current size; a size change not
// yet drawn (a widget resized while hidden) gets its full drawing first.
void TGraphImage::EnsureSurface()
{
    if (FSurface.size() != size())
        Redraw();
}

void TGraphImage::Present(const QRect& Rect)
{
    if (!Rect.isEmpty())
        update(Rect);
}

void TGraphImage::FillColumns(int64_t Left, int64_t Right, QRgb Color)
{
    TRasterCanvas canvas(FSurface);
    Present(canvas.FillRect(Left, 0, Right, height(), Color));
}

void TGraphImage::Redraw()
{
    if (FSurface.size() != size())
        FSurface = QImage(size(), QImage::Format_RGB32);
    const TViewMapping m = Mapping();
    update();
    TRasterCanvas canvas(FSurface);
    // Without a wave the view is blank, whatever span or selection it was
    // given; the back buffer and the markers are left alone.
    if (FWaveInfo == nullptr) {
        canvas.FillRect(0, 0, m.Width, m.Height, kWhite);
        return;
    }
    // A reversed selection exists only in the middle of a drag; it is shown
    // as the span between its two ends.
    const int64_t lo = std::min(FSelectStart, FSelectEnd);
    const int64_t hi = std::max(FSelectStart, FSelectEnd);
    const int64_t xa = m.SampleToX(lo);
    const int64_t xb = m.SampleToX(hi);
    canvas.FillRect(0, 0, xa, m.Height, kWhite);
    canvas.FillRect(xb, 0, m.Width, m.Height, kWhite);
    canvas.FillRect(xa, 0, xb, m.Height, kBlack);

    DrawRange(lo, hi, kBlack, TPenMode::NotCopy);
    DrawRange(FViewStart, lo, kWhite, TPenMode::Copy);
    DrawRange(hi, FViewEnd, kWhite, TPenMode::Copy);

    if (FBackBuffer.size() != FSurface.size())
        FBackBuffer = QImage(FSurface.size(), QImage::Format_RGB32);
    if (!FSurface.isNull())
        std::memcpy(FBackBuffer.bits(), FSurface.constBits(), static_cast<std::size_t>(FSurface.sizeInBytes()));
    DrawMarkers();
}

void TGraphImage::DrawRange(int64_t A, int64_t B, QRgb BackColor, TPenMode Mode)
{
    const TViewMapping m = Mapping();
    FillColumns(m.SampleToX(A), m.SampleToX(B), BackColor);
    DrawWave(A, B, Mode);
}

// The samples [A, B) as one sample per column joined by lines, starting with
// the segment from the column before so the strip joins its neighbour. Costs
// one sample lookup and one line per column, whatever the wave's length.
void TGraphImage::DrawWave(int64_t A, int64_t B, TPenMode Mode)
{
    if (FWaveInfo == nullptr)
        return;
    const TViewMapping m = Mapping();
    // Columns past W + 1 lie wholly off the surface; bounding x0 there keeps
    // the column arithmetic small without changing a visible pixel.
    const int64_t x0 = std::min(std::max<int64_t>(m.SampleToX(A), 0), m.Width + 1);
    const int64_t x1 = std::min(m.SampleToX(B), m.Width);
    const auto point = [&](int64_t x) {
        return QPoint(static_cast<int>(x), static_cast<int>(m.SampleToY(SampleInColumn(x))));
    };

    TRasterCanvas canvas(FSurface);
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
    Present(touched);
}

// A full-height line at the rounded column of Sample, rows 0 .. H-1.
void TGraphImage::DrawVLine(int64_t Sample, QRgb Color)
{
    const TViewMapping m = Mapping();
    const int64_t x = m.SampleToXRound(Sample);
    if (x < 0 || x >= m.Width)
        return;
    TRasterCanvas canvas(FSurface);
    canvas.SetPen(Color, TPenMode::Copy);
    canvas.MoveTo(static_cast<int>(x), 0);
    Present(canvas.LineTo(static_cast<int>(x), static_cast<int>(m.Height)));
}

void TGraphImage::DrawMarker(const TMarkerStatus* Marker)
{
    if (FWaveInfo == nullptr || Marker == nullptr)
        return;
    if (Marker->Position >= FViewStart && Marker->Position < FViewEnd)
        DrawVLine(Marker->Position, ToRgb(Marker->Color));
}

void TGraphImage::DrawMarkers()
{
    for (int i = 0; i < FMarkers.Count(); ++i)
        DrawMarker(FMarkers.Items(i));
}

// Wipes Marker's line: another marker in the same column (the last in map
// order) is drawn there instead, otherwise the column comes back from the
// last full drawing.
void TGraphImage::EraseMarker(const TMarkerStatus* Marker)
{
    if (FWaveInfo == nullptr || Marker == nullptr)
        return;
    if (Marker->Position < FViewStart || Marker->Position >= FViewEnd)
        return;
    const TViewMapping m = Mapping();
    const int64_t x = m.SampleToXRound(Marker->Position);
    const TMarkerStatus* sharing = nullptr;
    for (int i = 0; i < FMarkers.Count(); ++i) {
        const TMarkerStatus* other = FMarkers.Items(i);
        if (other != Marker && m.SampleToXRound(other->Position) == x)
            sharing = other;
    }
    if (sharing != nullptr) {
        DrawVLine(sharing->Position, ToRgb(sharing->Color));
    } else if (x >= 0 && x < m.Width) {
        TRasterCanvas canvas(FSurface);
        Present(canvas.CopyColumn(FBackBuffer, static_cast<int>(x)));
    }
}

// Shown: a black line (white inside the selection). Hidden: the background
// line with the wave's own piece of that column drawn again. Markers in the
// column are not restored.
void TGraphImage::DrawCursor(bool Shown)
{
    if (FWaveInfo == nullptr || FCursor < FViewStart || FCursor >= FViewEnd)
        return;
    const bool selected = FSelectStart <= FCursor && FCursor < FSelectEnd;
    const QRgb line = selected == Shown ? kWhite : kBlack;
    DrawVLine(FCursor, line);
    if (!Shown)
        DrawWave(FCursor, FCursor, selected ? TPenMode::NotCopy : TPenMode::Copy);
}

void TGraphImage::paintEvent(QPaintEvent* Event)
{
    QPainter painter(this);
    painter.drawImage(Event->rect(), FSurface, Event->rect());
}

void TGraphImage::resizeEvent(QResizeEvent*) { Redraw(); }

// ---------------------------------------------------------------------------
// Cursor blinking

void TGraphImage::BlinkTimerTick()
{
    FCursorShown = !FCursorShown;
    EnsureSurface();
    DrawCursor(FCursorShown);
}

void TGraphImage::HideCursor()
{
    FCursorShown = false;
    FBlinkTimer.stop();
    DrawCursor(false);
}

// Stops and starts the timer so the next toggle comes a full period later.
void TGraphImage::RestartBlinking()
{
    FBlinkTimer.stop();
    FBlinkTimer.start();
}

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

// The nearest marker whose line is within 3 pixels of X, the earliest in map
// order on equal distance; markers just outside the view take part too.
TMarkerStatus* TGraphImage::MarkerAtX(int X) const
{
    const TViewMapping m = Mapping();
    TMarkerStatus* best = nullptr;
    int64_t bestDistance = m.Width + 1;
    for (int i = 0; i < FMarkers.Count(); ++i) {
        TMarkerStatus* marker = FMarkers.Items(i);
        const int64_t d = std::abs(m.SampleToXRound(marker->Position) - X);
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
    DrawVLine(Sample, kBlack);
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
// not (white, plain wave); SelectEnd follows the strip's upper end.
void TGraphImage::PaintSelectionStrip(int64_t From, int64_t To, bool Selected)
{
    const int64_t last = static_cast<int64_t>(SampleCount()) - 1;
    const int64_t lo = Clamp(std::min(From, To), 0, last);
    const int64_t hi = Clamp(std::max(From, To), 0, last);
    FSelectEnd = static_cast<int32_t>(hi);
    if (Selected)
        DrawRange(lo, hi, kBlack, TPenMode::NotCopy);
    else
        DrawRange(lo, hi, kWhite, TPenMode::Copy);
    DrawMarkers();
}

void TGraphImage::DragMove(int X, Qt::KeyboardModifiers Shift)
{
    const int64_t s = SampleUnderMouse(X);
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
            // A click: the cursor goes there and blinks; no selection.
            FCursor = FSelectEnd;
            FCursorShown = false;
            BlinkTimerTick();
            RestartBlinking();
            FSelectStart = 0;
            FSelectEnd = 0;
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
