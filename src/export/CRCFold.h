#pragma once
// The processor-specific part of the checksum: the common reflected CRC-32
// register run over a block by carry-less-multiply folding, on x86-64 with
// GCC or Clang. VANTREL_CRC_CLMUL says whether it is there at all; the
// Supported functions say whether this processor can run it. The results
// equal the table-driven way in CRC.cpp.

#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VANTREL_CRC_CLMUL 1

namespace CRCFold {

bool ClmulSupported();     // 128-bit carry-less multiply (and SSE4.1)
bool WideClmulSupported(); // the same in 512-bit registers (AVX-512)

// The register R run over N bytes at P: N >= 64 and a multiple of 16.
uint32_t Update(uint32_t R, const unsigned char* P, std::size_t N);
// The same with 512-bit registers: N >= 256 and a multiple of 16.
uint32_t UpdateWide(uint32_t R, const unsigned char* P, std::size_t N);

} // namespace CRCFold

#endif
