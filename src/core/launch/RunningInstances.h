#pragma once

#include "model/LaunchArchitecture.h"
#include "model/ParallelLaunchStatus.h"
#include "platform/RunningApplication.h"

#include <QList>
#include <QString>
#include <QUrl>

namespace vantrel {

class LaunchLogger;
class ProcessProbe;
class Workspace;

// The Logic Pro processes that run now: which of the workspace's entries are live copies
// of Logic Pro, how a launch would coexist with them, and bringing one to the front.
class RunningInstances {
public:
    RunningInstances(Workspace& workspace, ProcessProbe& processProbe, LaunchLogger& logger);

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

    // Whether the entry is of the installation at this standardized bundle path.
    static bool belongsTo(const RunningApplication& application, const QString& standardizedBundlePath);
    // Whether the entry runs as the mode's CPU type.
    static bool runsIn(const RunningApplication& application, LaunchArchitecture architecture);

private:
    Workspace& m_workspace;
    ProcessProbe& m_processProbe;
    LaunchLogger& m_logger;
};

} // namespace vantrel
