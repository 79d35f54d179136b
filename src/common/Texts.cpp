#include "common/Texts.h"

#include <cstdlib>
#include <optional>
#include <vector>

namespace {

// Each of the core's texts as the core writes it ("%s" where a name goes)
// and in English, where "%1", "%2" stand for the core's arguments in their
// order. The texts' own homes are named in docs/ARCHITECTURE.md; the
// command-line tool's tests hold every one of them against this table.
struct TCoreText {
    const char* Core;
    const char* English;
};
constexpr TCoreText kCoreTexts[] = {
    {"ループ始点がループ終点より後にあります", "The loop start lies after the loop end"},
    {"ループ終点がループ始点より前にあります", "The loop end lies before the loop start"},
    {"ループ始点が不正です", "The loop start is invalid"},
    {"ループ終点が不正です", "The loop end is invalid"},
    {"ループ始点が0のループはVBKファイルに書き出されません", "A loop starting at sample 0 is not written to the VBK file"},
    {"適切なループが見つかりません", "No suitable loop was found"},
    {"ループが短すぎます", "The loop is too short"},
    {"クロスフェードがループに収まりません", "The crossfade does not fit the loop"},
    {"Wave デバイスを使用できません", "The wave device cannot be used"},
    {"ファイル形式が異常です", "The file format is invalid"},
    {"未対応のバージョンです", "The version is not supported"},
    {"waveが登録されていません", "The list holds no waves"},
    {"VBKファイルが大きすぎます", "The VBK file would be too large"},
    {"ファイル「%s」を開けません", "Cannot open the file “%1”"},
    {"ファイル「%s」は未対応フォーマットです", "The file “%1” has an unsupported format"},
    {"ファイル「%s」は長すぎます", "The file “%1” is too long"},
    {"ファイル「%s」を読み込むメモリが足りません", "Not enough memory to read the file “%1”"},
    {"ファイル「%s」は読み込んだ後に変わりました", "The file “%1” changed after it was read"},
    {"KSDファイル(%s)を読めません", "Cannot read the KSD file (%1)"},
    {"KSDファイル(%s)を書けません: %s", "Cannot write the KSD file (%1): %2"},
    {"ファイル名「%s」は KSDファイルに書けない文字を含みます", "The file name “%1” holds characters a KSD file cannot hold"},
    {"出力先「%s」は通常のファイルではありません", "The output “%1” is not a regular file"},
    {"出力先「%s」は入力のファイル「%s」と同じファイルです", "The output “%1” is the same file as the input “%2”"},
    {"「%s」が見つかりません", "“%1” cannot be found"},
    {"「%s」のループ終点が設定されていません", "“%1” has no loop end set"},
    {"%s 番目の WaveFile にはファイル名がないため読み飛ばしました (以降の波形は一つずつ前に詰まります)",
     "WaveFile entry %1 names no file and was skipped (every later wave moves up one place)"},
    {"%s はリストファイルのフォルダの %s を読みました (カレントフォルダの %s は別のファイルです)",
     "%1 was read from the list file’s folder as %2 (%3 in the current folder is another file)"},
    {"メモリが足りません", "Out of memory"},
    {"クロスフェードが 1 サンプルに満たない長さです", "The crossfade is shorter than one sample"},
    {"ループのマーカーがファイルにありません", "The loop’s markers are not in the file"},
    {"ループが波形の範囲外です", "The loop lies outside the wave"},
    {"VBKファイル「%s」を書き出すメモリが足りません", "Not enough memory to write the VBK file “%1”"},
};

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

// Form with "%1", "%2" replaced by the arguments, each translated in turn
// (a reason inside another text). One pass: an argument's own "%1" stays.
std::string Filled(std::string_view Form, const std::vector<std::string_view>& Arguments)
{
    std::string text;
    for (std::size_t i = 0; i < Form.size(); ++i) {
        const std::size_t n = i + 1 < Form.size() && Form[i] == '%' ? std::size_t(Form[i + 1] - '1') : Arguments.size();
        if (n < Arguments.size()) {
            text += CoreTextIn(TLanguage::English, Arguments[n]);
            ++i;
        } else {
            text += Form[i];
        }
    }
    return text;
}

} // namespace

TLanguage LanguageOfLocaleName(std::string_view Name)
{
    const bool japanese = Name.starts_with("ja") && (Name.size() == 2 || Name.find_first_of("_.@", 2) == 2);
    return japanese ? TLanguage::Japanese : TLanguage::English;
}

TLanguage LanguageOfEnvironment()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(variable); value && *value)
            return LanguageOfLocaleName(value);
    return TLanguage::English;
}

std::string CoreTextIn(TLanguage Language, std::string_view Text)
{
    if (Language == TLanguage::Japanese)
        return std::string(Text);
    for (const TCoreText& known : kCoreTexts)
        if (const auto arguments = ArgumentsOf(known.Core, Text))
            return Filled(known.English, *arguments);
    // "<wave name>:<reason>", as the loop rules and the crossfade name a wave.
    for (const TCoreText& known : kCoreTexts)
        if (const std::string_view reason = known.Core;
            Text.size() > reason.size() && Text.ends_with(reason) && Text[Text.size() - reason.size() - 1] == ':')
            return std::string(Text.substr(0, Text.size() - reason.size())) + known.English;
    return std::string(Text);
}
