#pragma once
// Sampled instruments with loops set by their makers, read from the sound
// libraries Debian installs (see scripts/install-deps): a SoundFont ("sdta"
// samples, "pdta/shdr" sample headers) and a folder of GUS patches. Only
// mono 16-bit samples are taken from the SoundFont; 8-bit patches are
// widened. The loop end is exclusive in both.

#include <cstdint>
#include <string>
#include <vector>

struct TInstrumentSample {
    std::string Name;
    int32_t Rate = 0;
    std::vector<int16_t> Samples;
    int32_t LoopStart = 0;
    int32_t LoopEnd = 0; // exclusive
};

inline const char* const kSoundFontPath = "/usr/share/sounds/sf2/TimGM6mb.sf2";
inline const char* const kPatchFolder = "/usr/share/midi/freepats";

// The samples of a SoundFont with a loop inside them; empty when the file
// is missing. Throws on a file whose layout is broken.
std::vector<TInstrumentSample> ReadSoundFontSamples(const std::string& Path);

// The looping (forward, not ping-pong) waves of every .pat file under
// Folder, in path order; empty when the folder is missing.
std::vector<TInstrumentSample> ReadPatchSamples(const std::string& Folder);

// An independent judge of a loop Start .. End-1 (not our seam cost): the
// RMS of the difference between the stretch played before the loop end and
// the stretch before the loop start, over 2 ms and over 10 ms (the larger
// counts), relative to the loop's RMS. kNoAnswer for a loop whose mean
// square is below a quarter of the sound's loudest 20 ms.
inline constexpr double kNoAnswer = 9.99;
double JoinMismatch(const TInstrumentSample& Sound, int32_t Start, int32_t End);
