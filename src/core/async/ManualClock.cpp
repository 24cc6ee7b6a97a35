#include "async/ManualClock.h"

#include <QtGlobal>

#include <functional>

namespace vantrel {

struct ManualClock::SleepAwaiter {
    ManualClock& clock;
    TimePoint deadline;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle)
    {
        clock.m_sleepers.emplace(Key{deadline, clock.m_sequence++}, handle);
    }
    void await_resume() const noexcept {}
};

// A sleeper that leaves the schedule, and resumes at once, when it is cancelled.
struct ManualClock::CancellableSleepAwaiter {
    ManualClock& clock;
    TimePoint deadline;
    std::shared_ptr<Cancellation> cancellation;
    std::optional<Key> key = {}; // while suspended

    // A frame destroyed while it sleeps leaves no sleeper behind.
    ~CancellableSleepAwaiter()
    {
        if (key) {
            clock.m_sleepers.erase(*key);
            cancellation->setOnCancel({});
        }
    }

    bool await_ready() const noexcept { return cancellation->isCancelled(); }
    void await_suspend(std::coroutine_handle<> handle)
    {
        key = Key{deadline, clock.m_sequence++};
        clock.m_sleepers.emplace(*key, handle);
        cancellation->setOnCancel([&sleepers = clock.m_sleepers, at = *key] {
            if (auto node = sleepers.extract(at)) {
                node.mapped().resume();
            }
        });
    }
    bool await_resume()
    {
        key.reset();
        cancellation->setOnCancel({});
        return !cancellation->isCancelled();
    }
};

ManualClock::ManualClock(TimePoint start)
    : m_now(start)
{
}

ManualClock::~ManualClock()
{
    // Sleepers still waiting here never resume; their frames are the test's leak to fix.
    if (!m_sleepers.empty()) {
        qWarning("ManualClock destroyed with %zu sleeping coroutine(s)", m_sleepers.size());
    }
}

Task<> ManualClock::sleep(Duration duration)
{
    co_await SleepAwaiter{*this, m_now + std::max(duration, Duration::zero())};
}

Task<bool> ManualClock::sleep(Duration duration, std::shared_ptr<Cancellation> cancellation)
{
    // A named awaiter: GCC 12 destroys a non-trivial temporary awaiter twice.
    CancellableSleepAwaiter awaiter{*this, m_now + std::max(duration, Duration::zero()), std::move(cancellation)};
    co_return co_await awaiter;
}

std::optional<Clock::TimePoint> ManualClock::nextDeadline() const
{
    if (m_sleepers.empty()) {
        return std::nullopt;
    }
    return m_sleepers.begin()->first.first;
}

void ManualClock::resumeDue(TimePoint target)
{
    while (!m_sleepers.empty() && m_sleepers.begin()->first.first <= target) {
        auto node = m_sleepers.extract(m_sleepers.begin());
        m_now = std::max(m_now, node.key().first);
        node.mapped().resume();
    }
    m_now = std::max(m_now, target);
}

void ManualClock::advance(Duration duration)
{
    resumeDue(m_now + std::max(duration, Duration::zero()));
}

bool ManualClock::runUntil(const std::function<bool()>& done, Duration limit)
{
    const TimePoint end = m_now + limit;
    while (!done()) {
        auto next = nextDeadline();
        if (!next || *next > end) {
            return false;
        }
        // One deadline at a time, so that `done` is checked between wake-ups.
        auto node = m_sleepers.extract(m_sleepers.begin());
        m_now = std::max(m_now, node.key().first);
        node.mapped().resume();
    }
    return true;
}

bool ManualClock::runUntilIdle(Duration limit)
{
    return runUntil([this] { return m_sleepers.empty(); }, limit);
}

} // namespace vantrel
