#pragma once
// The program's name and version, as the About box shows them and the list
// files record them.

#include <charconv>
#include <string>

inline constexpr const char* kProgramName = "Vantrel";
inline constexpr double kProgramVersion = 1.0;

// The version as "%3.2f" gives it ("1.00"), but always with a full stop:
// the window sets the process locale, and printf would follow its decimal
// comma.
inline std::string ProgramVersionText()
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, kProgramVersion, std::chars_format::fixed, 2);
    return std::string(text, error == std::errc() ? end : text);
}

// What "--version" prints for Command ("vantrel-cli"): "vantrel-cli (Vantrel) 1.00".
inline std::string VersionLine(const std::string& Command)
{
    return Command + " (" + kProgramName + ") " + ProgramVersionText() + "\n";
}
