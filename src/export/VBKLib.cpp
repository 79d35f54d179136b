#include "export/VBKLib.h"

#include "common/Path.h"
#include "common/Platform.h"
#include "export/CRC.h"

#include <cerrno>
#include <cstring>

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

TVBKLib::~TVBKLib() { Close(); }

void TVBKLib::CreateNew(const std::string& FileName, const std::string& ShownName)
{
    Close();
    FFileName = ShownName.empty() ? FileName : ShownName;
    FFileHandle = Platform::OpenForWriting(PathFromUtf8(FileName), false);
    if (FFileHandle == -1)
        throw EFileError(feCreate, FFileName, errno);

    TVBKFileHeader header;
    header.magic = VBKTags[vtMagic];
    header.headerWord = 1;
    uint8_t bytes[VBKFileHeaderSize];
    EncodeFileHeader(header, bytes);
    const Platform::TPiece piece{bytes, sizeof bytes};
    if (!Platform::WriteAll(FFileHandle, {&piece, 1}))
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
    const Platform::TPiece pieces[2] = {{bytes, sizeof bytes}, {Data, Size}};
    if (!Platform::WriteAll(FFileHandle, std::span(pieces, Size == 0 ? 1 : 2)))
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
    return static_cast<int32_t>(Platform::SeekFile(FFileHandle, 0, SEEK_CUR));
}

void TVBKLib::Seek(int32_t Offset)
{
    if (FFileHandle != -1 && Platform::SeekFile(FFileHandle, static_cast<uint32_t>(Offset), SEEK_SET) < 0)
        FailWrite();
}

void TVBKLib::Close()
{
    if (FFileHandle != -1) {
        Platform::CloseFile(FFileHandle);
        FFileHandle = -1;
    }
}
