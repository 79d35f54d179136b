#include "cli/Fields.h"

#include "cli/Language.h"
#include "common/Format.h"
#include "document/CrossFade.h"
#include "document/WaveLoop.h"
#include "loop/LoopFinder.h"

#include <cmath>

namespace {

double Hundredths(double Value) { return std::round(Value * 100) / 100; }

} // namespace

nlohmann::json LoopJson(const TWaveLoop& Loop)
{
    if (!Loop.IsSet())
        return nullptr;
    return {{"start", Loop.Start}, {"end", Loop.End}};
}

nlohmann::json FadeJson(int32_t Samples, int32_t RateHz)
{
    return {{"samples", Samples}, {"ms", Hundredths(FadeMsOfSamples(Samples, RateHz))}};
}

nlohmann::json SeamJson(double Cost)
{
    return {{"cost", Cost}, {"word", SeamQualityName(SeamQualityOf(Cost))}};
}

nlohmann::json MovementJson(const std::optional<TMovement>& Movement, int32_t LoopLength)
{
    if (!Movement)
        return nullptr;
    return {{"kind", MovementKindName(Movement->Kind)},
            {"hz", Hundredths(Movement->Hz)},
            {"cycles", Hundredths(LoopLength / Movement->Period)}};
}

namespace {

const char* MovementWord(TMovementKind Kind)
{
    switch (Kind) {
    case TMovementKind::Vibrato:
        return Say("ビブラート", "vibrato");
    case TMovementKind::Tremolo:
        return Say("トレモロ", "tremolo");
    case TMovementKind::Beating:
        break;
    }
    return Say("うなり", "beating");
}

} // namespace

std::string MovementText(const TMovement& Movement, int32_t LoopLength)
{
    return Format(Say("%s %.1f Hz、%.1f 周期", "%s %.1f Hz, %.1f cycles"), MovementWord(Movement.Kind), Movement.Hz,
                  LoopLength / Movement.Period);
}

std::string LoopText(const TWaveLoop& Loop)
{
    return Loop.IsSet() ? Format(Say("ループ %d:%d", "loop %d:%d"), Loop.Start, Loop.End) : Say("ループなし", "no loop");
}

std::string FadeText(int32_t Samples, int32_t RateHz)
{
    if (Samples == 0)
        return Say("フェードなし", "no fade");
    return Format(Say("フェード %d サンプル (%.2f ms)", "fade %d samples (%.2f ms)"), Samples,
                  FadeMsOfSamples(Samples, RateHz));
}

std::string SeamText(double Cost)
{
    return Format(Say("継ぎ目 %s %s", "seam %s %s"), SeamCostNumber(Cost).c_str(), SeamWord(SeamQualityOf(Cost)));
}

std::string WaveLine(const std::string& Name, int32_t RateHz, int64_t Samples, const TWaveLoop& Loop)
{
    return Format(Say("%s\t%d Hz\t%lld サンプル\t%s", "%s\t%d Hz\t%lld samples\t%s"), Name.c_str(), RateHz,
                  static_cast<long long>(Samples), LoopText(Loop).c_str());
}

std::string WaveCountLine(const std::string& Path, int32_t Count)
{
    return Format(Say("%s: %d 個のwave", "%s: %d waves"), Path.c_str(), Count);
}
