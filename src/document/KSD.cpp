#include "document/KSD.h"

#include "common/AsciiCase.h"
#include "common/File.h"
#include "common/Format.h"
#include "common/OpenFailure.h"
#include "common/ProgramInfo.h"
#include "common/Path.h"
#include "document/CrossFade.h"
#include "document/FileReplace.h"
#include "document/LoopRules.h"
#include "document/OutputFile.h"
#include "document/WaveLocator.h"
#include "document/XmlDom.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

namespace {

bool IsRegularFile(const std::string& FileName)
{
    std::error_code error;
    return std::filesystem::is_regular_file(PathFromUtf8(FileName), error);
}

// The list file is declared in this encoding and written as CP932.
constexpr const char* kListFileEncoding = "Shift_JIS";

bool IsElementNamed(const xmlNode& Node, const char* Name)
{
    return Node.type == XML_ELEMENT_NODE && SameNameIgnoringAsciiCase(XmlDom::NameOf(Node), Name);
}

bool IsListRoot(const xmlNode& Root) { return SameNameIgnoringAsciiCase(XmlDom::NameOf(Root), "KSDFile"); }

std::string LoopText(int32_t Value) { return Format("0x%08X", static_cast<uint32_t>(Value)); }

constexpr const char* kEntryElements[] = {"FileName", "LoopStart", "LoopEnd", "CrossFade"};

// One known element of a wave's entry, as this version writes it. Only a
// fade is written: a list without one stays as older versions write it, and
// older readers skip the element.
void AppendKnown(xmlNode& Entry, const std::string& Name, const TWaveInfo& Wave)
{
    if (Name == "FileName")
        XmlDom::AppendTextElement(Entry, "FileName", Wave.FilePath());
    else if (Name == "LoopStart")
        XmlDom::AppendTextElement(Entry, "LoopStart", LoopText(Wave.LoopStart()));
    else if (Name == "LoopEnd")
        XmlDom::AppendTextElement(Entry, "LoopEnd", LoopText(Wave.LoopEnd()));
    else if (Name == "CrossFade" && Wave.CrossFade() > 0)
        XmlDom::AppendTextElement(Entry, "CrossFade", LoopText(Wave.CrossFade()));
}

// The entry's children in the order the list file held them, each known one
// once, with what this version does not know written back in its place; the
// known ones the file lacked follow in their usual order.
void AppendEntry(xmlNode& Root, const TWaveInfo& Wave)
{
    xmlNode& entry = XmlDom::AppendElement(Root, "WaveFile");
    std::vector<std::string> layout = Wave.ListEntryLayout();
    for (const char* known : kEntryElements)
        if (std::find(layout.begin(), layout.end(), known) == layout.end())
            layout.push_back(known);
    for (const std::string& item : layout)
        if (item.starts_with('<'))
            XmlDom::AppendXml(entry, item);
        else
            AppendKnown(entry, item, Wave);
}

// The list as a document: the version, what the list file says about the
// program that wrote it, then one "WaveFile" entry per wave in list order,
// with the root's elements this version does not know where they were.
XmlDom::TDocument BuildListDocument(const TKSD& List, const TListFileExtras& Extras)
{
    XmlDom::TDocument doc = XmlDom::NewDocument("KSDFile");
    xmlNode& root = *xmlDocGetRootElement(doc.get());
    XmlDom::SetAttribute(root, "MajorVersion", "1");
    XmlDom::SetAttribute(root, "MinorVersion", Extras.MinorVersion);
    xmlNode& application = XmlDom::AppendElement(root, "Application");
    XmlDom::AppendTextElement(application, "Name", kProgramName);
    XmlDom::AppendTextElement(application, "Version", ProgramVersionText());
    auto extra = Extras.Elements.begin();
    for (int32_t i = 0; i <= List.Count(); ++i) {
        for (; extra != Extras.Elements.end() && (extra->first <= i || i == List.Count()); ++extra)
            XmlDom::AppendXml(root, extra->second);
        if (i < List.Count())
            AppendEntry(root, *List.GetWave(i));
    }
    return doc;
}

// A list file holds a few hundred bytes per wave; anything near this size is
// no list file, and reading it whole could exhaust memory.
constexpr std::uintmax_t kMaxListFileBytes = std::uintmax_t{64} << 20;

EKSDException CannotReadList(const std::string& FileName, const std::string& Reason)
{
    return EKSDException(Format(kKSDUnreadableFormat, FileName.c_str()), Reason);
}

std::string TooLargeReason(std::uintmax_t Size)
{
    return Format("%llu バイトあり、上限の %llu MiB を超えています", static_cast<unsigned long long>(Size),
                  static_cast<unsigned long long>(kMaxListFileBytes >> 20));
}

// The whole file. Only a regular file is read (a folder is no list file, and
// a pipe could block forever), and only up to kMaxListFileBytes.
std::string ReadWholeFile(const std::string& FileName)
{
    const std::filesystem::path path = PathFromUtf8(FileName);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error)
        throw CannotReadList(FileName, error.message());
    if (!std::filesystem::is_regular_file(status))
        throw CannotReadList(FileName, "通常のファイルではありません");
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > kMaxListFileBytes)
        throw CannotReadList(FileName, TooLargeReason(size));

    const TFileHandle file = OpenFile(FileName, "rb");
    if (!file)
        throw CannotReadList(FileName, std::strerror(errno));
    std::string bytes;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        bytes.append(chunk, got);
        if (bytes.size() > kMaxListFileBytes) // the file grew while it was read
            throw CannotReadList(FileName, TooLargeReason(bytes.size()));
    }
    if (std::ferror(file.get()))
        throw CannotReadList(FileName, std::strerror(errno));
    return bytes;
}

XmlDom::TDocument ReadListDocument(const std::string& FileName)
{
    const std::string bytes = ReadWholeFile(FileName);
    try {
        return XmlDom::Parse(bytes);
    } catch (const EXmlException& e) {
        throw CannotReadList(FileName, e.Message());
    }
}

// One "WaveFile" entry as read: the last "FileName", "LoopStart", "LoopEnd"
// and "CrossFade" among its child elements win; other children are kept
// for the next save.
struct TListEntry {
    std::string FileName;
    int32_t LoopStart = 0;
    int32_t LoopEnd = 0;
    int32_t CrossFade = 0;
    std::vector<std::string> Layout; // TWaveInfo::ListEntryLayout
};

TListEntry ReadEntry(const xmlNode& WaveFile)
{
    TListEntry entry;
    for (const xmlNode* child = WaveFile.children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        const std::string name = XmlDom::NameOf(*child);
        const auto known = std::find_if(std::begin(kEntryElements), std::end(kEntryElements),
                                        [&](const char* Known) { return SameNameIgnoringAsciiCase(name, Known); });
        const std::string item = known == std::end(kEntryElements) ? XmlDom::XmlOf(*child) : *known;
        if (item.starts_with('<') || std::find(entry.Layout.begin(), entry.Layout.end(), item) == entry.Layout.end())
            entry.Layout.push_back(item);
        if (SameNameIgnoringAsciiCase(name, "FileName"))
            entry.FileName = XmlDom::TextOf(*child);
        else if (SameNameIgnoringAsciiCase(name, "LoopStart"))
            entry.LoopStart = ParseNumber(XmlDom::TextOf(*child));
        else if (SameNameIgnoringAsciiCase(name, "LoopEnd"))
            entry.LoopEnd = ParseNumber(XmlDom::TextOf(*child));
        else if (SameNameIgnoringAsciiCase(name, "CrossFade"))
            entry.CrossFade = ParseNumber(XmlDom::TextOf(*child));
    }
    return entry;
}

// Runs Read over the list's own text. Its faults (a number, the root, the
// version) have fixed messages that name no file: the list file travels
// beside them as the detail.
template <class F>
auto NamingListFile(const std::string& FileName, F Read)
{
    try {
        return Read();
    } catch (const ENumberFormatException& e) {
        throw ENumberFormatException(e.Message(), FileName);
    } catch (const EKSDException& e) {
        throw EKSDException(e.Message(), FileName);
    }
}

void CheckVersion(const xmlNode& Root)
{
    const std::optional<std::string> major = XmlDom::AttributeOf(Root, "MajorVersion");
    if (!major)
        throw ENumberFormatException("KSDFile に MajorVersion がありません");
    if (ParseNumber(*major) >= 2)
        throw EKSDException(kUnsupportedKSDVersion);
}

// The file to read for Entry: its stored path when that exists, else where
// Locator or Resolve finds it (recorded in Report); nothing for a wave kept
// as missing. Abort stops the load with the error of the stored path.
std::optional<std::string> WhereToRead(const TListEntry& Entry, TWaveLocator& Locator,
                                       const TMissingWaveResolver& Resolve, TLoadReport& Report)
{
    if (std::string listed = Locator.ListedPath(Entry.FileName); PathExists(listed))
        return listed;
    std::optional<std::string> found = Locator.Find(Entry.FileName);
    if (!found && Resolve) {
        const TMissingWaveAnswer answer = Resolve(Entry.FileName);
        if (answer.Choice == TMissingWaveAnswer::Skip) {
            Report.Skipped.push_back(Entry.FileName);
            return std::nullopt;
        }
        if (answer.Choice == TMissingWaveAnswer::Use) {
            found = answer.Path;
            Locator.AddFolderOf(answer.Path);
        }
    }
    if (!found) // named as stored: the current folder's file of that name is never read
        throw EKSDException(CannotOpenMessage(Entry.FileName));
    Report.Relocated.push_back({Entry.FileName, *found});
    return found;
}

// The wave of Entry kept as missing: saved as the entry stores it.
std::unique_ptr<TWaveInfo> MissingWave(const TListEntry& Entry)
{
    auto wave = TWaveInfo::Missing(Entry.FileName, Entry.LoopStart, Entry.LoopEnd, Entry.CrossFade);
    wave->SetListEntryLayout(Entry.Layout);
    return wave;
}

} // namespace

bool IsListFile(const std::string& FileName)
{
    try {
        const XmlDom::TDocument doc = ReadListDocument(FileName);
        const xmlNode* root = xmlDocGetRootElement(doc.get());
        return root != nullptr && IsListRoot(*root);
    } catch (const EKSDException&) {
        return false;
    }
}

std::string UnnamedEntryWarning(int32_t Position) { return Format(kUnnamedEntryFormat, std::to_string(Position).c_str()); }

std::string CurrentFolderNote(const TCurrentFolderWave& Wave)
{
    return Format(kCurrentFolderNoteFormat, Wave.StoredPath.c_str(), Wave.ReadPath.c_str(),
                  Wave.CurrentFolderPath.c_str());
}

int32_t ParseNumber(const std::string& Text)
{
    const auto fail = [&Text]() -> int32_t {
        throw ENumberFormatException(Format("'%s' は整数ではありません", Text.c_str()));
    };
    std::string_view text = Text;
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);

    std::size_t digits = 0;
    if (text.starts_with("0x") || text.starts_with("0X"))
        digits = 2;
    else if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X'))
        digits = 1;
    if (digits > 0) {
        text.remove_prefix(digits);
        uint32_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
        if (text.empty() || text.size() > 8 || error != std::errc() || end != text.data() + text.size())
            return fail();
        return static_cast<int32_t>(value);
    }

    // from_chars takes "-" but not "+"; a "+" must be followed by a digit.
    if (text.starts_with('+') && text.size() > 1 && text[1] >= '0' && text[1] <= '9')
        text.remove_prefix(1);
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return fail();
    return value;
}

const TWaveInfo* TKSD::GetWave(int32_t Index) const
{
    if (Index < 0 || Index >= Count())
        return nullptr;
    return FWaves[static_cast<std::size_t>(Index)].get();
}

TWaveInfo* TKSD::GetWave(int32_t Index) { return const_cast<TWaveInfo*>(std::as_const(*this).GetWave(Index)); }

void TKSD::AddWave(const std::string& FileName) { FWaves.push_back(ReadWave(FileName)); }

std::unique_ptr<TWaveInfo> TKSD::ReadWave(const std::string& FileName)
{
    std::unique_ptr<TWaveInfo> wave = ReadFile(FileName);
    wave->UseStoredLoop();
    return wave;
}

std::unique_ptr<TWaveInfo> TKSD::ReadFile(const std::string& FileName, TWaveReading Reading)
{
    // Only regular files: a directory is no wave, and a pipe or device could
    // block the reader forever.
    if (!IsRegularFile(FileName))
        throw EKSDException(CannotOpenMessage(FileName));
    auto wave = std::make_unique<TWaveInfo>();
    wave->LoadFromFile(FileName, Reading);
    return wave;
}

std::unique_ptr<TWaveInfo> TKSD::TakeWave(int32_t Index)
{
    if (Index < 0 || Index >= Count())
        throw EKSDException(Format("TakeWave : Index(=%d) が範囲外です", Index));
    std::unique_ptr<TWaveInfo> wave = std::move(FWaves[static_cast<std::size_t>(Index)]);
    FWaves.erase(FWaves.begin() + Index);
    return wave;
}

void TKSD::InsertWave(int32_t Index, std::unique_ptr<TWaveInfo> Wave)
{
    if (Index < 0 || Index > Count() || !Wave)
        throw EKSDException(Format("InsertWave : Index(=%d) が範囲外です", Index));
    FWaves.insert(FWaves.begin() + Index, std::move(Wave));
}

void TKSD::DeleteWave(int32_t Index)
{
    if (Index < 0 || Index >= Count())
        throw EKSDException(Format("DeleteWave : Index(=%d) が範囲外です", Index));
    FWaves.erase(FWaves.begin() + Index);
}

void TKSD::MoveNext(int32_t Index)
{
    if (Index < 0 || Index >= Count() - 1)
        throw EKSDException(Format("MoveNext : Index(=%d) が範囲外です", Index));
    std::swap(FWaves[static_cast<std::size_t>(Index)], FWaves[static_cast<std::size_t>(Index) + 1]);
}

void TKSD::MovePrev(int32_t Index)
{
    if (Index < 1 || Index >= Count())
        throw EKSDException(Format("MovePrev : Index(=%d) が範囲外です", Index));
    std::swap(FWaves[static_cast<std::size_t>(Index) - 1], FWaves[static_cast<std::size_t>(Index)]);
}

void TKSD::Clear()
{
    FWaves.clear();
    FExtras = {};
}

TLoadReport TKSD::LoadFromFile(const std::string& FileName, const TMissingWaveResolver& Resolve,
                               const TUnreadableWaveResolver& SkipUnreadable, TWaveReading Reading)
{
    const XmlDom::TDocument doc = ReadListDocument(FileName);
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    NamingListFile(FileName, [&] {
        if (root == nullptr || !IsListRoot(*root))
            throw EKSDException(kMalformedKSD);
        CheckVersion(*root);
    });

    TLoadReport report;
    TWaveLocator locator(FileName);
    int32_t position = 0;
    if (const std::optional<std::string> minor = XmlDom::AttributeOf(*root, "MinorVersion"))
        FExtras.MinorVersion = *minor;
    for (const xmlNode* child = root->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && !IsElementNamed(*child, "WaveFile") &&
            !IsElementNamed(*child, "Application"))
            FExtras.Elements.emplace_back(Count(), XmlDom::XmlOf(*child));
        if (!IsElementNamed(*child, "WaveFile"))
            continue;
        ++position;
        const TListEntry entry = NamingListFile(FileName, [&] { return ReadEntry(*child); });
        if (entry.FileName.empty()) {
            report.Unnamed.push_back(position);
            continue;
        }
        const std::optional<std::string> path = WhereToRead(entry, locator, Resolve, report);
        if (!path) {
            FWaves.push_back(MissingWave(entry));
            continue;
        }
        if (auto other = OtherFileInCurrentFolder(entry.FileName, *path))
            report.NotFromCurrentFolder.push_back({entry.FileName, *path, std::move(*other)});
        std::unique_ptr<TWaveInfo> read;
        try {
            read = ReadFile(*path, Reading);
        } catch (const Exception& e) { // EKSDException (no regular file), EWaveInfoException
            if (!SkipUnreadable || !SkipUnreadable(entry.FileName, e))
                throw;
            report.Skipped.push_back(entry.FileName);
            FWaves.push_back(MissingWave(entry));
            continue;
        }
        FWaves.push_back(WithListedLoop(std::move(read), entry.LoopStart, entry.LoopEnd, entry.CrossFade, entry.Layout));
    }
    return report;
}

std::unique_ptr<TWaveInfo> TKSD::WithListedLoop(std::unique_ptr<TWaveInfo> wave, int32_t LoopStart, int32_t LoopEnd,
                                                int32_t CrossFade, const std::vector<std::string>& Layout)
{
    std::string fault = ListedLoopFault(*wave, LoopStart, LoopEnd);
    if (fault.empty())
        fault = CrossFadeFault(*wave, {LoopStart, LoopEnd}, CrossFade);
    if (!fault.empty())
        throw EKSDException(fault);
    wave->SetLoopStart(LoopStart);
    wave->SetLoopEnd(LoopEnd);
    wave->SetCrossFade(CrossFade);
    wave->SetListEntryLayout(Layout);
    return wave;
}

std::unique_ptr<TWaveInfo> TKSD::ReadLocatedWave(const TWaveInfo& Missing, const std::string& FileName)
{
    return WithListedLoop(ReadFile(FileName), Missing.LoopStart(), Missing.LoopEnd(), Missing.CrossFade(),
                          Missing.ListEntryLayout());
}

std::vector<std::string> TKSD::WaveFiles() const
{
    std::vector<std::string> files;
    for (const auto& wave : FWaves)
        files.push_back(wave->FilePath());
    return files;
}

void TKSD::SaveToFile(const std::string& FileName) const
{
    // A path XML cannot carry (not UTF-8, or a control character) would make
    // a file that no reader accepts: refuse it before anything is written.
    for (const auto& wave : FWaves)
        if (!XmlDom::IsXmlText(wave->FilePath()))
            throw EKSDException(Format(kUnwritableNameFormat,
                                       wave->FilePath().c_str()));
    try {
        CheckOutputFile(FileName, WaveFiles());
        const XmlDom::TDocument doc = BuildListDocument(*this, FExtras);
        ReplaceFileContents(FileName, XmlDom::Serialise(*doc, kListFileEncoding));
    } catch (const Exception& e) { // EOutputFileError, EXmlException
        throw EKSDException(Format(kKSDUnwritableFormat, FileName.c_str(), e.what()));
    } catch (const std::system_error& e) {
        throw EKSDException(Format(kKSDUnwritableFormat, FileName.c_str(), e.code().message().c_str()));
    }
}
