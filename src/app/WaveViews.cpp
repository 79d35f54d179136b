#include "app/WaveViews.h"

#include "app/Prompter.h"
#include "app/WaveListModel.h"
#include "view/GraphImage.h"
#include "view/ViewMapping.h"
#include "view/ViewSpan.h"

#include <QObject>

#include <algorithm>

TWaveViews::TWaveViews(TGraphImage* Overview, TGraphImage* Detail, TPrompter& Prompter, TWaveListModel& Model)
    : FOverview(Overview), FDetail(Detail), FPrompter(Prompter), FModel(Model)
{
    QObject::connect(FDetail, &TGraphImage::OnViewChange, FOverview, [this] { FrameDetailSpan(); });
}

// The overview marks the detail view's span when that is not the whole wave.
void TWaveViews::FrameDetailSpan()
{
    const TWaveInfo* wave = Shown();
    const bool part = wave && (FDetail->ViewStart() > 0 || FDetail->ViewEnd() < wave->SampleCount());
    FOverview->SetSpanFrame(part ? FDetail->ViewStart() : 0, part ? FDetail->ViewEnd() : 0);
}

const TWaveInfo* TWaveViews::Shown() const { return FDetail->WaveInfo(); }

void TWaveViews::Show(const TWaveInfo* Wave)
{
    for (TGraphImage* view : {FOverview, FDetail}) {
        view->SetWaveInfo(Wave);
        view->ClearSelection();
        view->ClearMarkers();
    }
    if (!Wave)
        return;
    FOverview->SetView(0, Wave->SampleCount());
    const TViewSpan span = FModel.SpanOf(FModel.IndexOf(Wave));
    FDetail->SetView(span.Start, span.End);
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
    const int32_t index = FModel.IndexOf(Shown());
    if (index < 0)
        return;
    FModel.SetSpan(index, {Start, End});
    const TViewSpan span = FModel.SpanOf(index);
    FDetail->SetView(span.Start, span.End);
}

void TWaveViews::ShowWholeWave()
{
    if (const TWaveInfo* wave = Shown()) {
        ShowSpan(0, wave->SampleCount());
        FOverview->ClearSelection();
    }
}

int32_t TWaveViews::ZoomCentre() const
{
    if (const std::optional<int32_t> cursor = ShownCursor())
        return *cursor;
    for (const TGraphImage* view : {FDetail, FOverview})
        if (view->HasSelection())
            return static_cast<int32_t>((int64_t{view->SelectStart()} + view->SelectEnd()) / 2);
    if (const TWaveInfo* wave = Shown(); wave && wave->Loop().Plays())
        return static_cast<int32_t>((int64_t{wave->LoopStart()} + wave->LoopEnd()) / 2);
    return static_cast<int32_t>((int64_t{FDetail->ViewStart()} + FDetail->ViewEnd()) / 2);
}

void TWaveViews::ShowCentred(int64_t Length, int64_t Centre)
{
    const int32_t count = Shown()->SampleCount();
    const TViewSpan span =
        ScrollSpan({0, static_cast<int32_t>(std::min<int64_t>(Length, count))}, Centre - Length / 2, count);
    ShowSpan(span.Start, span.End);
}

void TWaveViews::CentreDetailOn(int64_t Sample)
{
    if (Shown())
        ShowCentred(int64_t{FDetail->ViewEnd()} - FDetail->ViewStart(), Sample);
}

void TWaveViews::ZoomIn()
{
    if (!Shown())
        return;
    const int32_t vs = FDetail->ViewStart();
    const int32_t ve = FDetail->ViewEnd();
    const int32_t mid = (vs + ve) / 2;
    const int32_t length = (ve + mid) / 2 - (mid + vs) / 2; // half the span
    if (length < kMinViewSpan) {
        FPrompter.Beep();
        return;
    }
    ShowCentred(length, ZoomCentre());
}

void TWaveViews::ZoomOut()
{
    const TWaveInfo* wave = Shown();
    if (!wave)
        return;
    const int32_t vs = FDetail->ViewStart();
    const int32_t ve = FDetail->ViewEnd();
    if (vs <= 0 && ve >= wave->SampleCount())
        FPrompter.Beep();
    ShowCentred(int64_t{ve - vs} + 2 * ((ve - vs) / 2), ZoomCentre());
}

void TWaveViews::ShowSeconds(int32_t Numerator, int32_t Denominator)
{
    const TWaveInfo* wave = Shown();
    if (!wave)
        return;
    const int64_t span = int64_t{wave->SamplesPerSec()} * Numerator / Denominator;
    if (span >= wave->SampleCount()) {
        FPrompter.Beep();
        return;
    }
    ShowCentred(span, ZoomCentre());
}

int64_t TWaveViews::OverviewSample(int X) const
{
    const TViewMapping mapping{FOverview->ViewStart(), FOverview->ViewEnd(), FOverview->width(), 0};
    return std::clamp<int64_t>(mapping.XToSampleRound(X), 0, Shown()->SampleCount());
}

// A press on the span's band takes hold of the band where it was pressed;
// a press elsewhere centres the span on the pointer.
void TWaveViews::OverviewPressed(Qt::MouseButton Button, int X)
{
    FOverviewHeld = Button == Qt::LeftButton && Shown();
    if (!FOverviewHeld)
        return;
    const int64_t sample = OverviewSample(X);
    const int64_t length = int64_t{FDetail->ViewEnd()} - FDetail->ViewStart();
    const bool onBand = FOverview->SpanFrameStart() <= sample && sample < FOverview->SpanFrameEnd();
    FHoldOffset = onBand ? sample - FDetail->ViewStart() : length / 2;
    OverviewMoved(X);
}

void TWaveViews::OverviewMoved(int X)
{
    if (!FOverviewHeld || !Shown())
        return;
    const int64_t length = int64_t{FDetail->ViewEnd()} - FDetail->ViewStart();
    ShowCentred(length, OverviewSample(X) - FHoldOffset + length / 2);
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
