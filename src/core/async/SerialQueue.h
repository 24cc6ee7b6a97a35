#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vantrel {

// One background thread that runs posted work items one at a time, in the order they
// were posted. For work that must touch the disk without holding up the main thread
// (the launch log, the installation file). Destroying the queue runs what is still
// queued, then stops the thread.
class SerialQueue {
public:
    SerialQueue();
    ~SerialQueue();

    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    // Queues `work` and returns at once. Callable from any thread.
    void post(std::function<void()> work);

    // Blocks until every item posted before the call has run. Must not be called from a
    // work item.
    void waitUntilIdle();

    // Items posted but not yet finished.
    std::uint64_t pendingCount() const;

private:
    void run();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_finished;
    std::deque<std::function<void()>> m_items;
    std::uint64_t m_posted = 0;
    std::uint64_t m_done = 0;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace vantrel
