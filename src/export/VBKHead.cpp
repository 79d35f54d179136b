#include "export/VBKHead.h"

#include "common/Bytes.h"
#include "common/Format.h"

#include <algorithm>
#include <cstring>

namespace {

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
    PutLe16(Out + 4, Header.headerWord);
    std::copy(Header.reserved.begin(), Header.reserved.end(), Out + 6);
}

void EncodeChunkHeader(const TVBKChunkHeader& Header, uint8_t* Out)
{
    PutTag(Out, Header.tag);
    PutLe32(Out + 4, Header.size);
    PutLe32(Out + 8, Header.crc);
    PutLe32(Out + 12, Header.reserved);
}

void EncodeCtrl(const TVBKCtrl& Ctrl, uint8_t* Out)
{
    PutLe16(Out, Ctrl.ctrlWord);
    PutLe16(Out + 2, Ctrl.reserved1);
    PutLe32(Out + 4, static_cast<uint32_t>(Ctrl.waveCount));
    PutLe64(Out + 8, Ctrl.reserved2);
}

void EncodeTone(const TVBKTone& Tone, uint8_t* Out)
{
    PutLe32(Out, Tone.waveOffset);
    PutLe16(Out + 4, Tone.toneWord);
    PutLe16(Out + 6, Tone.loopFlag);
    PutLe32(Out + 8, static_cast<uint32_t>(Tone.rateOffset));
    PutLe32(Out + 12, Tone.reserved);
    PutLe32(Out + 16, static_cast<uint32_t>(Tone.loopStart));
    PutLe32(Out + 20, static_cast<uint32_t>(Tone.loopEnd));
}

TVBKFileHeader DecodeFileHeader(const uint8_t* In)
{
    TVBKFileHeader header;
    header.magic = GetTag(In);
    header.headerWord = GetLe16(In + 4);
    std::copy(In + 6, In + 16, header.reserved.begin());
    return header;
}

TVBKChunkHeader DecodeChunkHeader(const uint8_t* In)
{
    TVBKChunkHeader header;
    header.tag = GetTag(In);
    header.size = GetLe32(In + 4);
    header.crc = GetLe32(In + 8);
    header.reserved = GetLe32(In + 12);
    return header;
}

TVBKCtrl DecodeCtrl(const uint8_t* In)
{
    TVBKCtrl ctrl;
    ctrl.ctrlWord = GetLe16(In);
    ctrl.reserved1 = GetLe16(In + 2);
    ctrl.waveCount = static_cast<int32_t>(GetLe32(In + 4));
    ctrl.reserved2 = GetLe64(In + 8);
    return ctrl;
}

TVBKTone DecodeTone(const uint8_t* In)
{
    TVBKTone tone;
    tone.waveOffset = GetLe32(In);
    tone.toneWord = GetLe16(In + 4);
    tone.loopFlag = GetLe16(In + 6);
    tone.rateOffset = static_cast<int32_t>(GetLe32(In + 8));
    tone.reserved = GetLe32(In + 12);
    tone.loopStart = static_cast<int32_t>(GetLe32(In + 16));
    tone.loopEnd = static_cast<int32_t>(GetLe32(In + 20));
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
