#pragma once
// The order rule for loop points that the user edits: a loop start must lie
// before a set loop end, and a loop end after a set loop start. A point of 0
// is "not set" and is never checked against the other. The window's loop
// commands and the command-line tool both apply it.

#include "common/Exception.h"
#include "document/WaveInfo.h"

#include <cstdint>

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
