// How quickly the player answers its owner, on the virtual device: the time
// from Play to OnPlayStart (stop, configure, allocate the ring, open, prime
// four blocks, start) and from Stop to its return (close and release), each
// against the duration of one block at 44100 Hz, mono, 16 bits with
// 4096-byte blocks (about 46 ms), the span by which a poll-and-sleep worker
// would answer. Goal: at most 0.1 for both medians.

#include "playback/LowLVPCM.h"
#include "playback/PlayerHarness.h"
#include "playback/VirtualWaveOut.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

constexpr uint32_t kBlockBytes = 4096;
constexpr double kBlockSeconds = kBlockBytes / (44100.0 * 2);

// Records when OnPlayStart was raised and lets the benchmark wait for it.
class TStartSignal {
public:
    void Raise()
    {
        std::lock_guard lock(FLock);
        FAt = TClock::now();
        FRaised = true;
        FChanged.notify_all();
    }
    TClock::time_point Wait()
    {
        std::unique_lock lock(FLock);
        FChanged.wait(lock, [this] { return FRaised; });
        FRaised = false;
        return FAt;
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    TClock::time_point FAt;
    bool FRaised = false;
};

std::vector<double> PlayToStart;
std::vector<double> StopToReturn;

double Seconds(TClock::duration Duration)
{
    return std::chrono::duration<double>(Duration).count();
}

void BM_PlayAndStop(benchmark::State& state)
{
    const std::vector<uint8_t> block(kBlockBytes, 0x55);
    TStartSignal started;
    TLowLVPCM player(std::make_shared<TVirtualWaveOutDevice>());
    player.SetnSamplesPerSec(44100);
    player.SetwBitsPerSample(16);
    player.SetBufferSize(kBlockBytes);
    player.SetOnBufferEmpty([&](TPCMThread*) { player.Write(block.data(), kBlockBytes); });
    player.SetOnPlayStart([&](TPCMThread*) { started.Raise(); });
    for (auto _ : state) {
        const TClock::time_point play = TClock::now();
        player.Play();
        const double toStart = Seconds(started.Wait() - play);
        const TClock::time_point stop = TClock::now();
        player.Stop();
        const double toReturn = Seconds(TClock::now() - stop);
        PlayToStart.push_back(toStart);
        StopToReturn.push_back(toReturn);
        state.SetIterationTime(toStart + toReturn);
    }
}

BENCHMARK(BM_PlayAndStop)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const double start = Median(PlayToStart);
    const double stop = Median(StopToReturn);
    std::printf("median Play -> OnPlayStart: %.1f us, Stop -> return: %.1f us, one block: %.1f ms\n", start * 1e6,
                stop * 1e6, kBlockSeconds * 1e3);
    std::printf("RATIO Play -> OnPlayStart / block duration: %.4f (goal <= 0.1)\n", start / kBlockSeconds);
    std::printf("RATIO Stop -> return / block duration: %.4f (goal <= 0.1)\n", stop / kBlockSeconds);
    benchmark::Shutdown();
}
