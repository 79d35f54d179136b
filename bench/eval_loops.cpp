// How clean the automatic loop is under seam measures other than our own,
// on tones and spoken vowels of the kinds loops are made of, against two
// simple loop finders ("period", "crossing"), against the best loop that
// measuring every pair of points in the sustained part finds under each
// measure ("best", loops at least 100 ms or half the part long), and against
// the one loop whose worst ratio to those bests is least ("balanced").
//
// Measures of a loop (S, E), each 0 for a perfect seam:
//   d1 d5 d20 d50  sum (x[E+k] - x[S+k])^2 / sum (x[E+k]^2 + x[S+k]^2) over
//                  k = -W .. W-1 (unweighted), W = 1, 5, 20, 50 ms
//   ncc30          1 - the correlation of the 30 ms before E with the 30 ms
//                  before S (means removed)
//   spec20         the difference of the magnitude spectra of 20 ms heard
//                  across the seam and 20 ms of the wave around S and E
//
// Run: eval_loops [--no-best]. The exhaustive search takes about a minute;
// its figures are kept in /tmp/eval_loops_best.txt between runs (delete it
// when the sounds or the sustained part change). The last line gives the
// worst ratio of ours to the best over all sounds, per measure.

#include "document/WaveInfo.h"
#include "loop/AutoLoop.h"
#include "loop/TestTones.h"
#include "support/InstrumentSamples.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <numbers>
#include <string>

namespace {

struct TSound {
    std::string Name;
    int32_t Rate;
    std::vector<int16_t> Samples;
};

constexpr int kMeasures = 6;
const char* const kMeasureNames[kMeasures] = {"d1", "d5", "d20", "d50", "ncc30", "spec20"};
const double kBoxMs[4] = {1, 5, 20, 50};
constexpr double kNccMs = 30;
constexpr double kSpecMs = 20;

using TScores = std::array<double, kMeasures>;

double At(const TSound& Sound, int64_t I)
{
    return I >= 0 && I < static_cast<int64_t>(Sound.Samples.size()) ? Sound.Samples[static_cast<std::size_t>(I)] : 0.0;
}

double BoxDifference(const TSound& Sound, int32_t S, int32_t E, int32_t W)
{
    double diff = 0, energy = 0;
    for (int32_t k = -W; k < W; ++k) {
        const double a = At(Sound, E + k), b = At(Sound, S + k);
        diff += (a - b) * (a - b);
        energy += a * a + b * b;
    }
    return energy > 0 ? diff / energy : 0;
}

double Uncorrelation(const TSound& Sound, int32_t S, int32_t E, int32_t W)
{
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    for (int32_t k = -W; k < 0; ++k) {
        const double a = At(Sound, E + k), b = At(Sound, S + k);
        sa += a, sb += b, saa += a * a, sbb += b * b, sab += a * b;
    }
    const double va = W * saa - sa * sa, vb = W * sbb - sb * sb;
    return va > 0 && vb > 0 ? 1 - (W * sab - sa * sb) / std::sqrt(va * vb) : 1;
}

// Magnitude spectrum of N samples (Hann window) given by Sample(k), k = -N/2 .. N/2-1.
template <class F>
std::vector<double> Spectrum(int32_t N, F Sample)
{
    std::vector<double> frame(static_cast<std::size_t>(N));
    for (int32_t n = 0; n < N; ++n)
        frame[static_cast<std::size_t>(n)] =
            Sample(n - N / 2) * (0.5 - 0.5 * std::cos(2 * std::numbers::pi * (n + 0.5) / N));
    std::vector<double> magnitude(static_cast<std::size_t>(N / 2));
    for (int32_t f = 0; f < N / 2; ++f) {
        double re = 0, im = 0;
        for (int32_t n = 0; n < N; ++n) {
            re += frame[static_cast<std::size_t>(n)] * std::cos(2 * std::numbers::pi * f * n / N);
            im -= frame[static_cast<std::size_t>(n)] * std::sin(2 * std::numbers::pi * f * n / N);
        }
        magnitude[static_cast<std::size_t>(f)] = std::hypot(re, im);
    }
    return magnitude;
}

double SpectralDifference(const TSound& Sound, int32_t S, int32_t E, int32_t N)
{
    const auto seam = Spectrum(N, [&](int32_t k) { return k < 0 ? At(Sound, E + k) : At(Sound, S + k); });
    double total = 0;
    for (const int32_t point : {S, E}) {
        const auto plain = Spectrum(N, [&](int32_t k) { return At(Sound, point + k); });
        double diff = 0, energy = 0;
        for (std::size_t f = 0; f < seam.size(); ++f) {
            diff += (seam[f] - plain[f]) * (seam[f] - plain[f]);
            energy += seam[f] * seam[f] + plain[f] * plain[f];
        }
        total += energy > 0 ? 0.5 * diff / energy : 0;
    }
    return total;
}

TScores Score(const TSound& Sound, int32_t S, int32_t E)
{
    TScores scores{};
    for (int m = 0; m < 4; ++m)
        scores[m] = BoxDifference(Sound, S, E, SamplesOfMs(kBoxMs[m], Sound.Rate));
    scores[4] = Uncorrelation(Sound, S, E, SamplesOfMs(kNccMs, Sound.Rate));
    scores[5] = SpectralDifference(Sound, S, E, 2 * (SamplesOfMs(kSpecMs, Sound.Rate) / 2));
    return scores;
}

TRegion PartOf(const TSound& Sound)
{
    const auto part = SustainedPart(Sound.Samples, Sound.Rate, {0, static_cast<int32_t>(Sound.Samples.size())},
                                    SamplesOfMs(100, Sound.Rate));
    return part ? *part : TRegion{};
}

int32_t MinLengthIn(const TSound& Sound, TRegion Part)
{
    return std::max(1, std::min(SamplesOfMs(100, Sound.Rate), Part.Length() / 2));
}

// Calls Visit(scores) for every loop in the part (starts on every other
// sample) with its scores under d1 .. ncc30, by running sums for each length.
template <class F>
void ForEveryLoop(const TSound& Sound, TRegion Part, F Visit)
{
    const int32_t minLength = MinLengthIn(Sound, Part);
    int32_t box[4];
    for (int m = 0; m < 4; ++m)
        box[m] = SamplesOfMs(kBoxMs[m], Sound.Rate);
    const int32_t ncc = SamplesOfMs(kNccMs, Sound.Rate);
    const int32_t margin = std::max(box[3], ncc);
    const int64_t from = Part.From - margin;
    const int64_t to = Part.To + margin;
    const auto n = static_cast<std::size_t>(to - from);
    std::vector<double> x(n), cx(n + 1), cxx(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        x[i] = At(Sound, from + static_cast<int64_t>(i));
        cx[i + 1] = cx[i] + x[i];
        cxx[i + 1] = cxx[i] + x[i] * x[i];
    }
    std::vector<double> d(n + 1), e(n + 1), p(n + 1);
    TScores scores{};
    for (int32_t length = minLength; length <= Part.Length(); ++length) {
        // d, e, p: running sums of (x[i+L] - x[i])^2, x[i+L]^2 + x[i]^2, x[i] x[i+L].
        const std::size_t pairs = n - static_cast<std::size_t>(length);
        for (std::size_t i = 0; i < pairs; ++i) {
            const double a = x[i + static_cast<std::size_t>(length)], b = x[i];
            d[i + 1] = d[i] + (a - b) * (a - b);
            e[i + 1] = e[i] + a * a + b * b;
            p[i + 1] = p[i] + a * b;
        }
        for (int32_t start = Part.From; start + length <= Part.To; start += 2) {
            const auto s = static_cast<std::size_t>(start - from);
            for (int m = 0; m < 4; ++m) {
                const auto w = static_cast<std::size_t>(box[m]);
                const double energy = e[s + w] - e[s - w];
                scores[m] = energy > 0 ? (d[s + w] - d[s - w]) / energy : 0;
            }
            const auto w = static_cast<std::size_t>(ncc);
            const std::size_t t = s + static_cast<std::size_t>(length);
            const double sa = cx[t] - cx[t - w], sb = cx[s] - cx[s - w];
            const double va = ncc * (cxx[t] - cxx[t - w]) - sa * sa, vb = ncc * (cxx[s] - cxx[s - w]) - sb * sb;
            scores[4] = va > 0 && vb > 0 ? 1 - (ncc * (p[s] - p[s - w]) - sa * sb) / std::sqrt(va * vb) : 1;
            Visit(scores);
        }
    }
}

constexpr double kRatioFloor = 1e-4;

// The worst ratio of Scores to Best over d1 .. ncc30.
double WorstRatio(const TScores& Scores, const TScores& Best)
{
    double worst = 0;
    for (int m = 0; m < 5; ++m)
        worst = std::max(worst, (Scores[m] + kRatioFloor) / (Best[m] + kRatioFloor));
    return worst;
}

// The best score under each measure over every loop of the part, and the
// scores of the loop whose worst ratio to those is least.
std::pair<TScores, TScores> BestScores(const TSound& Sound, TRegion Part)
{
    TScores best;
    best.fill(1e9);
    ForEveryLoop(Sound, Part, [&](const TScores& scores) {
        for (int m = 0; m < 5; ++m)
            best[m] = std::min(best[m], scores[m]);
    });
    TScores balanced;
    double least = 1e9;
    ForEveryLoop(Sound, Part, [&](const TScores& scores) {
        if (const double worst = WorstRatio(scores, best); worst < least)
            least = worst, balanced = scores;
    });
    best[5] = balanced[5] = NAN;
    return {best, balanced};
}

// Rising zero crossing nearest to Position within Part (the sample after the crossing).
int32_t RisingCrossingNear(const TSound& Sound, int32_t Position, TRegion Part)
{
    for (int32_t r = 0; r < Part.Length(); ++r)
        for (const int32_t i : {Position - r, Position + r})
            if (i > Part.From && i < Part.To && At(Sound, i - 1) < 0 && At(Sound, i) >= 0)
                return i;
    return Position;
}

// Baseline 1: the period from the autocorrelation at the middle of the
// part; a loop of whole periods about half the part long, both points on
// rising zero crossings.
std::pair<int32_t, int32_t> PeriodLoop(const TSound& Sound, TRegion Part)
{
    const int32_t frame = std::min(SamplesOfMs(50, Sound.Rate), Part.Length() / 2);
    const int32_t middle = Part.From + Part.Length() / 2 - frame / 2;
    const int32_t lowest = SamplesOfMs(2, Sound.Rate), highest = std::min(SamplesOfMs(20, Sound.Rate), frame);
    std::vector<double> r(static_cast<std::size_t>(highest + 2));
    for (int32_t lag = lowest - 1; lag <= highest + 1; ++lag) {
        double ab = 0, aa = 0, bb = 0;
        for (int32_t i = 0; i < frame; ++i) {
            const double a = At(Sound, middle + i), b = At(Sound, middle + i + lag);
            ab += a * b, aa += a * a, bb += b * b;
        }
        r[static_cast<std::size_t>(lag)] = aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
    }
    int32_t lag = lowest;
    for (int32_t l = lowest; l <= highest; ++l)
        if (r[static_cast<std::size_t>(l)] > r[static_cast<std::size_t>(lag)])
            lag = l;
    const double left = r[static_cast<std::size_t>(lag - 1)], here = r[static_cast<std::size_t>(lag)],
                 right = r[static_cast<std::size_t>(lag + 1)];
    const double curvature = left - 2 * here + right;
    const double period = lag + (curvature < 0 ? 0.5 * (left - right) / curvature : 0);
    const int32_t start = RisingCrossingNear(Sound, Part.From + Part.Length() / 4, Part);
    const double periods = std::max(1.0, std::round(Part.Length() / 2.0 / period));
    return {start, RisingCrossingNear(Sound, start + static_cast<int32_t>(std::lround(periods * period)), Part)};
}

// Baseline 2: of the rising zero crossings in the first and in the second
// half of the part, the pair whose 10 ms around the seam differ least.
std::pair<int32_t, int32_t> CrossingLoop(const TSound& Sound, TRegion Part)
{
    std::vector<int32_t> crossings;
    for (int32_t i = Part.From + 1; i < Part.To; ++i)
        if (At(Sound, i - 1) < 0 && At(Sound, i) >= 0)
            crossings.push_back(i);
    const int32_t half = Part.From + Part.Length() / 2, minLength = MinLengthIn(Sound, Part);
    const int32_t w = SamplesOfMs(5, Sound.Rate);
    std::pair<int32_t, int32_t> best{Part.From, Part.To};
    double bestCost = 1e9;
    for (const int32_t s : crossings)
        for (const int32_t e : crossings)
            if (s < half && e >= half && e - s >= minLength)
                if (const double cost = BoxDifference(Sound, s, e, w); cost < bestCost)
                    bestCost = cost, best = {s, e};
    return best;
}

std::vector<TSound> MadeTones()
{
    struct TCase {
        const char* Name;
        TTone Tone;
    };
    const TCase cases[] = {
        {"tone-int", {.Period = 100, .Seconds = 1}},
        {"tone-frac", {.Period = 183.7, .Seconds = 1}},
        {"decay", {.Period = 150.3, .Seconds = 1, .DecaySeconds = 0.6}},
        {"vibrato", {.Period = 120.4, .Seconds = 1, .VibratoHz = 5.5, .VibratoDepth = 0.01}},
        {"vibrato-deep", {.Period = 95.2, .Seconds = 1, .VibratoHz = 6, .VibratoDepth = 0.03}},
        {"noise", {.Period = 97.1, .Seconds = 1, .NoiseLevel = 0.05}},
        {"detuned", {.Period = 200.0, .Seconds = 1, .DetuneRatio = 1.004}},
        {"detuned-decay", {.Period = 160.9, .Seconds = 1, .DecaySeconds = 1.5, .DetuneRatio = 1.002}},
    };
    std::vector<TSound> sounds;
    for (const TCase& c : cases)
        sounds.push_back({c.Name, c.Tone.Rate, MakeTone(c.Tone)});
    TSound offset{"dc-offset", 44100, MakeTone({.Period = 133.3, .Seconds = 1, .VibratoHz = 5, .VibratoDepth = 0.005})};
    for (int16_t& sample : offset.Samples)
        sample = static_cast<int16_t>(std::clamp(sample / 2 + 12000, -32768, 32767));
    sounds.push_back(offset);
    return sounds;
}

std::vector<TSound> SpokenVowels()
{
    const char* const vowels[][2] = {
        {"ah-slow", "-v en -s 40 aaaaaah"},       {"ah-f3", "-v en+f3 -s 40 aaaaaah"},
        {"ah-low", "-v en -p 20 -s 50 aaaaaah"},  {"oo-en", "-s 60 -v en 'ooooooo,'"},
        {"uu-de", "-s 60 -v de uuuuuu"},          {"ee-m3", "-v en+m3 -s 50 eeeeeee"},
        {"ah-short", "-s 300 -v en ah"},          {"ah-short-f", "-s 250 -v en+f2 ah"},
        {"oh-short", "-s 200 -v en oh"},
    };
    std::vector<TSound> sounds;
    if (std::system("command -v espeak-ng >/dev/null 2>&1") != 0)
        return sounds;
    for (const auto& vowel : vowels) {
        const std::string path = std::string("/tmp/eval_loops_") + vowel[0] + ".wav";
        if (std::system(("espeak-ng -w " + path + " " + vowel[1]).c_str()) != 0)
            continue;
        TWaveInfo wave;
        wave.LoadFromFile(path);
        sounds.push_back({vowel[0], wave.SamplesPerSec(),
                          {wave.Data().begin(), wave.Data().begin() + wave.SampleCount()}});
    }
    return sounds;
}

constexpr const char* kBestFile = "/tmp/eval_loops_best.txt";

std::map<std::string, std::pair<TScores, TScores>> ReadBest()
{
    std::map<std::string, std::pair<TScores, TScores>> best;
    std::ifstream in(kBestFile);
    std::string key;
    TScores a, b;
    while (in >> key >> a[0] >> a[1] >> a[2] >> a[3] >> a[4] >> b[0] >> b[1] >> b[2] >> b[3] >> b[4]) {
        a[5] = b[5] = NAN;
        best[key] = {a, b};
    }
    return best;
}

void PrintRow(const char* Label, const TScores& Scores, const char* Note = "")
{
    std::printf("  %-9s", Label);
    for (const double score : Scores)
        std::printf(" %9.2e", score);
    std::printf("  %s\n", Note);
}

} // namespace

int main(int argc, char** argv)
{
    const bool withBest = !(argc > 1 && std::string(argv[1]) == "--no-best");
    std::vector<TSound> sounds = MadeTones();
    for (TSound& vowel : SpokenVowels())
        sounds.push_back(std::move(vowel));
    auto best = ReadBest();
    std::printf("%-11s", "");
    for (const char* name : kMeasureNames)
        std::printf(" %9s", name);
    std::printf("\n");
    std::array<double, kMeasures> worstRatio{};
    for (const TSound& sound : sounds) {
        const auto began = std::chrono::steady_clock::now();
        const auto loops = AutoLoops(sound.Samples, sound.Rate, {});
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
        const TRegion part = PartOf(sound);
        std::printf("%s (%.2f s, part %d..%d)\n", sound.Name.c_str(),
                    static_cast<double>(sound.Samples.size()) / sound.Rate, part.From, part.To);
        if (loops.empty()) {
            std::printf("  vantrel   no loop (%.0f ms)\n", ms);
        } else {
            const TLoopCandidate& loop = loops.front();
            const TScores ours = Score(sound, loop.Start, loop.End);
            const double join = JoinMismatch({sound.Name, sound.Rate, sound.Samples, 0, 0}, loop.Start, loop.End);
            std::printf("  join %.4f\n", join);
            PrintRow("vantrel", ours,
                     (std::to_string(loop.Start) + ".." + std::to_string(loop.End) + " cost " +
                      std::to_string(loop.Cost) + " " + SeamQualityName(SeamQualityOf(loop.Cost)) + " " +
                      std::to_string(static_cast<int>(ms)) + " ms")
                         .c_str());
            const std::string key = sound.Name + "@" + std::to_string(part.From) + "-" + std::to_string(part.To);
            if (withBest && !best.count(key) && part.Length() > 0) {
                best[key] = BestScores(sound, part);
                std::ofstream out(kBestFile, std::ios::app);
                out << key;
                for (const TScores& scores : {best[key].first, best[key].second})
                    for (int m = 0; m < 5; ++m)
                        out << ' ' << scores[m];
                out << '\n';
            }
            if (best.count(key)) {
                const auto& [each, balanced] = best[key];
                PrintRow("best", each);
                PrintRow("balanced", balanced, ("worst ratio " + std::to_string(WorstRatio(balanced, each))).c_str());
                std::printf("  ours: worst ratio %.2f\n", WorstRatio(ours, each));
                for (int m = 0; m < 5; ++m)
                    worstRatio[m] = std::max(worstRatio[m], (ours[m] + kRatioFloor) / (each[m] + kRatioFloor));
            }
        }
        if (part.Length() > 0) {
            for (const auto& [label, finder] :
                 {std::pair{"period", &PeriodLoop}, std::pair{"crossing", &CrossingLoop}}) {
                const auto [s, e] = finder(sound, part);
                PrintRow(label, Score(sound, s, e), (std::to_string(s) + ".." + std::to_string(e)).c_str());
            }
        }
    }
    std::printf("worst (ours + 1e-4) / (best + 1e-4):");
    for (int m = 0; m < 5; ++m)
        std::printf(" %s %.2f", kMeasureNames[m], worstRatio[m]);
    std::printf("\n");
}
