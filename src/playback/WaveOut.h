#pragma once
// The waveform-audio output the player drives: open an output for a PCM
// format, hand it blocks through their headers (prepare, write), watch each
// header's done flag, take the blocks back (unprepare), and reset, pause,
// restart and close the output. Results are codes: 0 for success, anything
// else a failure, and 33 from Unprepare while the output still holds the
// block.
//
// TWaveOutDevice opens outputs; TWaveOut is one open output. TQueuedWaveOut
// carries the block queue that every output shares: blocks are consumed in
// the order written, a block's done flag is set once all its bytes have been
// consumed, and a paused output consumes nothing. The real device and the
// virtual device for tests differ only in who consumes.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

enum class TWaveOutResult : uint32_t {
    Ok = 0,
    Error = 1,
    StillPlaying = 33,
    Unprepared = 34,
};

// Linear PCM: interleaved channels, 8-bit unsigned or 16-bit signed
// little-endian samples.
struct TWaveFormat {
    uint16_t nChannels = 1;
    uint32_t nSamplesPerSec = 22050;
    uint32_t nAvgBytesPerSec = 22050;
    uint16_t nBlockAlign = 1;
    uint16_t wBitsPerSample = 8;

    // The format with block alignment and byte rate derived from the rest.
    static TWaveFormat Pcm(uint16_t Channels, uint32_t SamplesPerSec, uint16_t BitsPerSample);
};

// One block as the output sees it. The owner fills Data and BufferLength;
// the output sets the flags. Flags are atomic because the output's consumer
// sets Done on its own thread while the owner polls it.
struct TWaveHeader {
    static constexpr uint32_t Done = 1;
    static constexpr uint32_t Prepared = 2;
    static constexpr uint32_t InQueue = 16;

    uint8_t* Data = nullptr;
    uint32_t BufferLength = 0;
    std::atomic<uint32_t> Flags{0};

    bool IsDone() const { return (Flags.load(std::memory_order_acquire) & Done) != 0; }
};

// One open output. Destroying it stops it at once, whether or not Close
// succeeded, so nothing touches the headers after it is gone.
class TWaveOut {
public:
    virtual ~TWaveOut() = default;

    // Non-zero while open; what the player shows as its device handle.
    virtual int32_t Handle() const = 0;

    virtual TWaveOutResult Prepare(TWaveHeader& Header) = 0;
    // StillPlaying while the header is queued.
    virtual TWaveOutResult Unprepare(TWaveHeader& Header) = 0;
    // Queues a prepared header; its bytes must stay valid until it is done.
    virtual TWaveOutResult Write(TWaveHeader& Header) = 0;
    virtual TWaveOutResult Pause() = 0;
    virtual TWaveOutResult Restart() = 0;
    // Stops output and marks every queued header done.
    virtual TWaveOutResult Reset() = 0;
    // StillPlaying while headers are queued.
    virtual TWaveOutResult Close() = 0;
};

// What the player reports (caption "Error") when its device gives no output.
inline constexpr char kWaveDeviceUnusable[] = "Wave デバイスを使用できません";

// Why a device gave no output, as far as it knows.
struct TOpenFailure {
    enum TKind { Unknown, NoDevice, Busy, Other };
    TKind Kind = Unknown;
    std::string Detail; // the audio library's words, when it gave some
};

class TWaveOutDevice {
public:
    // The number that selects the system's default output.
    static constexpr uint32_t DefaultOutput = 0xFFFFFFFF;

    virtual ~TWaveOutDevice() = default;
    // Opens output DeviceID for Format; null when it cannot be opened.
    virtual std::unique_ptr<TWaveOut> Open(uint32_t DeviceID, const TWaveFormat& Format) = 0;
    // Why the last Open gave null (for the window's advice); any thread may ask.
    virtual TOpenFailure LastOpenFailure() const { return {}; }
};

// The block queue shared by the outputs. Consume() is called by the
// subclass's consumer (an audio callback, a test's clock) and takes bytes
// from the queued headers in order.
class TQueuedWaveOut : public TWaveOut {
public:
    explicit TQueuedWaveOut(const TWaveFormat& Format);

    TWaveOutResult Prepare(TWaveHeader& Header) override;
    TWaveOutResult Unprepare(TWaveHeader& Header) override;
    TWaveOutResult Write(TWaveHeader& Header) override;
    TWaveOutResult Pause() override;
    TWaveOutResult Restart() override;
    TWaveOutResult Reset() override;

    const TWaveFormat& Format() const { return FFormat; }
    bool IsPaused() const;
    std::size_t QueuedBlocks() const;
    std::size_t QueuedBytes() const;

protected:
    // Copies up to Size queued bytes to Target, across block boundaries, and
    // returns how many it copied: 0 while paused or when nothing is queued.
    std::size_t Consume(uint8_t* Target, std::size_t Size);
    // Called after the queue changed (a write, a reset), without the lock.
    virtual void QueueChanged() {}

private:
    const TWaveFormat FFormat;
    mutable std::mutex FLock;
    std::deque<TWaveHeader*> FQueue;
    std::size_t FFrontOffset = 0;  // bytes of FQueue.front() already consumed
    bool FPaused = false;
};
