#include "app/CancellableSearch.h"

#include "app/Prompter.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// How long the dialog waits before it shows (TDialogPrompter's progress),
// and how often the main thread looks at the search and the dialog.
constexpr qint64 kDialogDelayMs = 500;
constexpr std::chrono::milliseconds kPollInterval{20};

// What the search's thread and the main thread share: the samples (the
// thread's alone) and, under the lock, the outcome.
struct TSearch {
    std::vector<int16_t> Samples;
    std::mutex Lock;
    std::condition_variable Finished;
    bool Done = false;
    std::optional<TFoundLoops> Found;
    std::exception_ptr Error;
};

} // namespace

std::optional<TFoundLoops> FindCancellable(std::vector<int16_t> Samples, int32_t RateHz,
                                           std::function<TFoundLoops(const TLoopFinder&)> Find,
                                           TPrompter& Prompter, QWidget* Parent, const QString& Text)
{
    auto search = std::make_shared<TSearch>();
    search->Samples = std::move(Samples);
    std::thread([search, RateHz, Find = std::move(Find)] {
        std::optional<TFoundLoops> found;
        std::exception_ptr error;
        try {
            found = Find(TLoopFinder(search->Samples, RateHz));
        } catch (...) {
            error = std::current_exception();
        }
        const std::lock_guard lock(search->Lock);
        search->Found = std::move(found);
        search->Error = error;
        search->Done = true;
        search->Finished.notify_all();
    }).detach();

    const std::unique_ptr<TProgress> progress = Prompter.StartProgress(Parent, Text, 0);
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        {
            std::unique_lock lock(search->Lock);
            if (search->Finished.wait_for(lock, kPollInterval, [&] { return search->Done; })) {
                if (search->Error)
                    std::rethrow_exception(search->Error);
                return std::move(search->Found);
            }
        }
        QCoreApplication::processEvents(elapsed.elapsed() < kDialogDelayMs ? QEventLoop::ExcludeUserInputEvents
                                                                           : QEventLoop::AllEvents);
        if (!progress->Step(0))
            return std::nullopt;
    }
}
