// The main window's loop editing (menus, pop-ups, marker drags) and the
// commands that choose the span the detail view shows.

#include "app/MainWindow.h"

#include "app/MainWindowConstants.h"
#include "document/LoopRules.h"
#include "view/GraphImage.h"

#include <QAction>
#include <QMenu>
#include <QTableWidget>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

using namespace mainform;

constexpr int32_t kMinZoomSpan = 10;

bool HasSelection(const TGraphImage& View) { return View.SelectStart() < View.SelectEnd(); }

} // namespace

// ---- Loop points --------------------------------------------------------

void TMainForm::SetMarkerInBoth(const char* Name, uint32_t Color, int32_t Position)
{
    TMarkerStatus marker;
    marker.Color = Color;
    marker.Position = Position;
    AllWaveGraphImage->SetMarker(Name, marker);
    PartWaveGraphImage->SetMarker(Name, marker);
    ShowSeam();
}

void TMainForm::RemoveMarkerInBoth(const char* Name)
{
    AllWaveGraphImage->RemoveMarker(Name);
    PartWaveGraphImage->RemoveMarker(Name);
    ShowSeam();
}

void TMainForm::ChangeLoopStart(int32_t Position)
{
    TWaveInfo* wave = SelectedWave();
    if (!wave)
        return;
    Position = SnappedLoopPoint(*wave, Position, true);
    CheckLoopStart(*wave, Position);
    wave->SetLoopStart(Position);
    SetCell(SelectedIndex(), colLoopStart, QString::number(wave->LoopStart()));
    FModified = true;
    SetMarkerInBoth(kLoopStart, kRed, Position);
}

void TMainForm::ChangeLoopEnd(int32_t Position)
{
    TWaveInfo* wave = SelectedWave();
    if (!wave)
        return;
    Position = SnappedLoopPoint(*wave, Position, false);
    CheckLoopEnd(*wave, Position);
    wave->SetLoopEnd(Position);
    SetCell(SelectedIndex(), colLoopEnd, QString::number(wave->LoopEnd()));
    FModified = true;
    SetMarkerInBoth(kLoopEnd, kGreen, Position);
}

void TMainForm::ChangeLoop(int32_t Start, int32_t End)
{
    TWaveInfo* wave = SelectedWave();
    if (!wave)
        return;
    wave->SetLoopStart(0);
    wave->SetLoopEnd(0);
    ChangeLoopStart(Start);
    ChangeLoopEnd(End);
}

void TMainForm::RemoveLoop()
{
    TWaveInfo* wave = SelectedWave();
    if (!wave)
        return;
    wave->SetLoopStart(0);
    wave->SetLoopEnd(0);
    FModified = true;
    RemoveMarkerInBoth(kLoopStart);
    RemoveMarkerInBoth(kLoopEnd);
    SetCell(SelectedIndex(), colLoopStart, "-");
    SetCell(SelectedIndex(), colLoopEnd, "-");
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
    if (const TWaveInfo* wave = SelectedWave()) {
        FSavedLoopStart = wave->LoopStart();
        FSavedLoopEnd = wave->LoopEnd();
    }
    // At most one view shows a cursor, so the loop commands know which to take.
    Other->SetCursorEnabled(false);
}

// A marker drag that leaves the loop start at or after the loop end is
// undone: the loop as it was at the press comes back.
void TMainForm::GraphImageMouseUp()
{
    const TWaveInfo* wave = SelectedWave();
    if (wave && std::exchange(FSnappedDuringDrag, false)) { // the dragged view shows the unsnapped line
        SetMarkerInBoth(kLoopStart, kRed, wave->LoopStart());
        if (wave->LoopEnd() != 0)
            SetMarkerInBoth(kLoopEnd, kGreen, wave->LoopEnd());
    }
    if (!wave || wave->LoopEnd() == 0 || wave->LoopStart() < wave->LoopEnd())
        return;
    ChangeLoop(FSavedLoopStart, FSavedLoopEnd);
    throw EVantrelError(kLoopStartAfterEnd);
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
    FSnappedDuringDrag |= moved.Position != Marker->Position;
    Target->SetMarker(name, moved);
    if (!wave)
        return;
    // The row shows what the wave holds (its setter keeps a start inside the wave).
    if (name == kLoopStart) {
        wave->SetLoopStart(moved.Position);
        SetCell(SelectedIndex(), colLoopStart, QString::number(wave->LoopStart()));
        FModified = true;
    } else if (name == kLoopEnd) {
        wave->SetLoopEnd(moved.Position);
        SetCell(SelectedIndex(), colLoopEnd, QString::number(wave->LoopEnd()));
        FModified = true;
    }
    ShowSeam();
}

// ---- Pop-up menus -------------------------------------------------------

TMainForm::TPopupState TMainForm::PopupStateOf(const TGraphImage& View) const
{
    const TWaveInfo* wave = SelectedWave();
    const bool selection = wave && HasSelection(View);
    return {selection, wave && !selection, wave && (wave->LoopStart() != 0 || wave->LoopEnd() != 0)};
}

void TMainForm::AllWaveGraphImagePopupMenuPopup()
{
    const TPopupState state = PopupStateOf(*AllWaveGraphImage);
    const std::pair<const char*, bool> items[] = {
        {"AGIPopupMenu_N1", state.Selection},   {"AGIPopupMenu_N2", state.Selection},
        {"AGIPopupMenu_N4", state.NoSelection}, {"AGIPopupMenu_N5", state.NoSelection},
        {"AGIPopupMenu_N6", state.Selection},   {"AGIPopupMenu_N7", state.Loop},
    };
    for (const auto& [name, enabled] : items)
        AllWaveGraphImagePopupMenu->findChild<QAction*>(name)->setEnabled(enabled);
}

void TMainForm::PartWaveGraphImagePopupMenuPopup()
{
    const TPopupState state = PopupStateOf(*PartWaveGraphImage);
    const std::pair<const char*, bool> items[] = {
        {"PGIPopupMenu_N1", state.Selection},   {"PGIPopupMenu_N2", state.NoSelection},
        {"PGIPopupMenu_N3", state.Selection},   {"PGIPopupMenu_N5", state.NoSelection},
        {"PGIPopupMenu_N6", state.NoSelection}, {"PGIPopupMenu_N7", state.Selection},
        {"PGIPopupMenu_N8", state.Loop},
    };
    for (const auto& [name, enabled] : items)
        PartWaveGraphImagePopupMenu->findChild<QAction*>(name)->setEnabled(enabled);
}

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

void TMainForm::MainMenu1_ZoomInClick()
{
    if (ZoomSeamView(true))
        return;
    TWaveInfo* wave = SelectedWave();
    if (!wave)
        return;
    const int32_t vs = PartWaveGraphImage->ViewStart();
    const int32_t ve = PartWaveGraphImage->ViewEnd();
    const int32_t mid = (vs + ve) / 2;
    const int32_t start = (mid + vs) / 2;
    const int32_t end = (ve + mid) / 2;
    if (end - start < kMinZoomSpan) {
        FPrompter->Beep();
        return;
    }
    StoreAndShowView(*wave, start, end);
}

void TMainForm::MainMenu1_ZoomOutClick()
{
    if (ZoomSeamView(false))
        return;
    TWaveInfo* wave = SelectedWave();
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
