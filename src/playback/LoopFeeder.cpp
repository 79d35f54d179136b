#include "playback/LoopFeeder.h"

#include "document/CrossFade.h"
#include "playback/LowLVPCM.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kLoopFault = "ループの指定が不正です";

} // namespace

TAuditionSpans AuditionSpans(const TWaveLoop& Loop, int32_t HalfSamples)
{
    const int32_t after = std::min(HalfSamples, Loop.Length() / 2);
    return {std::min(HalfSamples, Loop.Length() - after), after};
}

void TLoopFeeder::Prepare(const TWaveInfo& Wave, uint32_t BlockBytes)
{
    const auto count = static_cast<int32_t>(std::min<int64_t>(Wave.SampleCount(), int64_t(Wave.Data().size())));
    const TWaveLoop loop = Wave.Loop();
    if (loop.PlayFault() || loop.End > count)
        throw ELoopFeederError(kLoopFault);
    if (const std::string fault = CrossFadeFault(Wave, loop, Wave.CrossFade()); !fault.empty())
        throw ELoopFeederError(fault);
    FFaded = FadedStretch(Wave.Samples(), loop, Wave.CrossFade());
    FSamples = Wave.Data().data();
    FCount = count;
    FLoopStart = loop.Start;
    FLoopEnd = loop.End;
    FBlock.assign(BlockBytes / 2, 0);
    FSpan = 0;
}

void TLoopFeeder::Start(const TWaveInfo& Wave, uint32_t BlockBytes)
{
    Prepare(Wave, BlockBytes);
    if (Wave.Loop().Plays()) {
        FSpans = {{0, FLoopEnd}, {FLoopStart, FLoopEnd}};
        FRepeatFrom = 1;
    } else {
        FSpans = {{0, FCount}};
        FRepeatFrom = -1;
    }
    FPosition = 0;
}

void TLoopFeeder::StartAudition(const TWaveInfo& Wave, uint32_t BlockBytes)
{
    if (!Wave.Loop().Plays())
        throw ELoopFeederError(kLoopFault);
    Prepare(Wave, BlockBytes);
    const int32_t half = static_cast<int32_t>(int64_t{Wave.SamplesPerSec()} * kAuditionSideMs / 1000);
    const TAuditionSpans sides = AuditionSpans(Wave.Loop(), std::max(half, 1));
    FSpans = {{FLoopEnd - sides.Before, FLoopEnd}, {FLoopStart, FLoopStart + sides.After}};
    FRepeatFrom = 0;
    FPosition = FSpans.front().From;
}

void TLoopFeeder::CopyOut(int16_t* Out, int32_t Position, int32_t Count) const
{
    if (FFaded.empty()) {
        std::memcpy(Out, FSamples + Position, std::size_t(Count) * 2);
        return;
    }
    const int32_t fadeFrom = FLoopEnd - static_cast<int32_t>(FFaded.size());
    const int32_t plain = std::clamp(fadeFrom - Position, 0, Count);
    std::memcpy(Out, FSamples + Position, std::size_t(plain) * 2);
    if (plain < Count)
        std::memcpy(Out + plain, FFaded.data() + (Position + plain - fadeFrom), std::size_t(Count - plain) * 2);
}

// Fills the block from the spans in turn, going back to FRepeatFrom after
// the last; without a repeat the last block may be short, and the next call
// marks the end.
void TLoopFeeder::Feed(TLowLVPCM& Player)
{
    int32_t position = FPosition.load(std::memory_order_relaxed);
    const std::size_t size = FBlock.size();
    std::size_t filled = 0;
    while (filled < size && FSpan < FSpans.size()) {
        const TSpan span = FSpans[FSpan];
        const auto n = static_cast<int32_t>(std::min<std::size_t>(std::size_t(span.To - position), size - filled));
        CopyOut(FBlock.data() + filled, position, n);
        position += n;
        filled += std::size_t(n);
        if (position < span.To)
            continue;
        FSpan = FRepeatFrom >= 0 && FSpan + 1 == FSpans.size() ? std::size_t(FRepeatFrom) : FSpan + 1;
        if (FSpan < FSpans.size())
            position = FSpans[FSpan].From;
    }
    FPosition.store(position, std::memory_order_relaxed);
    if (filled == 0) {
        Player.Write(nullptr, 0);
        return;
    }
    Player.Write(FBlock.data(), static_cast<int32_t>(filled * 2));
}
