#pragma once
// Writing one wave as a 16-bit mono PCM WAV file (through libsndfile), with
// its loop in a "smpl" chunk when it has one: one forward loop whose end is
// the loop's last sample, as that chunk counts (Vantrel's end - 1), so that
// reading the file back (StoredLoop.h) gives the loop again.

#include "common/Exception.h"
#include "document/WaveLoop.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

VANTREL_DECLARE_EXCEPTION(EWavWriteError);

// Writes Samples at RateHz to Path, replacing a file there only once the new
// one is complete (FileReplace.h). Raises EWavWriteError naming Path and the
// reason.
void WriteWavFile(const std::string& Path, std::span<const int16_t> Samples, int32_t RateHz,
                  const std::optional<TWaveLoop>& Loop);
