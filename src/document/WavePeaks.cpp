#include "document/WavePeaks.h"

#include <algorithm>

namespace {

constexpr std::size_t kFanOut = TWavePeaks::BlockSize(1) / TWavePeaks::BlockSize(0);

void Merge(TSampleRange& Into, TSampleRange Part)
{
    Into.Min = std::min(Into.Min, Part.Min);
    Into.Max = std::max(Into.Max, Part.Max);
}

// The extremes of Count samples; written so the compiler can vectorise it.
TSampleRange ScanSamples(const int16_t* Samples, std::size_t Count)
{
    int16_t lo = INT16_MAX;
    int16_t hi = INT16_MIN;
    for (std::size_t i = 0; i < Count; ++i) {
        lo = std::min(lo, Samples[i]);
        hi = std::max(hi, Samples[i]);
    }
    return {lo, hi};
}

} // namespace

TWavePeaks::TWavePeaks(const int16_t* Samples, std::size_t Count) : FSamples(Samples), FCount(Count)
{
    std::vector<TSampleRange>& finest = FLevels[0];
    finest.resize(Count / BlockSize(0));
    for (std::size_t b = 0; b < finest.size(); ++b)
        finest[b] = ScanSamples(Samples + b * BlockSize(0), BlockSize(0));
    for (std::size_t level = 1; level < kLevels; ++level) {
        const std::vector<TSampleRange>& below = FLevels[level - 1];
        std::vector<TSampleRange>& blocks = FLevels[level];
        blocks.resize(Count / BlockSize(level));
        for (std::size_t b = 0; b < blocks.size(); ++b) {
            blocks[b] = below[b * kFanOut];
            for (std::size_t i = 1; i < kFanOut; ++i)
                Merge(blocks[b], below[b * kFanOut + i]);
        }
    }
}

TSampleRange TWavePeaks::Range(std::size_t First, std::size_t Last) const
{
    Last = std::min(Last, FCount);
    if (First >= Last)
        return {0, 0};
    TSampleRange result{INT16_MAX, INT16_MIN};
    Scan(First, Last, kLevels, result);
    return result;
}

// Merges the extremes of [First, Last) into Into using the blocks of the
// levels below Level, coarsest first: the whole blocks of level Level - 1
// inside the span, and the edges around them one level finer.
void TWavePeaks::Scan(std::size_t First, std::size_t Last, std::size_t Level, TSampleRange& Into) const
{
    if (First >= Last)
        return;
    if (Level == 0) {
        Merge(Into, ScanSamples(FSamples + First, Last - First));
        return;
    }
    const std::size_t size = BlockSize(Level - 1);
    const std::size_t firstBlock = (First + size - 1) / size;
    const std::size_t endBlock = std::min(Last / size, FLevels[Level - 1].size());
    if (firstBlock >= endBlock) {
        Scan(First, Last, Level - 1, Into);
        return;
    }
    Scan(First, firstBlock * size, Level - 1, Into);
    for (std::size_t b = firstBlock; b < endBlock; ++b)
        Merge(Into, FLevels[Level - 1][b]);
    Scan(endBlock * size, Last, Level - 1, Into);
}

void TWavePeaks::Prefetch(std::size_t Sample) const
{
    if (Sample >= FCount)
        return;
    const int16_t* block = FSamples + Sample / BlockSize(0) * BlockSize(0);
    for (std::size_t offset = 0; offset < BlockSize(0) && block + offset < FSamples + FCount; offset += 32)
        __builtin_prefetch(block + offset);
    // The blocks on either side of Sample that a span's edge may read.
    for (std::size_t level = 0; level < kLevels; ++level) {
        const std::size_t b = Sample / BlockSize(level);
        const std::vector<TSampleRange>& blocks = FLevels[level];
        for (std::size_t near : {b - std::min(b, kFanOut), b, b + kFanOut})
            if (near < blocks.size())
                __builtin_prefetch(&blocks[near]);
    }
}

std::size_t TWavePeaks::MemoryBytes() const
{
    std::size_t bytes = 0;
    for (const std::vector<TSampleRange>& blocks : FLevels)
        bytes += blocks.size() * sizeof(TSampleRange);
    return bytes;
}
