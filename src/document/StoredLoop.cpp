#include "document/StoredLoop.h"

#include "common/Bytes.h"

#include <algorithm>

namespace {

// manufacturer, product, sample period, unity note, pitch fraction, SMPTE
// format and offset, loop count, sampler data size: nine 32-bit fields.
constexpr std::size_t kHeaderBytes = 36;
constexpr std::size_t kLoopBytes = 24; // cue id, type, start, end, fraction, play count

} // namespace

std::optional<TStoredLoop> ParseSampleChunk(std::span<const unsigned char> Body)
{
    if (Body.size() < kHeaderBytes)
        return std::nullopt;
    const uint64_t loops = GetLe32(Body.data() + 28);
    if (loops == 0 || kHeaderBytes + loops * kLoopBytes > Body.size())
        return std::nullopt;
    const unsigned char* first = Body.data() + kHeaderBytes;
    return TStoredLoop{GetLe32(first + 4), GetLe32(first + 8), GetLe32(first + 12)};
}

namespace {

// The loop as Vantrel would hold it, when it is a forward loop inside the wave.
std::optional<TWaveLoop> PlayedLoop(const TStoredLoop& Loop, int32_t SampleCount)
{
    const uint64_t end = uint64_t{Loop.End} + (Loop.EndExclusive ? 0 : 1);
    if (Loop.MarkersMissing || Loop.Type != kForwardLoop || Loop.Start >= Loop.End || SampleCount <= 0 ||
        end > static_cast<uint64_t>(SampleCount))
        return std::nullopt;
    return TWaveLoop{static_cast<int32_t>(Loop.Start), static_cast<int32_t>(end)};
}

} // namespace

std::optional<TWaveLoop> LoopToUse(const TStoredLoop& Loop, int32_t SampleCount)
{
    const std::optional<TWaveLoop> loop = PlayedLoop(Loop, SampleCount);
    if (!loop || loop->DroppedByBank())
        return std::nullopt;
    return loop;
}

const char* StoredLoopNotUsed(const TStoredLoop& Loop, int32_t SampleCount)
{
    if (Loop.MarkersMissing)
        return kLoopMarkersMissing;
    const std::optional<TWaveLoop> loop = PlayedLoop(Loop, SampleCount);
    if (loop)
        return loop->DroppedByBank() ? kLoopFromZeroNotInBank : nullptr;
    const uint64_t end = uint64_t{Loop.End} + (Loop.EndExclusive ? 0 : 1);
    return Loop.Type == kForwardLoop && Loop.Start < Loop.End && end > static_cast<uint64_t>(std::max(SampleCount, 0))
               ? kStoredLoopOutsideWave
               : nullptr;
}
