#pragma once
// A waveform-audio device for tests. It has no clock of its own: queued
// blocks play only when the test advances the clock, and every byte played
// is recorded in order, across opens. It opens one output at a time and can
// be told to fail the next opens, resets or closes.

#include "playback/WaveOut.h"

#include <chrono>
#include <condition_variable>
#include <vector>

class TVirtualWaveOutDevice : public TWaveOutDevice {
public:
    TVirtualWaveOutDevice();
    ~TVirtualWaveOutDevice() override;
    TVirtualWaveOutDevice(const TVirtualWaveOutDevice&) = delete;
    TVirtualWaveOutDevice& operator=(const TVirtualWaveOutDevice&) = delete;

    // Fails while another output is open or while told to fail. The device
    // must outlive the outputs it opens.
    std::unique_ptr<TWaveOut> Open(uint32_t DeviceID, const TWaveFormat& Format) override;

    void SetFailOpen(bool Fail);
    // Fails to open with Failure (NoDevice, Busy, ...) as its reason.
    void SetFailOpen(const TOpenFailure& Failure);
    TOpenFailure LastOpenFailure() const override;
    void SetFailReset(bool Fail);
    void SetFailClose(bool Fail);

    // Plays up to Bytes of what the open output has queued and returns how
    // many bytes it played: fewer when the queue runs dry, none while no
    // output is open or it is paused.
    std::size_t Advance(std::size_t Bytes);
    // Advances by Milliseconds of the open output's format (whole frames).
    std::size_t AdvanceMs(uint32_t Milliseconds);

    // Every byte played so far, in order.
    std::vector<uint8_t> Played() const;
    void ClearPlayed();

    bool IsOpen() const;
    bool IsPaused() const;
    std::size_t QueuedBlocks() const;
    std::size_t QueuedBytes() const;
    // Waits until the open output has at least Bytes queued; false when the
    // time runs out first.
    bool WaitForQueuedBytes(std::size_t Bytes, std::chrono::milliseconds Timeout) const;

    int OpenCount() const; // successful opens so far
    uint32_t LastDeviceID() const;
    TWaveFormat LastFormat() const;

private:
    class TOutput;
    void Detach(const TOutput* Output);
    void QueueChanged();
    bool FailReset() const;
    bool FailClose() const;

    mutable std::mutex FLock;
    mutable std::condition_variable FChanged;
    TOutput* FOutput = nullptr;
    std::vector<uint8_t> FPlayed;
    bool FFailOpen = false;
    TOpenFailure FOpenFailure;
    bool FFailReset = false;
    bool FFailClose = false;
    int32_t FNextHandle = 1;
    int FOpenCount = 0;
    uint32_t FLastDeviceID = 0;
    TWaveFormat FLastFormat;
};
