#pragma once
// The seam cost of a loop: how much the sound changes where playback jumps
// from the sample before the loop end back to the loop start.
//
// A loop (S, E) plays S .. E-1 and then S again: the listener hears the
// stretch leading into E followed by x[S], x[S+1] ... The join is clean
// when that stretch sounds like the one leading into S, which x[S] follows
// in the wave. The cost compares the two stretches sample by sample over
// k = -W .. -1 (the W samples before each point), weighted by a ramp that
// is 1 for the samples just before the seam and falls by 1/W per sample
// away from it:
//
//     p(k)  = the sample played k samples before the seam: x[E+k], and for
//             a loop shorter than W, the loop again before it
//     w(k)  = 1 - (-1-k) / W
//     m     = sum w(k) (p(k) + x[S+k]) / (2 sum w(k))
//     cost  = sum w(k) (p(k) - x[S+k])^2
//             / max(sum w(k) ((p(k) - m)^2 + (x[S+k] - m)^2),
//                   2 sum w(-1-j) (x[S+j] - m)^2 over j = 0 .. W-1)
//
// The second term of the denominator is the level of what is played after
// the seam (the loop's first W samples, the same ramp mirrored): a
// difference far below the sound that follows cannot be heard, so a
// decayed tail jumping back to the start of a struck note (a retriggered
// drum) is clean although the tail and the silence before the start differ.
//
// Samples from E on are never played and play no part: a loop ending at
// the last sample of the wave, or before a stretch the maker trimmed or
// crossfaded, is judged by what is heard. The energy is measured around m,
// the weighted mean level of both stretches, so that a constant offset (DC)
// does not make a seam look cleaner than it sounds.
//
// Properties the rest of the program relies on:
//   - 0 when the wave repeats exactly across the seam (an exactly periodic
//     signal and a loop length that is a multiple of its period, a single
//     period included);
//   - grows with any step or change of slope between what leads into the
//     loop end and what leads into the loop start;
//   - the same for a signal and a scaled copy of it (a ratio of energies),
//     and for a signal and a copy with an offset added;
//   - between 0 and 2: 1 for unrelated stretches of equal level, 2 for a
//     stretch against its own negation (around the mean).
// Near the wave's start only the offsets k at which x[S+k] lies inside the
// wave are compared. A loop starting at 0 has nothing before its start; it
// is judged by the W samples following its two points instead, and costs 1
// when none follow its end either: nothing shows that the seam is clean. When both stretches are the same
// (silent or constant ones included) the cost is 0: such a seam cannot be
// heard. A loop shorter than kShortestLoopSamples costs 2 (it plays a buzz
// at the top of the audible range, not the sound), and a loop too short to
// hold a cycle of the sound repeats a fragment unlike what precedes its
// start, so its cost is far from good.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

using TSamples = std::span<const int16_t>;

// The default comparison window: the 5 ms before the seam.
inline constexpr double kDefaultSeamWindowMs = 5.0;

// The shortest loop the searches propose, and the shortest the seam cost
// judges: one cycle of 5.5 kHz at 44.1 kHz, above the top note of a piano
// at any common rate.
inline constexpr int32_t kShortestLoopSamples = 8;

// Milliseconds to a whole number of samples at Rate (1 .. 10^9).
int32_t SamplesOfMs(double Ms, int32_t Rate);

// The rate the loop finder sizes its windows, frames, lengths and search
// spans by: the wave's own, but no faster than kFastestTimedRate. A header
// may state any rate up to 2^31-1 Hz, where a 5 ms window spans ten million
// samples and would cover any wave whole, so that every loop had to be
// measured alone; capped, a wave of N samples costs about the same to
// search at any rate, and every rate a recording is made at is its own.
inline constexpr int32_t kFastestTimedRate = 192000;
int32_t TimedRate(int32_t Rate);

// The ramp weights w(k) for k = -W .. -1, held once per window so that many
// seams can be measured cheaply. Only the weights a wave of LongestWave
// samples can reach are held, so that a window far longer than the wave (a
// few milliseconds at an absurd rate) costs no more than the wave itself.
class TSeamWindow {
public:
    explicit TSeamWindow(int32_t HalfWindowSamples, std::size_t LongestWave = SIZE_MAX);

    // W, the samples compared before the seam (the name is kept from when
    // the window reached as far after it).
    int32_t Half() const { return FHalf; }
    // Cost of the loop Start .. End-1 of Wave (the two may come in either
    // order). Both must lie in 0 .. Wave.size(), and Wave must be no longer
    // than the LongestWave the window was made for.
    double Cost(TSamples Wave, int32_t Start, int32_t End) const;

private:
    double CostAtWaveStart(TSamples Wave, int32_t End) const;
    // Twice the ramp-weighted energy around Mean of the samples played
    // after the seam (from Start, inside the loop).
    double FollowingLevel(TSamples Wave, int32_t Start, int32_t Length, double Mean) const;

    int32_t FHalf;
    int32_t FHeld; // the weights held: min(W, LongestWave)
    std::vector<float> FWeights; // w(k) for k = -Held .. -1, at index k + Held
    std::vector<float> FMirrored; // w(-1-j) at index j: the ramp read from the seam on
};

// The cost of the loop (Start, End) of Wave comparing HalfWindowSamples
// samples before the seam; see the formula above.
double SeamCost(TSamples Wave, int32_t Start, int32_t End, int32_t HalfWindowSamples);

// The words the window and the command-line tool show for a cost. For two
// stretches of equal level a cost c means a difference about sqrt(2 c)
// of the sound's RMS, 10 log10(2 c) dB below it:
//   good  below 0.005: 20 dB or more below the sound; no click or change
//         of tone to hear on a held note (the clean joins sound designers
//         set by hand measure below 0.0025);
//   fair  below 0.05: 10 to 20 dB below; a soft tick or a brief change of
//         colour on an exposed tone, hidden in a dense or noisy one;
//   poor  otherwise: an audible click, bump or jump of pitch or level.
enum class TSeamQuality { Good, Fair, Poor };
inline constexpr double kGoodSeamCost = 0.005;
inline constexpr double kFairSeamCost = 0.05;
TSeamQuality SeamQualityOf(double Cost);
const char* SeamQualityName(TSeamQuality Quality);

// The sums of the cost over an aligned run of N pairs with weights W:
// Diff = sum w (a - b)^2, Energy = sum w (a^2 + b^2), Sum = sum w (a + b)
// and Weight = sum w. The one inner loop of every seam measure, written so
// that the compiler can vectorise it.
struct TSeamSums {
    double Diff = 0;
    double Energy = 0;
    double Sum = 0;
    double Weight = 0;
    // Diff over the energy around the mean level m = Sum / (2 Weight):
    // Energy - 2 Weight m^2, or over Floor when that is more.
    double Ratio(double Floor = 0) const
    {
        return SeamRatio(Diff, std::max(Energy, Floor + Offset()), Offset());
    }
    double Mean() const { return Weight > 0 ? Sum / (2 * Weight) : 0.0; }
    double Offset() const { return Weight > 0 ? Sum * Sum / (2 * Weight) : 0.0; }
    // Diff / (Energy - Offset), 0 when Diff is 0 and at most 2 (the bound
    // rounding might break).
    static double SeamRatio(double Diff, double Energy, double Offset)
    {
        const double centred = Energy - Offset;
        if (!(Diff > 0))
            return 0.0;
        return Diff >= 2 * centred ? 2.0 : Diff / centred;
    }
};
template <class A, class B>
TSeamSums SeamSums(const A* First, const B* Second, const float* W, int32_t N)
{
    constexpr int kLanes = 8;
    float diff[kLanes] = {};
    float energy[kLanes] = {};
    float sum[kLanes] = {};
    float weight[kLanes] = {};
    int32_t i = 0;
    for (; i + kLanes <= N; i += kLanes)
        for (int lane = 0; lane < kLanes; ++lane) {
            const float a = static_cast<float>(First[i + lane]);
            const float b = static_cast<float>(Second[i + lane]);
            const float d = a - b;
            diff[lane] += W[i + lane] * d * d;
            energy[lane] += W[i + lane] * (a * a + b * b);
            sum[lane] += W[i + lane] * (a + b);
            weight[lane] += W[i + lane];
        }
    for (; i < N; ++i) {
        const float a = static_cast<float>(First[i]);
        const float b = static_cast<float>(Second[i]);
        diff[0] += W[i] * (a - b) * (a - b);
        energy[0] += W[i] * (a * a + b * b);
        sum[0] += W[i] * (a + b);
        weight[0] += W[i];
    }
    TSeamSums sums;
    for (int lane = 0; lane < kLanes; ++lane) {
        sums.Diff += diff[lane];
        sums.Energy += energy[lane];
        sums.Sum += sum[lane];
        sums.Weight += weight[lane];
    }
    return sums;
}
