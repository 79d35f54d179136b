#include "export/VBKLib.h"

#include "common/Path.h"
#include "export/CRC.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

const std::array<const char*, 10> FileErrorMessages{
    "",
    "ファイルを開けません",
    "ファイルを読めません",
    "演奏不可能なデータです",
    "ファイルが壊れています",
    "未対応の演奏データです",
    "ファイルが開かれていません",
    "データが壊れています",
    "ファイルを作成できません",
    "ファイルに書き込めません",
};

EFileError::EFileError(TFileErrorCode Code)
    : Exception(FileErrorMessages[static_cast<std::size_t>(Code)]), FErrorCode(Code)
{
}

EFileError::EFileError(TFileErrorCode Code, const std::string& FileName, int SystemError)
    : Exception(FileErrorMessages[static_cast<std::size_t>(Code)],
                SystemError == 0 ? FileName : FileName + ": " + std::strerror(SystemError)),
      FErrorCode(Code)
{
}

namespace {

// Writes every byte of the pieces, resuming after partial writes and
// interrupted calls. False when the system reports an error or writes nothing.
bool WriteAll(int fd, iovec* pieces, int count)
{
    while (count > 0) {
        const ssize_t written = ::writev(fd, pieces, count);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        auto left = static_cast<std::size_t>(written);
        while (count > 0 && left >= pieces->iov_len) {
            left -= pieces->iov_len;
            ++pieces;
            --count;
        }
        if (count > 0) {
            pieces->iov_base = static_cast<char*>(pieces->iov_base) + left;
            pieces->iov_len -= left;
        }
    }
    return true;
}

bool WriteAll(int fd, const void* data, std::size_t size)
{
    iovec piece{const_cast<void*>(data), size};
    return WriteAll(fd, &piece, 1);
}

} // namespace

TVBKLib::~TVBKLib() { Close(); }

void TVBKLib::CreateNew(const std::string& FileName, const std::string& ShownName)
{
    Close();
    FFileName = ShownName.empty() ? FileName : ShownName;
    FFileHandle = ::open(PathFromUtf8(FileName).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FFileHandle == -1)
        throw EFileError(feCreate, FFileName, errno);

    TVBKFileHeader header;
    header.magic = VBKTags[vtMagic];
    header.headerWord = 1;
    uint8_t bytes[VBKFileHeaderSize];
    EncodeFileHeader(header, bytes);
    if (!WriteAll(FFileHandle, bytes, sizeof bytes))
        FailWrite();
}

void TVBKLib::WriteChunk(const TVBKTag& Tag, const void* Data, uint32_t Size)
{
    if (FFileHandle == -1)
        throw EFileError(feNotOpened);

    TVBKChunkHeader header;
    header.tag = Tag;
    header.size = Size;
    header.crc = Size == 0 ? 0 : CalcCRC(Data, Size);
    uint8_t bytes[VBKChunkHeaderSize];
    EncodeChunkHeader(header, bytes);

    // Header and payload go out in one call; the payload is not copied.
    iovec pieces[2] = {{bytes, sizeof bytes}, {const_cast<void*>(Data), Size}};
    if (!WriteAll(FFileHandle, pieces, Size == 0 ? 1 : 2))
        FailWrite();
}

void TVBKLib::FailWrite()
{
    const int error = errno; // close may change it
    Close();
    throw EFileError(feWrite, FFileName, error);
}

int32_t TVBKLib::Position() const
{
    if (FFileHandle == -1)
        return 0;
    return static_cast<int32_t>(::lseek(FFileHandle, 0, SEEK_CUR));
}

void TVBKLib::Seek(int32_t Offset)
{
    if (FFileHandle != -1 && ::lseek(FFileHandle, static_cast<off_t>(static_cast<uint32_t>(Offset)), SEEK_SET) < 0)
        FailWrite();
}

void TVBKLib::Close()
{
    if (FFileHandle != -1) {
        ::close(FFileHandle);
        FFileHandle = -1;
    }
}
