#pragma once

#include "async/Clock.h"
#include "launch/LogicPreferenceMutator.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace vantrel {

class FileSystem;
class LaunchLogger;
class ProcessProbe;
class RunningInstances;
class Spawner;

// Logic's "startupAction" around a launch: the override that keeps Logic from opening
// anything by itself, its restore (at once, or later in a task of its own), and at
// start-up the restore of what a launcher that died in the middle of a launch left behind.
class StartupActionRestorer {
public:
    // `mutator` is shared with the restores still pending in `pendingWork`, which may
    // outlive this object.
    StartupActionRestorer(std::shared_ptr<LogicPreferenceMutator> mutator, FileSystem& fileSystem,
                          RunningInstances& running, ProcessProbe& processProbe, Clock& clock, Spawner& pendingWork,
                          LaunchLogger& logger);

    // The bundle's own identifier, or "com.apple.logic10".
    QString startupDomain(const QUrl& appURL) const;
    // "startupAction" 0 in the bundle's domain; a refusal is logged and thrown.
    LogicPreferenceMutator::OverrideToken beginStartupActionOverride(const QUrl& appURL);
    // Ends the override here and now, without a log line.
    void endOverride(const LogicPreferenceMutator::OverrideToken& token);

    // Ends the override after `after` in a task of its own and logs "startupAction
    // restored after document open"; returns at once. Nothing for no token.
    void restoreStartupAction(const std::optional<LogicPreferenceMutator::OverrideToken>& token, Duration after);

    // At start-up: puts back every "startupAction" override left behind by a process that
    // died in the middle of a launch, one log line each.
    void restoreAbandonedStartupActions();

private:
    void log(const QString& message) const;

    std::shared_ptr<LogicPreferenceMutator> m_mutator;
    FileSystem& m_fileSystem;
    RunningInstances& m_running;
    ProcessProbe& m_processProbe;
    Clock& m_clock;
    Spawner& m_pendingWork;
    LaunchLogger& m_logger;
};

} // namespace vantrel
