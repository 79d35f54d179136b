#include "export/CRC.h"

#include "common/Bytes.h"

#include <array>
#include <utility>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VANTREL_CRC_CLMUL 1
#endif

// How the checksum is computed fast.
//
// Register values are polynomials over GF(2) modulo P (the CRC-32 polynomial)
// in reflected form: bit 31 holds x^0, bit 0 holds x^31. The common reflected
// CRC register, started at I and run over n bytes of message M, ends at
//     R = I * x^(8n) + M * x^32            (mod P).
// XORing a byte into the register before shift step k of 8 equals XORing it
// shifted k places towards x^0 before step 0, so here every byte acts as if
// multiplied by G = 1 + x^-1 + ... + x^-7, which gives
//     F = I * x^(8n) + G * M * x^32 = G * (I/G * x^(8n) + M * x^32)   (mod P).
// So F is the common register run from the fixed start I/G (with I =
// 0xFFFFFFFF), multiplied by G at the end. The common register is computed
// with carry-less-multiply folding where the processor has it and by slicing
// over eight bytes otherwise; the final product by G is four table look-ups.
// Both forms are checked against the bit-by-bit definition in the tests.

namespace {

constexpr uint32_t Poly = 0xEDB88320u;
constexpr uint32_t XPow0 = 0x80000000u; // the polynomial 1

constexpr uint32_t TimesX(uint32_t a) { return (a & 1u) ? (a >> 1) ^ Poly : a >> 1; }
// The inverse of TimesX: P has a constant term, so x is invertible mod P.
constexpr uint32_t DividedByX(uint32_t a) { return (a & XPow0) ? ((a ^ Poly) << 1) | 1u : a << 1; }

constexpr uint32_t MulMod(uint32_t a, uint32_t b)
{
    uint32_t product = 0;
    for (uint32_t term = XPow0; term != 0; term >>= 1) {
        if (a & term)
            product ^= b;
        b = TimesX(b);
    }
    return product;
}

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

#define VANTREL_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

VANTREL_CLMUL_TARGET inline __m128i Load128(const unsigned char* at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// One fold step: the lane carried 128 (or 512) bits further, plus the next data.
VANTREL_CLMUL_TARGET inline __m128i Fold(__m128i lane, __m128i k, __m128i next)
{
    const __m128i a = _mm_clmulepi64_si128(lane, k, 0x00);
    const __m128i b = _mm_clmulepi64_si128(lane, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(a, b), next);
}

// The register value of one folded 128-bit lane: 128 bits to 64, then to
// 32 by Barrett reduction.
VANTREL_CLMUL_TARGET uint32_t ReduceLane(__m128i x)
{
    const __m128i fold128 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i fold64 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i barrett = _mm_set_epi64x(0x01f7011641, 0x01db710641);
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
    __m128i t = _mm_clmulepi64_si128(x, fold128, 0x10);
    x = _mm_xor_si128(_mm_srli_si128(x, 8), t);
    t = _mm_srli_si128(x, 4);
    x = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x, low32), fold64, 0x00), t);
    t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), barrett, 0x10);
    t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x00);
    x = _mm_xor_si128(x, t);
    return static_cast<uint32_t>(_mm_extract_epi32(x, 1));
}

// The common reflected register run over n bytes by carry-less-multiply
// folding: eight 128-bit lanes folded 128 bytes at a time (one lane for
// shorter input), then folded into one lane and reduced to 32 bits (Barrett).
// n >= 64 and a multiple of 16. Each constant is x^k mod P, reflected and
// shifted left by one, for a fold distance of k -/+ 32 bits; the tests check
// the result against the bit-by-bit definition.
VANTREL_CLMUL_TARGET uint32_t UpdateFolded(uint32_t r, const unsigned char* p, std::size_t n)
{
    constexpr int Lanes = 8;
    const __m128i fold8 = _mm_set_epi64x(0x014a7fe880, 0x01e88ef372); // 1024 bits
    const __m128i fold1 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0); // 128 bits

    __m128i x = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128(static_cast<int>(r)));
    if (n >= 16 * Lanes) {
        __m128i lane[Lanes];
        lane[0] = x;
        for (int i = 1; i < Lanes; ++i)
            lane[i] = Load128(p + 16 * i);
        p += 16 * Lanes;
        n -= 16 * Lanes;
        for (; n >= 16 * Lanes; p += 16 * Lanes, n -= 16 * Lanes) {
            for (int i = 0; i < Lanes; ++i)
                lane[i] = Fold(lane[i], fold8, Load128(p + 16 * i));
        }
        x = lane[0];
        for (int i = 1; i < Lanes; ++i)
            x = Fold(x, fold1, lane[i]);
    } else {
        p += 16;
        n -= 16;
    }
    for (; n >= 16; p += 16, n -= 16)
        x = Fold(x, fold1, Load128(p));

    return ReduceLane(x);
}

#define VANTREL_WIDE_TARGET __attribute__((target("avx512f,vpclmulqdq,pclmul,sse4.1")))

VANTREL_WIDE_TARGET inline __m512i Load512(const unsigned char* at) { return _mm512_loadu_si512(at); }

// Fold for 512-bit registers: each of the four 128-bit lanes of Lane carried
// K further, plus Next.
VANTREL_WIDE_TARGET inline __m512i Fold512(__m512i lane, __m512i k, __m512i next)
{
    const __m512i a = _mm512_clmulepi64_epi128(lane, k, 0x00);
    const __m512i b = _mm512_clmulepi64_epi128(lane, k, 0x11);
    return _mm512_ternarylogic_epi64(a, b, next, 0x96); // a ^ b ^ next
}

// The same as UpdateFolded with 512-bit carry-less multiplies: four 512-bit
// registers folded 256 bytes at a time, then 64 bytes at a time, then the
// four 128-bit lanes of the last register into one. n >= 256 and a multiple
// of 16.
VANTREL_WIDE_TARGET uint32_t UpdateFoldedWide(uint32_t r, const unsigned char* p, std::size_t n)
{
    const __m512i fold2048 = _mm512_set_epi64(0x01322d1430, 0x011542778a, 0x01322d1430, 0x011542778a,
                                              0x01322d1430, 0x011542778a, 0x01322d1430, 0x011542778a);
    const __m512i fold512 = _mm512_set_epi64(0x01c6e41596, 0x0154442bd4, 0x01c6e41596, 0x0154442bd4,
                                             0x01c6e41596, 0x0154442bd4, 0x01c6e41596, 0x0154442bd4);
    const __m128i fold384 = _mm_set_epi64x(0x0174359406, 0x003db1ecdc);
    const __m128i fold256 = _mm_set_epi64x(0x015a546366, 0x00f1da05aa);
    const __m128i fold128 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);

    __m512i z[4];
    z[0] = _mm512_xor_si512(Load512(p), _mm512_castsi128_si512(_mm_cvtsi32_si128(static_cast<int>(r))));
    for (int i = 1; i < 4; ++i)
        z[i] = Load512(p + 64 * i);
    p += 256;
    n -= 256;
    for (; n >= 256; p += 256, n -= 256) {
        for (int i = 0; i < 4; ++i)
            z[i] = Fold512(z[i], fold2048, Load512(p + 64 * i));
    }
    __m512i x = z[0];
    for (int i = 1; i < 4; ++i)
        x = Fold512(x, fold512, z[i]);
    for (; n >= 64; p += 64, n -= 64)
        x = Fold512(x, fold512, Load512(p));

    __m128i lanes[4];
    _mm512_storeu_si512(lanes, x);
    __m128i lane = Fold(lanes[0], fold384, lanes[3]);
    lane = _mm_xor_si128(lane, Fold(lanes[1], fold256, _mm_setzero_si128()));
    lane = _mm_xor_si128(lane, Fold(lanes[2], fold128, _mm_setzero_si128()));
    for (; n >= 16; p += 16, n -= 16)
        lane = Fold(lane, fold128, Load128(p));
    return ReduceLane(lane);
}

bool Supports(TCRCMethod Method)
{
    static const bool clmul = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    static const bool wide = clmul && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq");
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
        r = UpdateFoldedWide(r, p, folded);
        p += folded;
        n -= folded;
    } else if (Method != TCRCMethod::Tables && n >= 64) {
        r = UpdateFolded(r, p, folded);
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
