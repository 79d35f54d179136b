#pragma once
// printf-style formatting into a std::string, for building the program's
// messages from their fixed formats ("ファイル「%s」を開けません").

#include <string>

std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
