#include "playback/OnPlayEndThread.h"

#include "playback/SleepingThread.h"

TOnPlayEndThread::TOnPlayEndThread(TPCMErrorReporter& Errors) : FErrors(Errors)
{
    FThread = std::thread(&TOnPlayEndThread::Run, this);
}

TOnPlayEndThread::~TOnPlayEndThread()
{
    Terminate();
}

void TOnPlayEndThread::SetEvents(const TPCMEvents& Events)
{
    std::lock_guard lock(FLock);
    FOnPlayEnd = Events.OnPlayEnd;
}

void TOnPlayEndThread::Wake()
{
    std::lock_guard lock(FLock);
    ++FWakeUps;
    FWoken.notify_all();
}

void TOnPlayEndThread::Terminate() { EndSleepingThread(FLock, FWoken, FTerminated, FThread); }

void TOnPlayEndThread::Run()
{
    std::unique_lock lock(FLock);
    for (;;) {
        FWoken.wait(lock, [this] { return FWakeUps > 0 || FTerminated; });
        if (FTerminated)
            return;
        --FWakeUps;
        const TNotifyEvent event = FOnPlayEnd;
        lock.unlock();
        if (event) {
            try {
                event(this);
            } catch (...) {
                FErrors.ReportCurrentException();
            }
        }
        lock.lock();
    }
}
