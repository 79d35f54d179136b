#pragma once
// TWaveInfo: one 16-bit mono PCM WAV file held in memory, with the four
// sample positions the user edits (loop start/end and the span the detail
// view shows). The wave list creates, loads and owns every TWaveInfo; the
// views, the exporter and the player only read it.

#include "common/Exception.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <memory>
#include <string>
#include <vector>

VANTREL_DECLARE_EXCEPTION(EWaveInfoException);

// Allocator whose memory arrives zeroed from calloc and whose elements are
// left as they are on construction. Sizing the sample array therefore writes
// nothing: the system hands out large zeroed pages lazily, the reader fills
// them with one read, and samples past a short file stay 0.
template <typename T>
struct TZeroedAllocator {
    using value_type = T;
    TZeroedAllocator() = default;
    template <typename U>
    TZeroedAllocator(const TZeroedAllocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        if (void* p = std::calloc(n, sizeof(T)))
            return static_cast<T*>(p);
        throw std::bad_alloc();
    }
    void deallocate(T* p, std::size_t) noexcept { std::free(p); }

    template <typename U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <typename U>
    bool operator==(const TZeroedAllocator<U>&) const noexcept { return true; }
};

// The samples: one contiguous array of signed 16-bit values in sample order.
using TWaveData = std::vector<int16_t, TZeroedAllocator<int16_t>>;

// The canonical 44-byte header of a PCM WAV file, filled from the chunks the
// reader found: the RIFF header, the first 16 bytes of "fmt " and the id and
// size of the data chunk.
#pragma pack(push, 1)
struct TWaveFileHeader {
    char riffId[4];
    uint32_t riffSize;
    char waveId[4];
    char fmtId[4];
    uint32_t fmtSize;
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    char dataId[4];
    int32_t dataSize;
};
#pragma pack(pop)
static_assert(sizeof(TWaveFileHeader) == 44);

class TWaveInfo {
public:
    // Reads FileName into this (new) instance. Accepts only 16-bit mono PCM.
    // Throws EWaveInfoException "ファイル「%s」を開けません" (path as passed)
    // when the file cannot be opened, and "ファイル「%s」は未対応フォーマットです"
    // (file name without directory) for anything it does not support.
    // A data chunk that is shorter than its declared size loads with the
    // missing samples as 0.
    void LoadFromFile(const std::string& FileName);

    const std::string& FilePath() const { return FFilePath; }
    // The file name part of FilePath: after the last "\", "/" or ":".
    std::string WaveName() const;
    const TWaveFileHeader& Header() const { return FHeader; }

    int32_t SamplesPerSec() const { return static_cast<int32_t>(FHeader.nSamplesPerSec); }
    int64_t LengthMSec() const; // 0 when the header gives no byte rate
    int32_t SampleCount() const { return FHeader.dataSize / 2; }
    const TWaveData& Data() const { return FData; }

    int32_t LoopStart() const { return FLoopStart; }
    int32_t LoopEnd() const { return FLoopEnd; }
    int32_t ViewStart() const { return FViewStart; }
    int32_t ViewEnd() const { return FViewEnd; }

    // Setters keep starts in 0 .. SampleCount-1 and ends in 0 .. SampleCount;
    // other values are ignored without an error. They do not relate a start
    // to its end: order rules belong to the callers.
    void SetLoopStart(int32_t Value);
    void SetLoopEnd(int32_t Value);
    void SetViewStart(int32_t Value);
    void SetViewEnd(int32_t Value);

private:
    std::string FFilePath;
    TWaveFileHeader FHeader{};
    int32_t FLoopStart = 0;
    int32_t FLoopEnd = 0;
    int32_t FViewStart = 0;
    int32_t FViewEnd = 0;
    TWaveData FData;
};

// The file name part of a path: the text after the last "\", "/" or ":".
std::string WaveNameOf(const std::string& Path);
