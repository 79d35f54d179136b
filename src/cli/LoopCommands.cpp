// The loop finding commands: loop, and the automatic loops of new
// (WAV@auto and WAV@START:auto), all through the loop finder the window uses.

#include "cli/Commands.h"

#include "cli/Fields.h"
#include "cli/Hints.h"
#include "cli/Language.h"

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
    "WAV... [--near START:END [--radius MS]] [--min-length MS] [--count N] [--crossfade MS|auto]";

struct TLoopArguments {
    std::vector<std::string> Files;
    std::optional<std::pair<int32_t, int32_t>> Near;
    std::optional<double> RadiusMs;
    std::optional<double> CrossFadeMs;
    TLoopRequest Request;
};

[[noreturn]] void WrongOption(const std::string& Option, const char* Shape)
{
    throw WrongShape(Option, Shape);
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
            WrongOption(arg, Say("値", "a value"));
        const std::string& value = Args[++i];
        if (arg == "--near") {
            const auto colon = value.find(':');
            const auto start = ParseNonNegative<int32_t>(value.substr(0, colon));
            const auto end = colon == std::string::npos ? std::nullopt : ParseNonNegative<int32_t>(value.substr(colon + 1));
            if (!start || !end)
                WrongOption(arg, Say("サンプル単位の START:END", "START:END in samples"));
            parsed.Near = std::make_pair(*start, *end);
        } else if (arg == "--radius") {
            parsed.RadiusMs = ParseNonNegative<double>(value);
            if (!parsed.RadiusMs)
                WrongOption(arg, Say("ミリ秒", "milliseconds"));
        } else if (arg == "--crossfade" && value == "auto") {
            parsed.Request.AutomaticFade = true;
        } else if (arg == "--crossfade") {
            parsed.CrossFadeMs = ParseFadeMs(value);
            if (!parsed.CrossFadeMs)
                WrongOption(arg, Say("ミリ秒 (20 か 20ms) か auto", "milliseconds (20 or 20ms) or auto"));
        } else if (arg == "--min-length") {
            parsed.Request.MinLengthMs = ParseNonNegative<double>(value);
            if (!parsed.Request.MinLengthMs)
                WrongOption(arg, Say("ミリ秒", "milliseconds"));
        } else if (arg == "--count") {
            const auto count = ParseNonNegative<int32_t>(value);
            if (!count || *count < 1)
                WrongOption(arg, Say("1 以上の個数", "a count of at least 1"));
            parsed.Request.Count = *count;
        } else {
            throw UnknownOption(arg);
        }
    }
    if (parsed.Files.empty())
        throw WrongShape("loop", kLoopShape);
    // The automatic loop searches its own stretch; a radius would be ignored.
    if (parsed.RadiusMs && !parsed.Near)
        throw ECliError(Say("--radius は --near の END からの範囲で、--near とともに使います (vantrel-cli --help を参照)",
                            "--radius is the reach of --near END and needs it (see vantrel-cli --help)"));
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

// The crossfade asked for, in samples at Wave's rate.
int32_t AskedFade(const TWaveInfo& Wave, const TLoopArguments& Args)
{
    return Args.CrossFadeMs ? FadeSamplesOfMs(*Args.CrossFadeMs, Wave.SamplesPerSec()) : 0;
}

// The loops the arguments ask for: near the given loop, or automatic; with
// a crossfade, ranked by the cost after it.
TFoundLoops LoopsFor(const TWaveInfo& Wave, const TLoopArguments& Args)
{
    TLoopRequest request = Args.Request;
    request.FadeSamples = AskedFade(Wave, Args);
    return FindIn(Wave, [&](const TLoopFinder& finder) {
        return Args.Near ? finder.BestEndsNear(Args.Near->first, Args.Near->second,
                                               Args.RadiusMs.value_or(kNearRadiusMs), request)
                         : finder.WholeWave(request);
    });
}

// The report of one loop: its cost after the crossfade asked for (shortened
// to what the loop allows, warned of) or after its automatic fade, which the
// line names after the word as "~N" samples, as new takes it; then the
// sound's movement, when it has one, and the cycles of it the loop holds.
void ReportLoop(const std::string& Path, const TWaveInfo& Wave, const TLoopCandidate& Loop,
                const std::optional<TMovement>& Movement, const TLoopArguments& Args, TReport& Report,
                nlohmann::json& Loops)
{
    if (const int32_t asked = AskedFade(Wave, Args); Loop.Fade < asked)
        Report.Warn(Format(Say("%s: ループ %d:%d のクロスフェードは %d サンプルまでで、%d サンプルにはできません",
                               "%s: loop %d:%d takes a crossfade of at most %d samples, not %d"),
                           Path.c_str(), Loop.Start, Loop.End, Loop.Fade, asked));
    std::string line = Format("%s\t%d\t%d\t%s\t%s", Path.c_str(), Loop.Start, Loop.End,
                              SeamCostNumber(Loop.Cost).c_str(), SeamWord(SeamQualityOf(Loop.Cost)));
    if (Args.Request.AutomaticFade)
        line += Format("\t~%d", Loop.Fade);
    if (Movement)
        line += '\t' + MovementText(*Movement, Loop.Length());
    Report.Line(line);
    Loops.push_back({{"start", Loop.Start},
                     {"end", Loop.End},
                     {"seam", SeamJson(Loop.Cost)},
                     {"fade", FadeJson(Loop.Fade, Wave.SamplesPerSec())},
                     {"movement", MovementJson(Movement, Loop.Length())}});
}

} // namespace

bool LoopCommand(const TArguments& Args, TReport& Report)
{
    const TLoopArguments args = ParseLoopArguments(Args);
    bool allFound = true;
    nlohmann::json& files = Report.Document()["files"] = nlohmann::json::array();
    for (const std::string& path : args.Files) {
        nlohmann::json item = {{"path", path}, {"ok", true}};
        TFoundLoops found;
        std::unique_ptr<TWaveInfo> wave;
        try {
            RequireSoundFileToRead(path);
            wave = TKSD::ReadWave(path);
            if (const std::string fault = args.CrossFadeMs ? FadeMsFault(*wave, *args.CrossFadeMs) : "";
                !fault.empty())
                throw EKSDException(fault);
            found = LoopsFor(*wave, args);
        } catch (const Exception& e) {
            Report.Fault(e, item);
            files.push_back(item);
            allFound = false;
            continue;
        } catch (const std::bad_alloc&) { // the finder's working memory, for a very long wave
            Report.Fault(EKSDException(Format(kNoMemoryForWaveFormat, WaveNameOf(path).c_str())), item);
            files.push_back(item);
            allFound = false;
            continue;
        }
        if (found.ShortenedToMs)
            Report.Warn(Format(Say("%s: --min-length %g ms のループの余地がありません。見つかった最短は %.1f ms です",
                                   "%s: no room for loops of --min-length %g ms; the shortest found is %.1f ms"),
                               path.c_str(), *args.Request.MinLengthMs, *found.ShortenedToMs));
        item["name"] = wave->WaveName();
        item["rate"] = wave->SamplesPerSec();
        item["samples"] = wave->SampleCount();
        item["shortened_to_ms"] = found.ShortenedToMs ? nlohmann::json(*found.ShortenedToMs) : nlohmann::json();
        item["loops"] = nlohmann::json::array();
        for (const TLoopCandidate& loop : found.Loops)
            ReportLoop(path, *wave, loop, found.Movement, args, Report, item["loops"]);
        files.push_back(item);
    }
    return allFound;
}

TAutomaticLoop AutomaticLoop(const TWaveInfo& Wave, int32_t Start, bool WithFade)
{
    TLoopRequest request;
    request.AutomaticFade = WithFade;
    const TFoundLoops found = FindIn(Wave, [&](const TLoopFinder& finder) {
        return Start == kAutomaticPoint ? finder.WholeWave(request) : finder.BestEnds(Start, request);
    });
    return {found.Loops.front().Start, found.Loops.front().End, found.Movement};
}

int32_t AutomaticFade(const TWaveInfo& Wave, int32_t Start, int32_t End)
{
    try {
        return TLoopFinder(Wave.Samples(), Wave.SamplesPerSec()).AutomaticFade(Start, End).Samples;
    } catch (const ELoopFinderError& e) {
        throw ELoopFinderError(WaveFault(Wave, e.what()));
    }
}
