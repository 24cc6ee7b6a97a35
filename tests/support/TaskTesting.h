#pragma once

#include "async/Task.h"
#include "model/LauncherError.h"

#include <exception>
#include <optional>
#include <string>
#include <type_traits>

namespace vantrel::testing {

// What a task ended with, read without an event loop: the test drives the task (usually
// with ManualClock) and then looks at the outcome.
template <typename T>
struct TaskOutcome {
    bool finished = false;
    std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> value{};
    std::exception_ptr error;

    // Rethrows the task's exception, if it ended with one.
    void rethrow() const
    {
        if (error) {
            std::rethrow_exception(error);
        }
    }
};

// Starts awaiting `task` and records its outcome in `outcome`, which must outlive the task.
template <typename T>
Task<> observe(Task<T> task, TaskOutcome<T>& outcome)
{
    try {
        if constexpr (std::is_void_v<T>) {
            co_await std::move(task);
            outcome.value = true;
        } else {
            outcome.value = co_await std::move(task);
        }
    } catch (...) {
        outcome.error = std::current_exception();
    }
    outcome.finished = true;
}

// The message of the error a task ended with, for failure output.
inline std::string launcherErrorText(const std::exception_ptr& error)
{
    return error ? LauncherError::localizedDescription(error).toStdString() : std::string("(no error)");
}

} // namespace vantrel::testing
