#include "document/WaveLocator.h"

#include "common/Path.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string FolderOf(const std::string& File)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(PathFromUtf8(File), error);
    return Utf8FromPath((error ? PathFromUtf8(File) : absolute).parent_path());
}

bool IsRegularFile(const std::string& Path)
{
    std::error_code error;
    return fs::is_regular_file(PathFromUtf8(Path), error);
}

// Relative on every system the list may come from: not "/...", not a
// Windows drive ("C:...") and not a Windows share or root ("\...").
bool IsRelative(const std::string& Path)
{
    return !Path.empty() && Path[0] != '/' && Path[0] != '\\' && !(Path.size() >= 2 && Path[1] == ':');
}

std::string Join(const std::string& Folder, std::string Name)
{
    // In the system's own spelling: a stored "sub/e.wav" is found as
    // "sub\e.wav" on Windows, and a stored "sub\e.wav" (a list from
    // Windows) as "sub/e.wav" elsewhere.
    std::replace(Name.begin(), Name.end(), '\\', '/');
    return Utf8FromPath((PathFromUtf8(Folder) / PathFromUtf8(Name)).make_preferred());
}

} // namespace

bool PathExists(const std::string& Path)
{
    std::error_code error;
    return fs::exists(PathFromUtf8(Path), error);
}

std::optional<std::string> OtherFileInCurrentFolder(const std::string& StoredPath, const std::string& ReadPath)
{
    if (!IsRelative(StoredPath) || !PathExists(StoredPath))
        return std::nullopt;
    std::error_code error;
    if (fs::equivalent(PathFromUtf8(StoredPath), PathFromUtf8(ReadPath), error) && !error)
        return std::nullopt;
    const fs::path absolute = fs::absolute(PathFromUtf8(StoredPath), error);
    return error ? StoredPath : Utf8FromPath(absolute.lexically_normal());
}

TWaveLocator::TWaveLocator(const std::string& ListFile) : FFolders{FolderOf(ListFile)} {}

std::string TWaveLocator::ListedPath(const std::string& StoredPath) const
{
    return IsRelative(StoredPath) ? Join(FFolders.front(), StoredPath) : StoredPath;
}

std::optional<std::string> TWaveLocator::Find(const std::string& StoredPath) const
{
    if (const std::string beside = ListedPath(StoredPath); IsRelative(StoredPath) && IsRegularFile(beside))
        return beside;
    const auto cut = StoredPath.find_last_of("/\\");
    const std::string name = cut == std::string::npos ? StoredPath : StoredPath.substr(cut + 1);
    if (name.empty())
        return std::nullopt;
    for (const std::string& folder : FFolders)
        if (const std::string candidate = Join(folder, name); IsRegularFile(candidate))
            return candidate;
    return std::nullopt;
}

void TWaveLocator::AddFolderOf(const std::string& File)
{
    const std::string folder = FolderOf(File);
    if (std::find(FFolders.begin(), FFolders.end(), folder) == FFolders.end())
        FFolders.push_back(folder);
}
