#pragma once
// The rule every command that writes a file follows before it writes a byte:
// the output must be something a file can be written to and read back from,
// and must not be one of the files the command reads. So exporting or saving
// onto a terminal, a pipe or a device, or onto the list or a wave the output
// is made from, is refused instead of reported as done or destroying work.

#include "common/Exception.h"

#include <string>
#include <vector>

VANTREL_DECLARE_EXCEPTION(EOutputFileError);

// Refuses Output, naming it, when it exists and is no regular file after
// following symbolic links ("出力先「%s」は通常のファイルではありません"; a
// path that does not exist yet, or a link to nothing, is fine), or when it
// is the same file (device and inode) as one of Inputs
// ("出力先「%s」は入力のファイル「%s」と同じファイルです"). Inputs that cannot
// be found are skipped.
inline constexpr char kOutputNotRegularFormat[] = "出力先「%s」は通常のファイルではありません";
inline constexpr char kOutputIsInputFormat[] = "出力先「%s」は入力のファイル「%s」と同じファイルです";
void CheckOutputFile(const std::string& Output, const std::vector<std::string>& Inputs);
