#include "app/FocusLossPolicy.h"

#include "async/Timings.h"

namespace vantrel {

FocusLossPolicy::FocusLossPolicy(Clock& clock, Environment environment, std::function<void()> close, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_env(std::move(environment))
    , m_close(std::move(close))
{
}

FocusLossPolicy::~FocusLossPolicy()
{
    cancelPendingClose();
}

void FocusLossPolicy::suppressFocusLossClose(Duration duration)
{
    m_suppressUntil = m_clock.now() + duration;
    cancelPendingClose();
}

void FocusLossPolicy::resetSuppression()
{
    m_suppressUntil = {};
}

bool FocusLossPolicy::shouldIgnoreFocusLossClose() const
{
    return m_clock.now() < m_suppressUntil || m_isWindowMoving || m_isMenuTracking || m_env.isSettingsWindowVisible()
           || m_isBusyLaunching || m_env.isViewModelLaunching();
}

void FocusLossPolicy::menuTrackingBegan()
{
    m_isMenuTracking = true;
    cancelPendingClose();
}

void FocusLossPolicy::menuTrackingEnded()
{
    m_isMenuTracking = false;
    // Activation lost while the menu tracked was ignored then: it counts now.
    if (!m_env.isApplicationActive()) {
        applicationResignedActive();
    }
}

void FocusLossPolicy::applicationResignedActive()
{
    if (m_env.closeOnFocusLoss() && !shouldIgnoreFocusLossClose()) {
        scheduleFocusLossClose();
    }
}

void FocusLossPolicy::applicationBecameActive()
{
    cancelPendingClose();
}

void FocusLossPolicy::outsideClick(QPoint location)
{
    auto wanted = [this] { return m_env.closeOnFocusLoss() && !shouldIgnoreFocusLossClose(); };
    if (wanted() && !m_env.isMenuBarPoint(location) && !m_env.isInsideOurWindows(location)) {
        closeOnceButtonReleased(wanted);
    }
}

void FocusLossPolicy::dragEntered()
{
    m_dragEntered = true;
    cancelPendingClose();
}

void FocusLossPolicy::windowMoveStarted()
{
    cancelPendingClose();
    if (m_isWindowMoving) {
        return;
    }
    m_isWindowMoving = true;
    auto watch = [](FocusLossPolicy* self, std::weak_ptr<bool> alive, Clock& clock) -> Task<> {
        do {
            co_await clock.sleep(timings::mouseButtonPoll);
            if (alive.expired()) {
                co_return;
            }
        } while (self->m_env.isMouseButtonDown());
        self->m_isWindowMoving = false;
        self->suppressFocusLossClose(timings::suppressAfterPanelMove);
    };
    m_tasks.spawn(watch(this, m_alive, m_clock), QStringLiteral("panel move"));
}

void FocusLossPolicy::cancelPendingClose()
{
    if (auto pending = std::exchange(m_pendingClose, nullptr)) {
        pending->cancel();
    }
}

void FocusLossPolicy::scheduleFocusLossClose()
{
    cancelPendingClose();
    m_pendingClose = std::make_shared<Clock::Cancellation>();
    auto wait = [](FocusLossPolicy* self, std::weak_ptr<bool> alive, Clock& clock,
                   std::shared_ptr<Clock::Cancellation> cancellation) -> Task<> {
        const bool elapsed = co_await clock.sleep(timings::focusLossCloseDelay, cancellation);
        if (!elapsed || alive.expired()) {
            co_return;
        }
        self->m_pendingClose.reset();
        auto wanted = [self] {
            const Environment& env = self->m_env;
            return !env.isApplicationActive() && env.closeOnFocusLoss() && !self->shouldIgnoreFocusLossClose();
        };
        if (wanted() && !self->m_env.isPointerOnMenuBar()) {
            self->closeOnceButtonReleased(wanted);
        }
    };
    m_tasks.spawn(wait(this, m_alive, m_clock, m_pendingClose), QStringLiteral("focus-loss close"));
}

void FocusLossPolicy::closeOnceButtonReleased(std::function<bool()> stillWanted)
{
    if (!m_env.isMouseButtonDown()) {
        m_close();
        return;
    }
    cancelPendingClose();
    m_dragEntered = false;
    m_pendingClose = std::make_shared<Clock::Cancellation>();
    auto wait = [](FocusLossPolicy* self, std::weak_ptr<bool> alive, Clock& clock,
                   std::shared_ptr<Clock::Cancellation> cancellation, std::function<bool()> stillWanted) -> Task<> {
        do {
            if (!co_await clock.sleep(timings::mouseButtonPoll, cancellation) || alive.expired()) {
                co_return; // re-activated, suppressed, a drag entered, or gone
            }
        } while (self->m_env.isMouseButtonDown());
        self->m_pendingClose.reset();
        if (!self->m_dragEntered && stillWanted()) {
            self->m_close();
        }
    };
    m_tasks.spawn(wait(this, m_alive, m_clock, m_pendingClose, std::move(stillWanted)),
                  QStringLiteral("close after the mouse button"));
}

bool FocusLossPolicy::isMenuBarPoint(QPoint point, const QList<std::pair<QRect, QRect>>& screens)
{
    if (screens.isEmpty()) {
        return false;
    }
    auto holding = std::find_if(screens.cbegin(), screens.cend(),
                                [&](const std::pair<QRect, QRect>& screen) { return screen.first.contains(point); });
    const QRect available = (holding != screens.cend() ? *holding : screens.first()).second;
    return point.y() < available.top() + 1;
}

} // namespace vantrel
