// How clean the automatic loop is on sampled instruments whose loops their
// makers set by hand (the SoundFont and the GUS patches Debian installs),
// by a measure independent of our seam cost (JoinMismatch in
// tests/support/InstrumentSamples.h).
//
// For each library: the share of samples whose automatic loop is as clean
// as the maker's (within 0.005, or below 0.01), the median measure of both,
// how many of the makers' clean loops (measure below 0.03) our seam cost
// rates good and poor, and the processor time per sample. And the goals for loops
// that keep a sound's movement: the share of automatic loops shorter than
// half the maker's without being clearly cleaner (half its measure, or
// below 0.01), and the shares of loops under 100 ms, ours and the makers'.
// And the share of samples whose loop, found and ranked with the automatic
// crossfade as the tool's loop --crossfade auto does, is rated good after
// its fade, beside the share of the makers' loops good after theirs.
//
// Run: eval_real_loops [--list] [--every N] [--only NAME]  (--list prints
// each sample; --every N takes every N-th sample only; --only NAME those
// whose name holds NAME).

#include "loop/AutoLoop.h"
#include "loop/LoopFinder.h"

#include "support/InstrumentSamples.h"

#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

double Median(std::vector<double> Values)
{
    if (Values.empty())
        return NAN;
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

// Whether the maker's loop of Sound is good after its automatic crossfade.
bool MakersGoodWithFade(const TInstrumentSample& Sound)
{
    try {
        const TLoopFinder finder(Sound.Samples, Sound.Rate);
        return SeamQualityOf(finder.AutomaticFade(Sound.LoopStart, Sound.LoopEnd).Cost) == TSeamQuality::Good;
    } catch (const ELoopFinderError&) {
        return false;
    }
}

// The best loop found with the automatic crossfade, its cost the one after
// its fade; none when nothing is found.
std::optional<TLoopCandidate> FadedLoop(const TInstrumentSample& Sound)
{
    TLoopRequest request;
    request.AutomaticFade = true;
    try {
        return TLoopFinder(Sound.Samples, Sound.Rate).WholeWave(request).Loops.front();
    } catch (const ELoopFinderError&) {
        return std::nullopt;
    }
}

void Evaluate(const char* Library, const std::vector<TInstrumentSample>& Sounds, bool List)
{
    int asClean = 0, answered = 0, makersClean = 0, ratedGood = 0, ratedPoor = 0;
    int shortAndNotCleaner = 0, oursUnder100Ms = 0, makersUnder100Ms = 0, goodFaded = 0,
        makersGoodFaded = 0;
    std::vector<double> ours, makers;
    double seconds = 0;
    for (const TInstrumentSample& sound : Sounds) {
        // Processor time: the figure holds on a busy machine.
        const std::clock_t began = std::clock();
        const auto loops = AutoLoops(sound.Samples, sound.Rate, {});
        const double took = static_cast<double>(std::clock() - began) / CLOCKS_PER_SEC;
        seconds += took;
        const double maker = JoinMismatch(sound, sound.LoopStart, sound.LoopEnd);
        const double our = loops.empty() ? kNoAnswer : JoinMismatch(sound, loops.front().Start, loops.front().End);
        const bool clean = our <= maker + 0.005 || our < 0.01;
        asClean += clean;
        answered += our < kNoAnswer;
        const int32_t length = loops.empty() ? 0 : loops.front().Length();
        const int32_t makersLength = sound.LoopEnd - sound.LoopStart;
        shortAndNotCleaner += !loops.empty() && 2 * length < makersLength && !(our <= maker / 2 || our < 0.01);
        const double tenthOfASecond = sound.Rate / 10.0;
        oursUnder100Ms += !loops.empty() && length < tenthOfASecond;
        makersUnder100Ms += makersLength < tenthOfASecond;
        const std::optional<TLoopCandidate> faded = FadedLoop(sound);
        const bool fadedGood = faded && SeamQualityOf(faded->Cost) == TSeamQuality::Good;
        goodFaded += fadedGood;
        makersGoodFaded += MakersGoodWithFade(sound);
        ours.push_back(our);
        makers.push_back(maker);
        const double makerCost =
            SeamCost(sound.Samples, sound.LoopStart, sound.LoopEnd, SamplesOfMs(kDefaultSeamWindowMs, sound.Rate));
        if (maker < 0.03) {
            ++makersClean;
            ratedGood += SeamQualityOf(makerCost) == TSeamQuality::Good;
            ratedPoor += SeamQualityOf(makerCost) == TSeamQuality::Poor;
        }
        if (List) {
            const auto part = SustainedPart(sound.Samples, sound.Rate, {1, static_cast<int32_t>(sound.Samples.size())},
                                            SamplesOfMs(100, sound.Rate));
            std::printf("%-28s %6.2f s %6d Hz  maker %8d..%-8d %.4f (cost %.4f)  ours %8d..%-8d %.4f (cost %.4f) %4.0f ms part %d..%d  faded %d..%d~%d %.4f%s%s\n",
                        sound.Name.c_str(), static_cast<double>(sound.Samples.size()) / sound.Rate, sound.Rate,
                        sound.LoopStart, sound.LoopEnd, maker, makerCost, loops.empty() ? 0 : loops.front().Start,
                        loops.empty() ? 0 : loops.front().End, our, loops.empty() ? 0.0 : loops.front().Cost,
                        1000 * took, part ? part->From : 0, part ? part->To : 0, faded ? faded->Start : 0,
                        faded ? faded->End : 0, faded ? faded->Fade : 0, faded ? faded->Cost : 0.0,
                        fadedGood ? "" : " NOT GOOD", clean ? "" : "  WORSE");
        }
    }
    const auto share = [&](int Count, int Of) { return Of > 0 ? 100.0 * Count / Of : 0.0; };
    const int count = static_cast<int>(Sounds.size());
    std::printf("%s: %d samples; as clean as the maker's %.1f %%; answered %.1f %%; median measure ours %.4f, "
                "maker's %.4f; makers' clean loops %d: rated good %.1f %%, poor %d; %.1f ms per sample\n",
                Library, count, share(asClean, count), share(answered, count), Median(ours), Median(makers),
                makersClean, share(ratedGood, makersClean), ratedPoor, count > 0 ? 1000 * seconds / count : 0.0);
    std::printf("%s: shorter than half the maker's and not clearly cleaner %.1f %%; under 100 ms: ours %.1f %%, "
                "makers' %.1f %%; good with the automatic crossfade %.1f %% (makers' loops %.1f %%)\n",
                Library, share(shortAndNotCleaner, count), share(oursUnder100Ms, count), share(makersUnder100Ms, count),
                share(goodFaded, count), share(makersGoodFaded, count));
}

std::vector<TInstrumentSample> EveryNth(std::vector<TInstrumentSample> Sounds, int N, const std::string& Named)
{
    std::vector<TInstrumentSample> kept;
    for (std::size_t i = 0; i < Sounds.size(); i += static_cast<std::size_t>(N))
        if (Sounds[i].Name.find(Named) != std::string::npos)
            kept.push_back(std::move(Sounds[i]));
    return kept;
}

} // namespace

int main(int argc, char** argv)
{
    bool list = false;
    int every = 1;
    std::string named;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--list") == 0)
            list = true;
        else if (std::strcmp(argv[i], "--every") == 0 && i + 1 < argc)
            every = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            named = argv[++i];
    }
    const auto soundFont = ReadSoundFontSamples(kSoundFontPath);
    const auto patches = ReadPatchSamples(kPatchFolder);
    if (soundFont.empty() && patches.empty()) {
        std::printf("no instrument libraries installed (scripts/install-deps installs them)\n");
        return 0;
    }
    Evaluate("soundfont", EveryNth(soundFont, every, named), list);
    Evaluate("patches", EveryNth(patches, every, named), list);
}
