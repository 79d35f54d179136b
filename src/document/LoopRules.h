#pragma once
// The order rule for loop points that the user edits: a loop start must lie
// before a set loop end, and a loop end after a set loop start. A point of 0
// is "not set" (WaveLoop.h) and is never checked against the other. The window's loop
// commands and the command-line tool both apply it.

#include "common/Exception.h"
#include "document/WaveInfo.h"

#include <cstdint>
#include <string>

VANTREL_DECLARE_EXCEPTION(ELoopOrderError);


// Throws ELoopOrderError kLoopStartAfterEnd when Wave has a loop end at or
// before Position.
inline void CheckLoopStart(const TWaveInfo& Wave, int32_t Position)
{
    if (const TWaveLoop loop{Position, Wave.LoopEnd()}; loop.End != 0 && !loop.Plays())
        throw ELoopOrderError(kLoopStartAfterEnd);
}

// Throws ELoopOrderError kLoopEndBeforeStart when Wave has a loop start at or
// after Position.
inline void CheckLoopEnd(const TWaveInfo& Wave, int32_t Position)
{
    if (const TWaveLoop loop{Wave.LoopStart(), Position}; loop.Start != 0 && !loop.Plays())
        throw ELoopOrderError(kLoopEndBeforeStart);
}

// Where a loop may lie in a wave, as a list file stores it and the
// command-line tool sets it: a start in 0 .. SampleCount - 1 (0 also in a
// wave without samples), an end in 0 .. SampleCount, where an end of 0 means
// "no loop end yet". The faults name the wave: "<wave name>:<reason>"
// (the reasons are in WaveLoop.h).

// "<wave name>:<reason>".
std::string WaveFault(const TWaveInfo& Wave, const char* Reason);

// The fault of Start..End in Wave when either lies outside it; empty when
// both fit.
std::string LoopRangeFault(const TWaveInfo& Wave, int32_t Start, int32_t End);

// LoopRangeFault, then the order of a loop as a list file stores it: a start after a set end is
// a fault (kLoopStartAfterEnd). A start equal to its end, and any start with
// an end of 0 (a half-set loop), are kept as stored.
std::string ListedLoopFault(const TWaveInfo& Wave, int32_t Start, int32_t End);

// "<wave name>:" kLoopFromZeroNotInBank for a wave whose loop plays but is
// exported as no loop (it starts at sample 0); empty for any other. Export
// writes the bank all the same; the callers show this beside it.
std::string BankDropsLoop(const TWaveInfo& Wave);
