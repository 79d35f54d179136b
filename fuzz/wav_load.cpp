// Feeds arbitrary bytes to the reader through a file: its own 16-bit mono
// WAV path, the converting path through libsndfile for every other shape
// (the seeds hold one file of each), and the "smpl" loop. The reader must
// either load the file or refuse it with its own exception; it must never
// crash, leak or read past the samples it holds, and a loop taken from the
// file must lie inside the wave.

#include "document/WaveInfo.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const std::string& InputPath()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("vantrel-fuzz-wav-" + std::to_string(::getpid()) + ".wav"))
            .string();
    return path;
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
    return sum == 42 ? 0 : 0;
}
