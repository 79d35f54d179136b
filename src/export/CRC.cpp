#include "export/CRC.h"

#include "common/Bytes.h"
#include "export/CRCFold.h"
#include "export/CRCMath.h"

#include <array>
#include <utility>

// How the checksum is computed fast.
//
// Register values are polynomials over GF(2) modulo P (see CRCMath.h). The
// common reflected CRC register, started at I and run over n bytes of
// message M, ends at
//     R = I * x^(8n) + M * x^32            (mod P).
// XORing a byte into the register before shift step k of 8 equals XORing it
// shifted k places towards x^0 before step 0, so here every byte acts as if
// multiplied by G = 1 + x^-1 + ... + x^-7, which gives
//     F = I * x^(8n) + G * M * x^32 = G * (I/G * x^(8n) + M * x^32)   (mod P).
// So F is the common register run from the fixed start I/G (with I =
// 0xFFFFFFFF), multiplied by G at the end. The common register is computed
// with carry-less-multiply folding where the processor has it (CRCFold.cpp)
// and by slicing over eight bytes otherwise; the final product by G is four
// table look-ups.
// Both forms are checked against the bit-by-bit definition in the tests.

namespace {

using namespace CRCMath;

constexpr uint32_t MakeSpread()
{
    uint32_t term = XPow0;
    uint32_t sum = XPow0;
    for (int k = 1; k < 8; ++k) {
        term = DividedByX(term);
        sum ^= term;
    }
    return sum;
}
constexpr uint32_t Spread = MakeSpread(); // G

// The s with G * s = Target, by Gaussian elimination on the linear map s -> G * s.
constexpr uint32_t DivideBySpread(uint32_t Target)
{
    std::array<uint32_t, 32> image{};
    std::array<uint32_t, 32> source{};
    for (int j = 0; j < 32; ++j) {
        source[j] = 1u << j;
        image[j] = MulMod(Spread, source[j]);
    }
    int row = 0;
    for (int bit = 31; bit >= 0; --bit) {
        const uint32_t mask = 1u << bit;
        int pivot = row;
        while (pivot < 32 && !(image[pivot] & mask))
            ++pivot;
        if (pivot == 32)
            continue;
        std::swap(image[row], image[pivot]);
        std::swap(source[row], source[pivot]);
        for (int j = 0; j < 32; ++j) {
            if (j != row && (image[j] & mask)) {
                image[j] ^= image[row];
                source[j] ^= source[row];
            }
        }
        ++row;
    }
    uint32_t result = 0;
    for (int r = 0; r < row; ++r) {
        if (Target & image[r])
            result ^= source[r];
    }
    return result;
}

constexpr uint32_t Start = DivideBySpread(0xFFFFFFFFu);
static_assert(MulMod(Spread, Start) == 0xFFFFFFFFu, "G must be invertible mod P");

struct TTables {
    // Slice[k][b]: the common register step for byte b followed by k zero bytes.
    std::array<std::array<uint32_t, 256>, 8> Slice{};
    // BySpread[k][b]: G * (b << 8k), so G * r is the XOR over the bytes of r.
    std::array<std::array<uint32_t, 256>, 4> BySpread{};
};

constexpr TTables MakeTables()
{
    TTables t;
    for (uint32_t b = 0; b < 256; ++b) {
        uint32_t r = b;
        for (int i = 0; i < 8; ++i)
            r = TimesX(r);
        t.Slice[0][b] = r;
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (std::size_t b = 0; b < 256; ++b) {
            const uint32_t prev = t.Slice[k - 1][b];
            t.Slice[k][b] = (prev >> 8) ^ t.Slice[0][prev & 0xFF];
        }
    }
    for (uint32_t k = 0; k < 4; ++k) {
        for (uint32_t b = 0; b < 256; ++b)
            t.BySpread[k][b] = MulMod(Spread, b << (8 * k));
    }
    return t;
}
constexpr TTables Tables = MakeTables();

// The common reflected register run over n bytes, eight at a time.
uint32_t UpdateSliced(uint32_t r, const unsigned char* p, std::size_t n)
{
    const auto& s = Tables.Slice;
    for (; n >= 8; p += 8, n -= 8) {
        const uint32_t lo = GetLe32(p) ^ r;
        const uint32_t hi = GetLe32(p + 4);
        r = s[7][lo & 0xFF] ^ s[6][(lo >> 8) & 0xFF] ^ s[5][(lo >> 16) & 0xFF] ^ s[4][lo >> 24] ^
            s[3][hi & 0xFF] ^ s[2][(hi >> 8) & 0xFF] ^ s[1][(hi >> 16) & 0xFF] ^ s[0][hi >> 24];
    }
    for (; n > 0; ++p, --n)
        r = (r >> 8) ^ s[0][(r ^ *p) & 0xFF];
    return r;
}

#ifdef VANTREL_CRC_CLMUL

bool Supports(TCRCMethod Method)
{
    static const bool clmul = CRCFold::ClmulSupported();
    static const bool wide = clmul && CRCFold::WideClmulSupported();
    switch (Method) {
    case TCRCMethod::Tables:
        return true;
    case TCRCMethod::Clmul:
        return clmul;
    case TCRCMethod::WideClmul:
        return wide;
    }
    return false;
}

#else

bool Supports(TCRCMethod Method) { return Method == TCRCMethod::Tables; }

#endif

TCRCMethod FastestMethod()
{
    static const TCRCMethod fastest = Supports(TCRCMethod::WideClmul) ? TCRCMethod::WideClmul
                                      : Supports(TCRCMethod::Clmul)   ? TCRCMethod::Clmul
                                                                      : TCRCMethod::Tables;
    return fastest;
}

// The common register run over n bytes with Method (one the processor supports).
uint32_t Update(TCRCMethod Method, uint32_t r, const unsigned char* p, std::size_t n)
{
#ifdef VANTREL_CRC_CLMUL
    const std::size_t folded = n & ~std::size_t{15};
    if (Method == TCRCMethod::WideClmul && n >= 256) {
        r = CRCFold::UpdateWide(r, p, folded);
        p += folded;
        n -= folded;
    } else if (Method != TCRCMethod::Tables && n >= 64) {
        r = CRCFold::Update(r, p, folded);
        p += folded;
        n -= folded;
    }
#else
    (void)Method;
#endif
    return UpdateSliced(r, p, n);
}

uint32_t SpreadOf(uint32_t r)
{
    const auto& g = Tables.BySpread;
    return g[0][r & 0xFF] ^ g[1][(r >> 8) & 0xFF] ^ g[2][(r >> 16) & 0xFF] ^ g[3][r >> 24];
}

} // namespace

TCRCStream::TCRCStream() : FRegister(Start) {}

void TCRCStream::Add(const void* Data, std::size_t Length)
{
    if (Length == 0)
        return;
    FRegister = Update(FastestMethod(), FRegister, static_cast<const unsigned char*>(Data), Length);
    FEmpty = false;
}

uint32_t TCRCStream::Value() const { return FEmpty ? 0 : SpreadOf(FRegister); }

uint32_t CalcCRC(const void* Data, std::size_t Length)
{
    TCRCStream crc;
    crc.Add(Data, Length);
    return crc.Value();
}

bool CRCMethodSupported(TCRCMethod Method) { return Supports(Method); }

uint32_t CalcCRCWith(TCRCMethod Method, const void* Data, std::size_t Length)
{
    if (Length == 0)
        return 0;
    if (!Supports(Method))
        Method = TCRCMethod::Tables;
    return SpreadOf(Update(Method, Start, static_cast<const unsigned char*>(Data), Length));
}
