// Every shape besides 16-bit mono PCM WAV: exact 16-bit mono samples for
// known values, through rounding, clipping and channel averaging.

#include "document/WaveInfo.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <limits>

namespace {

template <typename T>
std::vector<uint8_t> Raw(std::initializer_list<T> values)
{
    std::vector<uint8_t> body;
    for (const T v : values) {
        const auto* p = reinterpret_cast<const uint8_t*>(&v); // little-endian host
        body.insert(body.end(), p, p + sizeof v);
    }
    return body;
}

std::vector<uint8_t> Wav(std::vector<uint8_t> fmt, std::vector<uint8_t> data)
{
    return TWavBuilder().Add("fmt ", std::move(fmt)).Add("data", std::move(data)).Bytes();
}

// The extensible format tag with a PCM (1) or float (3) subtype.
std::vector<uint8_t> Extensible(uint16_t channels, uint16_t bits, uint16_t subtype)
{
    std::vector<uint8_t> fmt = TWavBuilder::Fmt(0xFFFE, channels, 44100, bits);
    const std::vector<uint8_t> extra = {22, 0, static_cast<uint8_t>(bits), 0, 3, 0, 0, 0,
                                        static_cast<uint8_t>(subtype), 0, 0, 0, 0, 0, 0x10, 0,
                                        0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    fmt.insert(fmt.end(), extra.begin(), extra.end());
    return fmt;
}

// Interleaved 24-bit stereo frames covering rounding, clipping and averaging,
// and what they give.
const std::vector<int64_t> kStereo24 = {100, 101, 256, 0, -256, 0, 8388607, 8388607,
                                        -8388608, -8388608, 1000, -1000, 8388607, -8388608, 511, 0};
const std::vector<int16_t> kStereo24Mono = {0, 1, -1, 32767, -32768, 0, 0, 1};

// A new sound file at Path in libsndfile's Format, at 44.1 kHz; null where
// this libsndfile cannot write that format.
SNDFILE* CreateSoundFile(const std::string& Path, int Channels, int Format)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = Channels;
    info.format = Format;
    return sf_open(Path.c_str(), SFM_WRITE, &info);
}

// The 24-bit stereo frames written by libsndfile in another container.
std::vector<uint8_t> Stereo24As(const TTempDir& dir, int format)
{
    const std::string path = dir.File("made");
    SNDFILE* file = CreateSoundFile(path, 2, format | SF_FORMAT_PCM_24);
    std::vector<int> values;
    for (const int64_t v : kStereo24)
        values.push_back(static_cast<int>(v * 256));
    sf_writef_int(file, values.data(), static_cast<sf_count_t>(values.size() / 2));
    sf_close(file);
    return ReadBytes(path);
}

TEST(ConvertedWave, EachShapeGivesExactSixteenBitMonoSamples)
{
    TTempDir dir;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::vector<int16_t> expected;
        const char* source;
    };
    const Case cases[] = {
        {"u8.wav", Wav(TWavBuilder::Fmt(1, 1, 44100, 8), {0, 1, 127, 128, 129, 255}),
         {-32768, -32512, -256, 0, 256, 32512}, "8-bit 1ch"},
        {"s24.wav", Wav(TWavBuilder::Fmt(1, 1, 44100, 24), TWavBuilder::Ints({0, 127, 128, -128, -129, 8388607, -8388608, 383}, 3)),
         {0, 0, 1, -1, -1, 32767, -32768, 1}, "24-bit 1ch"},
        {"s24x2.wav", Wav(TWavBuilder::Fmt(1, 2, 44100, 24), TWavBuilder::Ints(kStereo24, 3)), kStereo24Mono, "24-bit 2ch"},
        {"s32.wav", Wav(TWavBuilder::Fmt(1, 1, 44100, 32), TWavBuilder::Ints({5 * 65536, 32768, 32767, -32768, -32769, INT32_MAX, INT32_MIN}, 4)),
         {5, 1, 0, -1, -1, 32767, -32768}, "32-bit 1ch"},
        {"s16x2.wav", Wav(TWavBuilder::Fmt(1, 2, 44100, 16), TWavBuilder::Ints({1, 2, -1, -2, 32767, 32767, -32768, 32767, 100, 300}, 2)),
         {2, -2, 32767, -1, 200}, "16-bit 2ch"},
        {"s16x3.wav", Wav(TWavBuilder::Fmt(1, 3, 44100, 16), TWavBuilder::Ints({1, 1, 2, 1, 2, 2, -1, -2, -2, 3, 0, 0}, 2)),
         {1, 2, -2, 1}, "16-bit 3ch"},
        {"f32.wav", Wav(TWavBuilder::Fmt(3, 1, 44100, 32), Raw<float>({0, 0.5f, -1, 1, 2, nan, 1.0f / 65536, -1.0f / 65536, 0.25f / 32768})),
         {0, 16384, -32768, 32767, 32767, 0, 1, -1, 0}, "32-bit float 1ch"},
        {"f64x2.wav", Wav(TWavBuilder::Fmt(3, 2, 44100, 64), Raw<double>({0.5, -0.5, 1, 1, -1, -1, 3.0 / 65536, 0, -inf, 0})),
         {0, 32767, -32768, 1, -32768}, "64-bit float 2ch"},
        {"ext24x2.wav", Wav(Extensible(2, 24, 1), TWavBuilder::Ints(kStereo24, 3)), kStereo24Mono, "24-bit 2ch"},
        {"extf32.wav", Wav(Extensible(1, 32, 3), Raw<float>({0.25f, -0.75f})), {8192, -24576}, "32-bit float 1ch"},
        {"ulaw.wav", Wav(TWavBuilder::Fmt(7, 1, 44100, 8), {0xFF, 0x7F, 0x00, 0x80}), {0, 0, -32124, 32124}, "U-Law 1ch"},
        {"s24x2.aif", Stereo24As(dir, SF_FORMAT_AIFF), kStereo24Mono, "AIFF 24-bit 2ch"},
#ifndef _WIN32 // the Windows build's libsndfile is built without codecs
        {"s24x2.flac", Stereo24As(dir, SF_FORMAT_FLAC), kStereo24Mono, "FLAC 24-bit 2ch"},
#endif
    };
    for (const Case& c : cases) {
        const std::string path = dir.File(c.name);
        WriteBytes(path, c.bytes);
        TWaveInfo wave;
        wave.LoadFromFile(path);
        EXPECT_EQ(std::vector<int16_t>(wave.Data().begin(), wave.Data().end()), c.expected) << c.name;
        EXPECT_EQ(wave.ConvertedFrom(), c.source) << c.name;
        EXPECT_EQ(wave.SampleCount(), static_cast<int32_t>(c.expected.size())) << c.name;
        EXPECT_EQ(wave.SamplesPerSec(), 44100) << c.name;
    }
}

TEST(ConvertedWave, KeepsRateAndIndicesAndGivesTheHeaderOfTheSixteenBitFile)
{
    TTempDir dir;
    const std::string path = dir.File("long.wav");
    std::vector<int64_t> values(2 * 4800);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<int64_t>(i / 2) * 256; // both channels sample i/2
    WriteBytes(path, Wav(TWavBuilder::Fmt(1, 2, 48000, 24), TWavBuilder::Ints(values, 3)));
    TWaveInfo wave;
    wave.LoadFromFile(path);
    EXPECT_EQ(wave.SamplesPerSec(), 48000);
    EXPECT_EQ(wave.SampleCount(), 4800);
    EXPECT_EQ(wave.LengthMSec(), 100);
    EXPECT_EQ(wave.ViewEnd(), 4800);
    EXPECT_EQ(wave.Data()[4799], 4799);
    EXPECT_EQ(wave.Header().nChannels, 1);
    EXPECT_EQ(wave.Header().wBitsPerSample, 16);
    EXPECT_EQ(wave.Header().dataSize, 9600);
}

TEST(ConvertedWave, FilesOverTheSizeLimitAreRefusedUnread)
{
    TTempDir dir;
    // A sparse file of 3 GB of 24-bit samples: a billion frames, more than a
    // 16-bit data chunk can hold.
    const std::string path = dir.File("vast.wav");
    WriteBytes(path, TWavBuilder().Add("fmt ", TWavBuilder::Fmt(1, 1, 44100, 24)).Add("data", {}, 3'300'000'000LL).Bytes());
    std::filesystem::resize_file(std::filesystem::path(path), 3'300'000'044ULL);
    TWaveInfo wave;
    EXPECT_THROW(wave.LoadFromFile(path), EWaveInfoException);
    EXPECT_EQ(wave.SampleCount(), 0);
    try {
        wave.LoadFromFile(path);
    } catch (const EWaveInfoException& e) {
        EXPECT_EQ(e.Message(), "ファイル「vast.wav」は長すぎます");
    }
}

// An AIFF file's rate is judged as its COMM chunk stores it: anything but a
// finite number of at least 1 Hz is refused, whatever libsndfile makes of it.
TEST(ConvertedWave, AiffRatesThatAreNoRateAreRefused)
{
    TTempDir dir;
    const struct {
        const char* name;
        std::vector<uint8_t> rate;
        int32_t taken; // 0: refused
    } cases[] = {
        {"zero", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},
        {"half", {0x3F, 0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0}, 0},
        {"negative", {0xC0, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}, 0},
        {"infinity", {0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}, 0},
        {"nan", {0x7F, 0xFF, 0xC0, 0, 0, 0, 0, 0, 0, 0}, 0},
        {"one", {0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}, 1},
        {"cd", {0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}, 44100},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File(std::string(c.name) + ".aiff");
        WriteAiffWithSustainLoop(path, 100, 10, 20, 1, true, c.rate);
        TWaveInfo wave;
        if (c.taken == 0) {
            EXPECT_THROW(wave.LoadFromFile(path), EWaveInfoException) << c.name;
            continue;
        }
        wave.LoadFromFile(path);
        EXPECT_EQ(wave.SamplesPerSec(), c.taken) << c.name;
    }
}

// A FLAC stream written to a pipe declares no length (0 in its STREAMINFO):
// it is decoded and counted. A header claiming far more than the file holds
// reserves nothing for it: the wave holds what arrived and is Truncated.
TEST(ConvertedWave, FlacLengthIsWhatTheFileHolds)
{
    TTempDir dir;
    const std::string path = dir.File("made.flac");
    SNDFILE* file = CreateSoundFile(path, 1, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    if (!file)
        GTEST_SKIP() << "this libsndfile writes no FLAC (the Windows build leaves its codecs out)";
    const std::vector<int16_t> samples = Ramp(30000);
    sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    const std::vector<uint8_t> made = ReadBytes(path);

    const struct {
        uint64_t declared; // the 36-bit total in STREAMINFO
        int64_t reported;
    } cases[] = {{0, 30000}, {1'000'000'000, 1'000'000'000}, {30000, 30000}};
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = made;
        // "fLaC", the block header, then STREAMINFO: the total is the low 4
        // bits of byte 21 and bytes 22..25; the MD5 sum (26..41) is zero in a
        // piped stream.
        bytes[21] = static_cast<uint8_t>((bytes[21] & 0xF0) | (c.declared >> 32));
        for (int i = 0; i < 4; ++i)
            bytes[static_cast<std::size_t>(22 + i)] = static_cast<uint8_t>(c.declared >> (8 * (3 - i)));
        std::fill(bytes.begin() + 26, bytes.begin() + 42, 0);
        WriteBytes(path, bytes);
        TWaveInfo wave;
        wave.LoadFromFile(path);
        EXPECT_EQ(wave.SampleCount(), 30000) << c.declared;
        EXPECT_EQ(wave.DeclaredSampleCount(), c.reported) << c.declared;
        EXPECT_EQ(wave.Data()[29999], samples[29999]) << c.declared;
    }
}

} // namespace
