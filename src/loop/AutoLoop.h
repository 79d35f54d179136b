#pragma once
// The automatic loop: the cleanest loop inside the sustained part of a
// sound, where the attack is over, the release has not begun and the level
// is steady.
//
// The sustained part. The level is measured over frames of 20 ms (mean
// square, in dB; shorter frames in a sound of less than 9 such frames, down
// to 8 samples). Relative to the loudest frame:
//   - the attack lasts until the level first comes within 6 dB of the peak
//     and then as long as it still rises by more than 0.5 dB a frame;
//   - the release begins after the last frame within 15 dB of the peak, and
//     earlier as long as the level falls by more than 0.5 dB a frame there;
//   - inside, the longest run of loud frames is kept, less one frame at
//     either end; loud means within 10 dB of the loudest, both measured on
//     the level averaged over 5 frames (the swell of a held note does not
//     break the run). A run that reaches the last frame runs on to the end
//     of the sound: many sampled notes stop right after their loop; so
//     does the run whenever the last frame is within 10 dB of the peak (a
//     note trimmed just after its loop, with no release, even when its
//     level swings below the run on the way there).
// When that leaves too little room for a loop (a strongly decaying sound)
// the part is taken without the steadiness rules: from the frame after the
// first within 6 dB of the peak to the last within 10 dB; and when that is
// shorter than 3 frames, the frames within 6 dB of the peak around the
// loudest one, if there are at least 2. A sound whose loudest frame is below
// -70 dB of full scale is silence and gets no loop, and so is a wave
// without a sample rate. A sound too short for frames of 8 samples (a
// single sampled cycle) is searched whole, down to one shortest loop's
// length past its first sample. No loop starts at sample 0.
//
// A part longer than 20 s is searched in its middle 20 s (ends for a given
// start within 20 s of it), so the search takes well under a second
// whatever the sound's length.
//
// The loop. Loops lie inside the part and are at least MinLengthMs (M)
// long in a part of at least 8 M; in a shorter part the least length is
// M (part / 8 M)^2, so a short vowel or a sampled note of a few dozen
// milliseconds still gets one over a few cycles of its steady end (a few
// periods join more cleanly than a stretch across a changing sound); never
// shorter than kShortestLoopSamples. A loop also holds the sound at its level: one whose
// mean square is below a quarter of the loudest 20 ms of the region comes
// after every louder one, and the loudness decides which starts of a
// length are tried. Promising loop lengths come from the best ends
// (LoopSearch.h) for starts spread evenly over the part (up to Starts,
// fewer for long parts), and, when the part runs to the end of the sound,
// from the best starts for that end (its maker often trimmed or crossfaded
// it to join one start); searched with the seam cost's window (WindowMs)
// and again with a long one (10 ms). Each length, with its neighbours, is
// measured at every start in the part (the best length drifts along a
// sound whose pitch drifts) with the window it was found with (the length
// itself also by its first pass through the join, SeamRank.h), the long
// lengths also with a longer one (30 ms); with the long windows only
// starts whose whole window lies in the wave count, and only lengths at
// least as long as the window.
//
// Candidates are ranked by their seam costs with the three windows and
// their first pass through the join, each relative to the best of its kind
// among all of them, after the quality word of their seam cost
// (SeamRank.h): no result comes before one rated better. The best pairs
// are polished by moving start and end in turn to the better ranked of
// their best positions nearby, and both together to the best start for
// their length nearby. The results carry their seam cost (with WindowMs)
// and that rank.
//
// Decaying sounds. When the level of the part falls all along it, or its
// brightness does (a distorted pluck held at its level), and its best loop
// does not hold whole cycles of a movement, the best loop of the last
// 100 ms of the part that is still loud (a few periods long at least) comes
// first when it is rated better, or rated the same at less than a quarter
// of a cost that is not already inaudible (0.001): makers loop such sounds (a harmonic, an electric piano, a
// distorted guitar) over a few periods.
//
// Movement. When the part moves regularly (vibrato, tremolo, beating:
// Movement.h), lengths near 1, 2 and 3 whole cycles of it are searched too
// (from 3 starts each, within a fifth of a cycle), and the best ranked loop
// holding a whole number of cycles (within a tenth) comes first when it is
// rated fair or good, no worse than the best loop and its seam cost at most
// four times the best's plus 0.0002: a loop repeating a
// fraction of a vibrato cycle stops the vibrato and freezes the sound.
//
// With KeepMinLength (a length the user asked for) loops are never shorter
// than MinLengthMs while the region holds one: a part too short for it is
// widened within the region.
//
// Sounds without a held part (no sustained part, only quiet loops in it, or
// a struck sound that has died away) are looped around their loudest 20 ms
// or whole, as StruckSound.h describes.
// Every time above (windows, frames, lengths, spans) is counted at the
// wave's rate capped to kFastestTimedRate (SeamCost.h).
// The result depends only on the samples and the options.

#include "loop/LoopSearch.h"
#include "loop/Movement.h"
#include "loop/SustainedPart.h"

#include <cstdint>
#include <optional>
#include <vector>

struct TAutoLoopOptions {
    // The region to search: From .. To-1; To <= From means the whole wave
    // from From.
    int32_t From = 0;
    int32_t To = 0;
    // Look for the sustained part inside the region (off: use the region as
    // it is, as for a part the user selected, unless it is silent).
    bool FindSustainedPart = true;
    double MinLengthMs = 100.0;
    bool KeepMinLength = false; // MinLengthMs was asked for: never shortened for a short part
    double WindowMs = kDefaultSeamWindowMs;
    int32_t Count = 1;
    double MinSpacingMs = 1.0; // between the results
    int32_t Starts = 12; // loop starts tried across the part, fewer for long parts
};

struct TAutoLoops {
    std::vector<TLoopCandidate> Loops;
    std::optional<TMovement> Movement; // of the searched part, at the timed rate
};

// The best loops, best first, at most Options.Count; empty when the wave
// (or region) has nothing to loop; with the movement they were sought for.
TAutoLoops FindAutoLoops(TSamples Wave, int32_t Rate, const TAutoLoopOptions& Options);
// The loops alone.
std::vector<TLoopCandidate> AutoLoops(TSamples Wave, int32_t Rate, const TAutoLoopOptions& Options);

// The best ends for a loop that starts at Start: after Start, up to the end
// of the sustained part (of the region when Start lies past that part), at
// least as long as above for the room there: the best
// ends with the short and with the long window, ranked as above.
// Options.Starts is not used.
std::vector<TLoopCandidate> AutoLoopEnds(TSamples Wave, int32_t Rate, int32_t Start, const TAutoLoopOptions& Options);
