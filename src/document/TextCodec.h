#pragma once
// The text codec of the list file: UTF-8 one character at a time, and the
// CP932 encoding handler that libxml2 uses for documents declared Shift_JIS.
//
// The handler converts between CP932 and UTF-8 in chunks, the way libxml2
// calls it: each call stops where its input or output runs out and reports
// how much it consumed and produced; a character cut off by the end of the
// chunk waits for the next call. Bytes that are no character (decoding) and
// characters CP932 cannot hold (encoding) are reported to libxml2, which
// fails the parse or writes the character as a character reference.

#include <cstddef>

namespace TextCodec {

// Decodes one UTF-8 character at In (Size > 0). Returns its length, 0 when
// the sequence is cut off by the end of the input, -1 when it is malformed
// (overlong, surrogate, beyond U+10FFFF, stray continuation byte).
int DecodeUtf8(const unsigned char* In, std::size_t Size, char32_t& Char);

// Encodes Char (at most U+10FFFF) as UTF-8 into Out; returns its length.
int EncodeUtf8(char32_t Char, unsigned char Out[4]);

// Registers the CP932 handler with libxml2 under "SHIFT_JIS" and the other
// names a document may give the code page. Registered handlers come before
// libxml2's own iconv lookup, whose SHIFT_JIS lacks the Windows extensions.
// Call once, after xmlInitParser and only when CodePage932::Available().
void RegisterCp932Handler();

} // namespace TextCodec
