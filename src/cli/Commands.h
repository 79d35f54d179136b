#pragma once
// The commands of vantrel-cli. Each takes the arguments after its name,
// writes its report to Out and raises the core's exceptions, or ECliError
// for a wrong call, on the first error. Main prints the error and sets the
// exit status.

#include "common/Exception.h"
#include "document/WaveInfo.h"

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

// Raises ECliError "COMMAND takes SHAPE (see vantrel-cli --help)" unless
// Args holds Min to Max arguments.
void RequireArguments(const TArguments& Args, std::size_t Min, std::size_t Max, const char* Command,
                      const char* Shape);

// export LIST.ksd OUT.vbk: reads the list file as the window's open command
// does and exports it as its export command does; one line per wave, then
// the file's size. A wave found elsewhere than the list says gets a note on
// Err naming both paths. A loop the bank does not hold (from sample 0) is
// written as no loop and warned of on Err, naming the wave.
void ExportCommand(const TArguments& Args, std::ostream& Out, std::ostream& Err);

// check FILE.vbk: verifies the voice-bank file and prints its waves.
void CheckCommand(const TArguments& Args, std::ostream& Out);

// info FILE.wav...: what the WAV reader sees in each file. A file it refuses
// is reported on Err with the reader's message and the next file is taken.
// Returns false when any file failed.
bool InfoCommand(const TArguments& Args, std::ostream& Out, std::ostream& Err);

// new LIST.ksd WAV[@START:END]...: writes a list file of the waves, each with
// its loop, set under the window's loop rules. Nothing is written when any
// wave or loop is refused. WAV@auto and WAV@START:auto take the loop from
// AutomaticLoop. A loop may end in "~N" (a crossfade of N samples),
// "~Nms" or "~auto" (AutomaticFade; an automatic loop is then chosen with
// its fade); the fade must fit the loop (CrossFadeFault).
void NewCommand(const TArguments& Args, std::ostream& Out);

// loop WAV... [--near START:END [--radius MS]] [--min-length MS] [--count N]:
// the best loops of each file from the loop finder (LoopFinder.h), best
// first, one line each: file, start, end, seam cost and its word
// (good/fair/poor), tab-separated. Automatic loops, or with --near the best
// ends for START within --radius (50 ms) of END. A file that cannot be read,
// a request that cannot be met and a file without a loop are reported on Err
// naming the wave, and the next file is taken; so are loops shorter than
// --min-length. With --crossfade MS each cost is the one after that fade,
// shortened for a loop that allows less (said on Err), and the loops are
// ranked by it; with --crossfade auto, after each loop's automatic fade,
// printed after the word as "~N" samples. Returns false when any file
// failed.
bool LoopCommand(const TArguments& Args, std::ostream& Out, std::ostream& Err);

// The loop that new writes for WAV@auto (Start kAutomaticPoint: the
// automatic loop) and WAV@START:auto (the best end for Start). Raises the
// finder's ELoopFinderError "NAME:reason" when there is none. With
// WithFade, loops are ranked with their automatic crossfades (LoopFade.h).
inline constexpr int32_t kAutomaticPoint = -1;
std::pair<int32_t, int32_t> AutomaticLoop(const TWaveInfo& Wave, int32_t Start, bool WithFade = false);
// The automatic crossfade of Wave's loop Start .. End-1, in samples.
int32_t AutomaticFade(const TWaveInfo& Wave, int32_t Start, int32_t End);
