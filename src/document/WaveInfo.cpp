#include "document/WaveInfo.h"

#include "common/Bytes.h"
#include "common/File.h"
#include "common/Format.h"
#include "common/OpenFailure.h"
#include "common/Platform.h"
#include "document/ConvertedWave.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

namespace {

bool ReadExact(std::FILE* f, void* buffer, std::size_t size)
{
    return std::fread(buffer, 1, size, f) == size;
}

bool IsId(const unsigned char* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// A "smpl" chunk larger than this is no loop table (thousands of loops).
constexpr uint32_t kMaxSampleChunk = 1 << 20;

// Where the reader found the chunks it needs.
struct TChunkScan {
    bool HaveFmt = false;
    bool HaveData = false;
    bool HaveSmpl = false;
    unsigned char Fmt[16]{};
    uint32_t FmtSize = 0;
    long long DataPos = 0;
    uint32_t DataSize = 0;
    std::optional<TStoredLoop> Loop;
};

std::optional<TStoredLoop> ReadSampleChunk(std::FILE* f, uint32_t size)
{
    if (size > kMaxSampleChunk)
        return std::nullopt;
    std::vector<unsigned char> body(size);
    body.resize(std::fread(body.data(), 1, size, f));
    return ParseSampleChunk(body);
}

// Walks the RIFF chunks after "RIFF"/"WAVE" until "fmt ", the first "data"
// and the first "smpl" chunk are known or the file ends, skipping every
// other chunk and its pad byte. Returns false when the "fmt " chunk is too
// short to be PCM.
bool ScanChunks(std::FILE* f, TChunkScan& scan)
{
    while (!(scan.HaveFmt && scan.HaveData && scan.HaveSmpl)) {
        unsigned char chunk[8];
        if (!ReadExact(f, chunk, sizeof chunk))
            break;
        const uint32_t size = GetLe32(chunk + 4);
        const long long body = Platform::StreamPosition(f);
        if (IsId(chunk, "fmt ") && !scan.HaveFmt) {
            if (size < sizeof scan.Fmt || !ReadExact(f, scan.Fmt, sizeof scan.Fmt))
                return false;
            scan.HaveFmt = true;
            scan.FmtSize = size;
        } else if (IsId(chunk, "data") && !scan.HaveData) {
            scan.HaveData = true;
            scan.DataPos = body;
            scan.DataSize = size;
        } else if (IsId(chunk, "smpl") && !scan.HaveSmpl) {
            scan.HaveSmpl = true;
            scan.Loop = ReadSampleChunk(f, size);
        }
        const long long next = body + static_cast<long long>(size) + (size & 1u);
        if (!Platform::SeekStream(f, next, SEEK_SET))
            break;
    }
    return true;
}

// The shape Vantrel holds and plays, read without conversion.
bool IsPlainPcm(const TChunkScan& scan)
{
    return scan.HaveFmt && scan.HaveData && GetLe16(scan.Fmt) == 1 && GetLe16(scan.Fmt + 2) == 1 &&
           GetLe16(scan.Fmt + 14) == 16;
}

TWaveFileHeader PlainHeader(const unsigned char* riff, const TChunkScan& scan)
{
    TWaveFileHeader header{};
    std::memcpy(header.riffId, riff, 4);
    header.riffSize = GetLe32(riff + 4);
    std::memcpy(header.waveId, riff + 8, 4);
    std::memcpy(header.fmtId, "fmt ", 4);
    header.fmtSize = scan.FmtSize;
    header.wFormatTag = GetLe16(scan.Fmt);
    header.nChannels = GetLe16(scan.Fmt + 2);
    header.nSamplesPerSec = GetLe32(scan.Fmt + 4);
    header.nAvgBytesPerSec = GetLe32(scan.Fmt + 8);
    header.nBlockAlign = GetLe16(scan.Fmt + 12);
    header.wBitsPerSample = GetLe16(scan.Fmt + 14);
    std::memcpy(header.dataId, "data", 4);
    header.dataSize = static_cast<int32_t>(scan.DataSize);
    return header;
}

// The header of the canonical 16-bit mono file that would hold a converted wave.
TWaveFileHeader ConvertedHeader(const TConvertedWave& wave)
{
    const uint32_t dataSize = static_cast<uint32_t>(wave.Samples.size() * 2);
    const uint32_t rate = static_cast<uint32_t>(wave.SampleRate);
    TWaveFileHeader header{};
    std::memcpy(header.riffId, "RIFF", 4);
    header.riffSize = 36 + dataSize;
    std::memcpy(header.waveId, "WAVE", 4);
    std::memcpy(header.fmtId, "fmt ", 4);
    header.fmtSize = 16;
    header.wFormatTag = 1;
    header.nChannels = 1;
    header.nSamplesPerSec = rate;
    header.nAvgBytesPerSec = rate * 2;
    header.nBlockAlign = 2;
    header.wBitsPerSample = 16;
    std::memcpy(header.dataId, "data", 4);
    header.dataSize = static_cast<int32_t>(dataSize);
    return header;
}

EWaveInfoException TooLong(const std::string& FileName, int64_t Samples)
{
    return EWaveInfoException(Format(kWaveTooLongFormat, WaveNameOf(FileName).c_str()),
                              Format("%lld サンプルあり、上限は %lld サンプルです", static_cast<long long>(Samples),
                                     static_cast<long long>(kMaxSampleCount)));
}

// The frames a PCM or float WAV file's data chunk declares (libsndfile
// counts only those the file holds); 0 for other shapes.
int64_t DeclaredPcmFrames(const TChunkScan& scan)
{
    const uint16_t tag = GetLe16(scan.Fmt), blockAlign = GetLe16(scan.Fmt + 12);
    const bool pcm = tag == 1 || tag == 3 || tag == 0xFFFE;
    return scan.HaveFmt && scan.HaveData && pcm && blockAlign > 0 ? scan.DataSize / blockAlign : 0;
}

// How many bytes of the data chunk the file holds: its declared size, or
// less when the file ends early.
uint32_t PresentDataBytes(std::FILE* f, const TChunkScan& scan)
{
    const int64_t size = Platform::StreamSize(f);
    if (size < 0)
        return 0;
    const long long present = size - scan.DataPos;
    return present <= 0 ? 0 : static_cast<uint32_t>(std::min<long long>(present, scan.DataSize));
}

// Reads Size bytes from Offset into Out (zeroed memory). Stretches the system
// reports as holes of a sparse file read as zeros anyway: they are skipped,
// so their memory is never touched.
void ReadPresentBytes(std::FILE* f, long long Offset, std::size_t Size, char* Out)
{
    const long long end = Offset + static_cast<long long>(Size);
    for (long long pos = Offset; pos < end;) {
        const auto [data, hole] = Platform::NextDataExtent(f, pos, end);
        if (data >= end || !Platform::SeekStream(f, data, SEEK_SET))
            return;
        std::fread(Out + (data - Offset), 1, static_cast<std::size_t>(hole - data), f);
        pos = hole;
    }
}

} // namespace

TWaveData::TWaveData(std::size_t Count)
    : FSamples(static_cast<int16_t*>(std::calloc(Count == 0 ? 1 : Count, sizeof(int16_t)))), FSize(Count)
{
    if (!FSamples)
        throw std::bad_alloc();
}

void TWaveData::Shrink(std::size_t Count)
{
    if (Count >= FSize)
        return;
    // Giving the tail back is a courtesy: when realloc fails the block stays.
    if (auto* smaller = static_cast<int16_t*>(std::realloc(FSamples.get(), (Count == 0 ? 1 : Count) * sizeof(int16_t)))) {
        static_cast<void>(FSamples.release());
        FSamples.reset(smaller);
    }
    FSize = Count;
}

void TWaveData::Grow(std::size_t Count)
{
    if (Count <= FSize)
        return;
    if (Count > SIZE_MAX / sizeof(int16_t))
        throw std::bad_alloc();
    auto* larger = static_cast<int16_t*>(std::realloc(FSamples.get(), Count * sizeof(int16_t)));
    if (!larger)
        throw std::bad_alloc();
    static_cast<void>(FSamples.release());
    FSamples.reset(larger);
    std::memset(larger + FSize, 0, (Count - FSize) * sizeof(int16_t));
    FSize = Count;
}

std::string WaveNameOf(const std::string& Path)
{
    const auto cut = Path.find_last_of("\\/:");
    return cut == std::string::npos ? Path : Path.substr(cut + 1);
}

void TWaveInfo::LoadFromFile(const std::string& FileName, TWaveReading Reading)
{
    const bool keepSamples = Reading == TWaveReading::Samples;
    TFileHandle file = OpenFile(FileName, "rb");
    if (!file)
        throw EWaveInfoException(CannotOpenMessage(FileName));
    const auto unsupported = [&] {
        return EWaveInfoException(
            Format(kUnsupportedWaveFormat, WaveNameOf(FileName).c_str()));
    };

    unsigned char riff[12];
    TChunkScan scan;
    const bool isWave = ReadExact(file.get(), riff, sizeof riff) && IsId(riff, "RIFF") && IsId(riff + 8, "WAVE");
    const bool plain = isWave && ScanChunks(file.get(), scan) && IsPlainPcm(scan);

    TWaveFileHeader header{};
    TWaveData data;
    std::string source;
    int64_t declared = 0;
    std::optional<TStoredLoop> storedLoop = scan.Loop;
    try {
        if (plain) {
            // A rate of 0 or one negative as a signed 32-bit value is no sound.
            if (GetLe32(scan.Fmt + 4) == 0 || GetLe32(scan.Fmt + 4) > uint32_t{INT32_MAX})
                throw unsupported();
            declared = scan.DataSize / 2;
            const uint32_t present = PresentDataBytes(file.get(), scan);
            if (present / 2 > kMaxSampleCount)
                throw TooLong(FileName, present / 2);
            header = PlainHeader(riff, scan);
            header.dataSize = static_cast<int32_t>(present);
            if (keepSamples) {
                data = TWaveData(present / 2);
                ReadPresentBytes(file.get(), scan.DataPos, data.size() * 2, reinterpret_cast<char*>(data.data()));
            }
        } else {
            std::optional<TConvertedWave> converted = ReadConvertedWave(file.get());
            if (!converted)
                throw unsupported();
            if (converted->DeclaredFrames > kMaxSampleCount)
                throw TooLong(FileName, converted->DeclaredFrames);
            header = ConvertedHeader(*converted);
            declared = std::max(converted->DeclaredFrames, DeclaredPcmFrames(scan));
            if (keepSamples)
                data = std::move(converted->Samples);
            source = std::move(converted->Source);
            if (!isWave)
                storedLoop = converted->SustainLoop;
        }
    } catch (const std::bad_alloc&) {
        throw EWaveInfoException(
            Format(kNoMemoryForWaveFormat, WaveNameOf(FileName).c_str()));
    }

    FHeader = header;
    {
        // The block extremes describe the samples they were built from.
        const std::lock_guard lock(FPeaksLock);
        FPeaks.reset();
    }
    FData = std::move(data);
    FSource = std::move(source);
    FDeclaredSampleCount = std::max<int64_t>(declared, SampleCount());
    FStoredLoop = storedLoop;
    FFilePath = FileName;
    FHeadersOnly = !keepSamples;
    FLoopStart = 0;
    FLoopEnd = 0;
    FCrossFade = 0;
    FViewStart = 0;
    FViewEnd = SampleCount();
}

TWaveData TWaveInfo::ReadSamples() const
{
    TWaveInfo again;
    again.LoadFromFile(FFilePath);
    if (again.SampleCount() != SampleCount() || again.SamplesPerSec() != SamplesPerSec())
        throw EWaveInfoException(Format(kWaveChangedFormat, WaveName().c_str()));
    return std::move(again.FData);
}

std::unique_ptr<TWaveInfo> TWaveInfo::Missing(const std::string& StoredPath, int32_t LoopStart, int32_t LoopEnd,
                                              int32_t CrossFade)
{
    auto wave = std::make_unique<TWaveInfo>();
    wave->FFilePath = StoredPath;
    wave->FLoopStart = LoopStart;
    wave->FLoopEnd = LoopEnd;
    wave->FCrossFade = CrossFade;
    wave->FMissing = true;
    return wave;
}

void TWaveInfo::UseStoredLoop()
{
    if (!FStoredLoop)
        return;
    if (const auto loop = LoopToUse(*FStoredLoop, SampleCount())) {
        FLoopStart = loop->Start;
        FLoopEnd = loop->End;
    }
}

std::string TWaveInfo::WaveName() const { return WaveNameOf(FFilePath); }

int64_t TWaveInfo::LengthMSec() const
{
    // From the samples and their rate: a header's byte rate is only a hint
    // that readers ignore, and may say anything.
    if (SamplesPerSec() <= 0)
        return 0;
    return int64_t{SampleCount()} * 1000 / SamplesPerSec();
}

void TWaveInfo::SetLoopStart(int32_t Value)
{
    if (Value >= 0 && Value < SampleCount())
        FLoopStart = Value;
}

void TWaveInfo::SetLoopEnd(int32_t Value)
{
    if (Value >= 0 && Value <= SampleCount())
        FLoopEnd = Value;
}

void TWaveInfo::SetCrossFade(int32_t Samples)
{
    if (Samples >= 0)
        FCrossFade = Samples;
}

void TWaveInfo::SetViewStart(int32_t Value)
{
    if (Value >= 0 && Value < SampleCount())
        FViewStart = Value;
}

void TWaveInfo::SetViewEnd(int32_t Value)
{
    if (Value >= 0 && Value <= SampleCount())
        FViewEnd = Value;
}

const TWavePeaks& TWaveInfo::Peaks() const
{
    const std::lock_guard lock(FPeaksLock);
    if (!FPeaks)
        FPeaks = std::make_unique<const TWavePeaks>(FData.data(), FData.size());
    return *FPeaks;
}
