#include "async/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <QThread>

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
    // The helpers get the main thread's usual stack: a property list is parsed recursively,
    // and secondary threads on the Mac get only 512 KiB by default.
    constexpr uint helperStackBytes = 8u * 1024 * 1024;
    std::vector<std::unique_ptr<QThread>> helpers;
    // Joined however this returns: no helper outlives the indices it reads.
    struct Joiner {
        std::vector<std::unique_ptr<QThread>>& threads;
        ~Joiner()
        {
            for (const auto& thread : threads) {
                thread->wait();
            }
        }
    } joiner{helpers};
    helpers.reserve(threads - 1);
    for (std::size_t t = 1; t < threads; ++t) {
        std::unique_ptr<QThread> helper(QThread::create(work));
        helper->setStackSize(helperStackBytes);
        helper->start();
        if (!helper->isRunning() && !helper->isFinished()) {
            break; // no thread to be had: those started, and this one, do it all
        }
        helpers.push_back(std::move(helper));
    }
    work();
}

} // namespace vantrel
