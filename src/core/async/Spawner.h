#pragma once

#include "async/Task.h"

#include <QString>

#include <coroutine>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

namespace vantrel {

// Fire-and-forget work (a delayed preference restore, a launch started by a click) goes
// through a Spawner. It keeps the coroutine running after its caller has returned, reports
// an exception that escapes it instead of dropping it with the task, and lets its owner
// await everything still pending, so that the process never ends in the middle of a
// restore.
//
// Used on one thread (the main thread); the spawned work resumes wherever its awaits do.
class Spawner {
public:
    using ErrorHandler = std::function<void(const QString& label, std::exception_ptr error)>;

    // Without a handler, escaped exceptions are reported with qWarning.
    explicit Spawner(ErrorHandler onError = {});
    ~Spawner();

    Spawner(const Spawner&) = delete;
    Spawner& operator=(const Spawner&) = delete;

    // Takes over a started task. `label` names it in error reports.
    void spawn(Task<> task, const QString& label = {});

    std::size_t pendingCount() const;
    std::size_t escapedErrorCount() const;

    // Completes once no spawned work is pending (at once when none is). Work spawned while
    // waiting is waited for too.
    Task<> waitForPending();

private:
    struct State;
    struct IdleAwaiter;
    static Task<> run(std::shared_ptr<State> state, Task<> task, QString label);

    std::shared_ptr<State> m_state;
};

} // namespace vantrel
