#pragma once
// The chunk checksum of voice-bank files.
//
// Defined bit by bit: the register starts at 0xFFFFFFFF; for every data byte,
// eight times: XOR the whole byte into the register, shift it right by one
// and XOR the reflected polynomial 0xEDB88320 when a 1 was shifted out. The
// result is not inverted, and an empty block gives 0. Because the byte goes
// in before every shift, this is not the common CRC-32 and a library CRC-32
// gives other values ("abc" -> 0x0C5498F2, "123456789" -> 0x57E3F37C).
//
// The routines here compute exactly that value at memory speed (see CRC.cpp);
// they are pure and may run on any thread.

#include <cstddef>
#include <cstdint>

// The checksum of Length bytes at Data (Data is not read when Length is 0).
uint32_t CalcCRC(const void* Data, std::size_t Length);

// The ways of computing it, all giving the same value. CalcCRC uses the
// fastest the processor supports; the others are public so that tests and
// benchmarks can check and time each of them on any machine.
enum class TCRCMethod {
    Tables,    // slicing over eight bytes with lookup tables; everywhere
    Clmul,     // carry-less-multiply folding in 128-bit registers
    WideClmul, // the same in 512-bit registers
};
bool CRCMethodSupported(TCRCMethod Method);
// CalcCRC computed with Method, or with Tables where Method is not supported.
uint32_t CalcCRCWith(TCRCMethod Method, const void* Data, std::size_t Length);

// The same checksum over a block that arrives in pieces: Add the pieces in
// order, then read Value. Value equals CalcCRC over their concatenation.
class TCRCStream {
public:
    TCRCStream();
    void Add(const void* Data, std::size_t Length);
    uint32_t Value() const;

private:
    uint32_t FRegister;
    bool FEmpty = true;
};
