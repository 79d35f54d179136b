#pragma once
// TVBKLib: the chunk writer of voice-bank files. It creates a file, writes
// its 16-byte file header and appends tagged chunks (chunk header with the
// payload's size and checksum, then the payload). It can report and move the
// write position, so that its user can go back and rewrite a chunk of the
// same size in place. It knows nothing of what the chunks contain.
//
// File errors are EFileError, whose message is always the table entry of its
// code; its detail names the file and the system's reason. A file left
// behind by a failure is not deleted: it keeps every byte written before the
// failure.

#include "common/Exception.h"
#include "export/VBKHead.h"

#include <array>
#include <cstdint>
#include <string>

enum TFileErrorCode : int32_t {
    feNone = 0,
    feOpen = 1,
    feRead = 2,
    feUnplayable = 3,
    feBroken = 4,
    feUnsupported = 5,
    feNotOpened = 6, // WriteChunk without an open file
    feDataBroken = 7,
    feCreate = 8, // CreateNew could not create the file
    feWrite = 9,  // a header or payload write failed
};

extern const std::array<const char*, 10> FileErrorMessages;

class EFileError : public Exception {
public:
    explicit EFileError(TFileErrorCode Code);
    // With the detail "<FileName>: <the system's text for SystemError>"
    // (the file name alone when SystemError is 0).
    EFileError(TFileErrorCode Code, const std::string& FileName, int SystemError);
    int32_t ErrorCode() const noexcept { return FErrorCode; }

private:
    int32_t FErrorCode;
};

class TVBKLib {
public:
    TVBKLib() = default;
    ~TVBKLib(); // closes the file if one is open; writes nothing
    TVBKLib(const TVBKLib&) = delete;
    TVBKLib& operator=(const TVBKLib&) = delete;

    // Creates (or truncates) FileName for reading and writing and writes the
    // file header "VBK0", 1, ten zero bytes. A file still open is closed
    // first. EFileError feCreate when the file cannot be created (the writer
    // stays closed); feWrite when the header cannot be written (the file is
    // closed and left as it is). Errors name ShownName when it is given (the
    // file a temporary FileName is to replace), else FileName.
    void CreateNew(const std::string& FileName, const std::string& ShownName = {});

    // Writes one chunk at the current position: its header, whose checksum
    // covers the Size bytes at Data (0 for an empty payload), then the
    // payload itself, straight from Data. After Seek to an earlier chunk's
    // header this overwrites that chunk; the caller keeps the size the same.
    // EFileError feNotOpened without an open file; feWrite when the write
    // fails, after which the file is closed.
    void WriteChunk(const TVBKTag& Tag, const void* Data, uint32_t Size);

    // The write position from the start of the file; 0 when no file is open.
    // Positions are 32-bit: the callers keep files below 2^31 bytes.
    int32_t Position() const;
    // Moves the write position to Offset (read as unsigned) from the start
    // of the file. EFileError feWrite when the file cannot seek (a pipe, a
    // terminal), after which the file is closed.
    void Seek(int32_t Offset);
    void Close();
    bool IsOpen() const { return FFileHandle != -1; }

private:
    [[noreturn]] void FailWrite(); // closes the file, raises feWrite with errno's reason

    int FFileHandle = -1; // POSIX file descriptor; -1 when no file is open
    std::string FFileName; // of the open file, for error details
};
