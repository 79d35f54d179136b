#pragma once
// Names that compare without regard to ASCII case, whatever the locale: a..z
// and A..Z are taken as one, every other byte compares exactly and nothing is
// decoded, so two different byte strings that are not UTF-8 stay two names.
// List-file element names and marker names compare this way.

#include <algorithm>
#include <string_view>

inline bool SameNameIgnoringAsciiCase(std::string_view A, std::string_view B)
{
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return std::ranges::equal(A, B, {}, fold, fold);
}
