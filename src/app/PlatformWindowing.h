#pragma once

#include <QPoint>

#include <functional>
#include <memory>

class QWindow;

namespace vantrel {

// What the launcher's windows need of the window system that differs by platform: the
// panel's native settings, whether a blur of what lies behind the window exists, a
// monitor of clicks in other applications and word of any menu being open.
class PlatformWindowing {
public:
    virtual ~PlatformWindowing() = default;

    // A borderless, always-on-top panel that can take the keyboard.
    virtual void configurePanel(QWindow& window) = 0;
    virtual bool hasBlurBehindWindow() const = 0;
    // Calls `onClick` with the screen position of every mouse-down in another
    // application; false when the platform offers no such monitor.
    virtual bool installOutsideClickMonitor(std::function<void(QPoint)> onClick) = 0;
    // Calls `onTracking` with true when any menu of the application (the menu bar's
    // included) begins tracking and with false when it ends; false when the platform
    // does not report it. The menus the launcher opens itself report through their
    // presenter either way.
    virtual bool installMenuTrackingObservers(std::function<void(bool tracking)> onTracking) = 0;

    // The implementation for this build.
    static std::unique_ptr<PlatformWindowing> make();
};

} // namespace vantrel
