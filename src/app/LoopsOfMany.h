#pragma once
// ループを自動検出 on several waves at once: each wave's automatic loop, as
// the command finds it for one wave without a selection in the views (the
// best end near a loop that plays, else the loop of the whole wave), all
// given to the list model as one undo step. A progress dialog shows the
// waves done and can be cancelled; a cancelled search changes nothing.
// Waves kept as missing, and waves where no loop is found, keep their loops;
// the latter are named in one warning afterwards.

#include <cstdint>
#include <vector>

class QWidget;
class TPrompter;
class TWaveListModel;

void FindLoopsOfMany(TWaveListModel& Model, const std::vector<int32_t>& Indices, TPrompter& Prompter,
                     QWidget* Parent);
