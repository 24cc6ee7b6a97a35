#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace vantrel {

// The POSIX signal-0 probe: whether a signal could be sent to a process, and the error
// number when it could not (EPERM: it exists but belongs to someone else).
class ProcessProbe {
public:
    struct Result {
        bool delivered = false;
        int errorNumber = 0;
    };

    virtual ~ProcessProbe() = default;
    virtual Result signalZero(qint32 pid) const = 0;
    // What tells this process from a later one given the same id: its start (with the boot
    // it started in). No value where the system cannot tell, or no such process runs.
    virtual std::optional<QString> startIdentity(qint64 pid) const
    {
        Q_UNUSED(pid);
        return std::nullopt;
    }
};

} // namespace vantrel
