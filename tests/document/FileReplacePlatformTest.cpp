// Replacing a file that another program holds open, or that is marked
// read-only, where POSIX systems and Windows differ: POSIX replaces it in one
// rename (a reader keeps the old contents); Windows refuses, and the old file
// must then stay whole with no temporary file left beside it.

#include "common/File.h"
#include "document/FileReplace.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <system_error>

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr bool kReplacesHeldFiles = false;
#else
constexpr bool kReplacesHeldFiles = true;
#endif

std::string Text(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Replaces the file's contents with "new"; false when that was refused.
bool Replaced(const std::string& target)
{
    try {
        ReplaceFileContents(target, "new");
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

TEST(FileReplace, AnOpenOrReadOnlyTargetIsReplacedWholeOrLeftWhole)
{
    struct TCase {
        const char* Name;
        std::function<void(const std::string&)> Hold; // runs with the target held
    };
    const TCase cases[] = {
        {"open", [](const std::string& target) {
             const TFileHandle reader = OpenFile(target, "rb");
             ASSERT_TRUE(reader);
             EXPECT_EQ(Replaced(target), kReplacesHeldFiles);
             char old[3] = {};
             EXPECT_EQ(std::fread(old, 1, 3, reader.get()), 3u);
             EXPECT_EQ(std::string(old, 3), "old"); // the reader's file is unchanged either way
         }},
        {"read-only", [](const std::string& target) {
             fs::permissions(PathFromUtf8(target), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                             fs::perm_options::remove);
             EXPECT_EQ(Replaced(target), kReplacesHeldFiles);
             EXPECT_EQ(fs::status(PathFromUtf8(target)).permissions() & fs::perms::owner_write, fs::perms::none);
             fs::permissions(PathFromUtf8(target), fs::perms::owner_write, fs::perm_options::add);
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempDir dir;
        const std::string target = dir.File("list.ksd");
        WriteBytes(target, {'o', 'l', 'd'});
        c.Hold(target);
        EXPECT_EQ(Text(target), kReplacesHeldFiles ? "new" : "old");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1); // no temporary file
    }
}

#ifndef _WIN32
// A termination signal while the new contents are written removes the
// temporary file, and the process still ends by that signal; the old file
// stays whole.
TEST(FileReplace, ATerminationSignalLeavesNoTemporaryFile)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TTempDir dir;
        const std::string target = dir.File("bank.vbk");
        WriteBytes(target, {'o', 'l', 'd'});
        EXPECT_EXIT(ReplaceFileWith(target,
                                    [signal](const std::string& temporary) {
                                        WriteBytes(temporary, std::vector<uint8_t>(1 << 20, 7));
                                        std::raise(signal);
                                    }),
                    testing::KilledBySignal(signal), "")
            << signal;
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            left.push_back(entry.path().filename().string());
        EXPECT_EQ(left, std::vector<std::string>{"bank.vbk"}) << signal;
        EXPECT_EQ(Text(target), "old");
    }
}
#endif

} // namespace
