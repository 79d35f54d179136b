#include "app/TypedLoopPoint.h"

#include "app/MainWindowConstants.h"
#include "app/WaveListModel.h"
#include "document/LoopRules.h"

void SetTypedLoopPoint(TWaveListModel& Model, int32_t Index, bool Start, const std::string& Text)
{
    const TWaveInfo* wave = Model.Wave(Index);
    if (!wave)
        return;
    const int32_t position = ParseNumber(Text);
    const int32_t start = Start ? position : wave->LoopStart();
    const int32_t end = Start ? wave->LoopEnd() : position;
    if (const std::string fault = LoopRangeFault(*wave, start, end); !fault.empty())
        throw EVantrelError(fault);
    if (Start)
        CheckLoopStart(*wave, position);
    else
        CheckLoopEnd(*wave, position);
    Model.SetLoop(Index, start, end,
                  Start ? TWaveListModel::tr("ループ始点の入力") : TWaveListModel::tr("ループ終点の入力"));
}
