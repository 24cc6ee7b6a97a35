#include "async/Spawner.h"

#include <QDebug>

#include <utility>

namespace vantrel {

// Shared with every running wrapper, so a wrapper that outlives the Spawner stays valid.
struct Spawner::State {
    ErrorHandler onError;
    std::size_t pending = 0;
    std::size_t escapedErrors = 0;
    std::vector<std::coroutine_handle<>> idleWaiters;

    void finishOne()
    {
        --pending;
        if (pending == 0) {
            auto waiters = std::exchange(idleWaiters, {});
            for (auto waiter : waiters) {
                waiter.resume();
            }
        }
    }
};

struct Spawner::IdleAwaiter {
    std::shared_ptr<State> state;

    bool await_ready() const noexcept { return state->pending == 0; }
    void await_suspend(std::coroutine_handle<> handle) { state->idleWaiters.push_back(handle); }
    void await_resume() const noexcept {}
};

Spawner::Spawner(ErrorHandler onError)
    : m_state(std::make_shared<State>())
{
    m_state->onError = std::move(onError);
}

Spawner::~Spawner() = default;

Task<> Spawner::run(std::shared_ptr<State> state, Task<> task, QString label)
{
    std::exception_ptr error;
    try {
        co_await std::move(task);
    } catch (...) {
        error = std::current_exception();
    }
    if (error) {
        ++state->escapedErrors;
        if (state->onError) {
            state->onError(label, error);
        } else {
            QString what = QStringLiteral("unknown exception");
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                what = QString::fromUtf8(e.what());
            } catch (...) {
            }
            qWarning().noquote() << "spawned task" << (label.isEmpty() ? QStringLiteral("(unnamed)") : label)
                                 << "ended with an exception:" << what;
        }
    }
    state->finishOne();
}

void Spawner::spawn(Task<> task, const QString& label)
{
    ++m_state->pending;
    // The wrapper's own Task is dropped on purpose: a QCoro coroutine whose Task is gone
    // keeps running and frees itself when it finishes.
    run(m_state, std::move(task), label);
}

std::size_t Spawner::pendingCount() const
{
    return m_state->pending;
}

std::size_t Spawner::escapedErrorCount() const
{
    return m_state->escapedErrors;
}

Task<> Spawner::waitForPending()
{
    // A named awaiter: GCC 12 destroys a non-trivial temporary in a co_await operand twice.
    IdleAwaiter idle{m_state};
    co_await idle;
}

} // namespace vantrel
