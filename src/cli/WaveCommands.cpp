// The commands on WAV files and list files: info and new.

#include "cli/Commands.h"

#include "cli/Fields.h"
#include "cli/Hints.h"
#include "cli/Language.h"

#include "common/ErrorText.h"
#include "common/Format.h"
#include "common/ParallelJobs.h"
#include "common/Path.h"
#include "document/CrossFade.h"
#include "cli/FileKind.h"
#include "document/FileReplace.h"
#include "document/KSD.h"
#include "document/LoopRules.h"
#include "document/StoredLoop.h"
#include "loop/LoopFinder.h"

#include <charconv>
#include <exception>
#include <filesystem>
#include <limits>
#include <optional>

namespace {

// Sets the loop as the window's "set loop start/end" command does: both
// cleared, then the start and the end, each under the loop order rule; an
// end of 0 leaves the loop end unset, as in the window. The points must also
// lie where a list file may hold them, so that the list written opens again.
// Among many waves a fault must say whose it is: "<wave name>:<reason>".
void SetLoop(TWaveInfo& Wave, int32_t Start, int32_t End)
{
    if (const std::string fault = LoopRangeFault(Wave, Start, End); !fault.empty())
        throw EKSDException(fault);
    Wave.SetLoopStart(0);
    Wave.SetLoopEnd(0);
    try {
        CheckLoopStart(Wave, Start);
        Wave.SetLoopStart(Start);
        if (End == 0)
            return;
        CheckLoopEnd(Wave, End);
        Wave.SetLoopEnd(End);
    } catch (const ELoopOrderError& e) {
        throw ELoopOrderError(Format("%s:%s", Wave.WaveName().c_str(), e.what()));
    }
}

// The crossfade of a loop just set: the automatic one, or the one asked
// for, which must be at least a sample when asked for in milliseconds
// (FadeMsFault) and fit the loop (CrossFadeFault).
void SetFade(TWaveInfo& Wave, const TFadeArgument& Fade)
{
    const TWaveLoop loop = Wave.Loop();
    std::string fault = Fade.Ms ? FadeMsFault(Wave, Fade.Value) : std::string();
    const int32_t samples = Fade.Auto ? AutomaticFade(Wave, loop.Start, loop.End) : Fade.SamplesAt(Wave.SamplesPerSec());
    if (fault.empty())
        fault = CrossFadeFault(Wave, loop, samples);
    if (!fault.empty())
        throw EKSDException(fault);
    Wave.SetCrossFade(samples);
}

// The list name is the first argument; forgotten, the first WAV file would
// take its place and be overwritten. Only a new file, or with --force a list
// file, is written, and only under a list file's name.
void RequireListToWrite(const std::string& Path, bool Force)
{
    const TFileKind kind = KindOfFile(Path);
    if (kind != TFileKind::Missing && kind != TFileKind::ListFile)
        throw ECliError(Format(Say("%s はリストファイルではありません。new が書くのは新しいファイルかリストファイルだけです "
                                   "(vantrel-cli --help を参照)",
                                   "%s exists and is no list file: new writes only a new file or a list file "
                                   "(see vantrel-cli --help)"),
                               Path.c_str()));
    // A symbolic link is judged by the file it leads to, which is the one written.
    if (const std::string written = FileWrittenAt(Path); HasSuffix(written, ".vbk") || HasSoundFileSuffix(written))
        throw ECliError(Format(Say("%s: new が書くのはリストファイルで、VBKファイルや音声ファイルではありません。"
                                   ".ksd で終わる名前を指定します (vantrel-cli --help を参照)",
                                   "%s: new writes a list file, not a voice bank or a sound file: give a name "
                                   "ending in .ksd (see vantrel-cli --help)"),
                               Path.c_str()));
    if (kind == TFileKind::ListFile && !Force)
        throw ECliError(Format(Say("%s はすでにあります。new がリストファイルを置き換えるのは --force のときだけです "
                                   "(vantrel-cli --help を参照)",
                                   "%s exists: new replaces a list file only with --force (see vantrel-cli --help)"),
                               Path.c_str()));
}

// The stored loop's type as the "smpl" chunk names it.
std::string StoredLoopType(const TStoredLoop& Stored)
{
    const char* const types[] = {"forward", "alternating", "backward"};
    return Stored.Type < 3 ? types[Stored.Type] : Format("type %u", Stored.Type);
}

// What info adds after the header values: a file shorter than its header
// claims, the shape a converted file had, and the file's stored loop as
// stored (a "smpl" loop's end inclusive, an AIFF sustain loop's as START:END)
// beside the loop taken from it.
std::string ConversionAndStoredLoop(const TWaveInfo& Wave)
{
    std::string text;
    if (Wave.Truncated())
        text += Format(Say("\tヘッダーの示す長さより短い (%lld サンプル)", "\tshorter than its header claims (%lld samples)"),
                       static_cast<long long>(Wave.DeclaredSampleCount()));
    if (!Wave.ConvertedFrom().empty())
        text += Say("\t変換元 ", "\tconverted from ") + Wave.ConvertedFrom();
    if (const auto& stored = Wave.StoredLoop()) {
        const std::string type = StoredLoopType(*stored);
        text += stored->MarkersMissing ? Format(Say("\t保存されたサステインループ ?:? %s", "\tstored sustain loop ?:? %s"),
                                                type.c_str())
                : stored->EndExclusive
                    ? Format(Say("\t保存されたサステインループ %u:%u %s", "\tstored sustain loop %u:%u %s"), stored->Start,
                             stored->End, type.c_str())
                    : Format(Say("\t保存されたループ %u-%u (終点を含む) %s", "\tstored loop %u-%u (inclusive) %s"),
                             stored->Start, stored->End, type.c_str());
        const auto used = LoopToUse(*stored, Wave.SampleCount());
        text += used ? Format(Say("、%d:%d として使用", ", used as %d:%d"), used->Start, used->End)
                     : std::string(Say("、不使用", ", not used"));
        if (const char* why = StoredLoopNotUsed(*stored, Wave.SampleCount()))
            text += Format(" (%s)", CoreTextIn(ToolLanguage(), why).c_str());
    }
    return text;
}

// The same for --json: "declared_samples", "converted_from", "stored_loop".
void AddConversionAndStoredLoop(const TWaveInfo& Wave, nlohmann::json& Item)
{
    Item["declared_samples"] = Wave.Truncated() ? nlohmann::json(Wave.DeclaredSampleCount()) : nlohmann::json();
    Item["converted_from"] = Wave.ConvertedFrom().empty() ? nlohmann::json() : nlohmann::json(Wave.ConvertedFrom());
    Item["stored_loop"] = nullptr;
    if (const auto& stored = Wave.StoredLoop()) {
        const auto used = LoopToUse(*stored, Wave.SampleCount());
        const char* why = StoredLoopNotUsed(*stored, Wave.SampleCount());
        const auto point = [&](uint32_t Point) { return stored->MarkersMissing ? nlohmann::json() : nlohmann::json(Point); };
        Item["stored_loop"] = {{"start", point(stored->Start)},
                               {"end", point(stored->End)},
                               {"end_inclusive", !stored->EndExclusive},
                               {"type", StoredLoopType(*stored)},
                               {"used", used ? LoopJson(*used) : nlohmann::json()},
                               {"not_used_because", why ? nlohmann::json(CoreTextIn(ToolLanguage(), why)) : nlohmann::json()}};
    }
}

// Where a wave's loop in new came from.
const char* LoopSource(const std::optional<std::pair<int32_t, int32_t>>& Asked, bool Automatic, const TWaveInfo& Wave)
{
    if (!Wave.Loop().IsSet())
        return "none";
    if (!Asked)
        return "stored";
    return Automatic ? "found" : "given";
}

const char* LoopSourceWord(const std::string& Source)
{
    if (Source == "found")
        return Say("検出", "found");
    if (Source == "given")
        return Say("指定", "given");
    return Say("ファイルに保存", "stored");
}

// new's report of one wave: its line and its entry in "waves", with the
// movement of the sound when its loop was found for it.
void ReportNewWave(const TWaveInfo& Wave, const char* Source, const std::optional<TMovement>& Movement,
                   TReport& Report)
{
    const TWaveLoop loop = Wave.Loop();
    const bool plays = loop.Plays();
    const double cost =
        plays ? TLoopFinder(Wave.Samples(), Wave.SamplesPerSec()).Measure(loop.Start, loop.End, Wave.CrossFade()).Cost : 0;
    std::string line = Wave.WaveName() + '\t' + LoopText(loop);
    if (plays)
        line += '\t' + SeamText(cost) + '\t' + FadeText(Wave.CrossFade(), Wave.SamplesPerSec());
    if (loop.IsSet())
        line += std::string("\t") + LoopSourceWord(Source);
    if (Movement && loop.Plays())
        line += '\t' + MovementText(*Movement, loop.End - loop.Start);
    Report.Line(line);
    Report.Document()["waves"].push_back({{"path", Wave.FilePath()},
                                          {"name", Wave.WaveName()},
                                          {"rate", Wave.SamplesPerSec()},
                                          {"samples", Wave.SampleCount()},
                                          {"loop", LoopJson(loop)},
                                          {"loop_source", Source},
                                          {"fade", FadeJson(Wave.CrossFade(), Wave.SamplesPerSec())},
                                          {"seam", plays ? SeamJson(cost) : nlohmann::json()},
                                          {"movement", loop.Plays() ? MovementJson(Movement, loop.End - loop.Start)
                                                                    : nlohmann::json()}});
}

} // namespace

bool InfoCommand(const TArguments& Arguments, TReport& Report)
{
    const TArguments Args = TakeOptions(Arguments, {});
    RequireArguments(Args, 1, std::numeric_limits<std::size_t>::max(), "info", "FILE.wav...");
    bool allRead = true;
    nlohmann::json& files = Report.Document()["files"] = nlohmann::json::array();
    for (const std::string& path : Args) {
        nlohmann::json item = {{"path", path}, {"ok", true}};
        // Through the list, as the window adds a wave: only regular files are read.
        TKSD list;
        try {
            RequireSoundFileToRead(path);
            list.AddWave(path);
        } catch (const Exception& e) {
            Report.Fault(e, item);
            files.push_back(item);
            allRead = false;
            continue;
        }
        const TWaveInfo& wave = *list.GetWave(0);
        Report.Line(Format(Say("%s\t%d Hz\t%lld ms\t%d サンプル", "%s\t%d Hz\t%lld ms\t%d samples"), wave.WaveName().c_str(),
                           wave.SamplesPerSec(), static_cast<long long>(wave.LengthMSec()), wave.SampleCount()) +
                    ConversionAndStoredLoop(wave));
        item["name"] = wave.WaveName();
        item["rate"] = wave.SamplesPerSec();
        item["samples"] = wave.SampleCount();
        item["length_ms"] = wave.LengthMSec();
        AddConversionAndStoredLoop(wave, item);
        files.push_back(item);
    }
    return allRead;
}

void NewCommand(const TArguments& Arguments, TReport& Report)
{
    std::vector<int> force;
    const TArguments Args = TakeOptions(Arguments, {"--force"}, &force);
    RequireArguments(Args, 2, std::numeric_limits<std::size_t>::max(), "new", "[--force] LIST.ksd WAV[@START:END]...");
    RequireListToWrite(Args[0], force[0] > 0);
    Report.Document()["list"] = Args[0];
    Report.Document()["waves"] = nlohmann::json::array();
    // The waves are read in order, their automatic loops found on all cores
    // (each file on its own), and the loops set in order again: the first
    // fault in argument order is the one reported, as one by one.
    TKSD list;
    std::vector<std::optional<std::pair<int32_t, int32_t>>> loops;
    std::vector<std::optional<TMovement>> movements;
    std::vector<bool> automatic;
    std::vector<TFadeArgument> fades;
    std::exception_ptr unread;
    try {
        for (std::size_t i = 1; i < Args.size(); ++i) {
            TWaveArgument arg = ParseWaveArgument(Args[i]);
            list.AddWave(AbsolutePath(arg.Path));
            loops.push_back(arg.Loop);
            automatic.push_back(arg.Loop && arg.Loop->second == kAutomaticPoint);
            fades.push_back(arg.Fade);
            movements.emplace_back();
        }
    } catch (...) {
        unread = std::current_exception();
    }
    const std::vector<std::exception_ptr> failures = RunParallel(loops.size(), [&](std::size_t i) {
        if (automatic[i]) {
            const TAutomaticLoop found =
                AutomaticLoop(*list.GetWave(static_cast<int32_t>(i)), loops[i]->first, fades[i].Auto);
            loops[i] = {found.Start, found.End};
            movements[i] = found.Movement;
        }
    });
    for (std::size_t i = 0; i < loops.size(); ++i) {
        if (failures[i])
            std::rethrow_exception(failures[i]);
        TWaveInfo& wave = *list.GetWave(static_cast<int32_t>(i));
        if (loops[i]) {
            SetLoop(wave, loops[i]->first, loops[i]->second);
            SetFade(wave, fades[i]);
        }
    }
    if (unread)
        std::rethrow_exception(unread);
    list.SaveToFile(Args[0]);
    for (std::size_t i = 0; i < loops.size(); ++i) {
        const TWaveInfo& wave = *list.GetWave(static_cast<int32_t>(i));
        ReportNewWave(wave, LoopSource(loops[i], automatic[i], wave), movements[i], Report);
    }
    Report.Line(WaveCountLine(Args[0], list.Count()));
}

// The list holds absolute paths, as the window's file dialogs give them, so
// that the list opens from any working folder. "." parts go, ".." parts
// stay: "link/.." is the folder above the link's target, not the folder the
// link lies in, and dropping both would name another file.
std::string AbsolutePath(const std::string& Path)
{
    std::error_code error;
    const auto absolute = std::filesystem::absolute(PathFromUtf8(Path), error);
    if (error)
        return Path;
    std::filesystem::path clean;
    for (const auto& part : absolute)
        if (!part.empty() && part != ".")
            clean /= part;
    return Utf8FromPath(clean);
}

