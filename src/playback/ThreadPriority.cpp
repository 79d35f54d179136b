#include "playback/ThreadPriority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace {

// Linux weighs each thread by its own nice value (-20 .. 19).
int NiceValue(TThreadPriority Priority)
{
    switch (Priority) {
    case TThreadPriority::tpIdle: return 19;
    case TThreadPriority::tpLowest: return 10;
    case TThreadPriority::tpLower: return 5;
    case TThreadPriority::tpNormal: return 0;
    case TThreadPriority::tpHigher: return -5;
    case TThreadPriority::tpHighest: return -10;
    case TThreadPriority::tpTimeCritical: return -20;
    }
    return 0;
}

} // namespace

int CurrentThreadId()
{
    return static_cast<int>(gettid());
}

bool ApplyThreadPriority(int ThreadId, TThreadPriority Priority)
{
    return setpriority(PRIO_PROCESS, static_cast<id_t>(ThreadId), NiceValue(Priority)) == 0;
}
