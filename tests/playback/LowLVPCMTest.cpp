#include "playback/LowLVPCM.h"
#include "playback/PlayerHarness.h"
#include "playback/VirtualWaveOut.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <stdexcept>

namespace {

using namespace std::chrono_literals;
using TEntries = std::vector<std::string>;

constexpr uint32_t kBlock = 4096;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

// A player on the virtual device at 44100 Hz, mono, 16 bits, 4 blocks of
// 4096 bytes (the worker polls every 23 ms). Events and errors go to Log;
// OnBufferEmpty runs Handler, which by default feeds Feeder's stream.
class LowLVPCMTest : public testing::Test {
protected:
    LowLVPCMTest()
    {
        Feeder.Stream = ByteRamp(kBlock * 100);
        Handler = [this] { Feeder.Feed(*Player); };
        Player->SetnSamplesPerSec(44100);
        Player->SetwBitsPerSample(16);
        Player->SetOnError([this](const std::string& Message, const std::string& Caption) {
            Log.Add("Error[" + Caption + "]" + Message);
        });
        LogEvents(*Player, Log, [this] { Handler(); });
    }

    // Plays block by block until the player reports its stop.
    void PlayOut() { ASSERT_TRUE(PlayUntilStopped(*Device, Log, kBlock)) << "the player never stopped"; }

    // Plays one block and waits until the worker has queued a full ring again.
    void PlayOneBlock(std::size_t QueuedAfter = 4 * kBlock)
    {
        ASSERT_EQ(Device->Advance(kBlock), kBlock);
        ASSERT_TRUE(Device->WaitForQueuedBytes(QueuedAfter, 10s));
    }

    const std::shared_ptr<TVirtualWaveOutDevice> Device = std::make_shared<TVirtualWaveOutDevice>();
    TEventLog Log;
    TStreamFeeder Feeder;
    std::function<void()> Handler;
    std::unique_ptr<TLowLVPCM> Player = std::make_unique<TLowLVPCM>(Device);
};

TEST_F(LowLVPCMTest, PropertiesStartAtTheirDefaults)
{
    TLowLVPCM player(Device);
    EXPECT_EQ(player.nChannels(), 1);
    EXPECT_EQ(player.nSamplesPerSec(), 22050u);
    EXPECT_EQ(player.wBitsPerSample(), 8);
    EXPECT_EQ(player.BufferSize(), 4096u);
    EXPECT_EQ(player.NumOfBuffers(), 4);
    EXPECT_EQ(player.lhWaveOut(), 0);
    EXPECT_EQ(player.DeviceID(), 0xFFFFFFFFu);
    EXPECT_FALSE(player.UsewaveOutGetPostion());
    EXPECT_EQ(player.Priority(), TThreadPriority::tpHighest);
    EXPECT_FALSE(player.OnBufferEmpty());
    player.SetUsewaveOutGetPostion(true);
    EXPECT_TRUE(player.UsewaveOutGetPostion());
}

TEST_F(LowLVPCMTest, SettersRejectValuesOutOfRangeAndKeepTheOldValue)
{
    TLowLVPCM& p = *Player;
    const auto error = [](const std::function<void()>& set) { return ErrorOf<EPropertyError>(set); };
    EXPECT_EQ(error([&] { p.SetnChannels(3); }), "nChannel が範囲外です");
    EXPECT_EQ(error([&] { p.SetnChannels(0); }), "nChannel が範囲外です");
    EXPECT_EQ(error([&] { p.SetwBitsPerSample(12); }), "wBitsPerSample が範囲外です");
    EXPECT_EQ(error([&] { p.SetnSamplesPerSec(0); }), "nSamplesPerSec が範囲外です");
    EXPECT_EQ(error([&] { p.SetBufferSize(0); }), "BufferSize が範囲外です");
    EXPECT_EQ(error([&] { p.SetNumOfBuffers(0); }), "NumOfBuffers が範囲外です");
    EXPECT_EQ(error([&] { p.SetNumOfBuffers(1024); }), "NumOfBuffers が範囲外です");
    EXPECT_EQ(p.nChannels(), 1);
    EXPECT_EQ(p.wBitsPerSample(), 16);
    EXPECT_EQ(p.nSamplesPerSec(), 44100u);
    EXPECT_EQ(p.BufferSize(), 4096u);
    EXPECT_EQ(p.NumOfBuffers(), 4);

    p.SetNumOfBuffers(1023);
    p.SetnChannels(2);
    p.SetwBitsPerSample(8);
    p.SetBufferSize(0xFFFFFFFF);
    EXPECT_EQ(p.NumOfBuffers(), 1023);
    EXPECT_EQ(p.nChannels(), 2);
    EXPECT_EQ(p.wBitsPerSample(), 8);
    EXPECT_EQ(p.BufferSize(), 0xFFFFFFFFu);
}

TEST_F(LowLVPCMTest, PollIntervalIsHalfABlockCappedAt100Ms)
{
    const auto sleepMs = [](uint16_t channels, uint32_t rate, uint16_t bits, uint32_t size) {
        return TLowLVPCMThread::SleepMsFor({channels, rate, bits, size, 4});
    };
    EXPECT_EQ(sleepMs(1, 44100, 16, 4096), 23u);
    EXPECT_EQ(sleepMs(1, 22050, 8, 4096), 92u);
    EXPECT_EQ(sleepMs(2, 44100, 16, 65536), 100u);
    // Sizes whose products overflow 32 bits still give the true duration.
    EXPECT_EQ(sleepMs(1, 8000, 8, 0xFFFFFFFF), 100u);
    // Blocks shorter than 2 ms still give the worker a pause between passes.
    EXPECT_EQ(sleepMs(2, 0x08000000, 16, 4096), 1u);
    EXPECT_EQ(sleepMs(1, 44100, 16, 2), 1u);

    Player->Play();
    EXPECT_EQ(Player->Thread().SleepMs(), 23u);
}

TEST_F(LowLVPCMTest, PlayWithoutBufferEmptyHandlerIsRefused)
{
    Player->SetOnBufferEmpty(nullptr);
    EXPECT_EQ(ErrorOf<ELowLVPCMError>([&] { Player->Play(); }), "OnBufferEmpty に関連付けられていません");
    EXPECT_EQ(Device->OpenCount(), 0);
}

TEST_F(LowLVPCMTest, PrimesEveryBlockThenRefillsOncePerFinishedBlock)
{
    Player->SetDeviceID(3);
    Player->Play();
    ASSERT_TRUE(Log.WaitFor("Start"));
    EXPECT_EQ(Log.Entries(), (TEntries{"Empty", "Empty", "Empty", "Empty", "Start"}));
    EXPECT_NE(Player->lhWaveOut(), 0);
    EXPECT_EQ(Device->LastDeviceID(), 3u);
    const TWaveFormat format = Device->LastFormat();
    EXPECT_EQ(format.nChannels, 1);
    EXPECT_EQ(format.nSamplesPerSec, 44100u);
    EXPECT_EQ(format.wBitsPerSample, 16);
    EXPECT_EQ(format.nBlockAlign, 2);
    EXPECT_EQ(format.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(Device->QueuedBytes(), 4 * kBlock);
    EXPECT_FALSE(Device->IsPaused());

    PlayOneBlock();
    EXPECT_EQ(Log.CountOf("Empty"), 5);
    PlayOneBlock();
    PlayOneBlock();
    EXPECT_EQ(Log.CountOf("Empty"), 7);

    Player->Stop();
    ASSERT_TRUE(Log.WaitFor("Stop"));
    EXPECT_EQ(Player->lhWaveOut(), 0);
    EXPECT_FALSE(Device->IsOpen());
    Player->Stop(); // stopped: nothing more
    Player.reset();
    EXPECT_EQ(Log.Entries().size(), 9u);
    EXPECT_EQ(Log.CountOf("End"), 0);
    EXPECT_EQ(Device->Played(), std::vector<uint8_t>(Feeder.Stream.begin(), Feeder.Stream.begin() + 3 * kBlock));
}

TEST_F(LowLVPCMTest, EndMarkedInThirdPrimingCallPlaysTheTwoFilledBlocks)
{
    int calls = 0;
    Handler = [&] {
        if (++calls == 3)
            Player->Write(nullptr, 0);
        else
            Feeder.Feed(*Player);
    };
    Player->Play();
    ASSERT_TRUE(Log.WaitFor("Start"));
    EXPECT_EQ(Player->Thread().Remaining(), 2);
    EXPECT_EQ(Device->QueuedBlocks(), 2u);

    ASSERT_EQ(Device->Advance(kBlock), kBlock);
    ASSERT_EQ(Device->Advance(2 * kBlock), kBlock);
    ASSERT_TRUE(Log.WaitFor("End"));
    EXPECT_EQ(Log.Entries(), (TEntries{"Empty", "Empty", "Empty", "Start", "Stop", "End"}));
    EXPECT_FALSE(Device->IsOpen());
    EXPECT_EQ(Player->lhWaveOut(), 0);
    EXPECT_EQ(Device->Played().size(), 2 * kBlock);
}

TEST_F(LowLVPCMTest, EndMarkedInFirstCallStartsAndEndsWithNothingPlayed)
{
    Handler = [&] { Player->Write(nullptr, 0); };
    Player->Play();
    ASSERT_TRUE(Log.WaitFor("End"));
    EXPECT_EQ(Log.Entries(), (TEntries{"Empty", "Start", "Stop", "End"}));
    EXPECT_TRUE(Device->Played().empty());
    EXPECT_FALSE(Device->IsOpen());
}

TEST_F(LowLVPCMTest, SingleBlockRingPlaysBlockByBlockAndEndsInThePassThatMarksTheEnd)
{
    Player->SetNumOfBuffers(1);
    Feeder.Stream = ByteRamp(2 * kBlock + 100);
    Player->Play();
    ASSERT_TRUE(Log.WaitFor("Start"));
    PlayOneBlock(kBlock);
    PlayOneBlock(100);
    ASSERT_EQ(Device->Advance(kBlock), 100u);
    ASSERT_TRUE(Log.WaitFor("End"));
    EXPECT_EQ(Log.Entries(), (TEntries{"Empty", "Start", "Empty", "Empty", "Empty", "Stop", "End"}));
    EXPECT_EQ(Device->Played(), Feeder.Stream);
}

TEST_F(LowLVPCMTest, SingleBlockRingStopsWithoutWaitingForAnotherPass)
{
    // 8000 Hz, 8 bits: a block lasts 512 ms, so the worker sleeps 100 ms
    // between passes.
    Player->SetnSamplesPerSec(8000);
    Player->SetwBitsPerSample(8);
    Player->SetNumOfBuffers(1);
    Feeder.Stream = ByteRamp(kBlock);
    std::chrono::steady_clock::time_point endMarked;
    Handler = [&] {
        Feeder.Feed(*Player);
        endMarked = std::chrono::steady_clock::now();
    };
    Player->Play();
    ASSERT_TRUE(Log.WaitFor("Start"));
    ASSERT_EQ(Player->Thread().SleepMs(), 100u);
    ASSERT_EQ(Device->Advance(kBlock), kBlock);
    ASSERT_TRUE(Log.WaitFor("Stop"));
    EXPECT_LT(std::chrono::steady_clock::now() - endMarked, 90ms);
}

TEST_F(LowLVPCMTest, ErrorHookThatThrowsLeavesThePlayerWorking)
{
    Player->SetOnError([this](const std::string& Message, const std::string&) {
        Log.Add("Error " + Message);
        throw std::runtime_error("the hook failed too");
    });
    Handler = [] { throw std::runtime_error("no samples"); };
    Player->Play();
    EXPECT_EQ(Log.Entries(), (TEntries{"Empty", "Error no samples"}));

    Handler = [this] { Feeder.Feed(*Player); };
    Player->Play();
    EXPECT_TRUE(Log.WaitFor("Start"));
}

TEST_F(LowLVPCMTest, PlaysTheExactStreamWithAShortLastBlock)
{
    Player->SetnChannels(2);
    Player->SetwBitsPerSample(8);
    Player->SetnSamplesPerSec(22050);
    Feeder.Stream = ByteRamp(9 * kBlock + 1000);
    Player->Play();
    PlayOut();
    ASSERT_TRUE(Log.WaitFor("End"));
    EXPECT_EQ(Device->Played(), Feeder.Stream);
    EXPECT_EQ(Log.CountOf("Empty"), 11); // ten blocks and the end mark
    EXPECT_EQ(Device->LastFormat().nBlockAlign, 2);
    const TEntries entries = Log.Entries();
    EXPECT_EQ(TEntries(entries.end() - 2, entries.end()), (TEntries{"Stop", "End"}));
}

TEST_F(LowLVPCMTest, PlayWhilePlayingStopsFirstAndStartsAgain)
{
    Player->Play();
    ASSERT_TRUE(Log.WaitFor("Start"));
    Player->Play();
    ASSERT_TRUE(Log.WaitFor("Start", 2));
    EXPECT_EQ(Log.Entries(), (TEntries{"Empty", "Empty", "Empty", "Empty", "Start", "Stop", "Empty", "Empty",
                                       "Empty", "Empty", "Start"}));
    EXPECT_EQ(Device->OpenCount(), 2);
}

TEST_F(LowLVPCMTest, DestructionWhilePlayingStopsTheSound)
{
    Player->Play();
    ASSERT_TRUE(Log.WaitFor("Start"));
    Player.reset();
    EXPECT_EQ(Log.Entries().back(), "Stop");
    EXPECT_EQ(Log.CountOf("End"), 0);
    EXPECT_FALSE(Device->IsOpen());
}

TEST_F(LowLVPCMTest, WriteChecksTheSizeAndTheFreeBlock)
{
    std::vector<std::string> errors;
    int calls = 0;
    const std::vector<uint8_t> block(kBlock + 1, 7);
    const auto tryWrite = [&](int32_t size) {
        errors.push_back(ErrorOf<ELowLVPCMError>([&] { Player->Write(block.data(), size); }));
    };
    Handler = [&] {
        if (++calls == 1) {
            tryWrite(kBlock + 1);
            tryWrite(-1);
        }
        tryWrite(kBlock);
        if (calls == 4)
            tryWrite(1); // every block is filled now
    };
    EXPECT_EQ(ErrorOf<ELowLVPCMError>([&] { Player->Write(block.data(), 1); }), "バッファがいっぱいです.");
    Player->Play();
    ASSERT_TRUE(Log.WaitFor("Start"));
    EXPECT_EQ(errors, (TEntries{"サイズが大きすぎます", "Write : Size(=-1) が範囲外です", "no error", "no error",
                                "no error", "no error", "バッファがいっぱいです."}));
    EXPECT_EQ(Device->QueuedBytes(), 4 * kBlock);
}

TEST_F(LowLVPCMTest, HandlerErrorWhilePrimingReachesTheHookAndLeavesThePlayerStopped)
{
    Handler = [] { throw std::runtime_error("no samples"); };
    Player->Play();
    EXPECT_EQ(Log.Entries(), (TEntries{"Empty", "Error[]no samples"}));
    EXPECT_FALSE(Device->IsOpen());
    EXPECT_EQ(Player->lhWaveOut(), 0);

    Handler = [this] { Feeder.Feed(*Player); };
    Player->Play();
    EXPECT_TRUE(Log.WaitFor("Start"));
}

TEST_F(LowLVPCMTest, HandlerErrorWhilePlayingReachesTheHookAndStopsThePlayer)
{
    int calls = 0;
    Handler = [&] {
        if (++calls == 6)
            throw ELowLVPCMError("no more samples");
        Feeder.Feed(*Player);
    };
    Player->Play();
    PlayOut();
    Player.reset();
    const TEntries entries = Log.Entries();
    EXPECT_EQ(TEntries(entries.end() - 3, entries.end()), (TEntries{"Empty", "Error[]no more samples", "Stop"}));
    EXPECT_FALSE(Device->IsOpen());
}

TEST_F(LowLVPCMTest, DeviceThatCannotBeOpenedIsReportedAndNothingStarts)
{
    Device->SetFailOpen(true);
    Player->Play();
    EXPECT_EQ(Log.Entries(), (TEntries{"Error[Error]Wave デバイスを使用できません"}));
    EXPECT_EQ(Player->lhWaveOut(), 0);

    Device->SetFailOpen(false);
    Player->Play();
    EXPECT_TRUE(Log.WaitFor("Start"));
}

TEST_F(LowLVPCMTest, FailedResetOrCloseIsReportedAndStillReleasesTheDevice)
{
    Player->Play();
    ASSERT_TRUE(Log.WaitFor("Start"));
    Device->SetFailReset(true);
    Player->Stop();
    ASSERT_TRUE(Log.WaitFor("Stop"));
    EXPECT_EQ(Log.CountOf("Error[]演奏を終了できません。"), 1);
    EXPECT_FALSE(Device->IsOpen());
    EXPECT_EQ(Player->lhWaveOut(), 0);

    Device->SetFailReset(false);
    Player->Play();
    ASSERT_TRUE(Log.WaitFor("Start", 2));
    Device->SetFailClose(true);
    Player->Stop();
    ASSERT_TRUE(Log.WaitFor("Stop", 2));
    EXPECT_EQ(Log.CountOf("Error[]Wave デバイスを開放できません。"), 1);
    EXPECT_FALSE(Device->IsOpen());
}

TEST_F(LowLVPCMTest, HandlerThatStopsWritingLeavesThePlayerResponsive)
{
    int calls = 0;
    Handler = [&] {
        if (++calls <= 4)
            Feeder.Feed(*Player);
    };
    Player->Play();
    ASSERT_EQ(Device->Advance(8 * kBlock), 4 * kBlock);
    ASSERT_TRUE(Log.WaitFor("Empty", 8));
    Player->Stop();
    EXPECT_TRUE(Log.WaitFor("Stop"));
}

TEST_F(LowLVPCMTest, PlayOrStopFromAWorkerEventIsRefusedInsteadOfHanging)
{
    Handler = [&] { Player->Stop(); };
    Player->Play();
    EXPECT_EQ(Log.Entries(), (TEntries{"Empty", "Error[]再生スレッドのイベントの中から Play や Stop は呼べません"}));
}

TEST_F(LowLVPCMTest, PlayEndHandlerMayPlayAgain)
{
    Handler = [&] { Player->Write(nullptr, 0); };
    std::atomic<int> ends = 0;
    Player->SetOnPlayEnd([&](TPCMThread*) {
        Log.Add("End");
        if (++ends == 1)
            Player->Play();
    });
    Player->Play();
    ASSERT_TRUE(Log.WaitFor("End", 2));
    EXPECT_EQ(Log.Entries(), (TEntries{"Empty", "Start", "Stop", "End", "Empty", "Start", "Stop", "End"}));
}

TEST_F(LowLVPCMTest, PriorityIsAppliedToTheWorkerAtOnce)
{
    std::atomic<int> nice = -100;
    Handler = [&] {
        nice = getpriority(PRIO_PROCESS, static_cast<id_t>(CurrentThreadId()));
        Feeder.Feed(*Player);
    };
    Player->SetPriority(TThreadPriority::tpLowest);
    EXPECT_EQ(Player->Priority(), TThreadPriority::tpLowest);
    Player->Play();
    EXPECT_EQ(nice, 10);
    Player->SetPriority(TThreadPriority::tpIdle);
    PlayOneBlock();
    EXPECT_EQ(nice, 19);
    // Raising needs a privilege; without it the call still succeeds.
    Player->SetPriority(TThreadPriority::tpTimeCritical);
    EXPECT_EQ(Player->Priority(), TThreadPriority::tpTimeCritical);
}

TEST_F(LowLVPCMTest, RingThatCannotBeAllocatedIsReported)
{
    if (kSanitized)
        GTEST_SKIP() << "the sanitizers' allocators abort on a multi-terabyte request instead of failing it";
    Player->SetBufferSize(0xFFFFFFFF);
    Player->SetNumOfBuffers(1023);
    Player->Play();
    EXPECT_EQ(Log.Entries(), (TEntries{"Error[]メモリが足りません"}));
    EXPECT_EQ(Device->OpenCount(), 0);
}

} // namespace
