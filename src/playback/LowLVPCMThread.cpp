#include "playback/LowLVPCMThread.h"

#include "common/Format.h"
#include "playback/SleepingThread.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

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

void TLowLVPCMThread::CheckCaller()
{
    std::lock_guard lock(FMailLock);
    if (std::this_thread::get_id() == FWorkerId)
        throw ELowLVPCMError("再生スレッドのイベントの中から Play や Stop は呼べません");
}

void TLowLVPCMThread::SendCommand(TCommand Command)
{
    CheckCaller();
    std::unique_lock lock(FMailLock);
    const auto idle = [this] { return FCommand == cmNone || FExited; };
    FMailbox.wait(lock, idle);
    if (FExited)
        return;
    FCommand = Command;
    FMailbox.notify_all();
    FMailbox.wait(lock, idle);
}

void TLowLVPCMThread::Configure(const TPCMSettings& Settings, const TPCMEvents& Events)
{
    std::lock_guard lock(FMailLock);
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
    EndSleepingThread(FMailLock, FMailbox, FTerminated, FThread);
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
    FOutput = FDevice->Open(FSettings.DeviceID, format);
    if (!FOutput) {
        ReleaseRing();
        FWaveOutHandle = 0;
        FErrors.Report(kWaveDeviceUnusable, "Error");
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
