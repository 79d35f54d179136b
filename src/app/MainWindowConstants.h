#pragma once
// Names and values the main window's units share: the markers it sets in the
// views, their colours (0x00BBGGRR), the wave list's columns and the title of
// its message boxes.

#include "common/ProgramInfo.h"

#include <cstdint>

namespace mainform {

inline constexpr const char* kTitle = kProgramName;

inline constexpr const char* kLoopStart = "LOOPSTART";
inline constexpr const char* kLoopEnd = "LOOPEND";
inline constexpr const char* kPlayCursor = "PLAYCURSOR";
inline constexpr uint32_t kRed = 0x0000FF;
inline constexpr uint32_t kGreen = 0x00FF00;
inline constexpr uint32_t kBlack = 0x000000;

enum TColumn { colName, colRate, colLength, colSamples, colLoopStart, colLoopEnd };

} // namespace mainform
