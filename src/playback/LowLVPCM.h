#pragma once
// TLowLVPCM (low-level PCM) streams PCM audio to a waveform-audio output
// without holding the sound itself. It keeps a ring of NumOfBuffers blocks of
// BufferSize bytes; whenever a block is free its worker thread raises
// OnBufferEmpty, whose handler hands over the next stretch of samples with
// exactly one Write, or marks the end of the sound with a Write of no data.
// The queued blocks then play out, the output is closed and OnPlayStop and
// OnPlayEnd report the end.
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

#include "playback/LowLVPCMThread.h"
#include "playback/PCMTypes.h"
#include "playback/ThreadPriority.h"
#include "playback/WaveOut.h"

#include <memory>
#include <mutex>

// A property class: each value has its own getter and its own checking
// setter, as the component it replaces published them, so that an owner sets
// what it needs one value at a time and a bad value is refused where it is
// set. The values live in the two records (TPCMSettings, TPCMEvents) that
// Play hands to the worker whole; only Priority, which reaches the running
// worker at once, lives outside them.
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
    // keep the old value. Their messages name the property; the one for
    // nChannels says "nChannel" as it always has.
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
    // The open output's handle; 0 while none is open. Named, as the
    // platform names a wave output handle, "lh" for a long handle.
    int32_t lhWaveOut() const;
    uint32_t DeviceID() const;
    void SetDeviceID(uint32_t Value); // TWaveOutDevice::DefaultOutput or a device number
    // Whether to ask the output for its play position; nothing depends on it.
    // "Postion" is misspelt in the inherited name, which callers and tests
    // use; the spelling stays.
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
    // The one accessor pair behind every property of the two records.
    template <typename TRecord, typename T>
    T Get(T TRecord::*Field) const;
    template <typename TRecord, typename T>
    void Set(T TRecord::*Field, T Value, bool Valid = true, const char* Message = "");
    TPCMSettings& Record(TPCMSettings*) { return FSettings; }
    TPCMEvents& Record(TPCMEvents*) { return FEvents; }
    const TPCMSettings& Record(TPCMSettings*) const { return FSettings; }
    const TPCMEvents& Record(TPCMEvents*) const { return FEvents; }

    mutable std::mutex FLock; // the property values below
    TPCMSettings FSettings;
    TPCMEvents FEvents;
    TThreadPriority FPriority = TThreadPriority::tpHighest;

    std::mutex FCommandLock; // one Play or Stop at a time
    TLowLVPCMThread FThread;
};
