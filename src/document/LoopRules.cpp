#include "document/LoopRules.h"

#include "common/Format.h"

std::string WaveFault(const TWaveInfo& Wave, const char* Reason)
{
    return Format("%s:%s", Wave.WaveName().c_str(), Reason);
}

std::string LoopRangeFault(const TWaveInfo& Wave, int32_t Start, int32_t End)
{
    const int32_t samples = Wave.SampleCount();
    if (Start < 0 || (Start >= samples && Start != 0))
        return WaveFault(Wave, kLoopStartInvalid);
    if (End < 0 || End > samples)
        return WaveFault(Wave, kLoopEndInvalid);
    return {};
}

std::string ListedLoopFault(const TWaveInfo& Wave, int32_t Start, int32_t End)
{
    std::string fault = LoopRangeFault(Wave, Start, End);
    if (fault.empty() && End != 0 && Start > End)
        fault = WaveFault(Wave, kLoopStartAfterEnd);
    return fault;
}

std::string BankDropsLoop(const TWaveInfo& Wave)
{
    return Wave.Loop().DroppedByBank() ? WaveFault(Wave, kLoopFromZeroNotInBank) : std::string();
}
