#pragma once

#include "nativehost/ProcessCommandRunner.h"

#include <QString>

namespace vantrel::sim {

// Runs child processes for real. "/usr/bin/open" is the simulated Mac's own
// (`vantrel-sim open`); any other executable runs as it is.
class SimulatedCommandRunner final : public native::ProcessCommandRunner {
public:
    explicit SimulatedCommandRunner(QString root, Duration timeLimit = CommandRunner::timeLimit);
    Task<Result> run(QString executable, QStringList arguments) override;

private:
    QString m_root;
};

} // namespace vantrel::sim
