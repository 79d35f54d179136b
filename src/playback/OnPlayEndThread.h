#pragma once
// The end reporter: raises OnPlayEnd on its own thread, once for each Wake,
// so that its handler may call Play or Stop, which wait for the worker. It
// sleeps otherwise.

#include "playback/PCMErrorReporter.h"
#include "playback/PCMTypes.h"

#include <condition_variable>
#include <mutex>
#include <thread>

class TOnPlayEndThread : public TPCMThread {
public:
    explicit TOnPlayEndThread(TPCMErrorReporter& Errors);
    ~TOnPlayEndThread() override;
    TOnPlayEndThread(const TOnPlayEndThread&) = delete;
    TOnPlayEndThread& operator=(const TOnPlayEndThread&) = delete;

    void SetEvents(const TPCMEvents& Events);
    void Wake();
    // Ends the thread without raising the event for wake-ups still pending.
    void Terminate();

private:
    void Run();

    TPCMErrorReporter& FErrors;
    std::mutex FLock;
    std::condition_variable FWoken;
    TNotifyEvent FOnPlayEnd;
    int FWakeUps = 0;
    bool FTerminated = false;
    std::thread FThread;
};
