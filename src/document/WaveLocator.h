#pragma once
// Where a wave of a list file is. A relative stored path belongs to the
// list file's folder, as a link in a document does, whatever the current
// folder (ListedPath). When the path so named does not exist (the list was
// moved with its waves, or came from Windows: "C:\voices\i.wav"), Find
// looks for it:
//   1. the stored path taken relative to the list file's folder, when it is
//      a relative path;
//   2. the stored file name (after the last "/" or "\") in the list file's
//      folder, then in each folder added since, in the order added.
// Only regular files are found. Found paths are absolute when the list
// file's folder is.

#include <optional>
#include <string>
#include <vector>

class TWaveLocator {
public:
    explicit TWaveLocator(const std::string& ListFile);

    // The file StoredPath names: an absolute path as it is, a relative one
    // under the list file's folder, "\" read as a folder separator ("sub\b.wav"
    // is "sub/b.wav" there).
    std::string ListedPath(const std::string& StoredPath) const;
    std::optional<std::string> Find(const std::string& StoredPath) const;
    // Also looks in the folder of File (a wave the user found by hand).
    void AddFolderOf(const std::string& File);

private:
    std::vector<std::string> FFolders; // the list file's folder first
};

// The stored path names something that exists (the system's own reading).
bool PathExists(const std::string& Path);

// The file a relative StoredPath names from the current folder, when that
// exists and is another file than ReadPath (the one the list's folder
// gave): a user who relied on the current folder learns it is no longer
// read. Nothing for absolute paths.
std::optional<std::string> OtherFileInCurrentFolder(const std::string& StoredPath, const std::string& ReadPath);
