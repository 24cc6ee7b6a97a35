#include "viewmodels/LaunchCardListModel.h"

#include "text/L10n.h"

namespace vantrel {

void LaunchCardListModel::setCards(const QList<LaunchCard>& cards)
{
    const bool sameRows = std::equal(cards.cbegin(), cards.cend(), m_cards.cbegin(), m_cards.cend(),
                                     [](const LaunchCard& a, const LaunchCard& b) { return a.id == b.id; });
    if (!sameRows) {
        beginResetModel();
        m_cards = cards;
        endResetModel();
        return;
    }
    for (qsizetype row = 0; row < cards.size(); ++row) {
        if (m_cards[row] != cards[row]) {
            m_cards[row] = cards[row];
            Q_EMIT dataChanged(index(int(row)), index(int(row)));
        }
    }
}

void LaunchCardListModel::retranslate()
{
    if (!m_cards.isEmpty()) {
        Q_EMIT dataChanged(index(0), index(int(m_cards.size()) - 1));
    }
}

int LaunchCardListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_cards.size());
}

QVariant LaunchCardListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_cards.size()) {
        return {};
    }
    const LaunchCard& card = m_cards[index.row()];
    switch (role) {
    case CardIDRole:
        return card.id;
    case DisplayNameRole:
        return card.app.displayName;
    case ArchitectureRole:
        return rawValue(card.architecture);
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
        {ArchitectureRole, "architecture"},
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
