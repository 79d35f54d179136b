#include "document/CrossFade.h"

#include "document/LoopRules.h"
#include "document/WaveInfo.h"

#include <algorithm>
#include <cmath>
#include <numbers>

int32_t LongestFade(const TWaveLoop& Loop)
{
    if (!Loop.InBank() || !Loop.Plays())
        return 0;
    return std::min(Loop.Start, Loop.Length());
}

bool FadeFits(const TWaveLoop& Loop, int32_t FadeSamples)
{
    return FadeSamples == 0 || (FadeSamples > 0 && FadeSamples <= LongestFade(Loop));
}

std::string CrossFadeFault(const TWaveInfo& Wave, const TWaveLoop& Loop, int32_t FadeSamples)
{
    return FadeFits(Loop, FadeSamples) ? std::string() : WaveFault(Wave, kCrossFadeTooLong);
}

double FadeLikeness(std::span<const int16_t> Out, std::span<const int16_t> In)
{
    double cross = 0, outEnergy = 0, inEnergy = 0;
    for (std::size_t i = 0; i < Out.size() && i < In.size(); ++i) {
        cross += double(Out[i]) * In[i];
        outEnergy += double(Out[i]) * Out[i];
        inEnergy += double(In[i]) * In[i];
    }
    if (outEnergy <= 0 || inEnergy <= 0)
        return 0;
    return std::clamp(cross / std::sqrt(outEnergy * inEnergy), 0.0, 1.0);
}

std::vector<int16_t> FadedStretch(std::span<const int16_t> Samples, const TWaveLoop& Loop, int32_t N,
                                  std::optional<int32_t> Last)
{
    const int32_t count = std::clamp(Last.value_or(N), 0, std::max(N, 0));
    if (count == 0)
        return {};
    const auto out = Samples.subspan(static_cast<std::size_t>(Loop.End - N), static_cast<std::size_t>(N));
    const auto in = Samples.subspan(static_cast<std::size_t>(Loop.Start - N), static_cast<std::size_t>(N));
    const double r = FadeLikeness(out, in);
    std::vector<int16_t> faded(static_cast<std::size_t>(count));
    const int32_t first = N - count;
    for (int32_t k = first; k + 1 < N; ++k) {
        const double t = double(k + 1) / N;
        const double norm = 1.0 / std::sqrt(1.0 + r * std::sin(std::numbers::pi * t));
        const double gainIn = std::sin(std::numbers::pi / 2 * t) * norm;
        const double gainOut = std::cos(std::numbers::pi / 2 * t) * norm;
        const double value = std::round(gainOut * out[std::size_t(k)] + gainIn * in[std::size_t(k)]);
        faded[std::size_t(k - first)] = static_cast<int16_t>(std::clamp(value, -32768.0, 32767.0));
    }
    // t = 1: the sample before the loop start itself, not a rounding of it.
    faded.back() = in.back();
    return faded;
}

std::vector<int16_t> FadedWave(std::span<const int16_t> Samples, const TWaveLoop& Loop, int32_t N)
{
    std::vector<int16_t> wave(Samples.begin(), Samples.end());
    const std::vector<int16_t> faded = FadedStretch(Samples, Loop, N);
    std::copy(faded.begin(), faded.end(), wave.begin() + (Loop.End - N));
    return wave;
}

int32_t FadeSamplesOfMs(double Ms, int32_t RateHz)
{
    // Rounded as a double first: llround of a value beyond its range is
    // unspecified (a huge request once became no fade at all).
    const double samples = std::round(Ms * RateHz / 1000.0);
    if (!(samples > 0))
        return 0;
    return samples >= double(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(samples);
}

std::string FadeMsFault(const TWaveInfo& Wave, double Ms)
{
    return Ms > 0 && FadeSamplesOfMs(Ms, Wave.SamplesPerSec()) == 0 ? WaveFault(Wave, kCrossFadeTooShort)
                                                                      : std::string();
}

double FadeMsOfSamples(int32_t Samples, int32_t RateHz) { return RateHz > 0 ? Samples * 1000.0 / RateHz : 0.0; }
