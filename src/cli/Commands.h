#pragma once
// The commands of vantrel-cli. Each takes the arguments after its name,
// reports through a TReport and raises the core's exceptions, or ECliError
// for a wrong call, on the first error. Main prints the error and sets the
// exit status.

#include "cli/Report.h"
#include "cli/WaveArguments.h"
#include "common/Exception.h"
#include "document/WaveInfo.h"
#include "loop/Movement.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// A wrong call: the message names the fault and points to --help.
VANTREL_DECLARE_EXCEPTION(ECliError);

using TArguments = std::vector<std::string>;

// The whole of Text as a number >= 0 (and finite); none for anything else.
template <class T>
std::optional<T> ParseNonNegative(const std::string& Text)
{
    T value{};
    const char* end = Text.data() + Text.size();
    const auto [stop, error] = std::from_chars(Text.data(), end, value);
    if (Text.empty() || error != std::errc() || stop != end || !(value >= 0) || !std::isfinite(static_cast<double>(value)))
        return std::nullopt;
    return value;
}

// ECliError "unknown option OPTION (see vantrel-cli --help)".
ECliError UnknownOption(const std::string& Option);
// Args without the options in Known (given with a count of each found);
// raises UnknownOption for any other argument that starts with "--".
TArguments TakeOptions(const TArguments& Args, const std::vector<std::string>& Known, std::vector<int>* Found = nullptr);

// ECliError "WHAT takes SHAPE (see vantrel-cli --help)", for a command or an option.
ECliError WrongShape(const std::string& What, const char* Shape);
// Raises ECliError "COMMAND takes SHAPE (see vantrel-cli --help)" unless
// Args holds Min to Max arguments.
void RequireArguments(const TArguments& Args, std::size_t Min, std::size_t Max, const char* Command,
                      const char* Shape);

// Path made absolute, as the list files that new and unpack write hold
// their waves' paths (see WaveCommands.cpp).
std::string AbsolutePath(const std::string& Path);

// Each command reports through Report (Report.h): lines for people, or its
// fields in the --json document (README.md names them).

// export LIST.ksd OUT.vbk: reads the list file as the window's open command
// does and exports it as its export command does; one line per wave, then
// the file's size. A wave found elsewhere than the list says gets a note
// naming both paths. A loop the bank does not hold (from sample 0) is
// written as no loop and warned of, naming the wave.
void ExportCommand(const TArguments& Args, TReport& Report);

// check FILE.vbk: verifies the voice-bank file and prints its waves.
void CheckCommand(const TArguments& Args, TReport& Report);

// info FILE.wav...: what the WAV reader sees in each file. A file it refuses
// is reported as a fault with the reader's message and the next file is
// taken. Returns false when any file failed.
bool InfoCommand(const TArguments& Args, TReport& Report);

// new LIST.ksd WAV[@START:END]...: writes a list file of the waves, each with
// its loop, set under the window's loop rules, and reports each wave: its
// loop, seam, fade and whether the loop was found, given or stored. Nothing
// is written when any wave or loop is refused. WAV@auto and WAV@START:auto
// take the loop from AutomaticLoop. A loop may end in "~N" (a crossfade of N
// samples), "~Nms" or "~auto" (AutomaticFade; an automatic loop is then
// chosen with its fade); the fade must fit the loop (CrossFadeFault).
void NewCommand(const TArguments& Args, TReport& Report);

// loop WAV... [--near START:END [--radius MS]] [--min-length MS] [--count N]:
// the best loops of each file from the loop finder (LoopFinder.h), best
// first, one line each: file, start, end, seam cost and its word,
// tab-separated. Automatic loops, or with --near the best ends for START
// within --radius (50 ms) of END. A file that cannot be read, a request that
// cannot be met and a file without a loop are faults naming the wave, and
// the next file is taken; loops shorter than --min-length are warned of.
// With --crossfade MS (20 or 20ms) each cost is the one after that fade,
// shortened for a loop that allows less (warned of), and the loops are
// ranked by it; with --crossfade auto, after each loop's automatic fade,
// printed after the word as "~N" samples. Returns false when any file
// failed.
bool LoopCommand(const TArguments& Args, TReport& Report);

// unpack BANK.vbk DIR [--names FILE] [--force]: writes each wave of the
// voice bank, which must pass check, as a 16-bit mono WAV file in DIR
// (001.wav, ... or the names of FILE, one a line) with its rate and its
// loop in a "smpl" chunk, and DIR/BANK.ksd listing them with their loops,
// so that exporting that list gives the bank again byte for byte. No file
// already there is replaced without --force.
void UnpackCommand(const TArguments& Args, TReport& Report);

// The loop that new writes for WAV@auto (Start kAutomaticPoint: the
// automatic loop) and WAV@START:auto (the best end for Start). Raises the
// finder's ELoopFinderError "NAME:reason" when there is none.
// With WithFade, loops are ranked with their automatic crossfades
// (LoopFade.h).
struct TAutomaticLoop {
    int32_t Start = 0;
    int32_t End = 0;
    std::optional<TMovement> Movement; // of the part searched, when it moves
};
TAutomaticLoop AutomaticLoop(const TWaveInfo& Wave, int32_t Start, bool WithFade = false);
// The automatic crossfade of Wave's loop Start .. End-1, in samples.
int32_t AutomaticFade(const TWaveInfo& Wave, int32_t Start, int32_t End);
