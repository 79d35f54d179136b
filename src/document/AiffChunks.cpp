#include "document/AiffChunks.h"

#include "common/Platform.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <vector>

namespace {

uint16_t Be16(const unsigned char* In) { return static_cast<uint16_t>(In[0] << 8 | In[1]); }
uint32_t Be32(const unsigned char* In)
{
    return uint32_t{In[0]} << 24 | uint32_t{In[1]} << 16 | uint32_t{In[2]} << 8 | In[3];
}

// Chunks larger than this hold no markers or instrument worth reading.
constexpr uint32_t kMaxMetadataChunk = 1 << 20;

// The MARK chunk's markers: id to position. A marker cut off by the chunk's
// end ends the table.
std::map<uint16_t, uint32_t> ParseMarkers(const std::vector<unsigned char>& Body)
{
    std::map<uint16_t, uint32_t> markers;
    if (Body.size() < 2)
        return markers;
    const uint16_t count = Be16(Body.data());
    std::size_t at = 2;
    for (uint16_t i = 0; i < count && at + 7 <= Body.size(); ++i) {
        const uint16_t id = Be16(&Body[at]);
        const uint32_t position = Be32(&Body[at + 2]);
        const std::size_t name = 1 + Body[at + 6]; // a Pascal string, padded to an even length
        markers.emplace(id, position);
        at += 6 + name + (name & 1u);
    }
    return markers;
}

} // namespace

double ExtendedValue(std::span<const unsigned char, 10> Bytes)
{
    const bool negative = (Bytes[0] & 0x80) != 0;
    const int exponent = (Bytes[0] & 0x7F) << 8 | Bytes[1];
    uint64_t mantissa = 0;
    for (int i = 2; i < 10; ++i)
        mantissa = mantissa << 8 | Bytes[static_cast<std::size_t>(i)];
    double value;
    if (exponent == 0x7FFF) // the integer bit aside, a zero fraction is infinity
        value = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::quiet_NaN();
    else
        value = std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    return negative ? -value : value;
}

std::optional<TAiffChunks> ReadAiffChunks(std::FILE* File)
{
    unsigned char header[12];
    if (!Platform::SeekStream(File, 0, SEEK_SET) || std::fread(header, 1, sizeof header, File) != sizeof header ||
        std::memcmp(header, "FORM", 4) != 0 ||
        (std::memcmp(header + 8, "AIFF", 4) != 0 && std::memcmp(header + 8, "AIFC", 4) != 0))
        return std::nullopt;

    TAiffChunks chunks;
    std::optional<std::map<uint16_t, uint32_t>> markers;
    std::optional<std::vector<unsigned char>> instrument;
    unsigned char chunk[8];
    while (std::fread(chunk, 1, sizeof chunk, File) == sizeof chunk) {
        const uint32_t size = Be32(chunk + 4);
        const int64_t body = Platform::StreamPosition(File);
        const bool wanted = std::memcmp(chunk, "COMM", 4) == 0 || std::memcmp(chunk, "MARK", 4) == 0 ||
                            std::memcmp(chunk, "INST", 4) == 0;
        if (wanted && size <= kMaxMetadataChunk) {
            std::vector<unsigned char> bytes(size);
            bytes.resize(std::fread(bytes.data(), 1, size, File));
            if (std::memcmp(chunk, "COMM", 4) == 0 && !chunks.SampleRate && bytes.size() >= 18)
                chunks.SampleRate = ExtendedValue(std::span<const unsigned char, 10>(bytes.data() + 8, 10));
            else if (std::memcmp(chunk, "MARK", 4) == 0 && !markers)
                markers = ParseMarkers(bytes);
            else if (std::memcmp(chunk, "INST", 4) == 0 && !instrument && bytes.size() >= 20)
                instrument = std::move(bytes);
        }
        if (body < 0 || !Platform::SeekStream(File, body + int64_t{size} + (size & 1u), SEEK_SET))
            break;
    }
    if (instrument) {
        // base note, detune, note and velocity ranges, gain; then the sustain
        // loop: play mode, begin marker, end marker.
        const unsigned char* sustain = instrument->data() + 8;
        TAiffSustainLoop loop{Be16(sustain), std::nullopt, std::nullopt};
        const auto position = [&](uint16_t Id) -> std::optional<uint32_t> {
            if (!markers || !markers->contains(Id))
                return std::nullopt;
            return markers->at(Id);
        };
        loop.Begin = position(Be16(sustain + 2));
        loop.End = position(Be16(sustain + 4));
        chunks.Sustain = loop;
    }
    return chunks;
}
