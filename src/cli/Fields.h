#pragma once
// The fields every command reports the same way, for people and for --json:
// a loop (end exclusive), a crossfade with both its units, a seam cost with
// its word. Sample counts are always samples and named so; milliseconds
// only beside them.

#include <nlohmann/json.hpp>

#include "loop/Movement.h"

#include <cstdint>
#include <optional>
#include <string>

struct TWaveLoop;

// {"start": S, "end": E}, or null for a loop that is not set.
nlohmann::json LoopJson(const TWaveLoop& Loop);
// {"samples": N, "ms": M} (M to 0.01 ms) at RateHz.
nlohmann::json FadeJson(int32_t Samples, int32_t RateHz);
// {"cost": C, "word": "good"|"fair"|"poor"}.
nlohmann::json SeamJson(double Cost);

// {"kind": "vibrato"|"tremolo"|"beating", "hz": F, "cycles": C}: the
// sound's movement and how many of its cycles a loop of LoopLength samples
// holds (both to 0.01); null when the sound has none.
nlohmann::json MovementJson(const std::optional<TMovement>& Movement, int32_t LoopLength);
// "vibrato 5.6 Hz, 2.0 cycles".
std::string MovementText(const TMovement& Movement, int32_t LoopLength);

// "loop 100:900" or "no loop"; "loop 0:900" for a loop from sample 0.
std::string LoopText(const TWaveLoop& Loop);
// "fade 20 samples (0.45 ms)", "no fade" for 0.
std::string FadeText(int32_t Samples, int32_t RateHz);
// "seam 0.0146 fair".
std::string SeamText(double Cost);

// A wave as export and unpack list it: "a.wav\t44100 Hz\t1000 samples\tloop 100:900".
std::string WaveLine(const std::string& Name, int32_t RateHz, int64_t Samples, const TWaveLoop& Loop);
// "list.ksd: 3 waves".
std::string WaveCountLine(const std::string& Path, int32_t Count);
