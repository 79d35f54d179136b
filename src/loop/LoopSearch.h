#pragma once
// Searching loop points by seam cost (see SeamCost.h): the best loop ends
// for a given start near a target end, and the mirror, the best starts for a
// given end near a target start.
//
// The search is coarse to fine. The wave is averaged over blocks of D
// samples (D up to 16, chosen so the window still spans at least 24 blocks)
// and the seam cost of every (D/2)-th candidate is measured on the block
// means with the window in blocks; the best local minima of that coarse cost
// (ranked by the bottom of a parabola through each and its neighbours) are
// then followed down through blocks of D/4, D/8 ... 1 sample, each time
// measuring the 5 positions within one coarser step either side, and the
// positions met at full resolution are ranked by their exact cost. This
// measures about 2/D^2 of what comparing every candidate sample by sample
// does, and finds the same best loop on tonal sounds (the coarse cost of a
// sound whose energy lies below a few kHz has its minima where the exact
// cost has them). SearchEndsExhaustively compares every candidate and serves
// as the reference.

#include "loop/SeamCost.h"

#include <cstdint>
#include <optional>
#include <vector>

// A loop found by a search: its seam cost (SeamCost.h, with the search's
// window) and the figure the search ordered it by. The searches here order
// by the seam cost itself; the automatic loop (AutoLoop.h) ranks by more
// than one window and says how.
struct TLoopCandidate {
    int32_t Start = 0;
    int32_t End = 0;
    double Cost = 0;
    double Rank = 0; // lower is better
    int32_t Fade = 0; // the crossfade (samples) Cost was measured after (LoopFade.h)
    int32_t Length() const { return End - Start; }
};

struct TLoopSearchOptions {
    int32_t TargetSample = 0;       // the end (or start) to search around
    int32_t RadiusSamples = 0;      // search TargetSample +- RadiusSamples
    int32_t MinLengthSamples = 1;   // loops shorter than this are not considered
    int32_t Count = 1;              // at most this many results
    int32_t MinSpacingSamples = 1;  // no two results closer than this
    // The seam comparison window (SeamCost.h). No default: it is a time, and
    // only the caller knows the rate (LoopFinder.h sets kDefaultSeamWindowMs).
    int32_t HalfWindowSamples = 0;
    // Bounds on the searched positions besides TargetSample +- RadiusSamples.
    int32_t LowestSample = 0;
    int32_t HighestSample = INT32_MAX;
    // Coarse minima followed to full resolution: more finds the best loop
    // more surely among many near-equal ones (a steady tone), at more cost.
    int32_t Branches = 0;
};

// The best ends for the loop start Start, best first: ends within the
// radius of the target, in Start + MinLength .. Wave.size(). Empty when no
// end fits.
std::vector<TLoopCandidate> BestLoopEnds(TSamples Wave, int32_t Start, const TLoopSearchOptions& Options);

// The mirror: the best starts for the loop end End, in 0 .. End - MinLength.
std::vector<TLoopCandidate> BestLoopStarts(TSamples Wave, int32_t End, const TLoopSearchOptions& Options);

// The same results as BestLoopEnds (ties apart) found by measuring every
// candidate end sample by sample: the reference for tests and benchmarks.
std::vector<TLoopCandidate> SearchEndsExhaustively(TSamples Wave, int32_t Start,
                                                   const TLoopSearchOptions& Options);

// About how many sample pairs BestLoopEnds compares to search Candidates
// ends with a window of Window samples (for budgeting many searches).
int64_t SearchWork(int64_t Candidates, int32_t Window);

// The best start in From .. To for a loop of Length samples that ends
// inside the wave; none when no start fits. Every start is measured
// exactly, in one pass: for a fixed length the weighted sums of the seam
// cost are running sums along the wave.
std::optional<TLoopCandidate> BestStartForLength(TSamples Wave, int32_t Length, int32_t From, int32_t To,
                                                 int32_t Window);

// Picks from Candidates, best (lowest rank) first, at most Count with no two
// starts and no two ends both within MinSpacing of each other.
std::vector<TLoopCandidate> BestSpaced(std::vector<TLoopCandidate> Candidates, int32_t Count, int32_t MinSpacing);
