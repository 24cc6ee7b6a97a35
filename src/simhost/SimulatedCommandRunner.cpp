#include "simhost/SimulatedCommandRunner.h"

#include "simhost/AppLauncher.h"

#include <QProcess>

#include <qcoro/qcoroprocess.h>

#include <csignal>
#include <memory>

namespace vantrel::sim {

SimulatedCommandRunner::SimulatedCommandRunner(QString root, std::chrono::milliseconds timeLimit)
    : m_root(std::move(root))
    , m_timeLimit(timeLimit)
{
}

Task<CommandRunner::Result> SimulatedCommandRunner::run(QString executable, QStringList arguments)
{
    QString program = executable;
    QStringList args = arguments;
    if (executable == u"/usr/bin/open") {
        program = AppLauncher::toolPath();
        args = QStringList{QStringLiteral("--root"), m_root, QStringLiteral("open")} + arguments;
    }
    auto process = std::make_unique<QProcess>();
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // Only the fork and exec are waited for here (milliseconds); the child's run is awaited
    // on the event loop, so the main thread never blocks on it.
    process->start(program, args);
    if (!process->waitForStarted(5000)) {
        co_return Result{std::nullopt, process->errorString()};
    }
    if (!co_await qCoro(*process).waitForFinished(m_timeLimit)) {
        process->kill();
        co_await qCoro(*process).waitForFinished(std::chrono::seconds(5));
        co_return Result{CommandRunner::killedStatus, {}};
    }
    if (process->exitStatus() == QProcess::CrashExit) {
        co_return Result{128 + SIGABRT, {}};
    }
    co_return Result{process->exitCode(), {}};
}

} // namespace vantrel::sim
