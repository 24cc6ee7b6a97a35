#pragma once

#include "async/ManualClock.h"
#include "model/CpuType.h"
#include "platform/CommandRunner.h"
#include "platform/HostPath.h"
#include "platform/KeyboardEvents.h"
#include "platform/ProcessProbe.h"
#include "platform/SecurityScope.h"
#include "platform/Workspace.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <cerrno>
#include <functional>
#include <memory>
#include <optional>

namespace vantrel::testing {

// Process liveness in virtual time: a pid is alive until its death time on the clock.
class FakeProcessProbe final : public ProcessProbe {
public:
    explicit FakeProcessProbe(ManualClock& clock)
        : m_clock(clock)
    {
    }

    void setAlive(qint32 pid)
    {
        m_deaths.remove(pid);
        m_alive.insert(pid);
        m_foreign.remove(pid);
    }
    void setDead(qint32 pid)
    {
        m_alive.remove(pid);
        m_foreign.remove(pid);
    }
    // Alive, but owned by another user: the probe fails with EPERM.
    void setForeign(qint32 pid) { m_foreign.insert(pid); }
    void dieAt(qint32 pid, Clock::TimePoint when) { m_deaths.insert(pid, when); }

    Result signalZero(qint32 pid) const override
    {
        if (m_foreign.contains(pid)) {
            return {false, EPERM};
        }
        auto death = m_deaths.constFind(pid);
        const bool dead = death != m_deaths.cend() && m_clock.now() >= *death;
        if (m_alive.contains(pid) && !dead) {
            return {true, 0};
        }
        return {false, ESRCH};
    }

private:
    ManualClock& m_clock;
    QSet<qint32> m_alive;
    QSet<qint32> m_foreign;
    QHash<qint32, Clock::TimePoint> m_deaths;
};

// A running-application entry whose every property the test sets. Activations and quit
// requests are written to a shared journal ("activate 501", "terminate 501").
class FakeRunningApplication final : public RunningApplication {
public:
    std::optional<QString> identifier = QStringLiteral("com.apple.logic10");
    std::optional<QUrl> url;
    qint32 pid = 0;
    int policy = regular;
    int architecture = CpuType::arm64;
    bool finishedLaunching = true;
    bool terminateResult = true;
    // After a quit request the process ends this much later; none: it refuses to quit.
    std::optional<Duration> quitsAfter = Duration::zero();

    FakeRunningApplication(QStringList& journal, FakeProcessProbe& probe, ManualClock& clock)
        : m_journal(journal)
        , m_probe(probe)
        , m_clock(clock)
    {
    }

    std::optional<QString> bundleIdentifier() const override { return identifier; }
    std::optional<QUrl> bundleURL() const override { return url; }
    qint32 processIdentifier() const override { return pid; }
    int activationPolicy() const override { return policy; }
    int executableArchitecture() const override { return architecture; }
    bool isTerminated() const override
    {
        const auto r = m_probe.signalZero(pid);
        return !(r.delivered || r.errorNumber == EPERM);
    }
    bool isFinishedLaunching() const override { return finishedLaunching; }
    bool activate(int options) override
    {
        m_journal << QStringLiteral("activate %1 options=%2").arg(pid).arg(options);
        return true;
    }
    bool terminate() override
    {
        m_journal << QStringLiteral("terminate %1").arg(pid);
        if (terminateResult && quitsAfter) {
            m_probe.dieAt(pid, m_clock.now() + *quitsAfter);
        }
        return terminateResult;
    }

private:
    QStringList& m_journal;
    FakeProcessProbe& m_probe;
    ManualClock& m_clock;
};

// A workspace whose list the test fills; opens are answered by handlers the test sets
// (by default: an error). Every call is written to the journal.
class FakeWorkspace final : public Workspace {
public:
    explicit FakeWorkspace(ManualClock& clock)
        : probe(clock)
        , m_clock(clock)
    {
    }

    QStringList journal;
    FakeProcessProbe probe;
    QList<std::shared_ptr<FakeRunningApplication>> applications;

    std::function<Task<OpenResult>(const QUrl&, const OpenConfiguration&)> onOpenApplication;
    std::function<Task<OpenResult>(const QList<QUrl>&, const QUrl&, const OpenConfiguration&)> onOpenDocuments;

    // Adds a live Logic Pro process of the bundle at `path`.
    std::shared_ptr<FakeRunningApplication> add(qint32 pid, const QString& path, int architecture = CpuType::arm64)
    {
        auto application = std::make_shared<FakeRunningApplication>(journal, probe, m_clock);
        application->pid = pid;
        application->url = HostPath::fileURL(path);
        application->architecture = architecture;
        applications.append(application);
        probe.setAlive(pid);
        return application;
    }

    QList<RunningApplicationPtr> runningApplications() override
    {
        QList<RunningApplicationPtr> list;
        for (const auto& application : applications) {
            list.append(application);
        }
        return list;
    }

    Task<OpenResult> openApplication(QUrl appURL, OpenConfiguration configuration) override
    {
        journal << QStringLiteral("openApplication %1 new=%2 arch=%3 activates=%4")
                       .arg(appURL.toLocalFile())
                       .arg(configuration.createsNewApplicationInstance)
                       .arg(configuration.architecture.value_or(0))
                       .arg(configuration.activates);
        if (onOpenApplication) {
            co_return co_await onOpenApplication(appURL, configuration);
        }
        co_return OpenResult{nullptr, QStringLiteral("no handler")};
    }

    Task<OpenResult> openDocuments(QList<QUrl> documentURLs, QUrl appURL, OpenConfiguration configuration) override
    {
        journal << QStringLiteral("openDocuments %1 with %2 new=%3 activates=%4")
                       .arg(documentURLs.value(0).toLocalFile(), appURL.toLocalFile())
                       .arg(configuration.createsNewApplicationInstance)
                       .arg(configuration.activates);
        if (onOpenDocuments) {
            co_return co_await onOpenDocuments(documentURLs, appURL, configuration);
        }
        co_return OpenResult{nullptr, QStringLiteral("no handler")};
    }

    bool open(const QUrl& url) override
    {
        journal << QStringLiteral("open %1").arg(url.isLocalFile() ? url.toLocalFile() : url.toString());
        return !refusedSchemes.contains(url.scheme());
    }

    QStringList refusedSchemes; // URLs of these schemes have no application to open them

    void activateFileViewerSelecting(const QList<QUrl>& urls) override
    {
        for (const QUrl& url : urls) {
            journal << QStringLiteral("reveal %1").arg(url.toLocalFile());
        }
    }

private:
    ManualClock& m_clock;
};

// Child processes as the test scripts them: every call is journaled ("run /usr/bin/open
// -n --arch …"); the handler decides the result (by default exit status 0).
class FakeCommandRunner final : public CommandRunner {
public:
    explicit FakeCommandRunner(QStringList& journal)
        : m_journal(journal)
    {
    }

    std::function<Task<Result>(const QString&, const QStringList&)> handler;

    Task<Result> run(QString executable, QStringList arguments) override
    {
        m_journal << QStringLiteral("run ") + executable + u' ' + arguments.join(u' ');
        if (handler) {
            co_return co_await handler(executable, arguments);
        }
        co_return Result{0, {}};
    }

private:
    QStringList& m_journal;
};

// Key events, journaled as "key-down 59 flags=262144".
class FakeKeyboard final : public KeyboardEvents {
public:
    explicit FakeKeyboard(QStringList& journal)
        : m_journal(journal)
    {
    }
    bool post(int keyCode, bool keyDown, quint64 flags) override
    {
        m_journal << QStringLiteral("%1 %2 flags=%3")
                         .arg(keyDown ? QStringLiteral("key-down") : QStringLiteral("key-up"))
                         .arg(keyCode)
                         .arg(flags);
        return true;
    }
    bool requestPostAccess() override
    {
        m_journal
            << QStringLiteral("post-access %1").arg(postAccess ? QStringLiteral("granted") : QStringLiteral("refused"));
        return postAccess;
    }

    bool postAccess = true;

private:
    QStringList& m_journal;
};

// Security-scoped access that journals every start and stop; grants unless told not to.
class FakeSecurityScope final : public SecurityScope {
public:
    explicit FakeSecurityScope(QStringList& journal)
        : m_journal(journal)
    {
    }
    bool grants = true;
    bool startAccessing(const QUrl& url) override
    {
        m_journal << QStringLiteral("scope start ") + url.toLocalFile();
        return grants;
    }
    void stopAccessing(const QUrl& url) override { m_journal << QStringLiteral("scope stop ") + url.toLocalFile(); }

private:
    QStringList& m_journal;
};

} // namespace vantrel::testing
