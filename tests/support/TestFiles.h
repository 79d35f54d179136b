#pragma once
// Files the tests make for themselves: a private temporary folder and WAV
// files built chunk by chunk, canonical or not.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    // A path inside the folder, as a UTF-8 string.
    std::string File(const std::string& Name) const;
    // A canonical 16-bit mono WAV file in the folder, its samples Ramp(Samples);
    // returns its path.
    std::string Wav(const std::string& Name, std::size_t Samples, uint32_t Rate = 44100) const;

private:
    std::filesystem::path FPath;
};

// A RIFF/WAVE file described by its chunks, written in the order given.
struct TWavBuilder {
    struct TChunk {
        std::string Id;
        std::vector<uint8_t> Body;
        // Size written in the chunk header; the body length when negative.
        int64_t DeclaredSize = -1;
    };
    std::vector<TChunk> Chunks;
    bool PadOddChunks = true;

    static std::vector<uint8_t> Fmt(uint16_t formatTag, uint16_t channels, uint32_t rate,
                                    uint16_t bits, uint32_t extraBytes = 0);
    static std::vector<uint8_t> Samples(const std::vector<int16_t>& samples);
    // Each value as its low Bytes bytes, little-endian (8-, 24-, 32-bit PCM).
    static std::vector<uint8_t> Ints(const std::vector<int64_t>& values, int bytes);
    // A "smpl" chunk body holding Loops loops, the first one as given and
    // the others forward loops over 0..1.
    static std::vector<uint8_t> Smpl(uint32_t type, uint32_t start, uint32_t end, uint32_t loops = 1);

    TWavBuilder& Add(std::string id, std::vector<uint8_t> body, int64_t declaredSize = -1);
    std::vector<uint8_t> Bytes() const;
    void Write(const std::string& path) const;
};

// A 24-bit stereo file of Frames silent frames whose "smpl" chunk holds one
// forward loop from Start to End (inclusive, as stored).
void WriteStereo24WithLoop(const std::string& path, std::size_t frames, uint32_t start, uint32_t end);
// A 16-bit mono AIFF file of Frames silent frames whose INST chunk's sustain
// loop (PlayMode 1 forward, 2 alternating, 0 none) runs between the MARK
// chunk's markers at positions Begin and End. Without Marks the file has no
// MARK chunk; Rate80 is the COMM chunk's rate as an 80-bit extended float
// (44100 when empty).
void WriteAiffWithSustainLoop(const std::string& path, uint32_t frames, uint32_t begin, uint32_t end, uint16_t playMode = 1,
                              bool marks = true, const std::vector<uint8_t>& rate80 = {});
// A canonical 16-bit mono PCM file (44-byte header, then the samples).
void WriteWav(const std::string& path, const std::vector<int16_t>& samples, uint32_t rate = 44100);
// Samples 0, 1, 2, ... (wrapping at 16 bits) so that every position is recognisable.
std::vector<int16_t> Ramp(std::size_t count, int16_t first = 0);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);
