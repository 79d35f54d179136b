#include "playback/LoopFeeder.h"

#include "playback/LowLVPCM.h"

#include <algorithm>
#include <cstring>

void TLoopFeeder::Start(const TWaveInfo& Wave, uint32_t BlockBytes)
{
    const auto count = static_cast<int32_t>(std::min<int64_t>(Wave.SampleCount(), int64_t(Wave.Data().size())));
    const TWaveLoop loop = Wave.Loop();
    if (loop.PlayFault() || loop.End > count)
        throw ELoopFeederError("ループの指定が不正です");
    FSamples = Wave.Data().data();
    FCount = count;
    FLoopStart = loop.Start;
    FLoopEnd = loop.Plays() ? loop.End : 0;
    FBlock.assign(BlockBytes / 2, 0);
    FPosition = 0;
}

void TLoopFeeder::Feed(TLowLVPCM& Player)
{
    const int32_t position = FPosition.load(std::memory_order_relaxed);
    if (FLoopEnd == 0)
        FeedOnce(Player, position);
    else
        FeedLooped(Player, position);
}

// Hands over the wave's own samples, the player copies them.
void TLoopFeeder::FeedOnce(TLowLVPCM& Player, int32_t Position)
{
    const int64_t n = std::min<int64_t>(int64_t(FCount) - Position, static_cast<int64_t>(FBlock.size()));
    if (n < 1) {
        Player.Write(nullptr, 0);
        return;
    }
    Player.Write(FSamples + Position, static_cast<int32_t>(n * 2));
    FPosition.store(Position + static_cast<int32_t>(n), std::memory_order_relaxed);
}

// Fills a whole block, wrapping from the loop end back to the loop start as
// often as the block needs.
void TLoopFeeder::FeedLooped(TLowLVPCM& Player, int32_t Position)
{
    const std::size_t half = FBlock.size();
    std::size_t filled = 0;
    while (filled < half) {
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(FLoopEnd - Position), half - filled);
        std::memcpy(FBlock.data() + filled, FSamples + Position, n * 2);
        Position += static_cast<int32_t>(n);
        filled += n;
        if (Position == FLoopEnd)
            Position = FLoopStart;
    }
    FPosition.store(Position, std::memory_order_relaxed);
    Player.Write(FBlock.data(), static_cast<int32_t>(half * 2));
}
