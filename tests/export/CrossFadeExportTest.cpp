// The crossfade in the bank: the faded stretch (CrossFadeTest checks the
// law) and nothing else changed, the limits, the fades refused before the old bank
// is touched, and a list without fades written as before.

#include "VBKTestFiles.h"
#include "document/CrossFade.h"
#include "export/VBKFile.h"
#include "export/VBKReader.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

class CrossFadeExportTest : public testing::Test {
protected:
    TTempDir dir;
    TKSD list;
    std::string out = dir.File("bank.vbk");

    // Noise over a tone: stretches neither alike nor unrelated.
    TWaveInfo& AddWave(const std::string& name, int32_t start, int32_t end, int32_t fade)
    {
        std::mt19937 random(list.Count() + 1);
        std::uniform_int_distribution<int> noise(-4000, 4000);
        std::vector<int16_t> samples(2000);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<int16_t>(12000 * std::sin(i * 0.05) + noise(random));
        WriteWav(dir.File(name), samples);
        list.AddWave(dir.File(name));
        TWaveInfo& wave = *list.GetWave(list.Count() - 1);
        wave.SetLoopStart(start);
        wave.SetLoopEnd(end);
        wave.SetCrossFade(fade);
        return wave;
    }
};

TEST_F(CrossFadeExportTest, TheBankHoldsTheFadedStretchAndNothingElseChanges)
{
    struct TCase {
        int32_t Start, End, Fade;
    };
    for (const TCase c : {TCase{500, 1500, 1}, TCase{500, 1500, 200}, TCase{400, 1900, 400}, TCase{900, 1200, 300},
                          TCase{700, 2000, 700}}) {
        SCOPED_TRACE(testing::Message() << c.Start << ":" << c.End << "~" << c.Fade);
        list.Clear();
        AddWave("plain.wav", 500, 1500, 0);
        const TWaveInfo& wave = AddWave("faded.wav", c.Start, c.End, c.Fade);
        ExportBank(list, out);
        const std::vector<int16_t> bank = BankSamples(out, 1);
        const auto own = wave.Samples();
        const auto faded = FadedStretch(own, {c.Start, c.End}, c.Fade);
        EXPECT_TRUE(std::equal(faded.begin(), faded.end(), bank.begin() + (c.End - c.Fade)));
        EXPECT_EQ(bank[std::size_t(c.End - 1)], own[std::size_t(c.Start - 1)]);
        EXPECT_TRUE(std::equal(bank.begin(), bank.begin() + (c.End - c.Fade), own.begin()));
        EXPECT_TRUE(std::equal(bank.begin() + c.End, bank.end(), own.begin() + c.End));
        const TVBKWave tone = ReadVBKFile(out).Waves.at(1);
        EXPECT_EQ(std::make_pair(tone.LoopStart, tone.LoopEnd), std::make_pair(c.Start, c.End));
    }
}

TEST_F(CrossFadeExportTest, AFadeThatDoesNotFitIsRefusedBeforeTheOldBankIsTouched)
{
    AddWave("a.wav", 500, 1500, 100);
    TWaveInfo& b = AddWave("b.wav", 500, 1500, 0);
    ExportBank(list, out);
    const std::vector<uint8_t> before = ReadBytes(out);
    struct TCase {
        int32_t Start, End, Fade;
    };
    for (const TCase c : {TCase{500, 1500, 501}, TCase{900, 1200, 301}, TCase{0, 1200, 1}, TCase{0, 0, 10}}) {
        b.SetLoopStart(0);
        b.SetLoopEnd(c.End);
        b.SetLoopStart(c.Start);
        b.SetCrossFade(c.Fade);
        EXPECT_EQ(ErrorOf<EVBKFileException>([&] { ExportBank(list, out); }), "b.wav:クロスフェードがループに収まりません")
            << c.Start << ":" << c.End << "~" << c.Fade;
        EXPECT_EQ(ReadBytes(out), before);
    }
}

// No fade, or a fade set and taken back: the list and the bank are the
// bytes a list without fades always gave.
TEST_F(CrossFadeExportTest, WithoutFadesListAndBankAreAsBefore)
{
    TWaveInfo& a = AddWave("a.wav", 500, 1500, 0);
    const std::string listFile = dir.File("list.ksd");
    list.SaveToFile(listFile);
    ExportBank(list, out);
    const std::vector<uint8_t> listBytes = ReadBytes(listFile), bankBytes = ReadBytes(out);
    EXPECT_EQ(BankSamples(out, 0), std::vector<int16_t>(a.Samples().begin(), a.Samples().end()));

    a.SetCrossFade(50);
    list.SaveToFile(listFile);
    ExportBank(list, out);
    EXPECT_NE(ReadBytes(listFile), listBytes);
    EXPECT_NE(ReadBytes(out), bankBytes);
    a.SetCrossFade(0);
    list.SaveToFile(listFile);
    ExportBank(list, out);
    EXPECT_EQ(ReadBytes(listFile), listBytes);
    EXPECT_EQ(ReadBytes(out), bankBytes);
}

} // namespace
