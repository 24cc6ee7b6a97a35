#include "viewmodels/SettingsViewModel.h"

#include "settings/ProjectMemory.h"

#include "installations/AppConstants.h"
#include "installations/ArchitectureDetector.h"
#include "installations/VersionReader.h"
#include "model/LauncherError.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/OpenPanel.h"
#include "platform/SecurityScope.h"
#include "platform/Workspace.h"
#include "plugins/PluginInventory.h"
#include "settings/SettingsManager.h"
#include "text/AppLanguage.h"
#include "text/L10n.h"

#include <QCoreApplication>
#include <QPointer>

namespace vantrel {

SettingsViewModel::SettingsViewModel(Collaborators collaborators, QObject* parent)
    : QObject(parent)
    , m_c(std::move(collaborators))
{
    connect(this, &SettingsViewModel::metadataCacheChanged, this, &SettingsViewModel::rebuildRows);
    connect(m_c.settingsManager.get(), &SettingsManager::appsChanged, this, [this] {
        rebuildRows();
        Q_EMIT changed();
        // Rebuilt on the next turn of the main loop, after the window has redrawn.
        QMetaObject::invokeMethod(this, &SettingsViewModel::rebuildMetadataCache, Qt::QueuedConnection);
    });
    rebuildMetadataCache();
    rebuildRows();
    if (m_c.plugins) {
        connect(m_c.plugins.get(), &PluginInventory::ready, this, &SettingsViewModel::pluginsChanged);
        m_c.plugins->start(); // normally started already, after the launcher's first frame
    }
}

// ---- plug-ins ----------------------------------------------------------------------------

QString SettingsViewModel::pluginsStatus() const
{
    const AudioUnitReport* report = PluginInventory::readyReport(m_c.plugins);
    if (!report) {
        return L10n::text(L10n::Key::pluginsReading);
    }
    if (report->plugins.isEmpty()) {
        return L10n::text(L10n::Key::pluginsNone);
    }
    if (report->count(PluginLoadClass::bothModes) == report->plugins.size()) {
        return L10n::text(L10n::Key::pluginsAllBoth);
    }
    return {};
}

QStringList SettingsViewModel::pluginCounts() const
{
    const AudioUnitReport* report = PluginInventory::readyReport(m_c.plugins);
    if (!report || report->plugins.isEmpty()) {
        return {};
    }
    QStringList counts{L10n::text(L10n::Key::pluginsBothModesCount, report->count(PluginLoadClass::bothModes))};
    const std::pair<PluginLoadClass, L10n::Key> others[] = {
        {PluginLoadClass::onlyRosetta, L10n::Key::pluginsOnlyRosettaCount},
        {PluginLoadClass::onlyNative, L10n::Key::pluginsOnlyNativeCount},
        {PluginLoadClass::unreadable, L10n::Key::pluginsUnreadableCount},
    };
    for (const auto& [loadClass, key] : others) {
        if (const qsizetype count = report->count(loadClass); count > 0) {
            counts << L10n::text(key, count);
        }
    }
    return counts;
}

QVariantList SettingsViewModel::pluginGroups() const
{
    const AudioUnitReport* report = PluginInventory::readyReport(m_c.plugins);
    if (!report) {
        return {};
    }
    const std::pair<PluginLoadClass, L10n::Key> groups[] = {
        {PluginLoadClass::onlyRosetta, L10n::Key::pluginsOnlyRosettaGroup},
        {PluginLoadClass::onlyNative, L10n::Key::pluginsOnlyNativeGroup},
        {PluginLoadClass::unreadable, L10n::Key::pluginsUnreadableGroup},
    };
    QVariantList result;
    for (const auto& [loadClass, key] : groups) {
        QVariantList plugins;
        // The report is sorted by class, then manufacturer and name.
        for (const AudioUnitPlugin& plugin : report->plugins) {
            if (plugin.loadClass == loadClass) {
                plugins.append(QVariantMap{{QStringLiteral("name"), plugin.name},
                                           {QStringLiteral("version"), plugin.version.value_or(QString())},
                                           {QStringLiteral("path"), plugin.path}});
            }
        }
        if (!plugins.isEmpty()) {
            result.append(
                QVariantMap{{QStringLiteral("title"), L10n::text(key)}, {QStringLiteral("plugins"), plugins}});
        }
    }
    return result;
}

void SettingsViewModel::revealPlugin(const QString& path)
{
    if (m_c.workspace && !path.isEmpty()) {
        m_c.workspace->activateFileViewerSelecting({HostPath::fileURL(path)});
    }
}

void SettingsViewModel::setDraftName(const QString& name)
{
    if (m_draftName != name) {
        m_draftName = name;
        Q_EMIT draftChanged();
    }
}

void SettingsViewModel::setDraftPath(const QString& path)
{
    if (m_draftPath != path) {
        m_draftPath = path;
        Q_EMIT draftChanged();
    }
}

void SettingsViewModel::setDropTargetHighlighted(bool highlighted)
{
    if (m_dropTargetHighlighted != highlighted) {
        m_dropTargetHighlighted = highlighted;
        Q_EMIT dropTargetHighlightedChanged();
    }
}

void SettingsViewModel::setErrorMessage(std::optional<ShownError> error)
{
    if (m_errorMessage != error) {
        m_errorMessage = std::move(error);
        Q_EMIT errorMessageChanged();
    }
}

std::optional<QString> SettingsViewModel::errorMessage() const
{
    return m_errorMessage ? std::optional(m_errorMessage->text()) : std::nullopt;
}

void SettingsViewModel::beginAdd()
{
    m_editingID.reset();
    m_draftName.clear();
    m_draftPath.clear();
    Q_EMIT draftChanged();
    setErrorMessage(std::nullopt);
}

void SettingsViewModel::beginEdit(const LogicApp& app)
{
    m_editingID = app.id;
    m_draftName = app.displayName;
    m_draftPath = app.bundlePath;
    Q_EMIT draftChanged();
    setErrorMessage(std::nullopt);
}

void SettingsViewModel::chooseApplication()
{
    if (!m_c.openPanel) {
        return;
    }
    const auto chosen = m_c.openPanel->chooseApplication({QStringLiteral("/Applications"),
                                                          L10n::text(L10n::Key::selectLogicPanelMessage),
                                                          L10n::text(L10n::Key::selectLogicPanelPrompt)});
    if (!chosen) {
        return;
    }
    m_draftPath = *chosen;
    if (m_draftName.isEmpty()) {
        m_draftName = HostPath::baseName(*chosen);
    }
    Q_EMIT draftChanged();
    setErrorMessage(std::nullopt); // about the path just replaced
}

void SettingsViewModel::saveDraft()
{
    setErrorMessage(std::nullopt);
    try {
        if (m_editingID) {
            m_c.settingsManager->updatePath(*m_editingID, m_draftPath);
            m_c.settingsManager->renameApp(*m_editingID, m_draftName);
        } else {
            m_c.settingsManager->addApp(m_draftName, m_draftPath);
        }
        beginAdd();
    } catch (const LauncherError& error) {
        setErrorMessage(error); // the draft stays for correcting
    }
}

void SettingsViewModel::handleDrop(const QList<QUrl>& urls)
{
    setErrorMessage(std::nullopt);
    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        if (HostPath::extension(path).toLower() != u"app") {
            setErrorMessage(LauncherError::invalidBundle());
            continue;
        }
        const bool scoped = m_c.securityScope->startAccessing(url);
        try {
            m_c.settingsManager->addApp(HostPath::baseName(path), path);
        } catch (const LauncherError& error) {
            setErrorMessage(error);
        }
        if (scoped) {
            m_c.securityScope->stopAccessing(url);
        }
    }
}

std::optional<LogicAppMetadata> SettingsViewModel::metadata(const LogicApp& app) const
{
    auto it = m_metadataCache.constFind(app.id);
    if (it == m_metadataCache.cend()) {
        return std::nullopt;
    }
    return *it;
}

bool SettingsViewModel::isModeVisible(const LogicApp& app, LaunchArchitecture mode) const
{
    for (const LogicApp& current : m_c.settingsManager->apps()) {
        if (current.id == app.id) {
            return !current.hiddenModes.contains(mode);
        }
    }
    return true;
}

void SettingsViewModel::setModeVisible(const LogicApp& app, LaunchArchitecture mode, bool visible)
{
    m_c.settingsManager->setModeHidden(app.id, mode, !visible);
}

void SettingsViewModel::moveUp(int row)
{
    if (row > 0 && row < m_c.settingsManager->apps().size()) {
        m_c.settingsManager->moveApps({row}, row - 1);
    }
}

void SettingsViewModel::moveDown(int row)
{
    // The destination is counted before the row is taken out: two places further.
    if (row >= 0 && row + 1 < m_c.settingsManager->apps().size()) {
        m_c.settingsManager->moveApps({row}, row + 2);
    }
}

void SettingsViewModel::dropURLs(const QList<QUrl>& urls)
{
    QList<QUrl> hostURLs;
    for (const QUrl& url : urls) {
        hostURLs << HostPath::fileURL(m_c.fileSystem->fromPlatformPath(url.toLocalFile()));
    }
    handleDrop(hostURLs);
}

void SettingsViewModel::moveRowBy(int row, int places)
{
    if (places != 0) {
        // The destination is counted before the row is taken out.
        moveRow(row, places > 0 ? row + places + 1 : std::max(0, row + places));
    }
}

QVariantList SettingsViewModel::languageChoices() const
{
    QVariantList choices;
    for (AppLanguage language : allCases<AppLanguage>()) {
        choices.append(
            QVariantMap{{QStringLiteral("code"), rawValue(language)}, {QStringLiteral("name"), pickerName(language)}});
    }
    return choices;
}

void SettingsViewModel::openContact()
{
    m_c.workspace->open(QUrl(AppConstants::contactURL));
}

void SettingsViewModel::moveRow(int row, int destination)
{
    if (row >= 0 && row < m_c.settingsManager->apps().size() && destination != row && destination != row + 1) {
        m_c.settingsManager->moveApps({row}, destination);
    }
}

const LogicApp* SettingsViewModel::appAt(int row) const
{
    const QList<LogicApp>& apps = m_c.settingsManager->apps();
    return row >= 0 && row < apps.size() ? &apps[row] : nullptr;
}

void SettingsViewModel::setModeVisibleAt(int row, const QString& mode, bool visible)
{
    const auto architecture = fromRawValue<LaunchArchitecture>(mode);
    if (const LogicApp* app = appAt(row); app && architecture) {
        setModeVisible(*app, *architecture, visible);
    }
}

void SettingsViewModel::beginEditAt(int row)
{
    if (const LogicApp* app = appAt(row)) {
        beginEdit(*app);
    }
}

void SettingsViewModel::removeAt(int row)
{
    if (const LogicApp* app = appAt(row)) {
        m_c.settingsManager->removeApp(app->id);
    }
}

void SettingsViewModel::openPreviousVersions()
{
    m_c.workspace->open(QUrl(AppConstants::previousVersionsURL));
    if (onOpenExternalLinkAndQuit) {
        onOpenExternalLinkAndQuit();
    }
}

QString SettingsViewModel::appVersion() const
{
    const QString& own = m_c.ownBundlePath;
    if (auto info = m_c.versionReader->metadata(HostPath::fileURL(own), *m_c.architectureDetector)) {
        return info->shortVersion;
    }
    // A launcher without a bundle of its own (a build run in place): the build's version.
    const QString built = QCoreApplication::applicationVersion();
    return built.isEmpty() ? QStringLiteral("0.22 beta") : built;
}

void SettingsViewModel::rebuildRows()
{
    QList<SettingsRowModel::Row> rows;
    for (const LogicApp& app : m_c.settingsManager->apps()) {
        rows.append({app, metadata(app), m_c.fileSystem->exists(app.bundlePath)});
    }
    m_rows.setRows(rows);
}

void SettingsViewModel::openLogicOnAppStore()
{
    if (!m_c.workspace->open(QUrl(AppConstants::logicProAppStoreURL))) {
        m_c.workspace->open(QUrl(AppConstants::logicProAppStoreHTTPSURL));
    }
    if (onOpenExternalLinkAndQuit) {
        onOpenExternalLinkAndQuit();
    }
}

void SettingsViewModel::rebuildMetadataCache()
{
    QHash<QUuid, LogicAppMetadata> cache;
    for (const LogicApp& app : m_c.settingsManager->apps()) {
        if (!m_c.fileSystem->exists(app.bundlePath)) {
            continue;
        }
        if (auto metadata = m_c.versionReader->metadata(HostPath::fileURL(app.bundlePath), *m_c.architectureDetector)) {
            cache.insert(app.id, *metadata);
        }
    }
    if (cache != m_metadataCache) {
        m_metadataCache = cache;
        Q_EMIT metadataCacheChanged();
    }
}

// ---- project memory ------------------------------------------------------------------------

bool SettingsViewModel::remembersProjects() const
{
    return m_c.projectMemory && m_c.projectMemory->isEnabled();
}

void SettingsViewModel::setRemembersProjects(bool remember)
{
    if (!m_c.projectMemory || remember == remembersProjects()) {
        return;
    }
    m_c.projectMemory->setEnabled(remember);
    Q_EMIT projectMemoryChanged();
}

bool SettingsViewModel::hasProjectHistory() const
{
    return m_c.projectMemory && !m_c.projectMemory->entries().isEmpty();
}

void SettingsViewModel::forgetProjectHistory()
{
    if (m_c.projectMemory) {
        m_c.projectMemory->forget();
        Q_EMIT projectMemoryChanged();
    }
}

} // namespace vantrel
