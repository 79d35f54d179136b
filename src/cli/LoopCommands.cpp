// The loop finding commands: loop, and the automatic loops of new
// (WAV@auto and WAV@START:auto).

#include "cli/Commands.h"

#include "common/ErrorText.h"
#include "common/Format.h"
#include "document/KSD.h"
#include "document/LoopRules.h"
#include "loop/AutoLoop.h"

#include <optional>

namespace {

constexpr double kNearRadiusMs = 50.0;
constexpr const char* kLoopShape = "WAV... [--near START:END] [--radius MS] [--min-length MS] [--count N]";

struct TLoopArguments {
    std::vector<std::string> Files;
    std::optional<std::pair<int32_t, int32_t>> Near;
    double RadiusMs = kNearRadiusMs;
    std::optional<double> MinLengthMs;
    int32_t Count = 1;
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
            const auto radius = ParseNonNegative<double>(value);
            if (!radius)
                WrongOption(arg, "milliseconds");
            parsed.RadiusMs = *radius;
        } else if (arg == "--min-length") {
            parsed.MinLengthMs = ParseNonNegative<double>(value);
            if (!parsed.MinLengthMs)
                WrongOption(arg, "milliseconds");
        } else if (arg == "--count") {
            const auto count = ParseNonNegative<int32_t>(value);
            if (!count || *count < 1)
                WrongOption(arg, "a count of at least 1");
            parsed.Count = *count;
        } else {
            throw ECliError("unknown option \"" + arg + "\" (see vantrel-cli --help)");
        }
    }
    if (parsed.Files.empty())
        throw ECliError(Format("loop takes %s (see vantrel-cli --help)", kLoopShape));
    return parsed;
}

// A loop start given for a search must lie in the wave, as new and a list
// file require it; searched from outside, nothing would be found without a
// word why.
void RequireStartInWave(const TWaveInfo& Wave, int32_t Start)
{
    if (const std::string fault = LoopRangeFault(Wave, Start, 0); !fault.empty())
        throw EKSDException(fault);
}

// The loops the arguments ask for: near the given loop, or automatic.
std::vector<TLoopCandidate> LoopsFor(const TWaveInfo& Wave, const TLoopArguments& Args)
{
    const int32_t rate = Wave.SamplesPerSec();
    if (!Args.Near) {
        TAutoLoopOptions options;
        options.MinLengthMs = Args.MinLengthMs.value_or(options.MinLengthMs);
        options.Count = Args.Count;
        return AutoLoops(Wave.Samples(), rate, options);
    }
    RequireStartInWave(Wave, Args.Near->first);
    TLoopSearchOptions options;
    options.TargetSample = Args.Near->second;
    options.RadiusSamples = Args.RadiusMs > 0 ? SamplesOfMs(Args.RadiusMs, rate) : 0;
    options.MinLengthSamples = Args.MinLengthMs ? SamplesOfMs(*Args.MinLengthMs, rate) : 1;
    options.Count = Args.Count;
    options.MinSpacingSamples = SamplesOfMs(TAutoLoopOptions().MinSpacingMs, rate);
    options.HalfWindowSamples = SamplesOfMs(kDefaultSeamWindowMs, rate);
    return BestLoopEnds(Wave.Samples(), Args.Near->first, options);
}

} // namespace

bool LoopCommand(const TArguments& Args, std::ostream& Out, std::ostream& Err)
{
    const TLoopArguments args = ParseLoopArguments(Args);
    bool allFound = true;
    for (const std::string& path : args.Files) {
        std::vector<TLoopCandidate> loops;
        try {
            loops = LoopsFor(*TKSD::ReadWave(path), args);
        } catch (const Exception& e) {
            Out.flush();
            Err << ErrorText(e) << '\n';
            allFound = false;
            continue;
        }
        if (loops.empty()) {
            Out.flush();
            Err << path << ": no loop found\n";
            allFound = false;
        }
        for (const TLoopCandidate& loop : loops)
            Out << Format("%s\t%d\t%d\t%.6g\t%s\n", path.c_str(), loop.Start, loop.End, loop.Cost,
                          SeamQualityName(SeamQualityOf(loop.Cost)));
    }
    return allFound;
}

std::pair<int32_t, int32_t> AutomaticLoop(const TWaveInfo& Wave, int32_t Start)
{
    if (Start != kAutomaticPoint)
        RequireStartInWave(Wave, Start);
    const std::vector<TLoopCandidate> loops = Start == kAutomaticPoint
                                                  ? AutoLoops(Wave.Samples(), Wave.SamplesPerSec(), {})
                                                  : AutoLoopEnds(Wave.Samples(), Wave.SamplesPerSec(), Start, {});
    if (loops.empty())
        throw ECliError(Format("no loop found in %s", Wave.WaveName().c_str()));
    return {loops.front().Start, loops.front().End};
}
