#pragma once
// The sustained part of a sound, where the automatic loop looks (the rules
// are described in AutoLoop.h), and the level frames it is measured in.

#include "loop/SeamCost.h"

#include <cstdint>
#include <optional>

struct TRegion {
    int32_t From = 0;
    int32_t To = 0;
    int32_t Length() const { return To - From; }
};

// The sustained part of From .. To-1; none for silence or when no part is
// long enough for a loop of MinLength samples.
std::optional<TRegion> SustainedPart(TSamples Wave, int32_t Rate, TRegion Region, int32_t MinLength);

// The frame the level of Region is measured in: 20 ms, shorter in a region
// of fewer than 9 such frames (a sampled note of a few cycles); 0 when the
// region is too short for frames of kShortestLoopSamples.
int32_t FrameOf(int32_t Rate, TRegion Region);

// The frames along a part its decay is judged at: its start, a third, two
// thirds and its end.
inline constexpr int32_t kDecayFrames = 4;

// Whether Part of Wave decays, judged at kDecayFrames frames of Frame
// samples: its level falls by 1 dB or more from each to the next (a held
// note that fades at its end does not decay), or its brightness (the level
// of its first difference, where upper partials weigh more) by 0.5 dB or
// more (a plucked string held at its level by distortion or compression
// still dulls as it dies).
bool Decays(TSamples Wave, TRegion Part, int32_t Frame);

// Whether the loudest frame of Region (or Region itself when shorter than a
// frame) is louder than silence.
bool Audible(TSamples Wave, int32_t Rate, TRegion Region);
