#include "app/CoreTexts.h"

#include "common/ErrorText.h"
#include "document/CrossFade.h"
#include "document/WaveLoop.h"
#include "loop/LoopFinder.h"

#include <QCoreApplication>

#include <algorithm>
#include <string_view>

namespace {

// Each text as lupdate reads it beside the core's constant; the assertion
// below keeps the two the same.
struct TCoreText {
    const char* Source;
    const char* Core;
};
constexpr TCoreText kCoreTexts[] = {
    {QT_TRANSLATE_NOOP("TCoreText", "ループ始点がループ終点より後にあります"), kLoopStartAfterEnd},
    {QT_TRANSLATE_NOOP("TCoreText", "ループ終点がループ始点より前にあります"), kLoopEndBeforeStart},
    {QT_TRANSLATE_NOOP("TCoreText", "ループ始点が不正です"), kLoopStartInvalid},
    {QT_TRANSLATE_NOOP("TCoreText", "ループ終点が不正です"), kLoopEndInvalid},
    {QT_TRANSLATE_NOOP("TCoreText", "ループ始点が0のループはVBKファイルに書き出されません"), kLoopFromZeroNotInBank},
    {QT_TRANSLATE_NOOP("TCoreText", "適切なループが見つかりません"), kNoLoopFound},
    {QT_TRANSLATE_NOOP("TCoreText", "ループが短すぎます"), kLoopTooShort},
    {QT_TRANSLATE_NOOP("TCoreText", "クロスフェードがループに収まりません"), kCrossFadeTooLong},
};
static_assert(std::ranges::all_of(kCoreTexts, [](const TCoreText& Text) { return std::string_view(Text.Source) == Text.Core; }),
              "a translated text differs from the core's");

} // namespace

QString CoreText(const char* Text)
{
    const auto known = std::ranges::find_if(kCoreTexts, [Text](const TCoreText& Known) { return std::string_view(Known.Core) == Text; });
    return known == std::end(kCoreTexts) ? QString::fromUtf8(Text) : QCoreApplication::translate("TCoreText", known->Source);
}

QString WindowErrorText(const Exception& Error)
{
    const std::string message = CoreText(Error.Message().c_str()).toStdString();
    return QString::fromStdString(ErrorText(Error.Detail().empty() ? message : message + ": " + Error.Detail()));
}
