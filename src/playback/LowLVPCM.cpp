#include "playback/LowLVPCM.h"

#include "common/Format.h"
#include "playback/PortAudioWaveOut.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

const char* const kNotOnWorker = "再生スレッドのイベントの中から Play や Stop は呼べません";

} // namespace

// ---------------------------------------------------------------------------
// TPCMErrorReporter

void TPCMErrorReporter::SetHook(TErrorEvent Hook)
{
    std::lock_guard lock(FLock);
    FHook = std::move(Hook);
}

void TPCMErrorReporter::Report(const std::string& Message, const std::string& Caption)
{
    TErrorEvent hook;
    {
        std::lock_guard lock(FLock);
        hook = FHook;
    }
    if (hook) {
        // A hook that fails must not take the player's thread down with it:
        // the message then goes where it goes without a hook.
        try {
            hook(Message, Caption);
            return;
        } catch (...) {
        }
    }
    std::fprintf(stderr, "%s\n", Message.c_str());
}

void TPCMErrorReporter::ReportCurrentException()
{
    try {
        throw;
    } catch (const Exception& e) {
        Report(e.Message(), "");
    } catch (const std::exception& e) {
        Report(e.what(), "");
    } catch (...) {
        Report("不明なエラーが発生しました", "");
    }
}

// ---------------------------------------------------------------------------
// TOnPlayEndThread

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

void TOnPlayEndThread::Terminate()
{
    {
        std::lock_guard lock(FLock);
        FTerminated = true;
        FWoken.notify_all();
    }
    if (FThread.joinable())
        FThread.join();
}

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

// ---------------------------------------------------------------------------
// TLowLVPCMThread

// All blocks in one allocation, and their headers.
struct TLowLVPCMThread::TRing {
    uint32_t BufferSize = 0;
    uint16_t Count = 0;
    std::unique_ptr<uint8_t[]> Memory;
    std::unique_ptr<TWaveHeader[]> Headers;

    uint8_t* Block(int Index) const { return Memory.get() + std::size_t(Index) * BufferSize; }
};

TLowLVPCMThread::TLowLVPCMThread(std::shared_ptr<TWaveOutDevice> Device)
    : FDevice(std::move(Device)), FEndThread(FErrors)
{
    for (auto& state : FBufState)
        state.store(bsFree);
    FThread = std::thread(&TLowLVPCMThread::Run, this);
}

TLowLVPCMThread::~TLowLVPCMThread()
{
    Terminate();
}

uint32_t TLowLVPCMThread::SleepMsFor(const TPCMSettings& Settings)
{
    // 64-bit so that large blocks and rates give the true duration.
    const uint64_t bytesPerSec = uint64_t(Settings.nSamplesPerSec) * Settings.nChannels * Settings.wBitsPerSample / 8;
    if (bytesPerSec == 0)
        return 100;
    // At least 1 ms, so that tiny blocks do not turn the worker into a busy loop.
    const uint64_t blockMs = uint64_t(Settings.BufferSize) * 1000 / bytesPerSec;
    return static_cast<uint32_t>(std::clamp<uint64_t>(blockMs / 2, 1, 100));
}

bool TLowLVPCMThread::IsCurrentThread()
{
    std::lock_guard lock(FMailLock);
    return std::this_thread::get_id() == FWorkerId;
}

void TLowLVPCMThread::SendCommand(TCommand Command)
{
    std::unique_lock lock(FMailLock);
    if (std::this_thread::get_id() == FWorkerId)
        throw ELowLVPCMError(kNotOnWorker);
    const auto idle = [this] { return FCommand == cmNone || FExited; };
    FMailbox.wait(lock, idle);
    if (FExited)
        return;
    FCommand = Command;
    FMailbox.notify_all();
    FMailbox.wait(lock, idle);
}

void TLowLVPCMThread::Configure(uint32_t DeviceID, bool UseGetPosition, const TPCMSettings& Settings,
                                const TPCMEvents& Events)
{
    std::lock_guard lock(FMailLock);
    FNextDeviceID = DeviceID;
    FNextUseGetPosition = UseGetPosition;
    FNextSettings = Settings;
    FNextEvents = Events;
}

void TLowLVPCMThread::SetPriority(TThreadPriority Priority)
{
    std::lock_guard lock(FPriorityLock);
    FPriority = Priority;
    if (FThreadId != 0)
        ApplyThreadPriority(FThreadId, FPriority);
}

void TLowLVPCMThread::SetOnError(TErrorEvent Hook)
{
    FErrors.SetHook(std::move(Hook));
}

void TLowLVPCMThread::Terminate()
{
    {
        std::lock_guard lock(FMailLock);
        FTerminated = true;
        FMailbox.notify_all();
    }
    if (FThread.joinable())
        FThread.join();
    FEndThread.Terminate();
}

void TLowLVPCMThread::Run()
{
    {
        std::lock_guard lock(FPriorityLock);
        FThreadId = CurrentThreadId();
        ApplyThreadPriority(FThreadId, FPriority);
    }
    std::unique_lock lock(FMailLock);
    FWorkerId = std::this_thread::get_id();
    const auto commanded = [this] { return FCommand != cmNone || FTerminated; };
    while (!FTerminated) {
        const uint8_t command = FCommand;
        lock.unlock();
        try {
            HandleCommand(command);
        } catch (...) {
            // Handlers' errors are reported where they are raised; this is
            // the last guard, so that the caller's wait always ends.
            FErrors.ReportCurrentException();
            ClearCommand();
        }
        if (IsPlaying()) {
            try {
                DoneBlockPass();
            } catch (...) {
                // A handler that cannot supply data ends the sound.
                FErrors.ReportCurrentException();
                StopPlaying(false);
            }
        }
        lock.lock();
        // Only a playing output needs polling; a command cuts the wait short.
        if (IsPlaying())
            FMailbox.wait_for(lock, std::chrono::milliseconds(FSleepMs.load()), commanded);
        else
            FMailbox.wait(lock, commanded);
    }
    lock.unlock();
    if (IsPlaying())
        StopPlaying(false);
    {
        std::lock_guard priority(FPriorityLock);
        FThreadId = 0;
    }
    lock.lock();
    FExited = true;
    FMailbox.notify_all();
}

void TLowLVPCMThread::HandleCommand(uint8_t Command)
{
    if (Command == cmStart && !IsPlaying())
        StartPlaying();
    else if (Command == cmStop && IsPlaying())
        StopPlaying(true);
    else if (Command != cmNone)
        ClearCommand();
}

void TLowLVPCMThread::ClearCommand()
{
    std::lock_guard lock(FMailLock);
    FCommand = cmNone;
    FMailbox.notify_all();
}

void TLowLVPCMThread::Raise(const TNotifyEvent& Event)
{
    if (!Event)
        return;
    try {
        Event(this);
    } catch (...) {
        FErrors.ReportCurrentException();
    }
}

void TLowLVPCMThread::StartPlaying()
{
    {
        std::lock_guard lock(FMailLock);
        FDeviceID = FNextDeviceID;
        FUseGetPosition = FNextUseGetPosition;
        FSettings = FNextSettings;
        FEvents = FNextEvents;
    }
    FEndThread.SetEvents(FEvents);
    FEndOfData = false;
    FRemaining = -1;
    FWriteIndex = 0;
    FPlayIndex = 0;
    FSleepMs = SleepMsFor(FSettings);

    bool started = false;
    try {
        started = StartProcedure();
    } catch (...) {
        FErrors.ReportCurrentException();
        FOutput.reset();
        FWaveOutHandle = 0;
        ReleaseRing();
    }
    FState = started ? stPlaying : stStopped;
    ClearCommand();
    if (started)
        Raise(FEvents.OnPlayStart);
}

bool TLowLVPCMThread::StartProcedure()
{
    AllocateRing();
    const TWaveFormat format = TWaveFormat::Pcm(FSettings.nChannels, FSettings.nSamplesPerSec, FSettings.wBitsPerSample);
    FOutput = FDevice->Open(FDeviceID, format);
    if (!FOutput) {
        ReleaseRing();
        FWaveOutHandle = 0;
        FErrors.Report("Wave デバイスを使用できません", "Error");
        return false;
    }
    FWaveOutHandle = FOutput->Handle();
    for (int i = 0; i < FRing->Count; ++i) {
        TWaveHeader& header = FRing->Headers[i];
        header.Data = FRing->Block(i);
        header.BufferLength = FRing->BufferSize;
        header.Flags = 0;
    }
    Prime();
    FOutput->Pause();
    for (int i = 0; i < FRing->Count && FBufState[i] != bsFree; ++i)
        Queue(i);
    FPlayIndex = 0;
    FOutput->Restart();
    return true;
}

void TLowLVPCMThread::AllocateRing()
{
    ReleaseRing();
    auto ring = std::make_unique<TRing>();
    ring->BufferSize = FSettings.BufferSize;
    ring->Count = FSettings.NumOfBuffers;
    try {
        ring->Memory = std::make_unique_for_overwrite<uint8_t[]>(std::size_t(ring->BufferSize) * ring->Count);
        ring->Headers = std::make_unique<TWaveHeader[]>(ring->Count);
    } catch (const std::bad_alloc&) {
        throw ELowLVPCMError("メモリが足りません");
    }
    for (int i = 0; i < ring->Count; ++i)
        FBufState[i] = bsFree;
    std::lock_guard lock(FRingLock);
    FRing = std::move(ring);
}

void TLowLVPCMThread::ReleaseRing()
{
    std::lock_guard lock(FRingLock);
    FRing.reset();
}

void TLowLVPCMThread::Prime()
{
    for (int i = 0; i < FRing->Count; ++i) {
        if (!FEndOfData && FEvents.OnBufferEmpty)
            FEvents.OnBufferEmpty(this);
        if (FEndOfData) {
            FRemaining = i;
            return;
        }
    }
}

// Hands a filled block to the output.
void TLowLVPCMThread::Queue(int Index)
{
    TWaveHeader& header = FRing->Headers[Index];
    header.BufferLength = FLengths[Index];
    FOutput->Prepare(header);
    FOutput->Write(header);
    FBufState[Index] = bsQueued;
}

void TLowLVPCMThread::DoneBlockPass()
{
    // The end was marked before any block was filled: nothing is queued.
    if (FRemaining == 0) {
        FinishAtEnd();
        return;
    }
    // One round of the ring at most: blocks that a handler left unfilled
    // keep their done flag, and the worker must get back to its commands.
    for (int round = 0; round < FRing->Count; ++round) {
        const int index = FPlayIndex;
        TWaveHeader& header = FRing->Headers[index];
        if (!header.IsDone())
            return;
        while (FOutput->Unprepare(header) == TWaveOutResult::StillPlaying)
            std::this_thread::yield();
        if (FRemaining > 0)
            --FRemaining;
        if (FRemaining == 0) {
            FinishAtEnd();
            return;
        }
        RefillDoneBlock(index);
        FPlayIndex = (index + 1) % FRing->Count;
        // A single block that was not refilled has nothing left to play.
        if (FRemaining == 0) {
            FinishAtEnd();
            return;
        }
    }
}

// Asks for the next data for a block that has played and queues it again.
// Since the write and play positions move in step, the handler's Write fills
// this very block.
void TLowLVPCMThread::RefillDoneBlock(int Index)
{
    if (FBufState[Index] != bsQueued)
        return;
    FBufState[Index] = bsFree;
    if (!FEndOfData) {
        if (FEvents.OnBufferEmpty)
            FEvents.OnBufferEmpty(this);
        // Every other block is still queued and has to play out.
        if (FEndOfData && FRemaining == -1)
            FRemaining = FRing->Count - 1;
    }
    if (FBufState[Index] == bsFilled)
        Queue(Index);
}

void TLowLVPCMThread::FinishAtEnd()
{
    StopPlaying(false);
    if (FEvents.OnPlayEnd)
        FEndThread.Wake();
}

void TLowLVPCMThread::StopPlaying(bool ByCommand)
{
    try {
        CloseProcedure();
    } catch (...) {
        FErrors.ReportCurrentException();
    }
    FState = stStopped;
    if (ByCommand)
        ClearCommand();
    Raise(FEvents.OnPlayStop);
}

// Closes the output and releases the ring. Both are released even when the
// output fails to reset or close, so that the player is stopped either way;
// the failure is raised afterwards.
void TLowLVPCMThread::CloseProcedure()
{
    TWaveOutResult reset = TWaveOutResult::Ok;
    TWaveOutResult closed = TWaveOutResult::Ok;
    if (FOutput) {
        reset = FOutput->Reset();
        if (reset == TWaveOutResult::Ok) {
            for (int i = 0; i < FRing->Count; ++i) {
                if (FBufState[i] == bsFree)
                    continue;
                while (FOutput->Unprepare(FRing->Headers[i]) == TWaveOutResult::StillPlaying)
                    std::this_thread::yield();
            }
            closed = FOutput->Close();
        }
    }
    FOutput.reset();
    FWaveOutHandle = 0;
    ReleaseRing();
    if (reset != TWaveOutResult::Ok)
        throw ELowLVPCMError("演奏を終了できません。");
    if (closed != TWaveOutResult::Ok)
        throw ELowLVPCMError("Wave デバイスを開放できません。");
}

void TLowLVPCMThread::Write(const void* Data, int32_t Size)
{
    std::lock_guard lock(FRingLock);
    const int32_t index = FWriteIndex;
    // Without a ring (not playing) there is no block to write into.
    if (!FRing || FBufState[index] != bsFree)
        throw ELowLVPCMError("バッファがいっぱいです.");
    if (!Data || Size == 0) {
        FEndOfData = true;
        return;
    }
    if (Size < 0)
        throw ELowLVPCMError(Format("Write : Size(=%d) が範囲外です", Size));
    if (static_cast<uint32_t>(Size) > FRing->BufferSize)
        throw ELowLVPCMError("サイズが大きすぎます");
    std::memcpy(FRing->Block(index), Data, static_cast<std::size_t>(Size));
    FLengths[index] = static_cast<uint32_t>(Size);
    FBufState[index].store(bsFilled, std::memory_order_release);
    if (FRing->Count > 1)
        FWriteIndex = (index + 1) % FRing->Count;
}

// ---------------------------------------------------------------------------
// TLowLVPCM

TLowLVPCM::TLowLVPCM() : TLowLVPCM(MakeSystemWaveOutDevice()) {}

TLowLVPCM::TLowLVPCM(std::shared_ptr<TWaveOutDevice> Device) : FThread(std::move(Device))
{
    FThread.SetPriority(FPriority);
}

TLowLVPCM::~TLowLVPCM()
{
    Stop();
    FThread.Terminate();
}

TNotifyEvent TLowLVPCM::Event(TNotifyEvent TPCMEvents::*Field) const
{
    std::lock_guard lock(FLock);
    return FEvents.*Field;
}

void TLowLVPCM::SetEvent(TNotifyEvent TPCMEvents::*Field, TNotifyEvent Value)
{
    std::lock_guard lock(FLock);
    FEvents.*Field = std::move(Value);
}

TNotifyEvent TLowLVPCM::OnBufferEmpty() const { return Event(&TPCMEvents::OnBufferEmpty); }
void TLowLVPCM::SetOnBufferEmpty(TNotifyEvent Value) { SetEvent(&TPCMEvents::OnBufferEmpty, std::move(Value)); }
TNotifyEvent TLowLVPCM::OnPlayStart() const { return Event(&TPCMEvents::OnPlayStart); }
void TLowLVPCM::SetOnPlayStart(TNotifyEvent Value) { SetEvent(&TPCMEvents::OnPlayStart, std::move(Value)); }
TNotifyEvent TLowLVPCM::OnPlayStop() const { return Event(&TPCMEvents::OnPlayStop); }
void TLowLVPCM::SetOnPlayStop(TNotifyEvent Value) { SetEvent(&TPCMEvents::OnPlayStop, std::move(Value)); }
TNotifyEvent TLowLVPCM::OnPlayEnd() const { return Event(&TPCMEvents::OnPlayEnd); }
void TLowLVPCM::SetOnPlayEnd(TNotifyEvent Value) { SetEvent(&TPCMEvents::OnPlayEnd, std::move(Value)); }

void TLowLVPCM::SetOnError(TErrorEvent Hook)
{
    FThread.SetOnError(std::move(Hook));
}

template <typename T>
T TLowLVPCM::Setting(T TPCMSettings::*Field) const
{
    std::lock_guard lock(FLock);
    return FSettings.*Field;
}

template <typename T>
void TLowLVPCM::SetSetting(T TPCMSettings::*Field, T Value, bool Valid, const char* Message)
{
    if (!Valid)
        throw EPropertyError(Message);
    std::lock_guard lock(FLock);
    FSettings.*Field = Value;
}

uint16_t TLowLVPCM::nChannels() const { return Setting(&TPCMSettings::nChannels); }
uint32_t TLowLVPCM::nSamplesPerSec() const { return Setting(&TPCMSettings::nSamplesPerSec); }
uint16_t TLowLVPCM::wBitsPerSample() const { return Setting(&TPCMSettings::wBitsPerSample); }
uint32_t TLowLVPCM::BufferSize() const { return Setting(&TPCMSettings::BufferSize); }
uint16_t TLowLVPCM::NumOfBuffers() const { return Setting(&TPCMSettings::NumOfBuffers); }

void TLowLVPCM::SetnChannels(uint16_t Value)
{
    SetSetting(&TPCMSettings::nChannels, Value, Value == 1 || Value == 2, "nChannel が範囲外です");
}

void TLowLVPCM::SetnSamplesPerSec(uint32_t Value)
{
    SetSetting(&TPCMSettings::nSamplesPerSec, Value, Value > 0, "nSamplesPerSec が範囲外です");
}

void TLowLVPCM::SetwBitsPerSample(uint16_t Value)
{
    SetSetting(&TPCMSettings::wBitsPerSample, Value, Value == 8 || Value == 16, "wBitsPerSample が範囲外です");
}

void TLowLVPCM::SetBufferSize(uint32_t Value)
{
    SetSetting(&TPCMSettings::BufferSize, Value, Value > 0, "BufferSize が範囲外です");
}

// The worker's per-block arrays hold 1024 entries; one is never used.
void TLowLVPCM::SetNumOfBuffers(uint16_t Value)
{
    SetSetting(&TPCMSettings::NumOfBuffers, Value, Value >= 1 && Value < TLowLVPCMThread::MaxBuffers,
               "NumOfBuffers が範囲外です");
}

int32_t TLowLVPCM::lhWaveOut() const
{
    return FThread.WaveOut();
}

uint32_t TLowLVPCM::DeviceID() const
{
    std::lock_guard lock(FLock);
    return FDeviceID;
}

void TLowLVPCM::SetDeviceID(uint32_t Value)
{
    std::lock_guard lock(FLock);
    FDeviceID = Value;
}

bool TLowLVPCM::UsewaveOutGetPostion() const
{
    std::lock_guard lock(FLock);
    return FUseGetPosition;
}

void TLowLVPCM::SetUsewaveOutGetPostion(bool Value)
{
    std::lock_guard lock(FLock);
    FUseGetPosition = Value;
}

TThreadPriority TLowLVPCM::Priority() const
{
    std::lock_guard lock(FLock);
    return FPriority;
}

void TLowLVPCM::SetPriority(TThreadPriority Value)
{
    std::lock_guard lock(FLock);
    FPriority = Value;
    FThread.SetPriority(Value);
}

void TLowLVPCM::Play()
{
    if (FThread.IsCurrentThread())
        throw ELowLVPCMError(kNotOnWorker);
    std::lock_guard command(FCommandLock);
    TPCMSettings settings;
    TPCMEvents events;
    uint32_t deviceID = 0;
    bool useGetPosition = false;
    {
        std::lock_guard lock(FLock);
        if (!FEvents.OnBufferEmpty)
            throw ELowLVPCMError("OnBufferEmpty に関連付けられていません");
        settings = FSettings;
        events = FEvents;
        deviceID = FDeviceID;
        useGetPosition = FUseGetPosition;
    }
    FThread.SendCommand(TLowLVPCMThread::cmStop);
    FThread.Configure(deviceID, useGetPosition, settings, events);
    FThread.SendCommand(TLowLVPCMThread::cmStart);
}

void TLowLVPCM::Stop()
{
    if (FThread.IsCurrentThread())
        throw ELowLVPCMError(kNotOnWorker);
    std::lock_guard command(FCommandLock);
    FThread.SendCommand(TLowLVPCMThread::cmStop);
}

void TLowLVPCM::Write(const void* Data, int32_t Size)
{
    FThread.Write(Data, Size);
}
