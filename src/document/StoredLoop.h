#pragma once
// The loop a sound file brings along, and the rule that turns it into a
// Vantrel loop: the first loop of a WAV file's "smpl" chunk, whose end is
// inclusive (the last sample played; Vantrel's loop end is exclusive, so the
// end moves by one), or the sustain loop of an AIFF or AIFC file, whose
// markers lie between samples (the end is the first sample after the loop,
// as in Vantrel).

#include "document/WaveLoop.h"

#include <cstdint>
#include <optional>
#include <span>

// A stored loop, as stored.
struct TStoredLoop {
    uint32_t Type = 0; // 0 forward, 1 alternating, 2 backward, others vendor-defined
    uint32_t Start = 0;
    uint32_t End = 0; // inclusive, unless EndExclusive
    bool EndExclusive = false; // an AIFF sustain loop
    // An AIFF sustain loop naming markers the file does not have: Start and
    // End are then meaningless, and the loop is never taken.
    bool MarkersMissing = false;
};

inline constexpr uint32_t kForwardLoop = 0;

// The first loop of a "smpl" chunk body (the bytes after its 8-byte chunk
// header). Nothing when the chunk is malformed: shorter than its 36-byte
// header, no loop, or too short for the loops it declares.
std::optional<TStoredLoop> ParseSampleChunk(std::span<const unsigned char> Body);

// The loop Vantrel takes from Loop in a wave of SampleCount samples: a
// forward loop with 0 < Start < End and End inside the wave gives LoopStart
// = Start and LoopEnd = End + 1 (End when EndExclusive, which may then equal
// SampleCount). Any other loop gives nothing. A loop from sample 0 would play
// in the window but the bank has no such loop, so it is not taken, and
// StoredLoopNotUsed says so rather than dropping it unsaid.
std::optional<TWaveLoop> LoopToUse(const TStoredLoop& Loop, int32_t SampleCount);

// Why LoopToUse does not take Loop, for the ones a user would expect to be
// taken: a forward loop from sample 0 (kLoopFromZeroNotInBank), one whose
// markers are missing (kLoopMarkersMissing) or one that does not lie inside
// the wave (kStoredLoopOutsideWave); null for any other loop.
const char* StoredLoopNotUsed(const TStoredLoop& Loop, int32_t SampleCount);
inline constexpr const char* kLoopMarkersMissing = "ループのマーカーがファイルにありません";
inline constexpr const char* kStoredLoopOutsideWave = "ループが波形の範囲外です";
