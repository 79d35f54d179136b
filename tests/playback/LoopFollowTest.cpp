// The feeder following loop and fade edits while it plays: where the next
// block goes on, and, with the ThreadSanitizer build, thousands of edits
// published on one thread while the worker fills blocks on another, every
// block played whole from one of them.

#include "document/CrossFade.h"
#include "document/KSD.h"
#include "playback/HandOver.h"
#include "playback/FeederHarness.h"
#include "playback/LoopFeeder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

namespace {

constexpr std::size_t kBlock = 512; // bytes: 256 samples, so that the worker polls every millisecond
constexpr std::size_t kBlockSamples = kBlock / 2;
constexpr std::size_t kRing = 4;    // the player's default count of blocks

struct TLoop {
    int32_t Start, End, Fade;
};

// Ramp(Count) as the bank holds it with Loop.
std::vector<int16_t> BankOf(std::size_t Count, const TLoop& Loop)
{
    return FadedWave(Ramp(Count), {Loop.Start, Loop.End}, Loop.Fade);
}

// Bank's samples as they play from At: to the loop end, then the loop over
// and over; without a loop to the bank's end. Samples of them at most.
std::vector<int16_t> PlayedFrom(const std::vector<int16_t>& Bank, int32_t At, const TLoop& Loop, std::size_t Samples)
{
    std::vector<int16_t> stream;
    const int32_t end = Loop.End > Loop.Start ? Loop.End : static_cast<int32_t>(Bank.size());
    for (int32_t i = At; stream.size() < Samples && i < end; ++i)
        stream.push_back(Bank[std::size_t(i)]);
    while (Loop.End > Loop.Start && stream.size() < Samples)
        for (int32_t i = Loop.Start; stream.size() < Samples && i < Loop.End; ++i)
            stream.push_back(Bank[std::size_t(i)]);
    return stream;
}

class LoopFollowTest : public testing::Test, protected TFeederHarness {
protected:
    LoopFollowTest() : TFeederHarness(kBlock) {}

    TWaveInfo& AddWave(std::size_t Samples, const TLoop& Loop)
    {
        List.Clear();
        List.AddWave(Dir.Wav("wave.wav", Samples));
        TWaveInfo& wave = *List.GetWave(0);
        SetLoop(wave, Loop);
        return wave;
    }

    static void SetLoop(TWaveInfo& Wave, const TLoop& Loop)
    {
        Wave.SetCrossFade(0);
        Wave.SetLoopEnd(Loop.End);
        Wave.SetLoopStart(Loop.Start);
        Wave.SetCrossFade(Loop.Fade);
    }

    // Plays Blocks more blocks, each as soon as the worker has the ring full.
    void PlayBlocks(std::size_t Blocks)
    {
        for (std::size_t i = 0; i < Blocks; ++i) {
            ASSERT_TRUE(Device->WaitForQueuedBytes(kRing * kBlock, std::chrono::seconds(10)));
            ASSERT_EQ(Device->Advance(kBlock), kBlock);
        }
    }

};

// A loop edited after the ring was filled: the blocks queued play the old
// loop, the next block filled the new one, going on from where the old one
// was unless that lies outside the stretch being played.
TEST_F(LoopFollowTest, EditReachesTheNextBlockFilled)
{
    struct TCase {
        const char* Name;
        bool Audition;
        TLoop Old, New;
        bool Followed;
        int32_t At; // where the next block begins
    } const cases[] = {
        {"into the loop, new end ahead", false, {500, 5000, 0}, {600, 3000, 0}, true, 1024},
        {"into the loop, past the new end", false, {500, 5000, 0}, {200, 900, 0}, true, 200},
        {"loop cleared: on to the wave's end", false, {500, 5000, 0}, {0, 0, 0}, true, 1024},
        {"loop start after its end: ignored", false, {500, 5000, 0}, {3000, 2000, 0}, false, 1024},
        {"looping, before the new start", false, {300, 700, 0}, {650, 2000, 0}, true, 650},
        {"looping, fade added", false, {300, 700, 0}, {300, 700, 200}, true, 624},
        {"looping, fade longer than the loop", false, {300, 700, 0}, {300, 700, 2000}, true, 624},
        {"audition, outside the new join", true, {1000, 1301, 0}, {1000, 1200, 50}, true, 1000},
        {"audition, loop cleared: ignored", true, {1000, 1301, 0}, {0, 0, 0}, false, 1271},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Device->ClearPlayed();
        TWaveInfo& wave = AddWave(6000, c.Old);
        c.Audition ? Feeder.StartAudition(wave, kBlock) : Feeder.Start(wave, kBlock);
        const int32_t from = Feeder.Position();
        Player.Play();
        SetLoop(wave, c.New);
        EXPECT_EQ(Feeder.Follow(wave), c.Followed);
        PlayBlocks(kRing + 1);
        Player.Stop();

        const std::vector<int16_t> played = Played();
        ASSERT_EQ(played.size(), (kRing + 1) * kBlockSamples);
        const std::vector<int16_t> queued(played.begin(), played.begin() + kRing * kBlockSamples);
        EXPECT_EQ(queued, PlayedFrom(BankOf(6000, c.Old), from, c.Old, queued.size()));
        TLoop heard = c.Followed ? c.New : c.Old;
        heard.Fade = std::min(heard.Fade, LongestFade({heard.Start, heard.End}));
        const std::vector<int16_t> next(played.begin() + kRing * kBlockSamples, played.end());
        EXPECT_EQ(next, PlayedFrom(BankOf(6000, heard), c.At, heard, kBlockSamples));
    }
}

// Whether Block is a stretch of Loop's stream over Bank (its samples from
// some position on, as they play).
bool PlaysFrom(const std::vector<int16_t>& Block, const std::vector<int16_t>& Bank, const TLoop& Loop,
               const std::multimap<int16_t, int32_t>& Where)
{
    const auto [first, last] = Where.equal_range(Block.front());
    for (auto at = first; at != last; ++at)
        if (at->second < Loop.End && PlayedFrom(Bank, at->second, Loop, Block.size()) == Block)
            return true;
    return false;
}

// Thousands of loop and fade edits, each published on this thread as the
// window does, while the worker fills blocks and a third thread plays them:
// every block is the bank's samples of one of the loops published, and the
// last published is what plays once the ring has turned over.
TEST_F(LoopFollowTest, EveryBlockPlaysOnePublishedLoopWhole)
{
    constexpr std::size_t kCount = 20000;
    const TLoop loops[] = {{2000, 12000, 0},  {3000, 9000, 1500}, {5000, 15000, 4000},
                           {1000, 19000, 500}, {8000, 8500, 300},  {4000, 6000, 2000}};
    std::vector<std::vector<int16_t>> banks;
    std::vector<std::multimap<int16_t, int32_t>> where;
    for (const TLoop& loop : loops) {
        banks.push_back(BankOf(kCount, loop));
        where.emplace_back();
        for (int32_t i = 0; i < int32_t(kCount); ++i)
            where.back().emplace(banks.back()[std::size_t(i)], i);
    }

    TWaveInfo& wave = AddWave(kCount, loops[0]);
    Feeder.Start(wave, kBlock);
    Player.Play();
    std::atomic<bool> edited = false;
    std::thread player([&] {
        while (!edited)
            PlayBlocks(1);
    });
    int published = 0;
    for (int i = 0; i < 4000; ++i) {
        SetLoop(wave, loops[i % std::size(loops)]);
        published += Feeder.Follow(wave);
    }
    SetLoop(wave, loops[4]);
    published += Feeder.Follow(wave);
    edited = true;
    player.join();
    PlayBlocks(kRing + 1);
    Player.Stop();

    EXPECT_EQ(published, 4001);
    const std::vector<int16_t> played = Played();
    ASSERT_EQ(played.size() % kBlockSamples, 0u);
    const std::size_t blocks = played.size() / kBlockSamples;
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::vector<int16_t> block(played.begin() + b * kBlockSamples, played.begin() + (b + 1) * kBlockSamples);
        bool whole = false;
        for (std::size_t l = 0; l < std::size(loops) && !whole; ++l)
            whole = PlaysFrom(block, banks[l], loops[l], where[l]);
        ASSERT_TRUE(whole) << "block " << b << " of " << blocks << " mixes loops";
        if (b + 1 == blocks) {
            EXPECT_TRUE(PlaysFrom(block, banks[4], loops[4], where[4]));
        }
    }
}

// The window's blocks last 10 to 20 ms at every rate, so that four queued
// ones are heard within 50 to 80 ms, and hold whole samples.
TEST(LiveBlockTest, LastsTenToTwentyMilliseconds)
{
    for (const int32_t rate : {8000, 11025, 22050, 44100, 48000, 96000, 192000}) {
        const uint32_t bytes = LiveBlockBytes(rate);
        const double ms = bytes / 2 * 1000.0 / rate;
        EXPECT_TRUE(ms >= 10 && ms < 20 && bytes % 2 == 0) << rate << " Hz: " << bytes << " bytes";
    }
}

// What the window publishes while a marker moves is freed once the worker
// has moved on: a long drag does not keep every plan it made.
TEST(HandOverTest, KeepsOnlyWhatTheTakerMayStillRead)
{
    THandOver<int> handOver;
    bool changed = false;
    EXPECT_EQ(handOver.Take(changed), nullptr);
    for (int i = 1; i <= 100; ++i)
        handOver.Publish(std::make_unique<const int>(i));
    EXPECT_EQ(*handOver.Take(changed), 100);
    EXPECT_TRUE(changed);
    EXPECT_EQ(*handOver.Take(changed), 100);
    EXPECT_FALSE(changed);
    handOver.Publish(std::make_unique<const int>(101));
    EXPECT_EQ(handOver.KeptCount(), 2u); // the one read and the newest
    handOver.Take(changed);
    handOver.Publish(std::make_unique<const int>(102));
    EXPECT_EQ(handOver.KeptCount(), 2u);
}

} // namespace
