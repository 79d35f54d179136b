#pragma once
// The seven thread priorities the player offers, from idle to time-critical,
// and their application to a running thread as far as the system allows.

#include <cstdint>

enum class TThreadPriority : uint8_t {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical,
};

// The system's id of the calling thread.
int CurrentThreadId();

// Gives the thread ThreadId the scheduling weight of Priority. Raising a
// thread above normal needs a privilege that ordinary users lack; then the
// thread keeps its weight. Returns whether the system took the change.
bool ApplyThreadPriority(int ThreadId, TThreadPriority Priority);
