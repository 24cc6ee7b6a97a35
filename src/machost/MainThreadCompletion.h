#pragma once

#include "async/Task.h"

#include <QFuture>
#include <QPromise>

#include <qcoro/qcorofuture.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace vantrel::mac {

// Brings a platform completion handler, which may run on any thread, back to the coroutine
// that waits for it, on the thread that waits (the main thread). The waiting side resumes
// exactly once: with the first value delivered, or with no value when every copy of the
// deliverer is gone without having been called. Later deliveries are ignored.
template <typename T>
class MainThreadCompletion {
public:
    MainThreadCompletion()
        : m_state(std::make_shared<State>())
        , m_sender(std::make_shared<Sender>(m_state))
    {
    }

    // The callable to hand to the platform (once): copy it freely, call it from any thread.
    // True for the call that delivered.
    std::function<bool(T)> deliverer()
    {
        return [sender = std::move(m_sender)](T value) { return sender->state->finish(std::move(value)); };
    }

    Task<std::optional<T>> result()
    {
        const std::shared_ptr<State> state = m_state;
        QFuture<void> finished = state->promise.future();
        co_await finished;
        std::lock_guard lock(state->mutex);
        co_return state->value;
    }

private:
    struct State {
        State() { promise.start(); }
        bool finish(std::optional<T> delivered)
        {
            std::lock_guard lock(mutex);
            if (done) {
                return false;
            }
            done = true;
            value = std::move(delivered);
            promise.finish();
            return true;
        }
        std::mutex mutex;
        bool done = false;
        std::optional<T> value;
        QPromise<void> promise;
    };
    // Alive as long as a deliverer is: its end without a delivery ends the wait.
    struct Sender {
        explicit Sender(std::shared_ptr<State> s)
            : state(std::move(s))
        {
        }
        ~Sender() { state->finish(std::nullopt); }
        Sender(const Sender&) = delete;
        Sender& operator=(const Sender&) = delete;
        std::shared_ptr<State> state;
    };

    std::shared_ptr<State> m_state;
    std::shared_ptr<Sender> m_sender;
};

} // namespace vantrel::mac
