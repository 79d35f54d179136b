#include "playback/PortAudioWaveOut.h"

#include "common/Platform.h"

#include <portaudio.h>

#include <algorithm>
#include <cstring>

namespace {

// What an error of opening or starting a stream says about the device.
TOpenFailure::TKind FailureKind(PaError Error)
{
    switch (Error) {
    case paDeviceUnavailable:
        return TOpenFailure::Busy;
    case paInvalidDevice:
    case paNoDevice:
        return TOpenFailure::NoDevice;
    default:
        return TOpenFailure::Other;
    }
}

class TPortAudioOutput : public TQueuedWaveOut {
public:
    TPortAudioOutput(const TWaveFormat& Format, int32_t Handle)
        : TQueuedWaveOut(Format), FHandle(Handle), FSilence(Format.wBitsPerSample == 8 ? 0x80 : 0)
    {
    }

    ~TPortAudioOutput() override
    {
        if (FStream) {
            Pa_AbortStream(FStream);
            Pa_CloseStream(FStream);
        }
    }

    // Opens and starts the stream; it plays silence until blocks are queued.
    // Returns the library's error, paNoError when playing.
    PaError Start(PaDeviceIndex Device)
    {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(Device);
        if (!info || info->maxOutputChannels < Format().nChannels)
            return paInvalidDevice;
        PaStreamParameters parameters{};
        parameters.device = Device;
        parameters.channelCount = Format().nChannels;
        parameters.sampleFormat = Format().wBitsPerSample == 8 ? paUInt8 : paInt16;
        // The device's robust latency (tens of milliseconds), not its lowest:
        // the player's own ring already holds a few blocks, and a buffer of a
        // few milliseconds runs dry whenever the machine is busy for a moment,
        // which a sound server plays as a gap. A stop does not wait for it.
        parameters.suggestedLatency = info->defaultHighOutputLatency;
        if (const PaError opened = Pa_OpenStream(&FStream, nullptr, &parameters, Format().nSamplesPerSec,
                                                 paFramesPerBufferUnspecified, paNoFlag, &Callback, this);
            opened != paNoError) {
            FStream = nullptr;
            return opened;
        }
        return Pa_StartStream(FStream);
    }

    int32_t Handle() const override { return FHandle; }

    TWaveOutResult Close() override
    {
        if (QueuedBlocks() > 0)
            return TWaveOutResult::StillPlaying;
        // Stopping lets what the stream already holds reach the device.
        const PaError stopped = Pa_StopStream(FStream);
        const PaError closed = Pa_CloseStream(FStream);
        FStream = nullptr;
        return stopped == paNoError && closed == paNoError ? TWaveOutResult::Ok : TWaveOutResult::Error;
    }

private:
    static int Callback(const void*, void* Output, unsigned long Frames, const PaStreamCallbackTimeInfo*,
                        PaStreamCallbackFlags, void* Self)
    {
        auto& self = *static_cast<TPortAudioOutput*>(Self);
        auto* target = static_cast<uint8_t*>(Output);
        const std::size_t bytes = Frames * self.Format().nBlockAlign;
        const std::size_t played = self.Consume(target, bytes);
        std::memset(target + played, self.FSilence, bytes - played);
        return paContinue;
    }

    const int32_t FHandle;
    const uint8_t FSilence;
    PaStream* FStream = nullptr;
};

} // namespace

TPortAudioWaveOutDevice::TPortAudioWaveOutDevice() = default;

TPortAudioWaveOutDevice::~TPortAudioWaveOutDevice()
{
    if (FInitialized)
        Pa_Terminate();
}

TOpenFailure TPortAudioWaveOutDevice::LastOpenFailure() const
{
    std::lock_guard lock(FLock);
    return FLastFailure;
}

bool TPortAudioWaveOutDevice::Initialize()
{
    if (!FInitialized) {
        Platform::QuietSoundLibraries();
        FInitialized = Pa_Initialize() == paNoError;
    }
    return FInitialized;
}

std::unique_ptr<TWaveOut> TPortAudioWaveOutDevice::Open(uint32_t DeviceID, const TWaveFormat& Format)
{
    std::lock_guard lock(FLock);
    FLastFailure = {};
    if (!Initialize()) {
        FLastFailure = {TOpenFailure::NoDevice, "audio library not initialised"};
        return nullptr;
    }
    if (Format.nBlockAlign == 0)
        return nullptr;
    PaDeviceIndex device = paNoDevice;
    if (DeviceID == DefaultOutput)
        device = Pa_GetDefaultOutputDevice();
    else if (DeviceID < static_cast<uint32_t>(std::max(Pa_GetDeviceCount(), 0)))
        device = static_cast<PaDeviceIndex>(DeviceID);
    if (device == paNoDevice) {
        FLastFailure = {TOpenFailure::NoDevice, {}};
        return nullptr;
    }
    auto output = std::make_unique<TPortAudioOutput>(Format, FNextHandle++);
    if (const PaError error = output->Start(device); error != paNoError) {
        FLastFailure = {FailureKind(error), Pa_GetErrorText(error)};
        return nullptr;
    }
    return output;
}

std::shared_ptr<TWaveOutDevice> MakeSystemWaveOutDevice()
{
    return std::make_shared<TPortAudioWaveOutDevice>();
}
