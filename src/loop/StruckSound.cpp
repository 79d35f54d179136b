#include "loop/StruckSound.h"

#include "loop/SeamRank.h"

#include <algorithm>

namespace {

// See StruckSound.h.
constexpr int64_t kLongestStruckSeconds = 2;
constexpr double kStruckFrameMs = 20.0;
constexpr double kStruckTailMs = 5.0;
constexpr double kStruckTailShareOfFair = 0.01;
constexpr double kStruckTailShareOfPoor = 0.25;
constexpr double kStruckLoudShare = 0.3;
constexpr double kStruckHeardMs = 10.0;

// The end for a loop over a hit from Region.From: of the ends at which the
// loop's mean square is at least Loud and its last Tail samples keep less
// than TailShare of it, the one whose last Heard samples are quietest
// against the loop (the first of equal ones): the hit has died away there,
// and what leads into the replay is least heard. None when no end is such.
std::optional<int32_t> DiedAwayEnd(TSamples Wave, TRegion Region, int32_t Tail, int32_t Heard, double Loud,
                                   double TailShare)
{
    // Its running sums of squares give the mean square of any stretch.
    const TLoudness levels(Wave, Region, Region, Tail);
    const auto meanSquare = [&](int32_t From, int32_t To) { return levels.Level({std::max(From, Region.From), To}); };
    std::optional<int32_t> best;
    double bestShare = 0;
    for (int32_t end = Region.From + 2 * Tail; end <= Region.To; ++end) {
        const double level = meanSquare(Region.From, end);
        if (level < Loud || meanSquare(end - Tail, end) >= TailShare * level)
            continue;
        if (const double share = meanSquare(end - Heard, end) / level; !best || share < bestShare) {
            best = end;
            bestShare = share;
        }
    }
    return best;
}

} // namespace

TRegion AroundLoudestFrame(TSamples Wave, int32_t Rate, TRegion Whole)
{
    const int32_t frame = std::min(SamplesOfMs(kStruckFrameMs, Rate), Whole.Length());
    const int32_t loudest = LoudestFrame(Wave, Whole, frame).first;
    return {std::max(Whole.From, loudest - frame),
            static_cast<int32_t>(std::min<int64_t>(Whole.To, int64_t{loudest} + 2 * frame))};
}

double StruckTailShare(const std::vector<TLoopCandidate>& Found, int32_t Window)
{
    const auto first =
        std::find_if(Found.begin(), Found.end(), [&](const TLoopCandidate& loop) { return loop.Start >= Window; });
    if (first == Found.end() || first->Rank >= kQuietLoopRank || SeamQualityOf(first->Cost) == TSeamQuality::Poor)
        return kStruckTailShareOfPoor;
    return SeamQualityOf(first->Cost) == TSeamQuality::Fair ? kStruckTailShareOfFair : 0.0;
}

std::optional<TLoopCandidate> StruckLoop(TSamples Wave, int32_t Rate, TRegion Region, double WindowMs,
                                         double TailShare)
{
    if (Rate < 1 || Region.Length() < 2 * kShortestLoopSamples ||
        Region.Length() > int64_t{Rate} * kLongestStruckSeconds || !Audible(Wave, Rate, Region))
        return std::nullopt;
    const int32_t frame = std::min(SamplesOfMs(kStruckFrameMs, Rate), Region.Length());
    const auto [loudestFrom, loudest] = LoudestFrame(Wave, Region, frame);
    if (loudestFrom - Region.From >= frame)
        return std::nullopt;
    const int32_t tail = SamplesOfMs(kStruckTailMs, Rate);
    if (Region.Length() < 2 * tail) // a single cycle of a sampled waveform, not a hit
        return std::nullopt;
    const std::optional<int32_t> end = DiedAwayEnd(Wave, Region, tail, SamplesOfMs(kStruckHeardMs, Rate),
                                                   kStruckLoudShare * loudest, TailShare);
    if (!end)
        return std::nullopt;
    TLoopCandidate loop{Region.From, *end};
    loop.Cost = SeamCost(Wave, loop.Start, loop.End, SamplesOfMs(WindowMs, Rate));
    loop.Rank = static_cast<double>(SeamQualityOf(loop.Cost));
    return loop;
}

void PreferStruckLoop(std::vector<TLoopCandidate>& Found, TLoopCandidate Struck, int32_t Window, int32_t Count)
{
    std::erase_if(Found, [&](const TLoopCandidate& loop) { return loop.Start < Window; });
    if (Found.empty() || SeamQualityOf(Struck.Cost) < SeamQualityOf(Found.front().Cost) ||
        Found.front().Rank >= kQuietLoopRank)
        Found.insert(Found.begin(), Struck);
    if (Found.size() > static_cast<std::size_t>(std::max(Count, 1)))
        Found.resize(static_cast<std::size_t>(std::max(Count, 1)));
}
