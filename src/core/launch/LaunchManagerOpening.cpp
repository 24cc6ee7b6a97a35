// Starting a copy: the open command first, the workspace as the fallback, and what each
// outcome leaves forced or restored.
#include "launch/LaunchManager.h"

#include "log/LaunchLogger.h"
#include "model/CpuType.h"
#include "model/ModeNames.h"
#include "platform/CommandRunner.h"
#include "platform/HostPath.h"
#include "platform/Workspace.h"
#include "text/L10n.h"

namespace vantrel {

Task<> LaunchManager::openApplication(QUrl appURL, LaunchArchitecture architecture, std::optional<QUrl> documentURL)
{
    const QString mode = rawValue(architecture);
    const int expected = modeCpuType(architecture);

    // 1. Keep Logic from opening anything by itself while a project is handed over.
    std::optional<LogicPreferenceMutator::OverrideToken> startupToken;
    if (documentURL) {
        startupToken = beginStartupActionOverride(appURL);
        log(QStringLiteral("startupAction → doNothing for document open"));
    }

    // 2. This very copy already runs in the mode: only hand the project over.
    const QString appPath = HostPath::fromURL(appURL);
    RunningApplicationPtr match;
    for (const RunningApplicationPtr& application : runningLogicInstances()) {
        const auto url = application->bundleURL();
        if (url && HostPath::fromURL(*url) == appPath && application->executableArchitecture() == expected) {
            match = application;
            break;
        }
    }
    if (match && documentURL) {
        log(QStringLiteral("Logic already running in ") + mode + QStringLiteral(" — opening document only"));
        std::exception_ptr failure;
        try {
            co_await openDocumentReliably(*documentURL, appURL, architecture, false);
        } catch (...) {
            failure = std::current_exception();
        }
        restoreStartupAction(startupToken, 0);
        if (failure) {
            std::rethrow_exception(failure);
        }
        co_return;
    }

    // 3–6. Remember who ran before, and force the architecture.
    QSet<qint32> beforePIDs;
    for (const RunningApplicationPtr& application : runningLogicInstances()) {
        beforePIDs.insert(application->processIdentifier());
    }
    auto preference = [&] {
        return m_c.architecturePreferenceMutator->currentPreference(appURL).value_or(QStringLiteral("nil"));
    };
    log(QStringLiteral("LS pref before=") + preference() + QStringLiteral(" → ") + mode);
    std::optional<ArchitecturePreferenceMutator::Token> architectureToken;
    try {
        architectureToken = m_c.architecturePreferenceMutator->beginOverride(appURL, architecture, true);
    } catch (...) {
        restoreStartupAction(startupToken, 0);
        throw;
    }
    log(QStringLiteral("LS pref now=") + preference());

    // 7. The open command, then verification, then the project.
    std::exception_ptr primaryError;
    bool running = false;
    try {
        co_await launchViaOpenCommand(appURL, architecture, std::nullopt);
        co_await verifyArchitecture(appURL, architecture, beforePIDs, documentURL.has_value());
        running = true;
        if (documentURL) {
            co_await openDocumentReliably(*documentURL, appURL, architecture, true);
        }
    } catch (...) {
        primaryError = std::current_exception();
    }
    if (!primaryError) {
        log(QStringLiteral("launch OK as ") + mode + QStringLiteral("; LS pref left at ") + preference()
            + QStringLiteral(" (not restored)"));
        restoreStartupAction(startupToken, 6);
        co_return;
    }

    // Only the handoff failed: the copy runs, verified, in the mode asked for. The
    // workspace would start a second one; the failure is the handoff's.
    if (running) {
        restoreStartupAction(startupToken, 0);
        log(QStringLiteral("document handoff failed: ") + LauncherError::localizedDescription(primaryError)
            + QStringLiteral(" — Logic runs as ") + mode + QStringLiteral(", not started again; LS pref left at ")
            + preference());
        std::rethrow_exception(primaryError);
    }

    // 8. The same chain once more through the workspace.
    log(QStringLiteral("primary open failed: ") + LauncherError::localizedDescription(primaryError)
        + QStringLiteral(" — trying NSWorkspace"));
    std::exception_ptr fallbackError;
    try {
        co_await launchViaNSWorkspace(appURL, architecture, std::nullopt);
        co_await verifyArchitecture(appURL, architecture, beforePIDs, documentURL.has_value());
        if (documentURL) {
            co_await openDocumentReliably(*documentURL, appURL, architecture, true);
        }
    } catch (...) {
        fallbackError = std::current_exception();
    }
    if (!fallbackError) {
        log(QStringLiteral("NSWorkspace launch OK; LS pref left at ") + mode);
        restoreStartupAction(startupToken, 6);
        co_return;
    }

    // 9. Both ways failed: put everything back.
    m_c.architecturePreferenceMutator->endOverride(*architectureToken);
    restoreStartupAction(startupToken, 0);
    log(QStringLiteral("launch FAILED: ") + LauncherError::localizedDescription(fallbackError)
        + QStringLiteral("; LS pref restored"));
    std::rethrow_exception(fallbackError);
}

Task<> LaunchManager::launchViaOpenCommand(QUrl appURL, LaunchArchitecture architecture,
                                           std::optional<QUrl> documentURL)
{
    const QString arch = modeArchitectureName(architecture);
    QStringList arguments{QStringLiteral("-n"), QStringLiteral("--arch"), arch, QStringLiteral("-a"),
                          appURL.toLocalFile()};
    if (documentURL) {
        arguments.append(documentURL->toLocalFile());
    }
    log(QStringLiteral("open ") + arguments.join(u' '));
    const CommandRunner::Result result = co_await m_c.commandRunner->run(QStringLiteral("/usr/bin/open"), arguments);
    if (!result.exitStatus) {
        throw LauncherError::launchFailed(result.startError);
    }
    if (*result.exitStatus != 0) {
        throw LauncherError::launchFailed(L10n::text(L10n::Key::errorOpenArchFailed, arch, qint32(*result.exitStatus)));
    }
}

Task<> LaunchManager::launchViaNSWorkspace(QUrl appURL, LaunchArchitecture architecture,
                                           std::optional<QUrl> documentURL)
{
    const int expected = modeCpuType(architecture);
    const OpenConfiguration configuration{true, expected, true};
    // Named lists, not braced ones: GCC 12 cannot keep an initializer list across co_await.
    OpenResult result;
    if (documentURL) {
        const QList<QUrl> documents{*documentURL};
        result = co_await m_c.workspace->openDocuments(documents, appURL, configuration);
    } else {
        result = co_await m_c.workspace->openApplication(appURL, configuration);
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

} // namespace vantrel
