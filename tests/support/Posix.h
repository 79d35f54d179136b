#pragma once
// Tests of POSIX behaviour (FIFOs, symbolic links, permission bits, the
// file size limit, wait statuses) build everywhere and are skipped on
// Windows with the reason: VANTREL_POSIX_ONLY("...") as a test's first
// statement. On Windows the calls such tests make are declared here and
// never reached.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#ifdef _WIN32

#include <cerrno>
#include <io.h>
#include <sys/stat.h>

#define VANTREL_POSIX_ONLY(reason) GTEST_SKIP() << "not on Windows: " << (reason)

#define SIGXFSZ 25
#define RLIMIT_FSIZE 1
#define WIFEXITED(status) true
#define WEXITSTATUS(status) (status)
using rlim_t = unsigned long long;
struct rlimit {
    unsigned long long rlim_cur = 0, rlim_max = 0;
};
inline int getrlimit(int, rlimit*) { return errno = ENOSYS, -1; }
inline int setrlimit(int, const rlimit*) { return errno = ENOSYS, -1; }
// Windows reports no peak memory: a bound on it holds trivially there.
#define RUSAGE_SELF 0
struct rusage {
    long ru_maxrss = 0;
};
inline int getrusage(int, rusage*) { return 0; }
// Runs a command line through the system's shell (cmd.exe, given the line
// in UTF-16); returns the exit status.
inline int RunShell(const std::string& command)
{
    const std::wstring wide = std::filesystem::path(std::u8string(command.begin(), command.end())).wstring();
    return _wsystem((L"\"" + wide + L"\"").c_str()); // cmd.exe drops the outer quotes
}
inline int mkfifo(const char*, int) { return errno = ENOSYS, -1; }

#else

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>

#define VANTREL_POSIX_ONLY(reason) (void)0

inline int RunShell(const std::string& command) { return std::system(command.c_str()); }

#endif
