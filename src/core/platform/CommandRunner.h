#pragma once

#include "async/Task.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vantrel {

// Runs a command-line tool as a child process with its output discarded, without
// blocking the main thread.
class CommandRunner {
public:
    struct Result {
        std::optional<int> exitStatus; // absent when the process could not be started
        QString startError;            // why it could not be started
    };

    virtual ~CommandRunner() = default;
    // By value: the caller's temporaries are gone by the time the child has ended.
    virtual Task<Result> run(QString executable, QStringList arguments) = 0;
};

} // namespace vantrel
