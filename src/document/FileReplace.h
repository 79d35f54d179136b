#pragma once
// Replacing a file's contents so that a failure never destroys it: the new
// contents go to a temporary file beside it, reach the disk, and only then
// take its place in one rename. Until that rename the old file is untouched;
// after it the new one is complete. A termination signal meanwhile removes
// the temporary file before the process ends (SignalCleanup.h).

#include <functional>
#include <string>
#include <string_view>

// Writes Bytes as the whole contents of the file at Utf8Path, creating or
// replacing it. A replaced file keeps its permission bits; a symbolic link
// is followed and kept, so the file it points to is the one replaced, or
// created when it does not exist yet. Throws
// std::system_error (the system's error code) on failure, leaving no
// temporary file and the old file as it was.
// On Windows a target that is read-only or open in another program is
// refused that way, where POSIX systems replace it.
void ReplaceFileContents(const std::string& Utf8Path, std::string_view Bytes);

// The file a replacement of Utf8Path writes: the end of its chain of
// symbolic links (which need not exist yet), or Utf8Path itself when it is
// no link or its chain loops. Rules about what a name may be written judge
// this name, not a link's.
std::string FileWrittenAt(const std::string& Utf8Path);

// The same for contents too large to hold in memory: Write writes the new
// file at the temporary path it is given (creating or truncating it) and
// returns only when it is complete; its exceptions pass through. During
// Write a file-size limit makes writes fail instead of ending the process.
// Throws std::system_error as above; either way no temporary file stays.
void ReplaceFileWith(const std::string& Utf8Path, const std::function<void(const std::string& TemporaryPath)>& Write);
