#include "document/WaveInfo.h"

#include "common/Bytes.h"
#include "common/File.h"
#include "common/Format.h"
#include "common/OpenFailure.h"
#include "document/ConvertedWave.h"

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
        const long long body = ftello(f);
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
        if (fseeko(f, next, SEEK_SET) != 0)
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

// The data chunk's bytes as they are, as 16-bit samples. A short read is no
// error: samples past the end of the file stay 0.
TWaveData ReadPlainSamples(std::FILE* f, const TChunkScan& scan)
{
    const std::size_t count = scan.DataSize / 2;
    TWaveData data(count);
    if (count > 0 && fseeko(f, scan.DataPos, SEEK_SET) == 0)
        std::fread(data.data(), 1, count * 2, f);
    return data;
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

std::string WaveNameOf(const std::string& Path)
{
    const auto cut = Path.find_last_of("\\/:");
    return cut == std::string::npos ? Path : Path.substr(cut + 1);
}

void TWaveInfo::LoadFromFile(const std::string& FileName)
{
    TFileHandle file = OpenFile(FileName, "rb");
    if (!file)
        throw EWaveInfoException(CannotOpenMessage(FileName));
    const auto unsupported = [&] {
        return EWaveInfoException(
            Format("ファイル「%s」は未対応フォーマットです", WaveNameOf(FileName).c_str()));
    };

    unsigned char riff[12];
    TChunkScan scan;
    const bool isWave = ReadExact(file.get(), riff, sizeof riff) && IsId(riff, "RIFF") && IsId(riff + 8, "WAVE");
    const bool plain = isWave && ScanChunks(file.get(), scan) && IsPlainPcm(scan);

    TWaveFileHeader header{};
    TWaveData data;
    std::string source;
    try {
        if (plain) {
            if (scan.DataSize > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
                throw unsupported();
            header = PlainHeader(riff, scan);
            data = ReadPlainSamples(file.get(), scan);
        } else {
            std::optional<TConvertedWave> converted = ReadConvertedWave(file.get());
            if (!converted)
                throw unsupported();
            header = ConvertedHeader(*converted);
            data = std::move(converted->Samples);
            source = std::move(converted->Source);
        }
    } catch (const std::bad_alloc&) {
        throw EWaveInfoException(
            Format("ファイル「%s」を読み込むメモリが足りません", WaveNameOf(FileName).c_str()));
    }

    FHeader = header;
    {
        // The block extremes describe the samples they were built from.
        const std::lock_guard lock(FPeaksLock);
        FPeaks.reset();
    }
    FData = std::move(data);
    FSource = std::move(source);
    FStoredLoop = scan.Loop;
    FFilePath = FileName;
    FLoopStart = 0;
    FLoopEnd = 0;
    FViewStart = 0;
    FViewEnd = SampleCount();
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
    if (FHeader.nAvgBytesPerSec == 0)
        return 0;
    return static_cast<int64_t>(FHeader.dataSize) * 1000 / static_cast<int64_t>(FHeader.nAvgBytesPerSec);
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
