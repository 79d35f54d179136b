#pragma once
// The player's worker: takes the start and stop commands through a one-slot
// mailbox, owns the output and the ring of blocks, polls the output for
// finished blocks and raises OnBufferEmpty, OnPlayStart and OnPlayStop. It
// starts with the component and runs, stopped or playing, until Terminate.

#include "playback/OnPlayEndThread.h"
#include "playback/PCMErrorReporter.h"
#include "playback/PCMTypes.h"
#include "playback/ThreadPriority.h"
#include "playback/WaveOut.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class TLowLVPCMThread : public TPCMThread {
public:
    enum TCommand : uint8_t { cmNone = 0, cmStart = 1, cmStop = 2 };
    enum TState : uint8_t { stPlaying = 0, stStopped = 1 };
    enum TBufState : uint8_t { bsFree = 1, bsQueued = 2, bsFilled = 3 };
    static constexpr int MaxBuffers = 1024;

    explicit TLowLVPCMThread(std::shared_ptr<TWaveOutDevice> Device);
    ~TLowLVPCMThread() override;
    TLowLVPCMThread(const TLowLVPCMThread&) = delete;
    TLowLVPCMThread& operator=(const TLowLVPCMThread&) = delete;

    // Hands Command to the worker and returns once it has been carried out,
    // or at once when the worker has ended. Not on the worker (CheckCaller).
    void SendCommand(TCommand Command);
    // What the next start uses; to be set between a stop and a start.
    void Configure(const TPCMSettings& Settings, const TPCMEvents& Events);
    void Write(const void* Data, int32_t Size);
    void SetPriority(TThreadPriority Priority);
    void SetOnError(TErrorEvent Hook);
    // Ends the worker (closing a playing output first) and then the end
    // reporter; the worker takes no commands afterwards.
    void Terminate();

    // Refuses a caller that is the worker itself (a handler of its events):
    // a command from there would wait for itself.
    void CheckCaller();
    TOnPlayEndThread& EndThread() { return FEndThread; }
    bool IsPlaying() const { return FState.load() == stPlaying; }
    int32_t WaveOut() const { return FWaveOutHandle.load(); }
    uint32_t SleepMs() const { return FSleepMs.load(); }
    int32_t Remaining() const { return FRemaining.load(); }

    // Half a block's duration in whole milliseconds, from 1 to 100.
    static uint32_t SleepMsFor(const TPCMSettings& Settings);

private:
    struct TRing;

    void Run();
    void HandleCommand(uint8_t Command);
    void ClearCommand();
    void StartPlaying();
    bool StartProcedure();
    void AllocateRing();
    void ReleaseRing();
    void Prime();
    void Queue(int Index);
    void DoneBlockPass();
    void RefillDoneBlock(int Index);
    void FinishAtEnd();
    void StopPlaying(bool ByCommand);
    void CloseProcedure();
    void Raise(const TNotifyEvent& Event);

    const std::shared_ptr<TWaveOutDevice> FDevice;
    TPCMErrorReporter FErrors;
    TOnPlayEndThread FEndThread;

    // The mailbox: the command and the next start's configuration.
    std::mutex FMailLock;
    std::condition_variable FMailbox;
    uint8_t FCommand = cmNone;
    bool FTerminated = false;
    bool FExited = false;
    std::thread::id FWorkerId;
    TPCMSettings FNextSettings;
    TPCMEvents FNextEvents;

    // The running start's copies, used by the worker alone.
    TPCMSettings FSettings;
    TPCMEvents FEvents;

    std::atomic<uint8_t> FState{stStopped};
    std::atomic<uint32_t> FSleepMs{100};
    std::unique_ptr<TWaveOut> FOutput;
    std::atomic<int32_t> FWaveOutHandle{0};

    // The ring. FRing is replaced only under FRingLock, which Write holds
    // while it copies, so a block is never released under a copy.
    std::mutex FRingLock;
    std::unique_ptr<TRing> FRing;
    std::array<uint32_t, MaxBuffers> FLengths{};
    std::array<std::atomic<uint8_t>, MaxBuffers> FBufState{};
    std::atomic<int32_t> FWriteIndex{0};
    std::atomic<int32_t> FPlayIndex{0};
    std::atomic<int32_t> FRemaining{-1};
    std::atomic<bool> FEndOfData{false};

    std::mutex FPriorityLock;
    TThreadPriority FPriority = TThreadPriority::tpHighest;
    int FThreadId = 0; // 0 while the worker is not running

    std::thread FThread;
};
