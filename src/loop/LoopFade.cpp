#include "loop/LoopFade.h"

#include "loop/SeamRank.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

// The fades tried, in ms, and how many halvings narrow the shortest good one.
constexpr double kTriedFadesMs[] = {1, 2, 3, 5, 7, 10, 15, 20, 30, 50, 70, 100, 150, 200, 300, 500};
constexpr double kLongestAutomaticFadeMs = 500;
constexpr int32_t kNarrowingSteps = 6;

bool IsGood(double Cost) { return SeamQualityOf(Cost) == TSeamQuality::Good; }

} // namespace

int32_t LongestAutomaticFade(int32_t Start, int32_t End, int32_t Rate)
{
    const auto longest = static_cast<int32_t>(std::min<double>(kLongestAutomaticFadeMs * Rate / 1000.0, 1e9));
    return std::max(0, std::min({(End - Start) / 2, Start, longest}));
}

TFadeChoice AutomaticFade(int32_t Rate, int32_t Longest, const std::function<double(int32_t)>& Cost)
{
    TFadeChoice best{0, Cost(0)};
    if (IsGood(best.Cost) || Longest < 1)
        return best;
    int32_t notGood = 0;
    for (const double ms : kTriedFadesMs) {
        const auto samples = static_cast<int32_t>(std::clamp<double>(std::round(ms * Rate / 1000.0), 1, Longest));
        if (samples <= notGood)
            continue;
        const double cost = Cost(samples);
        if (IsGood(cost)) {
            // Narrowed towards the shortest good fade: the cost need not
            // fall steadily with the fade, so this finds a good one
            // between, not surely the shortest.
            TFadeChoice good{samples, cost};
            for (int32_t step = 0; step < kNarrowingSteps && good.Samples - notGood > 1; ++step) {
                const int32_t middle = notGood + (good.Samples - notGood) / 2;
                const double middleCost = Cost(middle);
                if (IsGood(middleCost))
                    good = {middle, middleCost};
                else
                    notGood = middle;
            }
            return good;
        }
        notGood = samples;
        if (cost < best.Cost)
            best = {samples, cost};
        if (samples == Longest)
            break;
    }
    return best;
}

void OrderFadedLoops(std::vector<TLoopCandidate>& Loops, bool Automatic)
{
    const auto key = [&](const TLoopCandidate& loop) {
        const bool good = Automatic && IsGood(loop.Cost);
        return std::make_tuple(loop.Rank >= kQuietLoopRank, SeamQualityOf(loop.Cost), good ? loop.Fade : 0,
                               good ? loop.Rank : loop.Cost);
    };
    std::stable_sort(Loops.begin(), Loops.end(),
                     [&](const TLoopCandidate& a, const TLoopCandidate& b) { return key(a) < key(b); });
}
