#include "cli/FileKind.h"

#include "common/AsciiCase.h"
#include "common/File.h"
#include "document/KSD.h"
#include "export/VBKHead.h"

#include <cstring>
#include <filesystem>

namespace {

bool StartsWith(const unsigned char* Head, std::size_t Size, const char* Magic, std::size_t At = 0)
{
    const std::size_t length = std::strlen(Magic);
    return At + length <= Size && std::memcmp(Head + At, Magic, length) == 0;
}

bool IsSoundHead(const unsigned char* Head, std::size_t Size)
{
    for (const char* magic : {"RIFF", "RF64", "FORM", "fLaC", "OggS", "caff", ".snd"})
        if (StartsWith(Head, Size, magic))
            return true;
    return false;
}

} // namespace

TFileKind KindOfFile(const std::string& Path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(PathFromUtf8(Path), error))
        return TFileKind::Missing;
    const TFileHandle file = OpenFile(Path, "rb");
    if (!file)
        return TFileKind::Missing;
    unsigned char head[12];
    const std::size_t size = std::fread(head, 1, sizeof head, file.get());
    if (size == 0)
        return TFileKind::Empty;
    if (size >= 4 && std::memcmp(head, VBKTags[vtMagic].data(), 4) == 0)
        return TFileKind::VoiceBank;
    if (IsSoundHead(head, size))
        return TFileKind::SoundFile;
    return IsListFile(Path) ? TFileKind::ListFile : TFileKind::Other;
}

bool HasSuffix(const std::string& Path, const std::string& Suffix)
{
    return Path.size() >= Suffix.size() && SameNameIgnoringAsciiCase(std::string_view(Path).substr(Path.size() - Suffix.size()), Suffix);
}

bool HasSoundFileSuffix(const std::string& Path)
{
    for (const char* suffix : {".wav", ".wave", ".aif", ".aiff", ".aifc", ".flac", ".ogg", ".oga", ".opus", ".mp3",
                               ".caf", ".au", ".snd", ".w64", ".rf64"})
        if (HasSuffix(Path, suffix))
            return true;
    return false;
}
