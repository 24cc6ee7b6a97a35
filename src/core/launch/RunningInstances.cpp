#include "launch/RunningInstances.h"

#include "log/LaunchLogger.h"
#include "model/CpuType.h"
#include "model/ModeNames.h"
#include "platform/HostPath.h"
#include "platform/ProcessProbe.h"
#include "platform/Workspace.h"
#include "text/L10n.h"

#include <cerrno>

namespace vantrel {

RunningInstances::RunningInstances(Workspace& workspace, ProcessProbe& processProbe, LaunchLogger& logger)
    : m_workspace(workspace)
    , m_processProbe(processProbe)
    , m_logger(logger)
{
}

bool RunningInstances::isLogicProBundleID(const QString& identifier)
{
    static const QStringList known = {QStringLiteral("com.apple.logic10"), QStringLiteral("com.apple.logic"),
                                      QStringLiteral("com.apple.logicpro"), QStringLiteral("com.apple.mobilelogic")};
    if (known.contains(identifier)) {
        return true;
    }
    return identifier.startsWith(QStringLiteral("com.apple.logic"))
           && !identifier.contains(QStringLiteral("extension"));
}

bool RunningInstances::isLive(qint32 pid) const
{
    if (pid < 1) {
        return false;
    }
    const ProcessProbe::Result result = m_processProbe.signalZero(pid);
    return result.delivered || result.errorNumber == EPERM;
}

bool RunningInstances::isLiveLogicProcess(const RunningApplication& application)
{
    if (application.activationPolicy() != RunningApplication::regular) {
        return false;
    }
    const auto identifier = application.bundleIdentifier();
    if (!identifier) {
        return false;
    }
    const QString lowered = identifier->toLower();
    if (!isLogicProBundleID(lowered) || lowered.contains(QStringLiteral("extension"))
        || lowered.contains(QStringLiteral("quicklook"))) {
        return false;
    }
    if (const auto url = application.bundleURL()) {
        const QString path = url->toLocalFile().toLower();
        if (path.contains(QStringLiteral(".appex"))
            || !(path.endsWith(QStringLiteral(".app")) || path.contains(QStringLiteral(".app/")))) {
            return false;
        }
    }
    return isLive(application.processIdentifier());
}

QList<RunningApplicationPtr> RunningInstances::runningLogicInstances()
{
    QList<RunningApplicationPtr> live;
    for (const RunningApplicationPtr& application : m_workspace.runningApplications()) {
        const auto identifier = application->bundleIdentifier();
        const QString lowered = identifier.value_or(QString()).toLower();
        if (!lowered.contains(QStringLiteral("logic")) || !lowered.startsWith(QStringLiteral("com.apple."))) {
            continue;
        }
        const auto url = application->bundleURL();
        const QString path = url ? url->toLocalFile() : QStringLiteral("?");
        const QString pid = QString::number(application->processIdentifier());
        if (isLiveLogicProcess(*application)) {
            m_logger.log(QStringLiteral("detected running Logic: pid=") + pid + QStringLiteral(" path=") + path
                         + QStringLiteral(" id=") + identifier.value_or(QStringLiteral("?")));
            live.append(application);
        } else {
            m_logger.log(QStringLiteral("ignoring stale/helper Logic entry: pid=") + pid + QStringLiteral(" policy=")
                         + QString::number(application->activationPolicy()) + QStringLiteral(" alive=")
                         + (isLive(application->processIdentifier()) ? QStringLiteral("true") : QStringLiteral("false"))
                         + QStringLiteral(" id=") + identifier.value_or(QStringLiteral("?")) + QStringLiteral(" path=")
                         + path);
        }
    }
    return live;
}

bool RunningInstances::belongsTo(const RunningApplication& application, const QString& standardizedBundlePath)
{
    const auto url = application.bundleURL();
    return url && HostPath::fromURL(*url) == standardizedBundlePath;
}

bool RunningInstances::runsIn(const RunningApplication& application, LaunchArchitecture architecture)
{
    return application.executableArchitecture() == modeCpuType(architecture);
}

ParallelLaunchStatus RunningInstances::parallelLaunchStatus(const QUrl& appURL, LaunchArchitecture architecture)
{
    const QList<RunningApplicationPtr> running = runningLogicInstances();
    if (running.isEmpty()) {
        return ParallelLaunchStatus::allowed(L10n::text(L10n::Key::parallelNoOthers));
    }
    const QString path = HostPath::fromURL(appURL);
    bool sameInstallation = false;
    for (const RunningApplicationPtr& application : running) {
        if (!belongsTo(*application, path)) {
            continue;
        }
        sameInstallation = true;
        if (runsIn(*application, architecture)) {
            return ParallelLaunchStatus::unsupported(
                L10n::text(L10n::Key::parallelUnsupported, modeDisplayName(architecture)));
        }
    }
    if (!sameInstallation) {
        return ParallelLaunchStatus::allowed(L10n::text(L10n::Key::parallelDifferentInstalls));
    }
    return ParallelLaunchStatus::tentative(L10n::text(L10n::Key::parallelTentative));
}

void RunningInstances::activateExisting(const QUrl& appURL, LaunchArchitecture architecture)
{
    const QString path = HostPath::fromURL(appURL);
    for (const RunningApplicationPtr& application : runningLogicInstances()) {
        if (belongsTo(*application, path) && runsIn(*application, architecture)) {
            application->activate(RunningApplication::activateAllWindows);
            return;
        }
    }
}

} // namespace vantrel
