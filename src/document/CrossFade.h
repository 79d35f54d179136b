#pragma once
// The loop crossfade: how a wave with a fade of N samples sounds in the bank
// and in the player. One home for the law, the limits and the faded stretch;
// the export, the feeder, the seam cost and the command-line tool all take
// the faded samples from here.
//
// For a loop (S, E) the bank holds, for k = 0 .. N-1 and t = (k + 1) / N,
//
//     y[E-N+k] = clip(round(g_out(t) x[E-N+k] + g_in(t) x[S-N+k]))
//
// so the wave's own end fades out while the stretch leading into the loop
// start fades in. At k = N-1 (t = 1) g_in is 1 and g_out 0: the last faded
// sample is exactly x[S-1], and playback crossing the join from E-1 to S
// continues the sound as it continued from S-1 in the wave. Nothing outside
// [E-N, E) changes; the wave's own samples are never written.
//
// The law is the constant-power fade for the measured likeness of the two
// stretches. With a = x[E-N .. E), b = x[S-N .. S) and their normalised
// correlation r = <a, b> / (|a| |b|), clamped to 0 .. 1:
//
//     g_in(t)  = sin(pi t / 2) / sqrt(1 + r sin(pi t))
//     g_out(t) = cos(pi t / 2) / sqrt(1 + r sin(pi t))
//
// The expected power of the blend, g_out^2 + g_in^2 + 2 r g_out g_in, is then
// 1 all the way through. At r = 1 (alike stretches: a held tone whose phases
// line up) the gains sum to 1, the equal-gain fade that keeps the level of
// coherent material; at r = 0 (unrelated stretches: noise, a choir, breath)
// it is the equal-power fade that keeps the level of incoherent material,
// where an equal-gain fade would dip by 3 dB in the middle. In between it is
// the blend that keeps the level for that likeness. A negative correlation
// (stretches in opposite phase) is taken as 0: boosting the gains there
// would amplify noise in the estimate and drive the blend into clipping.
// The result is rounded to the nearest integer and clipped to -32768 .. 32767
// (only reachable by alike loud stretches at r < 1).

#include "document/WaveLoop.h"

#include <cstdint>
#include <span>
#include <optional>
#include <string>
#include <vector>

class TWaveInfo;

// The longest fade Loop allows: min(S, E - S); 0 for a loop that is not in
// the bank (unset, half-set, from sample 0, or empty).
int32_t LongestFade(const TWaveLoop& Loop);

// Whether a fade of FadeSamples fits Loop: 0 always fits; otherwise the loop
// must be in the bank and 0 < FadeSamples <= LongestFade(Loop).
bool FadeFits(const TWaveLoop& Loop, int32_t FadeSamples);

// "<wave name>:" kCrossFadeTooLong when Wave's fade does not fit its loop
// (FadeFits); empty when it does. The list file, the export and the
// command-line tool report it.
std::string CrossFadeFault(const TWaveInfo& Wave, const TWaveLoop& Loop, int32_t FadeSamples);
inline constexpr const char* kCrossFadeTooLong = "クロスフェードがループに収まりません";

// The correlation r the law uses for the two stretches (0 .. 1; 0 when
// either is silent).
double FadeLikeness(std::span<const int16_t> Out, std::span<const int16_t> In);

// The N samples the bank holds at [E - N, E) for Loop in Samples (the whole
// wave), or only the last Last of them (0 .. N; all when not given): the
// law's likeness is still taken over all N. Requires FadeFits(Loop, N) and
// Loop.End <= Samples.size(); empty for N = 0.
std::vector<int16_t> FadedStretch(std::span<const int16_t> Samples, const TWaveLoop& Loop, int32_t N,
                                  std::optional<int32_t> Last = std::nullopt);

// Samples as the bank holds them: a copy with [E - N, E) replaced by
// FadedStretch. The same requirements.
std::vector<int16_t> FadedWave(std::span<const int16_t> Samples, const TWaveLoop& Loop, int32_t N);

// Milliseconds to a fade length in samples at RateHz, rounded to the nearest
// sample, and back (for the window's control and the command-line tool).
// A length beyond INT32_MAX samples is INT32_MAX, so that a huge request is
// too long for every loop rather than wrapping to some other length.
int32_t FadeSamplesOfMs(double Ms, int32_t RateHz);
// "<wave name>:" kCrossFadeTooShort when a fade of Ms > 0 rounds to no
// sample at Wave's rate (a fade asked for would silently be none); empty
// otherwise.
std::string FadeMsFault(const TWaveInfo& Wave, double Ms);
inline constexpr const char* kCrossFadeTooShort = "クロスフェードが 1 サンプルに満たない長さです";
double FadeMsOfSamples(int32_t Samples, int32_t RateHz);
