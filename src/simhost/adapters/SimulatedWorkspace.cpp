#include "simhost/adapters/SimulatedWorkspace.h"
#include "nativehost/PosixProcessProbe.h"

#include "model/CpuType.h"
#include "platform/HostPath.h"
#include "simhost/adapters/RootedFileSystem.h"
#include "simhost/machine/AppLauncher.h"
#include "simhost/machine/EventLog.h"
#include "simhost/machine/ProcessRegistry.h"
#include "simhost/standin/StandInBehavior.h"
#include "simhost/standin/StandInLogicPro.h"

#include <qcoro/qcorotimer.h>

#include <cerrno>
#include <csignal>

namespace vantrel::sim {

namespace {

class SimulatedRunningApplication final : public RunningApplication {
public:
    SimulatedRunningApplication(RegistryEntry entry, HostState state)
        : m_entry(std::move(entry))
        , m_state(std::move(state))
    {
    }

    std::optional<QString> bundleIdentifier() const override
    {
        return m_entry.bundleIdentifier.isEmpty() ? std::nullopt : std::optional<QString>(m_entry.bundleIdentifier);
    }
    std::optional<QUrl> bundleURL() const override
    {
        return m_entry.bundlePath.isEmpty() ? std::nullopt : std::optional<QUrl>(HostPath::fileURL(m_entry.bundlePath));
    }
    qint32 processIdentifier() const override { return qint32(m_entry.pid); }
    int activationPolicy() const override { return m_entry.activationPolicy; }
    int executableArchitecture() const override { return m_entry.architecture; }
    bool isTerminated() const override { return !native::PosixProcessProbe::isLive(m_entry.pid); }
    bool isFinishedLaunching() const override
    {
        auto now = ProcessRegistry(m_state).entry(m_entry.pid);
        return now && now->finishedLaunching && native::PosixProcessProbe::isLive(m_entry.pid);
    }
    bool activate(int options) override
    {
        EventLog(m_state).record(QStringLiteral("activate"), {QStringLiteral("pid=") + QString::number(m_entry.pid),
                                                              QStringLiteral("options=") + QString::number(options)});
        return !isTerminated();
    }
    bool terminate() override
    {
        EventLog(m_state).record(QStringLiteral("quit-request"),
                                 {QStringLiteral("pid=") + QString::number(m_entry.pid)});
        return native::PosixProcessProbe::isLive(m_entry.pid) && ::kill(pid_t(m_entry.pid), SIGTERM) == 0;
    }

private:
    RegistryEntry m_entry;
    HostState m_state;
};

std::optional<QString> architectureName(const std::optional<int>& cpuType)
{
    if (cpuType == CpuType::arm64) {
        return QStringLiteral("arm64");
    }
    if (cpuType == CpuType::x86_64) {
        return QStringLiteral("x86_64");
    }
    return std::nullopt;
}

} // namespace

SimulatedWorkspace::SimulatedWorkspace(std::shared_ptr<RootedFileSystem> fileSystem, HostState state)
    : m_fileSystem(std::move(fileSystem))
    , m_state(std::move(state))
{
}

QList<RunningApplicationPtr> SimulatedWorkspace::runningApplications()
{
    QList<RunningApplicationPtr> list;
    for (const RegistryEntry& entry : ProcessRegistry(m_state).entries()) {
        list.append(std::make_shared<SimulatedRunningApplication>(entry, m_state));
    }
    return list;
}

RunningApplicationPtr SimulatedWorkspace::applicationFor(qint64 pid) const
{
    auto entry = ProcessRegistry(m_state).entry(pid);
    return entry ? std::make_shared<SimulatedRunningApplication>(*entry, m_state) : nullptr;
}

RunningApplicationPtr SimulatedWorkspace::liveInstance(const QString& bundlePath) const
{
    const QString wanted = HostPath::standardized(bundlePath);
    for (const RegistryEntry& entry : ProcessRegistry(m_state).entries()) {
        if (HostPath::standardized(entry.bundlePath) == wanted && native::PosixProcessProbe::isLive(entry.pid)) {
            return std::make_shared<SimulatedRunningApplication>(entry, m_state);
        }
    }
    return nullptr;
}

Task<OpenResult> SimulatedWorkspace::launch(QString bundlePath, OpenConfiguration configuration, QStringList documents)
{
    if (!m_servesOpenCommand && m_state.hasFault(HostFault::workspaceOpenFails)) {
        co_return OpenResult{nullptr, QStringLiteral("The application “") + HostPath::baseName(bundlePath)
                                          + QStringLiteral("” could not be launched because a miscellaneous error "
                                                           "occurred.")};
    }
    AppLauncher launcher(m_fileSystem, m_state);
    QString error;
    auto started = launcher.start(bundlePath, architectureName(configuration.architecture), documents, &error);
    if (!started) {
        co_return OpenResult{nullptr, error};
    }
    // The platform answers once the process is up; poll the registry in real time.
    ProcessRegistry registry(m_state);
    for (int waited = 0; waited < 10000; waited += 20) {
        if (auto entry = registry.entry(started->pid)) {
            auto application = std::make_shared<SimulatedRunningApplication>(*entry, m_state);
            if (configuration.activates) {
                application->activate(RunningApplication::activateAllWindows);
            }
            co_return OpenResult{application, std::nullopt};
        }
        if (!native::PosixProcessProbe::isLive(started->pid)) {
            break;
        }
        co_await QCoro::sleepFor(std::chrono::milliseconds(20));
    }
    co_return OpenResult{
        nullptr,
        QStringLiteral("The application “%1” quit before it finished opening.").arg(HostPath::baseName(bundlePath))};
}

Task<OpenResult> SimulatedWorkspace::openApplication(QUrl appURL, OpenConfiguration configuration)
{
    const QString bundlePath = HostPath::fromURL(appURL);
    if (!configuration.createsNewApplicationInstance) {
        if (auto running = liveInstance(bundlePath)) {
            if (configuration.activates) {
                running->activate(RunningApplication::activateAllWindows);
            }
            co_return OpenResult{running, std::nullopt};
        }
    }
    co_return co_await launch(bundlePath, configuration, {});
}

Task<OpenResult> SimulatedWorkspace::openDocuments(QList<QUrl> documentURLs, QUrl appURL,
                                                   OpenConfiguration configuration)
{
    const QString bundlePath = HostPath::fromURL(appURL);
    QStringList documents;
    for (const QUrl& url : documentURLs) {
        documents.append(HostPath::fromURL(url));
    }
    const EventLog events(m_state);
    if (StandInBehavior::read(*m_fileSystem, bundlePath).refusesDocuments) {
        for (const QString& document : documents) {
            events.record(QStringLiteral("document-refused"), {QStringLiteral("path=") + document});
        }
        co_return OpenResult{
            nullptr,
            QStringLiteral("The document “%1” could not be opened.").arg(HostPath::lastComponent(documents.value(0)))};
    }
    if (!configuration.createsNewApplicationInstance) {
        if (auto running = liveInstance(bundlePath)) {
            for (const QString& document : documents) {
                sendStandInCommand(m_state.root(), running->processIdentifier(), QStringLiteral("open-document"),
                                   document);
            }
            if (configuration.activates) {
                running->activate(RunningApplication::activateAllWindows);
            }
            co_return OpenResult{running, std::nullopt};
        }
    }
    co_return co_await launch(bundlePath, configuration, documents);
}

bool SimulatedWorkspace::open(const QUrl& url)
{
    const bool isFile = url.isLocalFile();
    const QString what = isFile ? HostPath::fromURL(url) : url.toString();
    EventLog(m_state).record(QStringLiteral("open-url"), {QStringLiteral("url=") + what});
    if (m_desktopHook) {
        if (!isFile) {
            m_desktopHook(what, false);
        } else if (auto native = m_fileSystem->nativePath(what)) {
            m_desktopHook(*native, false);
        }
    }
    return !isFile || m_fileSystem->exists(what);
}

void SimulatedWorkspace::activateFileViewerSelecting(const QList<QUrl>& urls)
{
    for (const QUrl& url : urls) {
        const QString path = HostPath::fromURL(url);
        EventLog(m_state).record(QStringLiteral("reveal"), {QStringLiteral("path=") + path});
        if (m_desktopHook) {
            if (auto native = m_fileSystem->nativePath(path)) {
                m_desktopHook(*native, true);
            }
        }
    }
}

} // namespace vantrel::sim
