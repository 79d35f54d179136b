#include "loop/SeamRank.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kQuietShare = 0.25;
// The longer comparison windows of the rank, besides the seam cost's own.
constexpr double kLongWindowsMs[] = {10.0, 30.0};
// The plain comparisons of the first pass through the join.
constexpr double kJoinWindowsMs[] = {2.0, 10.0};
constexpr double kRankFloor = 1e-3;
constexpr double kLoudnessFrameMs = 20.0;

double Square(TSamples Wave, int32_t I)
{
    const auto sample = static_cast<double>(Wave[static_cast<std::size_t>(I)]);
    return sample * sample;
}

// Sample I of Wave, silence outside it.
double At(TSamples Wave, int64_t I)
{
    return I >= 0 && I < static_cast<int64_t>(Wave.size()) ? static_cast<double>(Wave[static_cast<std::size_t>(I)]) : 0.0;
}

// The mean square of the difference between the Window samples before End
// and those before Start (silence outside the wave), relative to Level.
double JoinDifference(TSamples Wave, int32_t Start, int32_t End, int32_t Window, double Level)
{
    // Before both points are outside the wave nothing differs: a window far
    // longer than the wave (an absurd rate) costs no more than the wave.
    double diff = 0;
    for (int32_t k = -std::min(Window, std::max(Start, End)); k < 0; ++k)
        diff += (At(Wave, int64_t{End} + k) - At(Wave, int64_t{Start} + k)) *
                (At(Wave, int64_t{End} + k) - At(Wave, int64_t{Start} + k));
    if (!(diff > 0))
        return 0.0;
    return Level > 0 ? diff / Window / Level : 2.0;
}

} // namespace

double MeanSquareOf(TSamples Wave, int32_t From, int32_t To)
{
    double sum = 0;
    for (int32_t i = From; i < To; ++i)
        sum += Square(Wave, i);
    return To > From ? sum / (To - From) : 0.0;
}

std::pair<int32_t, double> LoudestFrame(TSamples Wave, TRegion Region, int32_t Frame)
{
    std::pair<int32_t, double> loudest{Region.From, 0.0};
    for (int32_t from = Region.From; Frame > 0 && from + Frame <= Region.To; from += std::max(1, Frame / 2))
        if (const double level = MeanSquareOf(Wave, from, from + Frame); level > loudest.second)
            loudest = {from, level};
    return loudest;
}

int32_t LoudnessFrame(int32_t Rate, TRegion Whole)
{
    return std::max(1, std::min(SamplesOfMs(kLoudnessFrameMs, Rate), Whole.Length()));
}

TLoudness::TLoudness(TSamples Wave, TRegion Searched, TRegion Whole, int32_t Frame)
    : FFrom(Searched.From), FSquares(1, 0.0), FLoudest(LoudestFrame(Wave, Whole, Frame).second)
{
    for (int32_t i = Searched.From; i < Searched.To; ++i)
        FSquares.push_back(FSquares.back() + Square(Wave, i));
}

bool TLoudness::Quiet(const TLoopCandidate& Loop) const
{
    return Level(Loop) < kQuietShare * FLoudest;
}

double TLoudness::Level(const TLoopCandidate& Loop) const
{
    return MeanSquare(Loop.Start, Loop.End);
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
    for (const double ms : kJoinWindowsMs)
        FJoinWindows.push_back(SamplesOfMs(ms, Rate));
    FBest.assign(Windows.size() + 1, 1.0);
}

void TSeamRank::RankAll(TSamples Wave, std::vector<TLoopCandidate>& Candidates)
{
    std::vector<std::vector<double>> costs;
    for (const TLoopCandidate& loop : Candidates) {
        costs.push_back(Costs(Wave, loop));
        for (std::size_t i = 0; i < FBest.size(); ++i)
            FBest[i] = std::min(FBest[i], costs.back()[i]);
    }
    for (std::size_t c = 0; c < Candidates.size(); ++c) {
        Candidates[c].Cost = costs[c].front();
        Candidates[c].Rank = RankOf(Candidates[c], costs[c]);
    }
}

TLoopCandidate TSeamRank::Ranked(TSamples Wave, TLoopCandidate Loop) const
{
    const std::vector<double> cost = Costs(Wave, Loop);
    Loop.Cost = cost.front();
    Loop.Rank = RankOf(Loop, cost);
    return Loop;
}

std::vector<double> TSeamRank::Costs(TSamples Wave, const TLoopCandidate& Loop) const
{
    std::vector<double> costs;
    for (const TSeamWindow& window : Windows)
        costs.push_back(window.Cost(Wave, Loop.Start, Loop.End));
    double join = 0;
    for (const int32_t window : FJoinWindows)
        join = std::max(join, JoinDifference(Wave, Loop.Start, Loop.End, window, FLoudness.Level(Loop)));
    costs.push_back(join);
    return costs;
}

std::optional<TLoopCandidate> TSeamRank::BestJoinStart(TSamples Wave, int32_t Length, int32_t From, int32_t To) const
{
    if (From > To || Length < 1)
        return std::nullopt;
    // Running sums from First on, of the squared differences of the loop's
    // two stretches and of the squares (the loop's level). Before First
    // both stretches lie before the wave, where nothing differs.
    const int32_t widest = *std::max_element(FJoinWindows.begin(), FJoinWindows.end());
    const int64_t first = std::max(int64_t{From} - widest, -int64_t{Length});
    const auto count = static_cast<std::size_t>(int64_t{To} + Length - first + 1);
    std::vector<double> differences(1, 0.0), squares(1, 0.0);
    differences.reserve(count);
    squares.reserve(count);
    for (int64_t i = first; i < int64_t{To} + Length; ++i) {
        const double d = At(Wave, i + Length) - At(Wave, i);
        differences.push_back(differences.back() + d * d);
        squares.push_back(squares.back() + At(Wave, i) * At(Wave, i));
    }
    const auto sumOf = [&](const std::vector<double>& Sums, int64_t Before) {
        return Before <= first ? 0.0 : Sums[static_cast<std::size_t>(Before - first)];
    };
    // The join is the larger difference per sample over the loop's mean
    // square (2 for a silent loop that differs), kept as a fraction and
    // compared across starts without dividing.
    std::optional<TLoopCandidate> best;
    double bestOver = 0, bestUnder = 1;
    for (int32_t start = From; start <= To; ++start) {
        const double level = sumOf(squares, int64_t{start} + Length) - sumOf(squares, start);
        double diff = 0;
        for (const int32_t window : FJoinWindows)
            diff = std::max(diff, (sumOf(differences, start) - sumOf(differences, int64_t{start} - window)) / window);
        const double over = level > 0 ? diff * Length : (diff > 0 ? 2.0 : 0.0);
        const double under = level > 0 ? level : 1.0;
        if (!best || over * bestUnder < bestOver * under) {
            best = TLoopCandidate{start, start + Length};
            bestOver = over;
            bestUnder = under;
        }
    }
    return best;
}

// See "Rank" and "Order" in SeamRank.h.
double TSeamRank::RankOf(const TLoopCandidate& Loop, const std::vector<double>& Costs) const
{
    const auto ratioOf = [&](std::size_t I) { return (Costs[I] + kRankFloor) / (FBest[I] + kRankFloor); };
    double logs = 0;
    for (std::size_t i = 0; i < Costs.size(); ++i)
        logs += std::log(ratioOf(i));
    const double ratio = std::max(std::exp(logs / static_cast<double>(Costs.size())), ratioOf(Windows.size()));
    return (FLoudness.Quiet(Loop) ? kQuietLoopRank : 0.0) + static_cast<double>(SeamQualityOf(Costs.front())) +
           ratio / (1.0 + ratio);
}
