#pragma once
// How the automatic loop (AutoLoop.h) orders the loops it finds.
//
// Loudness. A loop holds the sound at about its full level: one whose mean
// square is below a quarter of the loudest frame's (6 dB down) makes a held
// note fade audibly before it holds, and comes after every louder loop.
//
// Rank. Loops are measured with the seam cost's own window and with longer
// ones (10 and 30 ms, never shorter than the seam cost's), and by the first
// pass through the join: the mean square of the difference between the
// plain 2 ms, and the plain 10 ms, before the loop end and before the loop
// start (the larger counts), relative to the loop's mean square. The seam
// cost judges a loop shorter than its window by the loop's own repetition;
// the first pass is what a listener hears when a note reaches its loop, and
// over 10 ms it weighs as heavily the stretch furthest from the seam.
// Each figure is taken relative to the best of its kind among the
// candidates, both with 0.001 added: differences 30 dB or more below the
// sound are all inaudible, and no loop gains rank by being cleaner than
// that. The four ratios are averaged (geometric mean), so that a loop
// cleaner on most of them is not lost for being a little worse on one; the
// rank ratio is the worse of that mean and the first pass's own ratio: a
// loop must join cleanly the first time, whatever its repeated seam buys.
//
// Order. A loop's rank is the quality word of its seam cost (its index:
// good 0, fair 1, poor 2), plus 3 for a quiet loop, plus the rank ratio r
// mapped into 0 .. 1 as r / (1 + r): no loop comes before one whose seam
// cost is rated better, and quiet loops come after all others.

#include "loop/LoopSearch.h"
#include "loop/SustainedPart.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// The ranks of quiet loops are this or more.
inline constexpr double kQuietLoopRank = 3.0;

// The mean square of the samples From .. To-1 of Wave (0 when none).
double MeanSquareOf(TSamples Wave, int32_t From, int32_t To);
// The first sample and the mean square of the loudest of the frames of
// Frame samples of Region, half a frame apart ({Region.From, 0} when none).
std::pair<int32_t, double> LoudestFrame(TSamples Wave, TRegion Region, int32_t Frame);

// The frame loudness is measured over: 20 ms, or all of Whole when it is
// shorter (a short sound is judged against its loudest 20 ms as a long one
// is, not against a peak of a few milliseconds).
int32_t LoudnessFrame(int32_t Rate, TRegion Whole);

class TLoudness {
public:
    // Loops inside Searched, against the loudest of the frames of Frame
    // samples of Whole, half a frame apart.
    TLoudness(TSamples Wave, TRegion Searched, TRegion Whole, int32_t Frame);
    bool Quiet(const TLoopCandidate& Loop) const;
    // The mean square of Loop.
    double Level(const TLoopCandidate& Loop) const;

    // The first and last starts in From .. To of loud loops of Length
    // samples; From .. To itself when none is loud.
    TRegion LoudStarts(int32_t Length, int32_t From, int32_t To) const;

private:
    double MeanSquare(int32_t From, int32_t To) const;

    int32_t FFrom;
    std::vector<double> FSquares; // running sum of squares from FFrom
    double FLoudest;
};

class TSeamRank {
public:
    // The seam cost's window is ShortMs.
    TSeamRank(TSamples Wave, int32_t Rate, double ShortMs, TLoudness Loudness);
    std::vector<TSeamWindow> Windows; // the seam cost's own first
    const TLoudness& Loudness() const { return FLoudness; }

    // Sets the best costs the ranks are relative to, those of Candidates,
    // and gives each candidate its seam cost and rank; each cost is
    // measured once.
    void RankAll(TSamples Wave, std::vector<TLoopCandidate>& Candidates);
    // Loop with its seam cost and rank, relative to the best costs set.
    TLoopCandidate Ranked(TSamples Wave, TLoopCandidate Loop) const;

    // The start in From .. To of the loop of Length samples whose first pass
    // through the join is cleanest; none when From > To.
    std::optional<TLoopCandidate> BestJoinStart(TSamples Wave, int32_t Length, int32_t From, int32_t To) const;


private:
    // The costs of Loop with each window, the seam cost's own first.
    std::vector<double> Costs(TSamples Wave, const TLoopCandidate& Loop) const;
    double RankOf(const TLoopCandidate& Loop, const std::vector<double>& Costs) const;

    std::vector<int32_t> FJoinWindows; // samples
    TLoudness FLoudness;
    std::vector<double> FBest;
};
