#include "document/WaveInfo.h"

#include "common/Bytes.h"
#include "common/File.h"
#include "common/Format.h"
#include "common/OpenFailure.h"

#include <cstring>
#include <limits>
#include <new>

namespace {

bool ReadExact(std::FILE* f, void* buffer, std::size_t size)
{
    return std::fread(buffer, 1, size, f) == size;
}

bool IsId(const unsigned char* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

// Where the reader found the two chunks it needs.
struct TChunkScan {
    bool HaveFmt = false;
    bool HaveData = false;
    unsigned char Fmt[16]{};
    uint32_t FmtSize = 0;
    long long DataPos = 0;
    uint32_t DataSize = 0;
};

// Walks the RIFF chunks after "RIFF"/"WAVE" until both "fmt " and the first
// "data" chunk are known, skipping every other chunk and its pad byte.
// Returns false when the "fmt " chunk is too short to be PCM.
bool ScanChunks(std::FILE* f, TChunkScan& scan)
{
    while (!(scan.HaveFmt && scan.HaveData)) {
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
        }
        const long long next = body + static_cast<long long>(size) + (size & 1u);
        if (fseeko(f, next, SEEK_SET) != 0)
            break;
    }
    return true;
}

} // namespace

TWaveData::TWaveData(std::size_t Count)
    : FSamples(static_cast<int16_t*>(std::calloc(Count == 0 ? 1 : Count, sizeof(int16_t)))), FSize(Count)
{
    if (!FSamples)
        throw std::bad_alloc();
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
    if (!ReadExact(file.get(), riff, sizeof riff) || !IsId(riff, "RIFF") || !IsId(riff + 8, "WAVE"))
        throw unsupported();
    TChunkScan scan;
    if (!ScanChunks(file.get(), scan) || !scan.HaveFmt || !scan.HaveData)
        throw unsupported();

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

    // Everything downstream plays and exports 16-bit mono samples as they are.
    if (header.wFormatTag != 1 || header.nChannels != 1 || header.wBitsPerSample != 16)
        throw unsupported();
    if (scan.DataSize > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
        throw unsupported();
    header.dataSize = static_cast<int32_t>(scan.DataSize);

    const std::size_t count = scan.DataSize / 2;
    TWaveData data;
    try {
        data = TWaveData(count);
    } catch (const std::bad_alloc&) {
        throw EWaveInfoException(
            Format("ファイル「%s」を読み込むメモリが足りません", WaveNameOf(FileName).c_str()));
    }
    // A short read is no error: samples past the end of the file stay 0.
    if (count > 0 && fseeko(file.get(), scan.DataPos, SEEK_SET) == 0)
        std::fread(data.data(), 1, count * 2, file.get());

    FHeader = header;
    FData = std::move(data);
    FFilePath = FileName;
    FLoopStart = 0;
    FLoopEnd = 0;
    FViewStart = 0;
    FViewEnd = SampleCount();
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
