#include "document/FileReplace.h"

#include "common/Path.h"
#include "common/Platform.h"
#include "common/SignalCleanup.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void ThrowErrno(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

fs::path FolderOf(const fs::path& Target) { return Target.has_parent_path() ? Target.parent_path() : fs::path("."); }

// A new file beside the target under a short name nobody else uses, of the
// same length whatever the target's name (a name at the file system's limit
// leaves no room to add to it). It is removed when the object goes unless
// MoveOver() put it in the target's place, and by a termination signal
// before that (TRemoveOnSignal).
class TTemporaryFile {
public:
    explicit TTemporaryFile(const fs::path& Target)
    {
        std::mt19937_64 random(std::random_device{}());
        for (int attempt = 0; attempt < 100 && FFd < 0; ++attempt) {
            char name[32];
            std::snprintf(name, sizeof name, ".vantrel-%012llx.tmp",
                          static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
            FPath = FolderOf(Target) / name;
            FFd = Platform::OpenForWriting(FPath, true);
            if (FFd < 0 && errno != EEXIST)
                ThrowErrno("open");
        }
        if (FFd < 0)
            ThrowErrno("open");
        FOnSignal = std::make_unique<TRemoveOnSignal>(FPath);
    }

    ~TTemporaryFile()
    {
        if (FFd >= 0)
            Platform::CloseFile(FFd);
        if (!FMoved)
            Platform::RemoveFile(FPath);
    }

    const fs::path& Path() const { return FPath; }

    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;

    void Write(std::string_view Bytes)
    {
        const Platform::TPiece piece{Bytes.data(), Bytes.size()};
        if (!Platform::WriteAll(FFd, {&piece, 1}))
            ThrowErrno("write");
    }

    // Gives the file the permission bits of the file it replaces. Only a
    // courtesy: where the file system keeps no such bits the call may fail,
    // and the contents are what matters.
    void CopyModeFrom(const fs::path& Target) { Platform::CopyPermissions(FFd, Target); }

    // Makes the contents durable, then renames the file over Target.
    void MoveOver(const fs::path& Target)
    {
        if (!Platform::SyncFile(FFd))
            ThrowErrno("fsync");
        const int fd = FFd;
        FFd = -1;
        if (Platform::CloseFile(fd) != 0)
            ThrowErrno("close");
        if (!Platform::MoveOver(FPath, Target))
            ThrowErrno("rename");
        FMoved = true;
    }

private:
    fs::path FPath;
    int FFd = -1;
    bool FMoved = false;
    std::unique_ptr<TRemoveOnSignal> FOnSignal; // Ctrl-C while writing leaves no file either
};

// The file a chain of symbolic links ends at, which need not exist yet (a
// link to a file still to be written is kept, and the file is created).
fs::path FollowLinks(fs::path Path)
{
    constexpr int kMaxLinks = 40; // as the system's own path lookup
    std::error_code error;
    for (int i = 0; fs::is_symlink(Path, error); ++i) {
        if (i == kMaxLinks)
            throw std::system_error(ELOOP, std::generic_category(), "symlink");
        const fs::path link = fs::read_symlink(Path);
        Path = link.is_absolute() ? link : FolderOf(Path) / link;
    }
    return Path;
}

template <class F>
void Replace(const std::string& Utf8Path, F Write)
{
    const Platform::TFileSizeLimitAsError sizeLimitFails;
    const fs::path target = FollowLinks(PathFromUtf8(Utf8Path));
    TTemporaryFile temporary(target);
    Write(temporary);
    temporary.CopyModeFrom(target);
    temporary.MoveOver(target);
    Platform::SyncFolder(FolderOf(target)); // best effort: the new file is in place
}

} // namespace

std::string FileWrittenAt(const std::string& Utf8Path)
{
    try {
        return Utf8FromPath(FollowLinks(PathFromUtf8(Utf8Path)));
    } catch (const std::system_error&) {
        return Utf8Path;
    }
}

void ReplaceFileContents(const std::string& Utf8Path, std::string_view Bytes)
{
    Replace(Utf8Path, [Bytes](TTemporaryFile& Temporary) { Temporary.Write(Bytes); });
}

void ReplaceFileWith(const std::string& Utf8Path, const std::function<void(const std::string& TemporaryPath)>& Write)
{
    Replace(Utf8Path, [&Write](TTemporaryFile& Temporary) { Write(Utf8FromPath(Temporary.Path())); });
}
