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
// The loop follows edits while it plays (Follow): the owner publishes the
// wave's loop, its fade and the faded stretch as one plan, and each block
// the worker fills plays one plan whole, the newest published when the block
// was begun. A block never mixes an end from one edit with a start from
// another. When the new plan leaves the play position outside the stretch
// it was playing (past the new loop end, or before the new loop start while
// looping), playback goes on where that stretch would have led: from the
// new loop start (in the audition, the other side of the join).
//
// Threads: Start and StartAudition run on the owner's thread while the
// player is stopped; Follow on the owner's thread, playing or not; Feed on
// the player's worker, as its OnBufferEmpty handler, where it neither locks,
// waits nor allocates (HandOver.h); Position may be read on any thread. The
// feeder reads the wave's loop and fade on the owner's thread only, so the
// owner may edit them (and the list) while the sound plays; the samples
// themselves are read where they are and must stay alive and unchanged
// until the player has stopped.

#include "common/Exception.h"
#include "document/WaveInfo.h"
#include "playback/HandOver.h"

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

// The block the window plays a wave in, in bytes of 16-bit mono: the power
// of two of samples at or above 10 ms (512 samples, 11.6 ms, at 44100 Hz).
// With the player's four blocks a loop edit is heard within about 50 ms,
// and the ring still bridges a busy moment of the machine.
uint32_t LiveBlockBytes(int32_t SamplesPerSec);

class TLoopFeeder {
public:
    // Starts over at Wave's first sample, in blocks of BlockBytes / 2
    // samples. Throws ELoopFeederError "ループの指定が不正です" for a loop that
    // cannot be played: a loop start at or after its loop end (a start
    // without an end among them), and the wave's CrossFadeFault for a fade
    // that does not fit its loop. A start of 0 is always valid. From starts
    // further on (clamped into the wave; past the loop end, at the loop start).
    void Start(const TWaveInfo& Wave, uint32_t BlockBytes, int32_t From = 0);
    // Starts the seam audition of Wave's loop, kAuditionSideMs each side,
    // at the sample Before ahead of the loop end. The same errors, and
    // "ループの指定が不正です" for a wave without a loop that plays.
    void StartAudition(const TWaveInfo& Wave, uint32_t BlockBytes);
    // Publishes the loop and fade Wave (the wave started) has now, heard
    // from the next block the worker fills. A fade longer than the loop
    // allows plays as long as it allows (as a marker drag shows it). A loop
    // that cannot be played (a start at or after its end, as in the middle
    // of a drag; in the audition also no loop) is not published, and the
    // last one plays on: returns false then.
    bool Follow(const TWaveInfo& Wave);
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
    // One loop as the worker plays it, made whole on the owner's thread.
    struct TPlan {
        int32_t LoopEnd = 0;
        std::vector<int16_t> Faded; // the bank's samples [LoopEnd - size, LoopEnd)
        std::vector<TSpan> Spans;   // played in order; then from RepeatFrom again
        int32_t RepeatFrom = -1;    // -1: the end follows the last span
    };
    enum class TMode { Play, Audition };

    void Begin(const TWaveInfo& Wave, uint32_t BlockBytes, TMode Mode, int32_t From);
    TPlan PlanOf(const TWaveInfo& Wave, const TWaveLoop& Loop, int32_t Fade) const;
    // The span after the one being played, or Spans.size() for the end.
    std::size_t NextSpan(const TPlan& Plan) const;
    // Keeps the position in the span being played under a new plan, or
    // moves on to the next span's start.
    void Rejoin(const TPlan& Plan, int32_t& Position);
    // Copies Count samples from Position on, the faded stretch in its place.
    void CopyOut(const TPlan& Plan, int16_t* Out, int32_t Position, int32_t Count) const;

    // Fixed while the player plays.
    const int16_t* FSamples = nullptr;
    int32_t FCount = 0;
    int32_t FHalfSamples = 1; // the audition's side
    TMode FMode = TMode::Play;
    // The owner publishes, the worker takes one plan per block.
    THandOver<TPlan> FPlans;
    // The worker's alone while playing.
    std::size_t FSpan = 0; // the span being played
    std::vector<int16_t> FBlock;
    std::atomic<int32_t> FPosition{0};
};
