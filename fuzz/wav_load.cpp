// Feeds arbitrary bytes to the WAV reader through a file. The reader must
// either load the file or refuse it with its own exception; it must never
// crash, leak or read past the samples it holds.

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
    // Touch every sample the reader claims to hold.
    int64_t sum = 0;
    for (int32_t i = 0; i < wave.SampleCount(); ++i)
        sum += wave.Data()[static_cast<std::size_t>(i)];
    if (wave.Data().size() != static_cast<std::size_t>(wave.SampleCount()) || wave.ViewEnd() != wave.SampleCount())
        __builtin_trap();
    return sum == 42 ? 0 : 0;
}
