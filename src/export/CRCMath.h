#pragma once
// Arithmetic on checksum registers, at compile time or run time.
//
// A register value is a polynomial over GF(2) modulo P (the CRC-32
// polynomial) in reflected form: bit 31 holds x^0, bit 0 holds x^31. The
// fast ways of computing the checksum (CRC.cpp, CRCFold.cpp) take their
// tables and constants from here.

#include <cstdint>

namespace CRCMath {

inline constexpr uint32_t Poly = 0xEDB88320u; // P without its x^32 term, reflected
inline constexpr uint32_t XPow0 = 0x80000000u; // the polynomial 1

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

// x^k mod P, one multiplication by x at a time.
constexpr uint32_t XPow(int k)
{
    uint32_t a = XPow0;
    for (int i = 0; i < k; ++i)
        a = TimesX(a);
    return a;
}

// x^k mod P again, by repeated squaring: an independent derivation that the
// constants are checked against at compile time.
constexpr uint32_t XPowBySquaring(int k)
{
    uint32_t result = XPow0;
    uint32_t square = TimesX(XPow0);
    for (; k > 0; k >>= 1) {
        if (k & 1)
            result = MulMod(result, square);
        square = MulMod(square, square);
    }
    return result;
}

} // namespace CRCMath
