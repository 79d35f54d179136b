// How soon a loop edit is heard while a wave plays, on the virtual device
// played in real time at 44100 Hz, mono, 16 bits, with the window's blocks
// (LiveBlockBytes: 1024 bytes, 11.6 ms) in the player's default ring of four. The wave's loop is
// switched between two loops far apart at a random moment in a block, as the
// window does (TLoopFeeder::Follow); the delay runs from the switch to the
// first sample of the new loop that the device plays. The figure is that
// delay against one block's length: the blocks already queued at the switch
// (up to the ring's count, plus the part of the block being played and the
// worker's poll). The edit itself reaches the next block the worker fills.
// Goal: heard within 50 ms.

#include "document/KSD.h"
#include "playback/LoopFeeder.h"
#include "playback/LowLVPCM.h"
#include "playback/PlayerHarness.h"
#include "playback/VirtualWaveOut.h"
#include "support/TestFiles.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

constexpr uint32_t kRate = 44100;
constexpr double kBytesPerSecond = kRate * 2.0;
constexpr int32_t kCount = 40000;
constexpr TWaveLoop kLoops[] = {{1000, 3000}, {30000, 32000}};

std::vector<double> DelaySeconds;
std::vector<double> QueuedBlocks;
double BlockSeconds = 0;

// Plays what the output has queued at the rate real time goes, in steps of
// a millisecond, until stopped.
class TRealTimeClock {
public:
    explicit TRealTimeClock(TVirtualWaveOutDevice& Device) : FDevice(Device), FThread([this] { Run(); }) {}
    ~TRealTimeClock()
    {
        FStopped = true;
        FThread.join();
    }

private:
    void Run()
    {
        const TClock::time_point start = TClock::now();
        uint64_t played = 0;
        while (!FStopped) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const double due = std::chrono::duration<double>(TClock::now() - start).count() * kBytesPerSecond;
            const auto target = static_cast<uint64_t>(due) & ~uint64_t{1};
            // What the ring did not hold in time is not made up later.
            FDevice.Advance(std::size_t(target - played));
            played = target;
        }
    }

    TVirtualWaveOutDevice& FDevice;
    std::atomic<bool> FStopped = false;
    std::thread FThread;
};

// The first sample at or after From that lies in Loop.
std::ptrdiff_t FirstIn(const std::vector<uint8_t>& Played, std::size_t From, const TWaveLoop& Loop)
{
    for (std::size_t i = From * 2; i + 1 < Played.size(); i += 2) {
        const int32_t sample = static_cast<uint16_t>(Played[i] | Played[i + 1] << 8); // the ramp's own value
        if (sample >= Loop.Start && sample < Loop.End)
            return std::ptrdiff_t(i / 2 - From);
    }
    return -1;
}

void BM_LoopEditHeard(benchmark::State& state)
{
    const TTempDir dir;
    TKSD list;
    list.AddWave(dir.Wav("wave.wav", kCount, kRate));
    TWaveInfo& wave = *list.GetWave(0);
    wave.SetLoopEnd(kLoops[0].End);
    wave.SetLoopStart(kLoops[0].Start);

    const auto device = std::make_shared<TVirtualWaveOutDevice>();
    TLoopFeeder feeder;
    TLowLVPCM player(device);
    player.SetnSamplesPerSec(kRate);
    player.SetwBitsPerSample(16);
    player.SetBufferSize(LiveBlockBytes(kRate));
    player.SetOnBufferEmpty([&](TPCMThread*) { feeder.Feed(player); });
    BlockSeconds = player.BufferSize() / kBytesPerSecond;
    feeder.Start(wave, player.BufferSize());
    player.Play();
    TRealTimeClock clock(*device);
    // Into the loop first: an edit on the way into it only moves the end
    // ahead, which the sound reaches in its own time.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::mt19937 random(32);
    std::uniform_int_distribution<int> withinBlock(0, int(BlockSeconds * 1e6));
    int loop = 0;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::microseconds(withinBlock(random)));
        loop = 1 - loop;
        wave.SetLoopStart(0);
        wave.SetLoopEnd(kLoops[loop].End);
        wave.SetLoopStart(kLoops[loop].Start);
        const std::size_t playedAtEdit = device->Played().size() / 2;
        QueuedBlocks.push_back(double(device->QueuedBytes()) / player.BufferSize());
        feeder.Follow(wave);
        std::ptrdiff_t delay = -1;
        while (delay < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            delay = FirstIn(device->Played(), playedAtEdit, kLoops[loop]);
        }
        DelaySeconds.push_back(double(delay) / kRate);
        state.SetIterationTime(DelaySeconds.back());
        device->ClearPlayed();
    }
    player.Stop();
}

BENCHMARK(BM_LoopEditHeard)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    const double median = Median(DelaySeconds);
    const double longest = DelaySeconds.empty() ? 0 : *std::max_element(DelaySeconds.begin(), DelaySeconds.end());
    std::printf("loop edit -> heard: median %.1f ms (%.2f blocks), longest %.1f ms (%.2f blocks); "
                "queued at the edit: median %.2f blocks; one block: %.1f ms\n",
                median * 1e3, median / BlockSeconds, longest * 1e3, longest / BlockSeconds, Median(QueuedBlocks),
                BlockSeconds * 1e3);
    std::printf("RATIO heard delay / block duration: median %.2f, longest %.2f (the blocks already queued)\n",
                median / BlockSeconds, longest / BlockSeconds);
    benchmark::Shutdown();
}
