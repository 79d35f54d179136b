#include "document/KSD.h"
#include "support/ErrorOf.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

class KSDListTest : public testing::Test {
protected:
    TTempDir dir;
    TKSD list;

    std::string Wav(const std::string& name, std::size_t samples) { return dir.Wav(name, samples); }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < list.Count(); ++i)
            names.push_back(list.GetWave(i)->WaveName());
        return names;
    }
};

TEST_F(KSDListTest, NewListIsEmpty)
{
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.GetWave(0), nullptr);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(KSDListTest, AddDeleteAndMoveKeepOrderAndWaves)
{
    list.AddWave(Wav("a.wav", 10));
    list.AddWave(Wav("b.wav", 20));
    list.AddWave(Wav("c.wav", 30));
    ASSERT_EQ(Names(), (std::vector<std::string>{"a.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(list.GetWave(3), nullptr);
    EXPECT_EQ(list.GetWave(-1), nullptr);

    TWaveInfo* b = list.GetWave(1);
    b->SetLoopStart(5);
    b->SetLoopEnd(15);
    b->SetViewStart(2);

    list.MoveNext(0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"b.wav", "a.wav", "c.wav"}));
    list.MovePrev(2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"b.wav", "c.wav", "a.wav"}));
    EXPECT_EQ(list.GetWave(0), b);
    EXPECT_EQ(b->LoopStart(), 5);
    EXPECT_EQ(b->LoopEnd(), 15);
    EXPECT_EQ(b->ViewStart(), 2);

    list.DeleteWave(0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"c.wav", "a.wav"}));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(KSDListTest, IndexesOutOfRangeAreRefusedWithTheirMessages)
{
    for (const char* n : {"a.wav", "b.wav", "c.wav"})
        list.AddWave(Wav(n, 4));
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.DeleteWave(3); }), "DeleteWave : Index(=3) が範囲外です");
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.DeleteWave(-1); }), "DeleteWave : Index(=-1) が範囲外です");
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.MoveNext(2); }), "MoveNext : Index(=2) が範囲外です");
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.MovePrev(0); }), "MovePrev : Index(=0) が範囲外です");
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.MovePrev(3); }), "MovePrev : Index(=3) が範囲外です");
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.wav", "b.wav", "c.wav"}));

    TKSD one;
    one.AddWave(Wav("solo.wav", 4));
    for (int i : {-1, 0, 1})
        EXPECT_EQ(ErrorOf<EKSDException>([&] { one.MoveNext(i); }), "MoveNext : Index(=" + std::to_string(i) + ") が範囲外です");
}

TEST_F(KSDListTest, FailedAddLeavesTheListAsItWas)
{
    list.AddWave(Wav("a.wav", 10));
    const std::string missing = dir.File("missing.wav");
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.AddWave(missing); }), "ファイル「" + missing + "」を開けません");
    const std::string folder = dir.File("");
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.AddWave(folder); }), "ファイル「" + folder + "」を開けません");

    const std::string adpcm = dir.File("adpcm.wav");
    TWavBuilder().Add("fmt ", TWavBuilder::Fmt(2, 1, 44100, 4)).Add("data", TWavBuilder::Samples(Ramp(8))).Write(adpcm);
    EXPECT_THROW(list.AddWave(adpcm), EWaveInfoException);
    const std::string tiny = dir.File("tiny.wav");
    WriteBytes(tiny, std::vector<uint8_t>(30, 0));
    EXPECT_THROW(list.AddWave(tiny), EWaveInfoException);

    EXPECT_EQ(Names(), (std::vector<std::string>{"a.wav"}));
}

TEST_F(KSDListTest, SameFileTwiceGivesIndependentWaves)
{
    const std::string path = Wav("same.wav", 100);
    list.AddWave(path);
    list.AddWave(path);
    ASSERT_EQ(list.Count(), 2);
    list.GetWave(0)->SetLoopEnd(50);
    EXPECT_EQ(list.GetWave(1)->LoopEnd(), 0);
    EXPECT_NE(list.GetWave(0), list.GetWave(1));
}

} // namespace
