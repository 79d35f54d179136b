#pragma once
// The message for a file that cannot be opened for reading (missing, no
// regular file, no permission): one text for the WAV reader, the wave list
// and the voice-bank reader, naming the path as the caller was given it.

#include "common/Format.h"

#include <string>

inline constexpr char kCannotOpenFormat[] = "ファイル「%s」を開けません";

inline std::string CannotOpenMessage(const std::string& FileName)
{
    return Format(kCannotOpenFormat, FileName.c_str());
}
