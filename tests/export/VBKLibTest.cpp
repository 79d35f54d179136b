#include "export/VBKLib.h"

#include "VBKTestFiles.h"
#include "support/Posix.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace {

std::vector<uint8_t> Payload(std::size_t size, uint8_t first)
{
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

// Limits the size of files this process may write, so that writes past the
// limit fail (EFBIG) instead of raising SIGXFSZ. Restored on destruction.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &FSaved);
        FHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = FSaved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &FSaved);
        std::signal(SIGXFSZ, FHandler);
    }

private:
    rlimit FSaved{};
    void (*FHandler)(int);
};

template <typename F>
int32_t FileErrorCodeOf(F f)
{
    try {
        f();
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Message(), FileErrorMessages[static_cast<std::size_t>(e.ErrorCode())]);
        return e.ErrorCode();
    }
    return -1;
}

class VBKLibTest : public testing::Test {
protected:
    TTempDir dir;
    TVBKLib lib;
    std::string path = dir.File("out.vbk");
};

TEST_F(VBKLibTest, ErrorTableKeepsItsCodes)
{
    EXPECT_EQ(EFileError(feNone).Message(), "");
    EXPECT_EQ(EFileError(feNotOpened).Message(), "ファイルが開かれていません");
    EXPECT_EQ(EFileError(feCreate).Message(), "ファイルを作成できません");
    EXPECT_EQ(EFileError(feWrite).Message(), "ファイルに書き込めません");
    EXPECT_EQ(EFileError(feWrite).ErrorCode(), 9);
}

TEST_F(VBKLibTest, ChunksFollowTheHeaderWithoutGaps)
{
    EXPECT_EQ(lib.Position(), 0);
    lib.CreateNew(path);
    EXPECT_EQ(lib.Position(), 16);
    const auto first = Payload(24, 1);
    lib.WriteChunk(VBKTags[vtCtrl], first.data(), 24);
    EXPECT_EQ(lib.Position(), 56);
    const auto odd = Payload(3, 7);
    lib.WriteChunk(VBKTags[vtName], odd.data(), 3);
    lib.WriteChunk(VBKTags[vtTerm], nullptr, 0);
    EXPECT_EQ(lib.Position(), 91);
    lib.Close();
    EXPECT_EQ(lib.Position(), 0);

    std::vector<uint8_t> expected = FileHeaderBytes();
    PutChunk(expected, "CTRL", first);
    PutChunk(expected, "NAME", odd);
    PutChunk(expected, "TERM", {});
    EXPECT_EQ(ReadBytes(path), expected);
    // The empty chunk is its tag and twelve zero bytes.
    EXPECT_EQ(std::vector<uint8_t>(expected.end() - 16, expected.end()),
              (std::vector<uint8_t>{'T', 'E', 'R', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(VBKLibTest, RewritingAChunkInPlaceKeepsEverythingElse)
{
    lib.CreateNew(path);
    lib.WriteChunk(VBKTags[vtCtrl], Payload(16, 0).data(), 16);
    const int32_t tonePos = lib.Position();
    lib.WriteChunk(VBKTags[vtTone], std::vector<uint8_t>(48, 0).data(), 48);
    lib.WriteChunk(VBKTags[vtWave], Payload(100, 9).data(), 100);
    const int32_t end = lib.Position();
    const auto before = ReadBytes(path);

    const auto tones = Payload(48, 200);
    lib.Seek(tonePos);
    lib.WriteChunk(VBKTags[vtTone], tones.data(), 48);
    lib.Seek(end);
    lib.WriteChunk(VBKTags[vtTerm], nullptr, 0);
    lib.Close();

    const auto after = ReadBytes(path);
    ASSERT_EQ(after.size(), before.size() + 16);
    std::vector<uint8_t> expectedTone;
    PutChunk(expectedTone, "TONE", tones);
    EXPECT_TRUE(std::equal(expectedTone.begin(), expectedTone.end(), after.begin() + tonePos));
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + tonePos, after.begin()));
    EXPECT_TRUE(std::equal(before.begin() + tonePos + 64, before.end(), after.begin() + tonePos + 64));
}

TEST_F(VBKLibTest, CreateNewTruncatesAnExistingFile)
{
    WriteBytes(path, std::vector<uint8_t>(5000, 0xAB));
    lib.CreateNew(path);
    lib.Close();
    EXPECT_EQ(ReadBytes(path), FileHeaderBytes());
}

TEST_F(VBKLibTest, FailuresCloseTheFileAndKeepWhatWasWritten)
{
    VANTREL_POSIX_ONLY("the file size limit");
    EXPECT_EQ(FileErrorCodeOf([&] { lib.WriteChunk(VBKTags[vtTerm], nullptr, 0); }), feNotOpened);
    EXPECT_EQ(FileErrorCodeOf([&] { lib.CreateNew(dir.File("missing/out.vbk")); }), feCreate);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "missing"));
    EXPECT_FALSE(lib.IsOpen());

    {
        TFileSizeLimit limit(100);
        lib.CreateNew(path);
        lib.WriteChunk(VBKTags[vtCtrl], Payload(16, 0).data(), 16);
        EXPECT_EQ(FileErrorCodeOf([&] { lib.WriteChunk(VBKTags[vtWave], Payload(200, 0).data(), 200); }), feWrite);
    }
    EXPECT_FALSE(lib.IsOpen());
    EXPECT_EQ(lib.Position(), 0);
    // A second write after the failure finds the file closed.
    EXPECT_EQ(FileErrorCodeOf([&] { lib.WriteChunk(VBKTags[vtTerm], nullptr, 0); }), feNotOpened);
    const auto left = ReadBytes(path);
    ASSERT_EQ(left.size(), 100u);
    EXPECT_EQ(std::vector<uint8_t>(left.begin(), left.begin() + 16), FileHeaderBytes());
}

TEST_F(VBKLibTest, CreateNewOnAFullDeviceFailsToWriteTheHeader)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(FileErrorCodeOf([&] { lib.CreateNew("/dev/full"); }), feWrite);
    EXPECT_FALSE(lib.IsOpen());
}

// The tables are rewritten in place at the end: an output that cannot seek
// back must fail, not leave a bank whose tables are zero.
TEST_F(VBKLibTest, SeekOnAPipeFailsToWrite)
{
    VANTREL_POSIX_ONLY("FIFOs");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    lib.CreateNew(path); // read-write, so opening a pipe without a reader does not block
    EXPECT_EQ(FileErrorCodeOf([&] { lib.Seek(0); }), feWrite);
    EXPECT_FALSE(lib.IsOpen());
}

} // namespace
