#pragma once

#include "async/Clock.h"
#include "async/Spawner.h"

#include <QObject>
#include <QPoint>
#include <QRect>

#include <functional>
#include <memory>

namespace vantrel {

// When losing the focus ends the launcher. Closing is ignored while a suppression window
// runs (a menu being shown, a support action, a launch, a reveal …), while a menu is being
// tracked, while the settings window shows and while a launch is busy; otherwise losing
// activation closes the launcher 0.15 s later, unless the application is active again by
// then or the pointer is on the menu bar, and a click in another application closes it
// unless it is on the menu bar or inside one of our windows. While a mouse button is held
// the close waits for its release: the press may start a drag (a project from the Finder)
// towards the launcher, and a drag entering our windows cancels the close. All waits go
// through the Clock.
class FocusLossPolicy final : public QObject {
    Q_OBJECT

public:
    // What the policy asks of the rest of the shell, each read at the moment it matters.
    struct Environment {
        std::function<bool()> closeOnFocusLoss;
        std::function<bool()> isApplicationActive;
        std::function<bool()> isSettingsWindowVisible;
        std::function<bool()> isViewModelLaunching;
        std::function<bool()> isPointerOnMenuBar;
        std::function<bool(QPoint)> isMenuBarPoint;
        std::function<bool(QPoint)> isInsideOurWindows;
        std::function<bool()> isMouseButtonDown;
    };

    FocusLossPolicy(Clock& clock, Environment environment, std::function<void()> close, QObject* parent = nullptr);
    ~FocusLossPolicy() override;

    // No focus-loss close for `duration` from now (replacing any later deadline); cancels a
    // pending close.
    void suppressFocusLossClose(Duration duration);
    // Forgets any suppression window.
    void resetSuppression();
    bool shouldIgnoreFocusLossClose() const;

    void setBusyLaunching(bool busy) { m_isBusyLaunching = busy; }
    bool isBusyLaunching() const { return m_isBusyLaunching; }
    void menuTrackingBegan();
    void menuTrackingEnded();
    bool isMenuTracking() const { return m_isMenuTracking; }

    // The application lost or regained activation.
    void applicationResignedActive();
    void applicationBecameActive();
    // A mouse-down in another application, at its own screen position.
    void outsideClick(QPoint location);
    // A drag entered one of our windows: a close waiting for the button is dropped.
    void dragEntered();
    // The panel is being moved by its background: the window manager may hold the focus
    // while it moves a window, so no close until the button is released and a moment more
    // (timings::suppressAfterPanelMove) for the focus to come back.
    void windowMoveStarted();
    bool isWindowMoving() const { return m_isWindowMoving; }
    // A focus-loss close is waiting out its delay or for the mouse button.
    bool hasPendingClose() const { return m_pendingClose != nullptr; }
    void cancelPendingClose();

    // Whether `point` is on the menu bar of the screen holding it: at or above the first
    // row of that screen's available area (one point of slack), or of the primary screen
    // when no screen holds it. Screens are (frame, available area) pairs, primary first.
    static bool isMenuBarPoint(QPoint point, const QList<std::pair<QRect, QRect>>& screens);

    // How often a close waiting for the mouse button looks at it.

private:
    void scheduleFocusLossClose();
    // Closes now, or once the mouse button is released when it is held, if `stillWanted`
    // then and no drag entered our windows meanwhile.
    void closeOnceButtonReleased(std::function<bool()> stillWanted);

    Clock& m_clock;
    Environment m_env;
    std::function<void()> m_close;
    Clock::TimePoint m_suppressUntil{};
    bool m_isBusyLaunching = false;
    bool m_isMenuTracking = false;
    bool m_dragEntered = false;
    bool m_isWindowMoving = false;
    std::shared_ptr<Clock::Cancellation> m_pendingClose;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    Spawner m_tasks; // the delayed close
};

} // namespace vantrel
