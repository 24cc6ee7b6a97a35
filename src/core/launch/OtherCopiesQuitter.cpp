#include "launch/OtherCopiesQuitter.h"

#include "async/Timings.h"
#include "launch/RunningInstances.h"
#include "log/LaunchLogger.h"
#include "model/CpuType.h"
#include "model/LauncherError.h"
#include "platform/HostPath.h"
#include "settings/AppPreferences.h"

#include <QList>
#include <QSet>

#include <algorithm>
#include <utility>

namespace vantrel {

OtherCopiesQuitter::OtherCopiesQuitter(RunningInstances& running, Clock& clock, const UserDefaults& standardDefaults,
                                       LaunchLogger& logger)
    : m_running(running)
    , m_clock(clock)
    , m_standardDefaults(standardDefaults)
    , m_logger(logger)
{
}

void OtherCopiesQuitter::log(const QString& message) const
{
    m_logger.log(message);
}

bool OtherCopiesQuitter::shouldCloseOtherLogicOnLaunch() const
{
    return AppPreferences::flag(m_standardDefaults, AppPreferences::closeOtherLogicOnLaunchKey);
}

Task<> OtherCopiesQuitter::quitOtherLogicIfNeeded(QUrl appURL, LaunchArchitecture architecture)
{
    if (!shouldCloseOtherLogicOnLaunch()) {
        log(QStringLiteral("skipping quit of other Logic (preference off)"));
        co_return;
    }
    co_await quitOtherLogicInstances(appURL, architecture);
}

Task<> OtherCopiesQuitter::quitOtherLogicInstances(QUrl exceptBundle, LaunchArchitecture keepingArchitecture)
{
    const QString except = HostPath::fromURL(exceptBundle);
    const int kept = modeCpuType(keepingArchitecture);
    QList<RunningApplicationPtr> targets;
    for (const RunningApplicationPtr& application : m_running.runningLogicInstances()) {
        if (application->isTerminated() || !m_running.isLive(application->processIdentifier())) {
            continue;
        }
        const auto url = application->bundleURL();
        const bool otherInstallation = !url || HostPath::fromURL(*url) != except;
        const int arch = application->executableArchitecture();
        if (otherInstallation || (arch != CpuType::unknown && arch != kept)) {
            targets.append(application);
        }
    }
    if (targets.isEmpty()) {
        co_return;
    }
    log(QStringLiteral("graceful quit of ") + QString::number(targets.size())
        + QStringLiteral(" other Logic instance(s) before switching version/mode"));
    const auto cancellation = std::make_shared<Clock::Cancellation>();
    m_quitWait = cancellation;
    auto pause = [this, cancellation](Duration duration) -> Task<> {
        if (!co_await m_clock.sleep(duration, cancellation)) {
            log(QStringLiteral("quit of other Logic cancelled: the launcher is ending"));
            throw LauncherError::operationCancelled();
        }
    };
    QSet<qint32> pids;
    for (const RunningApplicationPtr& target : targets) {
        target->activate(RunningApplication::activateAllWindows);
        co_await pause(timings::quitActivatePause);
        if (!target->terminate()) {
            log(QStringLiteral("terminate() returned false for pid=") + QString::number(target->processIdentifier()));
        }
        pids.insert(target->processIdentifier());
    }
    auto anyLive = [&] {
        return std::any_of(pids.cbegin(), pids.cend(), [&](qint32 pid) { return m_running.isLive(pid); });
    };
    const Clock::TimePoint deadline = m_clock.now() + timings::quitDeadline;
    while (m_clock.now() < deadline) {
        if (!anyLive()) {
            log(QStringLiteral("other Logic instance(s) quit"));
            co_await pause(timings::quitPollPause);
            co_return;
        }
        co_await pause(timings::quitPollPause);
    }
    if (!anyLive()) {
        co_return;
    }
    log(QStringLiteral("Logic still running after quit request — treating as user cancel"));
    throw LauncherError::operationCancelled();
}

void OtherCopiesQuitter::cancelQuitting()
{
    if (const auto wait = std::exchange(m_quitWait, nullptr)) {
        wait->cancel();
    }
}

} // namespace vantrel
