#include "export/VBKFile.h"

#include "VBKTestFiles.h"
#include "support/Posix.h"
#include "common/Path.h"
#include "export/VBKReader.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

class VBKFileTest : public testing::Test {
protected:
    TTempDir dir;
    TKSD list;
    std::string out = dir.File("bank.vbk");

    static std::vector<uint8_t> Samples(const TWaveInfo& wave)
    {
        const auto* bytes = reinterpret_cast<const uint8_t*>(wave.Data().data());
        return std::vector<uint8_t>(bytes, bytes + wave.SampleCount() * 2);
    }

    static TVBKTone ToneAt(const std::vector<uint8_t>& file, std::size_t index)
    {
        return DecodeTone(file.data() + 64 + index * 24);
    }
};

TEST_F(VBKFileTest, OneWaveWithoutLoopByteForByte)
{
    const TWaveInfo& wave = AddTestWave(list, dir, "a.wav", 1000);
    ExportBank(list, out);

    std::vector<uint8_t> expected = FileHeaderBytes();
    PutChunk(expected, "CTRL", {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    std::vector<uint8_t> tone;
    PutLe(tone, 172, 4); // waveOffset
    PutLe(tone, 1, 2);   // toneWord
    tone.resize(24, 0);  // no loop, 44100 Hz: everything else zero
    PutChunk(expected, "TONE", tone);
    PutChunk(expected, "NAME", std::vector<uint8_t>(68, 0));
    PutChunk(expected, "WAVE", Samples(wave));
    PutChunk(expected, "TERM", {});

    const auto file = ReadBytes(out);
    ASSERT_EQ(file.size(), 2204u);
    EXPECT_EQ(file, expected);
    EXPECT_EQ(TVBKFile::ExportedSize(list), 2204);
}

TEST_F(VBKFileTest, SeveralWavesWithRatesAndLoops)
{
    AddTestWave(list, dir, "a.wav", 1000, 44100, 100, 900);
    AddTestWave(list, dir, "b.wav", 501, 22050, 0, 300); // start 0: exported as no loop
    AddTestWave(list, dir, "c.wav", 2000, 48000, 1, 2000);
    AddTestWave(list, dir, "d.wav", 0, 8000);
    ExportBank(list, out);

    const auto file = ReadBytes(out);
    ASSERT_EQ(static_cast<int64_t>(file.size()), TVBKFile::ExportedSize(list));
    ASSERT_EQ(file.size(), 96u + 92 * 4 + (16 + 2000) + (16 + 1002) + (16 + 4000) + 16);

    const TVBKTone a = ToneAt(file, 0), b = ToneAt(file, 1), c = ToneAt(file, 2), d = ToneAt(file, 3);
    EXPECT_EQ(a.waveOffset, 80u + 92 * 4);
    EXPECT_EQ(b.waveOffset, a.waveOffset + 16 + 2000);
    EXPECT_EQ(c.waveOffset, b.waveOffset + 16 + 1002);
    EXPECT_EQ(d.waveOffset, c.waveOffset + 16 + 4000);
    EXPECT_EQ(a.rateOffset, 0);
    EXPECT_EQ(b.rateOffset, -22050);
    EXPECT_EQ(c.rateOffset, 3900);
    EXPECT_EQ(d.rateOffset, 8000 - 44100);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 64 + 24 + 8, file.begin() + 64 + 24 + 12),
              (std::vector<uint8_t>{0xDE, 0xA9, 0xFF, 0xFF}));
    EXPECT_EQ((std::array{a.loopFlag, a.toneWord}), (std::array<uint16_t, 2>{1, 1}));
    EXPECT_EQ(a.loopStart, 100);
    EXPECT_EQ(a.loopEnd, 900);
    EXPECT_EQ((std::array{b.loopFlag, b.toneWord}), (std::array<uint16_t, 2>{0, 1}));
    EXPECT_EQ(b.loopStart, 0);
    EXPECT_EQ(b.loopEnd, 0);
    EXPECT_EQ(c.loopFlag, 1);
    EXPECT_EQ(c.loopStart, 1);
    EXPECT_EQ(c.loopEnd, 2000);
    EXPECT_EQ(d.loopFlag, 0);

    // Each WAVE payload holds the wave's samples; each checksum is right,
    // the TONE one over the final records and the NAME one over zeros.
    for (int i = 0; i < list.Count(); ++i) {
        const std::size_t at = ToneAt(file, static_cast<std::size_t>(i)).waveOffset;
        const auto samples = Samples(*list.GetWave(i));
        EXPECT_EQ(GetLe32(file, at + 4), samples.size());
        EXPECT_TRUE(std::equal(samples.begin(), samples.end(), file.begin() + static_cast<long>(at) + 16));
    }
    EXPECT_EQ(GetLe32(file, 48 + 8), BitwiseCRC(file.data() + 64, 4 * 24));
    EXPECT_NE(GetLe32(file, 48 + 8), BitwiseCRC(std::vector<uint8_t>(96, 0).data(), 96));
    const std::vector<uint8_t> names(4 * 68, 0);
    EXPECT_EQ(GetLe32(file, 64 + 96 + 8), BitwiseCRC(names.data(), names.size()));
    EXPECT_NO_THROW(ReadVBKFile(out));
}

TEST_F(VBKFileTest, OddDataSizeContributesWholeSamples)
{
    auto samples = TWavBuilder::Samples(Ramp(10));
    samples.push_back(0x7F); // 21 data bytes
    TWavBuilder wav;
    wav.Add("fmt ", TWavBuilder::Fmt(1, 1, 44100, 16)).Add("data", samples);
    wav.Write(dir.File("odd.wav"));
    list.AddWave(dir.File("odd.wav"));
    ExportBank(list, out);

    const auto file = ReadBytes(out);
    const std::size_t wave = 80 + 92;
    EXPECT_EQ(GetLe32(file, wave + 4), 20u);
    EXPECT_EQ(file.size(), 96u + 92 + 16 + 20);
    EXPECT_TRUE(std::equal(samples.begin(), samples.begin() + 20, file.begin() + wave + 16));
}

// Rates up to 2^31 - 1 go out as offsets from the base rate without
// overflowing (sanitizer builds catch a signed overflow); larger ones, negative
// as signed 32-bit values, never reach the exporter.
TEST_F(VBKFileTest, RatesUpTo2Pow31MinusOneGoOutAndLargerAreRefused)
{
    AddTestWave(list, dir, "max.wav", 4, 0x7FFFFFFFu);
    ExportBank(list, out);
    EXPECT_EQ(ToneAt(ReadBytes(out), 0).rateOffset, 0x7FFFFFFF - 44100);
    for (const uint32_t rate : {0x80000000u, 0x80000000u + 44099, 0xFFFFFFFFu})
        EXPECT_THROW(AddTestWave(list, dir, std::to_string(rate) + ".wav", 4, rate), EWaveInfoException) << rate;
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(VBKFileTest, EmptyListCreatesNoFile)
{
    EXPECT_EQ(ErrorOf<EVBKFileException>([&] { ExportBank(list, out); }), "waveが登録されていません");
    EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(out)));
}

TEST_F(VBKFileTest, UncreatablePathLeavesNothing)
{
    AddTestWave(list, dir, "a.wav", 10);
    const std::string bad = dir.File("no such folder/bank.vbk");
    EXPECT_EQ(ErrorOf<EFileError>([&] { ExportBank(list, bad); }), "ファイルを作成できません");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "no such folder"));
}

TEST_F(VBKFileTest, LoopStartWithoutEndStopsBeforeTheOldBankIsTouched)
{
    AddTestWave(list, dir, "a.wav", 100);
    AddTestWave(list, dir, "b.wav", 200, 44100, 50, 150);
    AddTestWave(list, dir, "c.wav", 300);
    ExportBank(list, out);
    const auto before = ReadBytes(out);

    list.GetWave(1)->SetLoopEnd(0);
    EXPECT_EQ(ErrorOf<EVBKFileException>([&] { ExportBank(list, out); }), "「b.wav」のループ終点が設定されていません");
    EXPECT_EQ(ReadBytes(out), before);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetWave(1)->LoopStart(), 50);

    // Once the loop is fixed, exporting to the same name succeeds.
    list.GetWave(1)->SetLoopEnd(170);
    ExportBank(list, out);
    EXPECT_EQ(ReadVBKFile(out).Waves.at(1).LoopEnd, 170);
}

// A failure part way through leaves the bank already there as it was, and
// no other file in its folder; both faults are met after the first wave.
TEST_F(VBKFileTest, FailurePartWayKeepsTheOldBankAndLeavesNoFile)
{
    VANTREL_POSIX_ONLY("the file size limit");
    AddTestWave(list, dir, "a.wav", 1000);
    AddTestWave(list, dir, "b.wav", 1000, 44100, 10, 900);
    ExportBank(list, out);
    const auto before = ReadBytes(out);
    const auto folder = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    AddTestWave(list, dir, "c.wav", 1000);
    const auto withC = folder();

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 3000; // past the first wave, before the last
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::string limited = ErrorOf<EFileError>([&] { ExportBank(list, out); });
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(limited, "ファイルに書き込めません");
    EXPECT_EQ(ReadBytes(out), before);
    EXPECT_EQ(folder(), withC);

    list.GetWave(2)->SetLoopStart(5);
    EXPECT_EQ(ErrorOf<EVBKFileException>([&] { ExportBank(list, out); }), "「c.wav」のループ終点が設定されていません");
    EXPECT_EQ(ReadBytes(out), before);
    EXPECT_EQ(folder(), withC);
}

// The bank replaces the file a link points to, keeping the link and the
// file's permissions.
TEST_F(VBKFileTest, ReplacingFollowsLinksAndKeepsPermissions)
{
    VANTREL_POSIX_ONLY("symbolic links and permission bits");
    AddTestWave(list, dir, "a.wav", 10);
    WriteBytes(dir.File("real.vbk"), {'o', 'l', 'd'});
    std::filesystem::permissions(dir.Path() / "real.vbk", std::filesystem::perms(0640));
    std::filesystem::create_symlink("real.vbk", dir.Path() / "link.vbk");
    ExportBank(list, dir.File("link.vbk"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "link.vbk"));
    EXPECT_EQ(static_cast<int64_t>(ReadBytes(dir.File("real.vbk")).size()), TVBKFile::ExportedSize(list));
    EXPECT_EQ(std::filesystem::status(dir.Path() / "real.vbk").permissions(), std::filesystem::perms(0640));
}

// The command-line export loads the list without samples and reads each wave
// while it writes it: the same bank, byte for byte, from plain, short,
// converted and faded waves; a wave whose file changed since is refused.
TEST_F(VBKFileTest, AListLoadedWithoutSamplesGivesTheSameBank)
{
    AddTestWave(list, dir, "a.wav", 1000, 44100, 100, 900);
    AddTestWave(list, dir, "b.wav", 3000, 22050, 500, 2500).SetCrossFade(200);
    TWavBuilder cut; // declares 4000 samples, holds 1500
    cut.Add("fmt ", TWavBuilder::Fmt(1, 1, 32000, 16)).Add("data", TWavBuilder::Samples(Ramp(1500, 7)), 8000);
    cut.Write(dir.File("cut.wav"));
    list.AddWave(dir.File("cut.wav"));
    WriteStereo24WithLoop(dir.File("stereo.wav"), 2500, 300, 1999);
    list.AddWave(dir.File("stereo.wav"));
    list.GetWave(3)->SetCrossFade(100);
    const std::string ksd = dir.File("list.ksd");
    list.SaveToFile(ksd);

    TKSD full, headers;
    full.LoadFromFile(ksd);
    headers.LoadFromFile(ksd, {}, {}, TWaveReading::HeadersOnly);
    ASSERT_EQ(headers.Count(), 4);
    for (int32_t i = 0; i < headers.Count(); ++i) {
        EXPECT_FALSE(headers.GetWave(i)->HoldsSamples()) << i;
        EXPECT_TRUE(headers.GetWave(i)->Samples().empty()) << i;
        EXPECT_EQ(headers.GetWave(i)->SampleCount(), full.GetWave(i)->SampleCount()) << i;
    }
    ExportBank(full, out);
    const std::string streamed = dir.File("streamed.vbk");
    ExportBank(headers, streamed);
    EXPECT_EQ(ReadBytes(streamed), ReadBytes(out));

    WriteWav(dir.File("cut.wav"), Ramp(1499), 32000);
    EXPECT_EQ(ErrorOf<EWaveInfoException>([&] { ExportBank(headers, streamed); }),
              "ファイル「cut.wav」は読み込んだ後に変わりました");
    EXPECT_EQ(ReadBytes(streamed), ReadBytes(out)); // the bank there stays whole
}

TEST_F(VBKFileTest, FileOf2GiBIsRefusedBeforeCreation)
{
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a 2 GiB zeroed allocation is too slow under ThreadSanitizer";
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
    GTEST_SKIP() << "a 2 GiB zeroed allocation is too slow under ThreadSanitizer";
#endif
#endif
    // A sparse WAV file: its holes are not read, and the zeroed memory they
    // stand for is mapped lazily.
    const auto bigWav = [&](const std::string& name, uint32_t dataBytes) {
        TWavBuilder wav;
        wav.Add("fmt ", TWavBuilder::Fmt(1, 1, 44100, 16)).Add("data", TWavBuilder::Samples(Ramp(4)), dataBytes);
        wav.Write(dir.File(name));
        std::filesystem::resize_file(PathFromUtf8(dir.File(name)), 44 + uint64_t{dataBytes});
        list.AddWave(dir.File(name));
    };
    // One wave: 96 + 92 + 16 + data bytes; 2^31 - 204 bytes of data reach 2^31.
    bigWav("big.wav", 0x80000000u - 204);
    EXPECT_EQ(TVBKFile::ExportedSize(list), int64_t{1} << 31);
    EXPECT_EQ(ErrorOf<EVBKFileException>([&] { ExportBank(list, out); }), "VBKファイルが大きすぎます");
    EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(out)));
}

} // namespace
