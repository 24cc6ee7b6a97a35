#pragma once

#include <QAbstractListModel>
#include <QList>

#include <algorithm>

namespace vantrel {

// A list model over rows of T that views keep delegates for: a new list whose rows have
// the same identities in the same order updates only the rows whose value changed
// (dataChanged), so delegates and their animations survive; any other change resets.
template <typename T>
class InPlaceListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_items.size()); }

protected:
    // Takes `items`; `sameIdentity` tells whether two rows stand for the same thing. True
    // when the model was reset.
    template <typename SameIdentity>
    bool replaceItems(const QList<T>& items, SameIdentity sameIdentity)
    {
        if (!std::equal(items.cbegin(), items.cend(), m_items.cbegin(), m_items.cend(), sameIdentity)) {
            beginResetModel();
            m_items = items;
            endResetModel();
            return true;
        }
        for (qsizetype row = 0; row < items.size(); ++row) {
            if (!(m_items[row] == items[row])) {
                m_items[row] = items[row];
                Q_EMIT dataChanged(index(int(row)), index(int(row)));
            }
        }
        return false;
    }

    QList<T> m_items;
};

} // namespace vantrel
