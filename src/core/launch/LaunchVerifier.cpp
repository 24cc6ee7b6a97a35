// Watching a started copy: readiness before a document, verification of the architecture
// that really runs.
#include "launch/LaunchVerifier.h"

#include "async/Clock.h"
#include "async/Timings.h"
#include "launch/RunningInstances.h"
#include "log/LaunchLogger.h"
#include "model/CpuType.h"
#include "model/LauncherError.h"
#include "model/ModeNames.h"
#include "platform/HostPath.h"
#include "text/L10n.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace vantrel {

LaunchVerifier::LaunchVerifier(RunningInstances& running, Clock& clock, LaunchLogger& logger)
    : m_running(running)
    , m_clock(clock)
    , m_logger(logger)
{
}

void LaunchVerifier::log(const QString& message) const
{
    m_logger.log(message);
}

Task<> LaunchVerifier::verifyArchitecture(QUrl appURL, LaunchArchitecture expected, QSet<qint32> beforePIDs,
                                          bool requireLongerSettle)
{
    const int expectedType = modeCpuType(expected);
    const QString path = HostPath::fromURL(appURL);
    const Duration settle = requireLongerSettle ? timings::verifySettleBeforeProject : timings::verifySettle;
    const Clock::TimePoint deadline =
        m_clock.now() + (requireLongerSettle ? timings::verifyDeadlineBeforeProject : timings::verifyDeadline);
    std::optional<Clock::TimePoint> stableSince;
    QList<RunningApplicationPtr> candidates;

    while (m_clock.now() < deadline) {
        candidates.clear();
        for (const RunningApplicationPtr& application : m_running.runningLogicInstances()) {
            if (RunningInstances::belongsTo(*application, path)) {
                candidates.append(application);
            }
        }
        QList<RunningApplicationPtr> matches;
        QStringList matchTexts;
        QStringList wrongTexts;
        for (const RunningApplicationPtr& candidate : candidates) {
            const int arch = candidate->executableArchitecture();
            if (arch == expectedType) {
                matches.append(candidate);
                matchTexts << QString::number(candidate->processIdentifier());
            } else if (arch != CpuType::unknown && !beforePIDs.contains(candidate->processIdentifier())) {
                // An instance that ran before this launch (the same copy left running in the
                // other mode) is not what this launch started: it never counts as wrong.
                wrongTexts << u'"' + QString::number(candidate->processIdentifier()) + u':' + QString::number(arch)
                                  + u'"';
            }
        }
        log(QStringLiteral("verify matches=[") + matchTexts.join(QStringLiteral(", ")) + QStringLiteral("] wrong=[")
            + wrongTexts.join(QStringLiteral(", ")) + u']');

        if (matches.isEmpty()) {
            stableSince.reset();
            co_await m_clock.sleep(timings::processProbePause);
            continue;
        }
        // The new process when there is one; otherwise the first that ran before.
        RunningApplicationPtr chosen = matches.first();
        for (const RunningApplicationPtr& match : matches) {
            if (!beforePIDs.contains(match->processIdentifier())) {
                chosen = match;
                break;
            }
        }
        if (!stableSince) {
            stableSince = m_clock.now();
        }
        if (m_clock.now() - *stableSince >= settle && wrongTexts.isEmpty()) {
            log(QStringLiteral("verified stable ") + rawValue(expected) + QStringLiteral(" pid=")
                + QString::number(chosen->processIdentifier()));
            chosen->activate(RunningApplication::activateAllWindows);
            co_return;
        }
        co_await m_clock.sleep(timings::processProbePause);
    }

    for (const RunningApplicationPtr& candidate : candidates) {
        const int arch = candidate->executableArchitecture();
        if (arch != expectedType && arch != CpuType::unknown && !beforePIDs.contains(candidate->processIdentifier())) {
            throw LauncherError::launchFailed(
                L10n::text(L10n::Key::errorRequestedButGot, modeDisplayName(expected), archName(arch)));
        }
    }
    throw LauncherError::launchFailed(L10n::text(L10n::Key::errorDidNotStartMode, modeDisplayName(expected)));
}

Task<> LaunchVerifier::waitUntilLogicReady(QUrl appURL, LaunchArchitecture architecture, bool coldStart)
{
    const QString path = HostPath::fromURL(appURL);
    const Duration settle = coldStart ? timings::readySettleColdStart : timings::readySettle;
    const Clock::TimePoint deadline =
        m_clock.now() + (coldStart ? timings::readyDeadlineColdStart : timings::readyDeadline);
    std::optional<Clock::TimePoint> readySince;
    std::optional<qint32> lastPID;
    log(QStringLiteral("waiting for Logic ready (coldStart=")
        + (coldStart ? QStringLiteral("true") : QStringLiteral("false")) + u')');

    while (m_clock.now() < deadline) {
        RunningApplicationPtr candidate;
        for (const RunningApplicationPtr& application : m_running.runningLogicInstances()) {
            if (RunningInstances::belongsTo(*application, path) && RunningInstances::runsIn(*application, architecture)
                && !application->isTerminated()) {
                candidate = application;
                break;
            }
        }
        if (!candidate) {
            lastPID.reset();
            readySince.reset();
            co_await m_clock.sleep(timings::processProbePause);
            continue;
        }
        // A different process restarts the settle time.
        if (lastPID != candidate->processIdentifier()) {
            lastPID = candidate->processIdentifier();
            readySince = m_clock.now();
        }
        if (m_clock.now() - *readySince >= settle && candidate->isFinishedLaunching()) {
            log(QStringLiteral("Logic ready pid=") + QString::number(candidate->processIdentifier())
                + QStringLiteral(" finishedLaunching=true"));
            co_return;
        }
        co_await m_clock.sleep(timings::processProbePause);
    }
    log(QStringLiteral("Logic ready wait timed out — proceeding with document open anyway"));
}

} // namespace vantrel
