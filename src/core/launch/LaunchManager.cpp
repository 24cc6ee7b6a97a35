#include "launch/LaunchManager.h"

#include "async/Clock.h"
#include "async/Spawner.h"
#include "installations/ArchitectureDetector.h"
#include "log/LaunchLogger.h"
#include "model/ParallelLaunchStatus.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/ProcessProbe.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "text/L10n.h"

namespace vantrel {

LaunchManager::LaunchManager(Collaborators collaborators)
    : m_c(std::move(collaborators))
    , m_runningInstances(*m_c.workspace, *m_c.processProbe, *m_c.logger)
    , m_otherCopiesQuitter(m_runningInstances, *m_c.clock, *m_c.standardDefaults, *m_c.logger)
    , m_launchVerifier(m_runningInstances, *m_c.clock, *m_c.logger)
    , m_startupActionRestorer(m_c.preferenceMutator, *m_c.fileSystem, m_runningInstances, *m_c.processProbe, *m_c.clock,
                              *m_c.pendingWork, *m_c.logger)
    , m_documentHandoff(m_launchVerifier, m_runningInstances, *m_c.workspace, *m_c.commandRunner, *m_c.fileSystem,
                        *m_c.securityScope, *m_c.clock, *m_c.logger)
    , m_applicationOpener(m_runningInstances, m_launchVerifier, m_documentHandoff, m_startupActionRestorer,
                          *m_c.architecturePreferenceMutator, *m_c.workspace, *m_c.commandRunner, *m_c.keyboard,
                          *m_c.clock, *m_c.logger)
{
}

void LaunchManager::log(const QString& message) const
{
    m_c.logger->log(message);
}

// ---- preflight ---------------------------------------------------------------------------

std::optional<LauncherError> LaunchManager::canLaunch(const QUrl& appURL, LaunchArchitecture architecture)
{
    const QString path = HostPath::fromURL(appURL);
    if (!m_c.fileSystem->exists(path)) {
        return LauncherError::appNotFound(appURL.toLocalFile());
    }
    const SliceSet slices = m_c.architectureDetector->architectures(appURL);
    if (architecture == LaunchArchitecture::native) {
        if (!slices.contains(BinaryArchitecture::arm64)) {
            return LauncherError::architectureUnavailable(LaunchArchitecture::native);
        }
        return std::nullopt;
    }
    if (!slices.contains(BinaryArchitecture::x86_64)) {
        return LauncherError::architectureUnavailable(LaunchArchitecture::rosetta);
    }
    if (!m_c.architectureDetector->recheckRosettaInstalled()) {
        return LauncherError::rosettaNotInstalled();
    }
    if (!m_c.architecturePreferenceMutator->hasSetter()) {
        return LauncherError::preferenceMutationFailed(L10n::text(L10n::Key::errorLSPrefUnavailable));
    }
    return std::nullopt;
}

std::optional<LauncherError> LaunchManager::safeModeRefusal()
{
    return m_applicationOpener.safeModeRefusal();
}

// ---- the request -------------------------------------------------------------------------

Task<> LaunchManager::launch(QUrl appURL, LaunchArchitecture architecture, LaunchAction action,
                             bool /*preferNewInstance*/, std::optional<QUrl> documentURL)
{
    log(QStringLiteral("launch request mode=") + rawValue(architecture) + QStringLiteral(" action=") + rawValue(action)
        + QStringLiteral(" path=") + appURL.toLocalFile() + QStringLiteral(" doc=")
        + (documentURL ? documentURL->toLocalFile() : QStringLiteral("nil")));

    if (auto refusal = canLaunch(appURL, architecture)) {
        log(QStringLiteral("canLaunch failed: ") + refusal->errorDescription());
        throw *refusal;
    }
    if (documentURL && !m_c.fileSystem->exists(HostPath::fromURL(*documentURL))) {
        // Nothing starts for a project that is not there: Logic Pro would start, the
        // handoff fail, and the fallback start a second copy.
        const auto refusal = LauncherError::projectNotFound(documentURL->toLocalFile());
        log(QStringLiteral("canLaunch failed: ") + refusal.errorDescription());
        throw refusal;
    }
    if (action == LaunchAction::launchSafeMode) {
        if (auto refusal = safeModeRefusal()) {
            throw *refusal;
        }
    }

    const ParallelLaunchStatus status = m_runningInstances.parallelLaunchStatus(appURL, architecture);
    log(QStringLiteral("parallel=") + status.message);

    co_await m_otherCopiesQuitter.quitOtherLogicIfNeeded(appURL, architecture);

    if (status.kind == ParallelLaunchStatus::Case::unsupported && !documentURL) {
        m_runningInstances.activateExisting(appURL, architecture);
        log(QStringLiteral("activated existing ") + rawValue(architecture) + QStringLiteral(" instance"));
        co_return;
    }

    switch (action) {
    case LaunchAction::launch:
        co_await m_applicationOpener.openApplication(appURL, architecture, documentURL);
        co_return;
    case LaunchAction::launchWithoutRecentProject:
        // A project to open already keeps Logic from reopening its last one.
        if (documentURL) {
            co_await m_applicationOpener.openApplication(appURL, architecture, documentURL);
        } else {
            co_await m_applicationOpener.launchWithoutRecentProject(appURL, architecture);
        }
        co_return;
    case LaunchAction::launchSafeMode:
        co_await m_applicationOpener.launchSafeMode(appURL, architecture, documentURL);
        co_return;
    case LaunchAction::openPluginsFolder:
    case LaunchAction::openPreferences:
    case LaunchAction::revealInFinder:
    case LaunchAction::showInfo:
        break;
    }
    throw LauncherError::operationCancelled(); // support actions are not launch requests
}

// ---- delegated -----------------------------------------------------------------------------

void LaunchManager::cancelQuitting()
{
    m_otherCopiesQuitter.cancelQuitting();
}

void LaunchManager::restoreAbandonedStartupActions()
{
    m_startupActionRestorer.restoreAbandonedStartupActions();
}

} // namespace vantrel
