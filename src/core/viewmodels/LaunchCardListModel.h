#pragma once

#include "model/LaunchCard.h"
#include "viewmodels/InPlaceListModel.h"

namespace vantrel {

// The launcher's cards for views, one row per card, updated in place while the ids stay
// (a refresh keeps every delegate, and its hover or spring, alive).
class LaunchCardListModel final : public InPlaceListModel<LaunchCard> {
    Q_OBJECT

public:
    enum Role {
        CardIDRole = Qt::UserRole + 1,
        DisplayNameRole,
        IsRosettaRole, // the card runs its copy under Rosetta
        ModeTextRole,
        IsAvailableRole,
        UnavailabilityReasonRole,
        ShortVersionRole,
        VersionTextRole, // "<version> <short version>" in the current language
        AccessibleNameRole,
        AccessibleDescriptionRole,
        ToolTipRole,
    };

    using InPlaceListModel::InPlaceListModel;

    void setCards(const QList<LaunchCard>& cards);
    // The interface language changed: every row's texts are new.
    void retranslate();
    const QList<LaunchCard>& cards() const { return m_items; }

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The texts of a card for assistive technology and its tooltip, in the current
    // interface language.
    static QString versionText(const LaunchCard& card);
    static QString accessibleName(const LaunchCard& card);
    static QString accessibleDescription(const LaunchCard& card);
    static QString toolTip(const LaunchCard& card);
};

} // namespace vantrel
