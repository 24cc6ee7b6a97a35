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

// The timer belongs to the awaiter, so a cancelled sleep stops it at once.
struct CancellableTimerAwaiter {
    std::chrono::milliseconds delay;
    std::shared_ptr<Clock::Cancellation> cancellation;
    // Deleted through the event loop: the sleeper may resume inside the timer's own signal.
    std::shared_ptr<QTimer> timer = {};

    // A frame destroyed while it sleeps leaves neither a running timer nor a way to
    // resume it behind.
    ~CancellableTimerAwaiter()
    {
        if (timer) {
            timer->stop();
            cancellation->setOnCancel({});
        }
    }

    bool await_ready() const noexcept { return cancellation->isCancelled(); }
    void await_suspend(std::coroutine_handle<> handle)
    {
        timer = std::shared_ptr<QTimer>(new QTimer, [](QTimer* t) { t->deleteLater(); });
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer.get(), &QTimer::timeout, [handle] { handle.resume(); });
        QTimer* running = timer.get();
        cancellation->setOnCancel([running, handle] {
            running->stop();
            handle.resume();
        });
        timer->start(delay);
    }
    bool await_resume()
    {
        cancellation->setOnCancel({});
        if (timer) {
            timer->stop();
        }
        timer.reset();
        return !cancellation->isCancelled();
    }
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

namespace vantrel {

Task<bool> QtClock::sleep(Duration duration, std::shared_ptr<Cancellation> cancellation)
{
    auto delay = std::chrono::ceil<std::chrono::milliseconds>(std::max(duration, Duration::zero()));
    // A named awaiter: GCC 12 destroys a non-trivial temporary awaiter twice.
    CancellableTimerAwaiter awaiter{delay, std::move(cancellation)};
    co_return co_await awaiter;
}

} // namespace vantrel
