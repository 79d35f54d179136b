#include "export/CRCFold.h"

#ifdef VANTREL_CRC_CLMUL

#include "export/CRCMath.h"

#include <immintrin.h>

// How a block is folded: the block is cut into 128-bit lanes; a lane is
// carried D bits further along the message by multiplying its two 64-bit
// halves by x^(D+32) and x^(D-32) mod P and adding the products to the data
// D bits on. The last lane is reduced to the 32-bit register by Barrett
// reduction. Every constant is derived here from P and checked at compile
// time; the tests check the results against the bit-by-bit definition.

namespace CRCFold {
namespace {

using namespace CRCMath;

// x^K mod P as the carry-less multiplier expects it: reflected, shifted left by one.
constexpr uint64_t Multiplier(int K)
{
    return uint64_t{XPow(K)} << 1;
}

// The pair of multipliers that carries a lane Distance bits further.
struct TFold {
    uint64_t Low, High; // for the lane's low and high 64 bits
};
constexpr TFold FoldBy(int Distance) { return {Multiplier(Distance + 32), Multiplier(Distance - 32)}; }

constexpr TFold kFold128 = FoldBy(128), kFold256 = FoldBy(256), kFold384 = FoldBy(384), kFold512 = FoldBy(512),
                kFold1024 = FoldBy(1024), kFold2048 = FoldBy(2048);
constexpr uint64_t kFold64 = Multiplier(64);

// Barrett reduction: P with its x^32 term, and floor(x^64 / P), each as 33
// reflected bits shifted left by one (the bit order of the lanes).
constexpr uint64_t Reflect(uint64_t Value, int Bits)
{
    uint64_t reflected = 0;
    for (int i = 0; i < Bits; ++i)
        reflected |= ((Value >> i) & 1u) << (Bits - 1 - i);
    return reflected;
}
constexpr uint64_t kPNormal = (uint64_t{1} << 32) | Reflect(Poly, 32); // P, x^32 in bit 32
// Long division, one bit of the dividend x^64 at a time.
constexpr uint64_t QuotientOfX64ByP()
{
    uint64_t remainder = 0, quotient = 0;
    for (int bit = 64; bit >= 0; --bit) {
        remainder = (remainder << 1) | (bit == 64 ? 1u : 0u);
        if (remainder >> 32) {
            remainder ^= kPNormal;
            quotient |= uint64_t{1} << bit;
        }
    }
    return quotient;
}
constexpr uint64_t kBarrettPoly = Reflect(kPNormal, 33);
constexpr uint64_t kBarrettMu = Reflect(QuotientOfX64ByP(), 33);

// The carry-less product of two polynomials of degree 32 or less, in two words.
struct TWide {
    uint64_t Low, High;
};
constexpr TWide CarrylessProduct(uint64_t a, uint64_t b)
{
    TWide product{0, 0};
    for (int i = 0; i < 64; ++i) {
        if ((b >> i) & 1u) {
            product.Low ^= a << i;
            product.High ^= i == 0 ? 0 : a >> (64 - i);
        }
    }
    return product;
}
// x^64 = Mu * P + R with R of degree below 32.
static_assert([] {
    const TWide product = CarrylessProduct(Reflect(kBarrettMu, 33), kPNormal);
    return product.High == 1 && product.Low >> 32 == 0;
}());
static_assert(kBarrettPoly == ((uint64_t{Poly} << 1) | 1u));
// The multipliers agree with an independent derivation, and the one most
// often published (the 128-bit fold of CRC-32) has its known value.
static_assert(Multiplier(2080) == uint64_t{XPowBySquaring(2080)} << 1);
static_assert(Multiplier(96) == uint64_t{XPowBySquaring(96)} << 1);
static_assert(kFold128.Low == 0x1751997D0 && kFold128.High == 0x0CCAA009E);

#define VANTREL_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

VANTREL_CLMUL_TARGET inline __m128i Constants(TFold Fold)
{
    return _mm_set_epi64x(static_cast<long long>(Fold.High), static_cast<long long>(Fold.Low));
}

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
    const __m128i fold128 = Constants(kFold128);
    const __m128i fold64 = _mm_set_epi64x(0, static_cast<long long>(kFold64));
    const __m128i barrett = _mm_set_epi64x(static_cast<long long>(kBarrettMu), static_cast<long long>(kBarrettPoly));
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
// n >= 64 and a multiple of 16.
VANTREL_CLMUL_TARGET uint32_t UpdateFolded(uint32_t r, const unsigned char* p, std::size_t n)
{
    constexpr int Lanes = 8;
    const __m128i fold8 = Constants(kFold1024);
    const __m128i fold1 = Constants(kFold128);

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

// The same pair of multipliers in each 128-bit lane.
VANTREL_WIDE_TARGET inline __m512i Constants512(TFold Fold)
{
    const auto low = static_cast<long long>(Fold.Low), high = static_cast<long long>(Fold.High);
    return _mm512_set_epi64(high, low, high, low, high, low, high, low);
}

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
    const __m512i fold2048 = Constants512(kFold2048);
    const __m512i fold512 = Constants512(kFold512);
    const __m128i fold384 = Constants(kFold384);
    const __m128i fold256 = Constants(kFold256);
    const __m128i fold128 = Constants(kFold128);

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

} // namespace

bool ClmulSupported() { return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1"); }

bool WideClmulSupported() { return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq"); }

uint32_t Update(uint32_t R, const unsigned char* P, std::size_t N) { return UpdateFolded(R, P, N); }

uint32_t UpdateWide(uint32_t R, const unsigned char* P, std::size_t N) { return UpdateFoldedWide(R, P, N); }

} // namespace CRCFold

#endif
