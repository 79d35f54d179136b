#include "loop/SustainedPart.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// See AutoLoop.h.
constexpr double kFrameMs = 20.0;
constexpr double kSilenceDb = 20.3; // -70 dB of full scale, as a mean square in dB
constexpr double kAttackDb = 6.0;
constexpr double kReleaseDb = 15.0;
constexpr double kLoudDb = 10.0;
constexpr int64_t kLoudFrames = 5;
constexpr double kSteadyDbPerFrame = 0.5;
constexpr int32_t kFewestFrames = 3;
constexpr int32_t kFewestPeakFrames = 2;
constexpr double kDecayedShare = 0.8; // 1 dB
constexpr double kDullerShare = 0.9; // 0.5 dB

} // namespace

int32_t FrameOf(int32_t Rate, TRegion Region)
{
    const int32_t frame = std::min(SamplesOfMs(kFrameMs, std::max(Rate, 1)), Region.Length() / (3 * kFewestFrames));
    return frame < kShortestLoopSamples ? 0 : frame;
}

namespace {

// Mean-square level in dB of each whole frame of Region.
std::vector<double> FrameLevels(TSamples Wave, TRegion Region, int32_t Frame)
{
    std::vector<double> levels(static_cast<std::size_t>(Region.Length() / Frame));
    for (std::size_t f = 0; f < levels.size(); ++f) {
        const int16_t* sample = Wave.data() + Region.From + static_cast<int64_t>(f) * Frame;
        double sum = 0;
        for (int32_t i = 0; i < Frame; ++i)
            sum += static_cast<double>(sample[i]) * sample[i];
        levels[f] = 10.0 * std::log10(sum / Frame + 1e-3);
    }
    return levels;
}

// The frames first .. last (inclusive) as samples of the wave; a part that
// reaches the last whole frame runs on to the region's end (a sound that
// stops without a release, often right after its maker's loop).
TRegion FramesAsRegion(TRegion Region, int32_t Frame, int64_t First, int64_t Last, int64_t Frames)
{
    if (Last < First)
        return {Region.From, Region.From};
    return {static_cast<int32_t>(Region.From + First * Frame),
            Last + 1 >= Frames ? Region.To : static_cast<int32_t>(Region.From + (Last + 1) * Frame)};
}

std::vector<double> Smoothed(const std::vector<double>& Level)
{
    std::vector<double> smoothed(Level.size());
    const auto count = static_cast<int64_t>(Level.size());
    for (int64_t f = 0; f < count; ++f) {
        const int64_t from = std::max<int64_t>(0, f - kLoudFrames / 2), to = std::min(count, f + kLoudFrames / 2 + 1);
        double power = 0;
        for (int64_t g = from; g < to; ++g)
            power += std::pow(10.0, Level[static_cast<std::size_t>(g)] / 10);
        smoothed[static_cast<std::size_t>(f)] = 10 * std::log10(power / static_cast<double>(to - from));
    }
    return smoothed;
}

TRegion SteadyPart(const std::vector<double>& Level, double Peak, TRegion Region, int32_t Frame)
{
    const int64_t count = static_cast<int64_t>(Level.size());
    int64_t attack = 0;
    while (Level[attack] < Peak - kAttackDb)
        ++attack;
    while (attack + 1 < count && Level[attack + 1] - Level[attack] > kSteadyDbPerFrame)
        ++attack;
    int64_t release = count - 1;
    while (release > attack && Level[release] < Peak - kReleaseDb)
        --release;
    while (release > attack && Level[release - 1] - Level[release] > kSteadyDbPerFrame)
        --release;
    // The longest run of loud frames between the two, less a frame either
    // side; loud by the level over kLoudFrames around each frame, so that
    // the swell of a held note does not break the run.
    const std::vector<double> loud = Smoothed(Level);
    const double loudest = *std::max_element(loud.begin(), loud.end());
    int64_t bestFirst = 0;
    int64_t bestLast = -1;
    for (int64_t f = attack; f <= release;) {
        if (loud[f] < loudest - kLoudDb) {
            ++f;
            continue;
        }
        int64_t last = f;
        while (last + 1 <= release && loud[last + 1] >= loudest - kLoudDb)
            ++last;
        if (last - f > bestLast - bestFirst) {
            bestFirst = f;
            bestLast = last;
        }
        f = last + 1;
    }
    // A run reaching the last frame is kept whole there: the sound stops
    // loud. So is any run when the last frame is still loud: the maker
    // trimmed the sound right after the loop, with no release.
    const bool stopsLoud = Level[count - 1] >= Peak - kLoudDb;
    const int64_t last = bestLast + 1 >= count || stopsLoud ? count - 1 : bestLast - 1;
    return FramesAsRegion(Region, Frame, bestFirst + 1, last, count);
}

TRegion LoosePart(const std::vector<double>& Level, double Peak, TRegion Region, int32_t Frame)
{
    int64_t first = 0;
    while (Level[first] < Peak - kAttackDb)
        ++first;
    int64_t last = static_cast<int64_t>(Level.size()) - 1;
    while (last > first && Level[last] < Peak - kLoudDb)
        --last;
    return FramesAsRegion(Region, Frame, first + 1, last, static_cast<int64_t>(Level.size()));
}

// The frames within 6 dB of the peak on either side of the loudest one, for
// a sound too short for the other rules.
TRegion PeakPart(const std::vector<double>& Level, double Peak, TRegion Region, int32_t Frame)
{
    const int64_t loudest = std::max_element(Level.begin(), Level.end()) - Level.begin();
    int64_t first = loudest;
    int64_t last = loudest;
    while (first > 0 && Level[first - 1] >= Peak - kAttackDb)
        --first;
    while (last + 1 < static_cast<int64_t>(Level.size()) && Level[last + 1] >= Peak - kAttackDb)
        ++last;
    return FramesAsRegion(Region, Frame, first, last, static_cast<int64_t>(Level.size()));
}

} // namespace

std::optional<TRegion> SustainedPart(TSamples Wave, int32_t Rate, TRegion Region, int32_t MinLength)
{
    const int32_t frame = FrameOf(Rate, Region);
    if (frame < 1)
        return std::nullopt;
    const std::vector<double> level = FrameLevels(Wave, Region, frame);
    if (static_cast<int32_t>(level.size()) < kFewestPeakFrames)
        return std::nullopt;
    const double peak = *std::max_element(level.begin(), level.end());
    if (peak < kSilenceDb)
        return std::nullopt;
    TRegion part = SteadyPart(level, peak, Region, frame);
    if (part.Length() < MinLength) {
        const TRegion loose = LoosePart(level, peak, Region, frame);
        if (loose.Length() > part.Length())
            part = loose;
    }
    if (part.Length() < kFewestFrames * frame) {
        const TRegion loudest = PeakPart(level, peak, Region, frame);
        if (loudest.Length() > part.Length())
            part = loudest;
    }
    if (part.Length() < kFewestPeakFrames * frame)
        return std::nullopt;
    return part;
}

// Whether the loudest frame of Region (or Region itself when shorter than a
// frame) is louder than silence.
bool Audible(TSamples Wave, int32_t Rate, TRegion Region)
{
    const int32_t frame = std::max(1, std::min(SamplesOfMs(kFrameMs, Rate), Region.Length()));
    const std::vector<double> level = FrameLevels(Wave, Region, frame);
    return !level.empty() && *std::max_element(level.begin(), level.end()) >= kSilenceDb;
}


namespace {

// Whether Measure (From, To) falls all along Part: each of kDecayFrames
// frames has at most Share of it of the one before.
template <class TMeasure>
bool FallsAllAlong(TRegion Part, int32_t Frame, double Share, TMeasure Measure)
{
    double before = 0;
    for (int32_t i = 0; i < kDecayFrames; ++i) {
        const int32_t from = Part.From + static_cast<int32_t>(int64_t{Part.Length() - Frame} * i / (kDecayFrames - 1));
        const double level = Measure(from, from + Frame);
        if (i > 0 && level > Share * before)
            return false;
        before = level;
    }
    return true;
}

double Sample(TSamples Wave, int32_t I) { return static_cast<double>(Wave[static_cast<std::size_t>(I)]); }

} // namespace

bool Decays(TSamples Wave, TRegion Part, int32_t Frame)
{
    const auto level = [&](int32_t From, int32_t To) {
        double sum = 0;
        for (int32_t i = From; i < To; ++i)
            sum += Sample(Wave, i) * Sample(Wave, i);
        return sum;
    };
    const auto brightness = [&](int32_t From, int32_t To) {
        double sum = 0;
        for (int32_t i = std::max(From, 1); i < To; ++i)
            sum += (Sample(Wave, i) - Sample(Wave, i - 1)) * (Sample(Wave, i) - Sample(Wave, i - 1));
        return sum;
    };
    return FallsAllAlong(Part, Frame, kDecayedShare, level) || FallsAllAlong(Part, Frame, kDullerShare, brightness);
}
