#include "async/QtClock.h"

#include <QTimer>

#include <coroutine>

namespace vantrel {

namespace {

struct TimerAwaiter {
    std::chrono::milliseconds delay;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) const
    {
        QTimer::singleShot(delay, Qt::PreciseTimer, [handle] { handle.resume(); });
    }
    void await_resume() const noexcept {}
};

} // namespace

Clock::TimePoint QtClock::now() const
{
    return std::chrono::steady_clock::now();
}

Task<> QtClock::sleep(Duration duration)
{
    // Round up so that a sleep never ends before the requested time has passed.
    auto delay = std::chrono::ceil<std::chrono::milliseconds>(std::max(duration, Duration::zero()));
    co_await TimerAwaiter{delay};
}

} // namespace vantrel
