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

uint32_t LiveBlockBytes(int32_t SamplesPerSec)
{
    uint32_t samples = 64;
    while (samples < 1u << 16 && int64_t{samples} * 100 < SamplesPerSec)
        samples *= 2;
    return samples * 2;
}

void TLoopFeeder::Start(const TWaveInfo& Wave, uint32_t BlockBytes, int32_t From)
{
    Begin(Wave, BlockBytes, TMode::Play, From);
}

void TLoopFeeder::StartAudition(const TWaveInfo& Wave, uint32_t BlockBytes)
{
    Begin(Wave, BlockBytes, TMode::Audition, 0);
}

// The first block rejoins the plan (Feed): a From past the loop end goes on
// from the loop start.
void TLoopFeeder::Begin(const TWaveInfo& Wave, uint32_t BlockBytes, TMode Mode, int32_t From)
{
    const auto count = static_cast<int32_t>(std::min<int64_t>(Wave.SampleCount(), int64_t(Wave.Data().size())));
    const TWaveLoop loop = Wave.Loop();
    if (loop.PlayFault() || loop.End > count || (Mode == TMode::Audition && !loop.Plays()))
        throw ELoopFeederError(kLoopFault);
    if (const std::string fault = CrossFadeFault(Wave, loop, Wave.CrossFade()); !fault.empty())
        throw ELoopFeederError(fault);
    FSamples = Wave.Data().data();
    FCount = count;
    FMode = Mode;
    FHalfSamples = std::max(static_cast<int32_t>(int64_t{Wave.SamplesPerSec()} * kAuditionSideMs / 1000), 1);
    FBlock.assign(BlockBytes / 2, 0);
    FSpan = 0;
    FPlans.Clear();
    auto plan = std::make_unique<const TPlan>(PlanOf(Wave, loop, Wave.CrossFade()));
    FPosition = Mode == TMode::Play ? std::clamp(From, 0, std::max(count - 1, 0)) : plan->Spans.front().From;
    FPlans.Publish(std::move(plan));
}

bool TLoopFeeder::Follow(const TWaveInfo& Wave)
{
    const TWaveLoop loop = Wave.Loop();
    if (!FSamples || loop.PlayFault() || loop.End > FCount || (FMode == TMode::Audition && !loop.Plays()))
        return false;
    const int32_t fade = std::min(Wave.CrossFade(), LongestFade(loop));
    FPlans.Publish(std::make_unique<const TPlan>(PlanOf(Wave, loop, fade)));
    return true;
}

// Every plan has a span to start from, and one that is not empty.
TLoopFeeder::TPlan TLoopFeeder::PlanOf(const TWaveInfo& Wave, const TWaveLoop& Loop, int32_t Fade) const
{
    TPlan plan;
    plan.LoopEnd = Loop.End;
    plan.Faded = FadedStretch(Wave.Samples(), Loop, Fade);
    if (FMode == TMode::Audition) {
        const TAuditionSpans sides = AuditionSpans(Loop, FHalfSamples);
        plan.Spans = {{Loop.End - sides.Before, Loop.End}, {Loop.Start, Loop.Start + sides.After}};
        plan.RepeatFrom = 0;
    } else if (Loop.Plays()) {
        plan.Spans = {{0, Loop.End}, {Loop.Start, Loop.End}};
        plan.RepeatFrom = 1;
    } else {
        plan.Spans = {{0, FCount}};
    }
    return plan;
}

std::size_t TLoopFeeder::NextSpan(const TPlan& Plan) const
{
    return Plan.RepeatFrom >= 0 && FSpan + 1 == Plan.Spans.size() ? std::size_t(Plan.RepeatFrom) : FSpan + 1;
}

void TLoopFeeder::Rejoin(const TPlan& Plan, int32_t& Position)
{
    FSpan = std::min(FSpan, Plan.Spans.size() - 1);
    const TSpan span = Plan.Spans[FSpan];
    if (Position >= span.From && Position < span.To)
        return;
    FSpan = NextSpan(Plan);
    if (FSpan < Plan.Spans.size())
        Position = Plan.Spans[FSpan].From;
}

void TLoopFeeder::CopyOut(const TPlan& Plan, int16_t* Out, int32_t Position, int32_t Count) const
{
    if (Plan.Faded.empty()) {
        std::memcpy(Out, FSamples + Position, std::size_t(Count) * 2);
        return;
    }
    const int32_t fadeFrom = Plan.LoopEnd - static_cast<int32_t>(Plan.Faded.size());
    const int32_t plain = std::clamp(fadeFrom - Position, 0, Count);
    std::memcpy(Out, FSamples + Position, std::size_t(plain) * 2);
    if (plain < Count)
        std::memcpy(Out + plain, Plan.Faded.data() + (Position + plain - fadeFrom), std::size_t(Count - plain) * 2);
}

// Fills the block from the newest plan's spans in turn, going back to its
// RepeatFrom after the last; without a repeat the last block may be short,
// and the next call marks the end.
void TLoopFeeder::Feed(TLowLVPCM& Player)
{
    bool changed = false;
    const TPlan* plan = FPlans.Take(changed);
    int32_t position = FPosition.load(std::memory_order_relaxed);
    if (plan && changed)
        Rejoin(*plan, position);
    const std::size_t size = FBlock.size();
    const std::size_t spans = plan ? plan->Spans.size() : 0;
    std::size_t filled = 0;
    while (filled < size && FSpan < spans) {
        const TSpan span = plan->Spans[FSpan];
        const auto n = static_cast<int32_t>(std::min<std::size_t>(std::size_t(span.To - position), size - filled));
        CopyOut(*plan, FBlock.data() + filled, position, n);
        position += n;
        filled += std::size_t(n);
        if (position < span.To)
            continue;
        FSpan = NextSpan(*plan);
        if (FSpan < spans)
            position = plan->Spans[FSpan].From;
    }
    FPosition.store(position, std::memory_order_relaxed);
    if (filled == 0) {
        Player.Write(nullptr, 0);
        return;
    }
    Player.Write(FBlock.data(), static_cast<int32_t>(filled * 2));
}
