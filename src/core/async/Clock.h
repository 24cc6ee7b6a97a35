#pragma once

#include "async/Duration.h"
#include "async/Task.h"

#include <chrono>
#include <functional>
#include <memory>

namespace vantrel {

// Reading the time and waiting. The launch engine never blocks or reads the system clock
// for its waits and deadlines; it asks its Clock, so that tests can run in virtual time.
class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;

    virtual TimePoint now() const = 0;

    // Ends a sleep early. The sleeper resumes inside cancel() and its timer is gone at
    // once, so nothing of it outlives the cancelling call. Cancelling twice, or after the
    // sleep has ended, does nothing.
    class Cancellation {
    public:
        void cancel();
        bool isCancelled() const { return m_cancelled; }

        // For clocks: what cancel() does while a sleep waits on this.
        void setOnCancel(std::function<void()> onCancel) { m_onCancel = std::move(onCancel); }

    private:
        bool m_cancelled = false;
        std::function<void()> m_onCancel;
    };

    // Suspends the calling coroutine for at least `duration`. A zero or negative duration
    // still suspends: the coroutine resumes on a later turn, never inside this call.
    virtual Task<> sleep(Duration duration) = 0;

    // The same, but `cancellation` may end it early. True when the whole duration passed,
    // false when it was cancelled (before or during the sleep).
    virtual Task<bool> sleep(Duration duration, std::shared_ptr<Cancellation> cancellation) = 0;
};

inline void Clock::Cancellation::cancel()
{
    if (m_cancelled) {
        return;
    }
    m_cancelled = true;
    if (auto onCancel = std::exchange(m_onCancel, {})) {
        onCancel();
    }
}

} // namespace vantrel
