#pragma once
// The Japanese Windows code page (CP932): one character at a time, in both
// directions. List files are stored in it, so that they open unchanged in the
// Windows program that shares the format.
//
// Encoding is exact: a character is encoded only when decoding the bytes
// gives that same character back. Characters the code page maps one way only
// (U+301C WAVE DASH and U+2212 MINUS SIGN read back as their fullwidth forms,
// for instance) count as not representable, so a caller can write them in
// another form instead of silently changing a path. Where the code page holds
// a character twice (the NEC and IBM extension rows), the bytes chosen are the
// ones Windows writes. The mapping is the same on every platform: bytes
// 0x80, 0xA0 and 0xFD..0xFF are no character.

#include <cstddef>
#include <cstdint>

namespace CodePage932 {

// The tables are built into the program, so this is always true; kept for
// callers written when they came from the system's converter.
bool Available();

// Decodes the character at the start of Bytes (Size > 0). Returns the number
// of bytes it takes (1 or 2) and sets Char; 0 when Size is too short for the
// lead byte at Bytes[0]; -1 when the bytes are no CP932 character.
int Decode(const unsigned char* Bytes, std::size_t Size, char32_t& Char);

// Encodes Char into Out. Returns the number of bytes written (1 or 2), or 0
// when CP932 cannot hold Char exactly.
int Encode(char32_t Char, unsigned char Out[2]);

} // namespace CodePage932
