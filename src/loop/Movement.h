#pragma once
// The slowest regular movement of a held sound: vibrato (its pitch swings),
// tremolo (its level swings) or beating (detuned voices, whose sum swells
// and nearly vanishes in turn). A loop shorter than one cycle of it repeats
// a fraction of the swing and freezes the sound; the automatic loop
// (AutoLoop.h) prefers loops holding whole cycles of it.
//
// Measured over at most the middle 4 s of a part, every 10 ms:
//   - the level: the RMS of 20 ms around each point, in dB, less its
//     straight-line trend (a decay or a swell is no movement);
//   - the pitch: the period (within 6 % of the sound's own, found once in
//     the part's middle) that best repeats one period of the sound from each
//     point, as a logarithm, less its trend (a drift is no movement).
// A track moves regularly at the rate of the first peak of its normalised
// autocorrelation, between 0.5 and 15 Hz, that reaches 0.5 and at least 0.8
// of the highest such peak, with at least two cycles in the stretch; and
// only when it swings by more than a listener notices: 0.4 dB of level
// (standard deviation), 0.15 % of pitch (about 2.6 cents).
// Level and pitch swinging at the same rate (within 15 %) are beating when
// the level dips 10 dB or more below its peaks (a sum of equal voices
// nearly cancels), else vibrato. A level swing alone is tremolo when the
// whole sound swings together (its level and that of its first difference,
// where upper harmonics weigh more, correlate by 0.8 or more) and dips less
// than that; else beating (each harmonic of detuned voices beats at its own
// rate). Of a level swing and a pitch swing at different rates,
// the slower is the movement.

#include "loop/SustainedPart.h"

#include <cstdint>
#include <optional>

enum class TMovementKind { Vibrato, Tremolo, Beating };

struct TMovement {
    TMovementKind Kind = TMovementKind::Vibrato;
    double Hz = 0;
    // One cycle, in samples at the rate the movement was measured at.
    double Period = 0;
};

// The movement of Part of Wave at Rate (a timed rate, SeamCost.h); none
// when the sound holds still or moves irregularly (noise, a shifting
// ensemble), or Part is too short to show two cycles.
std::optional<TMovement> MovementOf(TSamples Wave, int32_t Rate, TRegion Part);

// "vibrato", "tremolo" or "beating": the word the tool's JSON gives in
// every language.
const char* MovementKindName(TMovementKind Kind);
