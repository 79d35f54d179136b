#pragma once
// TWaveViews: the window's two waveform views of one wave, the whole wave
// above (the overview) and a span of it below (the detail view), with the
// markers both show and the commands that choose the detail view's span. The
// span a command chooses is remembered beside the wave by the list model
// (window state, not the wave's), so the wave shows it again when it is
// shown next.

#include "view/BgrColor.h"

#include <Qt>

#include <cstdint>
#include <optional>

class TGraphImage;
class TPrompter;
class TWaveInfo;
class TWaveListModel;

class TWaveViews {
public:
    // Beeps through Prompter when a span command cannot go further.
    TWaveViews(TGraphImage* Overview, TGraphImage* Detail, TPrompter& Prompter, TWaveListModel& Model);

    TGraphImage* Overview() const { return FOverview; }
    TGraphImage* Detail() const { return FDetail; }
    // The wave both views show (null for none).
    const TWaveInfo* Shown() const;
    // Shows Wave (null: nothing) at the span remembered beside it, with no
    // selection and no markers.
    void Show(const TWaveInfo* Wave);

    void SetMarker(const char* Name, TBgrColor Color, int32_t Position);
    void RemoveMarker(const char* Name);
    // The cursor of whichever view shows one.
    std::optional<int32_t> ShownCursor() const;

    // The span commands, on the wave shown. Zooming and the fixed spans
    // centre the detail view on ZoomCentre, as far as the wave allows.
    void ShowWholeWave();
    void ZoomIn();
    void ZoomOut();
    // Numerator/Denominator seconds, when that span is shorter than the wave.
    void ShowSeconds(int32_t Numerator, int32_t Denominator);
    // The cursor, else the middle of the selection, else of the loop, else
    // of the detail view's span.
    int32_t ZoomCentre() const;
    // The detail view moved (at its length) so that Sample lies in its middle.
    void CentreDetailOn(int64_t Sample);
    // The overview's mouse: a left press, and a move while it is held, move
    // the detail view to the sample under the pointer (at column X). The
    // overview marks the detail view's span (a part of the wave) with its
    // span frame; pressed on that band, the span follows the pointer from
    // where it was taken, as a scroll bar's thumb does.
    void OverviewPressed(Qt::MouseButton Button, int X);
    void OverviewMoved(int X);
    void OverviewReleased() { FOverviewHeld = false; }
    void ShowSpan(int32_t Start, int32_t End);
    // The selection of From becomes the detail view's span, and both views
    // mark it as their selection.
    void EnlargeSelection(TGraphImage* From);
    void ClearSelections();

private:
    TGraphImage* FOverview;
    TGraphImage* FDetail;
    // Shows the span of Length samples centred on Centre, kept inside the wave.
    void ShowCentred(int64_t Length, int64_t Centre);
    // The overview's sample at its column X.
    int64_t OverviewSample(int X) const;
    void FrameDetailSpan();

    TPrompter& FPrompter;
    TWaveListModel& FModel;
    bool FOverviewHeld = false; // the left button went down in the overview
    int64_t FHoldOffset = 0;    // from the detail view's start to the sample held
};
