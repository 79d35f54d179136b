#pragma once
// Files that must not outlive an interrupted process: the temporary file of
// a replacement in progress (a bank of hundreds of megabytes, a list). While
// a TRemoveOnSignal lives, a termination signal (Platform::TerminationSignals:
// Ctrl-C, SIGTERM, a closed terminal) removes its file, then ends the process
// as the signal asks: the default action is restored and the signal raised
// again, so the exit status tells the signal as before.
//
// The handler is installed for each such signal on first use, and only where
// the signal still has its default action: a process that ignores SIGHUP
// (nohup) or handles a signal itself keeps doing so. The handler only reads
// a fixed table of paths and removes files, as a signal handler may.
// A path too long for the table, or more files at once than it holds, is
// not removed by a signal (best effort; the normal clean-up still runs).

#include <filesystem>

class TRemoveOnSignal {
public:
    explicit TRemoveOnSignal(const std::filesystem::path& Path) noexcept;
    ~TRemoveOnSignal();
    TRemoveOnSignal(const TRemoveOnSignal&) = delete;
    TRemoveOnSignal& operator=(const TRemoveOnSignal&) = delete;

private:
    int FSlot = -1; // -1: not in the table
};
