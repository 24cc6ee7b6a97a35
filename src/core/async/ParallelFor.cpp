#include "async/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace vantrel {

void parallelFor(std::size_t count, const std::function<void(std::size_t)>& body, ParallelLimits limits)
{
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads = std::min({cores, std::max<std::size_t>(1, limits.maximumThreads),
                                          count / std::max<std::size_t>(1, limits.minimumPerThread)});
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            body(i);
        }
        return;
    }
    // Each thread takes the next index left, so a slow file holds up only its own thread.
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next.fetch_add(1, std::memory_order_relaxed); i < count;
             i = next.fetch_add(1, std::memory_order_relaxed)) {
            body(i);
        }
    };
    std::vector<std::thread> helpers;
    // Joined however this returns: no helper outlives the indices it reads.
    struct Joiner {
        std::vector<std::thread>& threads;
        ~Joiner()
        {
            for (std::thread& thread : threads) {
                thread.join();
            }
        }
    } joiner{helpers};
    helpers.reserve(threads - 1);
    for (std::size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break; // no thread to be had: those started, and this one, do it all
        }
    }
    work();
}

} // namespace vantrel
