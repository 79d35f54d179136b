#pragma once
// TLoopFeeder: what the player plays of one wave, as the bank holds it. The
// wave plays from its first sample; without a loop it plays to its end and
// the end is marked, with a loop it runs into the loop and then repeats it,
// every block filled, until the player is stopped. The sample at the loop
// end itself is never played while looping. A loop crossfade plays as the
// bank holds it (CrossFade.h): the faded stretch in place of [E - N, E), on
// the way into the loop and on every pass.
//
// The seam audition (StartAudition) plays the join alone: the last half
// second before the loop end, then the first half second from the loop
// start, and again, until the player is stopped (AuditionSpans).
//
// Threads: Start runs on the owner's thread while the player is stopped;
// Feed runs on the player's worker, as its OnBufferEmpty handler; Position
// may be read on any thread. Start copies the loop, the sample count and the
// faded stretch, so the owner may edit the wave's loop and fade or the list
// while the sound plays; the samples themselves are read where they are and
// must stay alive and unchanged until the player has stopped.

#include "common/Exception.h"
#include "document/WaveInfo.h"

#include <atomic>
#include <cstdint>
#include <vector>

class TLowLVPCM;

VANTREL_DECLARE_EXCEPTION(ELoopFeederError);

// How much of each side of the join the audition plays: Before samples up
// to the loop end, then After samples from the loop start. Each is at most
// HalfSamples; a loop shorter than two of them is split between the two, so
// that the audition of a short loop is the loop itself, no stretch twice.
struct TAuditionSpans {
    int32_t Before = 0;
    int32_t After = 0;
};
TAuditionSpans AuditionSpans(const TWaveLoop& Loop, int32_t HalfSamples);
inline constexpr int32_t kAuditionSideMs = 500;

class TLoopFeeder {
public:
    // Starts over at Wave's first sample, in blocks of BlockBytes / 2
    // samples. Throws ELoopFeederError "ループの指定が不正です" for a loop that
    // cannot be played: a loop start at or after its loop end (a start
    // without an end among them), and the wave's CrossFadeFault for a fade
    // that does not fit its loop. A start of 0 is always valid.
    void Start(const TWaveInfo& Wave, uint32_t BlockBytes);
    // Starts the seam audition of Wave's loop, kAuditionSideMs each side,
    // at the sample Before ahead of the loop end. The same errors, and
    // "ループの指定が不正です" for a wave without a loop that plays.
    void StartAudition(const TWaveInfo& Wave, uint32_t BlockBytes);
    // Hands Player the next block with one Write, or marks the end.
    void Feed(TLowLVPCM& Player);
    // The next sample to hand over; it runs ahead of what is heard by up to
    // the blocks queued in the player.
    int32_t Position() const { return FPosition.load(std::memory_order_relaxed); }

private:
    // A stretch [From, To) of the wave, played in turn.
    struct TSpan {
        int32_t From = 0;
        int32_t To = 0;
    };
    void Prepare(const TWaveInfo& Wave, uint32_t BlockBytes);
    // Copies Count samples from Position on, the faded stretch in its place.
    void CopyOut(int16_t* Out, int32_t Position, int32_t Count) const;

    const int16_t* FSamples = nullptr;
    int32_t FCount = 0;
    int32_t FLoopStart = 0;
    int32_t FLoopEnd = 0;
    std::vector<int16_t> FFaded; // the bank's samples [FLoopEnd - size, FLoopEnd)
    std::vector<TSpan> FSpans;  // played in order; then from FRepeatFrom again
    int32_t FRepeatFrom = -1;   // -1: the end follows the last span
    std::size_t FSpan = 0;      // the span being played (the worker's alone)
    std::vector<int16_t> FBlock;
    std::atomic<int32_t> FPosition{0};
};
