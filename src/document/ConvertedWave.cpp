#include "document/ConvertedWave.h"

#include "common/Platform.h"
#include "document/AiffChunks.h"

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
// Out, which grows as frames arrive: a header's length is only believed as
// far as the file bears it out (a header may claim far more than the file
// holds, or no length at all). Reads at most Limit frames.
template <typename T, typename TRead, typename TConvert>
void ReadBlocks(SNDFILE* File, int Channels, sf_count_t Limit, TRead Read, TConvert Convert, TWaveData& Out)
{
    const sf_count_t block = static_cast<sf_count_t>(std::max<std::size_t>(1, kBlockValues / static_cast<std::size_t>(Channels)));
    std::vector<T> buffer(static_cast<std::size_t>(block * Channels));
    sf_count_t done = 0;
    sf_count_t got;
    while (done < Limit && (got = Read(File, buffer.data(), std::min(block, Limit - done))) > 0) {
        const auto needed = static_cast<std::size_t>(done + got);
        if (needed > Out.size()) // doubling: each sample is copied about once more at most
            Out.Grow(std::min(static_cast<std::size_t>(Limit), std::max(needed, Out.size() * 2)));
        Convert(buffer.data(), got, Channels, Out.data() + done);
        done += got;
    }
    Out.Shrink(static_cast<std::size_t>(done));
}

// Reads up to Limit frames, every one when the file holds fewer.
TWaveData ReadAll(SNDFILE* File, const SF_INFO& Info, sf_count_t Limit)
{
    TWaveData samples;
    if (DecodesToFloat(Info.format)) {
        sf_command(File, SFC_SET_NORM_DOUBLE, nullptr, SF_TRUE); // float samples as stored
        ReadBlocks<double>(File, Info.channels, Limit, sf_readf_double, ConvertDoubles, samples);
        return samples;
    }
    const auto convert = Info.channels == 1 ? ConvertInts<1> : Info.channels == 2 ? ConvertInts<2> : ConvertInts<0>;
    ReadBlocks<int>(File, Info.channels, Limit, sf_readf_int, convert, samples);
    return samples;
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

// An AIFF file's sustain loop as its INST chunk stores it (1 forward, 2
// forward-backward) between the MARK chunk's markers it names. None when
// there is no such chunk or the loop does not play.
std::optional<TStoredLoop> SustainLoopOf(const TAiffChunks& Chunks)
{
    if (!Chunks.Sustain || (Chunks.Sustain->PlayMode != 1 && Chunks.Sustain->PlayMode != 2))
        return std::nullopt;
    const TAiffSustainLoop& sustain = *Chunks.Sustain;
    TStoredLoop loop{sustain.PlayMode == 1 ? kForwardLoop : 1u, sustain.Begin.value_or(0), sustain.End.value_or(0), true};
    loop.MarkersMissing = !sustain.Begin || !sustain.End;
    return loop;
}

// A rate is a finite number of at least 1 Hz; below 2^31 Hz as the rest of
// Vantrel holds it in a signed 32-bit field.
bool UsableRate(double Rate) { return std::isfinite(Rate) && Rate >= 1.0 && Rate < 2147483648.0; }

} // namespace

std::optional<TConvertedWave> ReadConvertedWave(std::FILE* File)
{
    // libsndfile mends an AIFF file's impossible rate into a possible one:
    // the COMM chunk's own is judged first.
    const std::optional<TAiffChunks> aiff = ReadAiffChunks(File);
    if (aiff && aiff->SampleRate && !UsableRate(*aiff->SampleRate))
        return std::nullopt;
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
    // A stream written to a pipe (a FLAC file from sox, say) declares no
    // length: it is decoded and counted, one frame past the longest wave
    // telling one too long.
    const bool unknownLength = info.frames == SF_COUNT_MAX;
    if (info.frames > kMaxSampleCount && !unknownLength)
        return wave;
    wave.Samples = ReadAll(file.get(), info, unknownLength ? kMaxSampleCount + 1 : info.frames);
    if (unknownLength)
        wave.DeclaredFrames = static_cast<int64_t>(wave.Samples.size());
    if (aiff)
        wave.SustainLoop = SustainLoopOf(*aiff);
    return wave;
}
