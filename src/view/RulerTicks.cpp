#include "view/RulerTicks.h"

#include "common/Format.h"

#include <cmath>

namespace {

// The step in units (seconds or samples) of the first 1-2-5 value >= Least.
double NiceStep(double Least, bool Whole)
{
    double power = std::pow(10.0, std::floor(std::log10(std::max(Least, 1e-9))));
    for (;;) {
        for (const double factor : {1.0, 2.0, 5.0}) {
            const double step = factor * power;
            if (step >= Least && (!Whole || step >= 1.0))
                return step;
        }
        power *= 10.0;
    }
}

// A tick's label: as many decimals as the step needs.
std::string Label(double Units, double Step, TTimeUnit Unit)
{
    if (Unit == TTimeUnit::Samples)
        return Format("%.0f", Units);
    const int decimals = Step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(Step) - 1e-9));
    return Format("%.*f", decimals, Units);
}

} // namespace

std::vector<TRulerTick> RulerTicks(int64_t Start, int64_t End, int64_t Width, int64_t Rate, TTimeUnit Unit,
                                   int64_t MinGapPixels)
{
    std::vector<TRulerTick> ticks;
    if (End <= Start || Width <= 0 || Rate <= 0)
        return ticks;
    const double perUnit = Unit == TTimeUnit::Seconds ? static_cast<double>(Rate) : 1.0; // samples per unit
    const double samplesPerPixel = static_cast<double>(End - Start) / static_cast<double>(Width);
    const double step = NiceStep(samplesPerPixel * static_cast<double>(MinGapPixels) / perUnit,
                                 Unit == TTimeUnit::Samples);
    for (double n = std::ceil(static_cast<double>(Start) / perUnit / step);; n += 1.0) {
        const double units = n * step;
        const auto sample = static_cast<int64_t>(std::llround(units * perUnit));
        if (sample >= End)
            break;
        if (sample >= Start)
            ticks.push_back({sample, Label(units, step, Unit)});
    }
    return ticks;
}

std::string TimeText(int64_t Samples, int64_t Rate, TTimeUnit Unit)
{
    if (Unit == TTimeUnit::Samples || Rate <= 0)
        return Format("%lld", static_cast<long long>(Samples));
    return Format("%.3f", static_cast<double>(Samples) / static_cast<double>(Rate));
}
