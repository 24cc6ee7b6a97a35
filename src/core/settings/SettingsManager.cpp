#include "settings/SettingsManager.h"

#include "installations/AppConstants.h"
#include "installations/LogicScanner.h"
#include "model/LauncherError.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "settings/LogicAppStoring.h"

#include <algorithm>

namespace vantrel {

SettingsManager::SettingsManager(std::shared_ptr<LogicAppStoring> store, std::shared_ptr<LogicScanner> scanner,
                                 QObject* parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_scanner(std::move(scanner))
{
    reload();
}

void SettingsManager::publishAndSave(QList<LogicApp> apps)
{
    m_apps = std::move(apps);
    Q_EMIT appsChanged();
    m_store->saveApps(m_apps);
}

qsizetype SettingsManager::indexOf(const QUuid& id) const
{
    const auto it = std::find_if(m_apps.cbegin(), m_apps.cend(), [&](const LogicApp& app) { return app.id == id; });
    return it == m_apps.cend() ? -1 : it - m_apps.cbegin();
}

void SettingsManager::reload()
{
    const QList<LogicApp> stored = m_store->loadApps();
    QList<LogicApp> kept;
    QSet<QUuid> ids;
    bool changed = false;
    for (LogicApp app : stored) {
        if (m_scanner->isOwnApplication(HostPath::fileURL(app.bundlePath))) {
            changed = true;
            continue;
        }
        // Ids are what cards and the settings rows tell entries apart by: a later record
        // that repeats one (a hand-edited file) gets an id of its own.
        while (ids.contains(app.id)) {
            app.id = newIdentity();
            changed = true;
        }
        ids.insert(app.id);
        kept.append(app);
    }
    m_apps = kept;
    Q_EMIT appsChanged();
    if (changed) {
        m_store->saveApps(m_apps);
    }
}

void SettingsManager::seedFromScanIfNeeded(const QList<ResolvedLogicApp>& scanned)
{
    if (!m_apps.isEmpty() || scanned.isEmpty()) {
        return;
    }
    QList<LogicApp> apps;
    for (const ResolvedLogicApp& entry : scanned) {
        apps.append(entry.app);
    }
    publishAndSave(apps);
}

QString SettingsManager::validatedPath(const QString& path) const
{
    // A typed "~/…" is stored as the absolute path the scan finds, so one bundle is never
    // listed twice under two spellings; anything still relative names no bundle.
    FileSystem& fileSystem = m_scanner->fileSystem();
    const QString standardized = fileSystem.expandTilde(path);
    if (!standardized.startsWith(u'/') || HostPath::extension(standardized).toLower() != u"app"
        || !fileSystem.exists(standardized)) {
        throw LauncherError::invalidBundle();
    }
    const QUrl url = HostPath::fileURL(standardized);
    if (m_scanner->isOwnApplication(url) || !m_scanner->isLogicProApp(url)) {
        throw LauncherError::notLogicPro();
    }
    return standardized;
}

void SettingsManager::addApp(const QString& displayName, const QString& path)
{
    const QString bundlePath = validatedPath(path);
    const QString name = displayName.trimmed().isEmpty() ? HostPath::baseName(bundlePath) : displayName;
    QList<LogicApp> apps;
    for (const LogicApp& app : std::as_const(m_apps)) {
        if (HostPath::standardized(app.bundlePath) != bundlePath) {
            apps.append(app);
        }
    }
    apps.append(LogicApp::make(name, bundlePath, true));
    publishAndSave(apps);
}

void SettingsManager::updatePath(const QUuid& id, const QString& path)
{
    const QString bundlePath = validatedPath(path);
    const qsizetype index = indexOf(id);
    if (index < 0) {
        return;
    }
    QList<LogicApp> apps = m_apps;
    apps[index].bundlePath = bundlePath;
    apps[index].isUserDefined = true;
    publishAndSave(apps);
}

void SettingsManager::renameApp(const QUuid& id, const QString& name)
{
    const qsizetype index = indexOf(id);
    const QString trimmed = name.trimmed();
    if (index < 0 || trimmed.isEmpty()) {
        return;
    }
    QList<LogicApp> apps = m_apps;
    apps[index].displayName = trimmed;
    apps[index].isUserDefined = true;
    publishAndSave(apps);
}

void SettingsManager::removeApp(const QUuid& id)
{
    QList<LogicApp> apps = m_apps;
    apps.removeIf([&](const LogicApp& app) { return app.id == id; });
    publishAndSave(apps);
}

void SettingsManager::moveApps(const QSet<int>& offsets, int destination)
{
    // Offsets outside the list are ignored rather than trusted.
    QList<int> sources;
    for (int offset : offsets) {
        if (offset >= 0 && offset < m_apps.size()) {
            sources.append(offset);
        }
    }
    std::sort(sources.begin(), sources.end());
    destination = std::clamp(destination, 0, int(m_apps.size()));

    QList<LogicApp> moved;
    QList<LogicApp> rest;
    int insertAt = destination;
    for (int i = 0; i < m_apps.size(); ++i) {
        if (std::binary_search(sources.cbegin(), sources.cend(), i)) {
            moved.append(m_apps[i]);
            if (i < destination) {
                --insertAt;
            }
        } else {
            rest.append(m_apps[i]);
        }
    }
    for (int i = 0; i < moved.size(); ++i) {
        rest.insert(insertAt + i, moved[i]);
    }
    publishAndSave(rest);
}

void SettingsManager::setModeHidden(const QUuid& id, LaunchArchitecture mode, bool hidden)
{
    const qsizetype index = indexOf(id);
    if (index < 0) {
        return;
    }
    QList<LogicApp> apps = m_apps;
    if (hidden) {
        apps[index].hiddenModes.insert(mode);
    } else {
        apps[index].hiddenModes.remove(mode);
    }
    publishAndSave(apps);
}

} // namespace vantrel
