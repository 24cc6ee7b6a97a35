#include "app/PlatformWindowing.h"

#include <QColor>
#include <QWindow>

namespace vantrel {

namespace {

// Plain Qt: window flags for the panel; no blur of what lies behind (the glass draws over
// its own dark base), no global click monitor (losing activation closes the launcher) and
// no word of menus beyond the ones the launcher opens.
class QtPlatformWindowing final : public PlatformWindowing {
public:
    void configurePanel(QWindow& window) override
    {
        window.setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    }
    bool hasBlurBehindWindow() const override { return false; }
    bool installOutsideClickMonitor(std::function<void(QPoint)>) override { return false; }
    bool installMenuTrackingObservers(std::function<void(bool)>) override { return false; }
};

} // namespace

std::unique_ptr<PlatformWindowing> PlatformWindowing::make()
{
    return std::make_unique<QtPlatformWindowing>();
}

} // namespace vantrel
