#include "app/QtMenuPresenter.h"

#include <QCursor>
#include <QIcon>
#include <QMenu>

namespace vantrel {

QString QtMenuPresenter::symbolResource(const QString& symbolName)
{
    return QStringLiteral(":/Vantrel/icons/") + symbolName + QStringLiteral(".svg");
}

void QtMenuPresenter::popUp(const Menu& menu, QObject* /*anchorView*/, std::function<void(const QVariant&)> onChoose)
{
    auto* qmenu = new QMenu(menu.title);
    qmenu->setAttribute(Qt::WA_DeleteOnClose);
    for (const MenuItem& item : menu.items) {
        switch (item.kind) {
        case MenuItem::Kind::separator:
            qmenu->addSeparator();
            break;
        case MenuItem::Kind::header:
        case MenuItem::Kind::action: {
            QAction* action = qmenu->addAction(item.title);
            action->setEnabled(item.enabled);
            if (!item.symbolName.isEmpty()) {
                action->setIcon(QIcon(symbolResource(item.symbolName)));
                action->setIconVisibleInMenu(true);
            }
            if (item.kind == MenuItem::Kind::action) {
                const QVariant represented = item.representedObject;
                QObject::connect(action, &QAction::triggered, qmenu, [onChoose, represented] { onChoose(represented); });
            }
            break;
        }
        }
    }
    auto tracking = onTrackingChanged;
    QObject::connect(qmenu, &QMenu::aboutToShow, qmenu, [tracking] {
        if (tracking) {
            tracking(true);
        }
    });
    QObject::connect(qmenu, &QMenu::aboutToHide, qmenu, [qmenu, tracking] {
        if (tracking) {
            tracking(false);
        }
        qmenu->deleteLater();
    });
    // Not exec(): the menu runs in the application's own event loop.
    qmenu->popup(QCursor::pos());
}

} // namespace vantrel
