#include "common/SignalCleanup.h"

#include "common/Platform.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <mutex>

namespace {

using TChar = std::filesystem::path::value_type;

// One file to remove. State: 0 free, 1 being filled, 2 armed. Only an armed
// slot's path is read by the handler; a slot is freed before it is reused.
struct TSlot {
    std::atomic<int> State{0};
    TChar Path[1024];
};
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int kSlots = 16; // concurrent replacements: exports and saves at once
TSlot gSlots[kSlots];

extern "C" void RemoveAndReraise(int Signal)
{
    for (TSlot& slot : gSlots)
        if (slot.State.load() == 2)
            Platform::RemoveFileInSignal(slot.Path);
    std::signal(Signal, SIG_DFL);
    std::raise(Signal);
}

void InstallHandlers()
{
    for (const int signal : Platform::TerminationSignals()) {
        const auto previous = std::signal(signal, RemoveAndReraise);
        if (previous != SIG_DFL && previous != SIG_ERR)
            std::signal(signal, previous); // ignored or handled by the program: left so
    }
}

} // namespace

TRemoveOnSignal::TRemoveOnSignal(const std::filesystem::path& Path) noexcept
{
    static std::once_flag installed;
    try {
        std::call_once(installed, InstallHandlers);
    } catch (...) {
        return;
    }
    const auto& native = Path.native();
    if (native.size() >= std::size(gSlots[0].Path))
        return;
    for (int i = 0; i < kSlots; ++i) {
        int expected = 0;
        if (!gSlots[i].State.compare_exchange_strong(expected, 1))
            continue;
        std::copy(native.begin(), native.end(), gSlots[i].Path);
        gSlots[i].Path[native.size()] = 0;
        gSlots[i].State.store(2);
        FSlot = i;
        return;
    }
}

TRemoveOnSignal::~TRemoveOnSignal()
{
    if (FSlot >= 0)
        gSlots[FSlot].State.store(0);
}
