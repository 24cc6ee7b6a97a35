#pragma once

#include "model/LaunchArchitecture.h"
#include "model/LogicApp.h"
#include "model/LogicAppMetadata.h"
#include "viewmodels/SettingsRowModel.h"

#include "model/LauncherError.h"
#include <QHash>
#include <QList>

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <QUuid>
#include <QVariantList>

#include <functional>
#include <memory>
#include <optional>

namespace vantrel {

class ArchitectureDetector;
class FileSystem;
class LogicScanner;
class OpenPanel;
class PluginInventory;
class ProjectMemory;
class SecurityScope;
class SettingsManager;
class VersionReader;
class Workspace;

// The model behind the settings window: the editor's draft, its error line, the drop
// zone's highlight and a metadata cache per installation. The list itself belongs to the
// settings manager, which validates every edit. Main thread only.
class SettingsViewModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString draftName READ draftName WRITE setDraftName NOTIFY draftChanged)
    Q_PROPERTY(QString draftPath READ draftPath WRITE setDraftPath NOTIFY draftChanged)
    Q_PROPERTY(bool isEditing READ isEditing NOTIFY draftChanged)
    // The id of the installation being edited ("" while adding): its row is marked.
    Q_PROPERTY(QString editingAppID READ editingAppID NOTIFY draftChanged)
    Q_PROPERTY(QString errorMessage READ errorMessageText NOTIFY errorMessageChanged)
    Q_PROPERTY(bool dropTargetHighlighted READ dropTargetHighlighted WRITE setDropTargetHighlighted NOTIFY
                   dropTargetHighlightedChanged)
    Q_PROPERTY(QObject* rows READ rows CONSTANT)
    Q_PROPERTY(QString appVersion READ appVersion CONSTANT)
    Q_PROPERTY(bool canSaveDraft READ canSaveDraft NOTIFY draftChanged)
    // The plug-ins section: a status line (reading, none, all in both modes), the count of
    // each class, and the plug-ins that load in one mode only or not at all, by class:
    // [{title, plugins: [{name, version, path}]}]. Texts in the language of now.
    Q_PROPERTY(QString pluginsStatus READ pluginsStatus NOTIFY pluginsChanged)
    Q_PROPERTY(QStringList pluginCounts READ pluginCounts NOTIFY pluginsChanged)
    Q_PROPERTY(QVariantList pluginGroups READ pluginGroups NOTIFY pluginsChanged)
    Q_PROPERTY(bool remembersProjects READ remembersProjects WRITE setRemembersProjects NOTIFY projectMemoryChanged)
    Q_PROPERTY(bool hasProjectHistory READ hasProjectHistory NOTIFY projectMemoryChanged)

public:
    struct Collaborators {
        std::shared_ptr<SettingsManager> settingsManager;
        std::shared_ptr<LogicScanner> scanner;
        std::shared_ptr<VersionReader> versionReader;
        std::shared_ptr<ArchitectureDetector> architectureDetector;
        Workspace* workspace = nullptr;
        FileSystem* fileSystem = nullptr;
        SecurityScope* securityScope = nullptr;
        QString ownBundlePath;                        // the launcher's own bundle, for its version
        OpenPanel* openPanel = nullptr;               // the shell's; none: browsing does nothing
        std::shared_ptr<PluginInventory> plugins;     // none: the section says it is reading
        std::shared_ptr<ProjectMemory> projectMemory; // none: nothing to remember or forget
    };

    explicit SettingsViewModel(Collaborators collaborators, QObject* parent = nullptr);

    // Called after an external link was opened; the window sets it to quit.
    std::function<void()> onOpenExternalLinkAndQuit;

    const QString& draftName() const { return m_draftName; }
    void setDraftName(const QString& name);
    const QString& draftPath() const { return m_draftPath; }
    void setDraftPath(const QString& path);
    const std::optional<QUuid>& editingID() const { return m_editingID; }
    bool isEditing() const { return m_editingID.has_value(); }
    QString editingAppID() const
    {
        return m_editingID ? m_editingID->toString(QUuid::WithoutBraces).toUpper() : QString();
    }
    // The editor's error line in the interface language of now.
    std::optional<QString> errorMessage() const;
    bool dropTargetHighlighted() const { return m_dropTargetHighlighted; }
    void setDropTargetHighlighted(bool highlighted);
    const QHash<QUuid, LogicAppMetadata>& metadataCache() const { return m_metadataCache; }

    Q_INVOKABLE void beginAdd();
    void beginEdit(const LogicApp& app);
    Q_INVOKABLE void chooseApplication();
    Q_INVOKABLE void saveDraft();
    void handleDrop(const QList<QUrl>& urls);
    std::optional<LogicAppMetadata> metadata(const LogicApp& app) const;
    bool isModeVisible(const LogicApp& app, LaunchArchitecture mode) const;
    Q_INVOKABLE void openLogicOnAppStore();

    // The rows' actions, onto the settings manager.
    Q_INVOKABLE void moveUp(int row);
    Q_INVOKABLE void moveDown(int row);
    // A row dragged to `destination` (counted before it is taken out).
    Q_INVOKABLE void moveRow(int row, int destination);
    // A row dragged `places` rows up (negative) or down.
    Q_INVOKABLE void moveRowBy(int row, int places);
    // Add/Save can do something: a path is there.
    bool canSaveDraft() const { return !m_draftPath.isEmpty(); }
    // The interface languages in their order, each under its own name, for the picker.
    Q_INVOKABLE QVariantList languageChoices() const;
    // The developer's contact page through the workspace.
    Q_INVOKABLE void openContact();
    void setModeVisible(const LogicApp& app, LaunchArchitecture mode, bool visible);

    // For the window: the rows, and their actions by row.
    SettingsRowModel* rows() { return &m_rows; }
    Q_INVOKABLE void setModeVisibleAt(int row, const QString& mode, bool visible);
    Q_INVOKABLE void beginEditAt(int row);
    Q_INVOKABLE void removeAt(int row);
    // Files dropped on the window, named as the platform names them.
    Q_INVOKABLE void dropURLs(const QList<QUrl>& urls);
    // The earlier-versions page through the workspace, then the way out.
    Q_INVOKABLE void openPreviousVersions();
    // The launcher's own short version; without one the build's, else "0.22 beta".
    QString appVersion() const;

    QString pluginsStatus() const;
    QStringList pluginCounts() const;
    QVariantList pluginGroups() const;
    // Selects the plug-in's bundle in a Finder window.
    Q_INVOKABLE void revealPlugin(const QString& path);

    // Whether launches with a project are remembered; turned off, the history goes too.
    bool remembersProjects() const;
    void setRemembersProjects(bool remember);
    bool hasProjectHistory() const;
    Q_INVOKABLE void forgetProjectHistory();

Q_SIGNALS:
    void pluginsChanged();
    void projectMemoryChanged();
    void draftChanged();
    void errorMessageChanged();
    void dropTargetHighlightedChanged();
    // The list changed; the window redraws at once (the cache follows a turn later).
    void changed();
    void metadataCacheChanged();

private:
    QString errorMessageText() const { return errorMessage().value_or(QString()); }
    void setErrorMessage(std::optional<ShownError> error);
    void rebuildMetadataCache();
    void rebuildRows();
    const LogicApp* appAt(int row) const;

    Collaborators m_c;
    QString m_draftName;
    QString m_draftPath;
    std::optional<QUuid> m_editingID;
    std::optional<ShownError> m_errorMessage;
    bool m_dropTargetHighlighted = false;
    QHash<QUuid, LogicAppMetadata> m_metadataCache;
    SettingsRowModel m_rows;
};

} // namespace vantrel
