#include "document/TextCodec.h"

#include "document/CodePage932.h"

#include <libxml/encoding.h>

#include <cstring>

namespace TextCodec {

int DecodeUtf8(const unsigned char* in, std::size_t size, char32_t& c)
{
    const unsigned char lead = in[0];
    int length;
    char32_t min;
    if (lead < 0x80) {
        c = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, c = lead & 0x07;
    } else {
        return -1;
    }
    for (int i = 1; i < length; ++i) {
        if (static_cast<std::size_t>(i) >= size)
            return 0;
        if ((in[i] & 0xC0) != 0x80)
            return -1;
        c = c << 6 | (in[i] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return -1;
    return length;
}

int EncodeUtf8(char32_t c, unsigned char out[4])
{
    if (c < 0x80) {
        out[0] = static_cast<unsigned char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | c >> 6);
        out[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<unsigned char>(0xE0 | c >> 12);
        out[1] = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<unsigned char>(0xF0 | c >> 18);
    out[1] = static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
    out[3] = static_cast<unsigned char>(0x80 | (c & 0x3F));
    return 4;
}

namespace {

// -2 marks bytes that are no character (decoding) or a character CP932
// cannot hold (encoding), with *inlen up to it.

// One conversion loop for both directions: Decode reads one character from
// the input (bytes used, 0 when cut off, < 0 for no character), Encode writes
// it (bytes written, 0 when the target cannot hold it).
template <typename TDecode, typename TEncode>
int Transcode(unsigned char* out, int* outlen, const unsigned char* in, int* inlen, TDecode Decode, TEncode Encode)
{
    const std::size_t inSize = in ? static_cast<std::size_t>(*inlen) : 0;
    const std::size_t outSize = static_cast<std::size_t>(*outlen);
    std::size_t i = 0, o = 0;
    int result = 0;
    while (i < inSize) {
        char32_t c;
        const int used = Decode(in + i, inSize - i, c);
        if (used < 0)
            result = -2;
        if (used <= 0)
            break;
        unsigned char bytes[4];
        const int length = Encode(c, bytes);
        if (length == 0) {
            result = -2;
            break;
        }
        if (o + static_cast<std::size_t>(length) > outSize)
            break;
        std::memcpy(out + o, bytes, static_cast<std::size_t>(length));
        o += static_cast<std::size_t>(length);
        i += static_cast<std::size_t>(used);
    }
    *inlen = static_cast<int>(i);
    *outlen = static_cast<int>(o);
    return result < 0 ? result : static_cast<int>(o);
}

int Cp932ToUtf8(unsigned char* out, int* outlen, const unsigned char* in, int* inlen)
{
    return Transcode(out, outlen, in, inlen, CodePage932::Decode, EncodeUtf8);
}

int Utf8ToCp932(unsigned char* out, int* outlen, const unsigned char* in, int* inlen)
{
    return Transcode(out, outlen, in, inlen, DecodeUtf8, CodePage932::Encode);
}

// The names a document may give this code page in its declaration.
constexpr const char* kCp932Aliases[] = {"SHIFT-JIS", "SJIS", "MS_KANJI", "CSSHIFTJIS",
                                          "WINDOWS-31J", "CSWINDOWS31J", "CP932", "MS932"};

} // namespace

void RegisterCp932Handler()
{
    xmlNewCharEncodingHandler("SHIFT_JIS", Cp932ToUtf8, Utf8ToCp932);
    for (const char* alias : kCp932Aliases)
        xmlAddEncodingAlias("SHIFT_JIS", alias);
}

} // namespace TextCodec
