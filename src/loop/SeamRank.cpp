#include "loop/SeamRank.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kQuietShare = 0.25;
// The longer comparison windows of the rank, besides the seam cost's own.
constexpr double kLongWindowsMs[] = {10.0, 30.0};
constexpr double kRankFloor = 1e-6;
constexpr double kQuietRank = 1e9; // above any ratio (at most 2 / kRankFloor)

double Square(TSamples Wave, int32_t I)
{
    const auto sample = static_cast<double>(Wave[static_cast<std::size_t>(I)]);
    return sample * sample;
}

} // namespace

TLoudness::TLoudness(TSamples Wave, TRegion Searched, TRegion Whole, int32_t Frame)
    : FFrom(Searched.From), FSquares(1, 0.0)
{
    for (int32_t i = Searched.From; i < Searched.To; ++i)
        FSquares.push_back(FSquares.back() + Square(Wave, i));
    for (int32_t from = Whole.From; Frame > 0 && from + Frame <= Whole.To; from += std::max(1, Frame / 2)) {
        double sum = 0;
        for (int32_t i = from; i < from + Frame; ++i)
            sum += Square(Wave, i);
        FLoudest = std::max(FLoudest, sum / Frame);
    }
}

bool TLoudness::Quiet(const TLoopCandidate& Loop) const
{
    return MeanSquare(Loop.Start, Loop.End) < kQuietShare * FLoudest;
}

TRegion TLoudness::LoudStarts(int32_t Length, int32_t From, int32_t To) const
{
    const auto loud = [&](int32_t Start) { return !Quiet({Start, Start + Length}); };
    int32_t first = From;
    while (first <= To && !loud(first))
        ++first;
    if (first > To)
        return {From, To};
    int32_t last = To;
    while (!loud(last))
        --last;
    return {first, last};
}

double TLoudness::MeanSquare(int32_t From, int32_t To) const
{
    const auto last = static_cast<int64_t>(FSquares.size()) - 1;
    const int64_t from = std::clamp<int64_t>(From - FFrom, 0, last), to = std::clamp<int64_t>(To - FFrom, 0, last);
    return to > from ? (FSquares[static_cast<std::size_t>(to)] - FSquares[static_cast<std::size_t>(from)]) /
                           static_cast<double>(to - from)
                     : 0.0;
}

TSeamRank::TSeamRank(TSamples Wave, int32_t Rate, double ShortMs, TLoudness Loudness)
    : FLoudness(std::move(Loudness))
{
    Windows.emplace_back(SamplesOfMs(ShortMs, Rate), Wave.size());
    for (const double ms : kLongWindowsMs)
        Windows.emplace_back(SamplesOfMs(std::max(ShortMs, ms), Rate), Wave.size());
    FBest.assign(Windows.size(), 1.0);
}

void TSeamRank::RankAll(TSamples Wave, std::vector<TLoopCandidate>& Candidates)
{
    std::vector<std::vector<double>> costs;
    for (const TLoopCandidate& loop : Candidates) {
        std::vector<double>& cost = costs.emplace_back();
        for (std::size_t i = 0; i < Windows.size(); ++i) {
            cost.push_back(Windows[i].Cost(Wave, loop.Start, loop.End));
            FBest[i] = std::min(FBest[i], cost.back());
        }
    }
    for (std::size_t c = 0; c < Candidates.size(); ++c) {
        Candidates[c].Cost = costs[c].front();
        Candidates[c].Rank = RankOf(Candidates[c], costs[c]);
    }
}

TLoopCandidate TSeamRank::Ranked(TSamples Wave, TLoopCandidate Loop) const
{
    std::vector<double> cost;
    for (const TSeamWindow& window : Windows)
        cost.push_back(window.Cost(Wave, Loop.Start, Loop.End));
    Loop.Cost = cost.front();
    Loop.Rank = RankOf(Loop, cost);
    return Loop;
}

std::vector<TLoopCandidate> TSeamRank::Best(std::vector<TLoopCandidate> Ranked, int32_t Count,
                                            int32_t MinSpacing) const
{
    for (TLoopCandidate& loop : Ranked) {
        const double ratio = std::fmod(loop.Rank, kQuietRank);
        loop.Rank = (loop.Rank >= kQuietRank ? kQuietLoopRank : 0.0) + static_cast<double>(SeamQualityOf(loop.Cost)) +
                    ratio / (1.0 + ratio);
    }
    return BestSpaced(std::move(Ranked), Count, MinSpacing);
}

// The worst of Costs (one per window) relative to the best with its
// window; kQuietRank more for a quiet loop.
double TSeamRank::RankOf(const TLoopCandidate& Loop, const std::vector<double>& Costs) const
{
    double ratio = 0;
    for (std::size_t i = 0; i < Windows.size(); ++i)
        ratio = std::max(ratio, Costs[i] / (FBest[i] + kRankFloor));
    return ratio + (FLoudness.Quiet(Loop) ? kQuietRank : 0.0);
}
