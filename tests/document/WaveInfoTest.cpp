#include "document/WaveInfo.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

const char* const kUnsupported = "ファイル「%s」は未対応フォーマットです";

std::string Unsupported(const std::string& name)
{
    std::string text = kUnsupported;
    text.replace(text.find("%s"), 2, name);
    return text;
}

// Loads path and returns the message of the EWaveInfoException it must raise.
std::string LoadError(const std::string& path)
{
    TWaveInfo wave;
    try {
        wave.LoadFromFile(path);
    } catch (const EWaveInfoException& e) {
        EXPECT_TRUE(wave.FilePath().empty());
        EXPECT_EQ(wave.SampleCount(), 0);
        return e.Message();
    }
    ADD_FAILURE() << "no error loading " << path;
    return {};
}

class WaveInfoTest : public testing::Test {
protected:
    TTempDir dir;
};

TEST_F(WaveInfoTest, CanonicalFileGivesHeaderValuesAndClearedPositions)
{
    const std::string path = dir.File("tone.wav");
    const auto samples = Ramp(44100, -100);
    WriteWav(path, samples, 44100);

    TWaveInfo wave;
    wave.LoadFromFile(path);
    EXPECT_EQ(wave.FilePath(), path);
    EXPECT_EQ(wave.WaveName(), "tone.wav");
    EXPECT_EQ(wave.ConvertedFrom(), "");
    EXPECT_EQ(wave.SampleCount(), 44100);
    EXPECT_EQ(wave.SamplesPerSec(), 44100);
    EXPECT_EQ(wave.LengthMSec(), 1000);
    EXPECT_EQ(wave.LoopStart(), 0);
    EXPECT_EQ(wave.LoopEnd(), 0);
    EXPECT_EQ(wave.ViewStart(), 0);
    EXPECT_EQ(wave.ViewEnd(), 44100);
    ASSERT_EQ(wave.Data().size(), samples.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), wave.Data().begin()));

    const TWaveFileHeader& h = wave.Header();
    EXPECT_EQ(std::string(h.riffId, 4), "RIFF");
    EXPECT_EQ(std::string(h.fmtId, 4), "fmt ");
    EXPECT_EQ(h.fmtSize, 16u);
    EXPECT_EQ(h.wFormatTag, 1);
    EXPECT_EQ(h.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(std::string(h.dataId, 4), "data");
    EXPECT_EQ(h.dataSize, 88200);
}

TEST_F(WaveInfoTest, OtherChunksAreSkippedWithTheirPadByte)
{
    const auto samples = Ramp(300, 7);
    const std::string path = dir.File("chunks.wav");
    TWavBuilder()
        .Add("JUNK", std::vector<uint8_t>(5, 0xAA)) // odd: pad byte follows
        .Add("fmt ", TWavBuilder::Fmt(1, 1, 22050, 16, 2)) // an 18-byte fmt chunk
        .Add("fact", {1, 2, 3, 4})
        .Add("LIST", std::vector<uint8_t>(31, 'x'))
        .Add("data", TWavBuilder::Samples(samples))
        .Add("smpl", std::vector<uint8_t>(60, 0))
        .Write(path);

    TWaveInfo wave;
    wave.LoadFromFile(path);
    EXPECT_EQ(wave.SamplesPerSec(), 22050);
    EXPECT_EQ(wave.Header().fmtSize, 18u);
    ASSERT_EQ(wave.SampleCount(), 300);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), wave.Data().begin()));
}

TEST_F(WaveInfoTest, DataBeforeFmtIsFound)
{
    const auto samples = Ramp(10, 1);
    const std::string path = dir.File("late-fmt.wav");
    TWavBuilder().Add("data", TWavBuilder::Samples(samples)).Add("fmt ", TWavBuilder::Fmt(1, 1, 8000, 16)).Write(path);
    TWaveInfo wave;
    wave.LoadFromFile(path);
    EXPECT_EQ(wave.SamplesPerSec(), 8000);
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), wave.Data().begin()));
}

TEST_F(WaveInfoTest, OddDataSizeDropsTheLastByte)
{
    auto body = TWavBuilder::Samples(Ramp(500, 1));
    body.push_back(0x7F);
    const std::string path = dir.File("odd.wav");
    TWavBuilder().Add("fmt ", TWavBuilder::Fmt(1, 1, 44100, 16)).Add("data", body).Write(path);
    TWaveInfo wave;
    wave.LoadFromFile(path);
    EXPECT_EQ(wave.Header().dataSize, 1001);
    EXPECT_EQ(wave.SampleCount(), 500);
    EXPECT_EQ(wave.Data().size(), 500u);
    EXPECT_EQ(wave.Data()[499], 500);
}

TEST_F(WaveInfoTest, TruncatedDataLoadsWithMissingSamplesZero)
{
    const std::string path = dir.File("short.wav");
    TWavBuilder().Add("fmt ", TWavBuilder::Fmt(1, 1, 44100, 16)).Add("data", TWavBuilder::Samples({5, 6, 7}), 2000).Write(path);
    TWaveInfo wave;
    wave.LoadFromFile(path);
    ASSERT_EQ(wave.SampleCount(), 1000);
    EXPECT_EQ(wave.Data()[0], 5);
    EXPECT_EQ(wave.Data()[2], 7);
    for (int i = 3; i < 1000; ++i)
        ASSERT_EQ(wave.Data()[i], 0) << i;
    EXPECT_EQ(wave.ViewEnd(), 1000);
}

TEST_F(WaveInfoTest, RefusedFormatsNameTheFileWithoutDirectory)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> fmt;
    };
    const Case cases[] = {
        {"ext.wav", TWavBuilder::Fmt(0xFFFE, 1, 44100, 16, 24)}, // no known subtype
        {"adpcm.wav", TWavBuilder::Fmt(2, 1, 44100, 4)},          // no coefficients
        {"zero-rate.wav", TWavBuilder::Fmt(1, 2, 0, 16)},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File(c.name);
        TWavBuilder().Add("fmt ", c.fmt).Add("data", TWavBuilder::Samples(Ramp(10))).Write(path);
        EXPECT_EQ(LoadError(path), Unsupported(c.name)) << c.name;
    }
}

TEST_F(WaveInfoTest, MalformedFilesAreUnsupported)
{
    const auto pcm = TWavBuilder::Fmt(1, 1, 44100, 16);
    const auto data = TWavBuilder::Samples(Ramp(4));
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
        {"empty.wav", {}},
        {"thirty.wav", std::vector<uint8_t>(30, 0)},
        {"nofmt.wav", TWavBuilder().Add("data", data).Bytes()},
        {"nodata.wav", TWavBuilder().Add("fmt ", pcm).Bytes()},
        {"shortfmt.wav", TWavBuilder().Add("fmt ", std::vector<uint8_t>(pcm.begin(), pcm.begin() + 14)).Add("data", data).Bytes()},
        {"huge.wav", TWavBuilder().Add("fmt ", pcm).Add("data", data, 0x80000000LL).Bytes()},
    };
    auto notRiff = TWavBuilder().Add("fmt ", pcm).Add("data", data).Bytes();
    notRiff[0] = 'X';
    files.push_back({"notriff.wav", notRiff});
    auto notWave = TWavBuilder().Add("fmt ", pcm).Add("data", data).Bytes();
    notWave[8] = 'A';
    files.push_back({"notwave.wav", notWave});

    for (const auto& [name, bytes] : files) {
        const std::string path = dir.File(name);
        WriteBytes(path, bytes);
        EXPECT_EQ(LoadError(path), Unsupported(name)) << name;
    }
}

TEST_F(WaveInfoTest, MissingFileNamesThePathAsPassed)
{
    const std::string path = dir.File("nowhere/none.wav");
    EXPECT_EQ(LoadError(path), "ファイル「" + path + "」を開けません");
}

TEST_F(WaveInfoTest, SettersKeepPositionsInsideTheWave)
{
    const std::string path = dir.File("k.wav");
    WriteWav(path, Ramp(1000));
    TWaveInfo wave;
    wave.LoadFromFile(path);

    wave.SetLoopEnd(1000);
    EXPECT_EQ(wave.LoopEnd(), 1000);
    wave.SetLoopEnd(1001);
    wave.SetLoopEnd(-1);
    EXPECT_EQ(wave.LoopEnd(), 1000);

    wave.SetLoopStart(999);
    EXPECT_EQ(wave.LoopStart(), 999);
    wave.SetLoopStart(1000);
    wave.SetLoopStart(-1);
    EXPECT_EQ(wave.LoopStart(), 999);

    wave.SetViewStart(10);
    wave.SetViewStart(1000);
    EXPECT_EQ(wave.ViewStart(), 10);
    wave.SetViewEnd(500);
    wave.SetViewEnd(1001);
    EXPECT_EQ(wave.ViewEnd(), 500);
}

TEST(WaveName, SplitsAtBackslashSlashAndColon)
{
    EXPECT_EQ(WaveNameOf("C:\\snd\\tone.wav"), "tone.wav");
    EXPECT_EQ(WaveNameOf("D:tone.wav"), "tone.wav");
    EXPECT_EQ(WaveNameOf("/home/u/音/声.wav"), "声.wav");
    EXPECT_EQ(WaveNameOf("plain.wav"), "plain.wav");
    EXPECT_EQ(TWaveInfo().WaveName(), "");
}

TEST(WaveInfoNew, IsEmptyWithZeroLength)
{
    TWaveInfo wave;
    EXPECT_EQ(wave.SampleCount(), 0);
    EXPECT_EQ(wave.LengthMSec(), 0);
    wave.SetLoopStart(0);
    EXPECT_EQ(wave.LoopStart(), 0);
}

} // namespace
