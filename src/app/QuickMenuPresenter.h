#pragma once

#include "platform/MenuPresenter.h"

#include <functional>
#include <memory>

class QQuickView;

namespace vantrel {

class PopupMenuViewModel;

// Shows a menu as a pop-up window of our own views (PopupMenuView), where the platform
// lends us no menus: at the pointer or at the anchor's named item, kept on the screen,
// holding the keyboard and the pointer while it is open. A choice, Escape, a click
// outside it or the application losing the focus closes it. It reports when it opens and
// closes (the focus-loss rules treat an open menu as tracking) and hands the chosen
// item's represented object back after it has closed.
class QuickMenuPresenter final : public MenuPresenter {
public:
    QuickMenuPresenter();
    ~QuickMenuPresenter() override;

    std::function<void(bool tracking)> onTrackingChanged;

    void popUp(const Menu& menu, QObject* anchorView, std::function<void(const QVariant&)> onChoose) override;

    // The open menu and its window, or none.
    PopupMenuViewModel* openMenu() const;
    QQuickView* openWindow() const;
    void dismiss() override;

private:
    struct Open;
    void close();

    std::unique_ptr<Open> m_open;
};

} // namespace vantrel
