#pragma once
// Sounds the loop tests make: a tone of harmonics with a period in samples
// (whole or not), shaped by an attack, a release and an optional decay, and
// optionally with vibrato, noise or a detuned second tone.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

struct TTone {
    double Period = 100.0;       // samples
    double Seconds = 1.0;
    int32_t Rate = 44100;
    double DecaySeconds = 0.0;   // time constant of an exponential decay; 0: none
    double VibratoHz = 0.0;      // vibrato of VibratoDepth (relative pitch change)
    double VibratoDepth = 0.0;
    double NoiseLevel = 0.0;     // white noise, relative to the tone's peak
    double DetuneRatio = 0.0;    // a second tone at Period / DetuneRatio; 0: none
    double DetuneLevel = 0.7;    // the second tone's level, relative to the first
    double TremoloHz = 0.0;      // level swinging by TremoloDepth (relative) at this rate
    double TremoloDepth = 0.0;
    double AttackSeconds = 0.03;
    double ReleaseSeconds = 0.05;
};

inline std::vector<int16_t> MakeTone(const TTone& Tone)
{
    const auto count = static_cast<std::size_t>(Tone.Seconds * Tone.Rate);
    std::vector<int16_t> samples(count);
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0.0, 1.0);
    constexpr double kTwoPi = 2 * std::numbers::pi;
    double phase = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / Tone.Rate;
        double value = 0;
        for (int h = 1; h <= 8; ++h) {
            value += std::sin(h * phase + 0.7 * h) / h;
            if (Tone.DetuneRatio > 0)
                value += Tone.DetuneLevel * std::sin(h * kTwoPi * Tone.DetuneRatio * static_cast<double>(i) / Tone.Period) / h;
        }
        double level = 0.3 * (1 + Tone.TremoloDepth * std::sin(kTwoPi * Tone.TremoloHz * t));
        if (Tone.DecaySeconds > 0)
            level *= std::exp(-t / Tone.DecaySeconds);
        level *= std::min(1.0, t / Tone.AttackSeconds) * std::min(1.0, (Tone.Seconds - t) / Tone.ReleaseSeconds);
        value = level * value + Tone.NoiseLevel * 0.3 * noise(random);
        samples[i] = static_cast<int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32767));
        phase += kTwoPi / Tone.Period * (1 + Tone.VibratoDepth * std::sin(kTwoPi * Tone.VibratoHz * t));
    }
    return samples;
}

// The made tones every loop test runs on, and whether a clean loop of each
// must span a whole number of periods.
struct TToneCase {
    const char* Name;
    TTone Tone;
    bool Periodic; // the loop length must be a whole number of periods
};

inline const TToneCase kTones[] = {
    {"whole period", {.Period = 100}, true},
    {"fractional period", {.Period = 100.37}, true},
    {"slow decay", {.Period = 90.3, .Seconds = 2, .DecaySeconds = 2}, true},
    {"vibrato", {.Period = 120.1, .Seconds = 2, .VibratoHz = 5.5, .VibratoDepth = 0.01}, false},
    {"noise", {.Period = 100.37, .NoiseLevel = 0.01}, true},
    {"detuned pair", {.Period = 100, .Seconds = 2, .DetuneRatio = 1.004}, false},
    {"16 kHz", {.Period = 60.3, .Rate = 16000}, true},
};

// How far Length lies from the nearest whole number of periods, in samples.
inline double PeriodsOff(int32_t Length, double Period)
{
    return std::abs(Length - std::round(Length / Period) * Period);
}
