// The main window's loop editing (menus, pop-ups, marker drags) and the
// commands that choose the span the detail view shows.

#include "app/MainWindow.h"

#include "app/MainWindowConstants.h"
#include "document/LoopRules.h"
#include "view/GraphImage.h"
#include "view/SeamView.h"
#include "view/ViewSpan.h"

#include <QTableWidget>

#include <algorithm>
#include <optional>
#include <utility>

using namespace mainform;

// ---- Loop points --------------------------------------------------------

void TMainForm::SetMarkerInBoth(const char* Name, TBgrColor Color, int32_t Position)
{
    TMarkerStatus marker;
    marker.Color = Color;
    marker.Position = Position;
    AllWaveGraphImage->SetMarker(Name, marker);
    PartWaveGraphImage->SetMarker(Name, marker);
}

void TMainForm::RemoveMarkerInBoth(const char* Name)
{
    AllWaveGraphImage->RemoveMarker(Name);
    PartWaveGraphImage->RemoveMarker(Name);
}

// The loop commands check the order rule, then change the loop through
// SetLoop (one undo step each).
void TMainForm::ChangeLoopStart(int32_t Position)
{
    const TWaveInfo* wave = SelectedWave();
    if (!wave)
        return;
    Position = SnappedLoopPoint(*wave, Position, true);
    CheckLoopStart(*wave, Position);
    SetLoop(SelectedIndex(), Position, wave->LoopEnd(), "ループ始点の変更");
}

void TMainForm::ChangeLoopEnd(int32_t Position)
{
    const TWaveInfo* wave = SelectedWave();
    if (!wave)
        return;
    Position = SnappedLoopPoint(*wave, Position, false);
    CheckLoopEnd(*wave, Position);
    SetLoop(SelectedIndex(), wave->LoopStart(), Position, "ループ終点の変更");
}

// Both points at once: the end is checked against the new start only.
void TMainForm::ChangeLoop(int32_t Start, int32_t End)
{
    if (!SelectedWave())
        return;
    if (Start != 0 && Start >= End)
        throw ELoopOrderError(kLoopEndBeforeStart);
    SetLoop(SelectedIndex(), Start, End, "ループの設定");
}

void TMainForm::RemoveLoop()
{
    if (SelectedWave())
        SetLoop(SelectedIndex(), 0, 0, "ループクリア");
}

// The cursor of whichever view shows one; the menu loop commands take it.
std::optional<int32_t> TMainForm::ShownCursor() const
{
    for (const TGraphImage* view : {AllWaveGraphImage, PartWaveGraphImage})
        if (view->CursorEnabled())
            return view->Cursor();
    return std::nullopt;
}

void TMainForm::MainMenu1_LoopStartClick()
{
    if (const std::optional<int32_t> cursor = ShownCursor())
        ChangeLoopStart(*cursor);
}

void TMainForm::MainMenu1_LoopEndClick()
{
    if (const std::optional<int32_t> cursor = ShownCursor())
        ChangeLoopEnd(*cursor);
}

void TMainForm::MainMenu1_LoopClearClick() { RemoveLoop(); }

// ---- Mouse in the views -------------------------------------------------

void TMainForm::GraphImageMouseDown(TGraphImage* Other)
{
    if (SelectedWave())
        FSavedLoop = LoopOf(SelectedIndex());
    // At most one view shows a cursor, so the loop commands know which to take.
    Other->SetCursorEnabled(false);
    // The waveform views take no focus: the seam view gives its zoom keys
    // back here, and the list keeps the arrow keys.
    if (SeamView->hasFocus())
        WaveListView->setFocus(Qt::MouseFocusReason);
}

// A marker drag moves the loop live; on release the loop of the press comes
// back, and a drag that left the loop start before the loop end becomes one
// undoable step. One that did not is refused, and so is a loop end dragged
// down to sample 0 past a set start, which would otherwise read as "no loop
// end".
void TMainForm::GraphImageMouseUp()
{
    const bool markerOffLoop = std::exchange(FMarkerOffLoop, false);
    const TWaveInfo* wave = SelectedWave();
    if (!wave)
        return;
    const int32_t index = SelectedIndex();
    const int32_t start = wave->LoopStart();
    const int32_t end = wave->LoopEnd();
    if (start == FSavedLoop.Start && end == FSavedLoop.End) {
        if (markerOffLoop) // the dragged view still shows its marker where the mouse left it
            ApplyLoop(index, FSavedLoop);
        return;
    }
    ApplyLoop(index, FSavedLoop);
    if (end == 0 && FSavedLoop.End != 0 && start > 0)
        throw EVantrelError(kLoopEndBeforeStart);
    if (end != 0 && start >= end)
        throw EVantrelError(kLoopStartAfterEnd);
    SetLoop(index, start, end, "ループマーカーの移動");
}

void TMainForm::SyncMarker(TGraphImage* Source, TGraphImage* Target, TMarkerStatus* Marker)
{
    const std::string name = Source->GetMarkerName(Marker);
    TWaveInfo* wave = SelectedWave();
    // A snapped loop point moves the other view's marker and the wave; the
    // dragged marker follows on release (it must not be replaced mid-drag).
    TMarkerStatus moved = *Marker;
    if (wave && (name == kLoopStart || name == kLoopEnd))
        moved.Position = SnappedLoopPoint(*wave, Marker->Position, name == kLoopStart);
    FMarkerOffLoop |= moved.Position != Marker->Position;
    Target->SetMarker(name, moved);
    if (!wave)
        return;
    // The row shows what the wave holds (its setter keeps a start inside the
    // wave; a marker past the last sample is put back on release).
    // The drag becomes an undo step when the button is released.
    if (name == kLoopStart) {
        wave->SetLoopStart(moved.Position);
        FMarkerOffLoop |= wave->LoopStart() != moved.Position;
        SetCell(SelectedIndex(), colLoopStart, QString::number(wave->LoopStart()));
    } else if (name == kLoopEnd) {
        wave->SetLoopEnd(moved.Position);
        FMarkerOffLoop |= wave->LoopEnd() != moved.Position;
        SetCell(SelectedIndex(), colLoopEnd, QString::number(wave->LoopEnd()));
    }
    ShowSeam();
}

// ---- Selections ---------------------------------------------------------

// The selection of From becomes the detail view's span, and both views mark
// it as their selection.
void TMainForm::EnlargeSelection(TGraphImage* From, TGraphImage* Other)
{
    TWaveInfo* wave = SelectedWave();
    if (!wave)
        return;
    const int32_t start = From->SelectStart();
    const int32_t end = From->SelectEnd();
    wave->SetViewStart(start);
    wave->SetViewEnd(end);
    PartWaveGraphImage->SetView(wave->ViewStart(), wave->ViewEnd());
    PartWaveGraphImage->SetSelection(start, end);
    Other->SetSelection(start, end);
}

void TMainForm::ClearBothSelections()
{
    PartWaveGraphImage->ClearSelection();
    AllWaveGraphImage->ClearSelection();
}

// ---- The detail view's span ---------------------------------------------

void TMainForm::StoreAndShowView(TWaveInfo& Wave, int32_t Start, int32_t End)
{
    Wave.SetViewStart(Start);
    Wave.SetViewEnd(End);
    PartWaveGraphImage->SetView(Wave.ViewStart(), Wave.ViewEnd());
}

void TMainForm::ShowWholeWave()
{
    TWaveInfo* wave = SelectedWave();
    if (!wave)
        return;
    wave->SetViewStart(0);
    wave->SetViewEnd(wave->SampleCount());
    PartWaveGraphImage->SetView(0, wave->ViewEnd());
    AllWaveGraphImage->ClearSelection();
}

void TMainForm::MainMenu1_ViewAllClick() { ShowWholeWave(); }

TWaveInfo* TMainForm::DetailZoomTarget(bool In)
{
    return ZoomSeamView(In) ? nullptr : SelectedWave();
}

void TMainForm::MainMenu1_ZoomInClick()
{
    TWaveInfo* wave = DetailZoomTarget(true);
    if (!wave)
        return;
    const int32_t vs = PartWaveGraphImage->ViewStart();
    const int32_t ve = PartWaveGraphImage->ViewEnd();
    const int32_t mid = (vs + ve) / 2;
    const int32_t start = (mid + vs) / 2;
    const int32_t end = (ve + mid) / 2;
    if (end - start < kMinViewSpan) {
        FPrompter->Beep();
        return;
    }
    StoreAndShowView(*wave, start, end);
}

void TMainForm::MainMenu1_ZoomOutClick()
{
    TWaveInfo* wave = DetailZoomTarget(false);
    if (!wave)
        return;
    const int32_t vs = PartWaveGraphImage->ViewStart();
    const int32_t ve = PartWaveGraphImage->ViewEnd();
    const int32_t half = (ve - vs) / 2;
    if (vs <= 0 && ve >= wave->SampleCount())
        FPrompter->Beep();
    StoreAndShowView(*wave, std::max(vs - half, 0), std::min(ve + half, wave->SampleCount()));
}

// Shows Numerator/Denominator seconds around the centre of the detail view,
// when that span ends before the end of the wave.
void TMainForm::ViewSpan(int32_t Numerator, int32_t Denominator)
{
    TWaveInfo* wave = SelectedWave();
    if (!wave)
        return;
    const int32_t span = static_cast<int32_t>(static_cast<int64_t>(wave->SamplesPerSec()) * Numerator / Denominator);
    const int32_t vs = PartWaveGraphImage->ViewStart();
    const int32_t ve = PartWaveGraphImage->ViewEnd();
    const int32_t start = std::max((vs + ve) / 2 - span / 2, 0);
    const int32_t end = start + span;
    if (end >= wave->SampleCount()) {
        FPrompter->Beep();
        return;
    }
    StoreAndShowView(*wave, start, end);
}
