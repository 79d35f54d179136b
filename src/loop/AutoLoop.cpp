#include "loop/AutoLoop.h"

#include "loop/Movement.h"
#include "loop/SeamRank.h"
#include "loop/StruckSound.h"

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
constexpr int32_t kEndLengths = 4;
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
// The windows promising lengths are searched with: the short and the long.
constexpr std::size_t kSearchedWindows = 2;
// Loops holding whole cycles of the sound's movement: the most cycles
// sought, the starts tried for each, the ends kept for each start, how far
// from a whole number of cycles a loop may be and still hold them, how far
// from one lengths are sought, and the
// best quality word they are preferred at (rank below fair's end).
constexpr int32_t kMostMovementCycles = 3;
constexpr int32_t kMovementStarts = 3;
constexpr int32_t kMovementEnds = 2;
constexpr int64_t kFewestMovementLengths = 2;
constexpr double kCyclesOff = 0.1;
constexpr double kCyclesSought = 0.2;
constexpr double kCleanRank = 2.0;
// ... and how much dirtier than the best loop's its seam cost may be: four times
// it, and a difference far below hearing besides.
constexpr double kHoldingCostFactor = 4.0;
constexpr double kHoldingCostAllowance = 0.0002;
// The end of a decaying part (Decays, SustainedPart.h) searched for loops
// of a few periods: at most this long and a share of the part; a tail loop
// rated as the best loop is is preferred below kTailCostShare of its cost,
// unless that cost is already far below hearing (30 dB below the sound, as
// SeamRank.h takes it).
constexpr double kTailMs = 100.0;
constexpr double kTailCostShare = 0.25;
constexpr double kInaudibleSeamCost = 0.001;

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
        // Both points moved together: a loop of the right length a little
        // off, which neither point alone can leave without a worse seam.
        const int32_t from = std::max(Options.LowestSample, Loop.Start - Radius);
        const int32_t to = std::min(Options.HighestSample - Loop.Length(), Loop.Start + Radius);
        if (const auto moved = BestStartForLength(Wave, Loop.Length(), from, to, Options.HalfWindowSamples))
            if (const TLoopCandidate better = Rank.Ranked(Wave, *moved); better.Rank < Loop.Rank)
                Loop = better;
        if (Loop.Start == before.Start && Loop.End == before.End)
            break;
    }
    return Loop;
}

// The region of Options within the wave from sample 1 on (a loop starting
// at 0 is no loop in a bank), and within it the sustained part when asked
// for; none when there is no such part, or no rate to measure time by.
TRegion WholeRegion(TSamples Wave, const TAutoLoopOptions& Options)
{
    const int32_t count = static_cast<int32_t>(Wave.size());
    return {std::clamp(Options.From, 1, std::max(1, count)), Options.To > Options.From ? std::min(Options.To, count) : count};
}

// The region of Options as heard, from its first sample: no loop starts at
// sample 0, but the sound's level counts from there.
TRegion HeardRegion(TSamples Wave, const TAutoLoopOptions& Options)
{
    TRegion heard = WholeRegion(Wave, Options);
    heard.From = std::clamp(Options.From, 0, heard.From);
    return heard;
}

std::optional<TRegion> SearchRegion(TSamples Wave, int32_t Rate, const TAutoLoopOptions& Options)
{
    const TRegion region = WholeRegion(Wave, Options);
    if (Rate < 1 || region.Length() < kShortestLoopSamples)
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
    // The search from the end takes the place of one start.
    const bool toEnd = Part.To == static_cast<int32_t>(Wave.size());
    const int64_t room = int64_t{Part.Length()} - Search.MinLengthSamples;
    const int64_t affordable = kStartWorkBudget / Share / std::max<int64_t>(1, SearchWork(room, Search.HalfWindowSamples));
    const int64_t starts = std::clamp<int64_t>(
        std::min<int64_t>(Options.Starts, std::max(affordable, kFewestStarts / Share)) - (toEnd ? 1 : 0), 1, room + 1);
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
    const auto add = [&](const TLoopCandidate& loop) {
        if (std::none_of(lengths.begin(), lengths.end(),
                         [&](int32_t length) { return std::abs(length - loop.Length()) <= 2 * kLengthNeighbours; }))
            lengths.push_back(loop.Length());
    };
    // A sample that stops at its loop was often trimmed or crossfaded by its
    // maker so that its end joins one start: the lengths of the best loops
    // ending there are measured too.
    if (toEnd) {
        TLoopSearchOptions perEnd = perStart;
        perEnd.Count = kEndLengths;
        for (const TLoopCandidate& loop : BestLoopStarts(Wave, Part.To, perEnd))
            add(loop);
    }
    const std::size_t ended = lengths.size();
    for (const TLoopCandidate& loop : found) {
        if (lengths.size() == ended + wanted)
            break;
        add(loop);
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
    if (Options.KeepMinLength && shortest < Room)
        return static_cast<int32_t>(shortest);
    const double share = std::min(1.0, Room / (kRoomPerShortestLoop * shortest));
    return std::max(kShortestLoopSamples, static_cast<int32_t>(shortest * share * share));
}

// With a minimum length kept as asked, a part too short for it is widened
// within Whole (evenly, as far as Whole allows) to hold such a loop.
TRegion WithRoomFor(TRegion Part, TRegion Whole, int32_t Length)
{
    const int64_t wanted = int64_t{Length} + Length / 8;
    if (Part.Length() >= wanted || Whole.Length() <= Part.Length())
        return Part;
    const auto grow = static_cast<int32_t>(std::min<int64_t>(wanted - Part.Length(), Whole.Length() - Part.Length()));
    const int32_t from = std::clamp(Part.From - grow / 2, Whole.From, Whole.To - (Part.Length() + grow));
    return {from, from + Part.Length() + grow};
}

// Whether Loop holds a whole number of cycles (at least one) of a movement
// of Period samples.
bool HoldsCycles(const TLoopCandidate& Loop, double Period)
{
    const double cycles = Loop.Length() / Period;
    return std::round(cycles) >= 1 && std::abs(cycles - std::round(cycles)) <= kCyclesOff;
}

// Lengths of loops holding 1 .. kMostMovementCycles cycles of a movement of
// Period samples within Part, at most Most of them, best first: those of
// the best ends near each whole number of cycles after starts spread over
// the part, no two closer than the neighbourhoods measured around each.
std::vector<int32_t> MovementLengths(TSamples Wave, TRegion Part, double Period, TLoopSearchOptions Search,
                                     std::size_t Most)
{
    const int32_t shortest = Search.MinLengthSamples;
    const auto off = static_cast<int32_t>(Period * kCyclesSought);
    Search.Count = kMovementEnds;
    Search.MinSpacingSamples = 2 * kLengthNeighbours + 1;
    Search.RadiusSamples = off;
    std::vector<TLoopCandidate> found;
    for (int32_t cycles = 1; cycles <= kMostMovementCycles; ++cycles) {
        const auto length = static_cast<int32_t>(std::lround(cycles * Period));
        const int64_t room = int64_t{Part.Length()} - length - off;
        if (room < 0)
            break;
        Search.MinLengthSamples = std::max(shortest, length - off);
        for (int32_t i = 0; i < kMovementStarts; ++i) {
            const auto start = static_cast<int32_t>(Part.From + room * (2 * i + 1) / (2 * kMovementStarts));
            Search.TargetSample = start + length;
            for (const TLoopCandidate& loop : BestLoopEnds(Wave, start, Search))
                found.push_back(loop);
        }
    }
    std::sort(found.begin(), found.end(), [](const TLoopCandidate& a, const TLoopCandidate& b) {
        return std::tie(a.Cost, a.Start, a.End) < std::tie(b.Cost, b.Start, b.End);
    });
    std::vector<int32_t> lengths;
    for (const TLoopCandidate& loop : found)
        if (lengths.size() < Most && std::none_of(lengths.begin(), lengths.end(), [&](int32_t length) {
                return std::abs(length - loop.Length()) <= 2 * kLengthNeighbours;
            }))
            lengths.push_back(loop.Length());
    return lengths;
}

// How many lengths holding the movement are measured at every start: a
// quarter of the lengths measured anyway (PromisingLengths), at least 2.
std::size_t MovementLengthCount(TRegion Part)
{
    const int64_t slides = kSlideBudget / (int64_t{Part.Length()} * (2 * kLengthNeighbours + 1));
    return static_cast<std::size_t>(std::max<int64_t>(kFewestMovementLengths, std::min<int64_t>(slides, kSlidLengths) / 4));
}

// Puts Holding first in Found when it is clean (fair or good, not quiet),
// rated no worse than Found's best and about as clean: a loop holding whole
// cycles of the movement keeps the sound alive; drops what lies within
// Spacing of it.
void PreferHolding(std::vector<TLoopCandidate>& Found, const TLoopCandidate& Holding, int32_t Count, int32_t Spacing)
{
    if (Holding.Rank >= kCleanRank)
        return;
    if (!Found.empty() && (std::floor(Holding.Rank) > std::floor(Found.front().Rank) ||
                           Holding.Cost > kHoldingCostFactor * Found.front().Cost + kHoldingCostAllowance))
        return;
    std::erase_if(Found, [&](const TLoopCandidate& loop) {
        return std::abs(loop.Start - Holding.Start) < Spacing && std::abs(loop.End - Holding.End) < Spacing;
    });
    Found.insert(Found.begin(), Holding);
    Found.resize(std::min(Found.size(), static_cast<std::size_t>(std::max(1, Count))));
}

TAutoLoops SustainedLoops(TSamples Wave, int32_t Rate, const TAutoLoopOptions& Options)
{
    std::optional<TRegion> part = SearchRegion(Wave, Rate, Options);
    if (!part || part->Length() < kShortestLoopSamples)
        return {};
    if (Options.KeepMinLength)
        part = WithRoomFor(*part, WholeRegion(Wave, Options), SamplesOfMs(Options.MinLengthMs, Rate));
    TAutoLoops found;
    found.Movement = MovementOf(Wave, Rate, *part);
    const TRegion region = SearchedMiddle(*part, Rate);
    const int32_t loopLength = ShortestLoop(Rate, region.Length(), Options);
    const TRegion heard = HeardRegion(Wave, Options);
    TSeamRank rank(Wave, Rate, Options.WindowMs, TLoudness(Wave, region, heard, LoudnessFrame(Rate, heard)));
    const int32_t count = static_cast<int32_t>(Wave.size());
    std::vector<TLoopCandidate> slid;
    for (std::size_t i = 0; i < kSearchedWindows; ++i) {
        // The short window's lengths are slid with it; the long one's, with
        // fewer neighbours, with it and the longer ones. Starts whose window
        // runs past the wave's edges are measured one by one; with the longer
        // windows only starts with whole windows are tried.
        const int32_t neighbours = i == 0 ? kLengthNeighbours : kLongLengthNeighbours;
        const TLoopSearchOptions search = SearchWithin(region, loopLength, rank.Windows[i].Half());
        std::vector<int32_t> lengths = PromisingLengths(Wave, region, search, Options, i == 0 ? 1 : kLongerShare);
        if (found.Movement && i == 0)
            for (const int32_t length :
                 MovementLengths(Wave, region, found.Movement->Period, search, MovementLengthCount(region)))
                lengths.push_back(length);
        for (const int32_t length : lengths)
            for (int32_t near = -neighbours; near <= neighbours; ++near) {
                if (length + near < loopLength)
                    continue;
                if (near == 0) {
                    const TRegion starts = rank.Loudness().LoudStarts(length, region.From, region.To - length);
                    if (const auto loop = rank.BestJoinStart(Wave, length, starts.From, starts.To))
                        slid.push_back(*loop);
                }
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
    std::optional<TLoopCandidate> holding;
    if (found.Movement)
        for (const TLoopCandidate& loop : slid)
            if (HoldsCycles(loop, found.Movement->Period) && (!holding || loop.Rank < holding->Rank))
                holding = loop;
    slid = BestSpaced(std::move(slid), std::max(kPolishedPairs, Options.Count), 1);
    const TLoopSearchOptions search = SearchWithin(region, loopLength, rank.Windows.front().Half());
    const int32_t polishRadius = SamplesOfMs(kPolishRadiusMs, Rate);
    for (TLoopCandidate& loop : slid)
        loop = Polish(Wave, loop, search, polishRadius, rank);
    const int32_t spacing = SamplesOfMs(Options.MinSpacingMs, Rate);
    found.Loops = BestSpaced(std::move(slid), Options.Count, spacing);
    if (holding)
        PreferHolding(found.Loops, Polish(Wave, *holding, search, polishRadius, rank), Options.Count, spacing);
    return found;
}

// A sound with no sustained part is looped where it is loudest
// (StruckSound.h).
std::vector<TLoopCandidate> LoudestLoops(TSamples Wave, int32_t Rate, const TAutoLoopOptions& Options)
{
    const TRegion around = AroundLoudestFrame(Wave, Rate, WholeRegion(Wave, Options));
    TAutoLoopOptions loudest = Options;
    loudest.FindSustainedPart = false;
    loudest.From = around.From;
    loudest.To = around.To;
    return SustainedLoops(Wave, Rate, loudest).Loops;
}

// A decaying sound whose best loop does not hold whole cycles of a movement
// (a loop that does is kept for its life): the best loop of the last 100 ms
// of its sustained part that is still loud (SeamRank.h) comes first when
// its seam is rated better, or rated the same at less than kTailCostShare
// of the cost. The shortest loop there is a few periods long: makers loop
// such sounds (a harmonic, an electric piano, a distorted guitar) over a
// few periods, where the drift of their partials has no time to show.
void PreferTailLoop(TSamples Wave, int32_t Rate, const TAutoLoopOptions& Options, TAutoLoops& Found)
{
    if (Found.Loops.empty() || Found.Loops.front().Cost <= kInaudibleSeamCost ||
        (Found.Movement && HoldsCycles(Found.Loops.front(), Found.Movement->Period)))
        return;
    const std::optional<TRegion> part = SearchRegion(Wave, Rate, Options);
    const int32_t frame = part ? FrameOf(Rate, *part) : 0;
    if (frame == 0 || part->Length() < kDecayFrames * frame || !Decays(Wave, *part, frame))
        return;
    const TRegion heard = HeardRegion(Wave, Options);
    const TLoudness loudness(Wave, *part, heard, LoudnessFrame(Rate, heard));
    const int32_t length = std::min(SamplesOfMs(kTailMs, Rate), part->Length() / kDecayFrames);
    TAutoLoopOptions tail = Options;
    tail.FindSustainedPart = false;
    tail.KeepMinLength = false;
    tail.From = loudness.LoudStarts(length, part->From, part->To - length).To;
    tail.To = tail.From + length;
    const std::vector<TLoopCandidate> loops = SustainedLoops(Wave, Rate, tail).Loops;
    if (loops.empty() || loudness.Quiet(loops.front()))
        return;
    const TSeamQuality tailQuality = SeamQualityOf(loops.front().Cost), quality = SeamQualityOf(Found.Loops.front().Cost);
    const double cost = Found.Loops.front().Cost;
    if (tailQuality > quality ||
        (tailQuality == quality && (cost <= kInaudibleSeamCost || loops.front().Cost >= kTailCostShare * cost)))
        return;
    Found.Loops.insert(Found.Loops.begin(), loops.front());
    Found.Loops.resize(std::min(Found.Loops.size(), static_cast<std::size_t>(std::max(1, Options.Count))));
}

} // namespace

std::vector<TLoopCandidate> AutoLoops(TSamples Wave, int32_t Rate, const TAutoLoopOptions& Options)
{
    return FindAutoLoops(Wave, Rate, Options).Loops;
}

TAutoLoops FindAutoLoops(TSamples Wave, int32_t StatedRate, const TAutoLoopOptions& Options)
{
    const int32_t Rate = TimedRate(StatedRate);
    TAutoLoops sustained = SustainedLoops(Wave, Rate, Options);
    if (!Options.FindSustainedPart || Rate < 1)
        return sustained;
    std::vector<TLoopCandidate>& found = sustained.Loops;
    if (found.empty() || found.front().Rank >= kQuietLoopRank)
        if (std::vector<TLoopCandidate> loud = LoudestLoops(Wave, Rate, Options);
            !loud.empty() && loud.front().Rank < kQuietLoopRank)
            found = std::move(loud);
    const int32_t window = SamplesOfMs(Options.WindowMs, Rate);
    if (const std::optional<TLoopCandidate> struck = StruckLoop(Wave, Rate, WholeRegion(Wave, Options), Options.WindowMs,
                                                                StruckTailShare(found, window)))
        PreferStruckLoop(found, *struck, window, Options.Count);
    PreferTailLoop(Wave, Rate, Options, sustained);
    return sustained;
}

std::vector<TLoopCandidate> AutoLoopEnds(TSamples Wave, int32_t StatedRate, int32_t Start, const TAutoLoopOptions& Options)
{
    const int32_t Rate = TimedRate(StatedRate);
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
    TSeamRank rank(Wave, Rate, Options.WindowMs, TLoudness(Wave, room, *region, LoudnessFrame(Rate, *region)));
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
    return BestSpaced(std::move(ends), Options.Count, spacing);
}
