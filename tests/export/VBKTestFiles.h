#pragma once
// Helpers of the export tests: wave lists built from WAV files in a temporary
// folder, and voice-bank files assembled independently of the exporter.

#include "document/KSD.h"
#include "export/CRCOracle.h"
#include "export/VBKReader.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

// The samples of wave index of the bank file Bank, as it holds them.
inline std::vector<int16_t> BankSamples(const std::string& Bank, std::size_t Index)
{
    const std::vector<uint8_t> bytes = ReadBytes(Bank);
    const TVBKWave wave = ReadVBKFile(Bank).Waves.at(Index);
    std::vector<int16_t> samples(wave.SampleCount);
    std::memcpy(samples.data(), bytes.data() + wave.Offset + 16, samples.size() * 2);
    return samples;
}

// Writes a WAV file of `samples` ramp samples and appends it to list with
// the given loop.
inline TWaveInfo& AddTestWave(TKSD& list, const TTempDir& dir, const std::string& name, std::size_t samples,
                              uint32_t rate = 44100, int32_t loopStart = 0, int32_t loopEnd = 0)
{
    const std::string path = dir.File(name);
    WriteWav(path, Ramp(samples, static_cast<int16_t>(list.Count() * 1000)), rate);
    list.AddWave(path);
    TWaveInfo& wave = *list.GetWave(list.Count() - 1);
    wave.SetLoopStart(loopStart);
    wave.SetLoopEnd(loopEnd);
    return wave;
}

inline void PutLe(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline uint32_t GetLe32(const std::vector<uint8_t>& bytes, std::size_t at)
{
    return static_cast<uint32_t>(bytes.at(at)) | static_cast<uint32_t>(bytes.at(at + 1)) << 8 |
           static_cast<uint32_t>(bytes.at(at + 2)) << 16 | static_cast<uint32_t>(bytes.at(at + 3)) << 24;
}

inline void SetLe32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(at + static_cast<std::size_t>(i)) = static_cast<uint8_t>(value >> (8 * i));
}

// A chunk as the format defines it, with the bit-by-bit checksum.
inline void PutChunk(std::vector<uint8_t>& out, const std::string& tag, const std::vector<uint8_t>& payload)
{
    out.insert(out.end(), tag.begin(), tag.end());
    PutLe(out, payload.size(), 4);
    PutLe(out, BitwiseCRC(payload.data(), payload.size()), 4);
    PutLe(out, 0, 4);
    out.insert(out.end(), payload.begin(), payload.end());
}

inline std::vector<uint8_t> FileHeaderBytes()
{
    std::vector<uint8_t> out(16, 0);
    const uint8_t start[] = {'V', 'B', 'K', '0', 1};
    std::copy(std::begin(start), std::end(start), out.begin());
    return out;
}

// Recomputes the checksum of the chunk whose header is at `at` after a test
// changed its payload, so that only the intended fault remains.
inline void FixChecksum(std::vector<uint8_t>& bytes, std::size_t at)
{
    const uint32_t size = GetLe32(bytes, at + 4);
    SetLe32(bytes, at + 8, BitwiseCRC(bytes.data() + at + 16, size));
}
