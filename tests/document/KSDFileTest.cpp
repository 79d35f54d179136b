#include "common/Path.h"
#include "document/KSD.h"
#include "export/VBKFile.h"
#include "support/ErrorOf.h"
#include "support/Posix.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>


namespace {

namespace fs = std::filesystem;

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n";

class KSDFileTest : public testing::Test {
protected:
    TTempDir dir;
    TKSD list;

    std::string Wav(const std::string& name, std::size_t samples) { return dir.Wav(name, samples); }

    // Writes a list file from its bytes exactly as given.
    std::string ListFile(const std::string& bytes, const std::string& name = "list.ksd")
    {
        const std::string path = dir.File(name);
        WriteBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        return path;
    }

    static std::string Entry(const std::string& path, const std::string& start = "0x00000000",
                             const std::string& end = "0x00000000")
    {
        return "<WaveFile><FileName>" + path + "</FileName><LoopStart>" + start + "</LoopStart><LoopEnd>" + end +
               "</LoopEnd></WaveFile>";
    }

    static std::string Document(const std::string& entries, const std::string& rootAttributes = "MajorVersion=\"1\" MinorVersion=\"0\"")
    {
        return kDeclaration + "<KSDFile " + rootAttributes + "><Application><Name>Vantrel</Name></Application>" +
               entries + "</KSDFile>";
    }

    std::string FileText(const std::string& path) const
    {
        const std::vector<uint8_t> bytes = ReadBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }

    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (int i = 0; i < list.Count(); ++i)
            paths.push_back(list.GetWave(i)->FilePath());
        return paths;
    }

    std::vector<std::pair<int, int>> Loops() const
    {
        std::vector<std::pair<int, int>> loops;
        for (int i = 0; i < list.Count(); ++i)
            loops.emplace_back(list.GetWave(i)->LoopStart(), list.GetWave(i)->LoopEnd());
        return loops;
    }

    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(KSDFileTest, SavedListLoadsBackWithPathsOrderAndLoops)
{
    const std::string a = Wav("a.wav", 10000);
    const std::string b = Wav("b.wav", 300);
    list.AddWave(a);
    list.AddWave(b);
    list.GetWave(0)->SetLoopStart(4096);
    list.GetWave(0)->SetLoopEnd(8191);
    const std::string file = dir.File("list.ksd");
    list.SaveToFile(file);

    const std::string text = FileText(file);
    EXPECT_NE(text.find(Entry(a, "0x00001000", "0x00001FFF")), std::string::npos) << text;
    EXPECT_NE(text.find(Entry(b, "0x00000000", "0x00000000")), std::string::npos) << text;

    TKSD loaded;
    loaded.LoadFromFile(file);
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_EQ(loaded.GetWave(0)->FilePath(), a);
    EXPECT_EQ(loaded.GetWave(1)->FilePath(), b);
    EXPECT_EQ(loaded.GetWave(0)->LoopStart(), 4096);
    EXPECT_EQ(loaded.GetWave(0)->LoopEnd(), 8191);
    EXPECT_EQ(loaded.GetWave(1)->LoopStart(), 0);
    EXPECT_EQ(loaded.GetWave(1)->LoopEnd(), 0);
    EXPECT_EQ(list.Count(), 2); // saving leaves the list alone
}

TEST_F(KSDFileTest, WritesTheExactDocument)
{
    VANTREL_POSIX_ONLY("file names with <, > or quotes are not allowed");
    const std::string file = dir.File("empty.ksd");
    list.SaveToFile(file);
    const std::string head = kDeclaration + "<KSDFile MajorVersion=\"1\" MinorVersion=\"0\"><Application><Name>Vantrel</Name>"
                                            "<Version>1.00</Version></Application>";
    EXPECT_EQ(FileText(file), head + "</KSDFile>\n");
    list.LoadFromFile(file);
    EXPECT_EQ(list.Count(), 0);

    // Markup characters in a path are escaped, not taken as markup.
    const std::string odd = Wav("a&b<c>'\".wav", 20);
    list.AddWave(odd);
    list.GetWave(0)->SetLoopEnd(19);
    list.SaveToFile(file);
    const std::string escaped = dir.File("a&amp;b&lt;c&gt;'\".wav");
    EXPECT_EQ(FileText(file), head + Entry(escaped, "0x00000000", "0x00000013") + "</KSDFile>\n");
    TKSD loaded;
    loaded.LoadFromFile(file);
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.GetWave(0)->FilePath(), odd);
}

TEST_F(KSDFileTest, ReadsNamesInAnyCaseNumbersInBothFormsAndIgnoresTheRest)
{
    const std::string a = Wav("a.wav", 1000);
    const std::string b = Wav("b.wav", 1000);
    const std::string text =
        kDeclaration + "<!-- made by hand -->\n<ksdfile MajorVersion=\" 1 \">\n  <!-- comment -->\n"
                       "  <Other><WaveFile><FileName>" + b + "</FileName></WaveFile></Other>\n"
                       "  <wavefile>\n    <FILENAME>" + a + "</FILENAME>\n"
                       "    <loopstart> 100 </loopstart>\n    <Unknown>7</Unknown>\n"
                       "    <LOOPEND>\t200\n</LOOPEND>\n  </wavefile>\n"
                       "  <WaveFile><FileName>" + b + "</FileName><LoopStart>0X1f</LoopStart>"
                       "<LoopEnd>5</LoopEnd><LoopEnd>0x3E7</LoopEnd></WaveFile>\n"
                       "  <WaveFile><LoopStart>1</LoopStart></WaveFile>\n"
                       "  <WaveFile><FileName></FileName></WaveFile>\n"
                       "  <WaveFile><FileName>" + a + "</FileName></WaveFile>\n"
                       "  <?pi ignored?><![CDATA[text]]>loose text\n</ksdfile>\n";
    list.LoadFromFile(ListFile(text));
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b, a}));
    EXPECT_EQ(Loops(), (std::vector<std::pair<int, int>>{{100, 200}, {31, 999}, {0, 0}}));
    // The same file named twice gives two waves of their own.
    EXPECT_NE(list.GetWave(0), list.GetWave(2));
}

TEST_F(KSDFileTest, AcceptsVersionsUpToOneAndOtherEncodings)
{
    const std::string a = Wav("a.wav", 100);
    for (const char* attributes : {"MajorVersion=\"0\"", "MajorVersion=\"1\" MinorVersion=\"99\"",
                                   "MinorVersion=\"x\" MajorVersion=\"0x1\""}) {
        TKSD one;
        one.LoadFromFile(ListFile(Document(Entry(a, "10", "20"), attributes)));
        EXPECT_EQ(one.Count(), 1) << attributes;
    }

    // A list file in UTF-8, declared or not, reads as well.
    const std::string utf8Path = Wav("波形.wav", 100);
    const std::string body = "<KSDFile MajorVersion=\"1\">" + Entry(utf8Path) + "</KSDFile>";
    for (const std::string& text : {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body, body}) {
        TKSD one;
        one.LoadFromFile(ListFile(text));
        ASSERT_EQ(one.Count(), 1);
        EXPECT_EQ(one.GetWave(0)->FilePath(), utf8Path);
    }
}

TEST_F(KSDFileTest, RefusesFilesThatAreNoListFiles)
{
    const std::string a = Wav("a.wav", 100);
    const std::string missing = dir.File("missing.ksd");
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.LoadFromFile(missing); }), "KSDファイル(" + missing + ")を読めません");
    const std::string folder = dir.File("");
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.LoadFromFile(folder); }), "KSDファイル(" + folder + ")を読めません");
    for (const std::string& text :
         {std::string(), std::string("not xml"), Document(Entry(a)).substr(0, 120),
          Document(Entry(a)) + "<second/>", Document("<x:WaveFile/>"),
          // Bytes that are no CP932 character in a document declared Shift_JIS.
          Document(Entry(dir.File("\x80.wav"))), Document(Entry(dir.File("\x81\x20.wav"))),
          Document(Entry(a)) + "\x82"}) {
        const std::string file = ListFile(text);
        EXPECT_EQ(ErrorOf<EKSDException>([&] { list.LoadFromFile(file); }), "KSDファイル(" + file + ")を読めません") << text;
    }

    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.LoadFromFile(ListFile(kDeclaration + "<ListFile MajorVersion=\"1\">" + Entry(a) +
                                                       "</ListFile>")); }),
              "ファイル形式が異常です");
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.LoadFromFile(ListFile(Document(Entry(a), "MajorVersion=\"2\""))); }),
              "未対応のバージョンです");
    EXPECT_EQ(ErrorOf<ENumberFormatException>([&] { list.LoadFromFile(ListFile(Document(Entry(a), "MajorVersion=\"one\""))); }),
              "'one' は整数ではありません");
    EXPECT_THROW(list.LoadFromFile(ListFile(Document(Entry(a), "MinorVersion=\"0\""))), ENumberFormatException);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(KSDFileTest, LoopEndingAtTheLastSampleOpensAgain)
{
    const std::string a = Wav("a.wav", 100);
    TKSD saved;
    saved.AddWave(a);
    saved.GetWave(0)->SetLoopStart(10);
    saved.GetWave(0)->SetLoopEnd(100);
    const std::string file = dir.File("end.ksd");
    saved.SaveToFile(file);
    TKSD loaded;
    loaded.LoadFromFile(file);
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.GetWave(0)->LoopStart(), 10);
    EXPECT_EQ(loaded.GetWave(0)->LoopEnd(), 100);
}

TEST_F(KSDFileTest, RefusesLoopsOutsideTheWaveAndKeepsEarlierEntries)
{
    const std::string a = Wav("a.wav", 100);
    fs::create_directory(dir.Path() / "sub");
    const std::string b = Wav("sub/b.wav", 100);
    const std::string empty = Wav("empty.wav", 0);
    const std::string first = Entry(a, "1", "2");
    const std::string cut = dir.File("cut.wav"); // claims 1000 samples, holds 100
    TWavBuilder().Add("fmt ", TWavBuilder::Fmt(1, 1, 44100, 16)).Add("data", TWavBuilder::Samples(Ramp(100)), 2000).Write(cut);
    struct TCase {
        std::string Entry;
        std::string Message;
    } cases[] = {
        {Entry(b, "0", "101"), "b.wav:ループ終点が不正です"},
        {Entry(b, "0", "-1"), "b.wav:ループ終点が不正です"},
        {Entry(b, "100", "99"), "b.wav:ループ始点が不正です"},
        {Entry(b, "0xFFFFFFFF", "0"), "b.wav:ループ始点が不正です"},
        {Entry(b, "0x80000000", "0x80000000"), "b.wav:ループ始点が不正です"},
        {Entry(b, "51", "50"), "b.wav:ループ始点がループ終点より後にあります"},
        {Entry(empty, "0", "1"), "empty.wav:ループ終点が不正です"},
        {Entry(cut, "10", "900"), "cut.wav:ループ終点が不正です"},
    };
    for (const TCase& c : cases) {
        TKSD one;
        const std::string file = ListFile(Document(first + c.Entry + Entry(a)));
        EXPECT_EQ(ErrorOf<EKSDException>([&] { one.LoadFromFile(file); }), c.Message) << c.Entry;
        ASSERT_EQ(one.Count(), 1) << c.Entry;
        EXPECT_EQ(one.GetWave(0)->FilePath(), a);
    }

    // Loop points at the edges of the wave, a start equal to the end, a start
    // without an end yet, and no loop in a wave without samples load.
    list.LoadFromFile(ListFile(Document(Entry(b, "99", "99") + Entry(b, "0", "99") + Entry(b, "0", "0") +
                                        Entry(b, "99", "0") + Entry(empty))));
    EXPECT_EQ(Loops(), (std::vector<std::pair<int, int>>{{99, 99}, {0, 99}, {0, 0}, {99, 0}, {0, 0}}));
}

TEST_F(KSDFileTest, StopsAtAFailingEntryAndKeepsTheOnesBefore)
{
    const std::string a = Wav("a.wav", 100);
    const std::string b = Wav("b.wav", 100);
    const std::string missing = dir.File("missing.wav");
    const std::string adpcm = dir.File("adpcm.wav");
    TWavBuilder().Add("fmt ", TWavBuilder::Fmt(2, 1, 44100, 4)).Add("data", TWavBuilder::Samples(Ramp(8))).Write(adpcm);

    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.LoadFromFile(ListFile(Document(Entry(a) + Entry(b) + Entry(missing) + Entry(a)))); }),
              "ファイル「" + missing + "」を開けません");
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b}));

    TKSD second;
    EXPECT_THROW(second.LoadFromFile(ListFile(Document(Entry(a) + Entry(adpcm) + Entry(b)))), EWaveInfoException);
    EXPECT_EQ(second.Count(), 1);

    TKSD third;
    EXPECT_EQ(ErrorOf<ENumberFormatException>(
                  [&] { third.LoadFromFile(ListFile(Document(Entry(a) + Entry(b, "1", "12z") + Entry(b)))); }),
              "'12z' は整数ではありません");
    EXPECT_EQ(third.Count(), 1);

    // Loading appends to what the list already holds.
    third.LoadFromFile(ListFile(Document(Entry(b))));
    EXPECT_EQ(third.Count(), 2);
}

// A wave whose stored path is gone is looked for beside the list: under its
// relative path, then by its name (after "/" or "\\"); found, it is read from
// there and reported as moved.
TEST_F(KSDFileTest, FindsWavesThatMovedWithTheList)
{
    fs::create_directories(dir.Path() / "moved" / "sub");
    const std::string here = Wav("moved/i.wav", 10);
    Wav("moved/sub/e.wav", 20);
    const struct {
        std::string Stored;
        std::string Found;
    } cases[] = {
        {"/nowhere/old/i.wav", here},
        {"C:\\voices\\i.wav", here},
        {"old\\sub\\e.wav", ""}, // only the name is looked for, and e.wav is one folder down
        {dir.File("x.wav"), ""},
    };
    for (const auto& c : cases) {
        TKSD one;
        const std::string file = ListFile(Document(Entry(c.Stored, "1", "5")), "moved/list.ksd");
        if (c.Found.empty()) {
            EXPECT_EQ(ErrorOf<EKSDException>([&] { one.LoadFromFile(file); }), "ファイル「" + c.Stored + "」を開けません");
            continue;
        }
        const TLoadReport report = one.LoadFromFile(file);
        ASSERT_EQ(report.Relocated.size(), 1u) << c.Stored;
        EXPECT_EQ(report.Relocated[0].StoredPath, c.Stored);
        EXPECT_EQ(report.Relocated[0].FoundPath, c.Found);
        EXPECT_TRUE(report.Changed());
        EXPECT_EQ(one.GetWave(0)->FilePath(), c.Found);
        EXPECT_EQ(one.GetWave(0)->LoopEnd(), 5);
    }
    EXPECT_FALSE(list.LoadFromFile(ListFile(Document(Entry(here)))).Changed());
}

// A relative path belongs to the list file's folder, wherever the program
// runs: the same waves from the list's folder and from another one, whose
// own file of that name is only noted. An entry without a file name is
// passed over and reported by its position.
TEST_F(KSDFileTest, ReadsRelativePathsFromTheListsFolderWhereverItRuns)
{
    fs::create_directories(dir.Path() / "proj" / "sub");
    fs::create_directories(dir.Path() / "elsewhere");
    Wav("proj/a.wav", 10);
    Wav("proj/sub/b.wav", 20);
    Wav("proj/c.wav", 30);
    const std::string other = Wav("elsewhere/a.wav", 5);
    const std::string file = ListFile(
        Document(Entry("a.wav") + Entry("sub\\b.wav") + Entry("") + Entry("./c.wav")), "proj/list.ksd");
    const struct {
        const char* Folder;
        std::size_t Notes;
    } cases[] = {{"proj", 0}, {"elsewhere", 1}, {"proj/sub", 0}};
    const fs::path start = fs::current_path();
    for (const auto& c : cases) {
        fs::current_path(dir.Path() / c.Folder);
        TKSD one;
        const TLoadReport report = one.LoadFromFile(file);
        fs::current_path(start);
        ASSERT_EQ(one.Count(), 3) << c.Folder;
        EXPECT_EQ(one.GetWave(0)->SampleCount(), 10) << c.Folder;
        EXPECT_EQ(one.GetWave(1)->SampleCount(), 20) << c.Folder;
        EXPECT_EQ(one.GetWave(2)->SampleCount(), 30) << c.Folder;
        EXPECT_FALSE(report.Changed()) << c.Folder;
        EXPECT_EQ(report.Unnamed, std::vector<int32_t>{3}) << c.Folder;
        ASSERT_EQ(report.NotFromCurrentFolder.size(), c.Notes) << c.Folder;
        if (c.Notes > 0) {
            EXPECT_EQ(report.NotFromCurrentFolder[0].CurrentFolderPath, other);
            EXPECT_EQ(CurrentFolderNote(report.NotFromCurrentFolder[0]),
                      "a.wav はリストファイルのフォルダの " + one.GetWave(0)->FilePath() + " を読みました (カレントフォルダの " +
                          other + " は別のファイルです)");
        }
    }
    // Gone from the list's folder, the current folder's file is not taken instead.
    fs::remove(dir.Path() / "proj" / "a.wav");
    fs::current_path(dir.Path() / "elsewhere");
    TKSD none;
    EXPECT_EQ(ErrorOf<EKSDException>([&] { none.LoadFromFile(file); }), "ファイル「a.wav」を開けません");
    fs::current_path(start);
}

// Elements this version does not know (a newer version's, another tool's)
// and the MinorVersion survive open, move and save, each where it was: in
// its entry (which moves with its wave) or between the root's entries.
TEST_F(KSDFileTest, KeepsUnknownElementsWhereTheyWereThroughASave)
{
    const std::string a = Wav("a.wav", 100), b = Wav("b.wav", 100);
    const std::string text =
        kDeclaration + "<KSDFile MajorVersion=\"1\" MinorVersion=\"3\"><Application><Name>X</Name></Application>"
                       "<Comment>top &amp; first</Comment>"
                       "<WaveFile><Note a=\"1\">n</Note><FileName>" + a + "</FileName><LoopStart>1</LoopStart>"
                       "<LoopEnd>5</LoopEnd><Gain>3</Gain></WaveFile>"
                       "<Group/><WaveFile><FileName>" + b + "</FileName><Comment>b's</Comment></WaveFile><Tail/></KSDFile>";
    list.LoadFromFile(ListFile(text));
    list.MoveNext(0);
    list.SaveToFile(dir.File("saved.ksd"));
    const std::string saved = FileText(dir.File("saved.ksd"));
    const std::string expected =
        "<Comment>top &amp; first</Comment>"
        "<WaveFile><FileName>" + b + "</FileName><Comment>b's</Comment><LoopStart>0x00000000</LoopStart>"
        "<LoopEnd>0x00000000</LoopEnd></WaveFile><Group/>"
        "<WaveFile><Note a=\"1\">n</Note><FileName>" + a + "</FileName><LoopStart>0x00000001</LoopStart>"
        "<LoopEnd>0x00000005</LoopEnd><Gain>3</Gain></WaveFile><Tail/></KSDFile>";
    std::string flat = saved;
    std::erase(flat, '\n');
    EXPECT_NE(flat.find(expected), std::string::npos) << saved;
    EXPECT_NE(saved.find("MinorVersion=\"3\""), std::string::npos) << saved;

    // A list the user builds holds nothing else.
    TKSD fresh;
    fresh.AddWave(a);
    fresh.SaveToFile(dir.File("fresh.ksd"));
    EXPECT_EQ(FileText(dir.File("fresh.ksd")).find("Comment"), std::string::npos);
}

// What is still missing goes to the resolver: a file found by hand (whose
// folder then serves the waves after it), a wave kept as missing (saved as
// it was, refused by export by name), or the load's end.
TEST_F(KSDFileTest, AsksTheResolverForWhatIsStillMissing)
{
    fs::create_directory(dir.Path() / "found");
    const std::string a = Wav("found/a.wav", 10), b = Wav("found/b.wav", 10);
    const std::string entries = Entry("/gone/a.wav") + Entry("/gone/b.wav") + Entry("/gone/c.wav", "3", "0x00000007");
    const std::string file = ListFile(Document(entries));
    std::vector<std::string> asked;
    const TLoadReport report = list.LoadFromFile(file, [&](const std::string& stored) {
        asked.push_back(stored);
        return stored == "/gone/a.wav" ? TMissingWaveAnswer{TMissingWaveAnswer::Use, a} : TMissingWaveAnswer{TMissingWaveAnswer::Skip, {}};
    });
    EXPECT_EQ(asked, (std::vector<std::string>{"/gone/a.wav", "/gone/c.wav"}));
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b, "/gone/c.wav"}));
    EXPECT_EQ(report.Relocated.size(), 2u);
    EXPECT_EQ(report.Skipped, std::vector<std::string>{"/gone/c.wav"});
    EXPECT_TRUE(list.GetWave(2)->IsMissing());
    EXPECT_EQ(Loops().back(), (std::pair{3, 7}));

    list.SaveToFile(dir.File("saved.ksd"));
    EXPECT_NE(FileText(dir.File("saved.ksd")).find(Entry("/gone/c.wav", "0x00000003", "0x00000007")), std::string::npos);
    EXPECT_EQ(ErrorOf<EVBKFileException>([&] { ExportBank(list, dir.File("bank.vbk")); }), "「/gone/c.wav」が見つかりません");
    EXPECT_FALSE(fs::exists(dir.Path() / "bank.vbk"));

    TKSD aborted;
    EXPECT_EQ(ErrorOf<EKSDException>([&] { aborted.LoadFromFile(file, [](const std::string&) { return TMissingWaveAnswer{}; }); }),
              "ファイル「/gone/a.wav」を開けません");
}

// Bytes as the Windows program writes them: the declared Shift_JIS is the
// Windows code page, with its own characters (NEC row 13, IBM extensions)
// and its own mapping of the wave dash and the minus sign.
TEST_F(KSDFileTest, ReadsAndWritesTheWindowsCodePage)
{
    struct TChar {
        std::string Bytes;      // as Windows writes it
        std::string Utf8;       // what it means
        std::string ReadOnly;   // other bytes Windows reads as the same character
    } chars[] = {
        {"\x81\x60", "\xEF\xBD\x9E", ""},                // FULLWIDTH TILDE (the "wave dash" key)
        {"\x81\x7C", "\xEF\xBC\x8D", ""},                // FULLWIDTH HYPHEN-MINUS
        {"\x87\x40", "\xE2\x91\xA0", ""},                // CIRCLED DIGIT ONE (NEC row 13)
        {"\xFA\x40", "\xE2\x85\xB0", "\xEE\xEF"},        // SMALL ROMAN NUMERAL ONE (IBM / NEC-selected)
        {"\xFA\x5C", "\xE7\xBA\x8A", "\xED\x40"},        // CJK U+7E8A (IBM / NEC-selected)
        {"\xFB\xFC", "\xE9\xAB\x99", ""},                // CJK U+9AD9
        {"\x94\x67\x8C\x60", "\xE6\xB3\xA2\xE5\xBD\xA2", ""}, // 波形
        {"\xB1", "\xEF\xBD\xB1", ""},                    // HALFWIDTH KATAKANA A
    };
    std::string written, read, utf8;
    for (const TChar& c : chars) {
        written += c.Bytes;
        read += c.ReadOnly.empty() ? c.Bytes : c.ReadOnly;
        utf8 += c.Utf8;
    }
    const std::string path = Wav(utf8 + ".wav", 50);
    list.LoadFromFile(ListFile(Document(Entry(dir.File(read + ".wav"), "3", "4"))));
    ASSERT_EQ(Paths(), (std::vector<std::string>{path}));
    EXPECT_EQ(Loops(), (std::vector<std::pair<int, int>>{{3, 4}}));

    const std::string file = dir.File("saved.ksd");
    list.SaveToFile(file);
    EXPECT_NE(FileText(file).find("<FileName>" + dir.File(written + ".wav") + "</FileName>"), std::string::npos)
        << FileText(file);
}

TEST_F(KSDFileTest, KeepsPathCharactersTheCodePageCannotHold)
{
    VANTREL_POSIX_ONLY("file names with control characters are not allowed");
    // WAVE DASH and MINUS SIGN would come back as their fullwidth forms if
    // written as the code page's bytes; the others are not in it at all.
    const std::string name = "\xE3\x80\x9C\xE2\x88\x92"          // U+301C U+2212
                             "\xC3\xA9\xED\x95\x9C\xF0\x9F\x8E\xB5" // é, Hangul, an emoji
                             "\t\r\n\xEF\xBD\x9E.wav";             // blanks and FULLWIDTH TILDE
    const std::string path = Wav(name, 30);
    list.AddWave(path);
    list.GetWave(0)->SetLoopEnd(7);
    const std::string file = dir.File("list.ksd");
    list.SaveToFile(file);

    const std::string text = FileText(file);
    EXPECT_NE(text.find("&#12316;&#8722;&#233;&#54620;&#127925;\t&#13;\n\x81\x60.wav"), std::string::npos) << text;
    TKSD loaded;
    loaded.LoadFromFile(file);
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.GetWave(0)->FilePath(), path);
    EXPECT_EQ(loaded.GetWave(0)->LoopEnd(), 7);
}

TEST_F(KSDFileTest, FailedSaveLeavesTheOldFileAsItWas)
{
    VANTREL_POSIX_ONLY("the file size limit and permission bits");
    const std::string file = ListFile("old contents");
    ::chmod(file.c_str(), 0640);
    const std::string a = Wav("a.wav", 10);
    list.AddWave(a);
    const std::vector<std::string> before = FolderEntries();

    // The file system refuses to let the new file grow past 100 bytes.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit{};
    ::getrlimit(RLIMIT_FSIZE, &oldLimit);
    rlimit limit = oldLimit;
    limit.rlim_cur = 100;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const std::string error = ErrorOf<EKSDException>([&] { list.SaveToFile(file); });
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(error.rfind("KSDファイル(" + file + ")を書けません", 0), 0u) << error;
    EXPECT_EQ(FileText(file), "old contents");
    EXPECT_EQ(FolderEntries(), before); // no temporary file left behind

    // A path XML cannot carry is refused before anything is written.
    list.AddWave(Wav("bell\x07.wav", 10));
    EXPECT_NE(ErrorOf<EKSDException>([&] { list.SaveToFile(file); }).find("bell"), std::string::npos);
    EXPECT_EQ(FileText(file), "old contents");

    // A folder in the way is no file to replace.
    list.DeleteWave(1);
    const std::string folder = dir.File("folder.ksd");
    fs::create_directory(folder);
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.SaveToFile(folder); }).rfind("KSDファイル(" + folder + ")を書けません", 0), 0u);
    EXPECT_TRUE(fs::is_directory(folder));

    // A good save replaces the file, keeps its permission bits and leaves
    // nothing else behind.
    list.SaveToFile(file);
    TKSD loaded;
    loaded.LoadFromFile(file);
    EXPECT_EQ(loaded.Count(), 1);
    struct stat status {};
    ::stat(file.c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(FolderEntries().size(), before.size() + 2);
}

// Every state the window and the command-line tool can give a wave survives
// save then open, under a list file name at the file system's limit.
TEST_F(KSDFileTest, EveryStateTheToolsMakeSurvivesSaveAndOpen)
{
    struct TState {
        std::string Name;
        std::size_t Samples;
        int32_t Start, End;
    } states[] = {
        {"none.wav", 100, 0, 0},          {"half-set.wav", 100, 40, 0}, {"end-only.wav", 100, 0, 60},
        {"full-length.wav", 100, 1, 100}, {"empty.wav", 0, 0, 0},
        {"\xE6\xB3\xA2\xE5\xBD\xA2.wav", 10, 2, 8}, {std::string(240, 'w') + ".wav", 10, 3, 0},
    };
    for (const TState& state : states) {
        list.AddWave(Wav(state.Name, state.Samples));
        list.GetWave(list.Count() - 1)->SetLoopStart(state.Start);
        list.GetWave(list.Count() - 1)->SetLoopEnd(state.End);
    }
    const std::string file = dir.File(std::string(251, 'k') + ".ksd");
    list.SaveToFile(file);
    TKSD loaded;
    loaded.LoadFromFile(file);
    ASSERT_EQ(loaded.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(loaded.GetWave(i)->FilePath(), list.GetWave(i)->FilePath());
        EXPECT_EQ(loaded.GetWave(i)->LoopStart(), states[i].Start) << states[i].Name;
        EXPECT_EQ(loaded.GetWave(i)->LoopEnd(), states[i].End) << states[i].Name;
    }
}

TEST_F(KSDFileTest, SavingThroughALinkWritesItsTargetAndKeepsTheLink)
{
    VANTREL_POSIX_ONLY("symbolic links need privileges");
    list.AddWave(Wav("a.wav", 10));
    fs::create_directory(dir.Path() / "lists");
    const std::string link = dir.File("link.ksd");
    fs::create_symlink("lists/new.ksd", PathFromUtf8(link)); // nothing there yet
    list.SaveToFile(link);
    list.SaveToFile(link); // and again, now that the target exists
    EXPECT_TRUE(fs::is_symlink(PathFromUtf8(link)));
    TKSD loaded;
    loaded.LoadFromFile(dir.File("lists/new.ksd"));
    EXPECT_EQ(loaded.Count(), 1);
}

TEST_F(KSDFileTest, SaveRefusesAPipeAndTheListsOwnWaves)
{
    VANTREL_POSIX_ONLY("FIFOs");
    const std::string a = Wav("a.wav", 10);
    list.AddWave(a);
    const std::string fifo = dir.File("fifo.ksd");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.SaveToFile(fifo); }),
              "KSDファイル(" + fifo + ")を書けません: 出力先「" + fifo + "」は通常のファイルではありません");
    const std::vector<uint8_t> wave = ReadBytes(a);
    EXPECT_EQ(ErrorOf<EKSDException>([&] { list.SaveToFile(a); }),
              "KSDファイル(" + a + ")を書けません: 出力先「" + a + "」は入力のファイル「" + a + "」と同じファイルです");
    EXPECT_EQ(ReadBytes(a), wave);
    EXPECT_TRUE(fs::is_fifo(PathFromUtf8(fifo)));
}

TEST_F(KSDFileTest, RefusesAListFileTooLargeToBeOneBeforeReadingIt)
{
    const std::string file = ListFile(Document(""));
    fs::resize_file(PathFromUtf8(file), (std::uintmax_t{64} << 20) + 1); // sparse: nothing on disk
    try {
        list.LoadFromFile(file);
        ADD_FAILURE() << "accepted";
    } catch (const EKSDException& e) {
        EXPECT_EQ(e.Message(), "KSDファイル(" + file + ")を読めません");
        EXPECT_EQ(e.Detail(), "67108865 バイトあり、上限の 64 MiB を超えています");
    }
}

TEST(ParseNumber, ReadsHexadecimalAndDecimalWithBlanksAround)
{
    const std::pair<const char*, int32_t> good[] = {
        {"0x00001000", 4096}, {"0X1fFf", 8191},       {"0x0", 0},
        {"0xFFFFFFFF", -1},   {"0x80000000", INT32_MIN}, {"$10", 16},
        {"x10", 16},          {"X7fffffff", INT32_MAX}, {" \t\r\n100\x01 ", 100},
        {"+7", 7},            {"-5", -5},             {"0042", 42},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
    };
    for (const auto& [text, value] : good)
        EXPECT_EQ(ParseNumber(text), value) << text;

    for (const char* text : {"", "  ", "0x", "$", "0x123456789", "0x 1", "0x-1", "0x+1", "0xG", "2147483648",
                             "-2147483649", "1.0", "12z", "1 2", "+-1", "-+1", "+", "- 1", "１２", "0b1"}) {
        try {
            ParseNumber(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ENumberFormatException& e) {
            EXPECT_EQ(e.Message(), std::string("'") + text + "' は整数ではありません");
        }
    }
}

} // namespace

namespace {

// A list round trip with and without fades: the fade is written after
// "LoopEnd" only when set, read back in either number form, kept for a wave
// kept as missing, and one that does not fit its loop names the wave.
TEST_F(KSDFileTest, CrossFadesRoundTripAndAFadeThatDoesNotFitNamesTheWave)
{
    const std::string a = Wav("a.wav", 1000);
    const std::string b = Wav("b.wav", 1000);
    list.AddWave(a);
    list.AddWave(b);
    for (TWaveInfo* wave : {list.GetWave(0), list.GetWave(1)}) {
        wave->SetLoopStart(300);
        wave->SetLoopEnd(900);
    }
    list.GetWave(0)->SetCrossFade(300);
    const std::string file = dir.File("list.ksd");
    list.SaveToFile(file);
    const std::string text = FileText(file);
    EXPECT_NE(text.find("<LoopEnd>0x00000384</LoopEnd><CrossFade>0x0000012C</CrossFade></WaveFile>"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("CrossFade", text.find(b)), std::string::npos) << text;
    TKSD loaded;
    loaded.LoadFromFile(file);
    EXPECT_EQ(loaded.GetWave(0)->CrossFade(), 300);
    EXPECT_EQ(loaded.GetWave(1)->CrossFade(), 0);

    const auto withFade = [&](const std::string& path, const std::string& start, const std::string& end,
                              const std::string& fade) {
        std::string entry = Entry(path, start, end);
        return entry.insert(entry.size() - std::string("</WaveFile>").size(), "<crossfade>" + fade + "</crossfade>");
    };
    struct TCase {
        std::string Start, End, Fade;
        int32_t Expected;
        const char* Error;
    };
    for (const TCase& c : {TCase{"300", "900", "$40", 64, "no error"}, TCase{"300", "900", " 300 ", 300, "no error"},
                           TCase{"300", "900", "301", 0, "a.wav:クロスフェードがループに収まりません"},
                           TCase{"300", "500", "201", 0, "a.wav:クロスフェードがループに収まりません"},
                           TCase{"0", "500", "1", 0, "a.wav:クロスフェードがループに収まりません"},
                           TCase{"300", "0", "1", 0, "a.wav:クロスフェードがループに収まりません"},
                           TCase{"300", "900", "-1", 0, "a.wav:クロスフェードがループに収まりません"}}) {
        SCOPED_TRACE(c.Start + ":" + c.End + "~" + c.Fade);
        TKSD one;
        EXPECT_EQ(ErrorOf<EKSDException>([&] { one.LoadFromFile(ListFile(Document(withFade(a, c.Start, c.End, c.Fade)))); }),
                  c.Error);
        EXPECT_EQ(one.Count(), c.Expected ? 1 : 0);
        if (c.Expected) {
            EXPECT_EQ(one.GetWave(0)->CrossFade(), c.Expected);
        }
    }

    // A wave kept as missing keeps its fade for the next save.
    TKSD kept;
    kept.LoadFromFile(ListFile(Document(withFade(dir.File("gone.wav"), "300", "900", "20"))),
                      [](const std::string&) { return TMissingWaveAnswer{TMissingWaveAnswer::Skip, {}}; });
    kept.SaveToFile(file);
    EXPECT_NE(FileText(file).find("<CrossFade>0x00000014</CrossFade>"), std::string::npos);
}

} // namespace
