#pragma once
// Little-endian integers in byte buffers: the byte order of every file format
// Vantrel reads or writes (RIFF WAV, the voice bank). The caller guarantees
// that the buffer holds the bytes read or written.

#include <cstdint>

inline uint16_t GetLe16(const unsigned char* in)
{
    return static_cast<uint16_t>(in[0] | in[1] << 8);
}

inline uint32_t GetLe32(const unsigned char* in)
{
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
           static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

inline uint64_t GetLe64(const unsigned char* in)
{
    return GetLe32(in) | static_cast<uint64_t>(GetLe32(in + 4)) << 32;
}

inline void PutLe16(unsigned char* out, uint16_t v)
{
    out[0] = static_cast<unsigned char>(v);
    out[1] = static_cast<unsigned char>(v >> 8);
}

inline void PutLe32(unsigned char* out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(v >> (8 * i));
}

inline void PutLe64(unsigned char* out, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<unsigned char>(v >> (8 * i));
}
