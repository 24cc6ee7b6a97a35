#include "app/PlatformWindowing.h"

#include <QColor>
#include <QWindow>

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
    void fadeBackdrop(QWindow&, bool, double) override {}
    bool installOutsideClickMonitor(std::function<void(QPoint)>) override { return false; }
    bool installMenuTrackingObservers(std::function<void(bool)>) override { return false; }
};

} // namespace

std::unique_ptr<PlatformWindowing> PlatformWindowing::make()
{
    return std::make_unique<QtPlatformWindowing>();
}

} // namespace vantrel
