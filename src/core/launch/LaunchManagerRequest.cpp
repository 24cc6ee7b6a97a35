// The request flow and the two special launches.
#include "launch/LaunchManager.h"

#include "async/Clock.h"
#include "installations/VersionReader.h"
#include "launch/ModifierKeyHold.h"
#include "log/LaunchLogger.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/KeyboardEvents.h"
#include "text/L10n.h"

namespace vantrel {

QString LaunchManager::startupDomain(const QUrl& appURL) const
{
    return VersionReader(*m_c.fileSystem)
        .bundleIdentifier(appURL)
        .value_or(QString::fromLatin1(LogicPreferenceMutator::fallbackDomain));
}

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

    const ParallelLaunchStatus status = parallelLaunchStatus(appURL, architecture);
    log(QStringLiteral("parallel=") + status.message);

    co_await quitOtherLogicIfNeeded(appURL, architecture);

    if (status.kind == ParallelLaunchStatus::Case::unsupported && !documentURL) {
        activateExisting(appURL, architecture);
        log(QStringLiteral("activated existing ") + rawValue(architecture) + QStringLiteral(" instance"));
        co_return;
    }

    switch (action) {
    case LaunchAction::launch:
        co_await openApplication(appURL, architecture, documentURL);
        co_return;
    case LaunchAction::launchWithoutRecentProject:
        // A project to open already keeps Logic from reopening its last one.
        if (documentURL) {
            co_await openApplication(appURL, architecture, documentURL);
        } else {
            co_await launchWithoutRecentProject(appURL, architecture);
        }
        co_return;
    case LaunchAction::launchSafeMode:
        co_await launchSafeMode(appURL, architecture, documentURL);
        co_return;
    case LaunchAction::openPluginsFolder:
    case LaunchAction::openPreferences:
    case LaunchAction::revealInFinder:
    case LaunchAction::showInfo:
        break;
    }
    throw LauncherError::operationCancelled(); // support actions are not launch requests
}

std::optional<LauncherError> LaunchManager::safeModeRefusal()
{
    if (m_c.keyboard->requestPostAccess()) {
        return std::nullopt;
    }
    log(QStringLiteral("safe mode refused: keyboard events may not be posted (Accessibility permission missing)"));
    return LauncherError::launchFailed(L10n::text(L10n::Key::errorSafeModeNeedsAccessibility));
}

LogicPreferenceMutator::OverrideToken LaunchManager::beginStartupActionOverride(const QUrl& appURL)
{
    try {
        return m_c.preferenceMutator->beginStartupActionOverride(startupDomain(appURL), 0);
    } catch (const LauncherError& refusal) {
        log(QStringLiteral("startupAction left alone: ") + refusal.errorDescription());
        throw;
    }
}

Task<> LaunchManager::launchWithoutRecentProject(QUrl appURL, LaunchArchitecture architecture)
{
    const auto token = beginStartupActionOverride(appURL);
    std::exception_ptr failure;
    try {
        co_await openApplication(appURL, architecture, std::nullopt);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        m_c.preferenceMutator->endOverride(token);
        std::rethrow_exception(failure);
    }
    co_await m_c.clock->sleep(seconds(1.5));
    m_c.preferenceMutator->endOverride(token);
}

Task<> LaunchManager::launchSafeMode(QUrl appURL, LaunchArchitecture architecture, std::optional<QUrl> documentURL)
{
    // Control stays down system-wide from before the start until 2 s after it, so that
    // Logic sees it while it starts and offers Safe Mode; it is released exactly once,
    // also when the launch fails.
    ModifierKeyHold control(*m_c.keyboard, ModifierKeyHold::Key::control);
    control.hold();
    std::exception_ptr failure;
    try {
        co_await m_c.clock->sleep(seconds(0.15));
        co_await openApplication(appURL, architecture, documentURL);
        co_await m_c.clock->sleep(seconds(2));
    } catch (...) {
        failure = std::current_exception();
    }
    control.release();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace vantrel
