#include "launch/StartupActionRestorer.h"

#include "async/Spawner.h"
#include "async/Task.h"
#include "installations/VersionReader.h"
#include "launch/RunningInstances.h"
#include "log/LaunchLogger.h"
#include "model/LauncherError.h"
#include "platform/ProcessProbe.h"

#include <limits>

namespace vantrel {

StartupActionRestorer::StartupActionRestorer(std::shared_ptr<LogicPreferenceMutator> mutator, FileSystem& fileSystem,
                                             RunningInstances& running, ProcessProbe& processProbe, Clock& clock,
                                             Spawner& pendingWork, LaunchLogger& logger)
    : m_mutator(std::move(mutator))
    , m_fileSystem(fileSystem)
    , m_running(running)
    , m_processProbe(processProbe)
    , m_clock(clock)
    , m_pendingWork(pendingWork)
    , m_logger(logger)
{
}

void StartupActionRestorer::log(const QString& message) const
{
    m_logger.log(message);
}

QString StartupActionRestorer::startupDomain(const QUrl& appURL) const
{
    return VersionReader(m_fileSystem)
        .bundleIdentifier(appURL)
        .value_or(QString::fromLatin1(LogicPreferenceMutator::fallbackDomain));
}

LogicPreferenceMutator::OverrideToken StartupActionRestorer::beginStartupActionOverride(const QUrl& appURL)
{
    try {
        return m_mutator->beginStartupActionOverride(startupDomain(appURL), 0);
    } catch (const LauncherError& refusal) {
        log(QStringLiteral("startupAction left alone: ") + refusal.errorDescription());
        throw;
    }
}

namespace {

// The log's line for the end of an override, `when` naming the moment.
QString endLine(LogicPreferenceMutator::EndOutcome outcome, const QString& domain, const QString& when)
{
    switch (outcome) {
    case LogicPreferenceMutator::EndOutcome::restored:
        return QStringLiteral("startupAction restored ") + when;
    case LogicPreferenceMutator::EndOutcome::keptUsersValue:
        return QStringLiteral("startupAction not restored ") + when
               + QStringLiteral(": it was changed during the launch; that value stays (domain=") + domain
               + QStringLiteral(")");
    case LogicPreferenceMutator::EndOutcome::leftToOthers:
        break;
    }
    return QStringLiteral("startupAction left to the other launch still overriding it ") + when;
}

} // namespace

void StartupActionRestorer::endOverride(const LogicPreferenceMutator::OverrideToken& token)
{
    log(endLine(m_mutator->endOverride(token), token.suiteName, QStringLiteral("at the launch's end")));
}

void StartupActionRestorer::restoreStartupAction(const std::optional<LogicPreferenceMutator::OverrideToken>& token,
                                                 Duration after)
{
    if (!token) {
        return;
    }
    auto restore = [](std::shared_ptr<LogicPreferenceMutator> mutator, LogicPreferenceMutator::OverrideToken token,
                      Clock* clock, LaunchLogger* logger, Duration after) -> Task<> {
        // Even a zero delay lets the caller go on first.
        co_await clock->sleep(after);
        logger->log(endLine(mutator->endOverride(token), token.suiteName, QStringLiteral("after document open")));
    };
    m_pendingWork.spawn(restore(m_mutator, *token, &m_clock, &m_logger, after),
                        QStringLiteral("restore startupAction"));
}

void StartupActionRestorer::restoreAbandonedStartupActions()
{
    // The same id with another start is another process: the one that made the record is gone.
    const auto isRunning = [this](qint64 pid, const std::optional<QString>& started) {
        if (pid < 1 || pid > std::numeric_limits<qint32>::max() || !m_running.isLive(qint32(pid))) {
            return false;
        }
        return !started || m_processProbe.startIdentity(pid) == started;
    };
    using Fate = LogicPreferenceMutator::AbandonedOverride::Fate;
    for (const LogicPreferenceMutator::AbandonedOverride& record : m_mutator->restoreAbandonedOverrides(isRunning)) {
        const QString what = [&] {
            switch (record.fate) {
            case Fate::restored:
                return QStringLiteral("startupAction restored after an interrupted launch: domain=");
            case Fate::leftToRunningLaunch:
                return QStringLiteral(
                    "startupAction of an interrupted launch left to the launch still running: domain=");
            case Fate::keptUsersValue:
                return QStringLiteral("startupAction of an interrupted launch not restored, changed since: domain=");
            case Fate::notLogicDomain:
                return QStringLiteral("startupAction record dropped, not a Logic Pro domain: domain=");
            }
            return QString();
        }();
        log(what + record.domain + QStringLiteral(" pid=") + QString::number(record.pid));
    }
}

} // namespace vantrel
