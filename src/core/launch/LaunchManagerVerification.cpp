// Watching a started copy: readiness before a document, verification of the architecture
// that really runs.
#include "launch/LaunchManager.h"

#include "async/Clock.h"
#include "log/LaunchLogger.h"
#include "model/CpuType.h"
#include "model/ModeNames.h"
#include "platform/HostPath.h"
#include "text/L10n.h"

namespace vantrel {

namespace {

constexpr double probePause = 0.25;

} // namespace

Task<> LaunchManager::verifyArchitecture(QUrl appURL, LaunchArchitecture expected, QSet<qint32> beforePIDs,
                                         bool requireLongerSettle)
{
    const int expectedType = modeCpuType(expected);
    const QString path = HostPath::fromURL(appURL);
    const Duration settle = seconds(requireLongerSettle ? 1.25 : 0.45);
    const Clock::TimePoint deadline = m_c.clock->now() + seconds(requireLongerSettle ? 18.0 : 12.0);
    std::optional<Clock::TimePoint> stableSince;
    QList<RunningApplicationPtr> candidates;

    while (m_c.clock->now() < deadline) {
        candidates.clear();
        for (const RunningApplicationPtr& application : runningLogicInstances()) {
            const auto url = application->bundleURL();
            if (url && HostPath::fromURL(*url) == path) {
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
            co_await m_c.clock->sleep(seconds(probePause));
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
            stableSince = m_c.clock->now();
        }
        if (m_c.clock->now() - *stableSince >= settle && wrongTexts.isEmpty()) {
            log(QStringLiteral("verified stable ") + rawValue(expected) + QStringLiteral(" pid=")
                + QString::number(chosen->processIdentifier()));
            chosen->activate(RunningApplication::activateAllWindows);
            co_return;
        }
        co_await m_c.clock->sleep(seconds(probePause));
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

Task<> LaunchManager::waitUntilLogicReady(QUrl appURL, LaunchArchitecture architecture, bool coldStart)
{
    const int expectedType = modeCpuType(architecture);
    const QString path = HostPath::fromURL(appURL);
    const Duration settle = seconds(coldStart ? 1.2 : 0.35);
    const Clock::TimePoint deadline = m_c.clock->now() + seconds(coldStart ? 25.0 : 8.0);
    std::optional<Clock::TimePoint> readySince;
    std::optional<qint32> lastPID;
    log(QStringLiteral("waiting for Logic ready (coldStart=")
        + (coldStart ? QStringLiteral("true") : QStringLiteral("false")) + u')');

    while (m_c.clock->now() < deadline) {
        RunningApplicationPtr candidate;
        for (const RunningApplicationPtr& application : runningLogicInstances()) {
            const auto url = application->bundleURL();
            if (url && HostPath::fromURL(*url) == path && application->executableArchitecture() == expectedType
                && !application->isTerminated()) {
                candidate = application;
                break;
            }
        }
        if (!candidate) {
            lastPID.reset();
            readySince.reset();
            co_await m_c.clock->sleep(seconds(probePause));
            continue;
        }
        // A different process restarts the settle time.
        if (lastPID != candidate->processIdentifier()) {
            lastPID = candidate->processIdentifier();
            readySince = m_c.clock->now();
        }
        if (m_c.clock->now() - *readySince >= settle && candidate->isFinishedLaunching()) {
            log(QStringLiteral("Logic ready pid=") + QString::number(candidate->processIdentifier())
                + QStringLiteral(" finishedLaunching=true"));
            co_return;
        }
        co_await m_c.clock->sleep(seconds(probePause));
    }
    log(QStringLiteral("Logic ready wait timed out — proceeding with document open anyway"));
}

} // namespace vantrel
