#pragma once

#include "async/Task.h"
#include "async/Timings.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

namespace vantrel {

// Runs a command-line tool as a child process with its output discarded, without
// blocking the main thread. No child runs without limit: one still running after
// `timeLimit` is killed and reported as exit status `killedStatus` (128 + SIGKILL, as a
// shell reports it), so a stuck `open` fails like one that exited non-zero.
class CommandRunner {
public:
    static constexpr Duration timeLimit = timings::commandTimeLimit;
    static constexpr int killedStatus = 137;

    struct Result {
        std::optional<int> exitStatus; // absent when the process could not be started
        QString startError;            // why it could not be started
    };

    virtual ~CommandRunner() = default;
    // By value: the caller's temporaries are gone by the time the child has ended.
    virtual Task<Result> run(QString executable, QStringList arguments) = 0;
};

} // namespace vantrel
