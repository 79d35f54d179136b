#pragma once
// What Vantrel reads itself from an AIFF or AIFC file, where libsndfile's
// view would mislead: the sample rate as the COMM chunk stores it (an 80-bit
// extended float; libsndfile turns 0 into 1 Hz and NaN or infinity into some
// large rate), and the sustain loop of the INST chunk with the positions of
// the MARK chunk's markers it names (libsndfile takes the marker numbers as
// positions when there is no MARK chunk).

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>

// The INST chunk's sustain loop: its play mode (0 none, 1 forward, 2
// forward-backward) and the positions of its begin and end markers, each
// nothing when the MARK chunk has no such marker (or there is no MARK chunk).
struct TAiffSustainLoop {
    uint16_t PlayMode = 0;
    std::optional<uint32_t> Begin;
    std::optional<uint32_t> End;
};

struct TAiffChunks {
    std::optional<double> SampleRate; // the COMM chunk's, as stored
    std::optional<TAiffSustainLoop> Sustain;
};

// Walks File (from its start) when it is a FORM AIFF or AIFC file; nothing
// for any other file. Leaves the stream's position anywhere.
std::optional<TAiffChunks> ReadAiffChunks(std::FILE* File);

// The value of an 80-bit IEEE extended float (big-endian, as AIFF stores it):
// NaN and infinity as such, values beyond a double's range as infinity.
double ExtendedValue(std::span<const unsigned char, 10> Bytes);
