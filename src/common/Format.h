#pragma once
// printf-style formatting into a std::string, for building the program's
// messages from their fixed formats ("ファイル「%s」を開けません").

#include <string>

std::string Format(const char* format, ...)
#if defined(__MINGW_PRINTF_FORMAT)
    __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2))) // C99 formats (%zu, %lld) on Windows too
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
