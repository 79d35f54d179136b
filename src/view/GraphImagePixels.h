#pragma once
// The pixel values the waveform view's units paint with (QRgb, 0xRRGGBB).

#include <QRgb>

namespace graphimage {

inline constexpr QRgb kWhite = 0xFFFFFF;
inline constexpr QRgb kBlack = 0x000000;
inline constexpr QRgb kShade = 0xE4ECF8; // a shaded range (SetShade)
// The wave's pen: blue on white, and inverted (yellow) on the black selection.
inline constexpr QRgb kWaveBlue = 0x0000FF;

} // namespace graphimage
