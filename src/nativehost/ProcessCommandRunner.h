#pragma once

#include "platform/CommandRunner.h"

#include <QString>

namespace vantrel::native {

// Runs the executable itself as a child process (QProcess), output discarded, awaited on
// the event loop, killed at the time limit.
class ProcessCommandRunner : public CommandRunner {
public:
    explicit ProcessCommandRunner(Duration timeLimit = CommandRunner::timeLimit);
    Task<Result> run(QString executable, QStringList arguments) override;

private:
    Duration m_timeLimit;
};

} // namespace vantrel::native
