#pragma once

#include "async/Task.h"

#include <chrono>

namespace vantrel {

using Duration = std::chrono::nanoseconds;

// Reading the time and waiting. The launch engine never blocks or reads the system clock
// for its waits and deadlines; it asks its Clock, so that tests can run in virtual time.
class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;

    virtual TimePoint now() const = 0;

    // Suspends the calling coroutine for at least `duration`. A zero or negative duration
    // still suspends: the coroutine resumes on a later turn, never inside this call.
    virtual Task<> sleep(Duration duration) = 0;
};

// Seconds as written in the launcher's timing tables (0.15 s, 1.25 s, 120 s …).
constexpr Duration seconds(double value)
{
    return std::chrono::duration_cast<Duration>(std::chrono::duration<double>(value));
}

} // namespace vantrel
