#pragma once

#include "model/LaunchAction.h"
#include "model/LaunchCard.h"
#include "platform/MenuPresenter.h"

#include <functional>

namespace vantrel {

// Builds a card's action menu (header, the three launch actions, the four support
// actions) and hands a choice back as a LaunchAction.
class ActionMenuPresenter {
public:
    using OnSelect = std::function<void(LaunchAction)>;

    explicit ActionMenuPresenter(MenuPresenter* menus = nullptr);

    // Stores `onSelect` (replacing the previous one) and shows the menu.
    void present(const LaunchCard& card, QObject* anchorView, OnSelect onSelect);

    // The menu for a card, in the current interface language.
    static Menu menu(const LaunchCard& card);
    static QString symbolName(LaunchAction action);

    // A chosen item's represented object: a known raw value calls the stored callback;
    // anything else is ignored.
    void handle(const QVariant& representedObject);

private:
    MenuPresenter* m_menus;
    OnSelect m_onSelect;
};

} // namespace vantrel
