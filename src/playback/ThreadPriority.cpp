#include "playback/ThreadPriority.h"

#include "common/Platform.h"

int CurrentThreadId() { return Platform::CurrentThreadId(); }

// The seven priorities are the platform's steps -3 .. 3, normal in the middle.
bool ApplyThreadPriority(int ThreadId, TThreadPriority Priority)
{
    const int step = static_cast<int>(Priority) - static_cast<int>(TThreadPriority::tpNormal);
    return Platform::SetThreadPriorityStep(ThreadId, step);
}
