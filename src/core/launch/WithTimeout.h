#pragma once

#include "async/Clock.h"
#include "async/Task.h"
#include "model/LauncherError.h"

#include <exception>
#include <memory>
#include <type_traits>
#include <utility>

namespace vantrel {

// Races `operation` against a timer of `timeout`. Whichever finishes first decides: the
// operation's value or error, or launchFailed("timed out") when the timer was first. The
// operation is never abandoned: a timeout is reported only once the operation has ended,
// and its late result is dropped. (Nothing here can stop an operation early; the launch
// engine's operations end on their own.) When the operation wins, its timer is cancelled:
// no sleeper outlives the call.
template <typename Operation>
auto withTimeout(Clock& clock, Duration timeout, Operation operation)
    -> Task<typename std::invoke_result_t<Operation>::value_type>
{
    using T = typename std::invoke_result_t<Operation>::value_type;
    auto timedOut = std::make_shared<bool>(false);
    auto finished = std::make_shared<bool>(false);
    auto cancellation = std::make_shared<Clock::Cancellation>();
    // The timer keeps its own copies of the flags: its frame ends after this call's.
    auto timer = [](Clock& clock, Duration duration, std::shared_ptr<Clock::Cancellation> cancellation,
                    std::shared_ptr<bool> timedOut, std::shared_ptr<bool> finished) -> Task<> {
        const bool elapsed = co_await clock.sleep(duration, std::move(cancellation));
        if (elapsed && !*finished) {
            *timedOut = true;
        }
    };
    timer(clock, timeout, cancellation, timedOut, finished);

    std::exception_ptr error;
    // Whichever finished first decides; the operation has ended either way.
    auto decide = [&] {
        *finished = true;
        cancellation->cancel();
        if (*timedOut) {
            throw LauncherError::launchFailed(QStringLiteral("timed out"));
        }
        if (error) {
            std::rethrow_exception(error);
        }
    };
    if constexpr (std::is_void_v<T>) {
        try {
            co_await operation();
        } catch (...) {
            error = std::current_exception();
        }
        decide();
    } else {
        std::optional<T> value;
        try {
            value = co_await operation();
        } catch (...) {
            error = std::current_exception();
        }
        decide();
        co_return std::move(*value);
    }
}

} // namespace vantrel
