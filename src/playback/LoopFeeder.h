#pragma once
// TLoopFeeder: what the player plays of one wave. The wave plays from its
// first sample; without a loop it plays to its end and the end is marked,
// with a loop it runs into the loop and then repeats it, every block filled,
// until the player is stopped. The sample at the loop end itself is never
// played while looping.
//
// Threads: Start runs on the owner's thread while the player is stopped;
// Feed runs on the player's worker, as its OnBufferEmpty handler; Position
// may be read on any thread. Start copies the loop and the sample count, so
// the owner may edit the wave's loop or the list while the sound plays; the
// samples themselves are read where they are and must stay alive and
// unchanged until the player has stopped.

#include "common/Exception.h"
#include "document/WaveInfo.h"

#include <atomic>
#include <cstdint>
#include <vector>

class TLowLVPCM;

VANTREL_DECLARE_EXCEPTION(ELoopFeederError);

class TLoopFeeder {
public:
    // Starts over at Wave's first sample, in blocks of BlockBytes / 2
    // samples. Throws ELoopFeederError "ループの指定が不正です" for a loop that
    // cannot be played: a loop start at or after its loop end (a start
    // without an end among them). A start of 0 is always valid.
    void Start(const TWaveInfo& Wave, uint32_t BlockBytes);
    // Hands Player the next block with one Write, or marks the end.
    void Feed(TLowLVPCM& Player);
    // The next sample to hand over; it runs ahead of what is heard by up to
    // the blocks queued in the player.
    int32_t Position() const { return FPosition.load(std::memory_order_relaxed); }

private:
    void FeedOnce(TLowLVPCM& Player, int32_t Position);
    void FeedLooped(TLowLVPCM& Player, int32_t Position);

    const int16_t* FSamples = nullptr;
    int32_t FCount = 0;
    int32_t FLoopStart = 0;
    int32_t FLoopEnd = 0; // 0: no loop
    std::vector<int16_t> FBlock;
    std::atomic<int32_t> FPosition{0};
};
