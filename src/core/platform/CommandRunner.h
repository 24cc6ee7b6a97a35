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
    virtual Task<Result> run(const QString& executable, const QStringList& arguments) = 0;
};

} // namespace vantrel
