// Handing a project to the launched (or already running) copy.
#include "launch/DocumentHandoff.h"

#include "async/Clock.h"
#include "async/Timings.h"
#include "launch/LaunchVerifier.h"
#include "launch/RunningInstances.h"
#include "launch/WithTimeout.h"
#include "log/LaunchLogger.h"
#include "model/LauncherError.h"
#include "platform/CommandRunner.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/SecurityScope.h"
#include "platform/Workspace.h"

namespace vantrel {

DocumentHandoff::DocumentHandoff(LaunchVerifier& verifier, RunningInstances& running, Workspace& workspace,
                                 CommandRunner& commandRunner, FileSystem& fileSystem, SecurityScope& securityScope,
                                 Clock& clock, LaunchLogger& logger)
    : m_verifier(verifier)
    , m_running(running)
    , m_workspace(workspace)
    , m_commandRunner(commandRunner)
    , m_fileSystem(fileSystem)
    , m_securityScope(securityScope)
    , m_clock(clock)
    , m_logger(logger)
{
}

void DocumentHandoff::log(const QString& message) const
{
    m_logger.log(message);
}

Task<> DocumentHandoff::openDocumentReliably(QUrl documentURL, QUrl appURL, LaunchArchitecture architecture,
                                             bool coldStart)
{
    const QString documentPath = documentURL.toLocalFile();
    if (!m_fileSystem.exists(HostPath::fromURL(documentURL))) {
        throw LauncherError::launchFailed(QStringLiteral("Project not found: ") + documentPath);
    }
    // Access to a project handed over from outside the sandbox, held for the whole handoff
    // and given back on every way out (a local's destructor runs on each of them).
    struct ScopedAccess {
        SecurityScope& scope;
        QUrl url;
        bool granted;
        ~ScopedAccess()
        {
            if (granted) {
                scope.stopAccessing(url);
            }
        }
    };
    const ScopedAccess access{m_securityScope, documentURL, m_securityScope.startAccessing(documentURL)};

    co_await m_verifier.waitUntilLogicReady(appURL, architecture, coldStart);

    const int attempts = coldStart ? 4 : 2;
    bool opened = false;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        log(QStringLiteral("document open attempt ") + QString::number(attempt) + u'/' + QString::number(attempts)
            + QStringLiteral(": ") + documentPath);
        std::exception_ptr failure;
        try {
            co_await withTimeout(m_clock, timings::documentOpenAttemptTimeout,
                                 [&]() { return openDocument(documentURL, appURL); });
            opened = true;
        } catch (...) {
            failure = std::current_exception();
        }
        if (failure) {
            log(QStringLiteral("document open attempt ") + QString::number(attempt) + QStringLiteral(" failed: ")
                + LauncherError::localizedDescription(failure));
        }
        m_running.activateExisting(appURL, architecture);
        if (attempt < attempts) {
            co_await m_clock.sleep(timings::documentOpenRetryPause);
        }
    }
    if (!opened) {
        throw LauncherError::launchFailed(QStringLiteral("Could not open project in Logic Pro: ") + documentPath);
    }
    log(QStringLiteral("document handoff sequence finished: ") + documentPath);
}

Task<> DocumentHandoff::openDocument(QUrl documentURL, QUrl appURL)
{
    const QString documentPath = documentURL.toLocalFile();
    const QString appPath = appURL.toLocalFile();
    log(QStringLiteral("open document ") + documentPath + QStringLiteral(" with ") + appPath);
    // Named lists, not braced ones: GCC 12 cannot keep an initializer list across co_await.
    const QList<QUrl> documents{documentURL};
    const OpenResult result =
        co_await m_workspace.openDocuments(documents, appURL, OpenConfiguration{false, std::nullopt, true});
    if (!result.error) {
        co_return;
    }
    const LauncherError workspaceError = LauncherError::launchFailed(*result.error);
    log(QStringLiteral("NSWorkspace document open failed: ") + workspaceError.errorDescription()
        + QStringLiteral(" — falling back to /usr/bin/open"));
    const QStringList arguments{QStringLiteral("-a"), appPath, documentPath};
    const CommandRunner::Result fallback = co_await m_commandRunner.run(QStringLiteral("/usr/bin/open"), arguments);
    if (!fallback.exitStatus) {
        throw LauncherError::launchFailed(fallback.startError);
    }
    if (*fallback.exitStatus != 0) {
        throw LauncherError::launchFailed(QStringLiteral("open document exited with status ")
                                          + QString::number(*fallback.exitStatus));
    }
}

} // namespace vantrel
