#pragma once

#include "async/Clock.h"

#include <coroutine>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>

namespace vantrel {

// Virtual time for tests. Nothing moves until the test advances the clock; sleeping
// coroutines then resume in deadline order (equal deadlines in the order they went to
// sleep), each seeing now() equal to its own deadline. A 120-second deadline costs
// microseconds and behaves the same on every run.
//
// Single-threaded: sleep, advance and the resumed coroutines all run on the test's thread.
class ManualClock final : public Clock {
public:
    explicit ManualClock(TimePoint start = TimePoint{} + std::chrono::hours(24));
    ~ManualClock() override;

    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    TimePoint now() const override { return m_now; }
    Task<> sleep(Duration duration) override;
    Task<bool> sleep(Duration duration, std::shared_ptr<Cancellation> cancellation) override;

    // Moves time forward by `duration`, resuming every sleeper whose deadline falls within
    // it, including sleepers that the resumed coroutines start on the way.
    void advance(Duration duration);

    // Advances from deadline to deadline until nobody sleeps. Returns false if sleepers
    // remain after `limit` of virtual time (a coroutine that polls forever).
    bool runUntilIdle(Duration limit = std::chrono::hours(24));

    // Advances from deadline to deadline until `task` has finished. Returns false if it
    // cannot finish: nobody sleeps any more, or `limit` of virtual time has passed.
    template <typename T>
    bool runUntilDone(const Task<T>& task, Duration limit = std::chrono::hours(24))
    {
        return runUntil([&task] { return task.isReady(); }, limit);
    }

    std::size_t sleeperCount() const { return m_sleepers.size(); }
    std::optional<TimePoint> nextDeadline() const;

private:
    struct SleepAwaiter;
    struct CancellableSleepAwaiter;

    bool runUntil(const std::function<bool()>& done, Duration limit);
    void resumeDue(TimePoint target);

    using Key = std::pair<TimePoint, std::uint64_t>;
    std::map<Key, std::coroutine_handle<>> m_sleepers;
    TimePoint m_now;
    std::uint64_t m_sequence = 0;
};

} // namespace vantrel
