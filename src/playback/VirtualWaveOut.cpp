#include "playback/VirtualWaveOut.h"

class TVirtualWaveOutDevice::TOutput : public TQueuedWaveOut {
public:
    TOutput(TVirtualWaveOutDevice& Device, const TWaveFormat& Format, int32_t Handle)
        : TQueuedWaveOut(Format), FDevice(Device), FHandle(Handle)
    {
    }
    ~TOutput() override { FDevice.Detach(this); }

    int32_t Handle() const override { return FHandle; }

    TWaveOutResult Reset() override
    {
        if (FDevice.FailReset())
            return TWaveOutResult::Error;
        return TQueuedWaveOut::Reset();
    }

    TWaveOutResult Close() override
    {
        if (FDevice.FailClose())
            return TWaveOutResult::Error;
        if (QueuedBlocks() > 0)
            return TWaveOutResult::StillPlaying;
        FDevice.Detach(this);
        return TWaveOutResult::Ok;
    }

    using TQueuedWaveOut::Consume;

protected:
    void QueueChanged() override { FDevice.QueueChanged(); }

private:
    TVirtualWaveOutDevice& FDevice;
    const int32_t FHandle;
};

TVirtualWaveOutDevice::TVirtualWaveOutDevice() = default;
TVirtualWaveOutDevice::~TVirtualWaveOutDevice() = default;

std::unique_ptr<TWaveOut> TVirtualWaveOutDevice::Open(uint32_t DeviceID, const TWaveFormat& Format)
{
    std::lock_guard lock(FLock);
    if (FFailOpen || FOutput)
        return nullptr;
    auto output = std::make_unique<TOutput>(*this, Format, FNextHandle++);
    FOutput = output.get();
    ++FOpenCount;
    FLastDeviceID = DeviceID;
    FLastFormat = Format;
    FChanged.notify_all();
    return output;
}

void TVirtualWaveOutDevice::Detach(const TOutput* Output)
{
    std::lock_guard lock(FLock);
    if (FOutput != Output)
        return;
    FOutput = nullptr;
    FChanged.notify_all();
}

void TVirtualWaveOutDevice::QueueChanged()
{
    std::lock_guard lock(FLock);
    FChanged.notify_all();
}

void TVirtualWaveOutDevice::SetFailOpen(bool Fail)
{
    std::lock_guard lock(FLock);
    FFailOpen = Fail;
    FOpenFailure = {};
}

void TVirtualWaveOutDevice::SetFailOpen(const TOpenFailure& Failure)
{
    std::lock_guard lock(FLock);
    FFailOpen = true;
    FOpenFailure = Failure;
}

TOpenFailure TVirtualWaveOutDevice::LastOpenFailure() const
{
    std::lock_guard lock(FLock);
    return FOpenFailure;
}

void TVirtualWaveOutDevice::SetFailReset(bool Fail)
{
    std::lock_guard lock(FLock);
    FFailReset = Fail;
}

void TVirtualWaveOutDevice::SetFailClose(bool Fail)
{
    std::lock_guard lock(FLock);
    FFailClose = Fail;
}

bool TVirtualWaveOutDevice::FailReset() const
{
    std::lock_guard lock(FLock);
    return FFailReset;
}

bool TVirtualWaveOutDevice::FailClose() const
{
    std::lock_guard lock(FLock);
    return FFailClose;
}

std::size_t TVirtualWaveOutDevice::Advance(std::size_t Bytes)
{
    std::lock_guard lock(FLock);
    if (!FOutput)
        return 0;
    const std::size_t start = FPlayed.size();
    FPlayed.resize(start + Bytes);
    const std::size_t played = FOutput->Consume(FPlayed.data() + start, Bytes);
    FPlayed.resize(start + played);
    return played;
}

std::size_t TVirtualWaveOutDevice::AdvanceMs(uint32_t Milliseconds)
{
    std::size_t bytes = 0;
    {
        std::lock_guard lock(FLock);
        if (!FOutput)
            return 0;
        const TWaveFormat& format = FOutput->Format();
        bytes = static_cast<std::size_t>(uint64_t(Milliseconds) * format.nAvgBytesPerSec / 1000);
        if (format.nBlockAlign > 0)
            bytes -= bytes % format.nBlockAlign;
    }
    return Advance(bytes);
}

std::vector<uint8_t> TVirtualWaveOutDevice::Played() const
{
    std::lock_guard lock(FLock);
    return FPlayed;
}

void TVirtualWaveOutDevice::ClearPlayed()
{
    std::lock_guard lock(FLock);
    FPlayed.clear();
}

bool TVirtualWaveOutDevice::IsOpen() const
{
    std::lock_guard lock(FLock);
    return FOutput != nullptr;
}

bool TVirtualWaveOutDevice::IsPaused() const
{
    std::lock_guard lock(FLock);
    return FOutput && FOutput->IsPaused();
}

std::size_t TVirtualWaveOutDevice::QueuedBlocks() const
{
    std::lock_guard lock(FLock);
    return FOutput ? FOutput->QueuedBlocks() : 0;
}

std::size_t TVirtualWaveOutDevice::QueuedBytes() const
{
    std::lock_guard lock(FLock);
    return FOutput ? FOutput->QueuedBytes() : 0;
}

bool TVirtualWaveOutDevice::WaitForQueuedBytes(std::size_t Bytes, std::chrono::milliseconds Timeout) const
{
    std::unique_lock lock(FLock);
    return FChanged.wait_for(lock, Timeout, [&] { return FOutput && FOutput->QueuedBytes() >= Bytes; });
}

int TVirtualWaveOutDevice::OpenCount() const
{
    std::lock_guard lock(FLock);
    return FOpenCount;
}

uint32_t TVirtualWaveOutDevice::LastDeviceID() const
{
    std::lock_guard lock(FLock);
    return FLastDeviceID;
}

TWaveFormat TVirtualWaveOutDevice::LastFormat() const
{
    std::lock_guard lock(FLock);
    return FLastFormat;
}
