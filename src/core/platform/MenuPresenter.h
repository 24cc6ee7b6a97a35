#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

namespace vantrel {

// A pop-up menu described as data, for the shell to show with the platform's own menus.
struct MenuItem {
    enum class Kind { header, separator, action };

    Kind kind = Kind::action;
    QString title;
    QString symbolName;         // the platform's named symbol image
    QVariant representedObject; // what a choice hands back
    bool enabled = true;

    friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

struct Menu {
    QString title;
    QList<MenuItem> items;
    // The anchor view's item (by object name) to show the menu at, as for a menu asked for
    // from the keyboard; empty: at the pointer.
    QString anchorItemName;
};

// Shows a menu by an anchor (a view of the shell: at its item named by the menu, or at the
// pointer) and reports the represented object of the item chosen. Dismissing the menu
// reports nothing.
class MenuPresenter {
public:
    virtual ~MenuPresenter() = default;
    virtual void popUp(const Menu& menu, QObject* anchorView, std::function<void(const QVariant&)> onChoose) = 0;
    // Closes a menu still open, as a dismissal: the launcher is going, or hiding for a launch.
    virtual void dismiss() {}
};

} // namespace vantrel
