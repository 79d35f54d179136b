#pragma once
// Loops for sounds without a held part (the automatic loop, AutoLoop.h,
// turns to these when the sustained part gives nothing to hold).
//
// The loudest part. A sound with no sustained part, or only quiet loops in
// it (a note dying fast), is searched in its loudest 20 ms and the frame
// either side, so that the loop holds the sound at its level.
//
// The whole hit. A struck sound (a drum, a click) has no sustained part; its
// maker loops it whole, from its first samples to where it has died away, so
// that the loop replays the hit. Such a loop is offered for a sound of 10 ms
// to 2 s that is loudest in its first 20 ms (struck, not swelling like a
// voice). Its end is one at which the loop is loud (its mean square not
// below 0.3 of the loudest 20 ms) and the hit has died away: the loop's last
// 5 ms at least 20 dB below the loop to replace a loop rated fair, at least
// 6 dB below to replace a poor or quiet one or none. Of those ends, the one
// whose last 10 ms are quietest against the loop (the first of equal ones):
// what leads into the replay is heard least there, and a reverberant hit's
// trailing silence is not looped. Loops starting within the seam window of
// the wave's start then go: nothing is compared before their start, so
// their cost shows nothing.

#include "loop/LoopSearch.h"
#include "loop/SustainedPart.h"

#include <cstdint>
#include <optional>
#include <vector>

// The loudest 20 ms of Whole and the frame either side, within Whole.
TRegion AroundLoudestFrame(TSamples Wave, int32_t Rate, TRegion Whole);

// The share of the whole's mean square a struck sound's end may keep for
// its whole loop to replace the first of Found (ranked as SeamRank.h says)
// that starts at Window or later; 0 when that loop is rated good.
double StruckTailShare(const std::vector<TLoopCandidate>& Found, int32_t Window);

// The loop over the hit from the start of Region, with its seam cost
// (window WindowMs) and its quality as rank, when Region is a struck sound
// with an end as above whose last 5 ms keep less than TailShare of the
// loop's mean square; none otherwise.
std::optional<TLoopCandidate> StruckLoop(TSamples Wave, int32_t Rate, TRegion Region, double WindowMs,
                                         double TailShare);

// Puts Struck first in Found when Found has nothing better (none, only loops
// rated worse, or quiet ones) and drops Found's loops that start before
// Window; keeps at most Count (at least 1).
void PreferStruckLoop(std::vector<TLoopCandidate>& Found, TLoopCandidate Struck, int32_t Window, int32_t Count);
