#pragma once
// Loops judged with a crossfade (CrossFade.h): the automatic fade of a loop
// and the order of loops that will be faded.
//
// The automatic fade is the shortest that makes the seam "good"
// (SeamCost.h), sought among fades of 0, 1, 2, 3, 5, 7, 10, 15 ... 500 ms
// and then narrowed between the last fade that is not good and the first
// that is; when no fade up to half the loop (and at most 500 ms) makes it
// good, the fade of those tried with the lowest cost.
//
// Order. Loops with a fade are ranked by the cost heard after it: quiet
// loops (SeamRank.h) after all others, then by the quality word of that
// cost; among the loops good with their automatic fade the shorter fade
// first (a loop good with a 20 ms fade comes before one that needs 200 ms)
// and of equal fades the better rank as found; the others by the cost.

#include "loop/LoopSearch.h"

#include <cstdint>
#include <functional>
#include <vector>

struct TFadeChoice {
    int32_t Samples = 0;
    double Cost = 0;
};

// The automatic fade of a loop at Rate, no longer than Longest samples
// (the half loop, the room before its start), Cost giving the seam cost
// after a fade of that many samples.
TFadeChoice AutomaticFade(int32_t Rate, int32_t Longest, const std::function<double(int32_t)>& Cost);

// The longest automatic fade of the loop Start .. End-1 at Rate: half the
// loop, no more than the samples before its start nor 500 ms.
int32_t LongestAutomaticFade(int32_t Start, int32_t End, int32_t Rate);

// Orders Loops, whose Cost is the cost after their Fade, as above; Automatic
// when the fades are automatic ones.
void OrderFadedLoops(std::vector<TLoopCandidate>& Loops, bool Automatic);
