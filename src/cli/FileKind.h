#pragma once
// What a file is, as the command-line tool must know before it writes over
// one or reads one as something it is not: a list file, a voice bank, a
// sound file, or something else. Told by the file's first bytes; the name's
// suffix is a separate question (a file yet to be written has only a name).

#include <string>

enum class TFileKind {
    Missing,   // nothing there (or nothing readable)
    Empty,     // a file of no bytes
    ListFile,  // IsListFile
    VoiceBank, // starts with the voice bank's magic
    SoundFile, // starts as a RIFF, RF64, AIFF/AIFC, FLAC, Ogg, CAF or Sun/NeXT sound file
    Other,
};

TFileKind KindOfFile(const std::string& Path);

// The name ends in a suffix of the sound files Vantrel reads (".wav",
// ".aif", ".aiff", ".aifc", ".flac", ".ogg", ...), in any case.
bool HasSoundFileSuffix(const std::string& Path);
// The name ends in Suffix (".ksd"), in any case.
bool HasSuffix(const std::string& Path, const std::string& Suffix);
