#include "viewmodels/LaunchCardListModel.h"

#include "text/L10n.h"

namespace vantrel {

void LaunchCardListModel::setCards(const QList<LaunchCard>& cards)
{
    replaceItems(cards, [](const LaunchCard& a, const LaunchCard& b) { return a.id == b.id; });
}

void LaunchCardListModel::retranslate()
{
    if (!m_items.isEmpty()) {
        Q_EMIT dataChanged(index(0), index(int(m_items.size()) - 1));
    }
}

QVariant LaunchCardListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size()) {
        return {};
    }
    const LaunchCard& card = m_items[index.row()];
    switch (role) {
    case CardIDRole:
        return card.id;
    case DisplayNameRole:
        return card.app.displayName;
    case IsRosettaRole:
        return card.architecture == LaunchArchitecture::rosetta;
    case ModeTextRole:
        return card.modeText();
    case IsAvailableRole:
        return card.isAvailable;
    case UnavailabilityReasonRole:
        return card.unavailabilityReason.value_or(QString());
    case ShortVersionRole:
        return card.metadata.shortVersion;
    case VersionTextRole:
        return versionText(card);
    case AccessibleNameRole:
        return accessibleName(card);
    case AccessibleDescriptionRole:
        return accessibleDescription(card);
    case ToolTipRole:
        return toolTip(card);
    default:
        return {};
    }
}

QHash<int, QByteArray> LaunchCardListModel::roleNames() const
{
    return {
        {CardIDRole, "cardID"},
        {DisplayNameRole, "displayName"},
        {IsRosettaRole, "isRosetta"},
        {ModeTextRole, "modeText"},
        {IsAvailableRole, "isAvailable"},
        {UnavailabilityReasonRole, "unavailabilityReason"},
        {ShortVersionRole, "shortVersion"},
        {VersionTextRole, "versionText"},
        {AccessibleNameRole, "accessibleName"},
        {AccessibleDescriptionRole, "accessibleDescription"},
        {ToolTipRole, "toolTip"},
    };
}

QString LaunchCardListModel::versionText(const LaunchCard& card)
{
    return L10n::text(L10n::Key::version) + u' ' + card.metadata.shortVersion;
}

QString LaunchCardListModel::accessibleName(const LaunchCard& card)
{
    return card.app.displayName + QStringLiteral(", ") + versionText(card) + QStringLiteral(", ") + card.modeText();
}

QString LaunchCardListModel::accessibleDescription(const LaunchCard& card)
{
    if (card.isAvailable) {
        return QStringLiteral("Opens launch actions");
    }
    return card.unavailabilityReason.value_or(QStringLiteral("Unavailable"));
}

QString LaunchCardListModel::toolTip(const LaunchCard& card)
{
    return card.unavailabilityReason.value_or(card.app.displayName + QStringLiteral(" — ") + card.modeText());
}

} // namespace vantrel
