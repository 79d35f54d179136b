// Runs the real vantrel-cli program and checks its output, errors and exit
// status.

#include "common/Format.h"
#include "common/Path.h"
#include "export/VBKHead.h"
#include "loop/TestTones.h"
#include "support/Posix.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>

namespace {

struct TResult {
    int Status = -1;
    std::string Out;
    std::string Err;
};

#ifdef _WIN32
// For cmd.exe: each argument in double quotes (no test argument holds one).
std::string Quoted(const std::string& arg) { return "\"" + arg + "\""; }
#else
std::string Quoted(const std::string& arg)
{
    std::string quoted = "'";
    for (const char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
#endif

std::string Slurp(const std::string& path)
{
    std::ifstream in(PathFromUtf8(path), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A wrong call (its message points to --help) exits with 2, a fault in the input with 1.
int StatusOf(const std::string& Error) { return Error.find("vantrel-cli --help") != std::string::npos ? 2 : 1; }

// Sets an environment variable for the programs the test runs; empty unsets it.
void SetEnvironment(const char* Name, const std::string& Value)
{
#ifdef _WIN32
    _putenv_s(Name, Value.c_str());
#else
    if (Value.empty())
        ::unsetenv(Name);
    else
        ::setenv(Name, Value.c_str(), 1);
#endif
}

class CliTest : public testing::Test {
protected:
    TTempDir dir;

    // The tool speaks English unless a test asks for another locale.
    void SetUp() override { UseLocale("", "", "C.UTF-8"); }
    void TearDown() override { UseLocale("", "", "C.UTF-8"); }
    void UseLocale(const std::string& All, const std::string& Messages, const std::string& Lang) const
    {
        SetEnvironment("LC_ALL", All);
        SetEnvironment("LC_MESSAGES", Messages);
        SetEnvironment("LANG", Lang);
    }

    // Standard output goes to Output (a file the result then holds, unless given).
    TResult Run(const std::vector<std::string>& args, const std::string& Output = {}) const
    {
        std::string command = Quoted(VANTREL_CLI_PATH);
        for (const auto& arg : args)
            command.append(" ").append(Quoted(arg));
        command.append(" >").append(Quoted(Output.empty() ? dir.File("stdout.txt") : Output));
        command.append(" 2>").append(Quoted(dir.File("stderr.txt")));
        const int status = RunShell(command);
        TResult result;
        result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.Out = Output.empty() ? Slurp(dir.File("stdout.txt")) : std::string();
        result.Err = Slurp(dir.File("stderr.txt"));
        return result;
    }

    std::string Wav(const std::string& name, std::size_t samples, uint32_t rate = 44100) const
    {
        return dir.Wav(name, samples, rate);
    }

    // A bank of three waves, two of them looping, made by new and export.
    std::string Bank()
    {
        const std::string list = dir.File("list.ksd");
        const std::string bank = dir.File("bank.vbk");
        EXPECT_EQ(Run({"new", list, Wav("a.wav", 1000) + "@100:900", Wav("b.wav", 501, 22050),
                       Wav("c.wav", 64, 48000) + "@1:63"})
                      .Status,
                  0);
        EXPECT_EQ(Run({"export", list, bank}).Status, 0);
        return bank;
    }

    TResult CheckDamaged(const std::vector<uint8_t>& bytes) const
    {
        WriteBytes(dir.File("damaged.vbk"), bytes);
        return Run({"check", dir.File("damaged.vbk")});
    }
};

uint32_t Le32(const std::vector<uint8_t>& bytes, std::size_t at)
{
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

TEST_F(CliTest, NewExportCheckRoundTrip)
{
    const std::string list = dir.File("list.ksd");
    const std::string bank = dir.File("bank.vbk");
    const TResult made = Run({"new", list, Wav("a.wav", 1000) + "@100:900", Wav("b.wav", 501, 22050),
                              Wav("c.wav", 64, 48000) + "@1:63"});
    EXPECT_EQ(made.Status, 0) << made.Err;
    EXPECT_EQ(made.Out, "a.wav\tloop 100:900\tseam 1.9899 poor\tno fade\tgiven\n"
                        "b.wav\tno loop\n"
                        "c.wav\tloop 1:63\tseam 0.1113 poor\tno fade\tgiven\n" +
                            list + ": 3 waves\n");

    const TResult exported = Run({"export", list, bank});
    EXPECT_EQ(exported.Status, 0) << exported.Err;
    EXPECT_EQ(exported.Out, "a.wav\t44100 Hz\t1000 samples\tloop 100:900\n"
                            "b.wav\t22050 Hz\t501 samples\tno loop\n"
                            "c.wav\t48000 Hz\t64 samples\tloop 1:63\n" +
                                Format("%s: %d bytes\n", bank.c_str(), 96 + 92 * 3 + 16 * 3 + 2 * (1000 + 501 + 64)));
    EXPECT_EQ(exported.Err, "");

    const TResult checked = Run({"check", bank});
    EXPECT_EQ(checked.Status, 0) << checked.Err;
    const int first = 80 + 92 * 3;
    EXPECT_EQ(checked.Out,
              "index     offset     rate    samples  loopstart    loopend\n" +
                  Format("    0 %10d    44100       1000        100        900\n", first) +
                  Format("    1 %10d    22050        501          -          -\n", first + 2016) +
                  Format("    2 %10d    48000         64          1         63\n", first + 2016 + 1018) +
                  Format("%s: 3 waves, %d bytes, no faults\n", bank.c_str(), first + 2016 + 1018 + 144 + 16));
}

TEST_F(CliTest, CheckRefusesDamagedBanksWithTheReason)
{
    const auto bank = ReadBytes(Bank());
    const std::size_t wave0 = 80 + 92 * 3;

    auto flipped = bank;
    flipped[wave0 + 16 + 1234] ^= 0x10;
    const TResult crc = CheckDamaged(flipped);
    EXPECT_EQ(crc.Status, 1);
    EXPECT_EQ(crc.Out, "");
    const std::string damaged = dir.File("damaged.vbk") + ": ";
    EXPECT_EQ(crc.Err.rfind(damaged + Format("chunk WAVE at offset %zu: checksum 0x%08X expected 0x", wave0, Le32(bank, wave0 + 8)),
                            0),
              0u)
        << crc.Err;
    EXPECT_EQ(crc.Err.substr(crc.Err.size() - 2), ".\n");

    const TResult truncated = CheckDamaged(std::vector<uint8_t>(bank.begin(), bank.end() - 20));
    EXPECT_EQ(truncated.Status, 1);
    EXPECT_EQ(truncated.Err, damaged + Format("chunk WAVE at offset %zu: size 128 runs past the end of the file (%zu bytes)\n",
                                    bank.size() - 16 - 144, bank.size() - 20));

    auto size = bank;
    size[48 + 4] = 71;
    EXPECT_EQ(CheckDamaged(size).Err, damaged + "chunk TONE at offset 48: size 71 expected 72.\n");

    // Another waveOffset with a checksum that matches it: only the record is wrong.
    const std::vector<uint8_t> wrongOffset = [&] {
        TTempDir other;
        WriteWav(other.File("a.wav"), Ramp(999));
        WriteWav(other.File("b.wav"), Ramp(501), 22050);
        WriteWav(other.File("c.wav"), Ramp(64), 48000);
        EXPECT_EQ(Run({"new", other.File("l.ksd"), other.File("a.wav") + "@100:900", other.File("b.wav"),
                       other.File("c.wav") + "@1:63"})
                      .Status,
                  0);
        EXPECT_EQ(Run({"export", other.File("l.ksd"), other.File("b.vbk")}).Status, 0);
        auto mixed = bank; // this bank's waves with the other bank's TONE chunk
        const auto tones = ReadBytes(other.File("b.vbk"));
        std::copy(tones.begin() + 48, tones.begin() + 48 + 16 + 72, mixed.begin() + 48);
        return mixed;
    }();
    const TResult offset = CheckDamaged(wrongOffset);
    EXPECT_EQ(offset.Status, 1);
    EXPECT_EQ(offset.Err, damaged + Format("tone record 1: waveOffset %zu expected %zu, where its WAVE chunk lies.\n",
                                 wave0 + 16 + 1998, wave0 + 16 + 2000));

    const TResult missing = Run({"check", dir.File("none.vbk")});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err, Format("Cannot open the file “%s”.\n", dir.File("none.vbk").c_str()));
}

TEST_F(CliTest, InfoReportsEachFileAndFailsIfAnyFails)
{
    const std::string good = Wav("good.wav", 4410, 22050);
    WriteBytes(dir.File("bad.wav"), {'R', 'I', 'F', 'F', 0, 0});
    const TResult both = Run({"info", good, dir.File("bad.wav"), dir.File("none.wav")});
    EXPECT_EQ(both.Status, 1);
    EXPECT_EQ(both.Out, "good.wav\t22050 Hz\t200 ms\t4410 samples\n");
    EXPECT_EQ(both.Err, Format("The file “bad.wav” has an unsupported format.\nCannot open the file “%s”.\n",
                               dir.File("none.wav").c_str()));
    EXPECT_EQ(Run({"info", good}).Status, 0);

    TWavBuilder().Add("fmt ", TWavBuilder::Fmt(1, 1, 22050, 16)).Add("data", TWavBuilder::Samples(Ramp(441)), 88200).Write(dir.File("cut.wav"));
    EXPECT_EQ(Run({"info", dir.File("cut.wav")}).Out,
              "cut.wav\t22050 Hz\t20 ms\t441 samples\tshorter than its header claims (44100 samples)\n");
}

TEST_F(CliTest, InfoShowsConversionAndStoredLoopAndNewKeepsTheLoop)
{
    const std::string stereo = dir.File("stereo.wav");
    WriteStereo24WithLoop(stereo, 441, 100, 199);
    const std::string pingPong = dir.File("pingpong.wav");
    TWavBuilder().Add("fmt ", TWavBuilder::Fmt(1, 1, 44100, 16)).Add("data", TWavBuilder::Samples(Ramp(441))).Add("smpl", TWavBuilder::Smpl(1, 5, 9)).Write(pingPong);
    EXPECT_EQ(Run({"info", stereo, pingPong}).Out,
              "stereo.wav\t44100 Hz\t10 ms\t441 samples\tconverted from 24-bit 2ch\tstored loop 100-199 (inclusive) forward, used as 100:200\n"
              "pingpong.wav\t44100 Hz\t10 ms\t441 samples\tstored loop 5-9 (inclusive) alternating, not used\n");

    const std::string list = dir.File("list.ksd");
    ASSERT_EQ(Run({"new", list, stereo, stereo + "@0:0"}).Status, 0);
    const std::string text = Slurp(list);
    EXPECT_NE(text.find("<LoopStart>0x00000064</LoopStart><LoopEnd>0x000000C8</LoopEnd>"), std::string::npos) << text;
    EXPECT_NE(text.find("<LoopStart>0x00000000</LoopStart><LoopEnd>0x00000000</LoopEnd>"), std::string::npos) << text;

    // An AIFF sustain loop between markers 1000 and 3000.
    const std::string aiff = dir.File("sustain.aiff");
    WriteAiffWithSustainLoop(aiff, 4410, 1000, 3000);
    EXPECT_EQ(Run({"info", aiff}).Out,
              "sustain.aiff\t44100 Hz\t100 ms\t4410 samples\tconverted from AIFF 16-bit 1ch\tstored sustain loop 1000:3000 forward, used as 1000:3000\n");
    ASSERT_EQ(Run({"new", "--force", list, aiff}).Status, 0);
    EXPECT_NE(Slurp(list).find("<LoopStart>0x000003E8</LoopStart><LoopEnd>0x00000BB8</LoopEnd>"), std::string::npos);
}

TEST_F(CliTest, NewAppliesTheLoopRulesAndWritesNothingOnError)
{
    const std::string a = Wav("a.wav", 1000);
    const std::string list = dir.File("list.ksd");
    const auto refused = [&](const std::string& arg) {
        const TResult result = Run({"new", list, a, arg});
        EXPECT_EQ(result.Status, StatusOf(result.Err)) << arg;
        EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(list))) << arg;
        return result.Err;
    };
    EXPECT_EQ(refused(a + "@900:100"), "a.wav:The loop end lies before the loop start.\n");
    EXPECT_EQ(refused(a + "@500:500"), "a.wav:The loop end lies before the loop start.\n");
    EXPECT_EQ(refused(a + "@1000:0"), "a.wav:The loop start is invalid.\n");
    EXPECT_EQ(refused(a + "@0:1001"), "a.wav:The loop end is invalid.\n");
    EXPECT_EQ(refused(a + "@1000:auto"), "a.wav:The loop start is invalid.\n");
    EXPECT_EQ(refused(a + "@1:99999999999"),
              a + "@1:99999999999: END \"99999999999\" is not a whole number of samples; a loop is WAV@START:END in "
                  "samples, END exclusive (or WAV@auto, WAV@START:auto) (see vantrel-cli --help)\n");
    EXPECT_EQ(refused(dir.File("none.wav") + "@1:2"),
              Format("Cannot open the file “%s”.\n", dir.File("none.wav").c_str()));

    // A loop end alone is accepted, as in the window; exported it is no loop.
    EXPECT_EQ(Run({"new", list, a + "@0:999"}).Status, 0);
    const TResult exported = Run({"export", list, dir.File("bank.vbk")});
    EXPECT_EQ(exported.Out.substr(0, exported.Out.find('\n')), "a.wav\t44100 Hz\t1000 samples\tno loop");
}

TEST_F(CliTest, LoopPrintsTheBestLoopsAndNewWritesThem)
{
    const std::string tone = dir.File("tone.wav");
    WriteWav(tone, MakeTone({.Period = 100.37}));
    const TResult found = Run({"loop", tone, "--count", "3", "--min-length", "150"});
    EXPECT_EQ(found.Status, 0) << found.Err;
    std::istringstream lines(found.Out);
    std::string file, quality;
    int32_t start = 0, end = 0, count = 0;
    double cost = 0, previous = 0;
    while (lines >> file >> start >> end >> cost >> quality) {
        EXPECT_EQ(file, tone);
        EXPECT_GE(end - start, 44100 * 150 / 1000);
        EXPECT_GE(cost, previous);
        EXPECT_EQ(quality, "good");
        previous = cost;
        ++count;
    }
    EXPECT_EQ(count, 3);

    const TResult near = Run({"loop", tone, "--near", "5000:15000", "--radius", "10"});
    EXPECT_EQ(near.Out.substr(0, tone.size() + 6), tone + "	5000	") << near.Out;
    const int32_t nearEnd = std::stoi(near.Out.substr(tone.size() + 6));
    EXPECT_LE(std::abs(nearEnd - 15000), 441);

    const std::string list = dir.File("list.ksd");
    EXPECT_EQ(Run({"new", list, tone + "@auto", tone + "@5000:auto"}).Status, 0);
    EXPECT_NE(Slurp(list).find(Format("<LoopStart>0x%08X</LoopStart>", 5000)), std::string::npos);

    const std::string silence = dir.File("silence.wav");
    WriteWav(silence, std::vector<int16_t>(44100, 0));
    const TResult none = Run({"loop", silence, tone});
    EXPECT_EQ(none.Status, 1);
    EXPECT_EQ(none.Err, "silence.wav:No suitable loop was found.\n"); // the window's words

    EXPECT_EQ(none.Out.rfind(tone + "\t", 0), 0u);
    EXPECT_EQ(Run({"new", "--force", list, silence + "@auto"}).Err, "silence.wav:No suitable loop was found.\n");
    // Found on all cores, reported as one by one: the first fault in argument
    // order, and the list in argument order.
    EXPECT_EQ(Run({"new", "--force", list, tone + "@auto", silence + "@auto", tone + "@auto", dir.File("none.wav")}).Err,
              "silence.wav:No suitable loop was found.\n");
    ASSERT_EQ(Run({"new", "--force", list, tone + "@auto", silence, tone + "@5000:auto"}).Status, 0);
    const std::string many = Slurp(list);
    EXPECT_LT(many.find("tone.wav"), many.find("silence.wav"));
    EXPECT_LT(many.find("silence.wav"), many.find(Format("<LoopStart>0x%08X</LoopStart>", 5000)));
    EXPECT_EQ(Run({"loop", tone, "--count", "0"}).Err, "--count takes a count of at least 1 (see vantrel-cli --help)\n");
    EXPECT_EQ(Run({"loop", tone, "--near", "88200:0"}).Err, "tone.wav:The loop start is invalid.\n");
}

// A request the finder cannot meet names its cause; a loop from sample 0,
// which the bank cannot hold, is refused, warned of or not taken, never
// dropped unsaid.
TEST_F(CliTest, LoopRequestsNameWhyTheyCannotBeMetAndNoLoopFromZeroGoesUnsaid)
{
    const std::string tone = dir.File("tone.wav");
    WriteWav(tone, MakeTone({.Period = 100.37}));
    const std::string list = dir.File("list.ksd");
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"loop", tone, "--near", "5000:4000"}, "tone.wav:The loop end lies before the loop start.\n"},
        {{"loop", tone, "--near", "5000:88201"}, "tone.wav:The loop end is invalid.\n"},
        {{"loop", tone, "--near", "1000:1001", "--radius", "0.001"}, "tone.wav:The loop is too short.\n"},
        {{"loop", tone, "--near", "0:1000"}, "tone.wav:A loop starting at sample 0 is not written to the VBK file.\n"},
        {{"new", list, tone + "@0:auto"}, "tone.wav:A loop starting at sample 0 is not written to the VBK file.\n"},
        {{"loop", tone, "--radius", "10"}, "--radius is the reach of --near END and needs it (see vantrel-cli --help)\n"},
    };
    for (const auto& [args, error] : refused) {
        const TResult result = Run(args);
        EXPECT_EQ(result.Status, StatusOf(error)) << args[2];
        EXPECT_EQ(result.Err, error) << args[2];
    }

    // A minimum longer than the sound allows is said, and costs never take
    // exponent form.
    const TResult longer = Run({"loop", tone, "--min-length", "5000", "--count", "3"});
    EXPECT_EQ(longer.Status, 0);
    EXPECT_EQ(longer.Err.rfind("warning: " + tone + ": no room for loops of --min-length 5000 ms; the shortest found is ", 0), 0u)
        << longer.Err;
    std::istringstream lines(longer.Out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(std::regex_search(line, std::regex("\t[0-9]\\.[0-9]{4}\t(good|fair|poor)$"))) << line;

    ASSERT_EQ(Run({"new", list, tone + "@0:1000"}).Status, 0);
    const TResult exported = Run({"export", list, dir.File("bank.vbk")});
    EXPECT_EQ(exported.Status, 0);
    EXPECT_EQ(exported.Err, "warning: tone.wav:A loop starting at sample 0 is not written to the VBK file\n");
    EXPECT_EQ(exported.Out.substr(0, exported.Out.find('\n')), "tone.wav\t44100 Hz\t44100 samples\tno loop");

    const std::string stored = dir.File("stored.wav");
    TWavBuilder().Add("fmt ", TWavBuilder::Fmt(1, 1, 44100, 16)).Add("data", TWavBuilder::Samples(Ramp(441))).Add("smpl", TWavBuilder::Smpl(0, 0, 99)).Write(stored);
    EXPECT_EQ(Run({"info", stored}).Out, "stored.wav\t44100 Hz\t10 ms\t441 samples\tstored loop 0-99 (inclusive) forward, not used "
                                         "(A loop starting at sample 0 is not written to the VBK file)\n");
}

TEST_F(CliTest, ExportReportsListAndBankErrors)
{
    const TResult missing = Run({"export", dir.File("none.ksd"), dir.File("bank.vbk")});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err, Format("Cannot read the KSD file (%s): No such file or directory.\n", dir.File("none.ksd").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "bank.vbk"));

    EXPECT_EQ(Run({"new", dir.File("list.ksd"), Wav("a.wav", 10)}).Status, 0);
    const TResult uncreatable = Run({"export", dir.File("list.ksd"), dir.File("no/bank.vbk")});
    EXPECT_EQ(uncreatable.Status, 1);
    EXPECT_EQ(uncreatable.Err, "ファイルを作成できません: " + dir.File("no/bank.vbk") + ": No such file or directory.\n");

    // A fault in a list edited by hand names the list file.
    const std::string edited = dir.File("edited.ksd");
    const std::string entry = "<WaveFile><FileName>" + Wav("a.wav", 10) + "</FileName><LoopStart>12z</LoopStart></WaveFile>";
    for (const auto& [text, error] : {std::pair<std::string, std::string>{"<List MajorVersion=\"1\"/>", "The file format is invalid"},
                                      {"<KSDFile MajorVersion=\"1\">" + entry + "</KSDFile>", "'12z' は整数ではありません"}}) {
        WriteBytes(edited, std::vector<uint8_t>(text.begin(), text.end()));
        EXPECT_EQ(Run({"export", edited, dir.File("bank.vbk")}).Err, error + ": " + edited + ".\n");
    }
}

// What the window can save, new writes and export reads back: a wave without
// samples, and a loop start without an end yet (which export refuses with
// its own message, leaving the list as it was).
TEST_F(CliTest, NewExportCheckRoundTripAnEmptyWaveAndAHalfSetLoop)
{
    const std::string list = dir.File("list.ksd");
    const std::string bank = dir.File("bank.vbk");
    ASSERT_EQ(Run({"new", list, Wav("empty.wav", 0)}).Status, 0);
    ASSERT_EQ(Run({"export", list, bank}).Status, 0);
    EXPECT_EQ(Run({"check", bank}).Out.substr(59, 59), Format("    0 %10d    44100          0          -          -\n", 80 + 92));

    ASSERT_EQ(Run({"new", "--force", list, Wav("a.wav", 100) + "@40:0"}).Status, 0);
    const TResult half = Run({"export", list, bank});
    EXPECT_EQ(half.Status, 1);
    EXPECT_EQ(half.Err, "“a.wav” has no loop end set.\n");
    EXPECT_EQ(Run({"new", "--force", list, Wav("a.wav", 100) + "@40:0"}).Status, 0); // the list still opens as a list
}

// No command writes over a file it reads or into something that is no file;
// each refusal leaves every file as it was.
TEST_F(CliTest, CommandsRefuseOutputsThatWouldDestroyAnInputOrCannotHoldAFile)
{
    const std::string a = Wav("a.wav", 10);
    const std::string b = Wav("b.wav", 10);
    const std::string list = dir.File("a.ksd");
    ASSERT_EQ(Run({"new", list, a}).Status, 0);
    const std::string fifo = dir.File("fifo");
#ifdef _WIN32
    std::filesystem::create_directory(PathFromUtf8(fifo)); // no FIFOs there; a folder is no file either
#else
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
#endif
    const auto files = [&] { return std::vector{ReadBytes(a), ReadBytes(b), ReadBytes(list)}; };
    const auto before = files();

    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"export", list, list}, "The output “" + list + "” is the same file as the input “" + list + "”.\n"},
        {{"export", list, a}, "The output “" + a + "” is the same file as the input “" + a + "”.\n"},
        {{"export", list, fifo}, "The output “" + fifo + "” is not a regular file.\n"},
        {{"new", a, b}, a + " exists and is no list file: new writes only a new file or a list file (see vantrel-cli --help)\n"},
    };
    for (const auto& [args, error] : cases) {
        const TResult result = Run(args);
        EXPECT_EQ(result.Status, StatusOf(error)) << args[2];
        EXPECT_EQ(result.Err, error);
        EXPECT_EQ(files(), before) << args[2];
    }

#ifndef _WIN32
    // Standard output piped to another program cannot seek back to the tables.
    const std::string piped = Quoted(VANTREL_CLI_PATH) + " export " + Quoted(list) + " /dev/stdout 2>/dev/null; echo $? >" +
                              Quoted(dir.File("status"));
    ASSERT_EQ(std::system(("{ " + piped + "; } | cat >" + Quoted(dir.File("piped.vbk"))).c_str()), 0);
    EXPECT_EQ(Slurp(dir.File("status")), "1\n");
    EXPECT_EQ(Slurp(dir.File("piped.vbk")), "");
    EXPECT_EQ(files(), before);
#endif
}

// Each mistake gets an answer that says what was wrong, and changes no file.
TEST_F(CliTest, MistakesGetAnswersAndClobberNothing)
{
    const std::string a = Wav("a.wav", 1000);
    const std::string list = dir.File("voices.ksd");
    const std::string bank = dir.File("voices.vbk");
    ASSERT_EQ(Run({"new", list, a}).Status, 0);
    ASSERT_EQ(Run({"export", list, bank}).Status, 0);
    const std::string recording = Wav("recording.wav", 10);
    const std::string notes = dir.File("notes.txt");
    WriteBytes(notes, {'h', 'i'});
    const auto files = [&] { return std::vector{ReadBytes(a), ReadBytes(list), ReadBytes(bank), ReadBytes(recording), ReadBytes(notes)}; };
    const auto before = files();

    const std::string loopSyntax = "; a loop is WAV@START:END in samples, END exclusive (or WAV@auto, WAV@START:auto) (see vantrel-cli --help)\n";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"export", list, recording}, recording + ": export writes a voice bank, not a list file or a sound file: give a name ending in .vbk (see vantrel-cli --help)\n"},
        {{"export", list, dir.File("copy.KSD")}, dir.File("copy.KSD") + ": export writes a voice bank, not a list file or a sound file: give a name ending in .vbk (see vantrel-cli --help)\n"},
        {{"export", list, notes}, notes + " exists and is no voice bank: export replaces only a voice bank (see vantrel-cli --help)\n"},
        {{"export", a, bank}, a + ": this is a sound file, not a list file: did you swap the arguments? (export takes LIST.ksd OUT.vbk)\n"},
        {{"new", list, a}, list + " exists: new replaces a list file only with --force (see vantrel-cli --help)\n"},
        {{"new", dir.File("v3.vbk"), a}, dir.File("v3.vbk") + ": new writes a list file, not a voice bank or a sound file: give a name ending in .ksd (see vantrel-cli --help)\n"},
        {{"new", dir.File("b.flac"), a}, dir.File("b.flac") + ": new writes a list file, not a voice bank or a sound file: give a name ending in .ksd (see vantrel-cli --help)\n"},
        {{"check", list}, list + ": this is a list file; use export to make a voice bank of it (see vantrel-cli --help)\n"},
        {{"--foo"}, "unknown option --foo (see vantrel-cli --help)\n"},
        {{"loop", a, "--foo"}, "unknown option --foo (see vantrel-cli --help)\n"},
        {{"new", "--foo", dir.File("n.ksd"), a}, "unknown option --foo (see vantrel-cli --help)\n"},
        {{"new", dir.File("n.ksd"), a + "@abc"}, a + "@abc: no \":\" between START and END" + loopSyntax},
        {{"new", dir.File("n.ksd"), a + "@100-200"}, a + "@100-200: START and END are separated by \":\", not \"-\"" + loopSyntax},
        {{"new", dir.File("n.ksd"), a + "@0.5s:1.0s"}, a + "@0.5s:1.0s: START \"0.5s\" is not a whole number of samples" + loopSyntax},
        {{"new", dir.File("n.ksd"), a + "@10:1.0s"}, a + "@10:1.0s: END \"1.0s\" is not a whole number of samples" + loopSyntax},
        {{"new", dir.File("n.ksd"), a + "@"}, a + "@: nothing after \"@\"" + loopSyntax},
    };
    for (const auto& [args, error] : cases) {
        const TResult result = Run(args);
        EXPECT_EQ(result.Status, 2) << args[0];
        EXPECT_EQ(result.Err, error);
        EXPECT_EQ(files(), before) << args[0];
    }
    EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(dir.File("n.ksd"))));

    // What stays allowed: replacing a bank, an empty file or, with --force, a list.
    WriteBytes(dir.File("empty.vbk"), {});
    for (const std::vector<std::string>& args : {std::vector<std::string>{"export", list, bank}, {"export", list, dir.File("empty.vbk")},
                                                 {"new", list, "--force", a + "@10:20"}})
        EXPECT_EQ(Run(args).Status, 0) << args[2];
    EXPECT_NE(Slurp(list).find("<LoopEnd>0x00000014</LoopEnd>"), std::string::npos);
}

// A list moved to another folder with its waves, and a list from Windows
// with its wave beside it, export from there with a note per wave.
TEST_F(CliTest, ListsThatMovedWithTheirWavesExportWithANote)
{
    std::filesystem::create_directory(dir.Path() / "old");
    const std::string list = dir.File("old/voices.ksd");
    ASSERT_EQ(Run({"new", list, Wav("old/a.wav", 100) + "@10:90", Wav("old/i.wav", 50)}).Status, 0);
    std::filesystem::rename(dir.Path() / "old", dir.Path() / "new");
    const TResult moved = Run({"export", dir.File("new/voices.ksd"), dir.File("new/voices.vbk")});
    EXPECT_EQ(moved.Status, 0) << moved.Err;
    EXPECT_EQ(moved.Err, "note: " + dir.File("old/a.wav") + " is not there; using " + dir.File("new/a.wav") + "\n" +
                             "note: " + dir.File("old/i.wav") + " is not there; using " + dir.File("new/i.wav") + "\n");
    EXPECT_EQ(moved.Out.substr(0, moved.Out.find('\n')), "a.wav\t44100 Hz\t100 samples\tloop 10:90");

    const std::string windows = "<KSDFile MajorVersion=\"1\"><WaveFile><FileName>C:\\voices\\i.wav</FileName></WaveFile></KSDFile>";
    WriteBytes(dir.File("new/windows.ksd"), std::vector<uint8_t>(windows.begin(), windows.end()));
    const TResult fromWindows = Run({"export", dir.File("new/windows.ksd"), dir.File("new/w.vbk")});
    EXPECT_EQ(fromWindows.Status, 0) << fromWindows.Err;
    EXPECT_EQ(fromWindows.Err, "note: C:\\voices\\i.wav is not there; using " + dir.File("new/i.wav") + "\n");
}

// An export stopped by a file-size limit fails; the bank that was there
// keeps its bytes and the folder holds no stray file.
TEST_F(CliTest, ExportStoppedByAFileSizeLimitKeepsTheOldBank)
{
    VANTREL_POSIX_ONLY("the file size limit");
    const std::string list = dir.File("list.ksd");
    const std::string bank = dir.File("bank.vbk");
    ASSERT_EQ(Run({"new", list, Wav("small.wav", 10)}).Status, 0);
    ASSERT_EQ(Run({"export", list, bank}).Status, 0);
    ASSERT_EQ(Run({"new", "--force", list, Wav("large.wav", 100000)}).Status, 0);
    const auto before = ReadBytes(bank);
    const auto entries = [&] { return std::distance(std::filesystem::directory_iterator(dir.Path()), {}); };
    const auto count = entries();
    const std::string command = "ulimit -f 64; " + Quoted(VANTREL_CLI_PATH) + " export " + Quoted(list) + " " + Quoted(bank) +
                                " >/dev/null 2>/dev/null";
    const int status = std::system(("sh -c " + Quoted(command)).c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(ReadBytes(bank), before);
    EXPECT_EQ(entries(), count);
}

// A relative path is stored as the system reads it: through a link to a
// folder, ".." leads out of the link's target, not back to the link's folder.
TEST_F(CliTest, NewStoresTheFileARelativePathNames)
{
    VANTREL_POSIX_ONLY("symbolic links need privileges");
    std::filesystem::create_directories(dir.Path() / "real" / "sub");
    std::filesystem::create_directory_symlink(dir.Path() / "real" / "sub", dir.Path() / "link");
    Wav("real/x.wav", 20);
    Wav("x.wav", 10); // where dropping "link/.." would lead
    const std::string list = dir.File("list.ksd");
    const std::string command = "cd " + Quoted(dir.File("")) + " && " + Quoted(VANTREL_CLI_PATH) + " new list.ksd ./link/../x.wav";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string exported = Run({"export", list, dir.File("bank.vbk")}).Out;
    EXPECT_EQ(exported.substr(0, exported.find('\n')), "x.wav\t44100 Hz\t20 samples\tno loop");
    EXPECT_NE(Slurp(list).find("<FileName>" + dir.File("link/../x.wav") + "</FileName>"), std::string::npos);
}

// A report lost on a full disk is a failure, whatever the command.
TEST_F(CliTest, OutputThatCannotBeWrittenFailsTheCommand)
{
    VANTREL_POSIX_ONLY("/dev/full");
    const std::string a = Wav("a.wav", 10);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, {"info", a}}) {
        const TResult result = Run(args, "/dev/full");
        EXPECT_EQ(result.Status, 1) << args[0];
        EXPECT_EQ(result.Err, "standard output: No space left on device.\n") << args[0];
    }
}

TEST_F(CliTest, UsageAndExitStatuses)
{
    for (const char* help : {"--help", "-h"}) {
        const TResult result = Run({help});
        EXPECT_EQ(result.Status, 0);
        EXPECT_EQ(result.Out.rfind("Usage:\n", 0), 0u);
        EXPECT_NE(result.Out.find("vantrel-cli check FILE.vbk"), std::string::npos);
    }
    const TResult version = Run({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, "vantrel-cli (Vantrel) 1.00\n");
    EXPECT_EQ(Run({}).Status, 2);
    const TResult unknown = Run({"frobnicate"});
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_EQ(unknown.Err, "unknown command \"frobnicate\" (see vantrel-cli --help)\n");
    const TResult wrong = Run({"check"});
    EXPECT_EQ(wrong.Status, 2);
    EXPECT_EQ(wrong.Err, "check takes FILE.vbk (see vantrel-cli --help)\n");
    EXPECT_EQ(Run({"export", "only-one"}).Status, 2);
    EXPECT_EQ(Run({"info"}).Status, 2);
    EXPECT_EQ(Run({"new", dir.File("list.ksd")}).Status, 2);
    EXPECT_EQ(Run({"export", "--json", "a.ksd", "b.vbk"}).Status, 2);
}

} // namespace

namespace {

// Two seconds of white noise at 44.1 kHz: a sound with no clean seam.
std::vector<int16_t> Noise()
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> level(-8000, 8000);
    std::vector<int16_t> noise(88200);
    for (int16_t& s : noise)
        s = static_cast<int16_t>(level(random));
    return noise;
}

// Crossfades given to new in samples or milliseconds, after a loop of any
// kind, refused when they do not fit; loop --crossfade prints the cost after
// the fade, which a noisy sound with no clean seam needs.
TEST_F(CliTest, NewTakesCrossFadesAndLoopCostsThem)
{
    const std::string a = Wav("a.wav", 1000), list = dir.File("list.ksd");
    const std::string tone = dir.File("tone.wav");
    WriteWav(tone, MakeTone({.Period = 100.37}));
    const TResult made = Run({"new", list, a + "@100:900~50", a + "@100:900~2ms", tone + "@auto~1ms", a + "@100:900~0"});
    ASSERT_EQ(made.Status, 0) << made.Err;
    const std::string text = Slurp(list);
    for (const char* fade : {"0x00000032", "0x00000058", "0x0000002C"})
        EXPECT_NE(text.find(std::string("<CrossFade>") + fade + "</CrossFade>"), std::string::npos) << fade;
    EXPECT_EQ(std::count(text.begin(), text.end(), '~'), 0);
    EXPECT_EQ(text.find("CrossFade", text.rfind("<WaveFile>")), std::string::npos);

    for (const auto& [arg, error] : std::vector<std::pair<std::string, std::string>>{
             {a + "@100:900~101", "a.wav:The crossfade does not fit the loop.\n"},
             {a + "@100:0~1", "a.wav:The crossfade does not fit the loop.\n"},
             {a + "@100:900~1e30ms", "a.wav:The crossfade does not fit the loop.\n"},
             {a + "@100:900~0.001ms", "a.wav:The crossfade is shorter than one sample.\n"},
             {a + "@100:900~x", a + "@100:900~x: crossfade \"x\" is neither a whole number of samples (~N) nor "
                                    "milliseconds (~Nms); a loop is WAV@START:END in samples, END exclusive (or "
                                    "WAV@auto, WAV@START:auto) (see vantrel-cli --help)\n"}}) {
        const TResult refused = Run({"new", "--force", list, arg});
        EXPECT_NE(refused.Status, 0);
        EXPECT_EQ(refused.Err, error);
        EXPECT_EQ(Slurp(list), text);
    }

    const std::vector<int16_t> noise = Noise();
    const std::string breath = dir.File("breath.wav");
    WriteWav(breath, noise);
    // The cost of the loop 20000:60000, and what is said on standard error.
    const auto costOf = [&](const std::string& Ms) {
        const TResult result = Run({"loop", breath, "--near", "20000:60000", "--radius", "0", "--crossfade", Ms});
        return std::make_pair(std::stod(result.Out.substr(breath.size() + 13)), result.Err);
    };
    EXPECT_GT(costOf("0").first, 0.5);
    const auto [faded, said] = costOf("20");
    EXPECT_LT(faded, 0.05);
    EXPECT_EQ(said, "");
    EXPECT_EQ(costOf("1000").second,
              "warning: " + breath + ": loop 20000:60000 takes a crossfade of at most 20000 samples, not 44100\n");
    EXPECT_EQ(costOf("1e30").second,
              "warning: " + breath + ": loop 20000:60000 takes a crossfade of at most 20000 samples, not 2147483647\n");
    const TResult tooShort = Run({"loop", breath, "--crossfade", "0.001"});
    EXPECT_EQ(tooShort.Status, 1);
    EXPECT_EQ(tooShort.Err, "breath.wav:The crossfade is shorter than one sample.\n");
}

} // namespace

namespace {

nlohmann::json Parsed(const TResult& Result)
{
    try {
        return nlohmann::json::parse(Result.Out);
    } catch (const nlohmann::json::exception& e) {
        ADD_FAILURE() << e.what() << "\n" << Result.Out;
        return {};
    }
}

// Each --json command writes one document a parser reads, with the fields
// the README names, a failed file among many included.
TEST_F(CliTest, JsonDocumentsOfEachCommand)
{
    const std::string tone = dir.File("tone.wav");
    WriteWav(tone, MakeTone({.Period = 100.37}));
    const std::string a = Wav("a.wav", 1000), list = dir.File("list.ksd");

    const TResult info = Run({"info", "--json", a, dir.File("none.wav")});
    EXPECT_EQ(info.Status, 1);
    const nlohmann::json infoDoc = Parsed(info);
    EXPECT_EQ(infoDoc["command"], "info");
    EXPECT_EQ(infoDoc["ok"], false);
    EXPECT_EQ(infoDoc["files"][0]["samples"], 1000);
    EXPECT_EQ(infoDoc["files"][0]["rate"], 44100);
    EXPECT_TRUE(infoDoc["files"][0]["stored_loop"].is_null());
    EXPECT_EQ(infoDoc["files"][1]["ok"], false);
    EXPECT_EQ(infoDoc["files"][1]["error"], Format("Cannot open the file “%s”.", dir.File("none.wav").c_str()));
    EXPECT_EQ(info.Err, Format("Cannot open the file “%s”.\n", dir.File("none.wav").c_str()));

    const TResult made = Run({"new", "--json", list, a + "@100:900~20", tone + "@auto", Wav("b.wav", 10)});
    ASSERT_EQ(made.Status, 0) << made.Err;
    const nlohmann::json waves = Parsed(made)["waves"];
    ASSERT_EQ(waves.size(), 3u);
    EXPECT_EQ(waves[0]["loop"], nlohmann::json({{"start", 100}, {"end", 900}}));
    EXPECT_EQ(waves[0]["fade"], nlohmann::json({{"samples", 20}, {"ms", 0.45}}));
    EXPECT_EQ(waves[0]["loop_source"], "given");
    EXPECT_EQ(waves[1]["loop_source"], "found");
    EXPECT_EQ(waves[1]["seam"]["word"], "good");
    EXPECT_TRUE(waves[1]["movement"].is_null());
    EXPECT_EQ(waves[2]["loop_source"], "none");
    EXPECT_TRUE(waves[2]["seam"].is_null());

    const TResult loops = Run({"loop", "--json", tone, "--count", "2", "--crossfade", "1ms"});
    ASSERT_EQ(loops.Status, 0) << loops.Err;
    const nlohmann::json found = Parsed(loops)["files"][0]["loops"];
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0]["fade"]["samples"], 44);
    EXPECT_LT(found[0]["start"], found[0]["end"]);
    EXPECT_LE(found[0]["seam"]["cost"], found[1]["seam"]["cost"]);

    ASSERT_EQ(Run({"export", list, dir.File("bank.vbk")}).Status, 0);
    const nlohmann::json checked = Parsed(Run({"check", "--json", dir.File("bank.vbk")}));
    EXPECT_EQ(checked["ok"], true);
    EXPECT_EQ(checked["waves"][0]["loop"], nlohmann::json({{"start", 100}, {"end", 900}}));
    EXPECT_TRUE(checked["waves"][2]["loop"].is_null());
    EXPECT_EQ(checked["size"], std::filesystem::file_size(dir.Path() / "bank.vbk"));

    // A whole command that fails still writes its document.
    const TResult damaged = Run({"check", "--json", a + "x"});
    EXPECT_EQ(damaged.Status, 1);
    EXPECT_EQ(Parsed(damaged)["ok"], false);
}

// new reports each wave: its loop, seam, fade in both units and where the
// loop came from.
TEST_F(CliTest, NewSaysWhatItDidForEachWave)
{
    const std::string stereo = dir.File("stereo.wav");
    WriteStereo24WithLoop(stereo, 441, 100, 199);
    const TResult made = Run({"new", dir.File("l.ksd"), Wav("a.wav", 1000) + "@100:900~20", stereo});
    ASSERT_EQ(made.Status, 0) << made.Err;
    EXPECT_TRUE(std::regex_search(made.Out, std::regex("^a\\.wav\tloop 100:900\tseam [0-9]\\.[0-9]{4} (good|fair|poor)\t"
                                                       "fade 20 samples \\(0\\.45 ms\\)\tgiven\n"
                                                       "stereo\\.wav\tloop 100:200\tseam [^\t]+\tno fade\tstored\n")))
        << made.Out;
}

// One language a run: the locale's (LC_ALL, then LC_MESSAGES, then LANG),
// or --lang's.
TEST_F(CliTest, OneLanguageForEachRun)
{
    const std::string missing = dir.File("missing.wav");
    const std::string english = Format("Cannot open the file “%s”.\n", missing.c_str());
    const std::string japanese = Format("ファイル「%s」を開けません.\n", missing.c_str());
    const struct {
        const char* all;
        const char* messages;
        const char* lang;
        std::vector<std::string> options;
        std::string error;
    } cases[] = {
        {"", "", "C.UTF-8", {}, english},
        {"", "", "ja_JP.UTF-8", {}, japanese},
        {"", "ja_JP.UTF-8", "en_US.UTF-8", {}, japanese},
        {"C", "ja_JP.UTF-8", "ja_JP.UTF-8", {}, english},
        {"", "", "", {}, english},
        {"", "", "C.UTF-8", {"--lang", "ja"}, japanese},
        {"", "", "ja_JP.UTF-8", {"--lang", "en"}, english},
    };
    for (const auto& c : cases) {
        UseLocale(c.all, c.messages, c.lang);
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"new", dir.File("x.ksd"), missing});
        const TResult result = Run(args);
        EXPECT_EQ(result.Status, 1);
        EXPECT_EQ(result.Err, c.error) << c.all << "/" << c.messages << "/" << c.lang;
    }
    UseLocale("", "", "ja_JP.UTF-8");
    EXPECT_EQ(Run({"frobnicate"}).Err, "コマンド「frobnicate」はありません (vantrel-cli --help を参照)\n");
    EXPECT_EQ(Run({"--help"}).Out.rfind("使い方:\n", 0), 0u);
    EXPECT_EQ(Run({"--lang", "fr", "info"}).Status, 2);
}

// A bank taken apart and exported again is the same bank, byte for byte: a
// loop, no loop, and a crossfade baked into the samples.
TEST_F(CliTest, UnpackThenExportGivesTheSameBank)
{
    const std::string tone = dir.File("tone.wav");
    WriteWav(tone, MakeTone({.Period = 100.37}), 32000);
    const std::string list = dir.File("list.ksd"), bank = dir.File("bank.vbk");
    ASSERT_EQ(Run({"new", list, Wav("a.wav", 1000) + "@100:900", Wav("b.wav", 501, 22050), tone + "@1000:20000~300"}).Status, 0);
    ASSERT_EQ(Run({"export", list, bank}).Status, 0);

    const std::string out = dir.File("out");
    const TResult unpacked = Run({"unpack", bank, out});
    ASSERT_EQ(unpacked.Status, 0) << unpacked.Err;
    EXPECT_EQ(unpacked.Out.substr(0, unpacked.Out.find('\n')), "001.wav\t44100 Hz\t1000 samples\tloop 100:900");
    EXPECT_EQ(Run({"info", out + "/001.wav"}).Out,
              "001.wav\t44100 Hz\t22 ms\t1000 samples\tstored loop 100-899 (inclusive) forward, used as 100:900\n");
    ASSERT_EQ(Run({"export", out + "/bank.ksd", dir.File("again.vbk")}).Status, 0);
    EXPECT_EQ(ReadBytes(dir.File("again.vbk")), ReadBytes(bank));
    EXPECT_EQ(Slurp(out + "/bank.ksd").find("CrossFade"), std::string::npos);

    // Nothing is replaced without --force; a damaged bank or a list is refused.
    const auto before = ReadBytes(out + "/002.wav");
    const TResult again = Run({"unpack", bank, out});
    EXPECT_EQ(again.Status, 2);
    EXPECT_EQ(again.Err, Utf8FromPath(PathFromUtf8(out) / "001.wav") +
                             " exists: unpack replaces files only with --force (see vantrel-cli --help)\n");
    EXPECT_EQ(Run({"unpack", "--force", bank, out}).Status, 0);
    EXPECT_EQ(ReadBytes(out + "/002.wav"), before);
    auto damaged = ReadBytes(bank);
    damaged[damaged.size() - 200] ^= 1;
    WriteBytes(dir.File("damaged.vbk"), damaged);
    EXPECT_EQ(Run({"unpack", dir.File("damaged.vbk"), dir.File("d")}).Status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "d"));
    EXPECT_EQ(Run({"unpack", list, dir.File("d")}).Err,
              list + ": this is a list file; use export to make a voice bank of it (see vantrel-cli --help)\n");

    // Names given one a line.
    WriteBytes(dir.File("names.txt"), {'x', '.', 'w', 'a', 'v', '\n', 'y', '.', 'w', 'a', 'v', '\n', 'z', '.', 'w', 'a', 'v', '\n'});
    ASSERT_EQ(Run({"unpack", "--names", dir.File("names.txt"), bank, dir.File("named")}).Status, 0);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "named" / "z.wav"));
}

// Each command given the wrong kind of file says which command takes it.
TEST_F(CliTest, WrongKindsOfFileGetAHint)
{
    const std::string list = dir.File("l.ksd"), bank = dir.File("b.vbk");
    ASSERT_EQ(Run({"new", list, Wav("a.wav", 1000) + "@100:900"}).Status, 0);
    ASSERT_EQ(Run({"export", list, bank}).Status, 0);
    const std::string bankHint = ": this is a voice bank; use check to list its waves, unpack to write them as WAV files "
                                 "(see vantrel-cli --help)\n";
    const std::string listHint = ": this is a list file; use export to make a voice bank of it (see vantrel-cli --help)\n";
    for (const auto& [args, error] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"info", bank}, bank + bankHint},
             {{"info", list}, list + listHint},
             {{"loop", bank}, bank + bankHint},
             {{"loop", list}, list + listHint}}) {
        const TResult result = Run(args);
        EXPECT_EQ(result.Status, 1) << args[1];
        EXPECT_EQ(result.Err, error);
    }
}

// The automatic crossfade: loop --crossfade auto prints each loop's fade as
// "~N", and new writes that fade for "~auto", after a given loop or an
// automatic one.
TEST_F(CliTest, AutomaticCrossFadeIsPrintedAndWritten)
{
    const std::vector<int16_t> noise = Noise();
    const std::string breath = dir.File("breath.wav"), tone = dir.File("tone.wav"), list = dir.File("list.ksd");
    WriteWav(breath, noise);
    WriteWav(tone, MakeTone({.Period = 100.37}));
    const TResult found = Run({"loop", breath, "--near", "20000:60000", "--radius", "0", "--crossfade", "auto"});
    ASSERT_EQ(found.Status, 0) << found.Err;
    const auto tilde = found.Out.rfind('~');
    ASSERT_NE(tilde, std::string::npos) << found.Out;
    const int fade = std::stoi(found.Out.substr(tilde + 1));
    EXPECT_GT(fade, 0);
    EXPECT_LE(fade, 20000);
    EXPECT_NE(found.Out.find("\tgood\t~"), std::string::npos) << found.Out;

    const TResult made = Run({"new", list, breath + "@20000:60000~auto", tone + "@auto~auto"});
    ASSERT_EQ(made.Status, 0) << made.Err;
    EXPECT_NE(Slurp(list).find(Format("<CrossFade>0x%08X</CrossFade>", fade)), std::string::npos);
}

// A list's relative paths name the waves beside it from any folder: the same
// bank either way, with a note where the current folder holds another file
// of that name, and a warning naming the position of an entry without one.
TEST_F(CliTest, ExportReadsRelativePathsBesideTheListFromAnyFolder)
{
    std::filesystem::create_directories(dir.Path() / "proj");
    std::filesystem::create_directories(dir.Path() / "elsewhere");
    const std::string beside = Wav("proj/a.wav", 2000);
    const std::string other = Wav("elsewhere/a.wav", 1001);
    const std::string list = dir.File("proj/voices.ksd");
    std::ofstream(PathFromUtf8(list)) << "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<KSDFile MajorVersion=\"1\">"
                                         "<WaveFile><FileName></FileName></WaveFile>"
                                         "<WaveFile><FileName>a.wav</FileName></WaveFile></KSDFile>";
    const std::filesystem::path start = std::filesystem::current_path();
    const struct {
        const char* Folder;
        std::string Err;
    } cases[] = {
        {"proj", "warning: WaveFile entry 1 names no file and was skipped (every later wave moves up one place)\n"},
        {"elsewhere", "note: a.wav was read from the list file’s folder as " + beside + " (" + other +
                          " in the current folder is another file)\nwarning: WaveFile entry 1 names no file and was "
                          "skipped (every later wave moves up one place)\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::current_path(dir.Path() / c.Folder);
        const TResult exported = Run({"export", list, dir.File(std::string(c.Folder) + ".vbk")});
        std::filesystem::current_path(start);
        EXPECT_EQ(exported.Status, 0) << c.Folder;
        EXPECT_EQ(exported.Err, c.Err) << c.Folder;
        EXPECT_EQ(exported.Out.substr(0, exported.Out.find('\n')), "a.wav\t44100 Hz\t2000 samples\tno loop");
    }
    EXPECT_EQ(Slurp(dir.File("proj.vbk")), Slurp(dir.File("elsewhere.vbk")));
}

// The length in milliseconds comes from the samples and the rate, not from
// the header's byte rate; and the name rules of the written files judge what
// a symbolic link leads to.
TEST_F(CliTest, InfoLengthIgnoresTheByteRateAndNameRulesFollowLinks)
{
    std::vector<uint8_t> fmt = TWavBuilder::Fmt(1, 1, 44100, 16);
    fmt[8] = 1, fmt[9] = fmt[10] = fmt[11] = 0; // nAvgBytesPerSec 1
    const std::string odd = dir.File("odd.wav");
    TWavBuilder().Add("fmt ", fmt).Add("data", TWavBuilder::Samples(Ramp(10000))).Write(odd);
    EXPECT_EQ(Run({"info", odd}).Out, "odd.wav\t44100 Hz\t226 ms\t10000 samples\n");

#ifndef _WIN32 // links need privileges there
    const std::string a = Wav("a.wav", 1000), list = dir.File("list.ksd");
    ASSERT_EQ(Run({"new", list, a + "@100:900"}).Status, 0);
    std::filesystem::create_symlink("sound.wav", dir.Path() / "bank.vbk");
    std::filesystem::create_symlink("bank.vbk", dir.Path() / "list2.ksd");
    EXPECT_EQ(Run({"export", list, dir.File("bank.vbk")}).Err,
              dir.File("bank.vbk") + ": export writes a voice bank, not a list file or a sound file: give a name "
                                     "ending in .vbk (see vantrel-cli --help)\n");
    EXPECT_EQ(Run({"new", dir.File("list2.ksd"), a}).Err,
              dir.File("list2.ksd") + ": new writes a list file, not a voice bank or a sound file: give a name "
                                      "ending in .ksd (see vantrel-cli --help)\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "sound.wav"));
#endif
}

} // namespace

// The sanitizers reserve far more address space than a limit the test sets.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VANTREL_SANITIZED_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define VANTREL_SANITIZED_BUILD 1
#endif
#endif

#if !defined(_WIN32) && !defined(VANTREL_SANITIZED_BUILD)
// Export refuses a bank too large from the waves' headers, before it holds
// any wave's samples: three sparse waves of 768 MiB are refused within an
// address space of 256 MiB, where holding even one would run out of memory.
TEST_F(CliTest, ATooLargeBankIsRefusedBeforeAnySampleIsHeld)
{
    TWavBuilder big;
    big.Add("fmt ", TWavBuilder::Fmt(1, 1, 44100, 16)).Add("data", TWavBuilder::Samples(Ramp(4)), 768u << 20);
    big.Write(dir.File("big.wav"));
    std::filesystem::resize_file(PathFromUtf8(dir.File("big.wav")), 44 + (uint64_t{768} << 20));
    const std::string entry = "<WaveFile><FileName>big.wav</FileName></WaveFile>";
    std::ofstream(PathFromUtf8(dir.File("big.ksd")))
        << "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<KSDFile MajorVersion=\"1\" MinorVersion=\"0\">" << entry
        << entry << entry << "</KSDFile>\n";
    const std::string command = "ulimit -v 262144; " + Quoted(VANTREL_CLI_PATH) + " export " + Quoted(dir.File("big.ksd")) +
                                " " + Quoted(dir.File("big.vbk")) + " 2>" + Quoted(dir.File("stderr.txt"));
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
    EXPECT_EQ(Slurp(dir.File("stderr.txt")), "The VBK file would be too large.\n");
    EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(dir.File("big.vbk"))));
}
#endif

namespace {

// loop names the sound's movement and the cycles each loop holds (for
// people and in --json), and keeps an asked minimum length while the sound
// has room for it.
TEST_F(CliTest, LoopNamesTheMovementAndKeepsTheAskedLength)
{
    const std::string moving = dir.File("vibrato.wav"), steady = dir.File("steady.wav");
    WriteWav(moving, MakeTone({.Period = 100.37, .Seconds = 3, .VibratoHz = 5, .VibratoDepth = 0.01}));
    WriteWav(steady, MakeTone({.Period = 100.37}));

    const TResult text = Run({"loop", moving});
    ASSERT_EQ(text.Status, 0) << text.Err;
    EXPECT_TRUE(std::regex_search(text.Out, std::regex("\t(good|fair)\tvibrato 5\\.0 Hz, [0-9]+\\.[0-9] cycles\n$")))
        << text.Out;
    const nlohmann::json found = Parsed(Run({"loop", "--json", moving, steady}))["files"];
    const nlohmann::json movement = found[0]["loops"][0]["movement"];
    EXPECT_EQ(movement["kind"], "vibrato");
    EXPECT_NEAR(movement["hz"].get<double>(), 5.0, 0.1);
    EXPECT_NEAR(movement["cycles"].get<double>(), std::round(movement["cycles"].get<double>()), 0.1);
    EXPECT_TRUE(found[1]["loops"][0]["movement"].is_null());
    // new names it for the loop it finds, as loop does.
    const nlohmann::json made = Parsed(Run({"new", "--json", dir.File("moving.ksd"), moving + "@auto"}))["waves"];
    EXPECT_EQ(made[0]["movement"]["kind"], "vibrato");

    // A second's steady tone has room for loops of 400 ms.
    const TResult longer = Run({"loop", steady, "--min-length", "400", "--count", "3"});
    EXPECT_EQ(longer.Err, "");
    std::istringstream lines(longer.Out);
    std::string file, word;
    int32_t start = 0, end = 0, count = 0;
    double cost = 0;
    for (; lines >> file >> start >> end >> cost >> word; ++count)
        EXPECT_GE(end - start, 44100 * 400 / 1000);
    EXPECT_EQ(count, 3);
}

} // namespace
