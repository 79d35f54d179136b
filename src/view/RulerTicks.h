#pragma once
// The labelled ticks of a time ruler over the samples [Start, End) of a wave
// of Rate samples per second: a step of 1, 2 or 5 times a power of ten, in
// seconds or in samples, the smallest that leaves at least MinGapPixels
// between labels across Width pixels. Every tick is a whole multiple of the
// step, so the labels stay put while the span scrolls.

#include <cstdint>
#include <string>
#include <vector>

enum class TTimeUnit { Seconds, Samples };

struct TRulerTick {
    int64_t Sample; // where the tick lies (rounded to the nearest sample)
    std::string Label;
};

std::vector<TRulerTick> RulerTicks(int64_t Start, int64_t End, int64_t Width, int64_t Rate, TTimeUnit Unit,
                                   int64_t MinGapPixels);

// A position or a length in Unit: samples as a whole number, seconds with
// three decimals (milliseconds).
std::string TimeText(int64_t Samples, int64_t Rate, TTimeUnit Unit);
