// Starting a copy: the open command first, the workspace as the fallback, and what each
// outcome leaves forced or restored; the launches without the recent project and in Safe
// Mode around it.
#include "launch/ApplicationOpener.h"

#include "async/Clock.h"
#include "async/Timings.h"
#include "launch/ArchitecturePreferenceMutator.h"
#include "launch/DocumentHandoff.h"
#include "launch/LaunchVerifier.h"
#include "launch/ModifierKeyHold.h"
#include "launch/RunningInstances.h"
#include "launch/StartupActionRestorer.h"
#include "log/LaunchLogger.h"
#include "model/CpuType.h"
#include "model/ModeNames.h"
#include "platform/CommandRunner.h"
#include "platform/HostPath.h"
#include "platform/KeyboardEvents.h"
#include "platform/Workspace.h"
#include "text/L10n.h"

#include <algorithm>

#include <QList>
#include <QSet>
#include <QStringList>

#include <exception>

namespace vantrel {

ApplicationOpener::ApplicationOpener(RunningInstances& running, LaunchVerifier& verifier, DocumentHandoff& documents,
                                     StartupActionRestorer& startupActions,
                                     ArchitecturePreferenceMutator& architecturePreference, Workspace& workspace,
                                     CommandRunner& commandRunner, KeyboardEvents& keyboard, Clock& clock,
                                     LaunchLogger& logger)
    : m_running(running)
    , m_verifier(verifier)
    , m_documents(documents)
    , m_startupActions(startupActions)
    , m_architecturePreference(architecturePreference)
    , m_workspace(workspace)
    , m_commandRunner(commandRunner)
    , m_keyboard(keyboard)
    , m_clock(clock)
    , m_logger(logger)
{
}

void ApplicationOpener::log(const QString& message) const
{
    m_logger.log(message);
}

Task<> ApplicationOpener::quitWhatThisLaunchStarted(QString appPath, QSet<qint32> beforePIDs)
{
    QList<RunningApplicationPtr> started;
    for (const RunningApplicationPtr& application : m_running.runningLogicInstances()) {
        if (RunningInstances::belongsTo(*application, appPath)
            && !beforePIDs.contains(application->processIdentifier())) {
            started << application;
        }
    }
    if (started.isEmpty()) {
        co_return;
    }
    for (const RunningApplicationPtr& application : started) {
        log(QStringLiteral("quitting what this launch started: pid=")
            + QString::number(application->processIdentifier()));
        application->terminate();
    }
    const auto allGone = [&] {
        return std::all_of(started.cbegin(), started.cend(),
                           [](const RunningApplicationPtr& application) { return application->isTerminated(); });
    };
    for (Duration waited{}; !allGone() && waited < timings::ownLeftoverQuitWait; waited += timings::quitPollPause) {
        co_await m_clock.sleep(timings::quitPollPause);
    }
    if (!allGone()) {
        log(QStringLiteral("what this launch started did not quit within ")
            + QString::number(inSeconds(timings::ownLeftoverQuitWait)) + QStringLiteral(" s"));
    }
}

Task<> ApplicationOpener::openApplication(QUrl appURL, LaunchArchitecture architecture, std::optional<QUrl> documentURL)
{
    const QString mode = rawValue(architecture);

    // 1. Keep Logic from opening anything by itself while a project is handed over.
    std::optional<LogicPreferenceMutator::OverrideToken> startupToken;
    if (documentURL) {
        startupToken = m_startupActions.beginStartupActionOverride(appURL);
        log(QStringLiteral("startupAction → doNothing for document open"));
    }

    // 2. This very copy already runs in the mode: only hand the project over.
    const QString appPath = HostPath::fromURL(appURL);
    RunningApplicationPtr match;
    for (const RunningApplicationPtr& application : m_running.runningLogicInstances()) {
        if (RunningInstances::belongsTo(*application, appPath)
            && RunningInstances::runsIn(*application, architecture)) {
            match = application;
            break;
        }
    }
    if (match && documentURL) {
        log(QStringLiteral("Logic already running in ") + mode + QStringLiteral(" — opening document only"));
        std::exception_ptr failure;
        try {
            co_await m_documents.openDocumentReliably(*documentURL, appURL, architecture, false);
        } catch (...) {
            failure = std::current_exception();
        }
        m_startupActions.restoreStartupAction(startupToken, timings::startupActionRestoreAtOnce);
        if (failure) {
            std::rethrow_exception(failure);
        }
        co_return;
    }

    // 3–6. Remember who ran before, and force the architecture.
    QSet<qint32> beforePIDs;
    for (const RunningApplicationPtr& application : m_running.runningLogicInstances()) {
        beforePIDs.insert(application->processIdentifier());
    }
    auto preference = [&] {
        return m_architecturePreference.currentPreference(appURL).value_or(QStringLiteral("nil"));
    };
    log(QStringLiteral("LS pref before=") + preference() + QStringLiteral(" → ") + mode);
    std::optional<ArchitecturePreferenceMutator::Token> architectureToken;
    try {
        architectureToken = m_architecturePreference.beginOverride(appURL, architecture, true);
    } catch (...) {
        m_startupActions.restoreStartupAction(startupToken, timings::startupActionRestoreAtOnce);
        throw;
    }
    log(QStringLiteral("LS pref now=") + preference());

    // 7. The open command, then verification, then the project.
    std::exception_ptr primaryError;
    bool running = false;
    try {
        co_await launchViaOpenCommand(appURL, architecture, std::nullopt);
        co_await m_verifier.verifyArchitecture(appURL, architecture, beforePIDs, documentURL.has_value());
        running = true;
        if (documentURL) {
            co_await m_documents.openDocumentReliably(*documentURL, appURL, architecture, true);
        }
    } catch (...) {
        primaryError = std::current_exception();
    }
    if (!primaryError) {
        log(QStringLiteral("launch OK as ") + mode + QStringLiteral("; LS pref left at ") + preference()
            + QStringLiteral(" (not restored)"));
        m_startupActions.restoreStartupAction(startupToken, timings::startupActionRestoreDelay);
        co_return;
    }

    // Only the handoff failed: the copy runs, verified, in the mode asked for. The
    // workspace would start a second one; the failure is the handoff's.
    if (running) {
        m_startupActions.restoreStartupAction(startupToken, timings::startupActionRestoreAtOnce);
        log(QStringLiteral("document handoff failed: ") + LauncherError::localizedDescription(primaryError)
            + QStringLiteral(" — Logic runs as ") + mode + QStringLiteral(", not started again; LS pref left at ")
            + preference());
        std::rethrow_exception(primaryError);
    }

    // 8. The same chain once more through the workspace, after what the first try started.
    log(QStringLiteral("primary open failed: ") + LauncherError::localizedDescription(primaryError)
        + QStringLiteral(" — trying NSWorkspace"));
    co_await quitWhatThisLaunchStarted(appPath, beforePIDs);
    std::exception_ptr fallbackError;
    try {
        co_await launchViaNSWorkspace(appURL, architecture, std::nullopt);
        co_await m_verifier.verifyArchitecture(appURL, architecture, beforePIDs, documentURL.has_value());
        if (documentURL) {
            co_await m_documents.openDocumentReliably(*documentURL, appURL, architecture, true);
        }
    } catch (...) {
        fallbackError = std::current_exception();
    }
    if (!fallbackError) {
        log(QStringLiteral("NSWorkspace launch OK; LS pref left at ") + mode);
        m_startupActions.restoreStartupAction(startupToken, timings::startupActionRestoreDelay);
        co_return;
    }

    // 9. Both ways failed: put everything back, and quit what the second try started.
    co_await quitWhatThisLaunchStarted(appPath, beforePIDs);
    m_architecturePreference.endOverride(*architectureToken);
    m_startupActions.restoreStartupAction(startupToken, timings::startupActionRestoreAtOnce);
    log(QStringLiteral("launch FAILED: ") + LauncherError::localizedDescription(fallbackError)
        + QStringLiteral("; LS pref restored"));
    std::rethrow_exception(fallbackError);
}

Task<> ApplicationOpener::launchViaOpenCommand(QUrl appURL, LaunchArchitecture architecture,
                                               std::optional<QUrl> documentURL)
{
    const QString arch = modeArchitectureName(architecture);
    QStringList arguments{QStringLiteral("-n"), QStringLiteral("--arch"), arch, QStringLiteral("-a"),
                          appURL.toLocalFile()};
    if (documentURL) {
        arguments.append(documentURL->toLocalFile());
    }
    log(QStringLiteral("open ") + arguments.join(u' '));
    const CommandRunner::Result result = co_await m_commandRunner.run(QStringLiteral("/usr/bin/open"), arguments);
    if (!result.exitStatus) {
        throw LauncherError::launchFailed(result.startError);
    }
    if (*result.exitStatus != 0) {
        throw LauncherError::launchFailed(L10n::text(L10n::Key::errorOpenArchFailed, arch, qint32(*result.exitStatus)));
    }
}

Task<> ApplicationOpener::launchViaNSWorkspace(QUrl appURL, LaunchArchitecture architecture,
                                               std::optional<QUrl> documentURL)
{
    // The workspace takes and reports Mach-O CPU types.
    const int expected = modeCpuType(architecture);
    const OpenConfiguration configuration{true, expected, true};
    // Named lists, not braced ones: GCC 12 cannot keep an initializer list across co_await.
    OpenResult result;
    if (documentURL) {
        const QList<QUrl> documents{*documentURL};
        result = co_await m_workspace.openDocuments(documents, appURL, configuration);
    } else {
        result = co_await m_workspace.openApplication(appURL, configuration);
    }
    if (result.error) {
        throw LauncherError::launchFailed(*result.error);
    }
    if (result.application) {
        const int actual = result.application->executableArchitecture();
        if (actual != expected && actual != CpuType::unknown) {
            throw LauncherError::launchFailed(
                L10n::text(L10n::Key::errorNSWorkspaceWrongArch, archName(actual), modeDisplayName(architecture)));
        }
    }
}

// ---- special launches ----------------------------------------------------------------

std::optional<LauncherError> ApplicationOpener::safeModeRefusal()
{
    if (m_keyboard.requestPostAccess()) {
        return std::nullopt;
    }
    log(QStringLiteral("safe mode refused: keyboard events may not be posted (Accessibility permission missing)"));
    return LauncherError::launchFailed(L10n::text(L10n::Key::errorSafeModeNeedsAccessibility));
}

Task<> ApplicationOpener::launchWithoutRecentProject(QUrl appURL, LaunchArchitecture architecture)
{
    const auto token = m_startupActions.beginStartupActionOverride(appURL);
    std::exception_ptr failure;
    try {
        co_await openApplication(appURL, architecture, std::nullopt);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        m_startupActions.endOverride(token);
        std::rethrow_exception(failure);
    }
    co_await m_clock.sleep(timings::withoutRecentProjectHold);
    m_startupActions.endOverride(token);
}

Task<> ApplicationOpener::launchSafeMode(QUrl appURL, LaunchArchitecture architecture, std::optional<QUrl> documentURL)
{
    // Control stays down system-wide from before the start until 2 s after it, so that
    // Logic sees it while it starts and offers Safe Mode; it is released exactly once,
    // also when the launch fails.
    ModifierKeyHold control(m_keyboard, ModifierKeyHold::Key::control);
    control.hold();
    std::exception_ptr failure;
    try {
        co_await m_clock.sleep(timings::safeModeControlLead);
        co_await openApplication(appURL, architecture, documentURL);
        co_await m_clock.sleep(timings::safeModeControlTail);
    } catch (...) {
        failure = std::current_exception();
    }
    control.release();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace vantrel
