#pragma once
// The system's audio output through PortAudio. Device numbers are PortAudio
// device indexes; TWaveOutDevice::DefaultOutput is PortAudio's default
// output. Queued blocks are consumed by the stream's callback; while paused,
// or when the queue runs dry, the output plays silence.
//
// PortAudio is initialised at the first Open and terminated with the device.
// The probing messages that ALSA and JACK print when a card or a server is
// missing are silenced, so an absent device shows only as a failed Open.

#include "playback/WaveOut.h"

class TPortAudioWaveOutDevice : public TWaveOutDevice {
public:
    TPortAudioWaveOutDevice();
    ~TPortAudioWaveOutDevice() override;
    TPortAudioWaveOutDevice(const TPortAudioWaveOutDevice&) = delete;
    TPortAudioWaveOutDevice& operator=(const TPortAudioWaveOutDevice&) = delete;

    std::unique_ptr<TWaveOut> Open(uint32_t DeviceID, const TWaveFormat& Format) override;
    TOpenFailure LastOpenFailure() const override;

private:
    bool Initialize();

    mutable std::mutex FLock;
    TOpenFailure FLastFailure;
    bool FInitialized = false;
    int32_t FNextHandle = 1;
};

// The device the player uses unless it is given another one.
std::shared_ptr<TWaveOutDevice> MakeSystemWaveOutDevice();
