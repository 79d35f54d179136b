#pragma once
// An owned C stdio stream: closed when it goes out of scope.

#include "common/Path.h"
#include "common/Platform.h"

#include <cstdio>
#include <memory>
#include <string>

struct TFileCloser {
    void operator()(std::FILE* f) const noexcept { std::fclose(f); }
};
using TFileHandle = std::unique_ptr<std::FILE, TFileCloser>;

// Opens a file named by a UTF-8 path (in binary mode on Windows); null
// when it cannot be opened.
inline TFileHandle OpenFile(const std::string& Utf8Path, const char* Mode)
{
    return TFileHandle(Platform::OpenStream(PathFromUtf8(Utf8Path), Mode));
}
