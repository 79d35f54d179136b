// The feeder on the player's worker, through the virtual device: the exact
// stream of a wave with and without a loop, the loops it refuses, and the
// list and the loop edited on this thread while the worker feeds (the
// ThreadSanitizer build shows anything the two threads would share).

#include "common/Format.h"
#include "document/KSD.h"
#include "document/LoopRules.h"
#include "export/VBKFile.h"
#include "export/VBKReader.h"
#include "export/VBKTestFiles.h"
#include "loop/LoopFinder.h"
#include "playback/FeederHarness.h"
#include "playback/LoopFeeder.h"
#include "support/ErrorOf.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr std::size_t kBlock = 4096; // the player's default block size

class LoopFeederTest : public testing::Test, protected TFeederHarness {
protected:

    TWaveInfo& AddWave(std::size_t Samples, int32_t Start = 0, int32_t End = 0)
    {
        List.AddWave(Dir.Wav(std::to_string(List.Count()) + ".wav", Samples));
        TWaveInfo& wave = *List.GetWave(List.Count() - 1);
        wave.SetLoopEnd(End);
        wave.SetLoopStart(Start);
        return wave;
    }
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

// The one loop rule, asked by every place: for each kind of loop the player,
// the export, the window's states (clearing, seam view), the loop finder and
// the import of a file's stored loop agree whether it plays and whether the
// bank holds it, and none drops a loop from sample 0 without a word.
TEST_F(LoopFeederTest, EveryPlaceAgreesOnEachKindOfLoop)
{
    constexpr int32_t n = 3000;
    const std::string fromZero = kLoopFromZeroNotInBank;
    struct TCase {
        const char* Kind;
        int32_t Start, End;
        const char* PlayError;
        bool Repeats, Clearable;
        std::string Exported; // the bank's loop, or the export's error
        std::string Finder;   // the window's search: near the end when the loop plays, else the whole wave
    } const cases[] = {
        {"unset", 0, 0, "no error", false, false, "no loop", "found"},
        {"half-set", 2000, 0, "ループの指定が不正です", false, true, "「0.wav」のループ終点が設定されていません", "found"},
        {"from 0", 0, 2000, "no error", true, true, "no loop, " + fromZero, fromZero},
        {"to the end", 2000, n, "no error", true, true, "2000..3000", "found"},
    };
    const std::string bank = Dir.File("bank.vbk");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Kind);
        List.Clear();
        Device->ClearPlayed();
        Log.Clear();
        TWaveInfo& wave = AddWave(n, c.Start, c.End);

        ASSERT_EQ(ErrorOf<ELoopFeederError>([&] { Feeder.Start(wave, kBlock); }), c.PlayError);
        if (std::string(c.PlayError) == "no error") {
            Player.Play();
            ASSERT_TRUE(PlayUntilStopped(*Device, Log, kBlock, 4 * kBlock));
            Player.Stop();
            const std::vector<int16_t> played = Played();
            EXPECT_EQ(played, LoopStream(n, c.Start, c.Repeats ? c.End : 0, played.size()));
        }

        EXPECT_EQ(wave.Loop().IsSet(), c.Clearable);
        EXPECT_EQ(wave.Loop().Plays(), c.Repeats); // the seam view shows the loops that play

        std::string exported = ErrorOf<Exception>([&] { ExportBank(List, bank, Dir.File("list.ksd")); });
        if (exported == "no error") {
            const TVBKWave bankWave = ReadVBKFile(bank).Waves.at(0);
            exported = bankWave.Loops ? Format("%d..%d", bankWave.LoopStart, bankWave.LoopEnd) : "no loop";
            if (const std::string dropped = BankDropsLoop(wave); !dropped.empty())
                exported += ", " + dropped.substr(dropped.find(':') + 1);
        }
        EXPECT_EQ(exported, c.Exported);

        const TLoopFinder finder(wave.Samples(), wave.SamplesPerSec());
        const std::string found = ErrorOf<ELoopFinderError>([&] {
            const TFoundLoops loops = wave.Loop().Plays() ? finder.BestEndsNear(c.Start, c.End, kNearRadiusMs, {})
                                                          : finder.WholeWave({});
            for (const TLoopCandidate& loop : loops.Loops)
                EXPECT_TRUE(loop.Start > 0 && loop.End <= n) << loop.Start << ".." << loop.End;
        });
        EXPECT_EQ(found == "no error" ? "found" : found, c.Finder);

        if (c.End > c.Start) { // a stored loop of this kind: taken when the bank holds it, else said why
            const std::string stored = Dir.File("stored.wav");
            TWavBuilder().Add("fmt ", TWavBuilder::Fmt(1, 1, 44100, 16)).Add("data", TWavBuilder::Samples(Ramp(n)))
                .Add("smpl", TWavBuilder::Smpl(0, c.Start, c.End - 1)).Write(stored);
            List.AddWave(stored);
            const TWaveInfo& imported = *List.GetWave(1);
            EXPECT_EQ(imported.Loop(), (c.Start > 0 ? TWaveLoop{c.Start, c.End} : TWaveLoop{}));
            EXPECT_EQ(StoredLoopNotUsed(*imported.StoredLoop(), n) != nullptr, c.Start == 0);
        }
    }
}

} // namespace

namespace {

// The samples of wave Index of the bank List exports.
std::vector<int16_t> ExportedSamples(const TKSD& List, const TTempDir& Dir, std::size_t Index)
{
    ExportBank(List, Dir.File("bank.vbk"));
    return BankSamples(Dir.File("bank.vbk"), Index);
}

// Bank's [From, To) appended to Stream.
void Append(std::vector<int16_t>& Stream, const std::vector<int16_t>& Bank, int32_t From, int32_t To)
{
    Stream.insert(Stream.end(), Bank.begin() + From, Bank.begin() + To);
}

// A crossfaded loop plays the bank's samples: into the loop, then the loop
// twice, every pass with the faded stretch; the fade edited on this thread
// while it plays changes nothing.
TEST_F(LoopFeederTest, CrossFadedLoopPlaysTheBanksSamples)
{
    TWaveInfo& wave = AddWave(6000, 2000, 5000);
    wave.SetCrossFade(1500);
    const std::vector<int16_t> bank = ExportedSamples(List, Dir, 0);
    std::vector<int16_t> expected;
    Append(expected, bank, 0, 5000);
    Append(expected, bank, 2000, 5000);
    Append(expected, bank, 2000, 5000);
    ASSERT_NE(bank, Ramp(6000));

    Feeder.Start(wave, kBlock);
    Player.Play();
    std::atomic<bool> done = false;
    std::thread window([&] {
        for (int i = 0; !done; ++i)
            wave.SetCrossFade(i % 2000);
    });
    ASSERT_TRUE(PlayUntilStopped(*Device, Log, kBlock, expected.size() * 2));
    done = true;
    window.join();
    Player.Stop();
    EXPECT_EQ(Played(), expected);
}

// The audition plays the last half second before the loop end, then the
// first half second from the loop start, over and over, faded as the bank
// is; a short loop is split between the two sides and plays as the loop.
TEST_F(LoopFeederTest, AuditionRepeatsTheJoin)
{
    struct TCase {
        std::size_t Count;
        int32_t Start, End, Fade, Before, After;
    };
    for (const TCase c : {TCase{100000, 20000, 90000, 1000, 22050, 22050}, TCase{3000, 1000, 1301, 200, 151, 150},
                          TCase{3000, 1000, 1001, 0, 1, 0}}) {
        SCOPED_TRACE(testing::Message() << c.Start << ":" << c.End << "~" << c.Fade);
        List.Clear();
        Device->ClearPlayed();
        Log.Clear();
        TWaveInfo& wave = AddWave(c.Count, c.Start, c.End);
        wave.SetCrossFade(c.Fade);
        const TAuditionSpans sides = AuditionSpans(wave.Loop(), 22050);
        EXPECT_EQ(std::make_pair(sides.Before, sides.After), std::make_pair(c.Before, c.After));
        const std::vector<int16_t> bank = ExportedSamples(List, Dir, 0);
        std::vector<int16_t> expected;
        while (expected.size() < 100000) {
            Append(expected, bank, c.End - c.Before, c.End);
            Append(expected, bank, c.Start, c.Start + c.After);
        }
        expected.resize(100000);

        Feeder.StartAudition(wave, kBlock);
        EXPECT_EQ(Feeder.Position(), c.End - c.Before);
        Player.Play();
        ASSERT_TRUE(PlayUntilStopped(*Device, Log, kBlock, expected.size() * 2));
        Player.Stop();
        ASSERT_TRUE(Log.WaitFor("Stop")); // before the next case clears the log
        EXPECT_EQ(Played(), expected);
        const int32_t at = Feeder.Position();
        EXPECT_TRUE((at >= c.End - c.Before && at <= c.End) || (at >= c.Start && at <= c.Start + c.After)) << at;
    }
    List.Clear();
    EXPECT_EQ(ErrorOf<ELoopFeederError>([&] { Feeder.StartAudition(AddWave(1000), kBlock); }), "ループの指定が不正です");
}

} // namespace
