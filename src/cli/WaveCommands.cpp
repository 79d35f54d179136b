// The commands on WAV files and list files: info and new.

#include "cli/Commands.h"

#include "common/ErrorText.h"
#include "common/Format.h"
#include "common/ParallelJobs.h"
#include "common/Path.h"
#include "document/CrossFade.h"
#include "document/FileKind.h"
#include "document/FileReplace.h"
#include "document/KSD.h"
#include "document/LoopRules.h"

#include <charconv>
#include <exception>
#include <filesystem>
#include <limits>
#include <optional>

namespace {

// A loop crossfade as given after "~": samples, or milliseconds with "ms".
struct TFadeArgument {
    double Value = 0;
    bool Ms = false;
    int32_t SamplesAt(int32_t RateHz) const { return Ms ? FadeSamplesOfMs(Value, RateHz) : int32_t(Value); }
};

struct TWaveArgument {
    std::string Path;
    std::optional<std::pair<int32_t, int32_t>> Loop;
    TFadeArgument Fade;
};

[[noreturn]] void WrongLoop(const std::string& Arg, const std::string& What)
{
    throw ECliError(Format("%s: %s; a loop is WAV@START:END in samples, END exclusive (or WAV@auto, "
                           "WAV@START:auto) (see vantrel-cli --help)",
                           Arg.c_str(), What.c_str()));
}

// One end of a loop, a whole number of samples ("auto" where Auto allows it).
int32_t LoopPoint(const std::string& Arg, const std::string& Text, const char* Name, bool Auto)
{
    if (Auto && Text == "auto")
        return kAutomaticPoint;
    const auto value = ParseNonNegative<int32_t>(Text);
    if (!value || Text.find_first_not_of("0123456789") != std::string::npos)
        WrongLoop(Arg, Format("%s \"%s\" is not a whole number of samples", Name, Text.c_str()));
    return *value;
}

// The crossfade after "~": N samples or N ms (N may have decimals).
TFadeArgument FadeOf(const std::string& Arg, const std::string& Text)
{
    const bool ms = Text.size() > 2 && Text.ends_with("ms");
    const std::string number = ms ? Text.substr(0, Text.size() - 2) : Text;
    const std::optional<double> value = ParseNonNegative<double>(number);
    if (!value || (!ms && (number.find_first_not_of("0123456789") != std::string::npos || *value > INT32_MAX)))
        WrongLoop(Arg, Format("crossfade \"%s\" is neither a whole number of samples (~N) nor milliseconds (~Nms)",
                              Text.c_str()));
    return {*value, ms};
}

// WAV, WAV@START:END, WAV@START:auto or WAV@auto, each loop with an optional
// "~FADE". A file whose name holds the whole argument, or whose "@" is
// followed by a folder's name, is a path.
TWaveArgument ParseWaveArgument(const std::string& Arg)
{
    const auto at = Arg.rfind('@');
    std::error_code error;
    if (at == std::string::npos || std::filesystem::exists(PathFromUtf8(Arg), error))
        return {Arg, std::nullopt, {}};
    std::string loop = Arg.substr(at + 1);
    if (loop.find_first_of("/\\") != std::string::npos)
        return {Arg, std::nullopt, {}};
    const std::string path = Arg.substr(0, at);
    TFadeArgument fade;
    if (const auto tilde = loop.find('~'); tilde != std::string::npos) {
        fade = FadeOf(Arg, loop.substr(tilde + 1));
        loop.resize(tilde);
    }
    if (loop == "auto")
        return {path, std::make_pair(kAutomaticPoint, kAutomaticPoint), fade};
    const auto colon = loop.find(':');
    if (colon == std::string::npos)
        WrongLoop(Arg, loop.empty()                            ? "nothing after \"@\""
                       : loop.find('-') != std::string::npos ? "START and END are separated by \":\", not \"-\""
                                                               : "no \":\" between START and END");
    const int32_t start = LoopPoint(Arg, loop.substr(0, colon), "START", false);
    return {path, std::make_pair(start, LoopPoint(Arg, loop.substr(colon + 1), "END", true)), fade};
}

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

// The crossfade of a loop just set; it must be at least a sample when asked
// for in milliseconds (FadeMsFault) and fit the loop (CrossFadeFault).
void SetFade(TWaveInfo& Wave, const TFadeArgument& Fade)
{
    std::string fault = Fade.Ms ? FadeMsFault(Wave, Fade.Value) : std::string();
    const int32_t samples = Fade.SamplesAt(Wave.SamplesPerSec());
    if (fault.empty())
        fault = CrossFadeFault(Wave, Wave.Loop(), samples);
    if (!fault.empty())
        throw EKSDException(fault);
    Wave.SetCrossFade(samples);
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

// The list name is the first argument; forgotten, the first WAV file would
// take its place and be overwritten. Only a new file, or with --force a list
// file, is written, and only under a list file's name.
void RequireListToWrite(const std::string& Path, bool Force)
{
    const TFileKind kind = KindOfFile(Path);
    if (kind != TFileKind::Missing && kind != TFileKind::ListFile)
        throw ECliError(Format("%s exists and is no list file: new writes only a new file or a list file "
                               "(see vantrel-cli --help)",
                               Path.c_str()));
    // A symbolic link is judged by the file it leads to, which is the one written.
    if (const std::string written = FileWrittenAt(Path); HasSuffix(written, ".vbk") || HasSoundFileSuffix(written))
        throw ECliError(Format("%s: new writes a list file, not a voice bank or a sound file: give a name "
                               "ending in .ksd (see vantrel-cli --help)",
                               Path.c_str()));
    if (kind == TFileKind::ListFile && !Force)
        throw ECliError(Format("%s exists: new replaces a list file only with --force (see vantrel-cli --help)",
                               Path.c_str()));
}

// What info adds after the header values: a file shorter than its header
// claims, the shape a converted file had, and the file's stored loop as
// stored (a "smpl" loop's end inclusive, an AIFF sustain loop's as START:END)
// beside the loop taken from it.
std::string ConversionAndStoredLoop(const TWaveInfo& Wave)
{
    std::string text;
    if (Wave.Truncated())
        text += Format("\tshorter than its header claims (%lld samples)", static_cast<long long>(Wave.DeclaredSampleCount()));
    if (!Wave.ConvertedFrom().empty())
        text += "\tconverted from " + Wave.ConvertedFrom();
    if (const auto& stored = Wave.StoredLoop()) {
        const char* const types[] = {"forward", "alternating", "backward"};
        const std::string type = stored->Type < 3 ? types[stored->Type] : Format("type %u", stored->Type);
        text += stored->MarkersMissing ? Format("\tstored sustain loop ?:? %s", type.c_str())
                : stored->EndExclusive ? Format("\tstored sustain loop %u:%u %s", stored->Start, stored->End, type.c_str())
                                       : Format("\tstored loop %u-%u (inclusive) %s", stored->Start, stored->End, type.c_str());
        const auto used = LoopToUse(*stored, Wave.SampleCount());
        text += used ? Format(", used as %d:%d", used->Start, used->End) : std::string(", not used");
        if (const char* why = StoredLoopNotUsed(*stored, Wave.SampleCount()))
            text += Format(" (%s)", why);
    }
    return text;
}

} // namespace

bool InfoCommand(const TArguments& Arguments, std::ostream& Out, std::ostream& Err)
{
    const TArguments Args = TakeOptions(Arguments, {});
    RequireArguments(Args, 1, std::numeric_limits<std::size_t>::max(), "info", "FILE.wav...");
    bool allRead = true;
    for (const std::string& path : Args) {
        // Through the list, as the window adds a wave: only regular files are read.
        TKSD list;
        try {
            if (KindOfFile(path) == TFileKind::ListFile)
                throw ECliError(path + ": this is a list file, not a sound file (export makes a voice bank of it)");
            list.AddWave(path);
        } catch (const Exception& e) {
            Out.flush();
            Err << ErrorText(e) << '\n';
            allRead = false;
            continue;
        }
        const TWaveInfo& wave = *list.GetWave(0);
        Out << Format("%s\t%d Hz\t%lld ms\t%d samples", wave.WaveName().c_str(), wave.SamplesPerSec(),
                      static_cast<long long>(wave.LengthMSec()), wave.SampleCount())
            << ConversionAndStoredLoop(wave) << '\n';
    }
    return allRead;
}

void NewCommand(const TArguments& Arguments, std::ostream& Out)
{
    std::vector<int> force;
    const TArguments Args = TakeOptions(Arguments, {"--force"}, &force);
    RequireArguments(Args, 2, std::numeric_limits<std::size_t>::max(), "new", "[--force] LIST.ksd WAV[@START:END]...");
    RequireListToWrite(Args[0], force[0] > 0);
    // The waves are read in order, their automatic loops found on all cores
    // (each file on its own), and the loops set in order again: the first
    // fault in argument order is the one reported, as one by one.
    TKSD list;
    std::vector<std::optional<std::pair<int32_t, int32_t>>> loops;
    std::vector<TFadeArgument> fades;
    std::exception_ptr unread;
    try {
        for (std::size_t i = 1; i < Args.size(); ++i) {
            TWaveArgument arg = ParseWaveArgument(Args[i]);
            list.AddWave(AbsolutePath(arg.Path));
            loops.push_back(arg.Loop);
            fades.push_back(arg.Fade);
        }
    } catch (...) {
        unread = std::current_exception();
    }
    const std::vector<std::exception_ptr> failures = RunParallel(loops.size(), [&](std::size_t i) {
        if (loops[i] && loops[i]->second == kAutomaticPoint)
            loops[i] = AutomaticLoop(*list.GetWave(static_cast<int32_t>(i)), loops[i]->first);
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
    Out << Format("%s: %d waves\n", Args[0].c_str(), list.Count());
}
