#include "loop/LoopFinder.h"

#include "common/Format.h"
#include "document/CrossFade.h"
#include "document/WaveLoop.h"
#include "loop/ZeroCrossing.h"

#include <algorithm>

namespace {

// No request lists more loops than a person reads.
constexpr int32_t kMostLoops = 1000;
// The loops found for a request with a crossfade, ranked after it: a loop
// a little worse as found may join best once faded.
constexpr int32_t kFadedChoices = 8;

int32_t SearchedCount(const TLoopRequest& Request)
{
    const int32_t count = std::clamp(Request.Count, 1, kMostLoops);
    return Request.FadeSamples > 0 || Request.AutomaticFade ? std::max(count, kFadedChoices) : count;
}

int32_t SampleCount(TSamples Wave) { return static_cast<int32_t>(Wave.size()); }

} // namespace

TLoopFinder::TLoopFinder(TSamples Wave, int32_t RateHz) : FWave(Wave), FRateHz(RateHz), FTimedRate(TimedRate(RateHz)) {}

void TLoopFinder::RequireRate() const
{
    if (FRateHz <= 0)
        throw ELoopFinderError(kNoLoopFound);
}

void TLoopFinder::RequireStart(int32_t Start) const
{
    if (Start < 0 || Start >= SampleCount(FWave))
        throw ELoopFinderError(kLoopStartInvalid);
    if (Start == 0)
        throw ELoopFinderError(kLoopFromZeroNotInBank);
}

TFoundLoops TLoopFinder::BestEndsNear(int32_t Start, int32_t TargetEnd, double RadiusMs,
                                      const TLoopRequest& Request) const
{
    RequireRate();
    RequireStart(Start);
    const int32_t count = SampleCount(FWave);
    if (TargetEnd > count)
        throw ELoopFinderError(kLoopEndInvalid);
    if (TargetEnd <= Start)
        throw ELoopFinderError(kLoopEndBeforeStart);
    // Past the wave's length a radius reaches nothing more.
    const int32_t radius = RadiusMs > 0 ? std::min(SamplesOfMs(RadiusMs, FTimedRate), count) : 0;
    const int32_t shortest =
        SamplesOfMs(std::max(Request.MinLengthMs.value_or(0.0), kShortestNearLoopMs), FTimedRate);
    if (std::min<int64_t>(int64_t{TargetEnd} + radius, count) < int64_t{Start} + shortest)
        throw ELoopFinderError(kLoopTooShort);

    TLoopSearchOptions options;
    options.TargetSample = TargetEnd;
    options.RadiusSamples = radius;
    options.MinLengthSamples = shortest;
    options.Count = SearchedCount(Request);
    options.MinSpacingSamples = SamplesOfMs(kResultSpacingMs, FTimedRate);
    options.HalfWindowSamples = SamplesOfMs(kDefaultSeamWindowMs, FTimedRate);
    return Found(BestLoopEnds(FWave, Start, options), Request);
}

TFoundLoops TLoopFinder::BestEnds(int32_t Start, const TLoopRequest& Request) const
{
    RequireRate();
    RequireStart(Start);
    return Found(AutoLoopEnds(FWave, FRateHz, Start, AutoOptions(Request)), Request);
}

TFoundLoops TLoopFinder::LoopsIn(int32_t From, int32_t To, const TLoopRequest& Request) const
{
    RequireRate();
    TAutoLoopOptions options = AutoOptions(Request);
    options.From = std::max(From, 1);
    options.To = std::min(To, SampleCount(FWave));
    options.FindSustainedPart = false;
    // An empty region would read as "the whole wave from From".
    if (options.To <= options.From)
        throw ELoopFinderError(kNoLoopFound);
    return Found(FindAutoLoops(FWave, FRateHz, options), Request);
}

TFoundLoops TLoopFinder::WholeWave(const TLoopRequest& Request) const
{
    RequireRate();
    const TAutoLoopOptions options = AutoOptions(Request);
    TAutoLoops found = FindAutoLoops(FWave, FRateHz, options);
    const double longerMs = std::min(options.MinLengthMs, 500.0 * SampleCount(FWave) / FTimedRate);
    // Loops found at least that long were searched for as such already.
    const bool foundShort = std::any_of(found.Loops.begin(), found.Loops.end(), [&](const TLoopCandidate& loop) {
        return loop.Length() < SamplesOfMs(longerMs, FTimedRate);
    });
    if (Request.AutomaticFade && !Request.MinLengthMs && foundShort) {
        // A crossfade can smooth a long loop's seam where a short loop leaves
        // it no room: the best loops of at least the default length, or half
        // the wave, are faded and ranked too; those with room before their
        // start for a fade of a seam window or a quarter of the loop (a
        // whole hit replayed from the wave's start is no loop a fade makes),
        // and none found already.
        TLoopRequest longer = Request;
        longer.MinLengthMs = longerMs;
        const int32_t window = SamplesOfMs(kDefaultSeamWindowMs, FTimedRate);
        const int32_t spacing = SamplesOfMs(kResultSpacingMs, FTimedRate);
        const auto near = [&](const TLoopCandidate& a, const TLoopCandidate& b) {
            return std::abs(a.Start - b.Start) < spacing && std::abs(a.End - b.End) < spacing;
        };
        for (const TLoopCandidate& loop : FindAutoLoops(FWave, FRateHz, AutoOptions(longer)).Loops)
            if (loop.Start >= std::min(window, loop.Length() / 4) &&
                std::none_of(found.Loops.begin(), found.Loops.end(), [&](const auto& had) { return near(had, loop); }))
                found.Loops.push_back(loop);
    }
    return Found(std::move(found), Request);
}

bool TLoopFinder::IsLoop(int32_t Start, int32_t End) const { return Start > 0 && Start < End && End <= SampleCount(FWave); }

double TLoopFinder::Cost(int32_t Start, int32_t End) const
{
    return SeamCost(FWave, Start, End, SamplesOfMs(kDefaultSeamWindowMs, FTimedRate));
}

int32_t TLoopFinder::Snap(int32_t Position, int32_t Other, bool Start, int32_t FadeSamples) const
{
    const int32_t count = SampleCount(FWave);
    if (Position < 0 || Position > count)
        return Position;
    const int32_t radius = SamplesOfMs(kSnapRadiusMs, FTimedRate);
    const auto loop = [&](int32_t Point) { return Start ? std::pair{Point, Other} : std::pair{Other, Point}; };
    const auto [start, end] = loop(Position);
    if (!IsLoop(start, end)) {
        const TSlope slope = Other > 0 && Other <= count ? SlopeAt(FWave, Other) : TSlope::Rising;
        return NearestZeroCrossing(FWave, Position, slope, radius).value_or(Position);
    }
    const auto cost = [&](int32_t S, int32_t E) {
        return FadeSamples > 0 ? Measure(S, E, std::min(FadeSamples, LongestFade({S, E}))).Cost : Cost(S, E);
    };
    const auto isCrossing = [this](int32_t Point) {
        return IsZeroCrossing(FWave, Point, TSlope::Rising) || IsZeroCrossing(FWave, Point, TSlope::Falling);
    };
    // Outward from Position, so that of equal costs the nearest wins; a
    // crossing as good as Position itself is still taken.
    int32_t best = Position;
    double bestCost = cost(start, end);
    bool snapped = false;
    for (int32_t distance = 0; distance <= std::min(radius, count); ++distance) {
        const int32_t points[] = {Position - distance, Position + distance};
        for (int32_t i = 0; i < (distance == 0 ? 1 : 2); ++i) {
            const int32_t point = points[i];
            const auto [s, e] = loop(point);
            if (!IsLoop(s, e) || !isCrossing(point))
                continue;
            const double pointCost = cost(s, e);
            if (pointCost < bestCost || (!snapped && pointCost <= bestCost)) {
                best = point;
                bestCost = pointCost;
                snapped = true;
            }
        }
    }
    return best;
}

TSeamMeasure TLoopFinder::Measure(int32_t Start, int32_t End, int32_t FadeSamples) const
{
    if (Start < 0 || Start >= SampleCount(FWave))
        throw ELoopFinderError(kLoopStartInvalid);
    if (End <= Start || End > SampleCount(FWave))
        throw ELoopFinderError(kLoopEndInvalid);
    if (!FadeFits({Start, End}, FadeSamples))
        throw ELoopFinderError(kCrossFadeTooLong);
    const int32_t window = SamplesOfMs(kDefaultSeamWindowMs, FTimedRate);
    if (FadeSamples == 0) {
        const double cost = SeamCost(FWave, Start, End, window);
        return {cost, SeamQualityOf(cost)};
    }
    // The cost reads the window before Start, the one from it and the one
    // before End: only those are copied, the faded samples in place. A long
    // loop whose fade lies within its middle and last window has its middle
    // left out, so that snapping, which measures every crossing near a
    // moving marker, does not copy and fade the whole loop each time.
    const int32_t from = std::max(0, Start - window);
    int32_t skipped = std::max(0, End - Start - std::max(2 * window, kShortestLoopSamples));
    if (FadeSamples > skipped + window)
        skipped = 0;
    std::vector<int16_t> part(FWave.begin() + from, FWave.begin() + (End - skipped));
    if (skipped > 0)
        std::copy(FWave.begin() + (End - window), FWave.begin() + End, part.end() - window);
    const int32_t tail = skipped > 0 ? std::min(FadeSamples, window) : FadeSamples;
    const std::vector<int16_t> faded = FadedStretch(FWave, {Start, End}, FadeSamples, tail);
    std::copy(faded.begin(), faded.end(), part.end() - tail);
    const double cost = SeamCost(part, Start - from, End - skipped - from, window);
    return {cost, SeamQualityOf(cost)};
}

TFadeChoice TLoopFinder::AutomaticFade(int32_t Start, int32_t End) const
{
    return ::AutomaticFade(FRateHz, LongestAutomaticFade(Start, End, FRateHz),
                           [&](int32_t Samples) { return Measure(Start, End, Samples).Cost; });
}

void TLoopFinder::Fade(std::vector<TLoopCandidate>& Loops, const TLoopRequest& Request) const
{
    if (Request.FadeSamples <= 0 && !Request.AutomaticFade)
        return;
    for (TLoopCandidate& loop : Loops) {
        if (Request.AutomaticFade) {
            const TFadeChoice fade = AutomaticFade(loop.Start, loop.End);
            loop.Fade = fade.Samples;
            loop.Cost = fade.Cost;
        } else {
            loop.Fade = std::min(Request.FadeSamples, LongestFade({loop.Start, loop.End}));
            loop.Cost = Measure(loop.Start, loop.End, loop.Fade).Cost;
        }
    }
    OrderFadedLoops(Loops, Request.AutomaticFade);
}

TAutoLoopOptions TLoopFinder::AutoOptions(const TLoopRequest& Request) const
{
    TAutoLoopOptions options;
    options.From = 1;
    options.Count = SearchedCount(Request);
    options.MinLengthMs = Request.MinLengthMs.value_or(options.MinLengthMs);
    options.KeepMinLength = Request.MinLengthMs.has_value();
    options.MinSpacingMs = kResultSpacingMs;
    return options;
}

TFoundLoops TLoopFinder::Found(std::vector<TLoopCandidate> Loops, const TLoopRequest& Request) const
{
    // The searches keep to the starts they are given; this is the last word.
    std::erase_if(Loops, [](const TLoopCandidate& loop) { return loop.Start <= 0; });
    if (Loops.empty())
        throw ELoopFinderError(kNoLoopFound);
    Fade(Loops, Request);
    Loops.resize(std::min(Loops.size(), static_cast<std::size_t>(std::clamp(Request.Count, 1, kMostLoops))));
    TFoundLoops found{std::move(Loops), std::nullopt, std::nullopt};
    if (Request.MinLengthMs) {
        const int32_t shortest = std::min_element(found.Loops.begin(), found.Loops.end(), [](const auto& a, const auto& b) {
                                     return a.Length() < b.Length();
                                 })->Length();
        if (shortest < SamplesOfMs(*Request.MinLengthMs, FRateHz))
            found.ShortenedToMs = shortest * 1000.0 / FRateHz;
    }
    return found;
}

TFoundLoops TLoopFinder::Found(TAutoLoops Loops, const TLoopRequest& Request) const
{
    TFoundLoops found = Found(std::move(Loops.Loops), Request);
    if (Loops.Movement) {
        found.Movement = Loops.Movement;
        // Measured at the timed rate: its samples are the wave's own, its
        // rate in Hz that of the wave.
        found.Movement->Hz *= static_cast<double>(FRateHz) / FTimedRate;
    }
    return found;
}

std::string SeamCostText(double Cost, char Separator)
{
    return SeamCostNumber(Cost) + Separator + SeamQualityName(SeamQualityOf(Cost));
}

std::string SeamCostNumber(double Cost) { return Format("%.4f", Cost); }
