#include "viewmodels/PopupMenuViewModel.h"

#include <QVariantMap>

namespace vantrel {

PopupMenuViewModel::PopupMenuViewModel(Menu menu, QObject* parent)
    : QObject(parent)
    , m_menu(std::move(menu))
{
}

QVariantList PopupMenuViewModel::rows() const
{
    QVariantList rows;
    rows.reserve(m_menu.items.size());
    for (const MenuItem& item : m_menu.items) {
        rows.append(QVariantMap{
            {QStringLiteral("title"), item.title},
            {QStringLiteral("symbol"), item.symbolName},
            {QStringLiteral("enabled"), item.kind == MenuItem::Kind::action && item.enabled},
            {QStringLiteral("isHeader"), item.kind == MenuItem::Kind::header},
            {QStringLiteral("isSeparator"), item.kind == MenuItem::Kind::separator},
        });
    }
    return rows;
}

bool PopupMenuViewModel::isChoosable(int index) const
{
    if (index < 0 || index >= m_menu.items.size()) {
        return false;
    }
    const MenuItem& item = m_menu.items[index];
    return item.kind == MenuItem::Kind::action && item.enabled;
}

int PopupMenuViewModel::nextChoosable(int from, int step) const
{
    for (int index = from; index >= 0 && index < m_menu.items.size(); index += step) {
        if (isChoosable(index)) {
            return index;
        }
    }
    return -1;
}

void PopupMenuViewModel::setHighlighted(int index)
{
    if (index != m_highlighted) {
        m_highlighted = index;
        Q_EMIT highlightedIndexChanged();
    }
}

bool PopupMenuViewModel::keyPressed(int key)
{
    if (m_finished) {
        return false;
    }
    const int last = int(m_menu.items.size()) - 1;
    switch (key) {
    case Qt::Key_Down: {
        // Nothing below the highlight: it stays where it is.
        const int next = nextChoosable(m_highlighted + 1, 1);
        if (next >= 0) {
            setHighlighted(next);
        }
        return true;
    }
    case Qt::Key_Up: {
        const int previous = m_highlighted < 0 ? nextChoosable(last, -1) : nextChoosable(m_highlighted - 1, -1);
        if (previous >= 0) {
            setHighlighted(previous);
        }
        return true;
    }
    case Qt::Key_Home:
    case Qt::Key_PageUp:
        if (const int first = nextChoosable(0, 1); first >= 0) {
            setHighlighted(first);
        }
        return true;
    case Qt::Key_End:
    case Qt::Key_PageDown:
        if (const int final = nextChoosable(last, -1); final >= 0) {
            setHighlighted(final);
        }
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (isChoosable(m_highlighted)) {
            choose(m_highlighted);
        }
        return true;
    case Qt::Key_Escape:
        dismiss();
        return true;
    default:
        return false;
    }
}

void PopupMenuViewModel::hover(int index)
{
    if (!m_finished) {
        setHighlighted(isChoosable(index) ? index : -1);
    }
}

void PopupMenuViewModel::leave(int index)
{
    if (!m_finished && index == m_highlighted) {
        setHighlighted(-1);
    }
}

void PopupMenuViewModel::choose(int index)
{
    if (m_finished || !isChoosable(index)) {
        return;
    }
    m_finished = true;
    Q_EMIT chosen(m_menu.items[index].representedObject);
}

void PopupMenuViewModel::dismiss()
{
    if (!m_finished) {
        m_finished = true;
        Q_EMIT dismissed();
    }
}

} // namespace vantrel
