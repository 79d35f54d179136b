#pragma once
// THandOver<T>: the latest of a value that one thread (the owner) makes whole
// and publishes, and another (the taker: the player's worker) reads without
// ever waiting. The taker takes the newest value at a point of its choosing
// and keeps reading that one, unchanged, until it takes again; it never sees
// a value while it is being made, nor part of one value with part of another.
//
// How values are kept alive: every published value carries a generation
// number, one higher than the last. The taker announces the generation it
// reads (FInUse) after it has taken it; the owner frees, whenever it
// publishes, the values older than the one announced. The value the taker
// reads is never older than what it announced, so it is never freed under
// it; the release of the announcement and the owner's acquire order the
// taker's last reads of an old value before the owner frees it. Nothing is
// freed, allocated or locked on the taker's side.
//
// Threads: Publish and Clear on the owner's thread only; Take on the taker's
// thread only. Clear also forgets what the taker holds, so it may run only
// while the taker does not (the player stopped), with the taker's next start
// ordered after it (the player's command mailbox does that).

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>

template <class T>
class THandOver {
public:
    // Makes Value the one the taker gets from its next Take on.
    void Publish(std::unique_ptr<const T> Value)
    {
        FKept.push_back(std::make_unique<const TEntry>(TEntry{++FGeneration, std::move(Value)}));
        FLatest.store(FKept.back().get(), std::memory_order_release);
        const uint64_t inUse = FInUse.load(std::memory_order_acquire);
        while (FKept.front()->Generation < inUse)
            FKept.pop_front();
    }

    // The newest value published (null before the first), valid and
    // unchanged until the taker's next Take. Sets Changed when it is another
    // value than the last Take gave.
    const T* Take(bool& Changed)
    {
        const TEntry* latest = FLatest.load(std::memory_order_acquire);
        Changed = latest != FTaken;
        if (Changed && latest) {
            FTaken = latest;
            FInUse.store(latest->Generation, std::memory_order_release);
        }
        return FTaken ? FTaken->Value.get() : nullptr;
    }

    // Forgets every value; while the taker does not run (see above).
    void Clear()
    {
        FLatest.store(nullptr, std::memory_order_relaxed);
        FTaken = nullptr;
        FInUse.store(0, std::memory_order_relaxed);
        FKept.clear();
    }

    // Values published and not yet freed (the owner's thread).
    std::size_t KeptCount() const { return FKept.size(); }

private:
    struct TEntry {
        uint64_t Generation;
        std::unique_ptr<const T> Value;
    };

    // The owner's alone: what it keeps alive, oldest first, and the last generation.
    std::deque<std::unique_ptr<const TEntry>> FKept;
    uint64_t FGeneration = 0;
    // Shared: the newest entry, and the generation the taker reads.
    std::atomic<const TEntry*> FLatest{nullptr};
    std::atomic<uint64_t> FInUse{0};
    // The taker's alone: the entry it reads.
    const TEntry* FTaken = nullptr;
};
