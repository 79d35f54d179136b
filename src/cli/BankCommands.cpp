// The voice-bank commands: export and check.

#include "cli/Commands.h"

#include "common/Format.h"
#include "common/Path.h"
#include "document/FileKind.h"
#include "document/FileReplace.h"
#include "document/KSD.h"
#include "document/OutputFile.h"
#include "document/LoopRules.h"
#include "export/VBKReader.h"

#include <algorithm>
#include <filesystem>

namespace {

std::string LoopText(bool loops, int32_t start, int32_t end)
{
    return loops ? Format("loop %d:%d", start, end) : std::string("no loop");
}

// Export reads a list file; the usual mistake is the arguments the other way round.
void RequireListFileToRead(const std::string& Path)
{
    const TFileKind kind = KindOfFile(Path);
    if (kind == TFileKind::SoundFile || kind == TFileKind::VoiceBank)
        throw ECliError(Format("%s: this is a %s, not a list file: did you swap the arguments? (export takes "
                               "LIST.ksd OUT.vbk)",
                               Path.c_str(), kind == TFileKind::SoundFile ? "sound file" : "voice bank"));
}

// The bank goes only where a bank belongs: not under a list file's or a
// sound file's name, and not over a file that is no bank (an empty file,
// such as one a script made for it, has nothing to lose). Re-exporting over
// a bank is the normal pipeline.
void RequireBankToWrite(const std::string& Path)
{
    // A symbolic link is judged by the file it leads to, which is the one written.
    if (const std::string written = FileWrittenAt(Path); HasSuffix(written, ".ksd") || HasSoundFileSuffix(written))
        throw ECliError(Format("%s: export writes a voice bank, not a list file or a sound file: give a name "
                               "ending in .vbk (see vantrel-cli --help)",
                               Path.c_str()));
    const TFileKind kind = KindOfFile(Path);
    if (kind != TFileKind::Missing && kind != TFileKind::Empty && kind != TFileKind::VoiceBank)
        throw ECliError(Format("%s exists and is no voice bank: export replaces only a voice bank "
                               "(see vantrel-cli --help)",
                               Path.c_str()));
}

} // namespace

ECliError UnknownOption(const std::string& Option)
{
    return ECliError(Format("unknown option %s (see vantrel-cli --help)", Option.c_str()));
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

void RequireArguments(const TArguments& Args, std::size_t Min, std::size_t Max, const char* Command,
                      const char* Shape)
{
    if (Args.size() < Min || Args.size() > Max)
        throw ECliError(Format("%s takes %s (see vantrel-cli --help)", Command, Shape));
}

void ExportCommand(const TArguments& Arguments, std::ostream& Out, std::ostream& Err)
{
    const TArguments Args = TakeOptions(Arguments, {});
    RequireArguments(Args, 2, 2, "export", "LIST.ksd OUT.vbk");
    const std::string& listFile = Args[0];
    const std::string& bankFile = Args[1];
    RequireListFileToRead(listFile);

    TKSD list;
    const TLoadReport report = list.LoadFromFile(listFile);
    for (const TRelocatedWave& moved : report.Relocated)
        Err << Format("note: %s is not there; using %s\n", moved.StoredPath.c_str(), moved.FoundPath.c_str());
    for (const TCurrentFolderWave& wave : report.NotFromCurrentFolder)
        Err << "note: " << CurrentFolderNote(wave) << '\n';
    for (const int32_t position : report.Unnamed)
        Err << "warning: " << UnnamedEntryWarning(position) << '\n';
    std::vector<std::string> inputs = list.WaveFiles();
    inputs.push_back(listFile);
    CheckOutputFile(bankFile, inputs); // before the name: writing over an input is the graver fault
    RequireBankToWrite(bankFile);
    list.Export(bankFile, listFile);

    for (int32_t i = 0; i < list.Count(); ++i) {
        const TWaveInfo& wave = *list.GetWave(i);
        Out << Format("%s\t%d Hz\t%d samples\t%s\n", wave.WaveName().c_str(), wave.SamplesPerSec(),
                      wave.SampleCount(), LoopText(wave.Loop().InBank(), wave.LoopStart(), wave.LoopEnd()).c_str());
        if (const std::string dropped = BankDropsLoop(wave); !dropped.empty()) {
            Out.flush();
            Err << "warning: " << dropped << '\n';
        }
    }
    std::error_code error;
    const auto size = std::filesystem::file_size(PathFromUtf8(bankFile), error);
    Out << Format("%s: %llu bytes\n", bankFile.c_str(), static_cast<unsigned long long>(error ? 0 : size));
}

void CheckCommand(const TArguments& Arguments, std::ostream& Out)
{
    const TArguments Args = TakeOptions(Arguments, {});
    RequireArguments(Args, 1, 1, "check", "FILE.vbk");
    const TFileKind kind = KindOfFile(Args[0]);
    if (kind == TFileKind::ListFile)
        throw ECliError(Args[0] + ": this is a list file; use export to make a voice bank of it (see vantrel-cli --help)");
    if (kind == TFileKind::SoundFile)
        throw ECliError(Args[0] + ": this is a sound file; use info to see it (see vantrel-cli --help)");
    const TVBKContents bank = ReadVBKFile(Args[0]);

    Out << Format("%5s %10s %8s %10s %10s %10s\n", "index", "offset", "rate", "samples", "loopstart", "loopend");
    for (std::size_t i = 0; i < bank.Waves.size(); ++i) {
        const TVBKWave& wave = bank.Waves[i];
        const std::string start = wave.Loops ? std::to_string(wave.LoopStart) : "-";
        const std::string end = wave.Loops ? std::to_string(wave.LoopEnd) : "-";
        Out << Format("%5zu %10llu %8d %10u %10s %10s\n", i, static_cast<unsigned long long>(wave.Offset), wave.Rate,
                      wave.SampleCount, start.c_str(), end.c_str());
    }
    Out << Format("%s: %zu waves, %llu bytes, no faults\n", Args[0].c_str(), bank.Waves.size(),
                  static_cast<unsigned long long>(bank.FileSize));
}
