#pragma once
// What the player's tests and benchmark share: a log of the events in the
// order raised (waitable from the test thread), and a feeder that hands a
// known byte stream to the player block by block, and the median the
// benchmarks report.

#include "playback/LowLVPCM.h"
#include "playback/VirtualWaveOut.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

class TEventLog {
public:
    void Add(const std::string& Entry)
    {
        std::lock_guard lock(FLock);
        FEntries.push_back(Entry);
        FChanged.notify_all();
    }

    // Waits until Entry has been logged Count times; false on timeout.
    bool WaitFor(const std::string& Entry, int Count = 1,
                 std::chrono::milliseconds Timeout = std::chrono::seconds(10))
    {
        std::unique_lock lock(FLock);
        return FChanged.wait_for(lock, Timeout, [&] {
            return std::count(FEntries.begin(), FEntries.end(), Entry) >= Count;
        });
    }

    int CountOf(const std::string& Entry) const
    {
        std::lock_guard lock(FLock);
        return static_cast<int>(std::count(FEntries.begin(), FEntries.end(), Entry));
    }

    std::vector<std::string> Entries() const
    {
        std::lock_guard lock(FLock);
        return FEntries;
    }

    void Clear()
    {
        std::lock_guard lock(FLock);
        FEntries.clear();
    }

private:
    mutable std::mutex FLock;
    std::condition_variable FChanged;
    std::vector<std::string> FEntries;
};

// Logs the four events as "Empty", "Start", "Stop" and "End"; an event with
// a sender other than the thread that should raise it is logged with a "?".
// OnBufferEmpty then runs Feed.
inline void LogEvents(TLowLVPCM& Player, TEventLog& Log, std::function<void()> Feed)
{
    TPCMThread* worker = &Player.Thread();
    TPCMThread* reporter = &Player.Thread().EndThread();
    const auto logAs = [&Log](std::string Name, TPCMThread* Expected) {
        return [&Log, Name, Expected](TPCMThread* Sender) { Log.Add(Sender == Expected ? Name : Name + "?"); };
    };
    Player.SetOnBufferEmpty([logEmpty = logAs("Empty", worker), Feed](TPCMThread* Sender) {
        logEmpty(Sender);
        Feed();
    });
    Player.SetOnPlayStart(logAs("Start", worker));
    Player.SetOnPlayStop(logAs("Stop", worker));
    Player.SetOnPlayEnd(logAs("End", reporter));
}

// Lets Device play Block bytes at a time, each as soon as the worker has
// queued something, until Log shows the player's stop or MaxBytes have
// played. False when the worker stops queueing for 20 s.
inline bool PlayUntilStopped(TVirtualWaveOutDevice& Device, TEventLog& Log, std::size_t Block,
                             std::size_t MaxBytes = SIZE_MAX)
{
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    std::size_t played = 0;
    while (played < MaxBytes && !Log.WaitFor("Stop", 1, 0ms)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (Device.WaitForQueuedBytes(1, 10ms))
            played += Device.Advance(std::min(Block, MaxBytes - played));
    }
    return true;
}

// Hands Stream to the player in blocks of at most Block bytes, then marks
// the end. Runs on the worker only, between Play and the end.
struct TStreamFeeder {
    std::vector<uint8_t> Stream;
    std::size_t Block = 4096;
    std::size_t Position = 0;

    void Feed(TLowLVPCM& Player)
    {
        const std::size_t n = std::min(Block, Stream.size() - Position);
        Player.Write(n ? Stream.data() + Position : nullptr, static_cast<int32_t>(n));
        Position += n;
    }
};

// Bytes 0, 1, 2, ... wrapping at 251, so that a lost, doubled or reordered
// stretch shows.
inline std::vector<uint8_t> ByteRamp(std::size_t Count)
{
    std::vector<uint8_t> bytes(Count);
    for (std::size_t i = 0; i < Count; ++i)
        bytes[i] = static_cast<uint8_t>(i % 251);
    return bytes;
}

// The middle of Values (0 for none), for the benchmarks' figures.
inline double Median(std::vector<double> Values)
{
    if (Values.empty())
        return 0;
    std::nth_element(Values.begin(), Values.begin() + Values.size() / 2, Values.end());
    return Values[Values.size() / 2];
}

// Bytes played or recorded as the 16-bit samples they hold.
inline std::vector<int16_t> Int16Samples(const std::vector<uint8_t>& Bytes)
{
    std::vector<int16_t> samples(Bytes.size() / 2);
    if (!samples.empty())
        std::memcpy(samples.data(), Bytes.data(), samples.size() * 2);
    return samples;
}

// Ramp(Count) as it plays: to the loop end, then the loop again and again,
// cut to Samples; without a loop the whole ramp once.
inline std::vector<int16_t> LoopStream(std::size_t Count, int32_t Start, int32_t End, std::size_t Samples)
{
    if (End == 0)
        return Ramp(Count);
    std::vector<int16_t> stream = Ramp(static_cast<std::size_t>(End));
    while (stream.size() < Samples)
        for (int32_t s = Start; s < End; ++s)
            stream.push_back(static_cast<int16_t>(s));
    stream.resize(Samples);
    return stream;
}
