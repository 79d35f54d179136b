#pragma once
// The waveform view: a widget that shows a span of one wave as a polyline of
// its samples, with a selected span in inverted colours, named full-height
// marker lines and a blinking edit cursor, and that turns mouse drags into
// selections, cursor placements and marker moves.
//
// The view draws every change at once onto an off-screen surface that stands
// for its window and only blits that surface when Qt asks it to paint. After
// each full drawing it keeps a back buffer (wave and selection, without
// markers and cursor); a removed marker line is wiped by copying its one
// pixel column back from there. Marker moves, cursor blinks and selection
// drags therefore repaint single columns or strips, never the whole view.
//
// Colours are 32-bit values laid out 0x00BBGGRR (red in the low byte); a value
// with the top bit set names a system colour (0x8000000F: button face).

#include "document/WaveInfo.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QMenu;
struct TViewMapping;
enum class TPenMode;

// One marker: the colour and sample position of a line. It carries no name;
// the map that holds it knows the name.
class TMarkerStatus {
public:
    uint32_t Color = 0;   // 0x00BBGGRR
    int32_t Position = 0; // sample index

    void Assign(const TMarkerStatus& Source);
};

// Markers by name, in insertion order. Names compare without regard to letter
// case; an entry keeps the name text it was first added with. The map stores
// copies of what it is given and owns them: a pointer from Find or Items stays
// valid until that name is replaced, removed or the map is cleared.
class TMarkerStatusMap {
public:
    // Appends a new name at the end; an existing name keeps its place and
    // gets a fresh copy of Status (earlier pointers to it become invalid).
    void Put(const std::string& Name, const TMarkerStatus& Status);
    TMarkerStatus* Find(const std::string& Name) const; // null when absent
    bool Remove(const std::string& Name);               // false when absent
    void Clear();
    int Count() const;
    TMarkerStatus* Items(int Index) const; // null outside 0 .. Count()-1
    // The name of the entry holding that very object (not an equal one), or "".
    std::string NameOf(const TMarkerStatus* Status) const;

private:
    struct TEntry {
        std::string Name;
        std::unique_ptr<TMarkerStatus> Status;
    };
    std::vector<TEntry>::const_iterator Entry(const std::string& Name) const;

    std::vector<TEntry> FNames;
};

class TGraphImage : public QWidget {
    Q_OBJECT

public:
    static constexpr uint32_t ButtonFace = 0x8000000F;

    explicit TGraphImage(QWidget* parent = nullptr);
    ~TGraphImage() override;

    // Fills the whole view with the colour at once; the wave never uses it.
    uint32_t Color() const { return FColor; }
    void SetColor(uint32_t Value);

    // The wave shown (not owned; null for none). Setting it takes the view
    // span remembered in the wave, resets selection, cursor and drag, stops
    // the blinking and draws nothing; markers stay until ClearMarkers.
    TWaveInfo* WaveInfo() const { return FWaveInfo; }
    void SetWaveInfo(TWaveInfo* Value);

    // Callers keep 0 <= ViewStart < ViewEnd <= SampleCount while a wave is
    // set; the view does not check it but never reads outside the samples.
    int32_t ViewStart() const { return FViewStart; }
    int32_t ViewEnd() const { return FViewEnd; }
    // [SelectStart, SelectEnd); 0, 0 is no selection.
    int32_t SelectStart() const { return FSelectStart; }
    int32_t SelectEnd() const { return FSelectEnd; }

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

    // Stores a copy of AStatus under AName (last in the drawing order), wiping
    // the line of a marker it replaces, draws it and stops the blinking.
    void SetMarker(const std::string& AName, const TMarkerStatus& AStatus);
    bool RemoveMarker(const std::string& AName);
    void ClearMarkers();
    // The name under which this view stores that very marker object, or "".
    std::string GetMarkerName(const TMarkerStatus* AStatus) const;

    // Full drawing: background and selection, the wave, the back buffer, the markers.
    void Redraw();

    // Opened at the mouse after a right-button release has been handled and
    // reported. Not owned.
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* Menu);

    // The pixels the view shows.
    const QImage& Surface() const { return FSurface; }

signals:
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

    // Painting onto the surface.
    TViewMapping Mapping() const;
    QRgb ToRgb(uint32_t Color) const;
    int32_t SampleCount() const;
    int16_t SampleInColumn(int64_t X) const;
    void EnsureSurface();
    void Present(const QRect& Rect);
    void FillColumns(int64_t Left, int64_t Right, QRgb Color);
    void DrawRange(int64_t A, int64_t B, QRgb BackColor, TPenMode Mode);
    void DrawWave(int64_t A, int64_t B, TPenMode Mode);
    void DrawVLine(int64_t Sample, QRgb Color);
    void DrawMarker(const TMarkerStatus* Marker);
    void DrawMarkers();
    void EraseMarker(const TMarkerStatus* Marker);
    void DrawCursor(bool Shown);

    // Cursor state.
    void BlinkTimerTick();
    void HideCursor();
    void RestartBlinking();

    // Mouse state machine.
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
    uint32_t FColor = ButtonFace;
    TWaveInfo* FWaveInfo = nullptr;
    int32_t FViewStart = 0;
    int32_t FViewEnd = 0;
    int32_t FSelectStart = 0;
    int32_t FSelectEnd = 0;
    TViewDrag FDragState = vdNone;
    TMarkerStatus* FDragMarker = nullptr; // an object stored in FMarkers, or null
    int64_t FDragAnchor = 0;
    int64_t FDragLast = 0;
    int32_t FCursor = 0;
    bool FCursorShown = false;
    TMarkerStatusMap FMarkers;
    QPointer<QMenu> FPopupMenu;
    QImage FSurface;
    QImage FBackBuffer;
};

// The handler type of TGraphImage::OnMarkerMove.
using TMarkerMoveEvent = void(TGraphImage* Sender, Qt::KeyboardModifiers Shift, TMarkerStatus* MarkerStatus,
                              int PosX);
