#pragma once
// Where a wave of a list file is looked for when the path the list stores
// does not exist: the list was moved with its waves, or came from Windows
// ("C:\voices\i.wav"). In order:
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

    std::optional<std::string> Find(const std::string& StoredPath) const;
    // Also looks in the folder of File (a wave the user found by hand).
    void AddFolderOf(const std::string& File);

private:
    std::vector<std::string> FFolders; // the list file's folder first
};

// The stored path names something that exists (the system's own reading).
bool PathExists(const std::string& Path);
