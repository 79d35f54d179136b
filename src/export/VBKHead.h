#pragma once
// The layout of a voice-bank (VBK) file, shared by its writer and its reader.
//
// A file is a 16-byte file header followed by chunks with no padding between
// them. Each chunk is a 16-byte chunk header (tag, payload size, checksum of
// the payload, reserved word) and then its payload. Every number is
// little-endian; the records below are encoded and decoded byte by byte, so
// their in-memory layout never reaches the file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// A chunk tag or the file magic: four ASCII characters, the first at the
// lowest offset.
using TVBKTag = std::array<char, 4>;

// Indexes into VBKTags.
enum TVBKTagIndex : int {
    vtNone = 0,  // four zero bytes, a placeholder
    vtMagic = 1, // "VBK0", the file header's magic
    vtCtrl = 2,  // "CTRL", the control record
    vtTone = 3,  // "TONE", one tone record per wave
    vtWave = 4,  // "WAVE", one wave's samples
    vtName = 5,  // "NAME", one name record per wave
    vtTerm = 6,  // "TERM", the empty last chunk
};

inline constexpr std::array<TVBKTag, 7> VBKTags{{
    {'\0', '\0', '\0', '\0'},
    {'V', 'B', 'K', '0'},
    {'C', 'T', 'R', 'L'},
    {'T', 'O', 'N', 'E'},
    {'W', 'A', 'V', 'E'},
    {'N', 'A', 'M', 'E'},
    {'T', 'E', 'R', 'M'},
}};

// Encoded sizes in bytes.
inline constexpr std::size_t VBKFileHeaderSize = 16;
inline constexpr std::size_t VBKChunkHeaderSize = 16;
inline constexpr std::size_t VBKCtrlSize = 16;
inline constexpr std::size_t VBKToneSize = 24;
inline constexpr std::size_t VBKNameSize = 68;

// A tone record holds the sample rate as its distance from this rate.
inline constexpr int32_t VBKBaseRate = 44100;

// The file header: magic "VBK0", headerWord 1, ten reserved zero bytes.
struct TVBKFileHeader {
    TVBKTag magic{};
    uint16_t headerWord = 0;
    std::array<uint8_t, 10> reserved{};
};

// The chunk header. crc is the checksum (CalcCRC) of the size payload bytes.
struct TVBKChunkHeader {
    TVBKTag tag{};
    uint32_t size = 0;
    uint32_t crc = 0;
    uint32_t reserved = 0;
};

// The payload of "CTRL".
struct TVBKCtrl {
    uint16_t ctrlWord = 0; // always 1
    uint16_t reserved1 = 0;
    int32_t waveCount = 0; // waves, tone records, name records and "WAVE" chunks
    uint64_t reserved2 = 0;
};

// One record of "TONE": wave i of the list.
struct TVBKTone {
    uint32_t waveOffset = 0; // file offset of the header of this wave's "WAVE" chunk
    uint16_t toneWord = 0;   // always 1
    uint16_t loopFlag = 0;   // 1 when the wave loops
    int32_t rateOffset = 0;  // sample rate in Hz minus VBKBaseRate
    uint32_t reserved = 0;
    int32_t loopStart = 0; // sample indexes; both 0 without a loop
    int32_t loopEnd = 0;
};

// One record of "NAME": reserved space, written as zeros.
using TVBKName = std::array<uint8_t, VBKNameSize>;

// Encoders write exactly the record's encoded size at Out; decoders read it at In.
void EncodeFileHeader(const TVBKFileHeader& Header, uint8_t* Out);
void EncodeChunkHeader(const TVBKChunkHeader& Header, uint8_t* Out);
void EncodeCtrl(const TVBKCtrl& Ctrl, uint8_t* Out);
void EncodeTone(const TVBKTone& Tone, uint8_t* Out);
TVBKFileHeader DecodeFileHeader(const uint8_t* In);
TVBKChunkHeader DecodeChunkHeader(const uint8_t* In);
TVBKCtrl DecodeCtrl(const uint8_t* In);
TVBKTone DecodeTone(const uint8_t* In);

// A tag as text for messages: printable ASCII as it is, other bytes as \xNN.
std::string TagText(const TVBKTag& Tag);
