#include "export/VBKHead.h"

#include "common/Format.h"

#include <algorithm>
#include <cstring>

namespace {

void Put16(uint8_t* out, uint16_t v)
{
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(v >> (8 * i));
}

void Put64(uint8_t* out, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint16_t Get16(const uint8_t* in) { return static_cast<uint16_t>(in[0] | in[1] << 8); }

uint32_t Get32(const uint8_t* in)
{
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
           static_cast<uint32_t>(in[3]) << 24;
}

uint64_t Get64(const uint8_t* in) { return Get32(in) | static_cast<uint64_t>(Get32(in + 4)) << 32; }

void PutTag(uint8_t* out, const TVBKTag& tag) { std::memcpy(out, tag.data(), tag.size()); }

TVBKTag GetTag(const uint8_t* in)
{
    TVBKTag tag;
    std::memcpy(tag.data(), in, tag.size());
    return tag;
}

} // namespace

void EncodeFileHeader(const TVBKFileHeader& Header, uint8_t* Out)
{
    PutTag(Out, Header.magic);
    Put16(Out + 4, Header.headerWord);
    std::copy(Header.reserved.begin(), Header.reserved.end(), Out + 6);
}

void EncodeChunkHeader(const TVBKChunkHeader& Header, uint8_t* Out)
{
    PutTag(Out, Header.tag);
    Put32(Out + 4, Header.size);
    Put32(Out + 8, Header.crc);
    Put32(Out + 12, Header.reserved);
}

void EncodeCtrl(const TVBKCtrl& Ctrl, uint8_t* Out)
{
    Put16(Out, Ctrl.ctrlWord);
    Put16(Out + 2, Ctrl.reserved1);
    Put32(Out + 4, static_cast<uint32_t>(Ctrl.waveCount));
    Put64(Out + 8, Ctrl.reserved2);
}

void EncodeTone(const TVBKTone& Tone, uint8_t* Out)
{
    Put32(Out, Tone.waveOffset);
    Put16(Out + 4, Tone.toneWord);
    Put16(Out + 6, Tone.loopFlag);
    Put32(Out + 8, static_cast<uint32_t>(Tone.rateOffset));
    Put32(Out + 12, Tone.reserved);
    Put32(Out + 16, static_cast<uint32_t>(Tone.loopStart));
    Put32(Out + 20, static_cast<uint32_t>(Tone.loopEnd));
}

TVBKFileHeader DecodeFileHeader(const uint8_t* In)
{
    TVBKFileHeader header;
    header.magic = GetTag(In);
    header.headerWord = Get16(In + 4);
    std::copy(In + 6, In + 16, header.reserved.begin());
    return header;
}

TVBKChunkHeader DecodeChunkHeader(const uint8_t* In)
{
    TVBKChunkHeader header;
    header.tag = GetTag(In);
    header.size = Get32(In + 4);
    header.crc = Get32(In + 8);
    header.reserved = Get32(In + 12);
    return header;
}

TVBKCtrl DecodeCtrl(const uint8_t* In)
{
    TVBKCtrl ctrl;
    ctrl.ctrlWord = Get16(In);
    ctrl.reserved1 = Get16(In + 2);
    ctrl.waveCount = static_cast<int32_t>(Get32(In + 4));
    ctrl.reserved2 = Get64(In + 8);
    return ctrl;
}

TVBKTone DecodeTone(const uint8_t* In)
{
    TVBKTone tone;
    tone.waveOffset = Get32(In);
    tone.toneWord = Get16(In + 4);
    tone.loopFlag = Get16(In + 6);
    tone.rateOffset = static_cast<int32_t>(Get32(In + 8));
    tone.reserved = Get32(In + 12);
    tone.loopStart = static_cast<int32_t>(Get32(In + 16));
    tone.loopEnd = static_cast<int32_t>(Get32(In + 20));
    return tone;
}

std::string TagText(const TVBKTag& Tag)
{
    std::string text;
    for (const char c : Tag) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F)
            text += c;
        else
            text += Format("\\x%02X", byte);
    }
    return text;
}
