// Handing a project to the launched (or already running) copy.
#include "launch/LaunchManager.h"

#include "async/Clock.h"
#include "launch/WithTimeout.h"
#include "log/LaunchLogger.h"
#include "platform/CommandRunner.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/SecurityScope.h"
#include "platform/Workspace.h"

namespace vantrel {

Task<> LaunchManager::openDocumentReliably(QUrl documentURL, QUrl appURL, LaunchArchitecture architecture,
                                           bool coldStart)
{
    const QString documentPath = documentURL.toLocalFile();
    if (!m_c.fileSystem->exists(HostPath::fromURL(documentURL))) {
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
    const ScopedAccess access{*m_c.securityScope, documentURL, m_c.securityScope->startAccessing(documentURL)};

    co_await waitUntilLogicReady(appURL, architecture, coldStart);

    const int attempts = coldStart ? 4 : 2;
    bool opened = false;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        log(QStringLiteral("document open attempt ") + QString::number(attempt) + u'/' + QString::number(attempts)
            + QStringLiteral(": ") + documentPath);
        std::exception_ptr failure;
        try {
            co_await withTimeout(*m_c.clock, 4.0, [&]() { return openDocument(documentURL, appURL); });
            opened = true;
        } catch (...) {
            failure = std::current_exception();
        }
        if (failure) {
            log(QStringLiteral("document open attempt ") + QString::number(attempt) + QStringLiteral(" failed: ")
                + LauncherError::localizedDescription(failure));
        }
        activateExisting(appURL, architecture);
        if (attempt < attempts) {
            co_await m_c.clock->sleep(seconds(0.8));
        }
    }
    if (!opened) {
        throw LauncherError::launchFailed(QStringLiteral("Could not open project in Logic Pro: ") + documentPath);
    }
    log(QStringLiteral("document handoff sequence finished: ") + documentPath);
}

Task<> LaunchManager::openDocument(QUrl documentURL, QUrl appURL)
{
    const QString documentPath = documentURL.toLocalFile();
    const QString appPath = appURL.toLocalFile();
    log(QStringLiteral("open document ") + documentPath + QStringLiteral(" with ") + appPath);
    // Named lists, not braced ones: GCC 12 cannot keep an initializer list across co_await.
    const QList<QUrl> documents{documentURL};
    const OpenResult result =
        co_await m_c.workspace->openDocuments(documents, appURL, OpenConfiguration{false, std::nullopt, true});
    if (!result.error) {
        co_return;
    }
    const LauncherError workspaceError = LauncherError::launchFailed(*result.error);
    log(QStringLiteral("NSWorkspace document open failed: ") + workspaceError.errorDescription()
        + QStringLiteral(" — falling back to /usr/bin/open"));
    const QStringList arguments{QStringLiteral("-a"), appPath, documentPath};
    const CommandRunner::Result fallback = co_await m_c.commandRunner->run(QStringLiteral("/usr/bin/open"), arguments);
    if (!fallback.exitStatus) {
        throw LauncherError::launchFailed(fallback.startError);
    }
    if (*fallback.exitStatus != 0) {
        throw LauncherError::launchFailed(QStringLiteral("open document exited with status ")
                                          + QString::number(*fallback.exitStatus));
    }
}

} // namespace vantrel
