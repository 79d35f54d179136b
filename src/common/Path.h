#pragma once
// Paths are held as UTF-8 strings everywhere in the program and turned into
// filesystem paths only where a file is opened.

#include <filesystem>
#include <string>

inline std::filesystem::path PathFromUtf8(const std::string& Utf8)
{
    return std::filesystem::path(std::u8string(Utf8.begin(), Utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& Path)
{
    const std::u8string text = Path.u8string();
    return std::string(text.begin(), text.end());
}
