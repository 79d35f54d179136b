// Feeds arbitrary bytes to the reader through a file: its own 16-bit mono
// WAV path, the converting path through libsndfile for every other shape
// (the seeds hold one file of each), and the "smpl" loop. The reader must
// either load the file or refuse it with its own exception; it must never
// crash, leak or read past the samples it holds, and a loop taken from the
// file must lie inside the wave. A small wave it loads is exported, whatever
// its header claims, and the bank must verify.

#include "document/KSD.h"
#include "document/WaveInfo.h"
#include "export/VBKFile.h"
#include "export/VBKReader.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::string TempPath(const char* Extension)
{
    return (std::filesystem::temp_directory_path() / ("vantrel-fuzz-wav-" + std::to_string(::getpid()) + Extension))
        .string();
}

const std::string& InputPath()
{
    static const std::string path = TempPath(".wav");
    return path;
}

// Writing large waves would make every such input slow.
constexpr int32_t kMaxExportedSamples = 1 << 16;

void ExportAndVerify()
{
    static const std::string bank = TempPath(".vbk");
    TKSD list;
    list.AddWave(InputPath());
    ExportBank(list, bank);
    ReadVBKFile(bank);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (std::FILE* f = std::fopen(InputPath().c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    TWaveInfo wave;
    try {
        wave.LoadFromFile(InputPath());
    } catch (const EWaveInfoException&) {
        return 0;
    }
    // The array must hold exactly the samples claimed; touch both ends of it
    // (a whole 2 GB wave of zeros would make every such input take seconds).
    const std::size_t count = static_cast<std::size_t>(wave.SampleCount());
    if (wave.Data().size() != count || wave.ViewEnd() != wave.SampleCount())
        __builtin_trap();
    wave.UseStoredLoop();
    if (wave.LoopEnd() != 0 && (wave.LoopStart() >= wave.LoopEnd() || wave.LoopEnd() > wave.SampleCount()))
        __builtin_trap();
    int64_t sum = 0;
    for (std::size_t i = 0; i < count && i < 4096; ++i)
        sum += wave.Data()[i] + wave.Data()[count - 1 - i];
    if (count <= static_cast<std::size_t>(kMaxExportedSamples))
        ExportAndVerify();
    return sum == 42 ? 0 : 0;
}
