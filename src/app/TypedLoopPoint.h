#pragma once
// A loop point typed into the list (the loop-start or loop-end cell), in
// samples: read as a list file reads a number (ParseNumber), checked against
// the wave (LoopRangeFault) and against the other point (the order rule,
// LoopRules.h), then given to the model as one undo step. Any fault throws
// with its message, and the loop stays as it was.

#include <cstdint>
#include <string>

class TWaveListModel;

void SetTypedLoopPoint(TWaveListModel& Model, int32_t Index, bool Start, const std::string& Text);
