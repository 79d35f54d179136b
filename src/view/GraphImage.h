#pragma once
// The waveform view: a widget that shows a span of one wave, with a selected
// span in inverted colours, named full-height marker lines and a blinking edit
// cursor, and that turns mouse drags into selections, cursor placements and
// marker moves.
//
// Where the span is no wider than the view, each pixel column shows one
// sample and the samples are joined by lines. Where it is wider, each column
// is drawn from the smallest to the largest sample it covers (the wave's
// block extremes, TWaveInfo::Peaks, keep that cost independent of the
// wave's length), so that nothing aliases.
//
// The view draws every change at once onto two off-screen images and only
// blits the second when Qt asks it to paint: the back buffer holds what lies
// beneath the lines (background, selection, wave) and every change to those
// is drawn there; the surface is the back buffer with the marker lines and
// the cursor on top, and is what the window shows. A removed marker line is
// wiped by copying its pixel column back from the back buffer (so is a hidden
// cursor where columns show extremes). Marker moves, cursor blinks and
// selection drags therefore repaint single columns or strips, never the
// whole view.

#include "document/WaveInfo.h"
#include "view/BgrColor.h"
#include "view/MarkerStatusMap.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <string>

class QMenu;
struct TViewMapping;
enum class TPenMode;

class TGraphImage : public QWidget {
    Q_OBJECT

public:
    static constexpr TBgrColor ButtonFace = TBgrColor::System(15);

    explicit TGraphImage(QWidget* parent = nullptr);
    ~TGraphImage() override;

    // Fills the whole view with the colour at once; the wave never uses it.
    TBgrColor Color() const { return FColor; }
    void SetColor(TBgrColor Value);

    // The wave shown (not owned; null for none). Setting it takes the view
    // span remembered in the wave, resets selection, cursor and drag, stops
    // the blinking and draws nothing; markers stay until ClearMarkers.
    const TWaveInfo* WaveInfo() const { return FWaveInfo; }
    void SetWaveInfo(const TWaveInfo* Value);
    int32_t SampleCount() const; // of the wave shown; 0 for none

    // Callers keep 0 <= ViewStart < ViewEnd <= SampleCount while a wave is
    // set; the view does not check it but never reads outside the samples.
    int32_t ViewStart() const { return FViewStart; }
    int32_t ViewEnd() const { return FViewEnd; }
    // [SelectStart, SelectEnd); 0, 0 is no selection.
    int32_t SelectStart() const { return FSelectStart; }
    int32_t SelectEnd() const { return FSelectEnd; }
    bool HasSelection() const { return FSelectStart < FSelectEnd; }

    // True exactly while the cursor blinks. Enabling shows the cursor line at
    // once, disabling removes it at once.
    bool CursorEnabled() const { return FBlinkTimer.isActive(); }
    void SetCursorEnabled(bool Value);
    // The edit cursor's sample. Setting it (ignored without a wave or outside
    // 0 .. SampleCount-1) draws the line at once and starts the blinking.
    int32_t Cursor() const { return FCursor; }
    void SetCursor(int32_t Value);

    // These three redraw the whole view; nothing is checked or reordered.
    void SetView(int32_t AStart, int32_t AEnd);
    void SetSelection(int32_t AStart, int32_t AEnd);
    void ClearSelection();
    // Samples [AStart, AEnd) drawn on a light shade outside the selection (a
    // loop's crossfade); an empty range shades nothing. Redraws on a change.
    void SetShade(int32_t AStart, int32_t AEnd);
    // Samples [AStart, AEnd) marked by a translucent band laid over the
    // picture on screen (not part of Surface: the drawing under it stays as
    // it is); an empty range marks nothing. The overview marks the span the
    // detail view shows with it.
    void SetSpanFrame(int32_t AStart, int32_t AEnd);
    int32_t SpanFrameStart() const { return FSpanFrameStart; }
    int32_t SpanFrameEnd() const { return FSpanFrameEnd; }

    // Stores a copy of AStatus under AName (last in the drawing order), wiping
    // the line of a marker it replaces, draws it and stops the blinking
    // (hiding the cursor line).
    void SetMarker(const std::string& AName, const TMarkerStatus& AStatus);
    bool RemoveMarker(const std::string& AName);
    void ClearMarkers();
    // The name under which this view stores that very marker object, or "".
    std::string GetMarkerName(const TMarkerStatus* AStatus) const;

    // Full drawing: background, selection and wave on the back buffer, that
    // copied to the surface, then the markers.
    void Redraw();

    // Opened at the mouse after a right-button release has been handled and
    // reported. Not owned.
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* Menu);

    // Whether spans wider than the view are drawn from the extremes of each
    // column's samples (on by default) or from one sample per column.
    bool PeakDrawing() const { return FPeakDrawing; }
    void SetPeakDrawing(bool Value);

    // The pixels the view shows.
    const QImage& Surface() const { return FSurface; }

signals:
    // The wave or the span shown changed (SetWaveInfo, SetView).
    void OnViewChange();
    // SetCursor or SetSelection changed the cursor or the selection (the
    // mouse's changes come with OnMouseDown, OnMouseMove and OnMouseUp).
    void OnSelectionChange();
    // One accepted step of a marker drag; PosX is the marker's new sample
    // position (equal to MarkerStatus->Position), not a pixel.
    void OnMarkerMove(TGraphImage* Sender, Qt::KeyboardModifiers Shift, TMarkerStatus* MarkerStatus, int PosX);
    // Raised after the view's own handling, with or without a wave.
    void OnMouseDown(TGraphImage* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void OnMouseMove(TGraphImage* Sender, Qt::KeyboardModifiers Shift, int X, int Y);
    void OnMouseUp(TGraphImage* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    enum TViewDrag { vdNone, vdSelect, vdHold, vdMarker };

    // Painting (GraphImagePaint.cpp). Paint* draw on one image (the back
    // buffer unless they take a target) and return the pixels they changed;
    // Draw* and ShowBase change what the window shows.
    TViewMapping Mapping() const;
    QRgb ToRgb(TBgrColor Color) const;
    void EnsureSurface();
    void Present(const QRect& Rect);
    void ShowBase(const QRect& Rect);
    QRect PaintRange(int64_t A, int64_t B, QRgb BackColor, TPenMode Mode);
    void PaintShade(int64_t Lo, int64_t Hi);
    void DrawRange(int64_t A, int64_t B, QRgb BackColor, TPenMode Mode);
    bool ShowsLine(int64_t Sample) const;
    int64_t LineColumn(int64_t Sample) const;
    QRect VLine(QImage& Target, int64_t Sample, QRgb Color) const;
    void DrawVLine(int64_t Sample, QRgb Color);
    void DrawMarker(const TMarkerStatus* Marker);
    void DrawMarkers();
    void EraseMarker(const TMarkerStatus* Marker);
    void DrawCursor(bool Shown);

    // The wave itself (GraphImageWave.cpp).
    bool DrawsPeaks() const;
    QRect PaintWave(QImage& Target, int64_t A, int64_t B, TPenMode Mode) const;
    QRect PaintLines(QImage& Target, int64_t A, int64_t B, TPenMode Mode) const;
    QRect PaintPeaks(QImage& Target, int64_t A, int64_t B, TPenMode Mode) const;
    int16_t SampleInColumn(int64_t X) const;

    // Cursor blinking.
    void BlinkTimerTick();
    void HideCursor();
    void RestartBlinking();

    // Mouse state machine (GraphImageMouse.cpp).
    bool AcceptsMouse() const;
    int64_t SampleUnderMouse(int X) const;
    TMarkerStatus* MarkerAtX(int X) const;
    TMarkerStatus* MarkerAtSample(int64_t Sample) const;
    void StartSelection(int64_t Sample);
    void PaintSelectionStrip(int64_t From, int64_t To, bool Selected);
    void LeftButtonDown(int X);
    void RightButtonDown(int X);
    void DragMove(int X, Qt::KeyboardModifiers Shift);
    void ButtonUp(int X, bool Left);

    QTimer FBlinkTimer;
    TBgrColor FColor = ButtonFace;
    const TWaveInfo* FWaveInfo = nullptr;
    int32_t FViewStart = 0;
    int32_t FViewEnd = 0;
    int32_t FSelectStart = 0;
    int32_t FSelectEnd = 0;
    int32_t FShadeStart = 0;
    int32_t FShadeEnd = 0;
    int32_t FSpanFrameStart = 0;
    int32_t FSpanFrameEnd = 0;
    TViewDrag FDragState = vdNone;
    TMarkerStatus* FDragMarker = nullptr; // an object stored in FMarkers, or null
    int64_t FDragAnchor = 0;
    int64_t FDragLast = 0;
    int32_t FCursor = 0;
    bool FCursorShown = false;
    TMarkerStatusMap FMarkers;
    QPointer<QMenu> FPopupMenu;
    bool FPeakDrawing = true;
    QImage FSurface;
    QImage FBackBuffer;
};

// The handler type of TGraphImage::OnMarkerMove.
using TMarkerMoveEvent = void(TGraphImage* Sender, Qt::KeyboardModifiers Shift, TMarkerStatus* MarkerStatus,
                              int PosX);
