#include "loop/LoopSearch.h"

// The search over every start of one loop length (BestStartForLength), on
// running sums of the seam cost.

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// The weighted sums of the seam cost (differences, energies and levels) of
// the loops (s, s + L), kept as running sums while s steps along the wave,
// so that every start costs about W / L steps whatever the window W.
//
// Before the seam, the sample k before it (k = 1 .. W, j = k - 1) pairs
// x[s - k] with what is played there: x[s - k + m L] for the m-th pass
// through the loop counted back from the seam, m = ceil(k / L) (only m = 1
// for a loop of at least W samples). So the window falls into blocks of L
// samples, block m comparing the wave with itself at lag m L; each block's
// ramp-weighted and plain sums slide by one sample per step, with one term
// entering and one leaving. Samples before the wave's start are no part of
// the cost and count as nothing. After the seam, the n = min(W, L) samples
// played from s give the level the difference is heard against.
//
// The weights are W times those of the seam cost (W - j before the seam,
// the same mirrored after it), as integers, so that stepping adds no
// rounding: kLongestSlidWindow keeps the sums within 64 bits.
class TSlidingSeam {
public:
    TSlidingSeam(TSamples Wave, int32_t Length, int32_t Window, int32_t Start)
        : FWave(Wave.data()), FLength(Length), FWindow(Window), FStart(Start),
          FPasses((Window + Length - 1) / Length), FAfterCount(std::min(Window, Length))
    {
        for (int32_t j = 0; j < Window; ++j) {
            const TTerm term = Term(Start - 1 - j, j / Length + 1);
            FRamp += term * (Window - j);
            FBox += term;
        }
        for (int32_t j = 0; j < FAfterCount; ++j) {
            const TTerm following = Following(Start + j);
            FAfter += following * (Window - j);
            FAfterBox += following;
        }
    }

    double Cost() const
    {
        const int64_t before = std::min(FWindow, FStart);
        const double weight = RampWeight(before);
        const double level = static_cast<double>(FRamp.Sum);
        const double mean = weight > 0 ? level / (2 * weight) : 0.0;
        const double following = static_cast<double>(FAfter.Energy) - 2 * mean * static_cast<double>(FAfter.Sum) +
                                 mean * mean * RampWeight(FAfterCount);
        const double offset = weight > 0 ? level * level / (2 * weight) : 0.0;
        return TSeamSums::SeamRatio(static_cast<double>(FRamp.Diff),
                                    std::max(static_cast<double>(FRamp.Energy), 2 * following + offset), offset);
    }

    // To the next start: every weight before the seam falls by one; in each
    // block the sample next to the seam enters, the furthest one leaves.
    void Step()
    {
        if (FPasses == 1 && FStart >= FWindow) {
            // The common case, a loop at least as long as the window whose
            // window lies in the wave, kept lean: it is most of the work.
            const TTerm entering = Term(FStart, 1);
            FRamp = FRamp + entering * FWindow - FBox;
            FBox = FBox + entering - Term(FStart - FWindow, 1);
            const TTerm leaving = Following(FStart);
            FAfterBox = FAfterBox - leaving + Following(FStart + FWindow);
            FAfter = FAfter - leaving * FWindow + FAfterBox;
            ++FStart;
            return;
        }
        TTerm entering, leaving;
        for (int32_t m = 1; m <= FPasses; ++m) {
            const int32_t nearest = (m - 1) * FLength;
            const int32_t beyond = std::min(m * FLength, FWindow);
            const TTerm in = Term(FStart - nearest, m);
            const TTerm out = Term(FStart - beyond, m);
            entering += in * (FWindow - nearest);
            leaving += out * (FWindow - beyond);
            FBoxStep += in - out;
        }
        FRamp = FRamp + entering - leaving - FBox;
        FBox += FBoxStep;
        FBoxStep = {};
        const TTerm gone = Following(FStart);
        const TTerm come = Following(FStart + FAfterCount);
        FAfter = FAfter - gone * FWindow + come * (FWindow - FAfterCount);
        FAfterBox = FAfterBox - gone + come;
        FAfter += FAfterBox;
        ++FStart;
    }

private:
    struct TTerm {
        int64_t Diff = 0;
        int64_t Energy = 0;
        int64_t Sum = 0;
        TTerm operator+(const TTerm& Other) const
        {
            return {Diff + Other.Diff, Energy + Other.Energy, Sum + Other.Sum};
        }
        TTerm operator-(const TTerm& Other) const
        {
            return {Diff - Other.Diff, Energy - Other.Energy, Sum - Other.Sum};
        }
        TTerm operator*(int64_t Factor) const { return {Diff * Factor, Energy * Factor, Sum * Factor}; }
        TTerm& operator+=(const TTerm& Other) { return *this = *this + Other; }
    };

    // The sum of the weights W - j for j = 0 .. Count-1.
    double RampWeight(int64_t Count) const
    {
        return static_cast<double>(Count * FWindow - Count * (Count - 1) / 2);
    }

    // The pair at position t of the m-th pass back: the wave x[t] and what
    // is played in its place, x[t + m L]; nothing before the wave.
    TTerm Term(int64_t t, int32_t Pass) const
    {
        if (t < 0)
            return {};
        const int64_t a = FWave[t + int64_t{Pass} * FLength];
        const int64_t b = FWave[t];
        return {(a - b) * (a - b), a * a + b * b, a + b};
    }

    // The sample played after the seam at t: only its level counts.
    TTerm Following(int64_t t) const
    {
        const int64_t b = FWave[t];
        return {0, b * b, b};
    }

    const int16_t* FWave;
    int32_t FLength;
    int32_t FWindow;
    int32_t FStart;
    int32_t FPasses; // the blocks the window falls into
    int32_t FAfterCount;
    TTerm FRamp, FBox, FBoxStep;
    TTerm FAfter, FAfterBox; // the ramp mirrored over the samples from s on, and their plain sum
};

// The longest window whose integer sums cannot overflow: W^2 / 2 terms of
// at most 2^33.
constexpr int32_t kLongestSlidWindow = 1 << 14;

} // namespace

std::optional<TLoopCandidate> BestStartForLength(TSamples Wave, int32_t Length, int32_t From, int32_t To,
                                                 int32_t Window)
{
    const int64_t count = static_cast<int64_t>(Wave.size());
    From = std::max(From, 0);
    To = static_cast<int32_t>(std::min<int64_t>(To, count - Length));
    if (Length < kShortestLoopSamples || From > To)
        return std::nullopt;
    // A loop from sample 0 is judged by what follows its points, and a
    // window too long for the running sums start by start.
    const TSeamWindow window(Window, Wave.size());
    std::optional<TLoopCandidate> best;
    const auto consider = [&](int32_t Start, double Cost) {
        if (!best || Cost < best->Cost)
            best = TLoopCandidate{Start, Start + Length, Cost};
    };
    const int32_t firstSlid = Window > kLongestSlidWindow ? To + 1 : std::max(From, 1);
    for (int32_t start = From; start < std::min(firstSlid, To + 1); ++start)
        consider(start, window.Cost(Wave, start, start + Length));
    if (firstSlid <= To) {
        TSlidingSeam seam(Wave, Length, Window, firstSlid);
        for (int32_t start = firstSlid; start <= To; ++start) {
            if (start > firstSlid)
                seam.Step();
            consider(start, seam.Cost());
        }
    }
    // Reported with the same arithmetic as every other seam cost.
    best->Cost = best->Rank = window.Cost(Wave, best->Start, best->End);
    return best;
}
