// The feeder on the player's worker, through the virtual device: the exact
// stream of a wave with and without a loop, the loops it refuses, and the
// list and the loop edited on this thread while the worker feeds (the
// ThreadSanitizer build shows anything the two threads would share).

#include "document/KSD.h"
#include "playback/LoopFeeder.h"
#include "playback/PlayerHarness.h"
#include "support/ErrorOf.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr std::size_t kBlock = 4096; // the player's default block size

class LoopFeederTest : public testing::Test {
protected:
    LoopFeederTest()
    {
        Player.SetnSamplesPerSec(44100);
        Player.SetwBitsPerSample(16);
        LogEvents(Player, Log, [this] { Feeder.Feed(Player); });
    }

    TWaveInfo& AddWave(std::size_t Samples, int32_t Start = 0, int32_t End = 0)
    {
        List.AddWave(Dir.Wav(std::to_string(List.Count()) + ".wav", Samples));
        TWaveInfo& wave = *List.GetWave(List.Count() - 1);
        wave.SetLoopEnd(End);
        wave.SetLoopStart(Start);
        return wave;
    }

    std::vector<int16_t> Played() const
    {
        return Int16Samples(Device->Played());
    }

    TTempDir Dir;
    TKSD List;
    TLoopFeeder Feeder;
    TEventLog Log;
    const std::shared_ptr<TVirtualWaveOutDevice> Device = std::make_shared<TVirtualWaveOutDevice>();
    TLowLVPCM Player{Device}; // stopped before the feeder and the list go
};

TEST_F(LoopFeederTest, PlaysTheWaveThenRepeatsItsLoopExactly)
{
    struct TCase {
        std::size_t Count;
        int32_t Start, End;
    };
    for (const TCase c : {TCase{1000, 0, 0}, TCase{9000, 0, 0}, TCase{1000, 100, 200}, TCase{5000, 0, 2048},
                          TCase{3000, 2999, 3000}}) {
        SCOPED_TRACE(testing::Message() << c.Count << " " << c.Start << ".." << c.End);
        List.Clear();
        Device->ClearPlayed();
        Log.Clear();
        Feeder.Start(AddWave(c.Count, c.Start, c.End), kBlock);
        Player.Play();
        ASSERT_TRUE(PlayUntilStopped(*Device, Log, kBlock, 12 * kBlock));
        // The end is reported on the end reporter's own thread: wait for it
        // before stopping, which ends that thread.
        if (c.End == 0) {
            EXPECT_TRUE(Log.WaitFor("End"));
        }
        Player.Stop();
        const std::vector<int16_t> played = Played();
        EXPECT_EQ(played, LoopStream(c.Count, c.Start, c.End, played.size()));
        EXPECT_EQ(Log.CountOf("End"), c.End == 0 ? 1 : 0);
        if (c.End == 0)
            EXPECT_EQ(Feeder.Position(), int32_t(c.Count));
        else
            EXPECT_TRUE(Feeder.Position() >= c.Start && Feeder.Position() < c.End) << Feeder.Position();
    }
}

TEST_F(LoopFeederTest, LoopThatCannotBePlayedIsRefused)
{
    struct TCase {
        int32_t Start, End;
        const char* Error;
    };
    for (const TCase c : {TCase{500, 0, "ループの指定が不正です"}, TCase{300, 300, "ループの指定が不正です"},
                          TCase{0, 300, "no error"}, TCase{0, 0, "no error"}, TCase{999, 1000, "no error"}}) {
        TWaveInfo& wave = AddWave(1000, c.Start, c.End);
        EXPECT_EQ(ErrorOf<ELoopFeederError>([&] { Feeder.Start(wave, kBlock); }), c.Error)
            << c.Start << ".." << c.End;
    }
}

// Files added, other rows deleted and the playing wave's loop moved on the
// window's thread while the worker feeds and the device plays: what plays is
// the loop the playback started with.
TEST_F(LoopFeederTest, ListAndLoopEditedWhilePlayingLeaveTheStreamAlone)
{
    Feeder.Start(AddWave(3000, 1000, 3000), kBlock);
    const std::string other = Dir.Wav("other.wav", 100);
    Player.Play();
    std::atomic<bool> done = false;
    std::thread window([&] {
        for (int i = 0; !done; ++i) {
            List.AddWave(other);
            if (List.Count() > 3)
                List.DeleteWave(1);
            List.GetWave(0)->SetLoopStart(10 * (i % 100));
            List.GetWave(0)->SetLoopEnd(2000 + i % 1000);
        }
    });
    for (int i = 0; i < 30 && Device->WaitForQueuedBytes(1, std::chrono::seconds(10)); ++i)
        Device->Advance(kBlock);
    done = true;
    window.join();
    Player.Stop();
    const std::vector<int16_t> played = Played();
    EXPECT_EQ(played.size(), 30 * kBlock / 2);
    EXPECT_EQ(played, LoopStream(3000, 1000, 3000, played.size()));
    EXPECT_GE(Feeder.Position(), 1000);
    EXPECT_LT(Feeder.Position(), 3000);
}

} // namespace
