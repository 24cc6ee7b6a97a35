#include "async/SerialQueue.h"

namespace vantrel {

SerialQueue::SerialQueue()
    : m_thread([this] { run(); })
{
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void SerialQueue::post(std::function<void()> work)
{
    {
        std::lock_guard lock(m_mutex);
        m_items.push_back(std::move(work));
        ++m_posted;
    }
    m_wake.notify_one();
}

void SerialQueue::waitUntilIdle()
{
    std::unique_lock lock(m_mutex);
    const std::uint64_t target = m_posted;
    m_finished.wait(lock, [&] { return m_done >= target; });
}

std::uint64_t SerialQueue::pendingCount() const
{
    std::lock_guard lock(m_mutex);
    return m_posted - m_done;
}

void SerialQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stopping || !m_items.empty(); });
        while (!m_items.empty()) {
            std::function<void()> work = std::move(m_items.front());
            m_items.pop_front();
            lock.unlock();
            work();
            lock.lock();
            ++m_done;
            m_finished.notify_all();
        }
        if (m_stopping) {
            return;
        }
    }
}

} // namespace vantrel
