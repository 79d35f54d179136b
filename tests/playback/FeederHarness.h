#pragma once
// A list, its feeder and a player on the virtual device, the feeder filling
// each block the player asks for: what the feeder's tests share.

#include "document/KSD.h"
#include "playback/LoopFeeder.h"
#include "playback/PlayerHarness.h"
#include "support/TestFiles.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TFeederHarness {
protected:
    // BlockBytes 0 keeps the player's default block size.
    explicit TFeederHarness(std::size_t BlockBytes = 0)
    {
        Player.SetnSamplesPerSec(44100);
        Player.SetwBitsPerSample(16);
        if (BlockBytes)
            Player.SetBufferSize(BlockBytes);
        LogEvents(Player, Log, [this] { Feeder.Feed(Player); });
    }

    std::vector<int16_t> Played() const { return Int16Samples(Device->Played()); }

    TTempDir Dir;
    TKSD List;
    TLoopFeeder Feeder;
    TEventLog Log;
    const std::shared_ptr<TVirtualWaveOutDevice> Device = std::make_shared<TVirtualWaveOutDevice>();
    TLowLVPCM Player{Device}; // stopped before the feeder and the list go
};
