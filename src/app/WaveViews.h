#pragma once
// TWaveViews: the window's two waveform views of one wave, the whole wave
// above (the overview) and a span of it below (the detail view), with the
// markers both show and the commands that choose the detail view's span. The
// span a command chooses is remembered in the wave, so the wave shows it
// again when it is shown next.

#include "view/BgrColor.h"

#include <cstdint>
#include <optional>

class TGraphImage;
class TPrompter;
class TWaveInfo;

class TWaveViews {
public:
    // Beeps through Prompter when a span command cannot go further.
    TWaveViews(TGraphImage* Overview, TGraphImage* Detail, TPrompter& Prompter);

    TGraphImage* Overview() const { return FOverview; }
    TGraphImage* Detail() const { return FDetail; }
    // The wave both views show (null for none).
    TWaveInfo* Shown() const;
    // Shows Wave (null: nothing) at the span it remembers, with no selection
    // and no markers.
    void Show(TWaveInfo* Wave);

    void SetMarker(const char* Name, TBgrColor Color, int32_t Position);
    void RemoveMarker(const char* Name);
    // The cursor of whichever view shows one.
    std::optional<int32_t> ShownCursor() const;

    // The span commands, on the wave shown.
    void ShowWholeWave();
    void ZoomIn();
    void ZoomOut();
    // Numerator/Denominator seconds around the centre of the detail view,
    // when that span ends before the end of the wave.
    void ShowSeconds(int32_t Numerator, int32_t Denominator);
    void ShowSpan(int32_t Start, int32_t End);
    // The selection of From becomes the detail view's span, and both views
    // mark it as their selection.
    void EnlargeSelection(TGraphImage* From);
    void ClearSelections();

private:
    TGraphImage* FOverview;
    TGraphImage* FDetail;
    TPrompter& FPrompter;
};
