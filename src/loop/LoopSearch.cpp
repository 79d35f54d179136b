#include "loop/LoopSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace {

// The finest grid the coarse pass may use, and the fewest blocks its window
// may span on either side.
constexpr int32_t kMaxBlock = 16;
constexpr int32_t kMinWindowBlocks = 24;
// How many coarse minima are followed down to full resolution (at least).
constexpr std::size_t kMinBranches = 96;
// And at least one for this many candidates.
constexpr int64_t kCandidatesPerBranch = 512;

struct TScored {
    int32_t Position;
    double Cost;
};

int64_t FloorDiv(int64_t Value, int64_t Divisor)
{
    const int64_t quotient = Value / Divisor;
    return quotient * Divisor > Value ? quotient - 1 : quotient;
}

// Means of whole blocks of Size samples whose first samples lie at Phase
// modulo Size, covering From .. To-1 as far as the wave has whole blocks.
struct TBlocks {
    int64_t First = 0;
    int32_t Size = 1;
    std::vector<float> Mean;

    TBlocks(TSamples Wave, int64_t From, int64_t To, int32_t BlockSize, int64_t Phase) : Size(BlockSize)
    {
        const int64_t count = static_cast<int64_t>(Wave.size());
        From = std::max<int64_t>(From, 0);
        To = std::min(To, count);
        First = Phase + (FloorDiv(From - Phase - 1, Size) + 1) * Size;
        if (First + Size > To)
            return;
        Mean.resize(static_cast<std::size_t>((To - First) / Size));
        const float scale = 1.0f / static_cast<float>(Size);
        const int16_t* sample = Wave.data() + First;
        for (float& mean : Mean) {
            int32_t sum = 0;
            for (int32_t i = 0; i < Size; ++i)
                sum += *sample++;
            mean = static_cast<float>(sum) * scale;
        }
    }
    int64_t End() const { return First + static_cast<int64_t>(Mean.size()) * Size; }
};

// The seam cost on the means of blocks of Size samples, relative to the
// anchor (the fixed loop point). Candidates lie at the anchor's phase
// modulo Size, so that their blocks line up with the anchor's.
class TBlockLevel {
public:
    TBlockLevel(TSamples Wave, int32_t Anchor, int32_t Window, int32_t Size)
        : FWave(Wave), FAnchor(Anchor), FSize(Size), FHalf((Window + Size - 1) / Size),
          FHeld(static_cast<int32_t>(std::min<int64_t>(FHalf, static_cast<int64_t>(Wave.size()) / Size + 1))),
          FWeights(static_cast<std::size_t>(FHeld)),
          FAnchorBlocks(Wave, int64_t{Anchor} - int64_t{FHalf} * Size, Anchor, Size, Anchor % Size)
    {
        // The ramp of the seam cost at the middle of each block before the
        // seam, as far back as blocks of the wave reach.
        for (int32_t j = -FHeld; j < 0; ++j)
            FWeights[j + FHeld] =
                std::max(0.0f, 1.0f + ((j + 0.5f) * Size + 0.5f) / static_cast<float>(Window));
    }

    // Blocks covering the windows of the candidates From .. To that lie at
    // Phase modulo the block size (the anchor's phase when not given).
    TBlocks BlocksFor(int64_t From, int64_t To) const { return BlocksFor(From, To, FAnchor % FSize); }
    TBlocks BlocksFor(int64_t From, int64_t To, int64_t Phase) const
    {
        return TBlocks(FWave, From - int64_t{FHalf} * FSize, To + FSize, FSize, Phase);
    }

    double Cost(const TBlocks& Signal, int64_t Candidate) const
    {
        const TBlocks& anchor = FAnchorBlocks;
        const int64_t low = std::max({int64_t{-FHalf}, (anchor.First - FAnchor) / FSize,
                                      (Signal.First - Candidate) / FSize});
        const int64_t high = std::min({int64_t{0}, (anchor.End() - FAnchor) / FSize, (Signal.End() - Candidate) / FSize});
        if (low >= high)
            return 1.0;
        const float* signal = Signal.Mean.data() + (Candidate + low * FSize - Signal.First) / FSize;
        const float* fixed = anchor.Mean.data() + (FAnchor + low * FSize - anchor.First) / FSize;
        return SeamSums(signal, fixed, FWeights.data() + FHeld + low, static_cast<int32_t>(high - low)).Ratio();
    }

private:
    TSamples FWave;
    int32_t FAnchor;
    int32_t FSize;
    int32_t FHalf;
    int32_t FHeld; // the weights held: no more blocks than the wave has
    std::vector<float> FWeights; // index j + Held for blocks j = -Held .. -1
    TBlocks FAnchorBlocks;
};

int32_t CoarsestBlock(int32_t Window)
{
    int32_t size = 1;
    while (size < kMaxBlock && Window / (2 * size) >= kMinWindowBlocks)
        size *= 2;
    return size;
}

// A local minimum of the coarse cost at Position (costs Left, Here, Right
// one Step apart) is followed from the grid point nearest the bottom of the
// parabola through the three, and ranked by that bottom: a minimum between
// two grid points must not lose to one that happens to fall on the grid.
TScored BottomNear(int32_t Position, int32_t Step, double Left, double Here, double Right, int32_t First, int32_t Last)
{
    const double curvature = Left - 2 * Here + Right;
    const double bottom = curvature > 0 ? 0.5 * (Left - Right) / curvature : 0.0;
    const int32_t nearest = std::clamp(Position + static_cast<int32_t>(std::lround(bottom)) * Step, First, Last);
    return {nearest, Here - 0.25 * (Left - Right) * bottom};
}

// The positions of the best local minima of the coarse cost over the grid
// First, First + Step, ... up to Last. Step divides the level's block size;
// each class of grid points at the same phase modulo the block size is
// measured on its own block means. The grid is measured a chunk at a time
// and only the best Keep minima are held, so that memory does not grow
// with the range.
std::vector<int32_t> CoarseMinima(const TBlockLevel& Level, int32_t First, int32_t Last, int32_t Size, int32_t Step,
                                  std::size_t Keep)
{
    const int64_t points = (int64_t{Last} - First) / Step + 1;
    const int64_t phases = Size / Step;
    const auto positionOf = [&](int64_t I) { return static_cast<int32_t>(First + I * Step); };
    // Costs of grid points From .. To-1.
    const auto measure = [&](int64_t From, int64_t To) {
        std::vector<double> costs(static_cast<std::size_t>(To - From));
        for (int64_t phase = 0; phase < phases && From + phase < To; ++phase) {
            const TBlocks signal = Level.BlocksFor(positionOf(From), positionOf(To - 1), positionOf(From + phase) % Size);
            for (int64_t i = From + phase; i < To; i += phases)
                costs[static_cast<std::size_t>(i - From)] = Level.Cost(signal, positionOf(i));
        }
        return costs;
    };
    const auto worse = [](const TScored& a, const TScored& b) {
        return std::tie(a.Cost, a.Position) < std::tie(b.Cost, b.Position);
    };
    std::vector<TScored> kept; // a heap, worst on top
    constexpr int64_t kChunk = 1 << 16;
    for (int64_t from = 0; from < points; from += kChunk) {
        const int64_t to = std::min(points, from + kChunk);
        const int64_t low = std::max<int64_t>(0, from - 1), high = std::min(points, to + 1);
        const std::vector<double> cost = measure(low, high);
        for (int64_t i = from; i < to; ++i) {
            const double here = cost[static_cast<std::size_t>(i - low)];
            const double left = i == 0 ? here : cost[static_cast<std::size_t>(i - 1 - low)];
            const double right = i + 1 == points ? here : cost[static_cast<std::size_t>(i + 1 - low)];
            if (here > left || here > right)
                continue;
            const TScored minimum = BottomNear(positionOf(i), Step, left, here, right, First, Last);
            if (kept.size() < Keep) {
                kept.push_back(minimum);
                std::push_heap(kept.begin(), kept.end(), worse);
            } else if (worse(minimum, kept.front())) {
                std::pop_heap(kept.begin(), kept.end(), worse);
                kept.back() = minimum;
                std::push_heap(kept.begin(), kept.end(), worse);
            }
        }
    }
    std::sort_heap(kept.begin(), kept.end(), worse);
    std::vector<int32_t> positions;
    for (const TScored& minimum : kept)
        positions.push_back(minimum.Position);
    return positions;
}

// Every candidate Low .. High measured exactly.
std::vector<TScored> MeasureAll(TSamples Wave, int32_t Anchor, int32_t Low, int32_t High, int32_t Window)
{
    const TSeamWindow window(Window, Wave.size());
    std::vector<TScored> scored;
    for (int32_t candidate = Low; candidate <= High; ++candidate)
        scored.push_back({candidate, window.Cost(Wave, Anchor, candidate)});
    return scored;
}

struct TRange {
    int32_t Low;
    int32_t High;
};

// One step down from a coarser level: the best of Branch and the positions
// up to 2 steps either side, measured on Level's blocks.
int32_t FollowBranch(const TBlockLevel& Level, int32_t Branch, int32_t Step, TRange Range)
{
    const TBlocks signal =
        Level.BlocksFor(std::max(Range.Low, Branch - 2 * Step), std::min(Range.High, Branch + 2 * Step));
    double best = std::numeric_limits<double>::infinity();
    int32_t bestAt = Branch;
    for (int32_t offset = -2; offset <= 2; ++offset) {
        const int32_t candidate = Branch + offset * Step;
        if (candidate < Range.Low || candidate > Range.High)
            continue;
        const double cost = Level.Cost(signal, candidate);
        if (cost < best) {
            best = cost;
            bestAt = candidate;
        }
    }
    return bestAt;
}

// The partners of the fixed loop point Anchor among Low .. High, coarse to
// fine (see LoopSearch.h): every position measured at full resolution.
std::vector<TScored> SearchPartners(TSamples Wave, int32_t Anchor, int32_t Low, int32_t High, int32_t Window,
                                    std::size_t Branches)
{
    if (Low > High)
        return {};
    // Without at least two levels below the coarse grid (blocks of 4) there
    // is nothing to gain: every candidate is measured.
    const int32_t coarsest = CoarsestBlock(Window);
    if (coarsest < 4 || High - Low < 4 * coarsest)
        return MeasureAll(Wave, Anchor, Low, High, Window);

    // The coarse grid has half the block size as its step, so that a
    // minimum lies at most a quarter block from a grid point.
    const int32_t gridStep = coarsest / 2;
    const int64_t phase = Anchor % gridStep;
    const int32_t first = static_cast<int32_t>(phase + (FloorDiv(Low - phase - 1, gridStep) + 1) * gridStep);
    // Long ranges of a steady tone hold many near-equal minima: more are followed.
    const std::size_t keep = std::max(Branches, static_cast<std::size_t>((int64_t{High} - Low) / kCandidatesPerBranch));
    std::vector<int32_t> branches =
        CoarseMinima(TBlockLevel(Wave, Anchor, Window, coarsest), first, High, coarsest, gridStep, keep);

    for (int32_t step = gridStep / 2; step >= 2; step /= 2) {
        const TBlockLevel level(Wave, Anchor, Window, step);
        for (int32_t& branch : branches)
            branch = FollowBranch(level, branch, step, {Low, High});
        std::sort(branches.begin(), branches.end());
        branches.erase(std::unique(branches.begin(), branches.end()), branches.end());
    }
    // The last step, one sample: every position up to 2 either side of a
    // branch measured exactly.
    const TSeamWindow exact(Window, Wave.size());
    std::vector<TScored> measured;
    for (const int32_t branch : branches)
        for (int32_t candidate = std::max(Low, branch - 2); candidate <= std::min(High, branch + 2); ++candidate)
            measured.push_back({candidate, exact.Cost(Wave, Anchor, candidate)});
    std::sort(measured.begin(), measured.end(), [](const TScored& a, const TScored& b) { return a.Position < b.Position; });
    measured.erase(std::unique(measured.begin(), measured.end(),
                               [](const TScored& a, const TScored& b) { return a.Position == b.Position; }),
                   measured.end());
    return measured;
}

// Target +- Radius within Lowest .. Highest and within Low .. High.
TRange RangeOf(const TLoopSearchOptions& Options, int64_t Low, int64_t High)
{
    Low = std::max({Low, int64_t{Options.TargetSample} - Options.RadiusSamples, int64_t{Options.LowestSample}});
    High = std::min({High, int64_t{Options.TargetSample} + Options.RadiusSamples, int64_t{Options.HighestSample}});
    if (Low > High)
        return {1, 0};
    return {static_cast<int32_t>(Low), static_cast<int32_t>(High)};
}

TRange EndRange(TSamples Wave, int32_t Start, const TLoopSearchOptions& Options)
{
    return RangeOf(Options, int64_t{Start} + std::max(kShortestLoopSamples, Options.MinLengthSamples),
                   static_cast<int64_t>(Wave.size()));
}

std::vector<TLoopCandidate> EndsOf(int32_t Start, const std::vector<TScored>& Scored, const TLoopSearchOptions& Options)
{
    std::vector<TLoopCandidate> loops;
    for (const TScored& scored : Scored)
        loops.push_back({Start, scored.Position, scored.Cost, scored.Cost});
    return BestSpaced(std::move(loops), Options.Count, Options.MinSpacingSamples);
}

std::size_t BranchesFor(const TLoopSearchOptions& Options)
{
    return std::max({kMinBranches, static_cast<std::size_t>(std::max(0, Options.Branches)),
                     4 * static_cast<std::size_t>(std::max(1, Options.Count))});
}

} // namespace

std::vector<TLoopCandidate> BestLoopEnds(TSamples Wave, int32_t Start, const TLoopSearchOptions& Options)
{
    if (Start < 0 || Start >= static_cast<int32_t>(Wave.size()))
        return {};
    const TRange range = EndRange(Wave, Start, Options);
    return EndsOf(Start, SearchPartners(Wave, Start, range.Low, range.High, Options.HalfWindowSamples, BranchesFor(Options)),
                  Options);
}

std::vector<TLoopCandidate> SearchEndsExhaustively(TSamples Wave, int32_t Start, const TLoopSearchOptions& Options)
{
    if (Start < 0 || Start >= static_cast<int32_t>(Wave.size()))
        return {};
    const TRange range = EndRange(Wave, Start, Options);
    return EndsOf(Start, MeasureAll(Wave, Start, range.Low, range.High, Options.HalfWindowSamples), Options);
}

std::vector<TLoopCandidate> BestLoopStarts(TSamples Wave, int32_t End, const TLoopSearchOptions& Options)
{
    if (End < 1 || End > static_cast<int32_t>(Wave.size()))
        return {};
    const TRange range = RangeOf(Options, 0, int64_t{End} - std::max(kShortestLoopSamples, Options.MinLengthSamples));
    std::vector<TLoopCandidate> loops;
    for (const TScored& scored :
         SearchPartners(Wave, End, range.Low, range.High, Options.HalfWindowSamples, BranchesFor(Options)))
        loops.push_back({scored.Position, End, scored.Cost, scored.Cost});
    return BestSpaced(std::move(loops), Options.Count, Options.MinSpacingSamples);
}

int64_t SearchWork(int64_t Candidates, int32_t Window)
{
    const int64_t block = CoarsestBlock(Window);
    const int64_t coarse = block < 4 ? Candidates * Window : Candidates / (block / 2) * Window / block;
    return coarse + static_cast<int64_t>(kMinBranches) * 5 * Window;
}

std::vector<TLoopCandidate> BestSpaced(std::vector<TLoopCandidate> Candidates, int32_t Count, int32_t MinSpacing)
{
    std::sort(Candidates.begin(), Candidates.end(), [](const TLoopCandidate& a, const TLoopCandidate& b) {
        return std::tie(a.Rank, a.Start, a.End) < std::tie(b.Rank, b.Start, b.End);
    });
    std::vector<TLoopCandidate> chosen;
    for (const TLoopCandidate& candidate : Candidates) {
        if (static_cast<int32_t>(chosen.size()) >= Count)
            break;
        const bool apart = std::none_of(chosen.begin(), chosen.end(), [&](const TLoopCandidate& other) {
            return std::abs(other.Start - candidate.Start) < MinSpacing &&
                   std::abs(other.End - candidate.End) < MinSpacing;
        });
        if (apart)
            chosen.push_back(candidate);
    }
    return chosen;
}
