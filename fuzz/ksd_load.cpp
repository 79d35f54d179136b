// Feeds arbitrary bytes to the list-file reader as a list file. The reader
// must load it or refuse it with the program's own exceptions; it must never
// crash, leak, print, or reach outside the files it names. Whatever it loads
// must save and load back unchanged.
//
// The work folder holds small valid WAV files, and is the current folder, so
// the seeds can name them by relative paths: "a.wav" (100 samples), "b.wav"
// (1000 samples), "empty.wav" (none) and "波形.wav" (10 samples).

#include "document/KSD.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const void* data, std::size_t size)
{
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

// A canonical 16-bit mono PCM file: the 44-byte header, then the samples.
void WriteWav(const fs::path& path, uint32_t samples)
{
    std::vector<uint8_t> bytes;
    const auto put = [&bytes](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    const auto tag = [&bytes](const char* id) { bytes.insert(bytes.end(), id, id + 4); };
    tag("RIFF"), put(36 + samples * 2, 4), tag("WAVE");
    tag("fmt "), put(16, 4), put(1, 2), put(1, 2), put(44100, 4), put(88200, 4), put(2, 2), put(16, 2);
    tag("data"), put(samples * 2, 4);
    for (uint32_t i = 0; i < samples; ++i)
        put(i * 7, 2);
    WriteFile(path, bytes.data(), bytes.size());
}

class TWorkFolder {
public:
    TWorkFolder()
        : FPath(fs::temp_directory_path() / ("vantrel-fuzz-ksd-" + std::to_string(::getpid())))
    {
        fs::create_directories(FPath);
        WriteWav(FPath / "a.wav", 100);
        WriteWav(FPath / "b.wav", 1000);
        WriteWav(FPath / "empty.wav", 0);
        WriteWav(FPath / fs::path(u8"波形.wav"), 10);
        fs::current_path(FPath);
    }
    ~TWorkFolder()
    {
        std::error_code error;
        fs::current_path(fs::temp_directory_path(), error);
        fs::remove_all(FPath, error);
    }

    std::string File(const char* name) const { return (FPath / name).string(); }

private:
    fs::path FPath;
};

struct TEntry {
    std::string Path;
    int32_t LoopStart, LoopEnd, CrossFade;
    bool operator==(const TEntry&) const = default;
};

std::vector<TEntry> Entries(const TKSD& list)
{
    std::vector<TEntry> entries;
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TWaveInfo& wave = *list.GetWave(i);
        entries.push_back({wave.FilePath(), wave.LoopStart(), wave.LoopEnd(), wave.CrossFade()});
    }
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const TWorkFolder work;
    const std::string input = work.File("input.ksd");
    WriteFile(input, data, size);

    TKSD list;
    try {
        list.LoadFromFile(input);
    } catch (const EKSDException&) {
    } catch (const ENumberFormatException&) {
    } catch (const EWaveInfoException&) {
    }
    // The waves read before any failure are a list like any other.
    const std::string saved = work.File("saved.ksd");
    list.SaveToFile(saved);
    TKSD again;
    again.LoadFromFile(saved);
    if (Entries(again) != Entries(list))
        __builtin_trap();
    return 0;
}
