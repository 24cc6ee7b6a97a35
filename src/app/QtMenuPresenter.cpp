#include "app/QtMenuPresenter.h"

#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QQuickItem>
#include <QQuickWindow>

namespace vantrel {

QString QtMenuPresenter::symbolResource(const QString& symbolName)
{
    return QStringLiteral(":/Vantrel/icons/") + symbolName + QStringLiteral(".svg");
}

namespace {

const QQuickItem* findNamed(const QQuickItem* root, const QString& name)
{
    for (const QQuickItem* child : root->childItems()) {
        if (child->objectName() == name) {
            return child;
        }
        if (const QQuickItem* found = findNamed(child, name)) {
            return found;
        }
    }
    return nullptr;
}

} // namespace

void QtMenuPresenter::popUp(const Menu& menu, QObject* anchorView, std::function<void(const QVariant&)> onChoose)
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
                QObject::connect(action, &QAction::triggered, qmenu,
                                 [onChoose, represented] { onChoose(represented); });
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
    // Not exec(): the menu runs in the application's own event loop. At the named item's
    // lower left when there is one (a menu asked for from the keyboard), else the pointer.
    QPoint at = QCursor::pos();
    if (auto* root = qobject_cast<QQuickItem*>(anchorView); root && !menu.anchorItemName.isEmpty()) {
        if (const QQuickItem* item = findNamed(root, menu.anchorItemName); item && item->window()) {
            at = item->window()->mapToGlobal(item->mapToScene(QPointF(0, item->height())).toPoint());
        }
    }
    qmenu->popup(at);
}

} // namespace vantrel
