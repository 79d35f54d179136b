// The loop of a WAV file's "smpl" chunk: taken, with its inclusive end made
// exclusive, when a wave is added; ignored when unusable; never over a list
// file's own loop points.

#include "document/KSD.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

class StoredLoopTest : public testing::Test {
protected:
    TTempDir dir;

    // A 1000-sample 16-bit mono file with Smpl (a chunk body) after its data.
    std::string WavWithSmpl(const std::string& name, std::vector<uint8_t> smpl, int64_t declared = -1)
    {
        const std::string path = dir.File(name);
        TWavBuilder()
            .Add("fmt ", TWavBuilder::Fmt(1, 1, 44100, 16))
            .Add("data", TWavBuilder::Samples(Ramp(1000)))
            .Add("smpl", std::move(smpl), declared)
            .Write(path);
        return path;
    }
};

TEST_F(StoredLoopTest, AddedWaveTakesAForwardLoopInsideTheWaveOnly)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> smpl;
        int32_t start, end;
    } const cases[] = {
        {"forward", TWavBuilder::Smpl(0, 100, 199), 100, 200},
        {"at-the-end", TWavBuilder::Smpl(0, 500, 999), 500, 1000},
        {"from-zero", TWavBuilder::Smpl(0, 0, 1), 0, 0}, // the bank has no loop from 0: not taken
        {"end-outside", TWavBuilder::Smpl(0, 500, 1000), 0, 0},
        {"empty", TWavBuilder::Smpl(0, 300, 300), 0, 0},
        {"reversed", TWavBuilder::Smpl(0, 300, 200), 0, 0},
        {"alternating", TWavBuilder::Smpl(1, 100, 199), 0, 0},
        {"backward", TWavBuilder::Smpl(2, 100, 199), 0, 0},
        {"vendor", TWavBuilder::Smpl(32, 100, 199), 0, 0},
        {"first-not-forward", TWavBuilder::Smpl(1, 10, 20, 2), 0, 0}, // the second one is, but does not count
        {"no-loops", TWavBuilder::Smpl(0, 100, 199, 0), 0, 0},
        {"short-header", std::vector<uint8_t>(35, 0), 0, 0},
        {"loops-missing", [] { auto b = TWavBuilder::Smpl(0, 100, 199, 3); b.resize(36 + 2 * 24); return b; }(), 0, 0},
    };
    for (const Case& c : cases) {
        TKSD list;
        list.AddWave(WavWithSmpl(std::string(c.name) + ".wav", c.smpl));
        const TWaveInfo& wave = *list.GetWave(0);
        EXPECT_EQ(wave.LoopStart(), c.start) << c.name;
        EXPECT_EQ(wave.LoopEnd(), c.end) << c.name;
        EXPECT_EQ(wave.Data()[999], 999) << c.name; // the samples are untouched
    }

    // A chunk cut off by the end of the file is ignored, and the file loads.
    TKSD list;
    auto cut = TWavBuilder::Smpl(0, 100, 199);
    cut.resize(40);
    list.AddWave(WavWithSmpl("cut.wav", cut, 60));
    EXPECT_EQ(list.GetWave(0)->LoopEnd(), 0);
    EXPECT_FALSE(list.GetWave(0)->StoredLoop());
}

TEST_F(StoredLoopTest, ListFileLoopPointsWinOverTheStoredLoop)
{
    const std::string path = WavWithSmpl("looped.wav", TWavBuilder::Smpl(0, 100, 199));
    TKSD saved;
    saved.AddWave(path);
    saved.AddWave(path);
    saved.GetWave(0)->SetLoopStart(0);
    saved.GetWave(0)->SetLoopEnd(0);
    saved.GetWave(1)->SetLoopStart(10);
    saved.GetWave(1)->SetLoopEnd(20);
    const std::string ksd = dir.File("list.ksd");
    saved.SaveToFile(ksd);

    TKSD opened;
    opened.LoadFromFile(ksd);
    EXPECT_EQ(opened.GetWave(0)->LoopStart(), 0);
    EXPECT_EQ(opened.GetWave(0)->LoopEnd(), 0);
    EXPECT_EQ(opened.GetWave(1)->LoopStart(), 10);
    EXPECT_EQ(opened.GetWave(1)->LoopEnd(), 20);
}

// An AIFF file's sustain loop comes along as [begin, end): the markers lie
// between samples. Only forward loops inside the wave are taken, and a list
// file's own points win on open.
TEST_F(StoredLoopTest, AiffSustainLoopIsTakenBetweenItsMarkers)
{
    const struct {
        const char* name;
        uint32_t begin, end;
        uint16_t mode;
        int32_t loopStart, loopEnd;
    } cases[] = {
        {"forward.aiff", 1000, 3000, 1, 1000, 3000},
        {"to-the-end.aiff", 10, 5000, 1, 10, 5000},
        {"past-the-end.aiff", 10, 5001, 1, 0, 0},
        {"alternating.aiff", 1000, 3000, 2, 0, 0},
        {"reversed.aiff", 3000, 1000, 1, 0, 0},
    };
    for (const auto& c : cases) {
        WriteAiffWithSustainLoop(dir.File(c.name), 5000, c.begin, c.end, c.mode);
        TKSD list;
        list.AddWave(dir.File(c.name));
        EXPECT_EQ(list.GetWave(0)->LoopStart(), c.loopStart) << c.name;
        EXPECT_EQ(list.GetWave(0)->LoopEnd(), c.loopEnd) << c.name;
        ASSERT_TRUE(list.GetWave(0)->StoredLoop()) << c.name;
        EXPECT_TRUE(list.GetWave(0)->StoredLoop()->EndExclusive);
    }

    TKSD saved;
    saved.AddWave(dir.File("forward.aiff"));
    saved.GetWave(0)->SetLoopStart(0);
    saved.GetWave(0)->SetLoopEnd(0);
    saved.SaveToFile(dir.File("list.ksd"));
    TKSD opened;
    opened.LoadFromFile(dir.File("list.ksd"));
    EXPECT_EQ(opened.GetWave(0)->LoopEnd(), 0);
}

// A sustain loop is only taken between markers the file has, inside the
// wave; what is not taken says why (info prints it).
TEST_F(StoredLoopTest, AiffSustainLoopWithoutUsableMarkersIsNotTaken)
{
    const struct {
        const char* name;
        uint32_t begin, end;
        bool marks;
        const char* why;
    } cases[] = {
        {"no-marks.aiff", 1, 2, false, kLoopMarkersMissing},
        {"past-the-end.aiff", 10, 5001, true, kStoredLoopOutsideWave},
        {"from-zero.aiff", 0, 3000, true, kLoopFromZeroNotInBank},
        {"inside.aiff", 10, 3000, true, nullptr},
    };
    for (const auto& c : cases) {
        WriteAiffWithSustainLoop(dir.File(c.name), 5000, c.begin, c.end, 1, c.marks);
        TKSD list;
        list.AddWave(dir.File(c.name));
        const TWaveInfo& wave = *list.GetWave(0);
        ASSERT_TRUE(wave.StoredLoop()) << c.name;
        EXPECT_EQ(wave.LoopEnd(), c.why ? 0 : int32_t(c.end)) << c.name;
        const char* why = StoredLoopNotUsed(*wave.StoredLoop(), wave.SampleCount());
        EXPECT_STREQ(why ? why : "", c.why ? c.why : "") << c.name;
    }
}

} // namespace
