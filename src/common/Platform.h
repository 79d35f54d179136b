#pragma once
// What differs between POSIX systems and Windows, in one place: opening
// files by path (wide paths and binary mode on Windows), the low-level
// descriptor calls the writers use, 64-bit positions in streams, replacing a
// file in one step, the command line and console of the programs, thread
// priorities and the sound libraries' chatter. Every file function keeps the
// system's reason in errno on failure.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace Platform {

// fopen by path; on Windows the mode is always binary.
std::FILE* OpenStream(const std::filesystem::path& Path, const char* Mode);

// 64-bit stream positions (off_t and st_size are 32-bit on Windows).
bool SeekStream(std::FILE* Stream, int64_t Offset, int Whence);
int64_t StreamPosition(std::FILE* Stream); // -1 on failure
int64_t StreamSize(std::FILE* Stream);     // -1 on failure

// The first stretch [Begin, End) of the range [From, To) of the stream's file
// that may hold data. Holes of a sparse file read as zeros: where the system
// reports them they are skipped (Begin == To when only a hole is left);
// elsewhere the stretch is the whole range.
struct TExtent {
    int64_t Begin;
    int64_t End;
};
TExtent NextDataExtent(std::FILE* Stream, int64_t From, int64_t To);

// A descriptor for writing, binary and not inherited by child processes:
// the file created or emptied, or with Exclusive only created new (EEXIST
// when it is there). -1 on failure.
int OpenForWriting(const std::filesystem::path& Path, bool Exclusive);
int CloseFile(int Fd);
int64_t SeekFile(int Fd, int64_t Offset, int Whence); // -1 on failure

// Bytes to write as one piece of a gathered write.
struct TPiece {
    const void* Data;
    std::size_t Size;
};

// Writes every byte of the pieces in order, resuming after partial writes
// and interrupted calls. False when the system reports an error or writes
// nothing.
bool WriteAll(int Fd, std::span<const TPiece> Pieces);

// Makes what was written to Fd durable on disk. False on failure.
bool SyncFile(int Fd);

// Gives Fd the permission bits of the regular file at Source, where the
// system keeps such bits (not on Windows). Best effort.
void CopyPermissions(int Fd, const std::filesystem::path& Source);

// Puts From in To's place in one step, replacing To. False on failure;
// Windows refuses a To that is read-only or open in another program.
bool MoveOver(const std::filesystem::path& From, const std::filesystem::path& To);

// Asks the folder to record a rename on disk, where the system can (not on
// Windows). Best effort.
void SyncFolder(const std::filesystem::path& Folder);

void RemoveFile(const std::filesystem::path& Path) noexcept;
// The same from a signal handler: async-signal-safe, on the path's native
// characters.
void RemoveFileInSignal(const std::filesystem::path::value_type* Path) noexcept;

// The signals that ask the process to end and that it may clean up for:
// SIGINT, SIGTERM and, where there is one, SIGHUP.
std::span<const int> TerminationSignals();

// While it lives, a write past the process's file-size limit fails with
// EFBIG instead of ending the process (SIGXFSZ), so a writer can clean up and
// report. Windows has no such limit. Not for use from several threads.
class TFileSizeLimitAsError {
public:
    TFileSizeLimitAsError();
    ~TFileSizeLimitAsError();
    TFileSizeLimitAsError(const TFileSizeLimitAsError&) = delete;
    TFileSizeLimitAsError& operator=(const TFileSizeLimitAsError&) = delete;

private:
    void (*FPrevious)(int);
};

// The tool's arguments (without the program name) as UTF-8; on Windows
// taken from the wide command line, whatever the console's code page.
std::vector<std::string> Utf8Arguments(int Argc, char** Argv);

// Makes standard output and error take UTF-8 bytes as they are (on
// Windows: the console's code page, and no newline translation).
void UseUtf8Console();

// For a program without a console of its own (the window on Windows): when
// it was started from a console and its output is not redirected, standard
// output and error go to that console, so that --help and --version show
// there. Elsewhere standard output is the terminal's already.
void UseParentConsole();

// The system's id of the calling thread.
int CurrentThreadId();

// Gives thread ThreadId a scheduling weight of Step, from -3 (idle) through 0
// (normal) to 3 (time-critical), as far as the system has such steps. False
// when the system refused (raising a thread needs a privilege on Linux).
bool SetThreadPriorityStep(int ThreadId, int Step);

// Silences the messages the sound system's libraries print on standard
// error while a player probes for devices (ALSA's missing cards and plugins,
// JACK's unreachable servers). They are looked up at run time, so nothing
// here needs them; where they are absent (Windows) this does nothing.
void QuietSoundLibraries();

} // namespace Platform
