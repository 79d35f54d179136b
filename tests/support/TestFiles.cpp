#include "support/TestFiles.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace {

void PutLe16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

} // namespace

TTempDir::TTempDir()
{
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    FPath = std::filesystem::temp_directory_path() /
            ("vantrel-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
             std::to_string(random()));
    std::filesystem::create_directories(FPath);
}

TTempDir::~TTempDir()
{
    std::error_code error;
    std::filesystem::remove_all(FPath, error);
}

std::string TTempDir::File(const std::string& Name) const
{
    // Joined as text: a name need not be valid UTF-8 (tests of bytes that
    // no path can hold), and Windows cannot convert such a name.
    const std::u8string folder = FPath.u8string();
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    std::string path(folder.begin(), folder.end());
    if (!path.empty() && path.back() != separator)
        path += separator;
    std::string name = Name; // "a/b.wav" names a file one folder down, with the system's separator
    std::replace(name.begin(), name.end(), '/', separator);
    return path + name;
}

std::string TTempDir::Wav(const std::string& Name, std::size_t Samples, uint32_t Rate) const
{
    const std::string path = File(Name);
    WriteWav(path, Ramp(Samples), Rate);
    return path;
}

std::vector<uint8_t> TWavBuilder::Fmt(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits,
                                      uint32_t extraBytes)
{
    std::vector<uint8_t> body;
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    PutLe16(body, formatTag);
    PutLe16(body, channels);
    PutLe32(body, rate);
    PutLe32(body, rate * align);
    PutLe16(body, align);
    PutLe16(body, bits);
    body.resize(body.size() + extraBytes, 0);
    return body;
}

std::vector<uint8_t> TWavBuilder::Samples(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> body;
    body.reserve(samples.size() * 2);
    for (int16_t s : samples)
        PutLe16(body, static_cast<uint16_t>(s));
    return body;
}

std::vector<uint8_t> TWavBuilder::Ints(const std::vector<int64_t>& values, int bytes)
{
    std::vector<uint8_t> body;
    for (const int64_t v : values)
        for (int i = 0; i < bytes; ++i)
            body.push_back(static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i)));
    return body;
}

std::vector<uint8_t> TWavBuilder::Smpl(uint32_t type, uint32_t start, uint32_t end, uint32_t loops)
{
    std::vector<uint8_t> body(28, 0);
    PutLe32(body, loops);
    PutLe32(body, 0); // sampler data
    for (uint32_t i = 0; i < loops; ++i)
        for (const uint32_t field : {i, i == 0 ? type : 0u, i == 0 ? start : 0u, i == 0 ? end : 1u, 0u, 0u})
            PutLe32(body, field);
    return body;
}

TWavBuilder& TWavBuilder::Add(std::string id, std::vector<uint8_t> body, int64_t declaredSize)
{
    Chunks.push_back({std::move(id), std::move(body), declaredSize});
    return *this;
}

std::vector<uint8_t> TWavBuilder::Bytes() const
{
    std::vector<uint8_t> out{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const TChunk& chunk : Chunks) {
        out.insert(out.end(), chunk.Id.begin(), chunk.Id.end());
        PutLe32(out, static_cast<uint32_t>(chunk.DeclaredSize >= 0 ? chunk.DeclaredSize
                                                                   : static_cast<int64_t>(chunk.Body.size())));
        out.insert(out.end(), chunk.Body.begin(), chunk.Body.end());
        if (PadOddChunks && chunk.Body.size() % 2 == 1)
            out.push_back(0);
    }
    const uint32_t riffSize = static_cast<uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
    return out;
}

void TWavBuilder::Write(const std::string& path) const { WriteBytes(path, Bytes()); }

void WriteStereo24WithLoop(const std::string& path, std::size_t frames, uint32_t start, uint32_t end)
{
    TWavBuilder()
        .Add("fmt ", TWavBuilder::Fmt(1, 2, 44100, 24))
        .Add("data", TWavBuilder::Ints(std::vector<int64_t>(2 * frames, 0), 3))
        .Add("smpl", TWavBuilder::Smpl(0, start, end))
        .Write(path);
}

void WriteAiffWithSustainLoop(const std::string& path, uint32_t frames, uint32_t begin, uint32_t end, uint16_t playMode,
                              bool marks, const std::vector<uint8_t>& rate80)
{
    std::vector<uint8_t> body;
    body.reserve(128 + 2 * std::size_t{frames});
    body.insert(body.end(), {'A', 'I', 'F', 'F'});
    const auto be = [&](uint64_t value, int bytes) {
        for (int i = bytes - 1; i >= 0; --i)
            body.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    const auto chunk = [&](const char* id, uint32_t size) {
        body.insert(body.end(), id, id + 4);
        be(size, 4);
    };
    chunk("COMM", 18);
    be(1, 2);
    be(frames, 4);
    be(16, 2);
    if (rate80.size() == 10) {
        body.insert(body.end(), rate80.begin(), rate80.end());
    } else {
        be(0x400EAC44, 4); // 44100 as an 80-bit extended float
        be(0, 6);
    }
    if (marks) {
        chunk("MARK", 2 + 2 * 8);
        be(2, 2);
        for (const uint32_t position : {begin, end}) {
            be(position == begin ? 1 : 2, 2); // marker id
            be(position, 4);
            be(0, 2); // empty name, padded
        }
    }
    chunk("INST", 20);
    be(0x3C00007F, 4); // base note, detune, low and high note
    be(0x007F, 2);     // velocities
    be(0, 2);          // gain
    be(playMode, 2);
    be(0x00010002, 4); // sustain loop from marker 1 to marker 2
    be(0, 6);          // no release loop
    chunk("SSND", 8 + 2 * frames);
    be(0, 8);
    body.resize(body.size() + 2 * std::size_t{frames}, 0);
    std::vector<uint8_t> file{'F', 'O', 'R', 'M'};
    for (int i = 3; i >= 0; --i)
        file.push_back(static_cast<uint8_t>(body.size() >> (8 * i)));
    file.insert(file.end(), body.begin(), body.end());
    WriteBytes(path, file);
}

void WriteWav(const std::string& path, const std::vector<int16_t>& samples, uint32_t rate)
{
    TWavBuilder().Add("fmt ", TWavBuilder::Fmt(1, 1, rate, 16)).Add("data", TWavBuilder::Samples(samples)).Write(path);
}

std::vector<int16_t> Ramp(std::size_t count, int16_t first)
{
    std::vector<int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint16_t>(first) + i);
    return samples;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write test file " + path);
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
