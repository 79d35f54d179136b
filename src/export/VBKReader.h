#pragma once
// Reads a voice-bank file and verifies everything its format fixes, so that
// build scripts and tests can trust a file or learn its first fault:
//   - the file header ("VBK0", headerWord 1, reserved bytes zero);
//   - every chunk's framing: header and payload inside the file, reserved
//     word zero, checksum equal to CalcCRC over the payload;
//   - the chunk order "CTRL", "TONE", "NAME", one "WAVE" per wave, "TERM",
//     and nothing after "TERM";
//   - the control record (ctrlWord 1, reserved zero, at least one wave);
//   - payload sizes: 16 for "CTRL", 24 per wave for "TONE", 68 per wave for
//     "NAME", an even size for "WAVE", 0 for "TERM";
//   - each tone record: waveOffset at its own "WAVE" chunk, toneWord 1,
//     reserved zero, loopFlag 0 or 1, both loop fields 0 without a loop, and
//     with a loop both inside the wave (start 1 .. samples - 1, end 1 .. samples).
// The first fault raises EVBKReaderException with a precise reason, such as
// "chunk TONE at offset 48: checksum 0x00000000 expected 0x1344B4AA" (the
// value stored in the file, then the value the payload gives).
//
// Memory use grows with the chunks the file holds, never with a size read
// from it: every size is checked against the file's length before it is
// trusted, and every payload is checksummed in blocks of at most 1 MiB (a
// sparse file can claim gigabytes it does not hold).

#include "common/Exception.h"
#include "export/VBKHead.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

VANTREL_DECLARE_EXCEPTION(EVBKReaderException);

// One chunk as found in the file.
struct TVBKChunk {
    uint64_t Offset = 0; // of the chunk header; the payload follows 16 bytes later
    TVBKChunkHeader Header;
};

// One wave as the tone table and its "WAVE" chunk describe it.
struct TVBKWave {
    uint64_t Offset = 0;      // of its "WAVE" chunk header
    int32_t Rate = 0;         // in Hz: rateOffset + 44100
    uint32_t SampleCount = 0; // payload size / 2
    bool Loops = false;
    int32_t LoopStart = 0;
    int32_t LoopEnd = 0;
};

struct TVBKContents {
    uint64_t FileSize = 0;
    TVBKFileHeader Header;
    std::vector<TVBKChunk> Chunks; // in file order, "TERM" last
    TVBKCtrl Ctrl;
    std::vector<TVBKTone> Tones; // the records as stored, in list order
    std::vector<TVBKWave> Waves; // the same waves, decoded, in list order
};

// Reads and verifies the file FileName. Throws EVBKReaderException with the
// first fault after "FileName: ", or "ファイル「%s」を開けません" when no
// regular file can be read there.
TVBKContents ReadVBKFile(const std::string& FileName);

// The same for a file held in memory.
TVBKContents ReadVBK(const void* Data, std::size_t Size);
