#pragma once

#include "async/Task.h"
#include "model/LaunchArchitecture.h"
#include "model/LauncherError.h"

#include <QSet>
#include <QUrl>

#include <optional>

namespace vantrel {

class ArchitecturePreferenceMutator;
class Clock;
class CommandRunner;
class DocumentHandoff;
class KeyboardEvents;
class LaunchLogger;
class LaunchVerifier;
class RunningInstances;
class StartupActionRestorer;
class Workspace;

// Makes a copy of Logic Pro run in a mode: forces the architecture, starts it (`open -n
// --arch`, then the workspace as a fallback), verifies it and hands the project over, and
// decides what each outcome leaves forced or restored. Also the two special launches:
// without the recent project, and in Safe Mode.
class ApplicationOpener {
public:
    ApplicationOpener(RunningInstances& running, LaunchVerifier& verifier, DocumentHandoff& documents,
                      StartupActionRestorer& startupActions, ArchitecturePreferenceMutator& architecturePreference,
                      Workspace& workspace, CommandRunner& commandRunner, KeyboardEvents& keyboard, Clock& clock,
                      LaunchLogger& logger);

    // Makes the copy run in the mode (forcing the architecture, `open -n --arch`, then the
    // workspace as a fallback), verified, with the document handed over.
    Task<> openApplication(QUrl appURL, LaunchArchitecture architecture, std::optional<QUrl> documentURL);
    Task<> launchViaOpenCommand(QUrl appURL, LaunchArchitecture architecture, std::optional<QUrl> documentURL);
    Task<> launchViaNSWorkspace(QUrl appURL, LaunchArchitecture architecture, std::optional<QUrl> documentURL);

    // Logic's startup action set to open nothing for the start, restored 1.5 s after it
    // (at once when the start fails).
    Task<> launchWithoutRecentProject(QUrl appURL, LaunchArchitecture architecture);
    // Control held from before the start until 2 s after it, released exactly once.
    Task<> launchSafeMode(QUrl appURL, LaunchArchitecture architecture, std::optional<QUrl> documentURL);
    // Safe Mode holds Control through posted keyboard events; where the system would drop
    // them (no permission to post), the launch is refused before anything starts or quits,
    // rather than starting Logic Pro normally as if in Safe Mode. Asks for the permission
    // when it is missing; logs a refusal.
    std::optional<LauncherError> safeModeRefusal();

private:
    void log(const QString& message) const;
    // Asks the copies of `appPath` that this launch started (not in `beforePIDs`) to quit,
    // and waits a while for them: a failed try leaves nothing of its own running.
    Task<> quitWhatThisLaunchStarted(QString appPath, QSet<qint32> beforePIDs);

    RunningInstances& m_running;
    LaunchVerifier& m_verifier;
    DocumentHandoff& m_documents;
    StartupActionRestorer& m_startupActions;
    ArchitecturePreferenceMutator& m_architecturePreference;
    Workspace& m_workspace;
    CommandRunner& m_commandRunner;
    KeyboardEvents& m_keyboard;
    Clock& m_clock;
    LaunchLogger& m_logger;
};

} // namespace vantrel
