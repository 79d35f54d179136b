#include "loop/Movement.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// See Movement.h.
constexpr double kLongestStretchSeconds = 4.0;
constexpr double kHopMs = 10.0;
constexpr double kLevelFrameMs = 20.0;
constexpr double kLowestPitchHz = 30.0;
constexpr double kHighestPitchHz = 2000.0;
constexpr double kPitchSwing = 0.06;
constexpr double kShortestPitchWindowMs = 5.0;
constexpr double kSlowestHz = 0.5;
constexpr double kFastestHz = 15.0;
constexpr double kRegularPeak = 0.5;
constexpr double kNearHighestPeak = 0.8;
constexpr double kLeastLevelSwingDb = 0.4;
constexpr double kLeastPitchSwing = 0.0015;
constexpr double kSameRate = 0.15;
constexpr double kBeatingDipDb = 10.0;
constexpr double kInPhase = 0.8;
// The sample step of sums over long windows: about this many terms each.
constexpr int32_t kTermsPerSum = 256;
// YIN's threshold on the cumulative mean normalised difference.
constexpr double kPeriodThreshold = 0.2;

double Squared(double Value) { return Value * Value; }

// Sum of (x[From + i] - x[From + i + Lag])^2 over i = 0, Step .. Length-1.
double Difference(TSamples Wave, int32_t From, int32_t Length, int32_t Lag, int32_t Step)
{
    double sum = 0;
    for (int32_t i = 0; i < Length; i += Step)
        sum += Squared(static_cast<double>(Wave[From + i]) - Wave[From + i + Lag]);
    return sum;
}

// The offset (-0.5 .. 0.5) of the extremum of the parabola through three
// equally spaced values.
double ParabolaOffset(double Before, double At, double After)
{
    const double curve = Before - 2 * At + After;
    return curve != 0 ? std::clamp(0.5 * (Before - After) / curve, -0.5, 0.5) : 0.0;
}

// The sound's period around Middle (YIN on lags of a coarse step, refined
// to the sample); 0 when none is found or the wave is too short.
double SoundPeriod(TSamples Wave, int32_t Rate, TRegion Stretch)
{
    const int32_t shortest = std::max(2, static_cast<int32_t>(Rate / kHighestPitchHz));
    const int32_t longest = std::min(static_cast<int32_t>(Rate / kLowestPitchHz), Stretch.Length() / 3);
    if (longest <= shortest)
        return 0;
    const int32_t step = std::max(1, longest / kTermsPerSum);
    const int32_t from = Stretch.From + (Stretch.Length() - 2 * longest) / 2;
    std::vector<double> normalised(static_cast<std::size_t>(longest / step + 1), 1.0);
    double total = 0;
    int32_t found = 0;
    for (int32_t n = 1; n * step <= longest; ++n) {
        const double d = Difference(Wave, from, longest, n * step, step);
        total += d;
        normalised[n] = total > 0 ? d * n / total : 1.0;
        if (found == 0 && n * step >= shortest && n >= 2 && normalised[n - 1] < kPeriodThreshold &&
            normalised[n] >= normalised[n - 1])
            found = n - 1;
    }
    if (found == 0) {
        const auto first = std::max<std::size_t>(1, static_cast<std::size_t>((shortest + step - 1) / step));
        if (first >= normalised.size())
            return 0;
        found = static_cast<int32_t>(std::min_element(normalised.begin() + first, normalised.end()) - normalised.begin());
    }
    int32_t best = found * step;
    double bestDifference = INFINITY;
    for (int32_t lag = std::max(1, best - step); lag <= std::min(longest, best + step); ++lag)
        if (const double d = Difference(Wave, from, longest, lag, 1); d < bestDifference) {
            bestDifference = d;
            best = lag;
        }
    return best;
}

std::vector<double> LessTrend(std::vector<double> Track)
{
    const auto n = static_cast<double>(Track.size());
    double sumX = 0, sumY = 0, sumXX = 0, sumXY = 0;
    for (std::size_t i = 0; i < Track.size(); ++i) {
        sumX += i;
        sumY += Track[i];
        sumXX += Squared(i);
        sumXY += i * Track[i];
    }
    const double spread = n * sumXX - sumX * sumX;
    const double slope = spread > 0 ? (n * sumXY - sumX * sumY) / spread : 0.0;
    const double offset = (sumY - slope * sumX) / n;
    for (std::size_t i = 0; i < Track.size(); ++i)
        Track[i] -= offset + slope * i;
    return Track;
}

double Deviation(const std::vector<double>& Track)
{
    double sum = 0;
    for (const double value : Track)
        sum += value * value;
    return std::sqrt(sum / static_cast<double>(Track.size()));
}

// The level in dB every Hop samples of Stretch, of the sound itself or
// (Sharpened) of its first difference, where each harmonic weighs by its
// number.
std::vector<double> LevelTrack(TSamples Wave, int32_t Rate, TRegion Stretch, int32_t Hop, bool Sharpened)
{
    const int32_t half = std::max(1, SamplesOfMs(kLevelFrameMs, Rate) / 2);
    std::vector<double> track;
    for (int32_t at = std::max(Stretch.From + half, half + 1); at + half <= Stretch.To; at += Hop) {
        double sum = 0;
        for (int32_t i = at - half; i < at + half; ++i)
            sum += Squared(Sharpened ? static_cast<double>(Wave[i]) - Wave[i - 1] : Wave[i]);
        track.push_back(10 * std::log10(sum / (2 * half) + 1.0));
    }
    return track;
}

// Whether two tracks of equal length swing together (correlation).
bool SwingTogether(const std::vector<double>& First, const std::vector<double>& Second)
{
    double product = 0, first = 0, second = 0;
    for (std::size_t i = 0; i < First.size(); ++i) {
        product += First[i] * Second[i];
        first += Squared(First[i]);
        second += Squared(Second[i]);
    }
    return first > 0 && second > 0 && product >= kInPhase * std::sqrt(first * second);
}

// The logarithm of the period every Hop samples of Stretch, sought within
// kPitchSwing of Period: among lags a sum's step apart, then to the sample
// around the best of them.
std::vector<double> PitchTrack(TSamples Wave, int32_t Rate, TRegion Stretch, int32_t Hop, double Period)
{
    const int32_t lowest = std::max(1, static_cast<int32_t>(std::floor(Period * (1 - kPitchSwing))));
    const int32_t highest = static_cast<int32_t>(std::ceil(Period * (1 + kPitchSwing)));
    const int32_t window = std::max(static_cast<int32_t>(Period), SamplesOfMs(kShortestPitchWindowMs, Rate));
    const int32_t step = std::max(1, window / kTermsPerSum);
    std::vector<double> track;
    std::vector<double> differences(static_cast<std::size_t>(highest - lowest + 1), INFINITY);
    for (int32_t at = Stretch.From; at + window + highest <= Stretch.To; at += Hop) {
        std::fill(differences.begin(), differences.end(), INFINITY);
        int32_t coarse = lowest;
        for (int32_t lag = lowest; lag <= highest; lag += step)
            if ((differences[lag - lowest] = Difference(Wave, at, window, lag, step)) < differences[coarse - lowest])
                coarse = lag;
        for (int32_t lag = std::max(lowest, coarse - step); lag <= std::min(highest, coarse + step); ++lag)
            if (differences[lag - lowest] == INFINITY)
                differences[lag - lowest] = Difference(Wave, at, window, lag, step);
        const auto best = std::min_element(differences.begin(), differences.end()) - differences.begin();
        double lag = lowest + static_cast<double>(best);
        if (best > 0 && best + 1 < static_cast<std::ptrdiff_t>(differences.size()) &&
            std::isfinite(differences[best - 1]) && std::isfinite(differences[best + 1]))
            lag += ParabolaOffset(differences[best - 1], differences[best], differences[best + 1]);
        track.push_back(std::log(lag));
    }
    return track;
}

// The period in hops of a track's regular swing (Movement.h); 0 when none.
double SwingPeriod(const std::vector<double>& Track, double HopsPerSecond)
{
    const auto count = static_cast<int32_t>(Track.size());
    const auto shortest = static_cast<int32_t>(std::ceil(HopsPerSecond / kFastestHz));
    const int32_t longest = std::min(static_cast<int32_t>(HopsPerSecond / kSlowestHz), count / 2);
    if (longest < shortest + 1)
        return 0;
    std::vector<double> r(static_cast<std::size_t>(longest + 2), 0.0);
    for (int32_t lag = std::max(1, shortest - 1); lag <= longest + 1 && lag < count; ++lag) {
        double product = 0, first = 0, second = 0;
        for (int32_t i = 0; i + lag < count; ++i) {
            product += Track[i] * Track[i + lag];
            first += Squared(Track[i]);
            second += Squared(Track[i + lag]);
        }
        r[lag] = first > 0 && second > 0 ? product / std::sqrt(first * second) : 0.0;
    }
    std::vector<int32_t> peaks;
    for (int32_t lag = shortest; lag <= longest; ++lag)
        if (r[lag] >= kRegularPeak && r[lag] >= r[lag - 1] && r[lag] > r[lag + 1])
            peaks.push_back(lag);
    if (peaks.empty())
        return 0;
    const double highest = r[*std::max_element(peaks.begin(), peaks.end(), [&](int32_t a, int32_t b) { return r[a] < r[b]; })];
    const int32_t lag = *std::find_if(peaks.begin(), peaks.end(), [&](int32_t p) { return r[p] >= kNearHighestPeak * highest; });
    return lag + ParabolaOffset(r[lag - 1], r[lag], r[lag + 1]);
}

// How far the level dips below its peaks: the spread of the middle 90 %.
double DipDb(std::vector<double> Level)
{
    std::sort(Level.begin(), Level.end());
    const std::size_t last = Level.size() - 1;
    return Level[last - last / 20] - Level[last / 20];
}

} // namespace

std::optional<TMovement> MovementOf(TSamples Wave, int32_t Rate, TRegion Part)
{
    if (Rate < 1)
        return std::nullopt;
    const auto longest = static_cast<int32_t>(std::min<double>(Part.Length(), Rate * kLongestStretchSeconds));
    const TRegion stretch{Part.From + (Part.Length() - longest) / 2, Part.From + (Part.Length() + longest) / 2};
    const int32_t hop = SamplesOfMs(kHopMs, Rate);
    const double hopsPerSecond = static_cast<double>(Rate) / hop;
    const std::vector<double> level = LessTrend(LevelTrack(Wave, Rate, stretch, hop, false));
    if (level.size() < 4)
        return std::nullopt;
    const double levelHops = Deviation(level) >= kLeastLevelSwingDb ? SwingPeriod(level, hopsPerSecond) : 0.0;
    double pitchHops = 0;
    if (const double period = SoundPeriod(Wave, Rate, stretch); period > 0) {
        const std::vector<double> pitch = LessTrend(PitchTrack(Wave, Rate, stretch, hop, period));
        if (pitch.size() >= 4 && Deviation(pitch) >= kLeastPitchSwing)
            pitchHops = SwingPeriod(pitch, hopsPerSecond);
    }
    if (levelHops == 0 && pitchHops == 0)
        return std::nullopt;
    const bool deep = levelHops > 0 && DipDb(level) >= kBeatingDipDb;
    TMovement movement;
    if (levelHops > 0 && pitchHops > 0 && std::abs(levelHops - pitchHops) <= kSameRate * levelHops)
        movement = {deep ? TMovementKind::Beating : TMovementKind::Vibrato, 0, deep ? levelHops : pitchHops};
    else if (levelHops > pitchHops)
        movement = {deep || !SwingTogether(level, LessTrend(LevelTrack(Wave, Rate, stretch, hop, true)))
                        ? TMovementKind::Beating
                        : TMovementKind::Tremolo,
                    0, levelHops};
    else
        movement = {TMovementKind::Vibrato, 0, pitchHops};
    movement.Hz = hopsPerSecond / movement.Period;
    movement.Period *= hop;
    return movement;
}

const char* MovementKindName(TMovementKind Kind)
{
    switch (Kind) {
    case TMovementKind::Vibrato:
        return "vibrato";
    case TMovementKind::Tremolo:
        return "tremolo";
    case TMovementKind::Beating:
        return "beating";
    }
    return "";
}
