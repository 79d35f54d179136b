#pragma once
// Ending a thread that sleeps on a condition variable until a flag is set
// (the player's worker and its end reporter).

#include <condition_variable>
#include <mutex>
#include <thread>

// Sets Flag under Lock, wakes the sleepers on Woken and waits for Thread to
// end; a thread that has ended already is left alone.
inline void EndSleepingThread(std::mutex& Lock, std::condition_variable& Woken, bool& Flag, std::thread& Thread)
{
    {
        std::lock_guard lock(Lock);
        Flag = true;
        Woken.notify_all();
    }
    if (Thread.joinable())
        Thread.join();
}
