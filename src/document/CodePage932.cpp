#include "document/CodePage932.h"

#include <iconv.h>

#include <array>
#include <memory>
#include <vector>

namespace CodePage932 {
namespace {

constexpr char32_t kNoChar = 0xFFFFFFFF;
constexpr uint16_t kNoBytes = 0xFFFF; // no CP932 sequence has this value

// The code page as tables, filled once from the system's iconv converter,
// whose CP932 follows the Windows mapping (including its choice among
// duplicate codes). Read-only after construction, so any thread may use it.
struct TTables {
    std::array<char32_t, 0x100> Single;
    std::array<bool, 0x100> Lead{};
    std::vector<char32_t> Double = std::vector<char32_t>(0x10000, kNoChar); // [lead << 8 | trail]
    std::vector<uint16_t> Encoded = std::vector<uint16_t>(0x10000, kNoBytes); // BMP -> bytes
    bool Loaded = false;

    TTables() { Single.fill(kNoChar); }
};

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
bool Convert(const TIconv& converter, const char* in, std::size_t inSize, char* out,
             std::size_t& outSize)
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

char32_t DecodeWith(const TIconv& decoder, const unsigned char* bytes, std::size_t size)
{
    char out[8];
    std::size_t outSize = sizeof out;
    if (!Convert(decoder, reinterpret_cast<const char*>(bytes), size, out, outSize) || outSize != 4)
        return kNoChar;
    const auto* u = reinterpret_cast<const unsigned char*>(out);
    return char32_t(u[0]) | char32_t(u[1]) << 8 | char32_t(u[2]) << 16 | char32_t(u[3]) << 24;
}

void FillDecoding(TTables& tables, const TIconv& decoder)
{
    for (unsigned b = 0; b < 0x100; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        tables.Single[b] = DecodeWith(decoder, &byte, 1);
    }
    for (unsigned lead = 0x81; lead < 0x100; ++lead) {
        if (tables.Single[lead] != kNoChar)
            continue;
        for (unsigned trail = 0x40; trail < 0x100; ++trail) {
            const unsigned char pair[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            const char32_t c = DecodeWith(decoder, pair, 2);
            tables.Double[lead << 8 | trail] = c;
            if (c != kNoChar)
                tables.Lead[lead] = true;
        }
    }
}

// Asks the encoder for every character the code page decodes to, and keeps
// the answer only where it decodes back to the same character.
void FillEncoding(TTables& tables, const TIconv& encoder)
{
    auto tryEncode = [&](char32_t c) {
        if (c > 0xFFFF || tables.Encoded[c] != kNoBytes)
            return;
        const char in[4] = {char(c & 0xFF), char(c >> 8 & 0xFF), char(c >> 16 & 0xFF), 0};
        unsigned char out[4];
        std::size_t outSize = sizeof out;
        if (!Convert(encoder, in, 4, reinterpret_cast<char*>(out), outSize))
            return;
        char32_t back = kNoChar;
        if (outSize == 1)
            back = tables.Single[out[0]];
        else if (outSize == 2)
            back = tables.Double[out[0] << 8 | out[1]];
        if (back == c)
            tables.Encoded[c] = static_cast<uint16_t>(outSize == 1 ? out[0] : out[0] << 8 | out[1]);
    };
    for (char32_t c : tables.Single)
        if (c != kNoChar)
            tryEncode(c);
    for (char32_t c : tables.Double)
        if (c != kNoChar)
            tryEncode(c);
}

std::unique_ptr<TTables> BuildTables()
{
    auto tables = std::make_unique<TTables>();
    const TIconv decoder = OpenIconv("UTF-32LE", "CP932");
    const TIconv encoder = OpenIconv("CP932", "UTF-32LE");
    if (decoder && encoder) {
        FillDecoding(*tables, decoder);
        FillEncoding(*tables, encoder);
        tables->Loaded = true;
    }
    return tables;
}

const TTables& Tables()
{
    static const std::unique_ptr<TTables> tables = BuildTables();
    return *tables;
}

} // namespace

bool Available() { return Tables().Loaded; }

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
