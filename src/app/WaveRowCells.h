#pragma once
// How the list table reads one wave. Row i is wave i: its name (with what a
// converted file held), rate, length, sample count and loop points, each
// point as a number when the loop state shows it and as "-" otherwise, and
// the seam quality of a loop that plays. A wave kept as missing says so in
// its name, shows no numbers of its sound and is greyed. The tooltip gives
// the whole path, and a file shorter than its header claims is marked with
// the warning sign and says so there.

#include "app/WaveListCommands.h"
#include "loop/LoopFinder.h"

#include <QVariant>

#include <optional>

class TWaveInfo;

enum TWaveColumn { colName, colRate, colLength, colSamples, colLoopStart, colLoopEnd, colSeam };

struct TWaveColumnLayout {
    const char* Title; // the tr() source text, in the TWaveTable context
};
inline constexpr TWaveColumnLayout kWaveColumns[] = {
    {QT_TRANSLATE_NOOP("TWaveTable", "ファイル名")}, {QT_TRANSLATE_NOOP("TWaveTable", "周波数(Hz)")},
    {QT_TRANSLATE_NOOP("TWaveTable", "長さ(msec)")}, {QT_TRANSLATE_NOOP("TWaveTable", "サンプル数")},
    {QT_TRANSLATE_NOOP("TWaveTable", "ループ始点")}, {QT_TRANSLATE_NOOP("TWaveTable", "ループ終点")},
    {QT_TRANSLATE_NOOP("TWaveTable", "継ぎ目")},
};
inline constexpr int kWaveColumnCount = static_cast<int>(std::size(kWaveColumns));

// The cell of Column for Role (display and edit text, tooltip, the name's
// warning sign, the missing wave's grey), or nothing. Seam is the measure
// of a loop that plays (TWaveListModel::SeamOf).
QVariant WaveCell(const TWaveInfo& Wave, const TLoopState& Loop, const std::optional<TSeamMeasure>& Seam, int Column,
                  int Role);
