#pragma once
// Names and values the main window's units share: the markers it sets in the
// views, their colours, the title of its message boxes and the error of its
// own commands.

#include "common/Exception.h"
#include "common/ProgramInfo.h"
#include "view/BgrColor.h"

#include <cstdint>

VANTREL_DECLARE_EXCEPTION(EVantrelError);

namespace mainform {

inline constexpr const char* kTitle = kProgramName;

inline constexpr const char* kLoopStart = "LOOPSTART";
inline constexpr const char* kLoopEnd = "LOOPEND";
inline constexpr const char* kPlayCursor = "PLAYCURSOR";
inline constexpr TBgrColor kRed = TBgrColor::Rgb(255, 0, 0);
inline constexpr TBgrColor kGreen = TBgrColor::Rgb(0, 255, 0);
inline constexpr TBgrColor kBlack = TBgrColor::Rgb(0, 0, 0);

} // namespace mainform
