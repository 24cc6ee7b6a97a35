#pragma once

#include "platform/MenuPresenter.h"

#include <functional>

namespace vantrel {

// Shows a menu as a native pop-up QMenu at the pointer, the symbols drawn by the module's
// own small SVGs. It reports when the menu opens and closes (the focus-loss rules treat an
// open menu as tracking) and hands the chosen item's represented object back.
class QtMenuPresenter final : public MenuPresenter {
public:
    std::function<void(bool tracking)> onTrackingChanged;

    void popUp(const Menu& menu, QObject* anchorView, std::function<void(const QVariant&)> onChoose) override;

    // The module resource drawing a symbol name ("play.fill" → ":/Vantrel/icons/play.fill.svg").
    static QString symbolResource(const QString& symbolName);
};

} // namespace vantrel
