#pragma once

#include "model/LogicApp.h"
#include "model/LogicAppMetadata.h"

#include "viewmodels/InPlaceListModel.h"

#include <QHash>
#include <QList>
#include <QUuid>

#include <optional>

namespace vantrel {

// The settings window's installation rows, in the settings manager's order, with what each
// row shows: name, path, the note for a bundle that is missing or unreadable, which mode
// toggles it offers and their state, and whether it can move. Rows whose ids stay in
// place are updated in place.
struct SettingsRow {
    LogicApp app;
    std::optional<LogicAppMetadata> metadata;
    bool existsOnDisk = false;

    friend bool operator==(const SettingsRow&, const SettingsRow&) = default;
};

class SettingsRowModel final : public InPlaceListModel<SettingsRow> {
    Q_OBJECT
    Q_PROPERTY(int count READ rowCount NOTIFY countChanged)

public:
    enum Role {
        AppIDRole = Qt::UserRole + 1,
        DisplayNameRole,
        BundlePathRole,
        NoteRole, // missingOnDisk / unableToReadBundle text, empty when the bundle reads
        NativeVisibleRole,
        RosettaVisibleRole,
        HasRosettaToggleRole, // false when the executable is known to lack x86_64
        CanMoveUpRole,
        CanMoveDownRole,
    };

    using Row = SettingsRow;
    using InPlaceListModel::InPlaceListModel;

    void setRows(const QList<Row>& rows);
    const QList<Row>& rows() const { return m_items; }

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The orange note under a row, in the current language; empty when metadata is known.
    static QString note(const Row& row);
    static bool hasRosettaToggle(const Row& row);

Q_SIGNALS:
    void countChanged();
};

} // namespace vantrel
