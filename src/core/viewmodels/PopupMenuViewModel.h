#pragma once

#include "platform/MenuPresenter.h"

#include <QObject>
#include <QVariantList>

namespace vantrel {

// A pop-up menu as our own views draw it, where the platform lends us no menus: its rows,
// the highlighted one, and what the keyboard and the pointer do. A menu ends once, by a
// choice or by a dismissal, and takes no input after that.
class PopupMenuViewModel final : public QObject {
    Q_OBJECT
    // One map per row: title, symbol (a symbol name), enabled, isHeader, isSeparator.
    Q_PROPERTY(QVariantList rows READ rows CONSTANT)
    Q_PROPERTY(int highlightedIndex READ highlightedIndex NOTIFY highlightedIndexChanged)

public:
    explicit PopupMenuViewModel(Menu menu, QObject* parent = nullptr);

    QVariantList rows() const;
    int highlightedIndex() const { return m_highlighted; }
    bool isFinished() const { return m_finished; }

    // Up and Down move the highlight over the items that can be chosen, Home and End to
    // the first and the last; Return, Enter and Space choose it; Escape dismisses.
    // Whether the key meant something.
    Q_INVOKABLE bool keyPressed(int key);
    // The pointer enters a row: an item that can be chosen is highlighted. It leaves a row:
    // that row's highlight goes.
    Q_INVOKABLE void hover(int index);
    Q_INVOKABLE void leave(int index);
    // A click on a row: an item that can be chosen is chosen; anything else does nothing.
    Q_INVOKABLE void choose(int index);
    Q_INVOKABLE void dismiss();

    bool isChoosable(int index) const;

Q_SIGNALS:
    void highlightedIndexChanged();
    void chosen(const QVariant& representedObject);
    void dismissed();

private:
    void setHighlighted(int index);
    int nextChoosable(int from, int step) const;

    Menu m_menu;
    int m_highlighted = -1;
    bool m_finished = false;
};

} // namespace vantrel
