#pragma once
// Conversions between sample indices and pixels for a view that spreads the
// samples [ViewStart, ViewEnd) over Width columns, and between sample values
// and rows. Products are formed on 64 bits: sample counts in the millions
// times widths in the thousands exceed 32 bits. The truncating forms place
// span edges and pick the sample drawn in each column; the rounding forms
// place marker and cursor lines and turn mouse positions into samples.

#include <cstdint>

// lo when v < lo, otherwise hi when v > hi, otherwise v (lo is tested first,
// so an empty range lo > hi yields lo or hi, never an error).
constexpr int64_t Clamp(int64_t v, int64_t lo, int64_t hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// Nearest integer, ties away from zero: 2.5 gives 3, -2.5 gives -3.
constexpr int64_t RoundHalfAway(long double x)
{
    return static_cast<int64_t>(x >= 0 ? x + 0.5L : x - 0.5L);
}

struct TViewMapping {
    int64_t ViewStart = 0;
    int64_t ViewEnd = 0;
    int64_t Width = 0;
    int64_t Height = 0;

    // Column of sample s, truncated toward zero; 0 for an empty span.
    constexpr int64_t SampleToX(int64_t s) const
    {
        if (ViewEnd == ViewStart)
            return 0;
        return (s - ViewStart) * Width / (ViewEnd - ViewStart);
    }

    // Column of sample s, rounded half away from zero; 0 for an empty span.
    constexpr int64_t SampleToXRound(int64_t s) const
    {
        if (ViewEnd == ViewStart)
            return 0;
        return RoundHalfAway(static_cast<long double>((s - ViewStart) * Width) /
                             static_cast<long double>(ViewEnd - ViewStart));
    }

    // Sample shown in column x, truncated toward zero; 0 for a zero width.
    // Callers keep x within a few widths of the view so the sum stays on 64 bits.
    constexpr int64_t XToSample(int64_t x) const
    {
        if (Width == 0)
            return 0;
        return (ViewStart * (Width - x) + ViewEnd * x) / Width;
    }

    // Sample nearest to column x, rounded half away from zero; 0 for a zero width.
    constexpr int64_t XToSampleRound(int64_t x) const
    {
        if (Width == 0)
            return 0;
        return RoundHalfAway(static_cast<long double>(ViewStart * (Width - x) + ViewEnd * x) /
                             static_cast<long double>(Width));
    }

    // Row of a sample value: 0 lies at Height / 2, +32767 on row 0 and
    // -32768 on row Height, just below the last row.
    constexpr int64_t SampleToY(int16_t v) const { return (32768 - int64_t{v}) * Height / 65536; }
};
