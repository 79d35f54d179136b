#pragma once
// TVBKFile: writes the wave list as one voice-bank file.
//
// For n waves with c0 .. c(n-1) samples the file is, with no gaps:
//   0            file header "VBK0", 1, ten zero bytes
//   16           "CTRL"  one control record (ctrlWord 1, waveCount n)
//   48           "TONE"  n tone records of 24 bytes, in list order
//   64 + 24n     "NAME"  n name records of 68 bytes, all zero
//   80 + 92n     "WAVE"  wave 0's samples (2 * c0 bytes), then one "WAVE" per wave
//   end - 16     "TERM"  empty payload
// so it is 96 + 92n + sum(16 + 2ci) bytes long. The tone records are known
// only once every "WAVE" chunk is placed: "TONE" is first written as zeros
// and rewritten in place at the end. A wave with a loop crossfade is written
// with its faded stretch (CrossFade.h); the tone records are the same.
// Every check and the file's size need only the waves' sample counts: a list
// loaded without samples (TWaveReading::HeadersOnly) is refused before any
// sample is read, and each of its waves is read while it is written.

#include "common/Exception.h"
#include "export/VBKHead.h"
#include "export/VBKLib.h"

#include <cstdint>
#include <string>
#include <vector>

class TKSD;
class TWaveInfo;

VANTREL_DECLARE_EXCEPTION(EVBKFileException);

// The exporter's refusals (see TVBKFile::SaveToFile).
inline constexpr char kNoWavesToExport[] = "waveが登録されていません";
inline constexpr char kBankTooLarge[] = "VBKファイルが大きすぎます";
inline constexpr char kWaveMissingFormat[] = "「%s」が見つかりません";
inline constexpr char kLoopEndNotSetFormat[] = "「%s」のループ終点が設定されていません";
inline constexpr char kNoMemoryForBankFormat[] = "VBKファイル「%s」を書き出すメモリが足りません";

class TVBKFile {
public:
    // Writes fileName from every wave of list, in list order; the list is
    // not changed. Raises
    //   EVBKFileException "waveが登録されていません" for an empty list and
    //   "VBKファイルが大きすぎます" when the file would reach 2^31 bytes
    //   (its offsets are 32-bit), and "「%s」のループ終点が設定されていません"
    //   (the wave's file name) for a wave with a loop start but no loop end,
    //   "「%s」が見つかりません" (its stored path) for a missing wave,
//   CrossFadeFault ("<wave name>:...") for a fade that does not fit the
//   wave's loop (any fade on a wave without a loop in the bank),
    //   all before any file is created or truncated;
    //   EFileError feCreate when no file can be created beside fileName,
    //   feWrite when writing or putting it in place fails (a full disk, a
    //   file-size limit), both naming fileName; EVBKFileException
    //   "VBKファイル「%s」を書き出すメモリが足りません" when memory runs out;
    //   and the errors of TWaveInfo::ReadSamples for a wave that does not
    //   hold its samples (its file changed or went since the list was read).
    // The bank is written to a temporary file in fileName's folder and takes
    // fileName's place (ReplaceFileWith) only once complete: after a failure
    // a bank already there keeps its bytes and no other file is left.
    void Export(const std::string& fileName, const TKSD& list);
    // The checks Export makes before it creates any file, with the same
    // errors, for callers that ask for a file name only after them.
    static void CheckExportable(const TKSD& list);

    // The size of the file Export would write for list.
    static int64_t ExportedSize(const TKSD& list);

private:
    void Write(const std::string& temporaryName, const std::string& fileName, const TKSD& list);
    void WriteTables();
    void WriteWave(int32_t index, const TWaveInfo& wave);
    void Finish();
    void WriteTones();
    void WriteNames();
    void Reset();

    TVBKLib FLib;
    std::vector<TVBKTone> FTones;
    std::vector<TVBKName> FNames;
    int32_t FNumWaves = 0;
    int32_t FTonePos = 0; // offset of the "TONE" chunk header (48)
    int32_t FNamePos = 0; // offset of the "NAME" chunk header (64 + 24n)
};

// Writes the whole list as a voice-bank file; errors of the exporter pass
// through and the list is never changed. Throws EOutputFileError (nothing
// written) when FileName is no regular file, or is ListFile (the list file
// this list came from, if any) or one of the waves' files.
void ExportBank(const TKSD& List, const std::string& FileName, const std::string& ListFile = {});
