// The waveform view's state and its public operations; the painting, the
// wave itself and the mouse live in GraphImagePaint.cpp, GraphImageWave.cpp
// and GraphImageMouse.cpp.

#include "view/GraphImage.h"

#include "view/RasterCanvas.h"

#include <QMenu>

#include <type_traits>

static_assert(std::is_same_v<decltype(&TGraphImage::OnMarkerMove), TMarkerMoveEvent TGraphImage::*>);

namespace {

constexpr int kBlinkMSec = 500;

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

// The colour goes beneath the lines too, so a wiped marker shows it.
void TGraphImage::SetColor(TBgrColor Value)
{
    FColor = Value;
    EnsureSurface();
    TRasterCanvas(FBackBuffer).FillRect(0, 0, width(), height(), ToRgb(Value));
    ShowBase(FBackBuffer.rect());
}

void TGraphImage::SetWaveInfo(const TWaveInfo* Value)
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
    emit OnViewChange();
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
    // The line leaves its old place before the cursor moves, so a cursor
    // walked by keys leaves no trail.
    if (FCursorShown)
        DrawCursor(false);
    FCursor = Value;
    FCursorShown = false;
    BlinkTimerTick();
    RestartBlinking();
    emit OnSelectionChange();
}

void TGraphImage::SetView(int32_t AStart, int32_t AEnd)
{
    FViewStart = AStart;
    FViewEnd = AEnd;
    Redraw();
    emit OnViewChange();
}

void TGraphImage::SetSpanFrame(int32_t AStart, int32_t AEnd)
{
    if (AStart == FSpanFrameStart && AEnd == FSpanFrameEnd)
        return;
    FSpanFrameStart = AStart;
    FSpanFrameEnd = AEnd;
    update();
}

void TGraphImage::SetSelection(int32_t AStart, int32_t AEnd)
{
    FSelectStart = AStart;
    FSelectEnd = AEnd;
    Redraw();
    emit OnSelectionChange();
}

void TGraphImage::ClearSelection() { SetSelection(0, 0); }

void TGraphImage::SetShade(int32_t AStart, int32_t AEnd)
{
    if (AStart >= AEnd)
        AStart = AEnd = 0;
    if (AStart == FShadeStart && AEnd == FShadeEnd)
        return;
    FShadeStart = AStart;
    FShadeEnd = AEnd;
    Redraw();
}

void TGraphImage::SetMarker(const std::string& AName, const TMarkerStatus& AStatus)
{
    // AStatus may be the very object stored under AName (a move handler
    // putting the marker back), which RemoveMarker releases: copy it first.
    const TMarkerStatus status = AStatus;
    const bool dragged = FDragMarker != nullptr && FDragMarker == FMarkers.Find(AName);
    RemoveMarker(AName);
    FMarkers.Put(AName, status);
    TMarkerStatus* stored = FMarkers.Find(AName);
    // A marker being dragged that is replaced under its own name goes on
    // being dragged as its new copy.
    if (dragged)
        FDragMarker = stored;
    EnsureSurface();
    // The cursor stops; a line left standing would look like one the loop
    // commands still take.
    if (FCursorShown)
        HideCursor();
    FBlinkTimer.stop();
    DrawMarker(stored);
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

void TGraphImage::SetPeakDrawing(bool Value)
{
    FPeakDrawing = Value;
    Redraw();
}

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
