// The Windows side of Platform.h: wide paths, binary mode, descriptors that
// child processes do not inherit, MoveFileExW for the one-step replace
// (rename does not replace an existing file there), the parent's console
// for the window, and the seven thread priorities of SetThreadPriority.
#ifdef _WIN32

#include "common/Platform.h"

#include <csignal>
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace Platform {
namespace {

// The errno value closest to a Windows error, for messages and callers that
// look at errno.
int ErrnoFromWindows(DWORD Error)
{
    switch (Error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    default: return EIO;
    }
}

std::wstring WideFromUtf8(const std::string& Text)
{
    if (Text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), wide.data(), size);
    return wide;
}

std::string Utf8FromWide(const wchar_t* Wide)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, Wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, Wide, -1, text.data(), size, nullptr, nullptr);
    text.pop_back(); // the terminating NUL
    return text;
}

} // namespace

std::FILE* OpenStream(const std::filesystem::path& Path, const char* Mode)
{
    std::string mode = Mode;
    if (mode.find('b') == std::string::npos)
        mode += 'b';
    return _wfopen(Path.c_str(), WideFromUtf8(mode).c_str());
}

bool SeekStream(std::FILE* Stream, int64_t Offset, int Whence) { return _fseeki64(Stream, Offset, Whence) == 0; }

int64_t StreamPosition(std::FILE* Stream) { return _ftelli64(Stream); }

int64_t StreamSize(std::FILE* Stream)
{
    struct _stat64 status {};
    return _fstat64(_fileno(Stream), &status) == 0 ? status.st_size : -1;
}

TExtent NextDataExtent(std::FILE*, int64_t From, int64_t To) { return {From, To}; }

TFileSizeLimitAsError::TFileSizeLimitAsError() : FPrevious(nullptr) {}

TFileSizeLimitAsError::~TFileSizeLimitAsError() = default;

int OpenForWriting(const std::filesystem::path& Path, bool Exclusive)
{
    const int how = Exclusive ? _O_WRONLY | _O_CREAT | _O_EXCL : _O_RDWR | _O_CREAT | _O_TRUNC;
    return _wopen(Path.c_str(), how | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

int CloseFile(int Fd) { return _close(Fd); }

int64_t SeekFile(int Fd, int64_t Offset, int Whence) { return _lseeki64(Fd, Offset, Whence); }

bool WriteAll(int Fd, std::span<const TPiece> Pieces)
{
    constexpr std::size_t kMaxWrite = 1u << 30; // _write takes an unsigned int
    for (const TPiece& piece : Pieces) {
        auto* data = static_cast<const char*>(piece.Data);
        std::size_t left = piece.Size;
        while (left > 0) {
            const int written = _write(Fd, data, static_cast<unsigned>(left < kMaxWrite ? left : kMaxWrite));
            if (written <= 0)
                return false;
            data += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    return true;
}

bool SyncFile(int Fd) { return _commit(Fd) == 0; }

void CopyPermissions(int, const std::filesystem::path&) {}

bool MoveOver(const std::filesystem::path& From, const std::filesystem::path& To)
{
    // Windows refuses to replace a read-only file; asked here, so that every
    // system running this build (wine maps the mark to permission bits and
    // would replace it) refuses alike.
    const DWORD attributes = GetFileAttributesW(To.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        errno = EACCES;
        return false;
    }
    if (MoveFileExW(From.c_str(), To.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = ErrnoFromWindows(GetLastError());
    return false;
}

void SyncFolder(const std::filesystem::path&) {}

void RemoveFile(const std::filesystem::path& Path) noexcept { _wunlink(Path.c_str()); }

void RemoveFileInSignal(const std::filesystem::path::value_type* Path) noexcept { _wunlink(Path); }

std::span<const int> TerminationSignals()
{
    static const int signals[] = {SIGINT, SIGTERM};
    return signals;
}

std::vector<std::string> Utf8Arguments(int, char**)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return args;
}

void UseUtf8Console()
{
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

// A GUI-subsystem program gets no console; one started from a console with
// its output redirected inherits the redirection, which is kept.
void UseParentConsole()
{
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output != nullptr && output != INVALID_HANDLE_VALUE)
        return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}

int CurrentThreadId() { return static_cast<int>(GetCurrentThreadId()); }

bool SetThreadPriorityStep(int ThreadId, int Step)
{
    constexpr int kPriority[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL,
                                 THREAD_PRIORITY_NORMAL,       THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                                 THREAD_PRIORITY_TIME_CRITICAL};
    const HANDLE thread = OpenThread(THREAD_SET_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(ThreadId));
    if (thread == nullptr)
        return false;
    const bool set = ::SetThreadPriority(thread, kPriority[std::clamp(Step, -3, 3) + 3]) != 0;
    CloseHandle(thread);
    return set;
}

void QuietSoundLibraries() {}

} // namespace Platform

#endif
