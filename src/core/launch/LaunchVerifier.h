#pragma once

#include "async/Task.h"
#include "model/LaunchArchitecture.h"

#include <QSet>
#include <QUrl>

namespace vantrel {

class Clock;
class LaunchLogger;
class RunningInstances;

// Watches a copy that was just started: verifies the architecture it really runs as, and
// waits until it is ready to take a project.
class LaunchVerifier {
public:
    LaunchVerifier(RunningInstances& running, Clock& clock, LaunchLogger& logger);

    // Returns once an instance of the installation has run in the expected mode for the
    // settle time (longer when a project follows), and brings it to the front; throws
    // launchFailed at the deadline. An instance in `beforePIDs` (it ran before the launch)
    // never counts as the wrong one.
    Task<> verifyArchitecture(QUrl appURL, LaunchArchitecture expected, QSet<qint32> beforePIDs,
                              bool requireLongerSettle);
    // Never fails: returns when the instance is ready or the deadline has passed.
    Task<> waitUntilLogicReady(QUrl appURL, LaunchArchitecture architecture, bool coldStart);

private:
    void log(const QString& message) const;

    RunningInstances& m_running;
    Clock& m_clock;
    LaunchLogger& m_logger;
};

} // namespace vantrel
