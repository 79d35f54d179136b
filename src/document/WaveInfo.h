#pragma once
// TWaveInfo: one sound file held in memory as 16-bit mono samples, with the
// four sample positions the user edits (loop start/end and the span the
// detail view shows), and the loop the file itself stores. The wave list
// creates, loads and owns every TWaveInfo; the views, the exporter and the
// player only read it.

#include "common/Exception.h"
#include "document/StoredLoop.h"
#include "document/WaveLoop.h"
#include "document/WavePeaks.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

VANTREL_DECLARE_EXCEPTION(EWaveInfoException);

// The samples: one contiguous array of signed 16-bit values in sample order.
// Its memory comes zeroed from calloc, so sizing it writes nothing: the
// system hands out large zeroed pages lazily and the reader fills them.
class TWaveData {
public:
    TWaveData() = default;
    // Count zero samples; throws std::bad_alloc when they cannot be had.
    explicit TWaveData(std::size_t Count);

    int16_t* data() { return FSamples.get(); }
    const int16_t* data() const { return FSamples.get(); }
    std::size_t size() const { return FSize; }
    bool empty() const { return FSize == 0; }
    int16_t& operator[](std::size_t Index) { return FSamples[Index]; }
    const int16_t& operator[](std::size_t Index) const { return FSamples[Index]; }
    const int16_t* begin() const { return data(); }
    const int16_t* end() const { return data() + FSize; }
    // Keeps only the first Count samples (Count <= size()).
    void Shrink(std::size_t Count);
    // Makes room for Count samples (Count >= size()), the new ones zero,
    // keeping those held; throws std::bad_alloc and keeps them all when
    // the room cannot be had.
    void Grow(std::size_t Count);

private:
    struct TFree {
        void operator()(int16_t* Samples) const noexcept { std::free(Samples); }
    };
    std::unique_ptr<int16_t[], TFree> FSamples;
    std::size_t FSize = 0;
};

// The canonical 44-byte header of a PCM WAV file, filled from the chunks the
// reader found: the RIFF header, the first 16 bytes of "fmt " and the id and
// size of the data chunk. A converted file gets the header of the 16-bit mono
// WAV file that would hold its samples.
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

// The reader's messages around a file name (see LoadFromFile).
inline constexpr char kUnsupportedWaveFormat[] = "ファイル「%s」は未対応フォーマットです";
inline constexpr char kWaveTooLongFormat[] = "ファイル「%s」は長すぎます";
inline constexpr char kNoMemoryForWaveFormat[] = "ファイル「%s」を読み込むメモリが足りません";
inline constexpr char kWaveChangedFormat[] = "ファイル「%s」は読み込んだ後に変わりました";

// What LoadFromFile keeps of a file.
enum class TWaveReading {
    Samples,     // everything, the samples in memory
    HeadersOnly, // everything but the samples, which ReadSamples reads when
                 // they are needed: an export then holds one wave at a time
};

class TWaveInfo {
public:
    // Reads FileName into this (new) instance. A 16-bit mono PCM WAV file is
    // read as it is; every other file libsndfile reads is converted
    // (ConvertedWave.h). Throws EWaveInfoException "ファイル「%s」を開けません"
    // (path as passed) when the file cannot be opened, and
    // "ファイル「%s」は未対応フォーマットです" (file name without directory)
    // for a file that cannot be read or whose sample rate is 0 or above
    // 2^31 - 1, and "ファイル「%s」は長すぎます" for one of more than
    // kMaxSampleCount samples. A file that ends before the samples its header
    // declares loads the samples it holds, no more, and is Truncated. The
    // loop stays cleared; the first loop of a WAV file's "smpl" chunk, or an
    // AIFF file's sustain loop, is kept as StoredLoop. With HeadersOnly the
    // sample count is still the one the file bears out (a converted file is
    // decoded to count it), but no samples are kept.
    void LoadFromFile(const std::string& FileName, TWaveReading Reading = TWaveReading::Samples);
    // False for a wave loaded with HeadersOnly: Data and Samples are empty.
    bool HoldsSamples() const { return !FHeadersOnly; }
    // Reads FilePath again and gives its SampleCount samples, as
    // LoadFromFile would; for a wave that does not hold them. Throws what
    // LoadFromFile throws, and EWaveInfoException
    // "ファイル「%s」は読み込んだ後に変わりました" when the file no longer
    // gives the sample count or rate this wave has.
    TWaveData ReadSamples() const;
    // Sets the loop from StoredLoop when LoopToUse takes it; otherwise
    // leaves the loop as it is (StoredLoopNotUsed says why). For waves the user adds, never for the
    // waves of a list file, whose own loop points win.
    void UseStoredLoop();

    // A wave of a list file whose file could not be found and that the user
    // chose to keep: no samples, the path and loop points as the list file
    // stores them, so that saving the list keeps the entry as it was. The
    // exporter refuses it.
    static std::unique_ptr<TWaveInfo> Missing(const std::string& StoredPath, int32_t LoopStart, int32_t LoopEnd,
                                              int32_t CrossFade = 0);
    bool IsMissing() const { return FMissing; }

    const std::string& FilePath() const { return FFilePath; }
    // The file name part of FilePath: after the last "\", "/" or ":".
    std::string WaveName() const;
    const TWaveFileHeader& Header() const { return FHeader; }
    // What a converted file held ("24-bit 2ch"); empty for a file read as it is.
    const std::string& ConvertedFrom() const { return FSource; }
    // The children of the list file's "WaveFile" entry in their order, so
    // that saving writes back what this version does not know where it was:
    // the known ones by name ("FileName", "LoopStart", "LoopEnd",
    // "CrossFade"), any other element as its XML (starting with "<"). Empty
    // for a wave the user added.
    const std::vector<std::string>& ListEntryLayout() const { return FListEntryLayout; }
    void SetListEntryLayout(std::vector<std::string> Layout) { FListEntryLayout = std::move(Layout); }
    // The first loop of a WAV file's "smpl" chunk, when it has a well-formed
    // one, or an AIFF file's sustain loop.
    const std::optional<TStoredLoop>& StoredLoop() const { return FStoredLoop; }

    // The file ends before the samples its header declares: it holds only
    // SampleCount of DeclaredSampleCount.
    bool Truncated() const { return FDeclaredSampleCount > SampleCount(); }
    int64_t DeclaredSampleCount() const { return FDeclaredSampleCount; }

    int32_t SamplesPerSec() const { return static_cast<int32_t>(FHeader.nSamplesPerSec); }
    int64_t LengthMSec() const; // from SampleCount and the rate; 0 without a rate
    int32_t SampleCount() const { return FHeader.dataSize / 2; }
    const TWaveData& Data() const { return FData; }
    // The SampleCount samples, as the loop finder and other readers take
    // them; none when the wave does not hold them (HoldsSamples).
    std::span<const int16_t> Samples() const { return {FData.data(), FData.size()}; }
    // The block extremes of Data, built on the first call (from any thread)
    // and kept until the next load.
    const TWavePeaks& Peaks() const;

    int32_t LoopStart() const { return FLoopStart; }
    int32_t LoopEnd() const { return FLoopEnd; }
    // Both points, to ask what they mean (WaveLoop.h).
    TWaveLoop Loop() const { return {FLoopStart, FLoopEnd}; }
    // The loop crossfade in samples, 0 for none (CrossFade.h says what it
    // does and when it fits the loop).
    int32_t CrossFade() const { return FCrossFade; }
    int32_t ViewStart() const { return FViewStart; }
    int32_t ViewEnd() const { return FViewEnd; }

    // Setters keep starts in 0 .. SampleCount-1 and ends in 0 .. SampleCount;
    // other values are ignored without an error. They do not relate a start
    // to its end: order rules belong to the callers.
    void SetLoopStart(int32_t Value);
    void SetLoopEnd(int32_t Value);
    // Any length >= 0; whether it fits the loop is the callers' rule.
    void SetCrossFade(int32_t Samples);
    void SetViewStart(int32_t Value);
    void SetViewEnd(int32_t Value);

private:
    std::string FFilePath;
    TWaveFileHeader FHeader{};
    std::string FSource;
    std::vector<std::string> FListEntryLayout;
    std::optional<TStoredLoop> FStoredLoop;
    int64_t FDeclaredSampleCount = 0;
    bool FMissing = false;
    bool FHeadersOnly = false;
    int32_t FLoopStart = 0;
    int32_t FLoopEnd = 0;
    int32_t FCrossFade = 0;
    int32_t FViewStart = 0;
    int32_t FViewEnd = 0;
    TWaveData FData;
    mutable std::mutex FPeaksLock;
    mutable std::unique_ptr<const TWavePeaks> FPeaks;
};

// The file name part of a path: the text after the last "\", "/" or ":".
std::string WaveNameOf(const std::string& Path);
