#include "app/PlatformWindowing.h"

#include <QColor>
#include <QGuiApplication>
#include <QWindow>

#if VANTREL_HAS_XCB
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace vantrel {

namespace {

// Plain Qt: window flags for the panel, the floating level as staying on top; no blur of
// what lies behind (the glass draws over its own dark base), no global click monitor
// (losing activation closes the launcher) and no word of menus beyond the ones the
// launcher opens.
class QtPlatformWindowing final : public PlatformWindowing {
public:
    void configurePanel(QWindow& window, int) override
    {
        window.setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    }
    void setLevel(QWindow& window, WindowLevel level) override
    {
        window.setFlag(Qt::WindowStaysOnTopHint, level == WindowLevel::floating);
    }
    bool hasBlurBehindWindow() const override { return false; }
    void fadeBackdrop(QWindow&, bool, Duration) override {}
    bool isMouseButtonDown() const override
    {
#if VANTREL_HAS_XCB
        // Under X11 the server knows the buttons wherever the pointer is: the pointer's
        // state mask on the root window.
        const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11 || !x11->connection()) {
            return false;
        }
        xcb_connection_t* connection = x11->connection();
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_query_pointer_reply_t* reply =
            xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr);
        if (!reply) {
            return false;
        }
        const bool down = (reply->mask & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3)) != 0;
        std::free(reply);
        return down;
#else
        return false;
#endif
    }
    bool installOutsideClickMonitor(std::function<void(QPoint)>) override
    {
        return false;
    }
    bool installMenuTrackingObservers(std::function<void(bool)>) override
    {
        return false;
    }
    // The window manager activates with the window that asks for the focus.
    void activateApplication() override {}
};

} // namespace

std::unique_ptr<PlatformWindowing> PlatformWindowing::make()
{
    return std::make_unique<QtPlatformWindowing>();
}

void yieldActivationToRunningLauncher() {}

} // namespace vantrel
