// unpack: a voice bank taken apart again into WAV files and a list file.

#include "cli/Commands.h"

#include "cli/Fields.h"
#include "cli/Hints.h"
#include "cli/Language.h"
#include "cli/WavFile.h"
#include "common/Bytes.h"
#include "common/File.h"
#include "common/Format.h"
#include "common/OpenFailure.h"
#include "common/Path.h"
#include "document/KSD.h"
#include "document/OutputFile.h"
#include "export/VBKReader.h"

#include <filesystem>
#include <fstream>
#include <set>

namespace {

// A file unpack reads fails it: --names FILE, or the bank changed while read.
VANTREL_DECLARE_EXCEPTION(EUnpackError);

constexpr const char* kUnpackShape = "[--force] [--names FILE] BANK.vbk DIR";

struct TUnpackArguments {
    std::string Bank;
    std::string Folder;
    std::optional<std::string> NamesFile;
    bool Force = false;
};

TUnpackArguments ParseUnpackArguments(const TArguments& Args)
{
    TUnpackArguments parsed;
    TArguments rest;
    for (std::size_t i = 0; i < Args.size(); ++i) {
        if (Args[i] == "--force") {
            parsed.Force = true;
        } else if (Args[i] == "--names") {
            if (i + 1 == Args.size())
                throw WrongShape("--names", Say("ファイル", "a file"));
            parsed.NamesFile = Args[++i];
        } else if (Args[i].starts_with("--")) {
            throw UnknownOption(Args[i]);
        } else {
            rest.push_back(Args[i]);
        }
    }
    RequireArguments(rest, 2, 2, "unpack", kUnpackShape);
    parsed.Bank = rest[0];
    parsed.Folder = rest[1];
    return parsed;
}

// The names of --names FILE, one a line (a last empty line and "\r" before
// line ends dropped): one plain file name for each of Count waves, no two alike.
std::vector<std::string> NamesOf(const std::string& File, std::size_t Count)
{
    std::ifstream in(PathFromUtf8(File), std::ios::binary);
    if (!in)
        throw EUnpackError(CannotOpenMessage(File));
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);)
        names.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
    if (!names.empty() && names.back().empty())
        names.pop_back();
    if (names.size() != Count)
        throw ECliError(Format(Say("%s: VBKファイルのwaveは %zu 個ですが、名前は %zu 個です",
                                   "%s: the voice bank holds %zu waves, but %zu names are given"),
                               File.c_str(), Count, names.size()));
    std::set<std::string> seen;
    for (const std::string& name : names)
        if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos ||
            !seen.insert(name).second)
            throw ECliError(Format(Say("%s: 「%s」はファイル名として使えないか、重複しています",
                                       "%s: \"%s\" is no plain file name or is given twice"),
                                   File.c_str(), name.c_str()));
    return names;
}

// The wave's samples as the bank holds them (little-endian 16-bit), read
// from its "WAVE" chunk, which ReadVBKFile has verified.
std::vector<int16_t> SamplesOf(std::FILE* Bank, const TVBKWave& Wave, const std::string& Path)
{
    std::vector<unsigned char> bytes(std::size_t(Wave.SampleCount) * 2);
    if (!Platform::SeekStream(Bank, static_cast<int64_t>(Wave.Offset) + 16, SEEK_SET) ||
        std::fread(bytes.data(), 1, bytes.size(), Bank) != bytes.size())
        throw EUnpackError(CannotOpenMessage(Path));
    std::vector<int16_t> samples(Wave.SampleCount);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(GetLe16(&bytes[2 * i]));
    return samples;
}

// Every file unpack writes must be new, or replaced only with --force, and
// none may be the bank itself.
void RequireFilesToWrite(const std::vector<std::string>& Paths, const std::string& Bank, bool Force)
{
    for (const std::string& path : Paths) {
        CheckOutputFile(path, {Bank});
        std::error_code error;
        if (!Force && std::filesystem::exists(PathFromUtf8(path), error))
            throw ECliError(Format(Say("%s はすでにあります。unpack がファイルを置き換えるのは --force のときだけです "
                                       "(vantrel-cli --help を参照)",
                                       "%s exists: unpack replaces files only with --force (see vantrel-cli --help)"),
                                   path.c_str()));
    }
}

} // namespace

void UnpackCommand(const TArguments& Arguments, TReport& Report)
{
    const TUnpackArguments args = ParseUnpackArguments(Arguments);
    RequireBankToRead(args.Bank);
    const TVBKContents bank = ReadVBKFile(args.Bank);
    const std::vector<std::string> names = [&] {
        if (args.NamesFile)
            return NamesOf(*args.NamesFile, bank.Waves.size());
        std::vector<std::string> numbered;
        for (std::size_t i = 1; i <= bank.Waves.size(); ++i)
            numbered.push_back(Format("%03zu.wav", i));
        return numbered;
    }();

    const std::filesystem::path folder = PathFromUtf8(AbsolutePath(args.Folder));
    std::vector<std::string> outputs;
    for (const std::string& name : names)
        outputs.push_back(Utf8FromPath(folder / PathFromUtf8(name)));
    const std::string listFile =
        Utf8FromPath(folder / PathFromUtf8(Utf8FromPath(PathFromUtf8(args.Bank).stem()) + ".ksd"));
    outputs.push_back(listFile);
    RequireFilesToWrite(outputs, args.Bank, args.Force);
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    const TFileHandle file = OpenFile(args.Bank, "rb");
    if (!file)
        throw EUnpackError(CannotOpenMessage(args.Bank));
    TKSD list;
    for (std::size_t i = 0; i < bank.Waves.size(); ++i) {
        const TVBKWave& wave = bank.Waves[i];
        const TWaveLoop loop = wave.Loops ? TWaveLoop{wave.LoopStart, wave.LoopEnd} : TWaveLoop{};
        WriteWavFile(outputs[i], SamplesOf(file.get(), wave, args.Bank), wave.Rate,
                     wave.Loops ? std::optional(loop) : std::nullopt);
        // The list holds the bank's loop whatever the file's stored loop gives.
        list.AddWave(outputs[i]);
        TWaveInfo& added = *list.GetWave(static_cast<int32_t>(i));
        added.SetLoopStart(0);
        added.SetLoopEnd(loop.End);
        added.SetLoopStart(loop.Start);
        Report.Line(WaveLine(added.WaveName(), wave.Rate, added.SampleCount(), loop));
    }
    list.SaveToFile(listFile);
    Report.Line(WaveCountLine(listFile, list.Count()));
}
