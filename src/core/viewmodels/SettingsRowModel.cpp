#include "viewmodels/SettingsRowModel.h"

#include "text/L10n.h"

namespace vantrel {

void SettingsRowModel::setRows(const QList<Row>& rows)
{
    const qsizetype before = m_items.size();
    replaceItems(rows, [](const Row& a, const Row& b) { return a.app.id == b.app.id; });
    if (m_items.size() != before) {
        Q_EMIT countChanged();
    }
}

QString SettingsRowModel::note(const Row& row)
{
    if (row.metadata) {
        return {};
    }
    return L10n::text(row.existsOnDisk ? L10n::Key::unableToReadBundle : L10n::Key::missingOnDisk);
}

bool SettingsRowModel::hasRosettaToggle(const Row& row)
{
    return !row.metadata || row.metadata->executableArchitectures.contains(BinaryArchitecture::x86_64);
}

QVariant SettingsRowModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size()) {
        return {};
    }
    const Row& row = m_items[index.row()];
    switch (role) {
    case AppIDRole:
        return row.app.idText();
    case DisplayNameRole:
        return row.app.displayName;
    case BundlePathRole:
        return row.app.bundlePath;
    case NoteRole:
        return note(row);
    case NativeVisibleRole:
        return !row.app.hiddenModes.contains(LaunchArchitecture::native);
    case RosettaVisibleRole:
        return !row.app.hiddenModes.contains(LaunchArchitecture::rosetta);
    case HasRosettaToggleRole:
        return hasRosettaToggle(row);
    case CanMoveUpRole:
        return index.row() > 0;
    case CanMoveDownRole:
        return index.row() + 1 < m_items.size();
    default:
        return {};
    }
}

QHash<int, QByteArray> SettingsRowModel::roleNames() const
{
    return {
        {AppIDRole, "appID"},
        {DisplayNameRole, "displayName"},
        {BundlePathRole, "bundlePath"},
        {NoteRole, "note"},
        {NativeVisibleRole, "nativeVisible"},
        {RosettaVisibleRole, "rosettaVisible"},
        {HasRosettaToggleRole, "hasRosettaToggle"},
        {CanMoveUpRole, "canMoveUp"},
        {CanMoveDownRole, "canMoveDown"},
    };
}

} // namespace vantrel
