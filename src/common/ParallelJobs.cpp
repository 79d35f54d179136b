#include "common/ParallelJobs.h"

#include <algorithm>
#include <atomic>
#include <thread>

std::vector<std::exception_ptr> RunParallel(std::size_t Count, const std::function<void(std::size_t)>& Job)
{
    std::vector<std::exception_ptr> failures(Count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    // Each thread takes the next index until none is left or a job failed,
    // and runs every index it took (so all before a failing one run); each
    // writes only the failure slot of its own index.
    const auto work = [&] {
        while (!failed.load()) {
            const std::size_t i = next++;
            if (i >= Count)
                return;
            try {
                Job(i);
            } catch (...) {
                failures[i] = std::current_exception();
                failed = true;
            }
        }
    };
    const std::size_t threads = std::min<std::size_t>(Count, std::max(1u, std::thread::hardware_concurrency()));
    {
        std::vector<std::jthread> helpers;
        for (std::size_t t = 1; t < threads; ++t)
            helpers.emplace_back(work);
        work();
    }
    return failures;
}
