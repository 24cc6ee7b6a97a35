#include "nativehost/ProcessCommandRunner.h"

#include <QProcess>

#include <qcoro/qcoroprocess.h>

#include <csignal>
#include <memory>

namespace vantrel::native {

ProcessCommandRunner::ProcessCommandRunner(Duration timeLimit)
    : m_timeLimit(timeLimit)
{
}

Task<CommandRunner::Result> ProcessCommandRunner::run(QString executable, QStringList arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // Only the fork and exec are waited for here (milliseconds); the child's run is awaited
    // on the event loop, so the main thread never blocks on it.
    process->start(executable, arguments);
    if (!process->waitForStarted(5000)) {
        co_return Result{std::nullopt, process->errorString()};
    }
    if (!co_await qCoro(*process).waitForFinished(std::chrono::duration_cast<std::chrono::milliseconds>(m_timeLimit))) {
        process->kill();
        co_await qCoro(*process).waitForFinished(std::chrono::seconds(5));
        co_return Result{CommandRunner::killedStatus, {}};
    }
    if (process->exitStatus() == QProcess::CrashExit) {
        co_return Result{128 + SIGABRT, {}};
    }
    co_return Result{process->exitCode(), {}};
}

} // namespace vantrel::native
