#include "viewmodels/ActionMenuPresenter.h"

#include <QPointer>
#include <QTimer>

#include "text/L10n.h"

namespace vantrel {

namespace {

L10n::Key titleKey(LaunchAction action)
{
    switch (action) {
    case LaunchAction::launch:
        return L10n::Key::actionLaunch;
    case LaunchAction::launchWithoutRecentProject:
        return L10n::Key::actionLaunchWithoutRecent;
    case LaunchAction::launchSafeMode:
        return L10n::Key::actionLaunchSafeMode;
    case LaunchAction::openPluginsFolder:
        return L10n::Key::actionOpenPlugins;
    case LaunchAction::openPreferences:
        return L10n::Key::actionOpenPreferences;
    case LaunchAction::revealInFinder:
        return L10n::Key::actionRevealInFinder;
    case LaunchAction::showInfo:
        return L10n::Key::actionShowInfo;
    }
    return L10n::Key::actionLaunch;
}

} // namespace

ActionMenuPresenter::ActionMenuPresenter(MenuPresenter* menus)
    : m_menus(menus)
{
}

QString ActionMenuPresenter::symbolName(LaunchAction action)
{
    switch (action) {
    case LaunchAction::launch:
        return QStringLiteral("play.fill");
    case LaunchAction::launchWithoutRecentProject:
        return QStringLiteral("doc.badge.plus");
    case LaunchAction::launchSafeMode:
        return QStringLiteral("shield.lefthalf.filled");
    case LaunchAction::openPluginsFolder:
        return QStringLiteral("folder");
    case LaunchAction::openPreferences:
        return QStringLiteral("gearshape");
    case LaunchAction::revealInFinder:
        return QStringLiteral("eye");
    case LaunchAction::showInfo:
        return QStringLiteral("info.circle");
    }
    return {};
}

Menu ActionMenuPresenter::menu(const LaunchCard& card)
{
    Menu menu;
    menu.title = card.app.displayName;
    const QString header = card.app.displayName + QStringLiteral(" — ") + card.metadata.shortVersion
                           + QStringLiteral(" · ") + card.modeText();
    menu.items.append({MenuItem::Kind::header, header, {}, {}, false});
    menu.items.append({MenuItem::Kind::separator, {}, {}, {}, false});
    const AppLanguage language = L10n::currentLanguage();
    for (LaunchAction action : allCases<LaunchAction>()) {
        // Every action stays enabled, also on a card that cannot launch.
        menu.items.append({MenuItem::Kind::action, L10n::string(titleKey(action), language), symbolName(action),
                           rawValue(action), true});
        if (action == LaunchAction::launchSafeMode) {
            menu.items.append({MenuItem::Kind::separator, {}, {}, {}, false});
        }
    }
    return menu;
}

void ActionMenuPresenter::present(const LaunchCard& card, QObject* anchorView, OnSelect onSelect, bool atCard)
{
    m_onSelect = std::move(onSelect);
    if (!m_menus) {
        return;
    }
    Menu shown = menu(card);
    if (atCard) {
        shown.anchorItemName = QStringLiteral("card-") + card.id;
    }
    QTimer::singleShot(0, [self = std::weak_ptr(m_self), menu = std::move(shown), anchor = QPointer(anchorView)] {
        const auto presenter = self.lock();
        if (!presenter) {
            return;
        }
        (*presenter)->m_menus->popUp(menu, anchor, [self](const QVariant& representedObject) {
            if (const auto chosen = self.lock()) {
                (*chosen)->handle(representedObject);
            }
        });
    });
}

void ActionMenuPresenter::handle(const QVariant& representedObject)
{
    if (representedObject.typeId() != QMetaType::QString) {
        return;
    }
    if (auto action = fromRawValue<LaunchAction>(representedObject.toString()); action && m_onSelect) {
        m_onSelect(*action);
    }
}

} // namespace vantrel
