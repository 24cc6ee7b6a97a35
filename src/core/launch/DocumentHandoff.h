#pragma once

#include "async/Task.h"
#include "model/LaunchArchitecture.h"

#include <QUrl>

namespace vantrel {

class Clock;
class CommandRunner;
class FileSystem;
class LaunchLogger;
class LaunchVerifier;
class RunningInstances;
class SecurityScope;
class Workspace;

// Hands a project to the launched (or already running) copy: waits until it is ready,
// then makes every attempt of the handoff, with the project's security-scoped access held
// throughout.
class DocumentHandoff {
public:
    DocumentHandoff(LaunchVerifier& verifier, RunningInstances& running, Workspace& workspace,
                    CommandRunner& commandRunner, FileSystem& fileSystem, SecurityScope& securityScope, Clock& clock,
                    LaunchLogger& logger);

    // Four attempts after a cold start, two otherwise, each limited in time; succeeds when
    // any of them did.
    Task<> openDocumentReliably(QUrl documentURL, QUrl appURL, LaunchArchitecture architecture, bool coldStart);
    // One attempt: the workspace, then `open -a` when the workspace fails.
    Task<> openDocument(QUrl documentURL, QUrl appURL);

private:
    void log(const QString& message) const;

    LaunchVerifier& m_verifier;
    RunningInstances& m_running;
    Workspace& m_workspace;
    CommandRunner& m_commandRunner;
    FileSystem& m_fileSystem;
    SecurityScope& m_securityScope;
    Clock& m_clock;
    LaunchLogger& m_logger;
};

} // namespace vantrel
