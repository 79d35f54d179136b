// Writes src/document/CodePage932Table.inc, the code page 932 tables the
// program carries, from the C library's iconv converter (glibc's CP932
// follows the Windows mapping, including its choice among duplicate codes).
// Run through scripts/generate-cp932-table; a test checks that the file in
// the repository is what this program writes.
//
// The file holds the decoding tables and, for encoding, only where the
// converter differs from "the first bytes that decode to the character"
// (the order CodePage932.cpp scans in): a duplicate it writes differently,
// or a character it does not write back at all.

#include <iconv.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t kNoChar = 0xFFFFFFFF;
constexpr uint32_t kNoBytes = 0xFFFF;

struct TIconvCloser {
    void operator()(void* handle) const noexcept { iconv_close(static_cast<iconv_t>(handle)); }
};
using TIconv = std::unique_ptr<void, TIconvCloser>;

TIconv OpenIconv(const char* to, const char* from)
{
    iconv_t handle = iconv_open(to, from);
    return TIconv(handle == reinterpret_cast<iconv_t>(-1) ? nullptr : handle);
}

// Converts one whole sequence; false unless all of In became Out.
bool Convert(const TIconv& converter, const char* in, std::size_t inSize, char* out, std::size_t& outSize)
{
    iconv(static_cast<iconv_t>(converter.get()), nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in);
    char* outPtr = out;
    std::size_t inLeft = inSize;
    std::size_t outLeft = outSize;
    const std::size_t result = iconv(static_cast<iconv_t>(converter.get()), &inPtr, &inLeft, &outPtr, &outLeft);
    outSize -= outLeft;
    return result != static_cast<std::size_t>(-1) && inLeft == 0;
}

uint32_t Decode(const TIconv& decoder, const unsigned char* bytes, std::size_t size)
{
    char out[8];
    std::size_t outSize = sizeof out;
    if (!Convert(decoder, reinterpret_cast<const char*>(bytes), size, out, outSize) || outSize != 4)
        return kNoChar;
    const auto* u = reinterpret_cast<const unsigned char*>(out);
    return uint32_t(u[0]) | uint32_t(u[1]) << 8 | uint32_t(u[2]) << 16 | uint32_t(u[3]) << 24;
}

// The converter's bytes for C, or kNoBytes.
uint32_t Encode(const TIconv& encoder, uint32_t c)
{
    const char in[4] = {char(c & 0xFF), char(c >> 8 & 0xFF), char(c >> 16 & 0xFF), 0};
    unsigned char out[4];
    std::size_t outSize = sizeof out;
    if (!Convert(encoder, in, 4, reinterpret_cast<char*>(out), outSize))
        return kNoBytes;
    if (outSize == 1)
        return out[0];
    return outSize == 2 ? uint32_t(out[0]) << 8 | out[1] : kNoBytes;
}

} // namespace

int main()
{
    const TIconv decoder = OpenIconv("UTF-32LE", "CP932");
    const TIconv encoder = OpenIconv("CP932", "UTF-32LE");
    if (!decoder || !encoder) {
        std::fprintf(stderr, "no CP932 converter\n");
        return 1;
    }
    std::array<uint32_t, 0x100> single;
    for (unsigned b = 0; b < 0x100; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        single[b] = Decode(decoder, &byte, 1);
    }
    // Decoding of each lead byte's trail bytes 0x40..0xFF; 0 where none.
    std::map<unsigned, std::array<uint16_t, 0xC0>> rows;
    for (unsigned lead = 0x81; lead < 0x100; ++lead) {
        if (single[lead] != kNoChar)
            continue;
        std::array<uint16_t, 0xC0> row{};
        bool any = false;
        for (unsigned trail = 0x40; trail < 0x100; ++trail) {
            const unsigned char pair[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            const uint32_t c = Decode(decoder, pair, 2);
            if (c == kNoChar)
                continue;
            if (c == 0 || c > 0xFFFF) {
                std::fprintf(stderr, "unexpected character U+%X\n", c);
                return 1;
            }
            row[trail - 0x40] = static_cast<uint16_t>(c);
            any = true;
        }
        if (any)
            rows[lead] = row;
    }

    // Encoding as the program derives it, then the converter's differences.
    std::vector<uint32_t> derived(0x10000, kNoBytes);
    std::vector<std::pair<uint32_t, uint32_t>> order; // character, bytes
    for (unsigned b = 0; b < 0x100; ++b)
        if (single[b] != kNoChar && single[b] <= 0xFFFF)
            order.emplace_back(single[b], b);
    for (const auto& [lead, row] : rows)
        for (unsigned i = 0; i < row.size(); ++i)
            if (row[i] != 0)
                order.emplace_back(row[i], lead << 8 | (i + 0x40));
    for (const auto& [c, bytes] : order)
        if (derived[c] == kNoBytes)
            derived[c] = bytes;
    std::vector<std::pair<uint32_t, uint32_t>> exceptions;
    for (uint32_t c = 0; c < 0x10000; ++c) {
        if (derived[c] == kNoBytes)
            continue;
        uint32_t bytes = Encode(encoder, c);
        // Only bytes that decode back to the character count.
        const uint32_t back = bytes == kNoBytes ? kNoChar
                              : bytes < 0x100 ? single[bytes]
                              : rows.count(bytes >> 8) && (bytes & 0xFF) >= 0x40
                                  ? (rows[bytes >> 8][(bytes & 0xFF) - 0x40] ? rows[bytes >> 8][(bytes & 0xFF) - 0x40] : kNoChar)
                                  : kNoChar;
        if (back != c)
            bytes = kNoBytes;
        if (bytes != derived[c])
            exceptions.emplace_back(c, bytes);
    }

    std::printf("// Code page 932 as glibc's iconv converter maps it. Generated by\n"
                "// tools/GenerateCodePage932Table.cpp (scripts/generate-cp932-table); do not edit.\n\n");
    std::printf("// The character of each single byte; 0xFFFFFFFF where the byte is none\n"
                "// (a lead byte or unused).\n");
    std::printf("constexpr uint32_t kSingleBytes[0x100] = {\n");
    for (unsigned b = 0; b < 0x100; ++b)
        std::printf("%s0x%X,%s", b % 16 ? " " : "    ", single[b], b % 16 == 15 ? "\n" : "");
    std::printf("};\n\n// The lead bytes of two-byte characters, and for each the character of\n"
                "// trail bytes 0x40..0xFF in that order; 0 where the pair is none.\n");
    std::printf("constexpr unsigned char kLeadBytes[%zu] = {", rows.size());
    unsigned n = 0;
    for (const auto& entry : rows)
        std::printf("%s0x%X", n++ ? ", " : "", entry.first);
    std::printf("};\nconstexpr char16_t kDoubleBytes[%zu][0xC0] = {\n", rows.size());
    for (const auto& [lead, row] : rows) {
        for (unsigned i = 0; i < row.size(); ++i) {
            if (i == 0)
                std::printf("    /* 0x%X */ {", lead);
            else
                std::printf(i % 48 ? ", " : ",\n                ");
            std::printf("0x%X", row[i]);
        }
        std::printf("},\n");
    }
    std::printf("};\n\n// Characters not written as the first bytes that decode to them: the\n"
                "// bytes written instead, or 0xFFFF for a character never written.\n");
    std::printf("constexpr std::pair<char16_t, uint16_t> kEncodingExceptions[%zu] = {\n", exceptions.size());
    for (std::size_t i = 0; i < exceptions.size(); ++i)
        std::printf("%s{0x%X, 0x%X},%s", i % 8 ? " " : "    ", exceptions[i].first, exceptions[i].second,
                    i % 8 == 7 || i + 1 == exceptions.size() ? "\n" : "");
    std::printf("};\n");
    return 0;
}
