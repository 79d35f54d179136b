#pragma once
// TKSD: the document. An ordered list of waves, each read from one WAV file
// and carrying its own loop points. The order is the order of the exported
// voice bank and of the saved list file. The list owns its waves; pointers
// handed out by GetWave stay valid while the wave is in the list.

#include "common/Exception.h"
#include "document/WaveInfo.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

VANTREL_DECLARE_EXCEPTION(EKSDException);

class TKSD {
public:
    int32_t Count() const { return static_cast<int32_t>(FWaves.size()); }
    // The wave at Index, or nullptr when Index is out of range.
    TWaveInfo* GetWave(int32_t Index) const;

    // Appends a wave read from FileName. Throws EKSDException
    // "ファイル「%s」を開けません" when no regular file is there, and lets the
    // reader's EWaveInfoException through; on any error the list is unchanged.
    void AddWave(const std::string& FileName);
    // Each throws EKSDException "<Op> : Index(=%d) が範囲外です" for an index
    // out of its range, leaving the list unchanged.
    void DeleteWave(int32_t Index);
    void MoveNext(int32_t Index); // swaps Index and Index + 1
    void MovePrev(int32_t Index); // swaps Index - 1 and Index
    void Clear();

    // The list file: appends the waves it names / writes the whole list.
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName) const;
    // Writes the whole list as a voice-bank file; errors of the exporter
    // pass through and the list is never changed.
    void Export(const std::string& FileName) const;

private:
    std::vector<std::unique_ptr<TWaveInfo>> FWaves;
};
