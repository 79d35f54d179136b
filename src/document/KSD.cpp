#include "document/KSD.h"

#include "common/File.h"
#include "common/Format.h"
#include "common/ProgramInfo.h"
#include "common/Path.h"
#include "document/FileReplace.h"
#include "document/XmlDom.h"
#include "export/VBKFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
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

// What the list file says about the program that wrote it.
// The list file is declared in this encoding and written as CP932.
constexpr const char* kListFileEncoding = "Shift_JIS";

// Names compare without regard to ASCII case, whatever the locale.
bool SameName(std::string_view Name, std::string_view Expected)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::ranges::equal(Name, Expected, {}, lower, lower);
}

bool IsElementNamed(const xmlNode& Node, const char* Name)
{
    return Node.type == XML_ELEMENT_NODE && SameName(XmlDom::NameOf(Node), Name);
}

std::string LoopText(int32_t Value) { return Format("0x%08X", static_cast<uint32_t>(Value)); }

XmlDom::TDocument BuildListDocument(const TKSD& List)
{
    XmlDom::TDocument doc = XmlDom::NewDocument("KSDFile");
    xmlNode& root = *xmlDocGetRootElement(doc.get());
    XmlDom::SetAttribute(root, "MajorVersion", "1");
    XmlDom::SetAttribute(root, "MinorVersion", "0");
    xmlNode& application = XmlDom::AppendElement(root, "Application");
    XmlDom::AppendTextElement(application, "Name", kProgramName);
    XmlDom::AppendTextElement(application, "Version", ProgramVersionText());
    for (int32_t i = 0; i < List.Count(); ++i) {
        const TWaveInfo& wave = *List.GetWave(i);
        xmlNode& entry = XmlDom::AppendElement(root, "WaveFile");
        XmlDom::AppendTextElement(entry, "FileName", wave.FilePath());
        XmlDom::AppendTextElement(entry, "LoopStart", LoopText(wave.LoopStart()));
        XmlDom::AppendTextElement(entry, "LoopEnd", LoopText(wave.LoopEnd()));
    }
    return doc;
}

// The whole file, or nothing when it is no regular file or cannot be read
// (a folder or a pipe is no list file, and a pipe could block forever).
std::optional<std::string> ReadWholeFile(const std::string& FileName)
{
    if (!IsRegularFile(FileName))
        return std::nullopt;
    const TFileHandle file = OpenFile(FileName, "rb");
    if (!file)
        return std::nullopt;
    std::string bytes;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        bytes.append(chunk, got);
    if (std::ferror(file.get()))
        return std::nullopt;
    return bytes;
}

XmlDom::TDocument ReadListDocument(const std::string& FileName)
{
    const std::optional<std::string> bytes = ReadWholeFile(FileName);
    try {
        if (bytes)
            return XmlDom::Parse(*bytes);
    } catch (const EXmlException&) {
        // The reason is libxml2's; the message the user sees names the file.
    }
    throw EKSDException(Format("KSDファイル(%s)を読めません", FileName.c_str()));
}

// One "WaveFile" entry as read: the last "FileName", "LoopStart" and
// "LoopEnd" among its child elements win; other children are ignored.
struct TListEntry {
    std::string FileName;
    int32_t LoopStart = 0;
    int32_t LoopEnd = 0;
};

TListEntry ReadEntry(const xmlNode& WaveFile)
{
    TListEntry entry;
    for (const xmlNode* child = WaveFile.children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        const std::string name = XmlDom::NameOf(*child);
        if (SameName(name, "FileName"))
            entry.FileName = XmlDom::TextOf(*child);
        else if (SameName(name, "LoopStart"))
            entry.LoopStart = ParseNumber(XmlDom::TextOf(*child));
        else if (SameName(name, "LoopEnd"))
            entry.LoopEnd = ParseNumber(XmlDom::TextOf(*child));
    }
    return entry;
}

void CheckVersion(const xmlNode& Root)
{
    const std::optional<std::string> major = XmlDom::AttributeOf(Root, "MajorVersion");
    if (!major)
        throw ENumberFormatException("KSDFile に MajorVersion がありません");
    if (ParseNumber(*major) >= 2)
        throw EKSDException("未対応のバージョンです");
}

} // namespace

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

TWaveInfo* TKSD::GetWave(int32_t Index) const
{
    if (Index < 0 || Index >= Count())
        return nullptr;
    return FWaves[static_cast<std::size_t>(Index)].get();
}

void TKSD::AddWave(const std::string& FileName)
{
    AppendWave(FileName);
    FWaves.back()->UseStoredLoop();
}

void TKSD::AppendWave(const std::string& FileName)
{
    // Only regular files: a directory is no wave, and a pipe or device could
    // block the reader forever.
    if (!IsRegularFile(FileName))
        throw EKSDException(Format("ファイル「%s」を開けません", FileName.c_str()));
    auto wave = std::make_unique<TWaveInfo>();
    wave->LoadFromFile(FileName);
    FWaves.push_back(std::move(wave));
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

void TKSD::Clear() { FWaves.clear(); }

void TKSD::LoadFromFile(const std::string& FileName)
{
    const XmlDom::TDocument doc = ReadListDocument(FileName);
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (root == nullptr || !SameName(XmlDom::NameOf(*root), "KSDFile"))
        throw EKSDException("ファイル形式が異常です");
    CheckVersion(*root);

    for (const xmlNode* child = root->children; child; child = child->next) {
        if (!IsElementNamed(*child, "WaveFile"))
            continue;
        const TListEntry entry = ReadEntry(*child);
        if (entry.FileName.empty())
            continue;
        AppendWave(entry.FileName);
        TWaveInfo& wave = *FWaves.back();
        const auto refuse = [&](const char* format) {
            const std::string name = wave.WaveName();
            DeleteWave(Count() - 1);
            throw EKSDException(Format(format, name.c_str()));
        };
        // A loop end may equal the sample count (the loop then runs through
        // the last sample): the window can set such an end, and a list it
        // saved must open again.
        const int32_t samples = wave.SampleCount();
        if (entry.LoopStart < 0 || entry.LoopStart >= samples)
            refuse("%s:ループ始点が不正です");
        if (entry.LoopEnd < 0 || entry.LoopEnd > samples)
            refuse("%s:ループ終点が不正です");
        if (entry.LoopStart > entry.LoopEnd)
            refuse("%s:ループ始点がループ終点より後ろにあります");
        wave.SetLoopStart(entry.LoopStart);
        wave.SetLoopEnd(entry.LoopEnd);
    }
}

void TKSD::SaveToFile(const std::string& FileName) const
{
    // A path XML cannot carry (not UTF-8, or a control character) would make
    // a file that no reader accepts: refuse it before anything is written.
    for (const auto& wave : FWaves)
        if (!XmlDom::IsXmlText(wave->FilePath()))
            throw EKSDException(Format("ファイル名「%s」は KSDファイルに書けない文字を含みます",
                                       wave->FilePath().c_str()));
    try {
        const XmlDom::TDocument doc = BuildListDocument(*this);
        ReplaceFileContents(FileName, XmlDom::Serialise(*doc, kListFileEncoding));
    } catch (const EXmlException& e) {
        throw EKSDException(Format("KSDファイル(%s)を書けません: %s", FileName.c_str(), e.what()));
    } catch (const std::system_error& e) {
        throw EKSDException(Format("KSDファイル(%s)を書けません: %s", FileName.c_str(), e.code().message().c_str()));
    }
}

void TKSD::Export(const std::string& FileName) const
{
    TVBKFile exporter;
    exporter.Export(FileName, *this);
}
