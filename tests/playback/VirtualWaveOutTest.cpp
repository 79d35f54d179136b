#include "playback/VirtualWaveOut.h"

#include <gtest/gtest.h>

namespace {

using TBytes = std::vector<uint8_t>;

// A header over Bytes, ready to be prepared and written.
struct TBlock {
    explicit TBlock(TBytes Content) : Bytes(std::move(Content))
    {
        Header.Data = Bytes.data();
        Header.BufferLength = static_cast<uint32_t>(Bytes.size());
    }
    TBytes Bytes;
    TWaveHeader Header;
};

class VirtualWaveOutTest : public testing::Test {
protected:
    void Queue(TBlock& Block)
    {
        ASSERT_EQ(Output->Prepare(Block.Header), TWaveOutResult::Ok);
        ASSERT_EQ(Output->Write(Block.Header), TWaveOutResult::Ok);
    }

    TVirtualWaveOutDevice Device;
    std::unique_ptr<TWaveOut> Output = Device.Open(7, TWaveFormat::Pcm(1, 8000, 16));
};

TEST_F(VirtualWaveOutTest, BlocksPlayInOrderAndAreDoneOnceEveryByteHasPlayed)
{
    ASSERT_TRUE(Output);
    EXPECT_NE(Output->Handle(), 0);
    EXPECT_EQ(Device.LastDeviceID(), 7u);
    TBlock first({1, 2, 3});
    TBlock second({4, 5, 6, 7, 8});
    Queue(first);
    Queue(second);
    EXPECT_EQ(Device.QueuedBytes(), 8u);

    EXPECT_EQ(Device.Advance(2), 2u);
    EXPECT_FALSE(first.Header.IsDone());
    EXPECT_EQ(Output->Unprepare(first.Header), TWaveOutResult::StillPlaying);
    EXPECT_EQ(Device.Advance(4), 4u);
    EXPECT_TRUE(first.Header.IsDone());
    EXPECT_FALSE(second.Header.IsDone());
    EXPECT_EQ(Output->Unprepare(first.Header), TWaveOutResult::Ok);
    EXPECT_EQ(Device.Advance(100), 2u);
    EXPECT_TRUE(second.Header.IsDone());
    EXPECT_EQ(Device.Advance(100), 0u);
    EXPECT_EQ(Device.Played(), (TBytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(VirtualWaveOutTest, WriteNeedsAPreparedHeaderThatIsNotQueued)
{
    TBlock block({1, 2});
    EXPECT_EQ(Output->Write(block.Header), TWaveOutResult::Unprepared);
    Queue(block);
    EXPECT_EQ(Output->Write(block.Header), TWaveOutResult::StillPlaying);
    EXPECT_EQ(Device.QueuedBlocks(), 1u);
}

TEST_F(VirtualWaveOutTest, PauseHoldsTheClockAndResetReturnsEveryBlock)
{
    TBlock first({1, 2, 3, 4});
    TBlock second({5, 6});
    Queue(first);
    Queue(second);
    Output->Pause();
    EXPECT_EQ(Device.AdvanceMs(10), 0u);
    Output->Restart();
    EXPECT_EQ(Device.Advance(3), 3u);

    EXPECT_EQ(Output->Close(), TWaveOutResult::StillPlaying);
    EXPECT_EQ(Output->Reset(), TWaveOutResult::Ok);
    EXPECT_TRUE(first.Header.IsDone());
    EXPECT_TRUE(second.Header.IsDone());
    EXPECT_EQ(Device.QueuedBytes(), 0u);
    EXPECT_EQ(Output->Close(), TWaveOutResult::Ok);
    EXPECT_FALSE(Device.IsOpen());
    EXPECT_EQ(Device.Played(), (TBytes{1, 2, 3}));
}

TEST_F(VirtualWaveOutTest, AdvanceMsPlaysWholeFramesOfTheOpenFormat)
{
    TBlock block(TBytes(100, 9));
    Queue(block);
    // 8000 Hz, 16 bits: 16 bytes a millisecond.
    EXPECT_EQ(Device.AdvanceMs(3), 48u);
    EXPECT_EQ(Device.AdvanceMs(10), 52u);
}

TEST_F(VirtualWaveOutTest, FailuresCanBeInjectedAndADestroyedOutputIsReleased)
{
    EXPECT_FALSE(Device.Open(0, TWaveFormat::Pcm(1, 8000, 8))) << "one output at a time";
    Device.SetFailReset(true);
    Device.SetFailClose(true);
    EXPECT_EQ(Output->Reset(), TWaveOutResult::Error);
    EXPECT_EQ(Output->Close(), TWaveOutResult::Error);
    EXPECT_TRUE(Device.IsOpen());
    Output.reset();
    EXPECT_FALSE(Device.IsOpen());

    Device.SetFailOpen(true);
    EXPECT_FALSE(Device.Open(0, TWaveFormat::Pcm(1, 8000, 8)));
    Device.SetFailOpen(false);
    EXPECT_TRUE(Device.Open(0, TWaveFormat::Pcm(1, 8000, 8)));
    EXPECT_EQ(Device.OpenCount(), 2);
}

} // namespace
