#include "app/WaveViews.h"

#include "app/Prompter.h"
#include "view/GraphImage.h"
#include "view/ViewSpan.h"

#include <algorithm>

TWaveViews::TWaveViews(TGraphImage* Overview, TGraphImage* Detail, TPrompter& Prompter)
    : FOverview(Overview), FDetail(Detail), FPrompter(Prompter)
{
}

TWaveInfo* TWaveViews::Shown() const { return FDetail->WaveInfo(); }

void TWaveViews::Show(TWaveInfo* Wave)
{
    for (TGraphImage* view : {FOverview, FDetail}) {
        view->SetWaveInfo(Wave);
        view->ClearSelection();
        view->ClearMarkers();
    }
    if (!Wave)
        return;
    FOverview->SetView(0, Wave->SampleCount());
    FDetail->SetView(Wave->ViewStart(), Wave->ViewEnd());
}

void TWaveViews::SetMarker(const char* Name, TBgrColor Color, int32_t Position)
{
    TMarkerStatus marker;
    marker.Color = Color;
    marker.Position = Position;
    FOverview->SetMarker(Name, marker);
    FDetail->SetMarker(Name, marker);
}

void TWaveViews::RemoveMarker(const char* Name)
{
    FOverview->RemoveMarker(Name);
    FDetail->RemoveMarker(Name);
}

std::optional<int32_t> TWaveViews::ShownCursor() const
{
    for (const TGraphImage* view : {FOverview, FDetail})
        if (view->CursorEnabled())
            return view->Cursor();
    return std::nullopt;
}

void TWaveViews::ShowSpan(int32_t Start, int32_t End)
{
    TWaveInfo* wave = Shown();
    if (!wave)
        return;
    wave->SetViewStart(Start);
    wave->SetViewEnd(End);
    FDetail->SetView(wave->ViewStart(), wave->ViewEnd());
}

void TWaveViews::ShowWholeWave()
{
    if (const TWaveInfo* wave = Shown()) {
        ShowSpan(0, wave->SampleCount());
        FOverview->ClearSelection();
    }
}

void TWaveViews::ZoomIn()
{
    if (!Shown())
        return;
    const int32_t vs = FDetail->ViewStart();
    const int32_t ve = FDetail->ViewEnd();
    const int32_t mid = (vs + ve) / 2;
    const int32_t start = (mid + vs) / 2;
    const int32_t end = (ve + mid) / 2;
    if (end - start < kMinViewSpan) {
        FPrompter.Beep();
        return;
    }
    ShowSpan(start, end);
}

void TWaveViews::ZoomOut()
{
    const TWaveInfo* wave = Shown();
    if (!wave)
        return;
    const int32_t vs = FDetail->ViewStart();
    const int32_t ve = FDetail->ViewEnd();
    const int32_t half = (ve - vs) / 2;
    if (vs <= 0 && ve >= wave->SampleCount())
        FPrompter.Beep();
    ShowSpan(std::max(vs - half, 0), std::min(ve + half, wave->SampleCount()));
}

void TWaveViews::ShowSeconds(int32_t Numerator, int32_t Denominator)
{
    const TWaveInfo* wave = Shown();
    if (!wave)
        return;
    const int32_t span = static_cast<int32_t>(static_cast<int64_t>(wave->SamplesPerSec()) * Numerator / Denominator);
    const int32_t vs = FDetail->ViewStart();
    const int32_t ve = FDetail->ViewEnd();
    const int32_t start = std::max((vs + ve) / 2 - span / 2, 0);
    const int32_t end = start + span;
    if (end >= wave->SampleCount()) {
        FPrompter.Beep();
        return;
    }
    ShowSpan(start, end);
}

void TWaveViews::EnlargeSelection(TGraphImage* From)
{
    if (!Shown())
        return;
    const int32_t start = From->SelectStart();
    const int32_t end = From->SelectEnd();
    ShowSpan(start, end);
    FDetail->SetSelection(start, end);
    FOverview->SetSelection(start, end);
}

void TWaveViews::ClearSelections()
{
    FDetail->ClearSelection();
    FOverview->ClearSelection();
}
