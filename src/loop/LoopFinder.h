#pragma once
// The loop finder of the window and of the command-line tool: one call for
// each request a user makes, with the defaults of both in milliseconds, so
// that the same request finds the same loops wherever it is made. The
// searches themselves are LoopSearch.h and AutoLoop.h; this fills in their
// options and names why a request cannot be met.
//
// Every request either gives at least one loop, best first, or raises
// ELoopFinderError with the reason: kNoLoopFound when the sound has none
// (silence, too little room), or a fault of the request itself (the loop
// texts of WaveLoop.h). No loop found starts at sample 0: the bank has no
// such loop (WaveLoop.h), so a start of 0 is refused and the automatic
// searches begin at sample 1. A rate of 0 (or one that does not fit) finds
// nothing: no length in milliseconds can be had at it. Windows, lengths and
// spans are counted at the rate capped to kFastestTimedRate (SeamCost.h).

#include "common/Exception.h"
#include "loop/AutoLoop.h"
#include "loop/LoopFade.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

VANTREL_DECLARE_EXCEPTION(ELoopFinderError);

inline constexpr const char* kNoLoopFound = "適切なループが見つかりません";
// A loop end sought so close to its start that no loop of the shortest
// length fits between them.
inline constexpr const char* kLoopTooShort = "ループが短すぎます";

// How far from the target the best end is sought: the usual search and the
// window's wide one.
inline constexpr double kNearRadiusMs = 50.0;
inline constexpr double kWideRadiusMs = 500.0;
// The shortest loop the near search proposes unless asked for longer ones:
// one cycle of a tone at 100 Hz. Shorter loops repeat less than a cycle of
// most tones and play as a buzz at their own rate.
inline constexpr double kShortestNearLoopMs = 10.0;
// How far snapping moves a loop point to reach a zero crossing.
inline constexpr double kSnapRadiusMs = 20.0;
// Results closer than this to a better one are left out.
inline constexpr double kResultSpacingMs = 1.0;

struct TLoopRequest {
    int32_t Count = 1;                 // at most this many loops
    std::optional<double> MinLengthMs; // none: the search's own minimum
    // The crossfade the loops will get, which their costs and order are
    // then taken after (LoopFade.h): none, FadeSamples (cut to what each
    // loop allows), or each loop's automatic fade.
    int32_t FadeSamples = 0;
    bool AutomaticFade = false;
};

struct TFoundLoops {
    std::vector<TLoopCandidate> Loops; // best first, at least one
    // Set when a loop found is shorter than the MinLengthMs asked for (the
    // sound leaves no room for one that long): the shortest found, in ms.
    std::optional<double> ShortenedToMs;
    // The movement of the searched part (automatic searches only), in Hz
    // at the wave's own rate.
    std::optional<TMovement> Movement;
};

// A loop's seam cost with the default window, and its word.
struct TSeamMeasure {
    double Cost = 0;
    TSeamQuality Quality = TSeamQuality::Good;
};

class TLoopFinder {
public:
    TLoopFinder(TSamples Wave, int32_t RateHz);

    // The best ends within RadiusMs of TargetEnd for a loop from Start. The
    // start must lie in the wave after sample 0, the target after the start
    // and at most at the wave's end (kLoopEndInvalid past it,
    // kLoopEndBeforeStart at or before the start, kLoopTooShort when no
    // end within the radius leaves room for the shortest loop).
    TFoundLoops BestEndsNear(int32_t Start, int32_t TargetEnd, double RadiusMs, const TLoopRequest& Request) const;
    // The best ends for a loop from Start, sought as the automatic loop seeks
    // them (AutoLoopEnds).
    TFoundLoops BestEnds(int32_t Start, const TLoopRequest& Request) const;
    // The automatic loops of From .. To-1 taken as it is (a selection).
    TFoundLoops LoopsIn(int32_t From, int32_t To, const TLoopRequest& Request) const;
    // The automatic loops of the whole wave, inside its sustained part.
    // With the automatic crossfade (and no minimum length asked), when a
    // loop found is shorter than the automatic loop's minimum length (or
    // half the wave), the best loops at least that long are faded and ranked
    // too (each loop once), those with room before their start
    // for a fade of a seam window or a quarter of the loop: a fade can make
    // a long loop's seam good where a short loop leaves it no room.
    TFoundLoops WholeWave(const TLoopRequest& Request) const;

    // Position, the loop start (Start) or end, moved to a zero crossing
    // within kSnapRadiusMs. With Other, the other loop point, making a loop
    // with Position (start before end, the start after sample 0): the
    // crossing of either slope whose loop with Other costs least (of equal
    // ones the nearest), but only when it costs no more than Position's own
    // loop, so snapping never makes a seam worse; else Position. Without
    // such a loop: the nearest crossing of the slope at Other (rising when
    // Other is 0), or Position when there is none. With a crossfade of
    // FadeSamples the costs are those after it (Measure), the fade cut to
    // what each loop allows as a loop change cuts it.
    int32_t Snap(int32_t Position, int32_t Other, bool Start, int32_t FadeSamples = 0) const;
    // The seam cost of the loop Start .. End-1 with the default window, of
    // the samples the bank holds after a crossfade of FadeSamples
    // (CrossFade.h; kCrossFadeTooLong when it does not fit the loop).
    TSeamMeasure Measure(int32_t Start, int32_t End, int32_t FadeSamples = 0) const;
    // The automatic crossfade of the loop Start .. End-1 (LoopFade.h), with
    // the cost after it; the loop must be one Measure takes.
    TFadeChoice AutomaticFade(int32_t Start, int32_t End) const;

private:
    TFoundLoops Found(std::vector<TLoopCandidate> Loops, const TLoopRequest& Request) const;
    TFoundLoops Found(TAutoLoops Loops, const TLoopRequest& Request) const;
    // Loops with the crossfade of Request, their costs after it, in order.
    void Fade(std::vector<TLoopCandidate>& Loops, const TLoopRequest& Request) const;
    TAutoLoopOptions AutoOptions(const TLoopRequest& Request) const;
    void RequireRate() const;
    void RequireStart(int32_t Start) const;
    // Whether Start .. End-1 is a loop the window may set.
    bool IsLoop(int32_t Start, int32_t End) const;
    double Cost(int32_t Start, int32_t End) const;

    TSamples FWave;
    int32_t FRateHz;
    int32_t FTimedRate; // what windows and spans are sized by (SeamCost.h)
};

// A cost as the window and the tool print it: four decimals, Separator and
// its word ("0.0146 fair"), never in exponent form.
std::string SeamCostText(double Cost, char Separator = ' ');
// The cost alone, as SeamCostText writes it ("0.0146").
std::string SeamCostNumber(double Cost);
