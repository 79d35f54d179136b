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
constexpr double kStruckLoudShare = 0.25;

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
    const double whole = MeanSquareOf(Wave, Region.From, Region.To);
    const int32_t frame = std::min(SamplesOfMs(kStruckFrameMs, Rate), Region.Length());
    const auto [loudestFrom, loudest] = LoudestFrame(Wave, Region, frame);
    if (loudestFrom - Region.From >= frame)
        return std::nullopt;
    const int32_t tail = SamplesOfMs(kStruckTailMs, Rate);
    if (Region.Length() < 2 * tail) // a single cycle of a sampled waveform, not a hit
        return std::nullopt;
    if (whole < kStruckLoudShare * loudest || MeanSquareOf(Wave, Region.To - tail, Region.To) >= TailShare * whole)
        return std::nullopt;
    TLoopCandidate loop{Region.From, Region.To};
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
