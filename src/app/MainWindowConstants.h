#pragma once
// Names and values the main window's units share: the markers it sets in the
// views, their colours, the wave list's columns and the title of
// its message boxes.

#include "common/ProgramInfo.h"
#include "view/BgrColor.h"

#include <cstdint>

namespace mainform {

inline constexpr const char* kTitle = kProgramName;

inline constexpr const char* kLoopStart = "LOOPSTART";
inline constexpr const char* kLoopEnd = "LOOPEND";
inline constexpr const char* kPlayCursor = "PLAYCURSOR";
inline constexpr TBgrColor kRed = TBgrColor::Rgb(255, 0, 0);
inline constexpr TBgrColor kGreen = TBgrColor::Rgb(0, 255, 0);
inline constexpr TBgrColor kBlack = TBgrColor::Rgb(0, 0, 0);

enum TColumn { colName, colRate, colLength, colSamples, colLoopStart, colLoopEnd };

} // namespace mainform
