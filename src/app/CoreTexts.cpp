#include "app/CoreTexts.h"

#include "common/ErrorText.h"
#include "common/OpenFailure.h"
#include "document/CrossFade.h"
#include "document/KSD.h"
#include "document/OutputFile.h"
#include "document/WaveInfo.h"
#include "document/WaveLoop.h"
#include "export/VBKFile.h"
#include "loop/LoopFinder.h"
#include "playback/WaveOut.h"

#include <QCoreApplication>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Each text as lupdate reads it beside the core's constant; the assertion
// below keeps the two the same. A core format's "%s" stands as "%1", "%2"
// in the translated text, in their order.
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
    {QT_TRANSLATE_NOOP("TCoreText", "Wave デバイスを使用できません"), kWaveDeviceUnusable},
    {QT_TRANSLATE_NOOP("TCoreText", "ファイル形式が異常です"), kMalformedKSD},
    {QT_TRANSLATE_NOOP("TCoreText", "未対応のバージョンです"), kUnsupportedKSDVersion},
    {QT_TRANSLATE_NOOP("TCoreText", "waveが登録されていません"), kNoWavesToExport},
    {QT_TRANSLATE_NOOP("TCoreText", "VBKファイルが大きすぎます"), kBankTooLarge},
    {QT_TRANSLATE_NOOP("TCoreText", "ファイル「%1」を開けません"), kCannotOpenFormat},
    {QT_TRANSLATE_NOOP("TCoreText", "ファイル「%1」は未対応フォーマットです"), kUnsupportedWaveFormat},
    {QT_TRANSLATE_NOOP("TCoreText", "ファイル「%1」は長すぎます"), kWaveTooLongFormat},
    {QT_TRANSLATE_NOOP("TCoreText", "ファイル「%1」を読み込むメモリが足りません"), kNoMemoryForWaveFormat},
    {QT_TRANSLATE_NOOP("TCoreText", "KSDファイル(%1)を読めません"), kKSDUnreadableFormat},
    {QT_TRANSLATE_NOOP("TCoreText", "KSDファイル(%1)を書けません: %2"), kKSDUnwritableFormat},
    {QT_TRANSLATE_NOOP("TCoreText", "ファイル名「%1」は KSDファイルに書けない文字を含みます"), kUnwritableNameFormat},
    {QT_TRANSLATE_NOOP("TCoreText", "出力先「%1」は通常のファイルではありません"), kOutputNotRegularFormat},
    {QT_TRANSLATE_NOOP("TCoreText", "出力先「%1」は入力のファイル「%2」と同じファイルです"), kOutputIsInputFormat},
    {QT_TRANSLATE_NOOP("TCoreText", "「%1」が見つかりません"), kWaveMissingFormat},
    {QT_TRANSLATE_NOOP("TCoreText", "「%1」のループ終点が設定されていません"), kLoopEndNotSetFormat},
    {QT_TRANSLATE_NOOP("TCoreText", "%1 番目の WaveFile にはファイル名がないため読み飛ばしました (以降の波形は一つずつ前に詰まります)"),
     kUnnamedEntryFormat},
    {QT_TRANSLATE_NOOP("TCoreText", "%1 はリストファイルのフォルダの %2 を読みました (カレントフォルダの %3 は別のファイルです)"),
     kCurrentFolderNoteFormat},
};

// Source is Core with each "%s" written "%<digit>".
constexpr bool SameText(std::string_view Source, std::string_view Core)
{
    while (!Source.empty() && !Core.empty()) {
        const bool argument = Core.starts_with("%s") && Source.size() >= 2 && Source[0] == '%' &&
                              Source[1] >= '1' && Source[1] <= '9';
        const std::size_t step = argument ? 2 : 1;
        if (!argument && Source[0] != Core[0])
            return false;
        Source.remove_prefix(step);
        Core.remove_prefix(step);
    }
    return Source.empty() && Core.empty();
}
static_assert(std::ranges::all_of(kCoreTexts, [](const TCoreText& Text) { return SameText(Text.Source, Text.Core); }),
              "a translated text differs from the core's");

// The arguments that fill Format's "%s" to give Text; nothing when Format
// does not give Text. An argument runs to the first place the rest of the
// format fits (the last to the end), so a file name holding the format's
// own words may split wrongly; it is then shown as the core wrote it.
std::optional<std::vector<std::string_view>> ArgumentsOf(std::string_view Format, std::string_view Text)
{
    std::vector<std::string_view> pieces;
    for (std::size_t at; (at = Format.find("%s")) != std::string_view::npos; Format.remove_prefix(at + 2))
        pieces.push_back(Format.substr(0, at));
    pieces.push_back(Format);
    if (!Text.starts_with(pieces.front()))
        return std::nullopt;
    Text.remove_prefix(pieces.front().size());
    std::vector<std::string_view> arguments;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        const bool last = i + 1 == pieces.size();
        const std::size_t at = last ? (Text.ends_with(pieces[i]) ? Text.size() - pieces[i].size() : std::string_view::npos)
                                    : Text.find(pieces[i]);
        if (at == std::string_view::npos)
            return std::nullopt;
        arguments.push_back(Text.substr(0, at));
        Text.remove_prefix(at + pieces[i].size());
    }
    if (pieces.size() == 1 && !Text.empty())
        return std::nullopt; // a fixed text must match whole
    return arguments;
}

QString Translated(const TCoreText& Known, const std::vector<std::string_view>& Arguments)
{
    QString text = QCoreApplication::translate("TCoreText", Known.Source);
    // An argument may itself be one of the core's texts (a reason after a
    // file name). Both are filled in one pass, so an argument's own "%1"
    // stays as it is.
    std::vector<QString> filled;
    for (const std::string_view argument : Arguments)
        filled.push_back(CoreText(std::string(argument).c_str()));
    if (filled.size() == 1)
        return text.arg(filled[0]);
    if (filled.size() == 2)
        return text.arg(filled[0], filled[1]);
    if (filled.size() == 3)
        return text.arg(filled[0], filled[1], filled[2]);
    return text;
}

} // namespace

QString CoreText(const char* Text)
{
    const std::string_view text(Text);
    for (const TCoreText& known : kCoreTexts)
        if (const auto arguments = ArgumentsOf(known.Core, text))
            return Translated(known, *arguments);
    // "<wave name>:<reason>", as the loop rules and the crossfade name a wave.
    for (const TCoreText& known : kCoreTexts)
        if (const std::string_view reason = known.Core;
            text.size() > reason.size() && text.ends_with(reason) && text[text.size() - reason.size() - 1] == ':')
            return QString::fromUtf8(text.substr(0, text.size() - reason.size())) +
                   QCoreApplication::translate("TCoreText", known.Source);
    return QString::fromUtf8(Text);
}

QString WindowErrorText(const Exception& Error)
{
    const std::string message = CoreText(Error.Message().c_str()).toStdString();
    return QString::fromStdString(ErrorText(Error.Detail().empty() ? message : message + ": " + Error.Detail()));
}
