// The voice-bank commands: export and check.

#include "cli/Commands.h"

#include "cli/Fields.h"
#include "cli/Hints.h"
#include "cli/Language.h"

#include "common/Format.h"
#include "common/Path.h"
#include "cli/FileKind.h"
#include "document/FileReplace.h"
#include "document/KSD.h"
#include "document/OutputFile.h"
#include "document/LoopRules.h"
#include "export/VBKFile.h"
#include "export/VBKReader.h"

#include <algorithm>
#include <filesystem>

namespace {

// The bank goes only where a bank belongs: not under a list file's or a
// sound file's name, and not over a file that is no bank (an empty file,
// such as one a script made for it, has nothing to lose). Re-exporting over
// a bank is the normal pipeline.
void RequireBankToWrite(const std::string& Path)
{
    // A symbolic link is judged by the file it leads to, which is the one written.
    if (const std::string written = FileWrittenAt(Path); HasSuffix(written, ".ksd") || HasSoundFileSuffix(written))
        throw ECliError(Format(Say("%s: export が書くのはVBKファイルで、リストファイルや音声ファイルではありません。"
                                   ".vbk で終わる名前を指定します (vantrel-cli --help を参照)",
                                   "%s: export writes a voice bank, not a list file or a sound file: give a name "
                                   "ending in .vbk (see vantrel-cli --help)"),
                               Path.c_str()));
    const TFileKind kind = KindOfFile(Path);
    if (kind != TFileKind::Missing && kind != TFileKind::Empty && kind != TFileKind::VoiceBank)
        throw ECliError(Format(Say("%s はVBKファイルではありません。export が置き換えるのはVBKファイルだけです "
                                   "(vantrel-cli --help を参照)",
                                   "%s exists and is no voice bank: export replaces only a voice bank "
                                   "(see vantrel-cli --help)"),
                               Path.c_str()));
}

} // namespace

ECliError UnknownOption(const std::string& Option)
{
    return ECliError(Format(Say("オプション %s はありません (vantrel-cli --help を参照)",
                                "unknown option %s (see vantrel-cli --help)"),
                            Option.c_str()));
}

TArguments TakeOptions(const TArguments& Args, const std::vector<std::string>& Known, std::vector<int>* Found)
{
    if (Found)
        Found->assign(Known.size(), 0);
    TArguments rest;
    for (const std::string& arg : Args) {
        if (!arg.starts_with("--")) {
            rest.push_back(arg);
            continue;
        }
        const auto known = std::find(Known.begin(), Known.end(), arg);
        if (known == Known.end())
            throw UnknownOption(arg);
        if (Found)
            ++(*Found)[static_cast<std::size_t>(known - Known.begin())];
    }
    return rest;
}

ECliError WrongShape(const std::string& What, const char* Shape)
{
    return ECliError(Format(Say("%s は %s をとります (vantrel-cli --help を参照)", "%s takes %s (see vantrel-cli --help)"),
                            What.c_str(), Shape));
}

void RequireArguments(const TArguments& Args, std::size_t Min, std::size_t Max, const char* Command,
                      const char* Shape)
{
    if (Args.size() < Min || Args.size() > Max)
        throw WrongShape(Command, Shape);
}

void ExportCommand(const TArguments& Arguments, TReport& Report)
{
    const TArguments Args = TakeOptions(Arguments, {});
    RequireArguments(Args, 2, 2, "export", "LIST.ksd OUT.vbk");
    const std::string& listFile = Args[0];
    const std::string& bankFile = Args[1];
    RequireListFileToRead(listFile);

    TKSD list;
    // The waves' samples are read one at a time while the bank is written:
    // a bank too large is refused before any of them is read.
    const TLoadReport loaded = list.LoadFromFile(listFile, {}, {}, TWaveReading::HeadersOnly);
    for (const TRelocatedWave& moved : loaded.Relocated)
        Report.Note(Format(Say("%s はありません。%s を使います", "%s is not there; using %s"), moved.StoredPath.c_str(),
                           moved.FoundPath.c_str()));
    for (const TCurrentFolderWave& wave : loaded.NotFromCurrentFolder)
        Report.Note(CurrentFolderNote(wave));
    for (const int32_t position : loaded.Unnamed)
        Report.Warn(UnnamedEntryWarning(position));
    std::vector<std::string> inputs = list.WaveFiles();
    inputs.push_back(listFile);
    CheckOutputFile(bankFile, inputs); // before the name: writing over an input is the graver fault
    RequireBankToWrite(bankFile);
    ExportBank(list, bankFile, listFile);

    for (int32_t i = 0; i < list.Count(); ++i) {
        const TWaveInfo& wave = *list.GetWave(i);
        Report.Line(WaveLine(wave.WaveName(), wave.SamplesPerSec(), wave.SampleCount(),
                             wave.Loop().InBank() ? wave.Loop() : TWaveLoop{}));
        if (const std::string dropped = BankDropsLoop(wave); !dropped.empty())
            Report.Warn(dropped);
    }
    std::error_code error;
    const auto size = std::filesystem::file_size(PathFromUtf8(bankFile), error);
    Report.Line(Format(Say("%s: %llu バイト", "%s: %llu bytes"), bankFile.c_str(),
                       static_cast<unsigned long long>(error ? 0 : size)));
}

void CheckCommand(const TArguments& Arguments, TReport& Report)
{
    const TArguments Args = TakeOptions(Arguments, {});
    RequireArguments(Args, 1, 1, "check", "FILE.vbk");
    RequireBankToRead(Args[0]);
    const TVBKContents bank = ReadVBKFile(Args[0]);

    nlohmann::json& document = Report.Document();
    document["path"] = Args[0];
    document["size"] = bank.FileSize;
    document["waves"] = nlohmann::json::array();
    Report.Line(Format("%5s %10s %8s %10s %10s %10s", "index", "offset", "rate", "samples", "loopstart", "loopend"));
    for (std::size_t i = 0; i < bank.Waves.size(); ++i) {
        const TVBKWave& wave = bank.Waves[i];
        const std::string start = wave.Loops ? std::to_string(wave.LoopStart) : "-";
        const std::string end = wave.Loops ? std::to_string(wave.LoopEnd) : "-";
        Report.Line(Format("%5zu %10llu %8d %10u %10s %10s", i, static_cast<unsigned long long>(wave.Offset), wave.Rate,
                           wave.SampleCount, start.c_str(), end.c_str()));
        document["waves"].push_back({{"index", i},
                                     {"offset", wave.Offset},
                                     {"rate", wave.Rate},
                                     {"samples", wave.SampleCount},
                                     {"loop", LoopJson(wave.Loops ? TWaveLoop{wave.LoopStart, wave.LoopEnd} : TWaveLoop{})}});
    }
    Report.Line(Format(Say("%s: %zu 個のwave、%llu バイト、異常なし", "%s: %zu waves, %llu bytes, no faults"),
                       Args[0].c_str(), bank.Waves.size(), static_cast<unsigned long long>(bank.FileSize)));
}
