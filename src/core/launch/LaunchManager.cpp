#include "launch/LaunchManager.h"

#include "async/Clock.h"
#include "async/Spawner.h"
#include "installations/ArchitectureDetector.h"
#include "log/LaunchLogger.h"
#include "model/CpuType.h"
#include "model/ModeNames.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/HostPath.h"
#include "platform/ProcessProbe.h"
#include "platform/Workspace.h"
#include "settings/AppPreferences.h"
#include "text/L10n.h"

#include <cerrno>
#include <limits>

namespace vantrel {

LaunchManager::Collaborators LaunchManager::Collaborators::fromCurrentHost()
{
    Host& host = Host::current();
    Collaborators c;
    c.architectureDetector = std::make_shared<ArchitectureDetector>(host.fileSystem());
    c.preferenceMutator = std::make_shared<LogicPreferenceMutator>(); // over the same host
    c.architecturePreferenceMutator = std::make_shared<ArchitecturePreferenceMutator>(host.launchServices());
    c.workspace = &host.workspace();
    c.logger = &LaunchLogger::shared();
    c.clock = &host.clock();
    c.processProbe = &host.processProbe();
    c.commandRunner = &host.commandRunner();
    c.keyboard = &host.keyboard();
    c.fileSystem = &host.fileSystem();
    c.securityScope = &host.securityScope();
    c.standardDefaults = host.standardDefaults();
    c.pendingWork = &host.shared<Spawner>([](Host&) { return std::make_unique<Spawner>(); });
    return c;
}

LaunchManager::LaunchManager(Collaborators collaborators)
    : m_c(std::move(collaborators))
{
}

LaunchManager::LaunchManager()
    : LaunchManager(Collaborators::fromCurrentHost())
{
}

void LaunchManager::log(const QString& message) const
{
    m_c.logger->log(message);
}

// ---- preflight ---------------------------------------------------------------------------

std::optional<LauncherError> LaunchManager::canLaunch(const QUrl& appURL, LaunchArchitecture architecture)
{
    const QString path = HostPath::fromURL(appURL);
    if (!m_c.fileSystem->exists(path)) {
        return LauncherError::appNotFound(appURL.toLocalFile());
    }
    const SliceSet slices = m_c.architectureDetector->architectures(appURL);
    if (architecture == LaunchArchitecture::native) {
        if (!slices.contains(BinaryArchitecture::arm64)) {
            return LauncherError::architectureUnavailable(LaunchArchitecture::native);
        }
        return std::nullopt;
    }
    if (!slices.contains(BinaryArchitecture::x86_64)) {
        return LauncherError::architectureUnavailable(LaunchArchitecture::rosetta);
    }
    if (!m_c.architectureDetector->isRosettaInstalled()) {
        return LauncherError::rosettaNotInstalled();
    }
    if (!m_c.architecturePreferenceMutator->hasSetter()) {
        return LauncherError::preferenceMutationFailed(L10n::text(L10n::Key::errorLSPrefUnavailable));
    }
    return std::nullopt;
}

// ---- running instances ---------------------------------------------------------------

bool LaunchManager::isLogicProBundleID(const QString& identifier)
{
    static const QStringList known = {QStringLiteral("com.apple.logic10"), QStringLiteral("com.apple.logic"),
                                      QStringLiteral("com.apple.logicpro"), QStringLiteral("com.apple.mobilelogic")};
    if (known.contains(identifier)) {
        return true;
    }
    return identifier.startsWith(QStringLiteral("com.apple.logic"))
           && !identifier.contains(QStringLiteral("extension"));
}

bool LaunchManager::isLive(qint32 pid) const
{
    if (pid < 1) {
        return false;
    }
    const ProcessProbe::Result result = m_c.processProbe->signalZero(pid);
    return result.delivered || result.errorNumber == EPERM;
}

bool LaunchManager::isLiveLogicProcess(const RunningApplication& application)
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

QList<RunningApplicationPtr> LaunchManager::runningLogicInstances()
{
    QList<RunningApplicationPtr> live;
    for (const RunningApplicationPtr& application : m_c.workspace->runningApplications()) {
        const auto identifier = application->bundleIdentifier();
        const QString lowered = identifier.value_or(QString()).toLower();
        if (!lowered.contains(QStringLiteral("logic")) || !lowered.startsWith(QStringLiteral("com.apple."))) {
            continue;
        }
        const auto url = application->bundleURL();
        const QString path = url ? url->toLocalFile() : QStringLiteral("?");
        const QString pid = QString::number(application->processIdentifier());
        if (isLiveLogicProcess(*application)) {
            log(QStringLiteral("detected running Logic: pid=") + pid + QStringLiteral(" path=") + path
                + QStringLiteral(" id=") + identifier.value_or(QStringLiteral("?")));
            live.append(application);
        } else {
            log(QStringLiteral("ignoring stale/helper Logic entry: pid=") + pid + QStringLiteral(" policy=")
                + QString::number(application->activationPolicy()) + QStringLiteral(" alive=")
                + (isLive(application->processIdentifier()) ? QStringLiteral("true") : QStringLiteral("false"))
                + QStringLiteral(" id=") + identifier.value_or(QStringLiteral("?")) + QStringLiteral(" path=") + path);
        }
    }
    return live;
}

bool LaunchManager::belongsTo(const RunningApplication& application, const QString& standardizedBundlePath) const
{
    const auto url = application.bundleURL();
    return url && HostPath::fromURL(*url) == standardizedBundlePath;
}

ParallelLaunchStatus LaunchManager::parallelLaunchStatus(const QUrl& appURL, LaunchArchitecture architecture)
{
    const QList<RunningApplicationPtr> running = runningLogicInstances();
    if (running.isEmpty()) {
        return ParallelLaunchStatus::allowed(L10n::text(L10n::Key::parallelNoOthers));
    }
    const QString path = HostPath::fromURL(appURL);
    const int expected = modeCpuType(architecture);
    bool sameInstallation = false;
    for (const RunningApplicationPtr& application : running) {
        if (!belongsTo(*application, path)) {
            continue;
        }
        sameInstallation = true;
        if (application->executableArchitecture() == expected) {
            return ParallelLaunchStatus::unsupported(
                L10n::text(L10n::Key::parallelUnsupported, modeDisplayName(architecture)));
        }
    }
    if (!sameInstallation) {
        return ParallelLaunchStatus::allowed(L10n::text(L10n::Key::parallelDifferentInstalls));
    }
    return ParallelLaunchStatus::tentative(L10n::text(L10n::Key::parallelTentative));
}

void LaunchManager::activateExisting(const QUrl& appURL, LaunchArchitecture architecture)
{
    const QString path = HostPath::fromURL(appURL);
    for (const RunningApplicationPtr& application : runningLogicInstances()) {
        if (belongsTo(*application, path) && application->executableArchitecture() == modeCpuType(architecture)) {
            application->activate(RunningApplication::activateAllWindows);
            return;
        }
    }
}

bool LaunchManager::shouldCloseOtherLogicOnLaunch() const
{
    return AppPreferences::flag(*m_c.standardDefaults, AppPreferences::closeOtherLogicOnLaunchKey);
}

Task<> LaunchManager::quitOtherLogicIfNeeded(QUrl appURL, LaunchArchitecture architecture)
{
    if (!shouldCloseOtherLogicOnLaunch()) {
        log(QStringLiteral("skipping quit of other Logic (preference off)"));
        co_return;
    }
    co_await quitOtherLogicInstances(appURL, modeCpuType(architecture));
}

Task<> LaunchManager::quitOtherLogicInstances(QUrl exceptBundle, int keepingArchitecture)
{
    const QString except = HostPath::fromURL(exceptBundle);
    QList<RunningApplicationPtr> targets;
    for (const RunningApplicationPtr& application : runningLogicInstances()) {
        if (application->isTerminated() || !isLive(application->processIdentifier())) {
            continue;
        }
        const auto url = application->bundleURL();
        const bool otherInstallation = !url || HostPath::fromURL(*url) != except;
        const int arch = application->executableArchitecture();
        if (otherInstallation || (arch != CpuType::unknown && arch != keepingArchitecture)) {
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
    auto pause = [this, cancellation](double duration) -> Task<> {
        if (!co_await m_c.clock->sleep(seconds(duration), cancellation)) {
            log(QStringLiteral("quit of other Logic cancelled: the launcher is ending"));
            throw LauncherError::operationCancelled();
        }
    };
    QSet<qint32> pids;
    for (const RunningApplicationPtr& target : targets) {
        target->activate(RunningApplication::activateAllWindows);
        co_await pause(0.2);
        if (!target->terminate()) {
            log(QStringLiteral("terminate() returned false for pid=") + QString::number(target->processIdentifier()));
        }
        pids.insert(target->processIdentifier());
    }
    auto anyLive = [&] { return std::any_of(pids.cbegin(), pids.cend(), [&](qint32 pid) { return isLive(pid); }); };
    const Clock::TimePoint deadline = m_c.clock->now() + seconds(120);
    while (m_c.clock->now() < deadline) {
        if (!anyLive()) {
            log(QStringLiteral("other Logic instance(s) quit"));
            co_await pause(0.3);
            co_return;
        }
        co_await pause(0.3);
    }
    if (!anyLive()) {
        co_return;
    }
    log(QStringLiteral("Logic still running after quit request — treating as user cancel"));
    throw LauncherError::operationCancelled();
}

void LaunchManager::cancelQuitting()
{
    if (const auto wait = std::exchange(m_quitWait, nullptr)) {
        wait->cancel();
    }
}

// ---- startup action --------------------------------------------------------------------

void LaunchManager::restoreStartupAction(const std::optional<LogicPreferenceMutator::OverrideToken>& token,
                                         quint64 afterSeconds)
{
    if (!token) {
        return;
    }
    auto restore = [](std::shared_ptr<LogicPreferenceMutator> mutator, LogicPreferenceMutator::OverrideToken token,
                      Clock* clock, LaunchLogger* logger, quint64 afterSeconds) -> Task<> {
        // Even a zero delay lets the caller go on first.
        co_await clock->sleep(std::chrono::seconds(afterSeconds));
        mutator->endOverride(token);
        logger->log(QStringLiteral("startupAction restored after document open"));
    };
    m_c.pendingWork->spawn(restore(m_c.preferenceMutator, *token, m_c.clock, m_c.logger, afterSeconds),
                           QStringLiteral("restore startupAction"));
}

void LaunchManager::restoreAbandonedStartupActions()
{
    // The same id with another start is another process: the one that made the record is gone.
    const auto isRunning = [this](qint64 pid, const std::optional<QString>& started) {
        if (pid < 1 || pid > std::numeric_limits<qint32>::max() || !isLive(qint32(pid))) {
            return false;
        }
        return !started || m_c.processProbe->startIdentity(pid) == started;
    };
    using Fate = LogicPreferenceMutator::AbandonedOverride::Fate;
    for (const LogicPreferenceMutator::AbandonedOverride& record :
         m_c.preferenceMutator->restoreAbandonedOverrides(isRunning)) {
        const QString what = [&] {
            switch (record.fate) {
            case Fate::restored:
                return QStringLiteral("startupAction restored after an interrupted launch: domain=");
            case Fate::leftToRunningLaunch:
                return QStringLiteral("startupAction of an interrupted launch left to the launch still running: domain=");
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
