#pragma once

#include "async/ManualClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace vantrel::testing {

// Drives a task that waits on both worlds: real child processes (answered through the
// event loop) and the launch engine's pauses (on a ManualClock). Real events are handled
// first; virtual time moves to the next deadline only between them, so a 12-second
// verification costs milliseconds while real processes start at their own pace.
template <typename T>
bool runHybrid(ManualClock& clock, const Task<T>& task, int realTimeoutMs = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!task.isReady()) {
        if (timer.elapsed() > realTimeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (task.isReady()) {
            break;
        }
        if (auto next = clock.nextDeadline()) {
            clock.advance(*next - clock.now());
        } else {
            QThread::msleep(2);
        }
    }
    return true;
}

} // namespace vantrel::testing
