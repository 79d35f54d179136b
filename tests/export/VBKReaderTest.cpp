#include "export/VBKReader.h"
#include "export/VBKFile.h"

#include "VBKTestFiles.h"
#include "support/Posix.h"
#include "common/Format.h"
#include "common/Path.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <filesystem>


namespace {

// A three-wave bank exported once per test, then damaged in memory.
class VBKReaderTest : public testing::Test {
protected:
    TTempDir dir;
    std::vector<uint8_t> bank;
    static constexpr std::size_t TonePos = 48;
    static constexpr std::size_t Wave0 = 80 + 92 * 3;

    void SetUp() override
    {
        TKSD list;
        AddTestWave(list, dir, "a.wav", 100, 44100, 10, 90);
        AddTestWave(list, dir, "b.wav", 33, 22050);
        AddTestWave(list, dir, "c.wav", 64, 96000, 1, 64);
        ExportBank(list, dir.File("bank.vbk"));
        bank = ReadBytes(dir.File("bank.vbk"));
    }

    std::string ErrorOf(const std::vector<uint8_t>& bytes) const
    {
        try {
            ReadVBK(bytes.data(), bytes.size());
        } catch (const EVBKReaderException& e) {
            return e.Message();
        }
        return "(accepted)";
    }

    // Sets a field of tone record `index` and repairs the TONE checksum.
    std::vector<uint8_t> WithTone(std::size_t index, std::size_t field, uint32_t value, int bytes = 4) const
    {
        auto damaged = bank;
        for (int i = 0; i < bytes; ++i)
            damaged.at(TonePos + 16 + index * 24 + field + static_cast<std::size_t>(i)) =
                static_cast<uint8_t>(value >> (8 * i));
        FixChecksum(damaged, TonePos);
        return damaged;
    }
};

TEST_F(VBKReaderTest, ReadsEveryChunkToneAndWave)
{
    const TVBKContents contents = ReadVBK(bank.data(), bank.size());
    EXPECT_EQ(contents.FileSize, bank.size());
    EXPECT_EQ(contents.Header.headerWord, 1);
    EXPECT_EQ(contents.Ctrl.waveCount, 3);
    std::vector<std::string> tags;
    for (const auto& chunk : contents.Chunks)
        tags.push_back(TagText(chunk.Header.tag));
    EXPECT_EQ(tags, (std::vector<std::string>{"CTRL", "TONE", "NAME", "WAVE", "WAVE", "WAVE", "TERM"}));
    EXPECT_EQ(contents.Chunks[1].Offset, 48u);
    ASSERT_EQ(contents.Tones.size(), 3u);
    ASSERT_EQ(contents.Waves.size(), 3u);
    EXPECT_EQ(contents.Waves[0].Offset, Wave0);
    EXPECT_EQ(contents.Waves[1].Offset, Wave0 + 216);
    EXPECT_EQ(contents.Waves[1].Rate, 22050);
    EXPECT_EQ(contents.Waves[1].SampleCount, 33u);
    EXPECT_FALSE(contents.Waves[1].Loops);
    EXPECT_EQ(contents.Waves[2].Rate, 96000);
    EXPECT_TRUE(contents.Waves[2].Loops);
    EXPECT_EQ(contents.Waves[2].LoopStart, 1);
    EXPECT_EQ(contents.Waves[2].LoopEnd, 64);

    // Reading the file gives the same as reading its bytes.
    EXPECT_EQ(ReadVBKFile(dir.File("bank.vbk")).Chunks.size(), 7u);
}

TEST_F(VBKReaderTest, FramingFaults)
{
    auto flipped = bank;
    flipped[Wave0 + 16 + 5] ^= 0x01;
    const uint32_t stored = GetLe32(bank, Wave0 + 8);
    const uint32_t actual = BitwiseCRC(flipped.data() + Wave0 + 16, 200);
    EXPECT_EQ(ErrorOf(flipped),
              Format("chunk WAVE at offset %zu: checksum 0x%08X expected 0x%08X", Wave0, stored, actual));

    auto tone = bank;
    tone[TonePos + 16] ^= 0x80;
    EXPECT_EQ(ErrorOf(tone).rfind("chunk TONE at offset 48: checksum 0x", 0), 0u) << ErrorOf(tone);

    auto size = bank;
    SetLe32(size, TonePos + 4, 73);
    EXPECT_EQ(ErrorOf(size), "chunk TONE at offset 48: size 73 expected 72");

    auto reserved = bank;
    reserved[TonePos + 12] = 1;
    EXPECT_EQ(ErrorOf(reserved), "chunk TONE at offset 48: reserved word 0x00000001 expected 0");

    auto order = bank;
    std::copy_n("NAME", 4, order.begin() + TonePos);
    EXPECT_EQ(ErrorOf(order), "chunk NAME at offset 48: chunk TONE expected");

    auto oddWave = bank;
    SetLe32(oddWave, Wave0 + 4, 199);
    EXPECT_EQ(ErrorOf(oddWave), Format("chunk WAVE at offset %zu: size 199 is odd, 16-bit samples expected", Wave0));

    auto hugeWave = bank;
    SetLe32(hugeWave, Wave0 + 4, 0xFFFFFFF0u);
    EXPECT_EQ(ErrorOf(hugeWave), Format("chunk WAVE at offset %zu: size 4294967280 runs past the end of the file "
                                        "(%zu bytes)",
                                        Wave0, bank.size()));
}

TEST_F(VBKReaderTest, LengthFaults)
{
    EXPECT_EQ(ErrorOf({}), "file header: the file is 0 bytes, shorter than its 16-byte header");
    EXPECT_EQ(ErrorOf(std::vector<uint8_t>(bank.begin(), bank.begin() + 16)),
              "end of file at offset 16 where chunk CTRL was expected");
    EXPECT_EQ(ErrorOf(std::vector<uint8_t>(bank.begin(), bank.end() - 16)),
              Format("end of file at offset %zu where chunk TERM was expected", bank.size() - 16));
    EXPECT_EQ(ErrorOf(std::vector<uint8_t>(bank.begin(), bank.end() - 5)),
              Format("chunk at offset %zu: header cut off by the end of the file (%zu bytes)", bank.size() - 16,
                     bank.size() - 5));
    auto longer = bank;
    longer.push_back(0);
    EXPECT_EQ(ErrorOf(longer), Format("file is %zu bytes: 1 bytes follow chunk TERM", longer.size()));
}

TEST_F(VBKReaderTest, HeaderAndControlFaults)
{
    auto magic = bank;
    magic[3] = '\x01';
    EXPECT_EQ(ErrorOf(magic), "file header: magic \"VBK\\x01\" expected \"VBK0\"");
    auto word = bank;
    word[4] = 2;
    EXPECT_EQ(ErrorOf(word), "file header: headerWord 2 expected 1");
    auto reserved = bank;
    reserved[15] = 1;
    EXPECT_EQ(ErrorOf(reserved), "file header: reserved bytes 6..15 are not zero");

    auto count = bank;
    SetLe32(count, 32 + 4, 0);
    FixChecksum(count, 16);
    EXPECT_EQ(ErrorOf(count), "control record: waveCount 0, at least 1 expected");
    auto more = bank;
    SetLe32(more, 32 + 4, 4);
    FixChecksum(more, 16);
    EXPECT_EQ(ErrorOf(more), "chunk TONE at offset 48: size 72 expected 96");
    auto huge = bank;
    SetLe32(huge, 32 + 4, 0x7FFFFFFF);
    FixChecksum(huge, 16);
    EXPECT_EQ(ErrorOf(huge), "chunk TONE at offset 48: size 72 expected 51539607528");
}

TEST_F(VBKReaderTest, ToneRecordFaults)
{
    EXPECT_EQ(ErrorOf(WithTone(1, 0, Wave0)),
              Format("tone record 1: waveOffset %zu expected %zu, where its WAVE chunk lies", Wave0, Wave0 + 216));
    EXPECT_EQ(ErrorOf(WithTone(0, 4, 2, 2)), "tone record 0: toneWord 2 expected 1");
    EXPECT_EQ(ErrorOf(WithTone(0, 6, 2, 2)), "tone record 0: loopFlag 2 expected 0 or 1");
    EXPECT_EQ(ErrorOf(WithTone(0, 12, 5)), "tone record 0: reserved word 0x00000005 expected 0");
    EXPECT_EQ(ErrorOf(WithTone(1, 20, 7)), "tone record 1: loop 0..7 without loopFlag, 0..0 expected");
    EXPECT_EQ(ErrorOf(WithTone(0, 16, 100)), "tone record 0: loopStart 100 outside the wave of 100 samples");
    EXPECT_EQ(ErrorOf(WithTone(0, 16, 0)), "tone record 0: loopStart 0 outside the wave of 100 samples");
    EXPECT_EQ(ErrorOf(WithTone(2, 20, 65)), "tone record 2: loopEnd 65 outside the wave of 64 samples");
    // The loop's order is not part of the format.
    EXPECT_EQ(ErrorOf(WithTone(0, 16, 95)), "(accepted)");
}

TEST_F(VBKReaderTest, FileThatCannotBeRead)
{
    const std::string missing = dir.File("missing.vbk");
    EXPECT_THROW(
        {
            try {
                ReadVBKFile(missing);
            } catch (const EVBKReaderException& e) {
                EXPECT_EQ(e.Message(), Format("ファイル「%s」を開けません", missing.c_str()));
                throw;
            }
        },
        EVBKReaderException);
    EXPECT_THROW(ReadVBKFile(dir.File("")), EVBKReaderException); // a folder
}

// A sparse file of a few bytes on disk whose TONE chunk claims 4 GiB: it is
// refused in little memory (and time) since the rest of the tables cannot fit.
TEST_F(VBKReaderTest, ATableClaimingGigabytesIsCheckedInLittleMemory)
{
    constexpr uint32_t waves = 0xFFFFFFFFu / 24;
    // File header, CTRL with that many waves, then TONE's header claiming their records.
    std::vector<uint8_t> head(bank.begin(), bank.begin() + TonePos + 16);
    SetLe32(head, 16 + 16 + 4, waves);
    FixChecksum(head, 16);
    SetLe32(head, TonePos + 4, waves * 24);
    const std::string file = dir.File("sparse.vbk");
    WriteBytes(file, head);
    std::filesystem::resize_file(PathFromUtf8(file), head.size() + uint64_t{waves} * 24 + 16);

    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    EXPECT_EQ(::ErrorOf<EVBKReaderException>([&] { ReadVBKFile(file); }),
              file + ": chunk TONE at offset 48: the chunks after it need 15032385512 bytes, the file has 16 more");
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 50 * 1024); // kilobytes
}

} // namespace
