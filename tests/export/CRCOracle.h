#pragma once
// The voice-bank checksum exactly as defined, bit by bit: the oracle that the
// fast routine is checked against. Slow on purpose; tests and benchmarks only.

#include <cstddef>
#include <cstdint>

inline uint32_t BitwiseCRC(const unsigned char* data, std::size_t length)
{
    if (length == 0)
        return 0;
    uint32_t r = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < length; ++i) {
        for (int step = 0; step < 8; ++step) {
            r ^= data[i];
            const bool out = r & 1u;
            r >>= 1;
            if (out)
                r ^= 0xEDB88320u;
        }
    }
    return r;
}
