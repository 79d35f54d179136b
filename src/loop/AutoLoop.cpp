#include "loop/AutoLoop.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

// The search: loops from starts spread over the part give promising
// lengths; each, with its neighbours, is measured at every start; the best
// pairs are polished.
constexpr int32_t kPolishedPairs = 4;
constexpr double kRoomPerShortestLoop = 8.0;
constexpr int32_t kPolishRounds = 4;
constexpr double kPolishRadiusMs = 10.0;
constexpr int32_t kAutoBranches = 96;
constexpr int32_t kLengthsPerStart = 8;
constexpr int64_t kFewestStarts = 16;
// Sample pairs the searches from spread starts may compare in all: more
// starts for short sounds, at least kFewestStarts for long ones.
constexpr int64_t kStartWorkBudget = 100'000'000;
constexpr int32_t kSlidLengths = 16;
constexpr int32_t kFewestSlidLengths = 4;
// Start positions all lengths may be measured at in all.
constexpr int64_t kSlideBudget = 20'000'000;
constexpr int32_t kLengthNeighbours = 3;
constexpr int64_t kLongestSearchSeconds = 20;
constexpr int32_t kLongLengthNeighbours = 1;
// The part of both budgets the search with a longer window takes (the work
// of the slides is shared by all windows).
constexpr int64_t kLongerShare = 4;
// Positions nearby each polishing step ranks.
constexpr int32_t kPolishChoices = 4;
// The longer comparison windows of the rank, besides the seam cost's own.
constexpr double kLongWindowsMs[] = {10.0, 30.0};
// The windows promising lengths are searched with: the short and the long.
constexpr std::size_t kSearchedWindows = 2;

// A loop holds the sound at about its full level: one whose mean square is
// below a quarter of the loudest frame's (6 dB down) makes a held note fade
// audibly before it holds, and comes after every louder loop.
class TLoudness {
public:
    // Loops inside Searched, against the loudest of the frames of Whole.
    TLoudness(TSamples Wave, TRegion Searched, TRegion Whole, int32_t Frame)
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
    bool Quiet(const TLoopCandidate& Loop) const { return MeanSquare(Loop.Start, Loop.End) < kQuietShare * FLoudest; }

    // The first and last starts in From .. To of loud loops of Length
    // samples; From .. To itself when none is loud.
    TRegion LoudStarts(int32_t Length, int32_t From, int32_t To) const
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

private:
    double MeanSquare(int32_t From, int32_t To) const
    {
        const auto last = static_cast<int64_t>(FSquares.size()) - 1;
        const int64_t from = std::clamp<int64_t>(From - FFrom, 0, last), to = std::clamp<int64_t>(To - FFrom, 0, last);
        return to > from ? (FSquares[static_cast<std::size_t>(to)] - FSquares[static_cast<std::size_t>(from)]) /
                               static_cast<double>(to - from)
                         : 0.0;
    }

    static double Square(TSamples Wave, int32_t I)
    {
        const auto sample = static_cast<double>(Wave[static_cast<std::size_t>(I)]);
        return sample * sample;
    }

    static constexpr double kQuietShare = 0.25;
    int32_t FFrom;
    std::vector<double> FSquares; // running sum of squares from FFrom
    double FLoudest = 0;
};

// Loops are ranked by their seam costs with the short window of the seam
// cost and longer ones, each relative to the best cost with that window
// among the candidates: the worst of these ratios. A loop must both join
// cleanly and continue the sound; no window alone may buy a clean seam at a
// poor one with another.
class TSeamRank {
public:
    TSeamRank(TSamples Wave, int32_t Rate, double ShortMs, TLoudness Loudness) : FLoudness(std::move(Loudness))
    {
        Windows.emplace_back(SamplesOfMs(ShortMs, Rate), Wave.size());
        for (const double ms : kLongWindowsMs)
            Windows.emplace_back(SamplesOfMs(std::max(ShortMs, ms), Rate), Wave.size());
        FBest.assign(Windows.size(), 1.0);
    }
    std::vector<TSeamWindow> Windows; // the seam cost's own first
    const TLoudness& Loudness() const { return FLoudness; }

    // Sets the best costs the ranks are relative to, those of Candidates,
    // and gives each candidate its seam cost and rank; each cost is
    // measured once.
    void RankAll(TSamples Wave, std::vector<TLoopCandidate>& Candidates)
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
    // Loop with its seam cost and rank.
    TLoopCandidate Ranked(TSamples Wave, TLoopCandidate Loop) const
    {
        std::vector<double> cost;
        for (const TSeamWindow& window : Windows)
            cost.push_back(window.Cost(Wave, Loop.Start, Loop.End));
        Loop.Cost = cost.front();
        Loop.Rank = RankOf(Loop, cost);
        return Loop;
    }

    // The best of Ranked, as BestSpaced picks them, ordered first by the
    // quality word of their seam costs (no loop comes before one whose
    // seam cost is rated better), quiet loops after all others. Their ranks
    // become the quality's index (plus 3 for a quiet loop) plus the rank
    // above mapped into 0 .. 1.
    std::vector<TLoopCandidate> Best(std::vector<TLoopCandidate> Ranked, int32_t Count, int32_t MinSpacing) const
    {
        for (TLoopCandidate& loop : Ranked) {
            const double ratio = std::fmod(loop.Rank, kQuietRank);
            loop.Rank = (loop.Rank >= kQuietRank ? 3.0 : 0.0) + static_cast<double>(SeamQualityOf(loop.Cost)) +
                        ratio / (1.0 + ratio);
        }
        return BestSpaced(std::move(Ranked), Count, MinSpacing);
    }

private:
    // The worst of Costs (one per window) relative to the best with its
    // window; kQuietRank more for a quiet loop.
    double RankOf(const TLoopCandidate& Loop, const std::vector<double>& Costs) const
    {
        double ratio = 0;
        for (std::size_t i = 0; i < Windows.size(); ++i)
            ratio = std::max(ratio, Costs[i] / (FBest[i] + kRankFloor));
        return ratio + (FLoudness.Quiet(Loop) ? kQuietRank : 0.0);
    }

    static constexpr double kRankFloor = 1e-6;
    static constexpr double kQuietRank = 1e9; // above any ratio (at most 2 / kRankFloor)
    TLoudness FLoudness;
    std::vector<double> FBest;
};

TLoopSearchOptions SearchWithin(TRegion Part, int32_t MinLength, int32_t Window)
{
    TLoopSearchOptions options;
    options.TargetSample = Part.From + Part.Length() / 2;
    options.RadiusSamples = Part.Length();
    options.LowestSample = Part.From;
    options.HighestSample = Part.To;
    options.MinLengthSamples = MinLength;
    options.HalfWindowSamples = Window;
    options.Count = 1;
    options.Branches = kAutoBranches;
    return options;
}

// Moves start and end in turn to the best position nearby (by rank) until
// neither moves.
TLoopCandidate Polish(TSamples Wave, TLoopCandidate Loop, TLoopSearchOptions Options, int32_t Radius,
                      const TSeamRank& Rank)
{
    Options.RadiusSamples = Radius;
    Options.Count = kPolishChoices;
    for (int32_t round = 0; round < kPolishRounds; ++round) {
        const TLoopCandidate before = Loop;
        Options.TargetSample = Loop.Start;
        for (const TLoopCandidate& moved : BestLoopStarts(Wave, Loop.End, Options))
            if (const TLoopCandidate better = Rank.Ranked(Wave, moved); better.Rank < Loop.Rank)
                Loop = better;
        Options.TargetSample = Loop.End;
        for (const TLoopCandidate& moved : BestLoopEnds(Wave, Loop.Start, Options))
            if (const TLoopCandidate better = Rank.Ranked(Wave, moved); better.Rank < Loop.Rank)
                Loop = better;
        if (Loop.Start == before.Start && Loop.End == before.End)
            break;
    }
    return Loop;
}

} // namespace

namespace {

// The region of Options within the wave from sample 1 on (a loop starting
// at 0 is no loop in a bank), and within it the sustained part when asked
// for; none when there is no such part, or no rate to measure time by.
TRegion WholeRegion(TSamples Wave, const TAutoLoopOptions& Options)
{
    const int32_t count = static_cast<int32_t>(Wave.size());
    return {std::clamp(Options.From, 1, std::max(1, count)), Options.To > Options.From ? std::min(Options.To, count) : count};
}

std::optional<TRegion> SearchRegion(TSamples Wave, int32_t Rate, const TAutoLoopOptions& Options)
{
    const TRegion region = WholeRegion(Wave, Options);
    if (Rate < 1 || region.Length() < 2 * kShortestLoopSamples)
        return std::nullopt;
    if (!Options.FindSustainedPart)
        return Audible(Wave, Rate, region) ? std::optional(region) : std::nullopt;
    if (const std::optional<TRegion> part = SustainedPart(Wave, Rate, region, SamplesOfMs(Options.MinLengthMs, Rate)))
        return part;
    // A sound too short to measure its level in frames (a single cycle of a
    // sampled waveform) is searched whole.
    if (FrameOf(Rate, region) == 0 && Audible(Wave, Rate, region))
        return region;
    return std::nullopt;
}

// Loop lengths worth measuring at every start, best first: the lengths of
// the best loops that begin at starts spread over the part, no two closer
// than the neighbourhoods measured around each. Fewer starts and lengths
// for long parts, where each costs more.
std::vector<int32_t> PromisingLengths(TSamples Wave, TRegion Part, const TLoopSearchOptions& Search,
                                      const TAutoLoopOptions& Options, int64_t Share)
{
    const int64_t room = int64_t{Part.Length()} - Search.MinLengthSamples;
    const int64_t affordable = kStartWorkBudget / Share / std::max<int64_t>(1, SearchWork(room, Search.HalfWindowSamples));
    const int64_t starts = std::clamp<int64_t>(
        std::min<int64_t>(Options.Starts, std::max(affordable, kFewestStarts / Share)), 1, room + 1);
    TLoopSearchOptions perStart = Search;
    perStart.Count = kLengthsPerStart;
    perStart.MinSpacingSamples = 2 * kLengthNeighbours + 1;
    std::vector<TLoopCandidate> found;
    for (int64_t i = 0; i < starts; ++i) {
        const auto start = static_cast<int32_t>(Part.From + (room * (2 * i + 1)) / (2 * starts));
        for (const TLoopCandidate& loop : BestLoopEnds(Wave, start, perStart))
            found.push_back(loop);
    }
    std::sort(found.begin(), found.end(), [](const TLoopCandidate& a, const TLoopCandidate& b) {
        return std::tie(a.Cost, a.Start, a.End) < std::tie(b.Cost, b.Start, b.End);
    });
    const int64_t slides = kSlideBudget / Share / (int64_t{Part.Length()} * (2 * kLengthNeighbours + 1));
    const auto wanted = static_cast<std::size_t>(std::clamp<int64_t>(slides, kFewestSlidLengths, kSlidLengths));
    std::vector<int32_t> lengths;
    for (const TLoopCandidate& loop : found) {
        if (lengths.size() == wanted)
            break;
        if (std::none_of(lengths.begin(), lengths.end(),
                         [&](int32_t length) { return std::abs(length - loop.Length()) <= 2 * kLengthNeighbours; }))
            lengths.push_back(loop.Length());
    }
    return lengths;
}

// At most kLongestSearchSeconds of a part are searched, from its middle: in
// a sound steady for that long a loop there is as good as anywhere, and the
// search stays interactive however long the sound is.
TRegion SearchedMiddle(TRegion Part, int32_t Rate)
{
    const auto longest = static_cast<int32_t>(std::min<int64_t>(Part.Length(), int64_t{Rate} * kLongestSearchSeconds));
    const int32_t from = Part.From + (Part.Length() - longest) / 2;
    return {from, from + longest};
}

// The shortest loop allowed in Room samples: the minimum length M of
// Options in a room of at least 8 M; in a shorter room M (Room / 8 M)^2, so
// a sampled note of a few dozen milliseconds may loop over a few cycles of
// its steady end.
int32_t ShortestLoop(int32_t Rate, int32_t Room, const TAutoLoopOptions& Options)
{
    const double shortest = SamplesOfMs(Options.MinLengthMs, Rate);
    const double share = std::min(1.0, Room / (kRoomPerShortestLoop * shortest));
    return std::max(kShortestLoopSamples, static_cast<int32_t>(shortest * share * share));
}

} // namespace

namespace {

// A struck sound (a drum, a click) has no sustained part; its maker loops
// it whole, from its first samples to its decayed end, so that the loop
// replays the hit. Such a loop is offered for a short sound (10 ms to 2 s)
// that is
// loudest in its first 20 ms (struck, not swelling like a voice), loud on
// the whole (its mean square not below a quarter of its loudest 20 ms) and
// has died away at its end: the last 5 ms at least 20 dB below the whole
// to replace a loop rated fair, at least 6 dB below to replace a poor or
// quiet one or none.
constexpr int64_t kLongestStruckSeconds = 2;
// Ranks of quiet loops are 3 or more (TSeamRank::Best).
constexpr double kQuietRank = 3.0;
constexpr double kStruckFrameMs = 20.0;
constexpr double kStruckTailMs = 5.0;
constexpr double kStruckTailShareOfFair = 0.01;
constexpr double kStruckTailShareOfPoor = 0.25;
constexpr double kStruckLoudShare = 0.25;

double MeanSquareOf(TSamples Wave, int32_t From, int32_t To)
{
    double sum = 0;
    for (int32_t i = From; i < To; ++i)
        sum += static_cast<double>(Wave[static_cast<std::size_t>(i)]) * Wave[static_cast<std::size_t>(i)];
    return To > From ? sum / (To - From) : 0.0;
}

// The first sample and the mean square of the loudest of the frames of
// Region, half a frame apart.
std::pair<int32_t, double> LoudestFrame(TSamples Wave, TRegion Region, int32_t Frame)
{
    std::pair<int32_t, double> loudest{Region.From, 0.0};
    for (int32_t from = Region.From; from + Frame <= Region.To; from += std::max(1, Frame / 2))
        if (const double level = MeanSquareOf(Wave, from, from + Frame); level > loudest.second)
            loudest = {from, level};
    return loudest;
}

// The share of the whole's mean square a struck sound's end may keep for
// its whole loop to replace the first of Found that starts at Window or
// later; 0 when that loop is rated good.
double StruckTailShare(const std::vector<TLoopCandidate>& Found, int32_t Window)
{
    const auto first =
        std::find_if(Found.begin(), Found.end(), [&](const TLoopCandidate& loop) { return loop.Start >= Window; });
    if (first == Found.end() || first->Rank >= kQuietRank ||
        SeamQualityOf(first->Cost) == TSeamQuality::Poor)
        return kStruckTailShareOfPoor;
    return SeamQualityOf(first->Cost) == TSeamQuality::Fair ? kStruckTailShareOfFair : 0.0;
}

std::optional<TLoopCandidate> StruckLoop(TSamples Wave, int32_t Rate, const TAutoLoopOptions& Options,
                                         double TailShare)
{
    const TRegion region = WholeRegion(Wave, Options);
    if (!Options.FindSustainedPart || Rate < 1 || region.Length() < 2 * kShortestLoopSamples ||
        region.Length() > int64_t{Rate} * kLongestStruckSeconds || !Audible(Wave, Rate, region))
        return std::nullopt;
    const double whole = MeanSquareOf(Wave, region.From, region.To);
    const int32_t frame = std::min(SamplesOfMs(kStruckFrameMs, Rate), region.Length());
    const auto [loudestFrom, loudest] = LoudestFrame(Wave, region, frame);
    if (loudestFrom - region.From >= frame)
        return std::nullopt;
    const int32_t tail = SamplesOfMs(kStruckTailMs, Rate);
    if (region.Length() < 2 * tail) // a single cycle of a sampled waveform, not a hit
        return std::nullopt;
    if (whole < kStruckLoudShare * loudest || MeanSquareOf(Wave, region.To - tail, region.To) >= TailShare * whole)
        return std::nullopt;
    TLoopCandidate loop{region.From, region.To};
    loop.Cost = SeamCost(Wave, loop.Start, loop.End, SamplesOfMs(Options.WindowMs, Rate));
    loop.Rank = static_cast<double>(SeamQualityOf(loop.Cost));
    return loop;
}

// Puts a struck sound's whole loop first when the search found nothing
// better: no loop, only loops rated worse or quiet ones. Loops starting
// within the seam window of the wave's start go: nothing is compared before
// their start, so their cost shows nothing.
void PreferStruckLoop(std::vector<TLoopCandidate>& Found, TLoopCandidate Struck, int32_t Window, int32_t Count)
{
    std::erase_if(Found, [&](const TLoopCandidate& loop) { return loop.Start < Window; });
    if (Found.empty() || SeamQualityOf(Struck.Cost) < SeamQualityOf(Found.front().Cost) ||
        Found.front().Rank >= kQuietRank)
        Found.insert(Found.begin(), Struck);
    if (Found.size() > static_cast<std::size_t>(std::max(Count, 1)))
        Found.resize(static_cast<std::size_t>(std::max(Count, 1)));
}

std::vector<TLoopCandidate> SustainedLoops(TSamples Wave, int32_t Rate, const TAutoLoopOptions& Options)
{
    const std::optional<TRegion> part = SearchRegion(Wave, Rate, Options);
    if (!part || part->Length() < 2 * kShortestLoopSamples)
        return {};
    const TRegion region = SearchedMiddle(*part, Rate);
    const int32_t loopLength = ShortestLoop(Rate, region.Length(), Options);
    TSeamRank rank(Wave, Rate, Options.WindowMs, TLoudness(Wave, region, WholeRegion(Wave, Options), FrameOf(Rate, *part)));
    const int32_t count = static_cast<int32_t>(Wave.size());
    std::vector<TLoopCandidate> slid;
    for (std::size_t i = 0; i < kSearchedWindows; ++i) {
        // The short window's lengths are slid with it; the long one's, with
        // fewer neighbours, with it and the longer ones. Starts whose window
        // runs past the wave's edges are measured one by one; with the longer
        // windows only starts with whole windows are tried.
        const int32_t neighbours = i == 0 ? kLengthNeighbours : kLongLengthNeighbours;
        const TLoopSearchOptions search = SearchWithin(region, loopLength, rank.Windows[i].Half());
        for (const int32_t length : PromisingLengths(Wave, region, search, Options, i == 0 ? 1 : kLongerShare))
            for (int32_t near = -neighbours; near <= neighbours; ++near) {
                if (length + near < loopLength)
                    continue;
                for (std::size_t w = i; w < (i == 0 ? 1 : rank.Windows.size()); ++w) {
                    // A loop shorter than a window is ranked with it, but not
                    // slid with it: each start would be measured one by one.
                    if (w > 0 && length + near < rank.Windows[w].Half())
                        continue;
                    const int32_t edge = w == 0 ? 0 : rank.Windows[w].Half();
                    const TRegion starts = rank.Loudness().LoudStarts(
                        length + near, std::max(region.From, edge), std::min(region.To, count - edge) - length - near);
                    if (const auto loop = BestStartForLength(Wave, length + near, starts.From, starts.To,
                                                             rank.Windows[w].Half()))
                        slid.push_back(*loop);
                }
            }
    }
    rank.RankAll(Wave, slid);
    slid = BestSpaced(std::move(slid), std::max(kPolishedPairs, Options.Count), 1);
    const TLoopSearchOptions search = SearchWithin(region, loopLength, rank.Windows.front().Half());
    for (TLoopCandidate& loop : slid)
        loop = Polish(Wave, loop, search, SamplesOfMs(kPolishRadiusMs, Rate), rank);
    return rank.Best(std::move(slid), Options.Count, SamplesOfMs(Options.MinSpacingMs, Rate));
}

// A sound with no sustained part, or only quiet loops in it (a struck note
// dying fast), is looped where it is loudest: inside its loudest 20 ms and
// the frame either side, so that the loop holds the sound at its level.
std::vector<TLoopCandidate> LoudestLoops(TSamples Wave, int32_t Rate, const TAutoLoopOptions& Options)
{
    const TRegion whole = WholeRegion(Wave, Options);
    const int32_t frame = std::min(SamplesOfMs(kStruckFrameMs, Rate), whole.Length());
    const int32_t loudest = LoudestFrame(Wave, whole, frame).first;
    TAutoLoopOptions around = Options;
    around.FindSustainedPart = false;
    around.From = std::max(whole.From, loudest - frame);
    around.To = static_cast<int32_t>(std::min<int64_t>(whole.To, int64_t{loudest} + 2 * frame));
    return SustainedLoops(Wave, Rate, around);
}

} // namespace

std::vector<TLoopCandidate> AutoLoops(TSamples Wave, int32_t Rate, const TAutoLoopOptions& Options)
{
    std::vector<TLoopCandidate> found = SustainedLoops(Wave, Rate, Options);
    if (Options.FindSustainedPart && Rate > 0 && (found.empty() || found.front().Rank >= kQuietRank))
        if (std::vector<TLoopCandidate> loud = LoudestLoops(Wave, Rate, Options);
            !loud.empty() && loud.front().Rank < kQuietRank)
            found = std::move(loud);
    const int32_t window = SamplesOfMs(Options.WindowMs, Rate);
    if (const std::optional<TLoopCandidate> struck =
            StruckLoop(Wave, Rate, Options, StruckTailShare(found, window)))
        PreferStruckLoop(found, *struck, window, Options.Count);
    return found;
}

std::vector<TLoopCandidate> AutoLoopEnds(TSamples Wave, int32_t Rate, int32_t Start, const TAutoLoopOptions& Options)
{
    if (Start < 0 || Start + 1 >= static_cast<int32_t>(Wave.size()))
        return {};
    TAutoLoopOptions whole = Options;
    whole.FindSustainedPart = false;
    const std::optional<TRegion> region = SearchRegion(Wave, Rate, whole);
    if (!region)
        return {};
    TRegion room = *region;
    if (const std::optional<TRegion> part = SearchRegion(Wave, Rate, Options); part && part->To > Start + 1)
        room.To = part->To;
    room.From = Start;
    room.To = static_cast<int32_t>(std::min<int64_t>(room.To, Start + int64_t{Rate} * kLongestSearchSeconds));
    if (room.Length() < 2)
        return {};
    // The best ends with the short and with the long window, ranked.
    TSeamRank rank(Wave, Rate, Options.WindowMs, TLoudness(Wave, room, *region, FrameOf(Rate, *region)));
    const int32_t spacing = SamplesOfMs(Options.MinSpacingMs, Rate);
    std::vector<TLoopCandidate> ends;
    for (std::size_t i = 0; i < kSearchedWindows; ++i) {
        TLoopSearchOptions search =
            SearchWithin(room, ShortestLoop(Rate, room.Length(), Options), rank.Windows[i].Half());
        search.Count = std::max(Options.Count, kPolishedPairs);
        search.MinSpacingSamples = spacing;
        for (const TLoopCandidate& loop : BestLoopEnds(Wave, Start, search))
            ends.push_back(loop);
    }
    rank.RankAll(Wave, ends);
    return rank.Best(std::move(ends), Options.Count, spacing);
}
