#pragma once
// What the tool says when a command is given the wrong kind of file: which
// command takes that file instead. Each raises ECliError (Commands.h) for a
// file of another kind and returns for any other file, which the command's
// own reader then judges (a missing file, a damaged one).

#include <string>

// A list file to read (export): not a sound file or a voice bank, which
// usually means the arguments were given the other way round.
void RequireListFileToRead(const std::string& Path);
// A voice bank to read (check, unpack): not a list file or a sound file.
void RequireBankToRead(const std::string& Path);
// A sound file to read (info, loop): not a list file or a voice bank.
void RequireSoundFileToRead(const std::string& Path);
