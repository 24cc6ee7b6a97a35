#pragma once

#include "async/Duration.h"

#include <QPoint>

#include <functional>
#include <memory>

class QWindow;

namespace vantrel {

// How high the panel sits among other windows: the Mac's own window levels, so that the
// numbers mean the same on every platform.
enum class WindowLevel {
    normal = 0,   // NSNormalWindowLevel: while the settings window shows
    floating = 3, // NSFloatingWindowLevel: the panel's own
};

// What the launcher's windows need of the window system that differs by platform: the
// panel's native settings and level, whether a blur of what lies behind the window
// exists, a monitor of clicks in other applications and word of any menu being open.
class PlatformWindowing {
public:
    virtual ~PlatformWindowing() = default;

    // A borderless panel at the floating level that can take the keyboard, drawn with
    // rounded corners of `cornerRadius`. Called once, before the window is first shown.
    virtual void configurePanel(QWindow& window, int cornerRadius) = 0;
    virtual void setLevel(QWindow& window, WindowLevel level) = 0;
    // Whether the platform blurs what lies behind the panel; the views then draw their
    // base translucent.
    virtual bool hasBlurBehindWindow() const = 0;
    // The blur fades in or out with the views, over `duration` (zero: at once). Nothing to do
    // where there is no blur.
    virtual void fadeBackdrop(QWindow& window, bool visible, Duration duration) = 0;
    // Whether a mouse button is held down now, wherever the pointer is (in another
    // application too); false where that cannot be known.
    virtual bool isMouseButtonDown() const = 0;
    // Calls `onClick` with the screen position of every mouse-down in another
    // application; false when the platform offers no such monitor.
    virtual bool installOutsideClickMonitor(std::function<void(QPoint)> onClick) = 0;
    // Calls `onTracking` with true when any menu of the application (the menu bar's
    // included) begins tracking and with false when it ends; false when the platform
    // does not report it. The menus the launcher opens itself report through their
    // presenter either way.
    virtual bool installMenuTrackingObservers(std::function<void(bool tracking)> onTracking) = 0;
    // Makes this application the active one, so that the panel that is asked to become key
    // gets the keyboard (on the Mac the system may still decline: activation is a request
    // since macOS 14). Nothing to do where the window system activates with the window.
    virtual void activateApplication() = 0;

    // The implementation for this build.
    static std::unique_ptr<PlatformWindowing> make();
};

// A start yields activation to a launcher already running (none: nothing), so
// that the launcher's own request to activate is honoured when this start is the active
// application (macOS 14 grants an activation that the active application yields; a
// start from Terminal is Terminal's to yield, and yields nothing here). Nothing to do
// elsewhere. Called before a hand-over may happen.
void yieldActivationToRunningLauncher();

} // namespace vantrel
