#pragma once
// TLowLVPCM streams PCM audio to a waveform-audio output without holding the
// sound itself. It keeps a ring of NumOfBuffers blocks of BufferSize bytes;
// whenever a block is free its worker thread raises OnBufferEmpty, whose
// handler hands over the next stretch of samples with exactly one Write, or
// marks the end of the sound with a Write of no data. The queued blocks then
// play out, the output is closed and OnPlayStop and OnPlayEnd report the end.
//
// Threads: the owner's thread sets properties and calls Play and Stop; the
// worker (TLowLVPCMThread) owns the output and the ring and raises
// OnBufferEmpty, OnPlayStart and OnPlayStop; the end reporter
// (TOnPlayEndThread) raises OnPlayEnd. Handlers on the worker must not call
// Play or Stop, which wait for the worker; OnPlayEnd's handler may.
//
// Errors raised on the worker or the end reporter (by a handler, by Write in a
// handler, by the ring allocation, by closing the output) never end those
// threads: they go to the error hook, and the worker keeps taking commands.

#include "common/Exception.h"
#include "playback/ThreadPriority.h"
#include "playback/WaveOut.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

VANTREL_DECLARE_EXCEPTION(EPropertyError);
VANTREL_DECLARE_EXCEPTION(ELowLVPCMError);

// The sender of every event: the thread that raises it, never the component.
class TPCMThread {
public:
    virtual ~TPCMThread() = default;
};

using TNotifyEvent = std::function<void(TPCMThread* Sender)>;
// Gets the message of an error raised on a player thread, and the caption to
// show it under (empty: the owner's own title). It runs on that thread and
// must not block; a message whose hook throws goes to stderr instead.
using TErrorEvent = std::function<void(const std::string& Message, const std::string& Caption)>;

// The format and the ring, handed to the worker as a copy at each Play.
struct TPCMSettings {
    uint16_t nChannels = 1;
    uint32_t nSamplesPerSec = 22050;
    uint16_t wBitsPerSample = 8;
    uint32_t BufferSize = 4096;
    uint16_t NumOfBuffers = 4;
};

struct TPCMEvents {
    TNotifyEvent OnBufferEmpty;
    TNotifyEvent OnPlayStart;
    TNotifyEvent OnPlayStop;
    TNotifyEvent OnPlayEnd;
};

// Passes errors raised on the player's threads to the owner's hook; without a
// hook they are written to stderr.
class TPCMErrorReporter {
public:
    void SetHook(TErrorEvent Hook);
    void Report(const std::string& Message, const std::string& Caption);
    // Reports the exception being handled; call only inside a catch block.
    void ReportCurrentException();

private:
    std::mutex FLock;
    TErrorEvent FHook;
};

// Raises OnPlayEnd on its own thread, once for each Wake. It sleeps otherwise.
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

// The worker: runs the commands, the output and the ring.
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
    // or at once when the worker has ended.
    void SendCommand(TCommand Command);
    // What the next start uses; to be set between a stop and a start.
    void Configure(uint32_t DeviceID, bool UseGetPosition, const TPCMSettings& Settings, const TPCMEvents& Events);
    void Write(const void* Data, int32_t Size);
    void SetPriority(TThreadPriority Priority);
    void SetOnError(TErrorEvent Hook);
    // Ends the worker (closing a playing output first) and then the end
    // reporter; the worker takes no commands afterwards.
    void Terminate();

    // Whether the caller is the worker itself (a handler of its events).
    bool IsCurrentThread();
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
    uint32_t FNextDeviceID = TWaveOutDevice::DefaultOutput;
    bool FNextUseGetPosition = false;
    TPCMSettings FNextSettings;
    TPCMEvents FNextEvents;

    // The running start's copies, used by the worker alone.
    uint32_t FDeviceID = TWaveOutDevice::DefaultOutput;
    bool FUseGetPosition = false;
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

class TLowLVPCM {
public:
    // Plays through the system's default audio output.
    TLowLVPCM();
    explicit TLowLVPCM(std::shared_ptr<TWaveOutDevice> Device);
    // Stops a playing sound (OnPlayStop is raised) and ends both threads.
    ~TLowLVPCM();
    TLowLVPCM(const TLowLVPCM&) = delete;
    TLowLVPCM& operator=(const TLowLVPCM&) = delete;

    TNotifyEvent OnBufferEmpty() const;
    void SetOnBufferEmpty(TNotifyEvent Event);
    TNotifyEvent OnPlayStart() const;
    void SetOnPlayStart(TNotifyEvent Event);
    TNotifyEvent OnPlayStop() const;
    void SetOnPlayStop(TNotifyEvent Event);
    TNotifyEvent OnPlayEnd() const;
    void SetOnPlayEnd(TNotifyEvent Event);
    void SetOnError(TErrorEvent Hook);

    // The setters raise EPropertyError for a value out of range and then
    // keep the old value.
    uint16_t nChannels() const;
    void SetnChannels(uint16_t Value); // 1 or 2
    uint32_t nSamplesPerSec() const;
    void SetnSamplesPerSec(uint32_t Value); // > 0
    uint16_t wBitsPerSample() const;
    void SetwBitsPerSample(uint16_t Value); // 8 or 16
    uint32_t BufferSize() const;
    void SetBufferSize(uint32_t Value); // bytes per block, > 0
    uint16_t NumOfBuffers() const;
    void SetNumOfBuffers(uint16_t Value); // 1 .. 1023
    // The open output's handle; 0 while none is open.
    int32_t lhWaveOut() const;
    uint32_t DeviceID() const;
    void SetDeviceID(uint32_t Value); // TWaveOutDevice::DefaultOutput or a device number
    bool UsewaveOutGetPostion() const;
    void SetUsewaveOutGetPostion(bool Value);
    TThreadPriority Priority() const;
    void SetPriority(TThreadPriority Value); // applied at once to the worker

    // Stops what plays, then starts with the current properties; returns once
    // the worker has finished the start. A start that fails (the output
    // cannot be opened, a handler raised) reaches the error hook and leaves
    // the player stopped. ELowLVPCMError when OnBufferEmpty is not set.
    void Play();
    // Returns once the worker has stopped; nothing happens when stopped.
    void Stop();
    // For the OnBufferEmpty handler: copies Size bytes (1 .. BufferSize) into
    // the next block; no data or a size of 0 marks the end of the sound.
    void Write(const void* Data, int32_t Size);

    // The worker, which is the sender of OnBufferEmpty, OnPlayStart and
    // OnPlayStop; its EndThread() is the sender of OnPlayEnd.
    TLowLVPCMThread& Thread() { return FThread; }

private:
    TNotifyEvent Event(TNotifyEvent TPCMEvents::*Field) const;
    void SetEvent(TNotifyEvent TPCMEvents::*Field, TNotifyEvent Value);
    template <typename T>
    T Setting(T TPCMSettings::*Field) const;
    template <typename T>
    void SetSetting(T TPCMSettings::*Field, T Value, bool Valid, const char* Message);

    mutable std::mutex FLock; // the property values below
    TPCMSettings FSettings;
    TPCMEvents FEvents;
    uint32_t FDeviceID = TWaveOutDevice::DefaultOutput;
    bool FUseGetPosition = false;
    TThreadPriority FPriority = TThreadPriority::tpHighest;

    std::mutex FCommandLock; // one Play or Stop at a time
    TLowLVPCMThread FThread;
};
