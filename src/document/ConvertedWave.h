#pragma once
// Sound files in any other shape than 16-bit mono PCM WAV, read through
// libsndfile and converted on reading to the one shape the rest of Vantrel
// handles: 16-bit mono at the file's own sample rate, one sample per frame,
// so that sample indices (and loop points) mean the same samples.
//
// The conversion is exact and the same on every run (no dither), so a file
// always gives the same bank:
// - Integer sources (8-, 16-, 24- and 32-bit PCM and everything libsndfile
//   decodes to integers: µ-law, A-law, ADPCM, FLAC, ...): each sample is
//   taken as libsndfile's left-justified 32-bit value v (a 24-bit sample s
//   is s * 256, an unsigned 8-bit sample u is (u - 128) * 2^24). A frame of
//   n channels gives sum(v) / (n * 65536) in exact 64-bit integer
//   arithmetic, rounded to the nearest integer with halves away from zero,
//   then clipped to -32768 .. 32767.
// - Float sources (32- and 64-bit float, and the lossy codecs libsndfile
//   decodes to floats): a frame gives (sum of its samples, in channel order,
//   in double precision) / n * 32768, rounded to the nearest integer with
//   halves away from zero and clipped to -32768 .. 32767; NaN gives 0.

#include "document/WaveInfo.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

// The largest wave Vantrel holds: its 16-bit data must fit a WAV data chunk
// size taken as signed 32-bit.
inline constexpr int64_t kMaxSampleCount = 0x7FFFFFFF / 2;

struct TConvertedWave {
    int32_t SampleRate = 0;
    TWaveData Samples;
    // What the file held: "24-bit 2ch", "32-bit float 1ch", "AIFF 16-bit 2ch"...
    std::string Source;
    // The frames the file's header declares; more than Samples holds when
    // the file ends early.
    int64_t DeclaredFrames = 0;
    // An AIFF or AIFC file's sustain loop (from its MARK and INST chunks).
    std::optional<TStoredLoop> SustainLoop;
};

// Reads the whole of File (an open stream; read from its start) and converts
// it. The wave holds the frames libsndfile delivers, in memory that grows as
// they arrive; a file that ends early gives a shorter wave. Nothing when
// libsndfile cannot read the file or its rate is not positive, or an AIFF
// file's COMM chunk stores a rate that is not a finite number from 1 Hz up
// to below 2^31 Hz. A file that declares more than kMaxSampleCount frames
// is not read: only its DeclaredFrames are set. One that declares no length
// (written to a pipe) is read and counted, up to kMaxSampleCount + 1
// frames, and DeclaredFrames is that count. Throws std::bad_alloc when the
// samples do not fit in memory.
std::optional<TConvertedWave> ReadConvertedWave(std::FILE* File);
