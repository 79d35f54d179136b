// Feeds short arbitrary waves, rates (0 among them) and requests to the loop
// finder, as the window and the command-line tool make them. Each request
// must either give loops or refuse with the finder's own exception; it must
// never crash or trip a sanitizer. Every loop found lies inside the wave,
// starts after sample 0, is not empty and has a cost between 0 and 2.
//
// Input: rate (4 bytes), request kind (1), start and target end (4 each),
// radius and minimum length in ms (4-byte floats), count (1), then the
// samples (16-bit, little-endian).

#include "loop/LoopFinder.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Longer waves only make each run slower; short ones reach every path (a
// few level frames, struck and sustained sounds, windows longer than the
// wave at high rates), and at the CI gate of 1,000 runs a minute.
constexpr std::size_t kMaxSamples = 1 << 7;
constexpr std::size_t kHeaderBytes = 4 + 1 + 4 + 4 + 4 + 4 + 1;

struct TReader {
    const uint8_t* Data;
    std::size_t Offset = 0;
    template <class T>
    T Take()
    {
        T value;
        std::memcpy(&value, Data + Offset, sizeof value);
        Offset += sizeof value;
        return value;
    }
};

void Check(bool Condition)
{
    if (!Condition)
        std::abort();
}

void CheckFound(const TFoundLoops& Found, std::size_t Samples)
{
    Check(!Found.Loops.empty());
    for (const TLoopCandidate& loop : Found.Loops) {
        Check(loop.Start > 0 && loop.Start < loop.End && static_cast<std::size_t>(loop.End) <= Samples);
        Check(loop.Cost >= 0 && loop.Cost <= 2);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, std::size_t Size)
{
    if (Size < kHeaderBytes)
        return 0;
    TReader in{Data};
    const auto rate = in.Take<int32_t>();
    const auto kind = in.Take<uint8_t>();
    const auto start = in.Take<int32_t>();
    const auto end = in.Take<int32_t>();
    const auto radiusMs = static_cast<double>(in.Take<float>());
    const auto minLengthMs = static_cast<double>(in.Take<float>());
    TLoopRequest request;
    request.Count = in.Take<uint8_t>() % 8 + 1;
    if (std::isfinite(minLengthMs) && minLengthMs >= 0 && kind & 0x80)
        request.MinLengthMs = minLengthMs;

    std::vector<int16_t> samples(std::min((Size - kHeaderBytes) / 2, kMaxSamples));
    std::memcpy(samples.data(), Data + kHeaderBytes, samples.size() * 2);
    const TLoopFinder finder(samples, rate);
    try {
        switch (kind % 6) {
        case 0: CheckFound(finder.WholeWave(request), samples.size()); break;
        case 1: CheckFound(finder.LoopsIn(start, end, request), samples.size()); break;
        case 2: CheckFound(finder.BestEnds(start, request), samples.size()); break;
        case 3: CheckFound(finder.BestEndsNear(start, end, radiusMs, request), samples.size()); break;
        case 4: {
            const TSeamMeasure measure = finder.Measure(start, end);
            Check(measure.Cost >= 0 && measure.Cost <= 2);
            break;
        }
        default: finder.Snap(start, end, kind / 6 % 2 == 0); break;
        }
    } catch (const ELoopFinderError&) {
        // A refusal with the finder's own reason is a fine answer.
    }
    return 0;
}
