// The voice-bank commands: export and check.

#include "cli/Commands.h"

#include "common/Format.h"
#include "common/Path.h"
#include "document/KSD.h"
#include "document/LoopRules.h"
#include "export/VBKReader.h"

#include <filesystem>

namespace {

std::string LoopText(bool loops, int32_t start, int32_t end)
{
    return loops ? Format("loop %d..%d", start, end) : std::string("no loop");
}

} // namespace

void RequireArguments(const TArguments& Args, std::size_t Min, std::size_t Max, const char* Command,
                      const char* Shape)
{
    if (Args.size() < Min || Args.size() > Max)
        throw ECliError(Format("%s takes %s (see vantrel-cli --help)", Command, Shape));
}

void ExportCommand(const TArguments& Args, std::ostream& Out, std::ostream& Err)
{
    RequireArguments(Args, 2, 2, "export", "LIST.ksd OUT.vbk");
    const std::string& listFile = Args[0];
    const std::string& bankFile = Args[1];

    TKSD list;
    list.LoadFromFile(listFile);
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

void CheckCommand(const TArguments& Args, std::ostream& Out)
{
    RequireArguments(Args, 1, 1, "check", "FILE.vbk");
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
