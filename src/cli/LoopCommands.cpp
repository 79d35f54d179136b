// The loop finding commands: loop, and the automatic loops of new
// (WAV@auto and WAV@START:auto), all through the loop finder the window uses.

#include "cli/Commands.h"

#include "common/ErrorText.h"
#include "common/Format.h"
#include "document/CrossFade.h"
#include "document/KSD.h"
#include "document/LoopRules.h"
#include "loop/LoopFinder.h"

#include <new>
#include <optional>

namespace {

constexpr const char* kLoopShape =
    "WAV... [--near START:END [--radius MS]] [--min-length MS] [--count N] [--crossfade MS]";

struct TLoopArguments {
    std::vector<std::string> Files;
    std::optional<std::pair<int32_t, int32_t>> Near;
    std::optional<double> RadiusMs;
    std::optional<double> CrossFadeMs;
    TLoopRequest Request;
};

[[noreturn]] void WrongOption(const std::string& Option, const char* Shape)
{
    throw ECliError(Format("%s takes %s (see vantrel-cli --help)", Option.c_str(), Shape));
}

TLoopArguments ParseLoopArguments(const TArguments& Args)
{
    TLoopArguments parsed;
    for (std::size_t i = 0; i < Args.size(); ++i) {
        const std::string& arg = Args[i];
        if (arg.rfind("--", 0) != 0) {
            parsed.Files.push_back(arg);
            continue;
        }
        if (arg != "--near" && arg != "--radius" && arg != "--min-length" && arg != "--count" && arg != "--crossfade")
            throw UnknownOption(arg); // not "takes a value" when it comes last
        if (i + 1 == Args.size())
            WrongOption(arg, "a value");
        const std::string& value = Args[++i];
        if (arg == "--near") {
            const auto colon = value.find(':');
            const auto start = ParseNonNegative<int32_t>(value.substr(0, colon));
            const auto end = colon == std::string::npos ? std::nullopt : ParseNonNegative<int32_t>(value.substr(colon + 1));
            if (!start || !end)
                WrongOption(arg, "START:END in samples");
            parsed.Near = std::make_pair(*start, *end);
        } else if (arg == "--radius") {
            parsed.RadiusMs = ParseNonNegative<double>(value);
            if (!parsed.RadiusMs)
                WrongOption(arg, "milliseconds");
        } else if (arg == "--crossfade") {
            parsed.CrossFadeMs = ParseNonNegative<double>(value);
            if (!parsed.CrossFadeMs)
                WrongOption(arg, "milliseconds");
        } else if (arg == "--min-length") {
            parsed.Request.MinLengthMs = ParseNonNegative<double>(value);
            if (!parsed.Request.MinLengthMs)
                WrongOption(arg, "milliseconds");
        } else if (arg == "--count") {
            const auto count = ParseNonNegative<int32_t>(value);
            if (!count || *count < 1)
                WrongOption(arg, "a count of at least 1");
            parsed.Request.Count = *count;
        } else {
            throw UnknownOption(arg);
        }
    }
    if (parsed.Files.empty())
        throw ECliError(Format("loop takes %s (see vantrel-cli --help)", kLoopShape));
    // The automatic loop searches its own stretch; a radius would be ignored.
    if (parsed.RadiusMs && !parsed.Near)
        throw ECliError("--radius is the reach of --near END and needs it (see vantrel-cli --help)");
    return parsed;
}

// Runs Find on Wave's loop finder; its faults name the wave, as the loop
// range faults do.
template <class F>
TFoundLoops FindIn(const TWaveInfo& Wave, F Find)
{
    try {
        return Find(TLoopFinder(Wave.Samples(), Wave.SamplesPerSec()));
    } catch (const ELoopFinderError& e) {
        throw ELoopFinderError(WaveFault(Wave, e.what()));
    }
}

// The loops the arguments ask for: near the given loop, or automatic.
TFoundLoops LoopsFor(const TWaveInfo& Wave, const TLoopArguments& Args)
{
    return FindIn(Wave, [&](const TLoopFinder& finder) {
        return Args.Near ? finder.BestEndsNear(Args.Near->first, Args.Near->second,
                                               Args.RadiusMs.value_or(kNearRadiusMs), Args.Request)
                         : finder.WholeWave(Args.Request);
    });
}

// The line of one loop: its cost as found, or after the crossfade asked for,
// shortened to what the loop allows (said on Err).
void PrintLoop(const std::string& Path, const TWaveInfo& Wave, const TLoopCandidate& Loop,
               const TLoopArguments& Args, std::ostream& Out, std::ostream& Err)
{
    double cost = Loop.Cost;
    if (Args.CrossFadeMs) {
        const int32_t asked = FadeSamplesOfMs(*Args.CrossFadeMs, Wave.SamplesPerSec());
        const int32_t fade = std::min(asked, LongestFade({Loop.Start, Loop.End}));
        if (fade < asked) {
            Out.flush();
            Err << Format("%s: loop %d:%d takes a crossfade of at most %d samples, not %d\n", Path.c_str(), Loop.Start,
                          Loop.End, fade, asked);
        }
        cost = TLoopFinder(Wave.Samples(), Wave.SamplesPerSec()).Measure(Loop.Start, Loop.End, fade).Cost;
    }
    Out << Format("%s\t%d\t%d\t%s\n", Path.c_str(), Loop.Start, Loop.End, SeamCostText(cost, '\t').c_str());
}

} // namespace

bool LoopCommand(const TArguments& Args, std::ostream& Out, std::ostream& Err)
{
    const TLoopArguments args = ParseLoopArguments(Args);
    bool allFound = true;
    for (const std::string& path : args.Files) {
        TFoundLoops found;
        std::unique_ptr<TWaveInfo> wave;
        try {
            wave = TKSD::ReadWave(path);
            if (const std::string fault = args.CrossFadeMs ? FadeMsFault(*wave, *args.CrossFadeMs) : "";
                !fault.empty())
                throw EKSDException(fault);
            found = LoopsFor(*wave, args);
        } catch (const Exception& e) {
            Out.flush();
            Err << ErrorText(e) << '\n';
            allFound = false;
            continue;
        } catch (const std::bad_alloc&) { // the finder's working memory, for a very long wave
            Out.flush();
            Err << ErrorText(Format(kNoMemoryForWaveFormat, WaveNameOf(path).c_str())) << '\n';
            allFound = false;
            continue;
        }
        if (found.ShortenedToMs) {
            Out.flush();
            Err << Format("%s: no room for loops of --min-length %g ms; the shortest found is %.1f ms\n", path.c_str(),
                          *args.Request.MinLengthMs, *found.ShortenedToMs);
        }
        for (const TLoopCandidate& loop : found.Loops)
            PrintLoop(path, *wave, loop, args, Out, Err);
    }
    return allFound;
}

std::pair<int32_t, int32_t> AutomaticLoop(const TWaveInfo& Wave, int32_t Start)
{
    const TLoopCandidate best = FindIn(Wave, [&](const TLoopFinder& finder) {
                                    return Start == kAutomaticPoint ? finder.WholeWave({}) : finder.BestEnds(Start, {});
                                }).Loops.front();
    return {best.Start, best.End};
}
