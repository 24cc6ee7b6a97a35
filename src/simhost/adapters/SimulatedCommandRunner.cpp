#include "simhost/adapters/SimulatedCommandRunner.h"

#include "simhost/machine/AppLauncher.h"

namespace vantrel::sim {

SimulatedCommandRunner::SimulatedCommandRunner(QString root, Duration timeLimit)
    : ProcessCommandRunner(timeLimit)
    , m_root(std::move(root))
{
}

Task<CommandRunner::Result> SimulatedCommandRunner::run(QString executable, QStringList arguments)
{
    if (executable == u"/usr/bin/open") {
        return ProcessCommandRunner::run(
            AppLauncher::toolPath(), QStringList{QStringLiteral("--root"), m_root, QStringLiteral("open")} + arguments);
    }
    return ProcessCommandRunner::run(std::move(executable), std::move(arguments));
}

} // namespace vantrel::sim
