// The POSIX side of Platform.h.
#ifndef _WIN32

#include "common/Platform.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace Platform {
namespace {

void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
void QuietJack(const char*) {}

} // namespace


std::FILE* OpenStream(const std::filesystem::path& Path, const char* Mode) { return std::fopen(Path.c_str(), Mode); }

bool SeekStream(std::FILE* Stream, int64_t Offset, int Whence) { return fseeko(Stream, Offset, Whence) == 0; }

int64_t StreamPosition(std::FILE* Stream) { return ftello(Stream); }

int64_t StreamSize(std::FILE* Stream)
{
    struct stat status {};
    return fstat(fileno(Stream), &status) == 0 ? status.st_size : -1;
}

TExtent NextDataExtent(std::FILE* Stream, int64_t From, int64_t To)
{
#if defined(SEEK_DATA) && defined(SEEK_HOLE)
    const int fd = fileno(Stream);
    int64_t data = ::lseek(fd, From, SEEK_DATA);
    if (data < 0)
        data = errno == ENXIO ? To : From; // ENXIO: only a hole is left; else no support
    if (data >= To)
        return {To, To};
    int64_t hole = std::min<int64_t>(std::max<int64_t>(::lseek(fd, data, SEEK_HOLE), data), To);
    return {data, hole == data ? To : hole};
#else
    (void)Stream;
    return {From, To};
#endif
}

TFileSizeLimitAsError::TFileSizeLimitAsError() : FPrevious(std::signal(SIGXFSZ, SIG_IGN)) {}

TFileSizeLimitAsError::~TFileSizeLimitAsError()
{
    if (FPrevious != SIG_ERR)
        std::signal(SIGXFSZ, FPrevious);
}

int OpenForWriting(const std::filesystem::path& Path, bool Exclusive)
{
    const int how = Exclusive ? O_WRONLY | O_CREAT | O_EXCL : O_RDWR | O_CREAT | O_TRUNC;
    return ::open(Path.c_str(), how | O_CLOEXEC, 0666);
}

int CloseFile(int Fd) { return ::close(Fd); }

int64_t SeekFile(int Fd, int64_t Offset, int Whence) { return ::lseek(Fd, Offset, Whence); }

bool WriteAll(int Fd, std::span<const TPiece> Pieces)
{
    constexpr std::size_t kMaxPieces = 16;
    iovec vectors[kMaxPieces];
    std::size_t count = 0;
    for (; count < Pieces.size() && count < kMaxPieces; ++count)
        vectors[count] = {const_cast<void*>(Pieces[count].Data), Pieces[count].Size};
    iovec* next = vectors;
    while (count > 0) {
        const ssize_t written = ::writev(Fd, next, static_cast<int>(count));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        auto left = static_cast<std::size_t>(written);
        while (count > 0 && left >= next->iov_len) {
            left -= next->iov_len;
            ++next;
            --count;
        }
        if (count > 0) {
            next->iov_base = static_cast<char*>(next->iov_base) + left;
            next->iov_len -= left;
        }
    }
    return Pieces.size() <= kMaxPieces || WriteAll(Fd, Pieces.subspan(kMaxPieces));
}

bool SyncFile(int Fd) { return ::fsync(Fd) == 0; }

void CopyPermissions(int Fd, const std::filesystem::path& Source)
{
    struct stat status;
    if (::stat(Source.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        (void)::fchmod(Fd, status.st_mode & 07777);
}

bool MoveOver(const std::filesystem::path& From, const std::filesystem::path& To)
{
    return ::rename(From.c_str(), To.c_str()) == 0;
}

void SyncFolder(const std::filesystem::path& Folder)
{
    const int fd = ::open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

void RemoveFile(const std::filesystem::path& Path) noexcept { ::unlink(Path.c_str()); }

void RemoveFileInSignal(const std::filesystem::path::value_type* Path) noexcept { ::unlink(Path); }

std::span<const int> TerminationSignals()
{
    static const int signals[] = {SIGINT, SIGTERM, SIGHUP};
    return signals;
}

std::vector<std::string> Utf8Arguments(int Argc, char** Argv) { return {Argv + 1, Argv + Argc}; }

void UseUtf8Console() {}

void UseParentConsole() {}

int CurrentThreadId() { return static_cast<int>(gettid()); }

// Linux weighs each thread by its own nice value (-20 .. 19).
bool SetThreadPriorityStep(int ThreadId, int Step)
{
    constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -20};
    const int nice = kNice[std::clamp(Step, -3, 3) + 3];
    return setpriority(PRIO_PROCESS, static_cast<id_t>(ThreadId), nice) == 0;
}

void QuietSoundLibraries()
{
    using TAlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    if (void* symbol = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler"))
        reinterpret_cast<int (*)(TAlsaHandler)>(symbol)(&QuietAlsa);
    using TSetMessageFunction = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (void* symbol = dlsym(RTLD_DEFAULT, name))
            reinterpret_cast<TSetMessageFunction>(symbol)(&QuietJack);
    }
}

} // namespace Platform

#endif
