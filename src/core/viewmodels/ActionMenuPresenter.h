#pragma once

#include "model/LaunchAction.h"
#include "model/LaunchCard.h"
#include "platform/MenuPresenter.h"

#include <functional>
#include <memory>

namespace vantrel {

// Builds a card's action menu (header, the three launch actions, the four support
// actions) and hands a choice back as a LaunchAction.
class ActionMenuPresenter {
public:
    using OnSelect = std::function<void(LaunchAction)>;

    explicit ActionMenuPresenter(MenuPresenter* menus = nullptr);

    ActionMenuPresenter(const ActionMenuPresenter&) = delete;
    ActionMenuPresenter& operator=(const ActionMenuPresenter&) = delete;

    // Stores `onSelect` (replacing the previous one) and returns; the menu is shown on the
    // next turn of the event loop, so a shell whose menu runs its own loop never runs the
    // choice inside this call. Nothing is shown, and no choice is handled, once the
    // presenter is gone.
    // `atCard`: shown at the card's view ("card-<id>" under the anchor view), not at the
    // pointer, as when asked for from the keyboard.
    void present(const LaunchCard& card, QObject* anchorView, OnSelect onSelect, bool atCard = false);

    // The menu for a card, in the current interface language.
    static Menu menu(const LaunchCard& card);
    static QString symbolName(LaunchAction action);

    // A chosen item's represented object: a known raw value calls the stored callback;
    // anything else is ignored.
    void handle(const QVariant& representedObject);

private:
    MenuPresenter* m_menus;
    OnSelect m_onSelect;
    // Callbacks handed to the shell hold this weakly.
    std::shared_ptr<ActionMenuPresenter*> m_self = std::make_shared<ActionMenuPresenter*>(this);
};

} // namespace vantrel
