#include "export/VBKFile.h"

#include "common/Format.h"
#include "document/CrossFade.h"
#include "document/FileReplace.h"
#include "document/KSD.h"
#include "document/OutputFile.h"
#include "document/WaveInfo.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace {

constexpr int64_t FileSizeLimit = int64_t{1} << 31;

uint32_t PayloadBytes(const TWaveInfo& wave) { return static_cast<uint32_t>(wave.SampleCount()) * 2u; }

} // namespace

int64_t TVBKFile::ExportedSize(const TKSD& list)
{
    const int64_t n = list.Count();
    int64_t size = 96 + 92 * n;
    for (int32_t i = 0; i < list.Count(); ++i)
        size += 16 + int64_t{PayloadBytes(*list.GetWave(i))};
    return size;
}

// Found before the file is created, so a bank already there stays whole.
void TVBKFile::CheckExportable(const TKSD& list)
{
    if (list.Count() == 0)
        throw EVBKFileException(kNoWavesToExport);
    if (ExportedSize(list) >= FileSizeLimit)
        throw EVBKFileException(kBankTooLarge);
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TWaveInfo& wave = *list.GetWave(i);
        if (wave.IsMissing())
            throw EVBKFileException(Format(kWaveMissingFormat, wave.FilePath().c_str()));
        if (wave.Loop().IsHalfSet())
            throw EVBKFileException(Format(kLoopEndNotSetFormat, wave.WaveName().c_str()));
        if (const std::string fault = CrossFadeFault(wave, wave.Loop(), wave.CrossFade()); !fault.empty())
            throw EVBKFileException(fault);
    }
}

void TVBKFile::Export(const std::string& fileName, const TKSD& list)
{
    CheckExportable(list);
    FNumWaves = list.Count();

    bool created = false; // the temporary file exists: a system error now is a write error
    try {
        ReplaceFileWith(fileName, [&](const std::string& temporaryName) {
            created = true;
            Write(temporaryName, fileName, list);
        });
    } catch (const std::system_error& e) {
        Reset();
        throw EFileError(created ? feWrite : feCreate, fileName, e.code().value());
    } catch (const std::bad_alloc&) {
        Reset();
        throw EVBKFileException(Format(kNoMemoryForBankFormat, fileName.c_str()));
    } catch (...) {
        Reset();
        throw;
    }
    Reset();
}

void TVBKFile::Write(const std::string& temporaryName, const std::string& fileName, const TKSD& list)
{
    FLib.CreateNew(temporaryName, fileName);
    WriteTables();
    for (int32_t i = 0; i < FNumWaves; ++i)
        WriteWave(i, *list.GetWave(i));
    Finish();
    FLib.Close();
}

void TVBKFile::WriteTables()
{
    FTones.assign(static_cast<std::size_t>(FNumWaves), TVBKTone{});
    FNames.assign(static_cast<std::size_t>(FNumWaves), TVBKName{});

    TVBKCtrl ctrl;
    ctrl.ctrlWord = 1;
    ctrl.waveCount = FNumWaves;
    uint8_t bytes[VBKCtrlSize];
    EncodeCtrl(ctrl, bytes);
    FLib.WriteChunk(VBKTags[vtCtrl], bytes, sizeof bytes);

    // Space for the tone records, all zero until Finish knows them.
    FTonePos = FLib.Position();
    WriteTones();
    FNamePos = FLib.Position();
    WriteNames();
}

void TVBKFile::WriteWave(int32_t index, const TWaveInfo& wave)
{
    TVBKTone& tone = FTones[static_cast<std::size_t>(index)];
    tone.waveOffset = static_cast<uint32_t>(FLib.Position());
    tone.toneWord = 1;
    // Modulo 2^32, the signed difference of every rate the reader accepts
    // (below 2^31) without a signed overflow.
    tone.rateOffset = static_cast<int32_t>(wave.Header().nSamplesPerSec - static_cast<uint32_t>(VBKBaseRate));

    // A loop from sample 0 goes out as no loop (the caller warns of it).
    if (const TWaveLoop loop = wave.Loop(); loop.InBank()) {
        tone.loopFlag = 1;
        tone.loopStart = loop.Start;
        tone.loopEnd = loop.End;
    } else {
        tone.loopFlag = 0;
        tone.loopStart = 0;
        tone.loopEnd = 0;
    }

    // The samples are written as read from the WAV file, straight from the
    // wave; a crossfaded loop from a copy that holds the faded stretch.
    if (wave.HoldsSamples() && wave.CrossFade() == 0) {
        FLib.WriteChunk(VBKTags[vtWave], wave.Data().data(), PayloadBytes(wave));
    } else if (wave.HoldsSamples()) {
        const std::vector<int16_t> faded = FadedWave(wave.Samples(), wave.Loop(), wave.CrossFade());
        FLib.WriteChunk(VBKTags[vtWave], faded.data(), PayloadBytes(wave));
    } else {
        // Read now and let go once written, so that one wave's samples are
        // held at a time; being ours, they take the faded stretch in place.
        TWaveData read = wave.ReadSamples();
        if (const int32_t n = wave.CrossFade(); n > 0) {
            const std::vector<int16_t> stretch = FadedStretch({read.data(), read.size()}, wave.Loop(), n);
            std::copy(stretch.begin(), stretch.end(), read.data() + (wave.Loop().End - n));
        }
        FLib.WriteChunk(VBKTags[vtWave], read.data(), PayloadBytes(wave));
    }
}

void TVBKFile::Finish()
{
    const int32_t end = FLib.Position();
    FLib.Seek(FTonePos);
    WriteTones();
    FLib.Seek(FNamePos);
    WriteNames();
    FLib.Seek(end);
    FLib.WriteChunk(VBKTags[vtTerm], nullptr, 0);
}

void TVBKFile::WriteTones()
{
    std::vector<uint8_t> bytes(FTones.size() * VBKToneSize);
    for (std::size_t i = 0; i < FTones.size(); ++i)
        EncodeTone(FTones[i], bytes.data() + i * VBKToneSize);
    FLib.WriteChunk(VBKTags[vtTone], bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void TVBKFile::WriteNames()
{
    static_assert(sizeof(TVBKName) == VBKNameSize, "name records are written as they lie in memory");
    FLib.WriteChunk(VBKTags[vtName], FNames.data(), static_cast<uint32_t>(FNames.size() * VBKNameSize));
}

void TVBKFile::Reset()
{
    FLib.Close();
    FTones.clear();
    FNames.clear();
}

void ExportBank(const TKSD& List, const std::string& FileName, const std::string& ListFile)
{
    std::vector<std::string> inputs = List.WaveFiles();
    if (!ListFile.empty())
        inputs.push_back(ListFile);
    CheckOutputFile(FileName, inputs);
    TVBKFile exporter;
    exporter.Export(FileName, List);
}
