#include "export/VBKReader.h"

#include "common/File.h"
#include "common/Format.h"
#include "common/OpenFailure.h"
#include "common/Platform.h"
#include "common/Path.h"
#include "export/CRC.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

namespace {

using ULL = unsigned long long;

// Random access to the bytes being checked.
class TSource {
public:
    virtual ~TSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads Count bytes at Offset; the caller keeps Offset + Count <= Size().
    virtual void Read(uint64_t Offset, void* Out, std::size_t Count) = 0;
};

class TMemorySource : public TSource {
public:
    TMemorySource(const void* Data, std::size_t Size) : FData(static_cast<const uint8_t*>(Data)), FSize(Size) {}
    uint64_t Size() const override { return FSize; }
    void Read(uint64_t Offset, void* Out, std::size_t Count) override
    {
        if (Count > 0)
            std::memcpy(Out, FData + Offset, Count);
    }

private:
    const uint8_t* FData;
    std::size_t FSize;
};

class TFileSource : public TSource {
public:
    explicit TFileSource(const std::string& FileName)
    {
        std::error_code error;
        const auto path = PathFromUtf8(FileName);
        const auto openError = [&] {
            return EVBKReaderException(CannotOpenMessage(FileName));
        };
        // Only regular files: a pipe or device could block the reader forever.
        if (!std::filesystem::is_regular_file(path, error))
            throw openError();
        FFile = OpenFile(FileName, "rb");
        if (!FFile || !Platform::SeekStream(FFile.get(), 0, SEEK_END))
            throw openError();
        const int64_t size = Platform::StreamPosition(FFile.get());
        if (size < 0)
            throw openError();
        FSize = static_cast<uint64_t>(size);
    }

    uint64_t Size() const override { return FSize; }

    void Read(uint64_t Offset, void* Out, std::size_t Count) override
    {
        if (!Platform::SeekStream(FFile.get(), static_cast<int64_t>(Offset), SEEK_SET) ||
            std::fread(Out, 1, Count, FFile.get()) != Count)
            throw EVBKReaderException(Format("read error at offset %llu", static_cast<ULL>(Offset)));
    }

private:
    TFileHandle FFile;
    uint64_t FSize = 0;
};

// What a chunk's payload size must be: exactly Exact bytes, or any even
// size; and how many bytes the chunks still to come need after it at least.
struct TSizeRule {
    std::optional<uint64_t> Exact;
    bool Even = false;
    uint64_t Following = 0;
};

class TChecker {
public:
    explicit TChecker(TSource& Source) : FSource(Source) { FContents.FileSize = Source.Size(); }
    TVBKContents Run();

private:
    void CheckFileHeader();
    void CheckCtrl();
    void CheckTone(std::size_t Index, const TVBKChunk& WaveChunk);
    // Reads and checks the chunk at the current position, which must carry
    // the tag VBKTags[Expected] and a payload size that Size allows; its
    // payload is checksummed block by block, never held whole.
    const TVBKChunk& NextChunk(TVBKTagIndex Expected, TSizeRule Size);
    uint32_t ChecksumAt(uint64_t Offset, uint32_t Size);

    TSource& FSource;
    TVBKContents FContents;
    uint64_t FPos = 0;
};

std::string ChunkName(const TVBKChunk& chunk)
{
    return Format("chunk %s at offset %llu", TagText(chunk.Header.tag).c_str(), static_cast<ULL>(chunk.Offset));
}

TVBKContents TChecker::Run()
{
    CheckFileHeader();
    CheckCtrl();
    const auto waves = static_cast<uint64_t>(FContents.Ctrl.waveCount);

    // The tone records are read one at a time once their WAVE chunks are
    // known: the table may claim gigabytes that must not be held at once.
    // Checking that the rest of the tables fits first refuses a table that
    // claims more than the file holds without reading it.
    const uint64_t rest = VBKChunkHeaderSize + waves * (VBKNameSize + VBKChunkHeaderSize) + VBKChunkHeaderSize;
    const uint64_t tonesAt = NextChunk(vtTone, {waves * VBKToneSize, false, rest}).Offset + VBKChunkHeaderSize;
    NextChunk(vtName, {waves * VBKNameSize});
    std::vector<TVBKChunk> waveChunks;
    for (uint64_t i = 0; i < waves; ++i)
        waveChunks.push_back(NextChunk(vtWave, {std::nullopt, true}));
    NextChunk(vtTerm, {0});
    if (FPos != FContents.FileSize)
        throw EVBKReaderException(Format("file is %llu bytes: %llu bytes follow chunk TERM",
                                         static_cast<ULL>(FContents.FileSize),
                                         static_cast<ULL>(FContents.FileSize - FPos)));

    for (std::size_t i = 0; i < waveChunks.size(); ++i) {
        uint8_t tone[VBKToneSize];
        FSource.Read(tonesAt + i * VBKToneSize, tone, sizeof tone);
        FContents.Tones.push_back(DecodeTone(tone));
        CheckTone(i, waveChunks[i]);
    }
    return std::move(FContents);
}

void TChecker::CheckFileHeader()
{
    if (FContents.FileSize < VBKFileHeaderSize)
        throw EVBKReaderException(Format("file header: the file is %llu bytes, shorter than its 16-byte header",
                                         static_cast<ULL>(FContents.FileSize)));
    uint8_t bytes[VBKFileHeaderSize];
    FSource.Read(0, bytes, sizeof bytes);
    const TVBKFileHeader header = DecodeFileHeader(bytes);
    if (header.magic != VBKTags[vtMagic])
        throw EVBKReaderException(
            Format("file header: magic \"%s\" expected \"VBK0\"", TagText(header.magic).c_str()));
    if (header.headerWord != 1)
        throw EVBKReaderException(Format("file header: headerWord %u expected 1", header.headerWord));
    if (std::any_of(header.reserved.begin(), header.reserved.end(), [](uint8_t b) { return b != 0; }))
        throw EVBKReaderException("file header: reserved bytes 6..15 are not zero");
    FContents.Header = header;
    FPos = VBKFileHeaderSize;
}

void TChecker::CheckCtrl()
{
    uint8_t bytes[VBKCtrlSize];
    FSource.Read(NextChunk(vtCtrl, {VBKCtrlSize}).Offset + VBKChunkHeaderSize, bytes, sizeof bytes);
    const TVBKCtrl ctrl = DecodeCtrl(bytes);
    if (ctrl.ctrlWord != 1)
        throw EVBKReaderException(Format("control record: ctrlWord %u expected 1", ctrl.ctrlWord));
    if (ctrl.reserved1 != 0 || ctrl.reserved2 != 0)
        throw EVBKReaderException("control record: reserved bytes are not zero");
    if (ctrl.waveCount < 1)
        throw EVBKReaderException(Format("control record: waveCount %d, at least 1 expected", ctrl.waveCount));
    FContents.Ctrl = ctrl;
}

void TChecker::CheckTone(std::size_t Index, const TVBKChunk& WaveChunk)
{
    const TVBKTone& tone = FContents.Tones[Index];
    const auto fail = [&](const std::string& reason) {
        return EVBKReaderException(Format("tone record %zu: %s", Index, reason.c_str()));
    };
    if (tone.waveOffset != WaveChunk.Offset)
        throw fail(Format("waveOffset %u expected %llu, where its WAVE chunk lies", tone.waveOffset,
                          static_cast<ULL>(WaveChunk.Offset)));
    if (tone.toneWord != 1)
        throw fail(Format("toneWord %u expected 1", tone.toneWord));
    if (tone.reserved != 0)
        throw fail(Format("reserved word 0x%08X expected 0", tone.reserved));
    if (tone.loopFlag > 1)
        throw fail(Format("loopFlag %u expected 0 or 1", tone.loopFlag));

    const uint32_t samples = WaveChunk.Header.size / 2;
    if (tone.loopFlag == 0 && (tone.loopStart != 0 || tone.loopEnd != 0))
        throw fail(Format("loop %d..%d without loopFlag, 0..0 expected", tone.loopStart, tone.loopEnd));
    if (tone.loopFlag == 1) {
        if (tone.loopStart < 1 || static_cast<uint32_t>(tone.loopStart) >= samples)
            throw fail(Format("loopStart %d outside the wave of %u samples", tone.loopStart, samples));
        if (tone.loopEnd < 1 || static_cast<uint32_t>(tone.loopEnd) > samples)
            throw fail(Format("loopEnd %d outside the wave of %u samples", tone.loopEnd, samples));
    }

    TVBKWave wave;
    wave.Offset = WaveChunk.Offset;
    wave.Rate = static_cast<int32_t>(static_cast<int64_t>(tone.rateOffset) + VBKBaseRate);
    wave.SampleCount = samples;
    wave.Loops = tone.loopFlag == 1;
    wave.LoopStart = tone.loopStart;
    wave.LoopEnd = tone.loopEnd;
    FContents.Waves.push_back(wave);
}

const TVBKChunk& TChecker::NextChunk(TVBKTagIndex Expected, TSizeRule Size)
{
    const uint64_t fileSize = FContents.FileSize;
    const std::string expectedName = TagText(VBKTags[static_cast<std::size_t>(Expected)]);
    if (FPos == fileSize)
        throw EVBKReaderException(Format("end of file at offset %llu where chunk %s was expected",
                                         static_cast<ULL>(FPos), expectedName.c_str()));
    if (fileSize - FPos < VBKChunkHeaderSize)
        throw EVBKReaderException(Format("chunk at offset %llu: header cut off by the end of the file (%llu bytes)",
                                         static_cast<ULL>(FPos), static_cast<ULL>(fileSize)));

    uint8_t bytes[VBKChunkHeaderSize];
    FSource.Read(FPos, bytes, sizeof bytes);
    TVBKChunk chunk;
    chunk.Offset = FPos;
    chunk.Header = DecodeChunkHeader(bytes);
    const TVBKChunkHeader& header = chunk.Header;
    const std::string name = ChunkName(chunk);

    if (header.tag != VBKTags[static_cast<std::size_t>(Expected)])
        throw EVBKReaderException(Format("%s: chunk %s expected", name.c_str(), expectedName.c_str()));
    if (header.reserved != 0)
        throw EVBKReaderException(Format("%s: reserved word 0x%08X expected 0", name.c_str(), header.reserved));
    if (Size.Exact && header.size != *Size.Exact)
        throw EVBKReaderException(
            Format("%s: size %u expected %llu", name.c_str(), header.size, static_cast<ULL>(*Size.Exact)));
    if (Size.Even && header.size % 2 != 0)
        throw EVBKReaderException(Format("%s: size %u is odd, 16-bit samples expected", name.c_str(), header.size));
    const uint64_t payloadStart = FPos + VBKChunkHeaderSize;
    if (header.size > fileSize - payloadStart)
        throw EVBKReaderException(Format("%s: size %u runs past the end of the file (%llu bytes)", name.c_str(),
                                         header.size, static_cast<ULL>(fileSize)));

    if (Size.Following > fileSize - payloadStart - header.size)
        throw EVBKReaderException(Format("%s: the chunks after it need %llu bytes, the file has %llu more", name.c_str(),
                                         static_cast<ULL>(Size.Following),
                                         static_cast<ULL>(fileSize - payloadStart - header.size)));
    const uint32_t crc = ChecksumAt(payloadStart, header.size);
    if (crc != header.crc)
        throw EVBKReaderException(Format("%s: checksum 0x%08X expected 0x%08X", name.c_str(), header.crc, crc));

    FPos = payloadStart + header.size;
    FContents.Chunks.push_back(chunk);
    return FContents.Chunks.back();
}

uint32_t TChecker::ChecksumAt(uint64_t Offset, uint32_t Size)
{
    constexpr std::size_t BlockSize = std::size_t{1} << 20;
    std::vector<uint8_t> block(std::min<std::size_t>(Size, BlockSize));
    TCRCStream crc;
    for (uint64_t done = 0; done < Size;) {
        const std::size_t count = static_cast<std::size_t>(std::min<uint64_t>(Size - done, BlockSize));
        FSource.Read(Offset + done, block.data(), count);
        crc.Add(block.data(), count);
        done += count;
    }
    return crc.Value();
}

} // namespace

TVBKContents ReadVBKFile(const std::string& FileName)
{
    TFileSource source(FileName);
    try {
        return TChecker(source).Run();
    } catch (const EVBKReaderException& e) {
        throw EVBKReaderException(FileName + ": " + e.Message());
    }
}

TVBKContents ReadVBK(const void* Data, std::size_t Size)
{
    TMemorySource source(Data, Size);
    return TChecker(source).Run();
}
