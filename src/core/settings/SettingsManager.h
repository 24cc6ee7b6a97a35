#pragma once

#include "model/LaunchArchitecture.h"
#include "model/LogicApp.h"
#include "model/ResolvedLogicApp.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <memory>

namespace vantrel {

class LogicAppStoring;
class LogicScanner;

// The user's installation list at run time: loaded from the store, edited by the settings
// window, saved in full after every change. `appsChanged` fires on every change.
class SettingsManager final : public QObject {
    Q_OBJECT

public:
    SettingsManager(std::shared_ptr<LogicAppStoring> store, std::shared_ptr<LogicScanner> scanner,
                    QObject* parent = nullptr);

    const QList<LogicApp>& apps() const { return m_apps; }

    // The stored list minus entries for the launcher itself, with a fresh id for every
    // record that repeats an earlier one's; if anything changed, the cleaned list is saved
    // at once.
    void reload();

    // Fills an empty list from a scan (missing entries included) and saves it.
    void seedFromScanIfNeeded(const QList<ResolvedLogicApp>& scanned);

    // Both throw LauncherError::invalidBundle (not an existing .app) or notLogicPro (the
    // launcher, or not Logic Pro). A refused edit changes and saves nothing.
    void addApp(const QString& displayName, const QString& path);
    void updatePath(const QUuid& id, const QString& path);

    void renameApp(const QUuid& id, const QString& name);
    void removeApp(const QUuid& id);
    // Moves the records at `offsets` (keeping their order) before the record that was at
    // `destination`; `destination` equal to the list's length moves them to the end.
    void moveApps(const QSet<int>& offsets, int destination);
    void setModeHidden(const QUuid& id, LaunchArchitecture mode, bool hidden);

Q_SIGNALS:
    void appsChanged();

private:
    // The standardized path of a valid Logic Pro bundle, or a LauncherError.
    QString validatedPath(const QString& path) const;
    void publishAndSave(QList<LogicApp> apps);
    qsizetype indexOf(const QUuid& id) const;

    std::shared_ptr<LogicAppStoring> m_store;
    std::shared_ptr<LogicScanner> m_scanner;
    QList<LogicApp> m_apps;
};

} // namespace vantrel
