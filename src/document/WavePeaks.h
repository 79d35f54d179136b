#pragma once
// TWavePeaks: the smallest and largest sample of every block of a wave, at a
// few block sizes (128, 2048 and 32768 samples), so that the extremes of any
// span of the wave cost a bounded number of steps whatever the span's length:
// whole blocks of the coarsest size that fit, then finer blocks and at most
// 127 single samples at either edge. A waveform drawn from it costs the same
// for an hour as for a second.
//
// It keeps a pointer to the samples it was built from, which must outlive it
// unchanged. Its memory is about 1.7% of the samples' bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct TSampleRange {
    int16_t Min;
    int16_t Max;
};

class TWavePeaks {
public:
    TWavePeaks() = default; // no samples
    TWavePeaks(const int16_t* Samples, std::size_t Count);

    // The extremes of the samples [First, Last); silence (0, 0) for an empty
    // span. Callers keep Last <= the sample count.
    TSampleRange Range(std::size_t First, std::size_t Last) const;

    // Starts fetching what Range reads for a span that begins or ends at
    // Sample, so that a caller walking far apart spans (the columns of a
    // long wave) does not wait for memory at each one. Changes no result.
    void Prefetch(std::size_t Sample) const;

    std::size_t Count() const { return FCount; }
    // The bytes the block extremes take.
    std::size_t MemoryBytes() const;

    static constexpr std::size_t kLevels = 3;
    // The block size of each level, finest first.
    static constexpr std::size_t BlockSize(std::size_t Level) { return std::size_t{128} << (4 * Level); }

private:
    void Scan(std::size_t First, std::size_t Last, std::size_t Level, TSampleRange& Into) const;

    const int16_t* FSamples = nullptr;
    std::size_t FCount = 0;
    // Level l holds one entry per whole block of BlockSize(l) samples; a
    // partial block at the end has none (its samples are read one by one).
    std::array<std::vector<TSampleRange>, kLevels> FLevels;
};
