#include "InstrumentSamples.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::vector<uint8_t> ReadBytes(const std::filesystem::path& Path)
{
    std::ifstream file(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t Le(const std::vector<uint8_t>& Bytes, std::size_t At, int Size)
{
    if (At + static_cast<std::size_t>(Size) > Bytes.size())
        throw std::runtime_error("instrument file cut short");
    uint32_t value = 0;
    for (int i = Size - 1; i >= 0; --i)
        value = value << 8 | Bytes[At + static_cast<std::size_t>(i)];
    return value;
}

struct TChunk {
    std::size_t Data = 0;
    std::size_t Size = 0;
};

// The chunk with Id inside From .. To, descending into LIST chunks.
bool FindChunk(const std::vector<uint8_t>& Bytes, std::size_t From, std::size_t To, const char* Id, TChunk& Found)
{
    while (From + 8 <= To) {
        const std::size_t size = Le(Bytes, From + 4, 4);
        const std::size_t data = From + 8;
        if (std::memcmp(&Bytes[From], Id, 4) == 0) {
            Found = {data, std::min(size, To - data)};
            return true;
        }
        if (std::memcmp(&Bytes[From], "LIST", 4) == 0 && FindChunk(Bytes, data + 4, std::min(To, data + size), Id, Found))
            return true;
        From = data + size + (size & 1);
    }
    return false;
}

} // namespace

std::vector<TInstrumentSample> ReadSoundFontSamples(const std::string& Path)
{
    if (!std::filesystem::exists(Path))
        return {};
    const std::vector<uint8_t> bytes = ReadBytes(Path);
    TChunk smpl, shdr;
    if (bytes.size() < 12 || !FindChunk(bytes, 12, bytes.size(), "smpl", smpl) ||
        !FindChunk(bytes, 12, bytes.size(), "shdr", shdr))
        throw std::runtime_error("not a SoundFont: " + Path);
    constexpr std::size_t kRecord = 46;
    constexpr uint32_t kMono = 1;
    std::vector<TInstrumentSample> samples;
    for (std::size_t at = shdr.Data; at + 2 * kRecord <= shdr.Data + shdr.Size; at += kRecord) {
        const uint32_t start = Le(bytes, at + 20, 4), end = Le(bytes, at + 24, 4);
        const uint32_t loopStart = Le(bytes, at + 28, 4), loopEnd = Le(bytes, at + 32, 4);
        if (Le(bytes, at + 44, 2) != kMono || !(start < loopStart && loopStart < loopEnd && loopEnd <= end) ||
            smpl.Data + 2 * std::size_t{end} > smpl.Data + smpl.Size)
            continue;
        TInstrumentSample& sample = samples.emplace_back();
        sample.Name = std::string(reinterpret_cast<const char*>(&bytes[at]), strnlen(reinterpret_cast<const char*>(&bytes[at]), 20));
        sample.Rate = static_cast<int32_t>(Le(bytes, at + 36, 4));
        for (uint32_t i = start; i < end; ++i)
            sample.Samples.push_back(static_cast<int16_t>(Le(bytes, smpl.Data + 2 * std::size_t{i}, 2)));
        sample.LoopStart = static_cast<int32_t>(loopStart - start);
        sample.LoopEnd = static_cast<int32_t>(loopEnd - start);
    }
    return samples;
}

namespace {

// The waves of one patch: a 239-byte header (file, instrument and layer
// headers), then for each wave a 96-byte header and its data.
void ReadPatch(const std::filesystem::path& Path, std::vector<TInstrumentSample>& Samples)
{
    const std::vector<uint8_t> bytes = ReadBytes(Path);
    if (bytes.size() < 239 || std::memcmp(bytes.data(), "GF1PATCH", 8) != 0)
        throw std::runtime_error("not a patch: " + Path.string());
    constexpr uint32_t k16Bit = 1, kUnsigned = 2, kLooping = 4, kPingPong = 8, kReverse = 16;
    const uint32_t waves = Le(bytes, 85, 2);
    std::size_t at = 239;
    for (uint32_t w = 0; w < waves; ++w) {
        const uint32_t size = Le(bytes, at + 8, 4), loopStart = Le(bytes, at + 12, 4), loopEnd = Le(bytes, at + 16, 4);
        const uint32_t modes = Le(bytes, at + 55, 1);
        const std::size_t data = at + 96;
        at = data + size;
        const uint32_t width = modes & k16Bit ? 2 : 1;
        if ((modes & (kLooping | kPingPong | kReverse)) != kLooping || !(loopStart < loopEnd && loopEnd <= size) ||
            loopStart / width == 0 || at > bytes.size())
            continue;
        TInstrumentSample& sample = Samples.emplace_back();
        sample.Name = Path.parent_path().filename().string() + "/" + Path.stem().string() + "#" + std::to_string(w);
        sample.Rate = static_cast<int32_t>(Le(bytes, data - 96 + 20, 2));
        const uint32_t flip = modes & kUnsigned ? (width == 2 ? 0x8000u : 0x80u) : 0u;
        for (std::size_t i = 0; i + width <= size; i += width) {
            const uint32_t raw = Le(bytes, data + i, static_cast<int>(width)) ^ flip;
            sample.Samples.push_back(static_cast<int16_t>(width == 2 ? raw : raw << 8));
        }
        sample.LoopStart = static_cast<int32_t>(loopStart / width);
        sample.LoopEnd = static_cast<int32_t>(loopEnd / width);
    }
}

} // namespace

std::vector<TInstrumentSample> ReadPatchSamples(const std::string& Folder)
{
    if (!std::filesystem::is_directory(Folder))
        return {};
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Folder))
        if (entry.path().extension() == ".pat")
            paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    std::vector<TInstrumentSample> samples;
    for (const auto& path : paths)
        ReadPatch(path, samples);
    return samples;
}

namespace {

double At(const TInstrumentSample& Sound, int64_t I)
{
    return I >= 0 && I < static_cast<int64_t>(Sound.Samples.size()) ? Sound.Samples[static_cast<std::size_t>(I)] : 0.0;
}

double MeanSquare(const TInstrumentSample& Sound, int64_t From, int64_t To)
{
    double sum = 0;
    for (int64_t i = From; i < To; ++i)
        sum += At(Sound, i) * At(Sound, i);
    return To > From ? sum / static_cast<double>(To - From) : 0.0;
}

int32_t SamplesIn(double Ms, int32_t Rate)
{
    return std::max(1, static_cast<int32_t>(std::lround(Ms * Rate / 1000)));
}

double LoudestFrame(const TInstrumentSample& Sound)
{
    const int32_t frame = SamplesIn(20, Sound.Rate);
    const auto count = static_cast<int64_t>(Sound.Samples.size());
    double loudest = MeanSquare(Sound, 0, std::min<int64_t>(frame, count));
    for (int64_t from = 0; from + frame <= count; from += std::max(1, frame / 2))
        loudest = std::max(loudest, MeanSquare(Sound, from, from + frame));
    return loudest;
}

} // namespace

double JoinMismatch(const TInstrumentSample& Sound, int32_t Start, int32_t End)
{
    const double level = MeanSquare(Sound, Start, End);
    if (End <= Start || level <= 0 || level < 0.25 * LoudestFrame(Sound))
        return kNoAnswer;
    double worst = 0;
    for (const double ms : {2.0, 10.0}) {
        const int32_t w = SamplesIn(ms, Sound.Rate);
        double diff = 0;
        for (int32_t k = -w; k < 0; ++k)
            diff += (At(Sound, End + k) - At(Sound, Start + k)) * (At(Sound, End + k) - At(Sound, Start + k));
        worst = std::max(worst, std::sqrt(diff / w / level));
    }
    return worst;
}
