#include "document/ConvertedWave.h"

#include "common/Platform.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// libsndfile reads through the stream the caller opened, so the file is
// opened once, by the same path rules as every other file.
sf_count_t StreamLength(void* Stream)
{
    return Platform::StreamSize(static_cast<std::FILE*>(Stream));
}

sf_count_t StreamSeek(sf_count_t Offset, int Whence, void* Stream)
{
    auto* f = static_cast<std::FILE*>(Stream);
    return Platform::SeekStream(f, Offset, Whence) ? Platform::StreamPosition(f) : -1;
}

sf_count_t StreamRead(void* Buffer, sf_count_t Count, void* Stream)
{
    if (Count <= 0)
        return 0;
    return static_cast<sf_count_t>(std::fread(Buffer, 1, static_cast<std::size_t>(Count), static_cast<std::FILE*>(Stream)));
}

sf_count_t StreamWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t StreamTell(void* Stream) { return Platform::StreamPosition(static_cast<std::FILE*>(Stream)); }

struct TSndFileCloser {
    void operator()(SNDFILE* File) const noexcept { sf_close(File); }
};
using TSndFile = std::unique_ptr<SNDFILE, TSndFileCloser>;

// Samples read per block, whatever the channel count.
constexpr std::size_t kBlockValues = 1 << 18;

// Sum / Divisor (Divisor > 0) rounded to the nearest integer, halves away
// from zero, exactly.
constexpr int64_t RoundedQuotient(int64_t Sum, int64_t Divisor)
{
    return Sum >= 0 ? (Sum + Divisor / 2) / Divisor : -((-Sum + Divisor / 2) / Divisor);
}

constexpr int16_t Clip16(int64_t Value)
{
    return static_cast<int16_t>(Value < -32768 ? -32768 : Value > 32767 ? 32767 : Value);
}

int16_t FromMean(double Mean)
{
    const double scaled = std::round(Mean * 32768.0);
    if (std::isnan(scaled))
        return 0;
    return static_cast<int16_t>(scaled < -32768.0 ? -32768.0 : scaled > 32767.0 ? 32767.0 : scaled);
}

// One block of integer frames; FixedChannels > 0 lets the compiler turn the
// division into shifts for the common mono and stereo files.
template <int FixedChannels>
void ConvertInts(const int* In, sf_count_t Frames, int Channels, int16_t* Out)
{
    const int channels = FixedChannels > 0 ? FixedChannels : Channels;
    const int64_t divisor = int64_t{channels} * 65536;
    for (sf_count_t frame = 0; frame < Frames; ++frame, In += channels) {
        int64_t sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += In[c];
        Out[frame] = Clip16(RoundedQuotient(sum, divisor));
    }
}

void ConvertDoubles(const double* In, sf_count_t Frames, int Channels, int16_t* Out)
{
    for (sf_count_t frame = 0; frame < Frames; ++frame, In += Channels) {
        double sum = 0.0;
        for (int c = 0; c < Channels; ++c)
            sum += In[c];
        Out[frame] = FromMean(sum / Channels);
    }
}

bool DecodesToFloat(int Format)
{
    switch (Format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
    case SF_FORMAT_MPEG_LAYER_I:
    case SF_FORMAT_MPEG_LAYER_II:
    case SF_FORMAT_MPEG_LAYER_III:
        return true;
    default:
        return false;
    }
}

// Reads the frames as T, a block at a time, and converts each block into
// Out; returns how many frames arrived.
template <typename T, typename TRead, typename TConvert>
sf_count_t ReadBlocks(SNDFILE* File, const SF_INFO& Info, TRead Read, TConvert Convert, int16_t* Out)
{
    const int channels = Info.channels;
    const sf_count_t block = static_cast<sf_count_t>(std::max<std::size_t>(1, kBlockValues / static_cast<std::size_t>(channels)));
    std::vector<T> buffer(static_cast<std::size_t>(block * channels));
    sf_count_t done = 0;
    sf_count_t got;
    while (done < Info.frames && (got = Read(File, buffer.data(), std::min(block, Info.frames - done))) > 0) {
        Convert(buffer.data(), got, channels, Out + done);
        done += got;
    }
    return done;
}

// Reads every frame into Out (room for Info.frames samples); returns how many arrived.
sf_count_t ReadAll(SNDFILE* File, const SF_INFO& Info, int16_t* Out)
{
    if (DecodesToFloat(Info.format)) {
        sf_command(File, SFC_SET_NORM_DOUBLE, nullptr, SF_TRUE); // float samples as stored
        return ReadBlocks<double>(File, Info, sf_readf_double, ConvertDoubles, Out);
    }
    const auto convert = Info.channels == 1 ? ConvertInts<1> : Info.channels == 2 ? ConvertInts<2> : ConvertInts<0>;
    return ReadBlocks<int>(File, Info, sf_readf_int, convert, Out);
}

// libsndfile's name of a format, up to its first " (": "AIFF", "FLAC", "U-Law".
std::string FormatName(int Format)
{
    SF_FORMAT_INFO info{};
    info.format = Format;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) != 0 || info.name == nullptr)
        return "?";
    const std::string name = info.name;
    return name.substr(0, name.find(" ("));
}

// "24-bit 2ch", "32-bit float 1ch", "AIFF 16-bit 2ch", "FLAC 24-bit 1ch", "U-Law 1ch".
std::string SourceText(const SF_INFO& Info)
{
    const int major = Info.format & SF_FORMAT_TYPEMASK;
    const int sub = Info.format & SF_FORMAT_SUBMASK;
    std::string text;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX)
        text = FormatName(major) + " ";
    switch (sub) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: text += "8-bit"; break;
    case SF_FORMAT_PCM_16: text += "16-bit"; break;
    case SF_FORMAT_PCM_24: text += "24-bit"; break;
    case SF_FORMAT_PCM_32: text += "32-bit"; break;
    case SF_FORMAT_FLOAT: text += "32-bit float"; break;
    case SF_FORMAT_DOUBLE: text += "64-bit float"; break;
    default: text += FormatName(sub); break;
    }
    return text + " " + std::to_string(Info.channels) + "ch";
}

// The play mode of an AIFF file's sustain loop, read from its INST chunk:
// libsndfile reports a forward-backward loop as forward. 0 (no loop) when
// there is no such chunk.
uint16_t SustainPlayMode(std::FILE* File)
{
    unsigned char bytes[20];
    const auto read = [&](std::size_t Size) { return std::fread(bytes, 1, Size, File) == Size; };
    const auto be32 = [&] { return uint32_t{bytes[4]} << 24 | uint32_t{bytes[5]} << 16 | uint32_t{bytes[6]} << 8 | bytes[7]; };
    if (fseeko(File, 12, SEEK_SET) != 0)
        return 0;
    while (read(8)) {
        const uint32_t size = be32();
        if (std::memcmp(bytes, "INST", 4) == 0)
            return size >= 20 && read(20) ? static_cast<uint16_t>(bytes[8] << 8 | bytes[9]) : 0;
        if (fseeko(File, static_cast<off_t>(size) + (size & 1u), SEEK_CUR) != 0)
            return 0;
    }
    return 0;
}

// An AIFF file's sustain loop: its markers as libsndfile reports them (the
// first instrument loop), its play mode as the file stores it (1 forward, 2
// forward-backward). None for other files, or when the loop does not play.
std::optional<TStoredLoop> SustainLoopOf(SNDFILE* Sound, std::FILE* File, const SF_INFO& Info)
{
    SF_INSTRUMENT instrument{};
    if ((Info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_AIFF ||
        sf_command(Sound, SFC_GET_INSTRUMENT, &instrument, sizeof instrument) != SF_TRUE || instrument.loop_count < 1)
        return std::nullopt;
    const uint16_t mode = SustainPlayMode(File);
    if (mode != 1 && mode != 2)
        return std::nullopt;
    return TStoredLoop{mode == 1 ? kForwardLoop : 1u, instrument.loops[0].start, instrument.loops[0].end, true};
}

} // namespace

std::optional<TConvertedWave> ReadConvertedWave(std::FILE* File)
{
    if (!Platform::SeekStream(File, 0, SEEK_SET))
        return std::nullopt;
    SF_VIRTUAL_IO io{StreamLength, StreamSeek, StreamRead, StreamWrite, StreamTell};
    SF_INFO info{};
    const TSndFile file(sf_open_virtual(&io, SFM_READ, &info, File));
    if (!file || info.channels <= 0 || info.samplerate <= 0 || info.frames < 0)
        return std::nullopt;

    TConvertedWave wave;
    wave.SampleRate = info.samplerate;
    wave.Source = SourceText(info);
    wave.DeclaredFrames = info.frames;
    if (info.frames > kMaxSampleCount)
        return wave;
    wave.Samples = TWaveData(static_cast<std::size_t>(info.frames));
    wave.Samples.Shrink(static_cast<std::size_t>(ReadAll(file.get(), info, wave.Samples.data())));
    wave.SustainLoop = SustainLoopOf(file.get(), File, info);
    return wave;
}
