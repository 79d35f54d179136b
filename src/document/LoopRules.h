#pragma once
// The order rule for loop points that the user edits: a loop start must lie
// before a set loop end, and a loop end after a set loop start. A point of 0
// is "not set" and is never checked against the other. The window's loop
// commands and the command-line tool both apply it.

#include "common/Exception.h"
#include "document/WaveInfo.h"

#include <cstdint>
#include <string>

VANTREL_DECLARE_EXCEPTION(ELoopOrderError);

inline constexpr const char* kLoopStartAfterEnd = "ループ始点がループ終点より後にあります";
inline constexpr const char* kLoopEndBeforeStart = "ループ終点がループ始点より前にあります";

// Throws ELoopOrderError kLoopStartAfterEnd when Wave has a loop end at or
// before Position.
inline void CheckLoopStart(const TWaveInfo& Wave, int32_t Position)
{
    if (Wave.LoopEnd() != 0 && Wave.LoopEnd() <= Position)
        throw ELoopOrderError(kLoopStartAfterEnd);
}

// Throws ELoopOrderError kLoopEndBeforeStart when Wave has a loop start at or
// after Position.
inline void CheckLoopEnd(const TWaveInfo& Wave, int32_t Position)
{
    if (Wave.LoopStart() != 0 && Wave.LoopStart() >= Position)
        throw ELoopOrderError(kLoopEndBeforeStart);
}

// Where a loop may lie in a wave, as a list file stores it and the
// command-line tool sets it: a start in 0 .. SampleCount - 1 (0 also in a
// wave without samples), an end in 0 .. SampleCount, where an end of 0 means
// "no loop end yet". The faults name the wave: "<wave name>:<reason>".
inline constexpr const char* kLoopStartInvalid = "ループ始点が不正です";
inline constexpr const char* kLoopEndInvalid = "ループ終点が不正です";

// The fault of Start..End in Wave when either lies outside it; empty when
// both fit.
std::string LoopRangeFault(const TWaveInfo& Wave, int32_t Start, int32_t End);

// LoopRangeFault, then the order of a loop as a list file stores it: a start after a set end is
// a fault (kLoopStartAfterEnd). A start equal to its end, and any start with
// an end of 0 (a half-set loop), are kept as stored.
std::string ListedLoopFault(const TWaveInfo& Wave, int32_t Start, int32_t End);
