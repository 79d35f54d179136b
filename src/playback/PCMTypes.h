#pragma once
// What the player's classes share: its errors, the sender of its events, the
// event and error hooks, and the two records a start is made of.
//
// The value names nChannels, nSamplesPerSec and wBitsPerSample are the
// fields of the platform's wave format record that the player was first
// written against; callers and tests know the player's values by them, so
// they stay.

#include "common/Exception.h"
#include "playback/WaveOut.h"

#include <cstdint>
#include <functional>
#include <string>

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

// Everything a start uses besides the events: the format, the ring and the
// output. The component holds the values its properties show; Play hands the
// worker a copy, so a change during playback waits for the next Play.
struct TPCMSettings {
    uint16_t nChannels = 1;
    uint32_t nSamplesPerSec = 22050;
    uint16_t wBitsPerSample = 8;
    uint32_t BufferSize = 4096; // bytes per block
    uint16_t NumOfBuffers = 4;  // blocks in the ring
    uint32_t DeviceID = TWaveOutDevice::DefaultOutput;
    bool UseGetPosition = false; // stored and handed over; nothing depends on it
};

// The four events, copied to the worker with the settings at each Play.
struct TPCMEvents {
    TNotifyEvent OnBufferEmpty;
    TNotifyEvent OnPlayStart;
    TNotifyEvent OnPlayStop;
    TNotifyEvent OnPlayEnd;
};
