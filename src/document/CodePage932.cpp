#include "document/CodePage932.h"

#include <array>
#include <cstdint>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

namespace CodePage932 {
namespace {

constexpr char32_t kNoChar = 0xFFFFFFFF;
constexpr uint16_t kNoBytes = 0xFFFF; // no CP932 sequence has this value

#include "document/CodePage932Table.inc"

// The code page as lookup tables, built once from the tables above, the
// same on every platform. Read-only after construction, so any thread may
// use it.
struct TTables {
    std::array<char32_t, 0x100> Single;
    std::array<bool, 0x100> Lead{};
    std::vector<char32_t> Double = std::vector<char32_t>(0x10000, kNoChar); // [lead << 8 | trail]
    std::vector<uint16_t> Encoded = std::vector<uint16_t>(0x10000, kNoBytes); // BMP -> bytes
};

void FillDecoding(TTables& tables)
{
    for (unsigned b = 0; b < 0x100; ++b)
        tables.Single[b] = kSingleBytes[b];
    for (std::size_t row = 0; row < std::size(kLeadBytes); ++row) {
        const unsigned lead = kLeadBytes[row];
        tables.Lead[lead] = true;
        for (unsigned i = 0; i < std::size(kDoubleBytes[row]); ++i)
            if (kDoubleBytes[row][i] != 0)
                tables.Double[lead << 8 | (i + 0x40)] = kDoubleBytes[row][i];
    }
}

// Each character is written as the first bytes that decode to it, single
// bytes first, then pairs in byte order, except where the table of
// exceptions says otherwise.
void FillEncoding(TTables& tables)
{
    auto offer = [&](char32_t c, unsigned bytes) {
        if (c <= 0xFFFF && tables.Encoded[c] == kNoBytes)
            tables.Encoded[c] = static_cast<uint16_t>(bytes);
    };
    for (unsigned b = 0; b < 0x100; ++b)
        if (tables.Single[b] != kNoChar)
            offer(tables.Single[b], b);
    for (unsigned pair = 0; pair < 0x10000; ++pair)
        if (tables.Double[pair] != kNoChar)
            offer(tables.Double[pair], pair);
    for (const auto& [c, bytes] : kEncodingExceptions)
        tables.Encoded[c] = bytes;
}

std::unique_ptr<TTables> BuildTables()
{
    auto tables = std::make_unique<TTables>();
    tables->Single.fill(kNoChar);
    FillDecoding(*tables);
    FillEncoding(*tables);
    return tables;
}

const TTables& Tables()
{
    static const std::unique_ptr<TTables> tables = BuildTables();
    return *tables;
}

} // namespace

bool Available() { return true; }

int Decode(const unsigned char* Bytes, std::size_t Size, char32_t& Char)
{
    const TTables& tables = Tables();
    const unsigned char lead = Bytes[0];
    if (tables.Single[lead] != kNoChar) {
        Char = tables.Single[lead];
        return 1;
    }
    if (!tables.Lead[lead])
        return -1;
    if (Size < 2)
        return 0;
    const char32_t c = tables.Double[lead << 8 | Bytes[1]];
    if (c == kNoChar)
        return -1;
    Char = c;
    return 2;
}

int Encode(char32_t Char, unsigned char Out[2])
{
    if (Char > 0xFFFF)
        return 0;
    const uint16_t bytes = Tables().Encoded[Char];
    if (bytes == kNoBytes)
        return 0;
    if (bytes < 0x100) {
        Out[0] = static_cast<unsigned char>(bytes);
        return 1;
    }
    Out[0] = static_cast<unsigned char>(bytes >> 8);
    Out[1] = static_cast<unsigned char>(bytes & 0xFF);
    return 2;
}

} // namespace CodePage932
