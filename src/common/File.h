#pragma once
// An owned C stdio stream: closed when it goes out of scope.

#include "common/Path.h"

#include <cstdio>
#include <memory>
#include <string>

struct TFileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using TFileHandle = std::unique_ptr<std::FILE, TFileCloser>;

// Opens a file named by a UTF-8 path; null when it cannot be opened.
inline TFileHandle OpenFile(const std::string& Utf8Path, const char* Mode)
{
    return TFileHandle(std::fopen(PathFromUtf8(Utf8Path).c_str(), Mode));
}
