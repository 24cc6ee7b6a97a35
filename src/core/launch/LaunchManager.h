#pragma once

#include "async/Task.h"
#include "launch/ApplicationOpener.h"
#include "launch/ArchitecturePreferenceMutator.h"
#include "launch/DocumentHandoff.h"
#include "launch/LaunchVerifier.h"
#include "launch/LogicPreferenceMutator.h"
#include "launch/OtherCopiesQuitter.h"
#include "launch/RunningInstances.h"
#include "launch/StartupActionRestorer.h"
#include "model/LaunchAction.h"
#include "model/LaunchArchitecture.h"
#include "model/LauncherError.h"

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
// between requests. The steps are its parts' (running instances, quitting other copies,
// verification, document handoff, opening, Logic's startup action), which it makes from
// its collaborators and lends out.
class LaunchManager {
public:
    // The five collaborators, and the ports of the platform the engine waits and acts
    // through. Services::launchCollaborators gives the ones a launcher uses.
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
    };

    explicit LaunchManager(Collaborators collaborators);

    // Its parts hold references to one another.
    LaunchManager(const LaunchManager&) = delete;
    LaunchManager& operator=(const LaunchManager&) = delete;

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
    // Safe Mode's refusal when keyboard events may not be posted (ApplicationOpener).
    std::optional<LauncherError> safeModeRefusal();

    // Ends a wait for other copies to quit at once (OtherCopiesQuitter).
    void cancelQuitting();
    // At start-up: puts back the startup actions of interrupted launches
    // (StartupActionRestorer).
    void restoreAbandonedStartupActions();

    Spawner& pendingWork() const { return *m_c.pendingWork; }
    const Collaborators& collaborators() const { return m_c; }

    // ---- its parts ----------------------------------------------------------------------

    RunningInstances& runningInstances() { return m_runningInstances; }
    OtherCopiesQuitter& otherCopiesQuitter() { return m_otherCopiesQuitter; }
    LaunchVerifier& launchVerifier() { return m_launchVerifier; }
    DocumentHandoff& documentHandoff() { return m_documentHandoff; }
    ApplicationOpener& applicationOpener() { return m_applicationOpener; }
    StartupActionRestorer& startupActionRestorer() { return m_startupActionRestorer; }

private:
    void log(const QString& message) const;

    // Declared in the order they are made: each part after those it uses.
    Collaborators m_c;
    RunningInstances m_runningInstances;
    OtherCopiesQuitter m_otherCopiesQuitter;
    LaunchVerifier m_launchVerifier;
    StartupActionRestorer m_startupActionRestorer;
    DocumentHandoff m_documentHandoff;
    ApplicationOpener m_applicationOpener;
};

} // namespace vantrel
