#include "cli/Hints.h"

#include "cli/Commands.h"
#include "cli/Language.h"
#include "common/Format.h"
#include "cli/FileKind.h"

namespace {

// "PATH: this is a KIND; HINT (see vantrel-cli --help)".
[[noreturn]] void WrongKind(const std::string& Path, const char* Hint)
{
    throw ECliError(Format(Say("%s: %s (vantrel-cli --help を参照)", "%s: %s (see vantrel-cli --help)"), Path.c_str(), Hint));
}

const char* ListFileHint()
{
    return Say("これはリストファイルです。VBKファイルにするには export を使います",
               "this is a list file; use export to make a voice bank of it");
}

} // namespace

void RequireListFileToRead(const std::string& Path)
{
    const TFileKind kind = KindOfFile(Path);
    if (kind == TFileKind::SoundFile || kind == TFileKind::VoiceBank)
        throw ECliError(Format(Say("%s: これは%sで、リストファイルではありません。引数が逆ではありませんか? (export は "
                                   "LIST.ksd OUT.vbk をとります)",
                                   "%s: this is a %s, not a list file: did you swap the arguments? (export takes "
                                   "LIST.ksd OUT.vbk)"),
                               Path.c_str(),
                               kind == TFileKind::SoundFile ? Say("音声ファイル", "sound file") : Say("VBKファイル", "voice bank")));
}

void RequireBankToRead(const std::string& Path)
{
    const TFileKind kind = KindOfFile(Path);
    if (kind == TFileKind::ListFile)
        WrongKind(Path, ListFileHint());
    if (kind == TFileKind::SoundFile)
        WrongKind(Path, Say("これは音声ファイルです。見るには info を使います", "this is a sound file; use info to see it"));
}

void RequireSoundFileToRead(const std::string& Path)
{
    const TFileKind kind = KindOfFile(Path);
    if (kind == TFileKind::ListFile)
        WrongKind(Path, ListFileHint());
    if (kind == TFileKind::VoiceBank)
        WrongKind(Path, Say("これはVBKファイルです。waveを一覧するには check、WAVファイルに戻すには unpack を使います",
                            "this is a voice bank; use check to list its waves, unpack to write them as WAV files"));
}
