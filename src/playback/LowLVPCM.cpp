#include "playback/LowLVPCM.h"

#include "playback/PortAudioWaveOut.h"

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

template <typename TRecord, typename T>
T TLowLVPCM::Get(T TRecord::*Field) const
{
    std::lock_guard lock(FLock);
    return Record(static_cast<TRecord*>(nullptr)).*Field;
}

template <typename TRecord, typename T>
void TLowLVPCM::Set(T TRecord::*Field, T Value, bool Valid, const char* Message)
{
    if (!Valid)
        throw EPropertyError(Message);
    std::lock_guard lock(FLock);
    Record(static_cast<TRecord*>(nullptr)).*Field = std::move(Value);
}

TNotifyEvent TLowLVPCM::OnBufferEmpty() const { return Get(&TPCMEvents::OnBufferEmpty); }
void TLowLVPCM::SetOnBufferEmpty(TNotifyEvent Value) { Set(&TPCMEvents::OnBufferEmpty, std::move(Value)); }
TNotifyEvent TLowLVPCM::OnPlayStart() const { return Get(&TPCMEvents::OnPlayStart); }
void TLowLVPCM::SetOnPlayStart(TNotifyEvent Value) { Set(&TPCMEvents::OnPlayStart, std::move(Value)); }
TNotifyEvent TLowLVPCM::OnPlayStop() const { return Get(&TPCMEvents::OnPlayStop); }
void TLowLVPCM::SetOnPlayStop(TNotifyEvent Value) { Set(&TPCMEvents::OnPlayStop, std::move(Value)); }
TNotifyEvent TLowLVPCM::OnPlayEnd() const { return Get(&TPCMEvents::OnPlayEnd); }
void TLowLVPCM::SetOnPlayEnd(TNotifyEvent Value) { Set(&TPCMEvents::OnPlayEnd, std::move(Value)); }

void TLowLVPCM::SetOnError(TErrorEvent Hook)
{
    FThread.SetOnError(std::move(Hook));
}

uint16_t TLowLVPCM::nChannels() const { return Get(&TPCMSettings::nChannels); }
uint32_t TLowLVPCM::nSamplesPerSec() const { return Get(&TPCMSettings::nSamplesPerSec); }
uint16_t TLowLVPCM::wBitsPerSample() const { return Get(&TPCMSettings::wBitsPerSample); }
uint32_t TLowLVPCM::BufferSize() const { return Get(&TPCMSettings::BufferSize); }
uint16_t TLowLVPCM::NumOfBuffers() const { return Get(&TPCMSettings::NumOfBuffers); }
uint32_t TLowLVPCM::DeviceID() const { return Get(&TPCMSettings::DeviceID); }
bool TLowLVPCM::UsewaveOutGetPostion() const { return Get(&TPCMSettings::UseGetPosition); }

void TLowLVPCM::SetnChannels(uint16_t Value)
{
    Set(&TPCMSettings::nChannels, Value, Value == 1 || Value == 2, "nChannel が範囲外です");
}

void TLowLVPCM::SetnSamplesPerSec(uint32_t Value)
{
    Set(&TPCMSettings::nSamplesPerSec, Value, Value > 0, "nSamplesPerSec が範囲外です");
}

void TLowLVPCM::SetwBitsPerSample(uint16_t Value)
{
    Set(&TPCMSettings::wBitsPerSample, Value, Value == 8 || Value == 16, "wBitsPerSample が範囲外です");
}

void TLowLVPCM::SetBufferSize(uint32_t Value)
{
    Set(&TPCMSettings::BufferSize, Value, Value > 0, "BufferSize が範囲外です");
}

// The worker's per-block arrays hold 1024 entries; one is never used.
void TLowLVPCM::SetNumOfBuffers(uint16_t Value)
{
    Set(&TPCMSettings::NumOfBuffers, Value, Value >= 1 && Value < TLowLVPCMThread::MaxBuffers,
        "NumOfBuffers が範囲外です");
}

void TLowLVPCM::SetDeviceID(uint32_t Value) { Set(&TPCMSettings::DeviceID, Value); }
void TLowLVPCM::SetUsewaveOutGetPostion(bool Value) { Set(&TPCMSettings::UseGetPosition, Value); }

int32_t TLowLVPCM::lhWaveOut() const
{
    return FThread.WaveOut();
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
    FThread.CheckCaller();
    std::lock_guard command(FCommandLock);
    TPCMSettings settings;
    TPCMEvents events;
    {
        std::lock_guard lock(FLock);
        if (!FEvents.OnBufferEmpty)
            throw ELowLVPCMError("OnBufferEmpty に関連付けられていません");
        settings = FSettings;
        events = FEvents;
    }
    FThread.SendCommand(TLowLVPCMThread::cmStop);
    FThread.Configure(settings, events);
    FThread.SendCommand(TLowLVPCMThread::cmStart);
}

void TLowLVPCM::Stop()
{
    FThread.CheckCaller();
    std::lock_guard command(FCommandLock);
    FThread.SendCommand(TLowLVPCMThread::cmStop);
}

void TLowLVPCM::Write(const void* Data, int32_t Size)
{
    FThread.Write(Data, Size);
}
