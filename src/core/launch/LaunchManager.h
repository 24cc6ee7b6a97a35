#pragma once

#include "async/Clock.h"
#include "async/Task.h"
#include "launch/ArchitecturePreferenceMutator.h"
#include "launch/LogicPreferenceMutator.h"
#include "model/LaunchAction.h"
#include "model/LaunchArchitecture.h"
#include "model/LauncherError.h"
#include "model/ParallelLaunchStatus.h"
#include "platform/RunningApplication.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace vantrel {

class ArchitectureDetector;
class Clock;
class CommandRunner;
class FileSystem;
class KeyboardEvents;
class LaunchLogger;
class ProcessProbe;
class SecurityScope;
class Spawner;
class UserDefaults;
class Workspace;

// The launch engine's single entry point: turns a request to start one installation in
// one mode (with one action and perhaps a project) into a running, verified Logic Pro
// process, and every step into a line of the launch log. It keeps no state of its own
// between requests.
class LaunchManager {
public:
    // The five collaborators, and the ports of the platform the engine waits and acts
    // through. fromCurrentHost() gives the ones a launcher uses.
    struct Collaborators {
        std::shared_ptr<ArchitectureDetector> architectureDetector;
        std::shared_ptr<LogicPreferenceMutator> preferenceMutator;
        std::shared_ptr<ArchitecturePreferenceMutator> architecturePreferenceMutator;
        Workspace* workspace = nullptr;
        LaunchLogger* logger = nullptr;

        Clock* clock = nullptr;
        ProcessProbe* processProbe = nullptr;
        CommandRunner* commandRunner = nullptr;
        KeyboardEvents* keyboard = nullptr;
        FileSystem* fileSystem = nullptr;
        SecurityScope* securityScope = nullptr;
        std::shared_ptr<UserDefaults> standardDefaults;
        // Fire-and-forget restores; the shell waits for it before the process ends.
        Spawner* pendingWork = nullptr;

        static Collaborators fromCurrentHost();
    };

    explicit LaunchManager(Collaborators collaborators);
    LaunchManager(); // from the current host

    // ---- the request ----------------------------------------------------------------

    // The whole request: log it, preflight, parallel status, quit others, activate a
    // matching running copy when there is no document, else dispatch by action. Throws
    // LauncherError; a support action is operationCancelled. `preferNewInstance` is
    // accepted and not consulted.
    Task<> launch(QUrl appURL, LaunchArchitecture architecture, LaunchAction action, bool preferNewInstance,
                  std::optional<QUrl> documentURL);

    // Synchronous preflight: the bundle, its slice, and for rosetta Rosetta and the Launch
    // Services setter. The first failing check decides.
    std::optional<LauncherError> canLaunch(const QUrl& appURL, LaunchArchitecture architecture);
    // Safe Mode holds Control through posted keyboard events; where the system would drop
    // them (no permission to post), the launch is refused before anything starts or quits,
    // rather than starting Logic Pro normally as if in Safe Mode. Asks for the permission
    // when it is missing; logs a refusal.
    std::optional<LauncherError> safeModeRefusal();

    // ---- opening -----------------------------------------------------------------------

    // Makes the copy run in the mode (forcing the architecture, `open -n --arch`, then the
    // workspace as a fallback), verified, with the document handed over.
    Task<> openApplication(QUrl appURL, LaunchArchitecture architecture, std::optional<QUrl> documentURL);
    Task<> launchViaOpenCommand(QUrl appURL, LaunchArchitecture architecture, std::optional<QUrl> documentURL);
    Task<> launchViaNSWorkspace(QUrl appURL, LaunchArchitecture architecture, std::optional<QUrl> documentURL);

    // ---- readiness and verification ------------------------------------------------------

    Task<> verifyArchitecture(QUrl appURL, LaunchArchitecture expected, QSet<qint32> beforePIDs,
                              bool requireLongerSettle);
    // Never fails: returns when the instance is ready or the deadline has passed.
    Task<> waitUntilLogicReady(QUrl appURL, LaunchArchitecture architecture, bool coldStart);

    // ---- documents -----------------------------------------------------------------------

    Task<> openDocumentReliably(QUrl documentURL, QUrl appURL, LaunchArchitecture architecture, bool coldStart);
    Task<> openDocument(QUrl documentURL, QUrl appURL);

    // ---- special launches ----------------------------------------------------------------

    Task<> launchWithoutRecentProject(QUrl appURL, LaunchArchitecture architecture);
    Task<> launchSafeMode(QUrl appURL, LaunchArchitecture architecture, std::optional<QUrl> documentURL);

    // ---- running instances -----------------------------------------------------------

    // The live Logic Pro processes, in the workspace's order; logs one line per
    // Logic-like entry it looks at.
    QList<RunningApplicationPtr> runningLogicInstances();
    static bool isLogicProBundleID(const QString& lowercasedIdentifier);
    bool isLiveLogicProcess(const RunningApplication& application);
    // pid ≥ 1 and signal 0 delivered, or refused with EPERM.
    bool isLive(qint32 pid) const;

    ParallelLaunchStatus parallelLaunchStatus(const QUrl& appURL, LaunchArchitecture architecture);
    // Brings the first instance of this installation in this mode to the front.
    void activateExisting(const QUrl& appURL, LaunchArchitecture architecture);

    // "closeOtherLogicOnLaunch", true when never set.
    bool shouldCloseOtherLogicOnLaunch() const;
    Task<> quitOtherLogicIfNeeded(QUrl appURL, LaunchArchitecture architecture);
    // Quits every other installation, and this one when it runs in another mode than
    // `keepingArchitecture` (a CPU type); throws operationCancelled when they are still
    // running 120 s after the request, or when `cancelQuitting` ends the wait first.
    Task<> quitOtherLogicInstances(QUrl exceptBundle, int keepingArchitecture);
    // Ends a wait for other copies to quit at once (the launcher is ending): the quit
    // step throws operationCancelled. Nothing when none waits.
    void cancelQuitting();

    // ---- Logic's startup action -------------------------------------------------------

    // Ends the override after `afterSeconds` in a task of its own and logs
    // "startupAction restored after document open"; returns at once. Nothing for no token.
    void restoreStartupAction(const std::optional<LogicPreferenceMutator::OverrideToken>& token, quint64 afterSeconds);

    // At start-up: puts back every "startupAction" override left behind by a process that
    // died in the middle of a launch, one log line each.
    void restoreAbandonedStartupActions();

    Spawner& pendingWork() const { return *m_c.pendingWork; }
    const Collaborators& collaborators() const { return m_c; }

private:
    void log(const QString& message) const;
    // The bundle's own identifier, or "com.apple.logic10".
    QString startupDomain(const QUrl& appURL) const;
    // "startupAction" 0 in the bundle's domain; a refusal is logged and thrown.
    LogicPreferenceMutator::OverrideToken beginStartupActionOverride(const QUrl& appURL);
    bool belongsTo(const RunningApplication& application, const QString& standardizedBundlePath) const;

    Collaborators m_c;
    std::shared_ptr<Clock::Cancellation> m_quitWait; // the quit step's current wait
};

} // namespace vantrel
