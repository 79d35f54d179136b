#include "cli/WaveArguments.h"

#include "cli/Commands.h"
#include "cli/Language.h"
#include "common/Format.h"
#include "common/Path.h"
#include "document/CrossFade.h"

#include <filesystem>

namespace {

[[noreturn]] void WrongLoop(const std::string& Arg, const std::string& What)
{
    throw ECliError(Format(Say("%s: %s。ループは WAV@START:END (サンプル単位、END は含まない) か WAV@auto、"
                               "WAV@START:auto です (vantrel-cli --help を参照)",
                               "%s: %s; a loop is WAV@START:END in samples, END exclusive (or WAV@auto, "
                               "WAV@START:auto) (see vantrel-cli --help)"),
                           Arg.c_str(), What.c_str()));
}

// One end of a loop, a whole number of samples ("auto" where Auto allows it).
int32_t LoopPoint(const std::string& Arg, const std::string& Text, const char* Name, bool Auto)
{
    if (Auto && Text == "auto")
        return kAutomaticPoint;
    const auto value = ParseNonNegative<int32_t>(Text);
    if (!value || Text.find_first_not_of("0123456789") != std::string::npos)
        WrongLoop(Arg, Format(Say("%s「%s」はサンプル数の整数ではありません", "%s \"%s\" is not a whole number of samples"),
                              Name, Text.c_str()));
    return *value;
}

// The crossfade after "~": N samples, N ms (N may have decimals) or "auto".
TFadeArgument FadeOf(const std::string& Arg, const std::string& Text)
{
    if (Text == "auto")
        return {0, false, true};
    const bool ms = Text.size() > 2 && Text.ends_with("ms");
    const std::string number = ms ? Text.substr(0, Text.size() - 2) : Text;
    const std::optional<double> value = ParseNonNegative<double>(number);
    if (!value || (!ms && (number.find_first_not_of("0123456789") != std::string::npos || *value > INT32_MAX)))
        WrongLoop(Arg, Format(Say("クロスフェード「%s」はサンプル数の整数 (~N) でもミリ秒 (~Nms) でもありません",
                                  "crossfade \"%s\" is neither a whole number of samples (~N) nor milliseconds (~Nms)"),
                              Text.c_str()));
    return {*value, ms};
}

} // namespace

int32_t TFadeArgument::SamplesAt(int32_t RateHz) const
{
    return Ms ? FadeSamplesOfMs(Value, RateHz) : static_cast<int32_t>(Value);
}

TWaveArgument ParseWaveArgument(const std::string& Arg)
{
    const auto at = Arg.rfind('@');
    std::error_code error;
    if (at == std::string::npos || std::filesystem::exists(PathFromUtf8(Arg), error))
        return {Arg, std::nullopt, {}};
    std::string loop = Arg.substr(at + 1);
    if (loop.find_first_of("/\\") != std::string::npos)
        return {Arg, std::nullopt, {}};
    const std::string path = Arg.substr(0, at);
    TFadeArgument fade;
    if (const auto tilde = loop.find('~'); tilde != std::string::npos) {
        fade = FadeOf(Arg, loop.substr(tilde + 1));
        loop.resize(tilde);
    }
    if (loop == "auto")
        return {path, std::make_pair(kAutomaticPoint, kAutomaticPoint), fade};
    const auto colon = loop.find(':');
    if (colon == std::string::npos)
        WrongLoop(Arg, loop.empty()                            ? Say("「@」の後に何もありません", "nothing after \"@\"")
                       : loop.find('-') != std::string::npos ? Say("START と END の区切りは「-」ではなく「:」です",
                                                                   "START and END are separated by \":\", not \"-\"")
                                                             : Say("START と END の間に「:」がありません",
                                                                   "no \":\" between START and END"));
    const int32_t start = LoopPoint(Arg, loop.substr(0, colon), "START", false);
    return {path, std::make_pair(start, LoopPoint(Arg, loop.substr(colon + 1), "END", true)), fade};
}

std::optional<double> ParseFadeMs(const std::string& Text)
{
    return ParseNonNegative<double>(Text.ends_with("ms") ? Text.substr(0, Text.size() - 2) : Text);
}
