#pragma once

#include <QtGlobal>

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
};

} // namespace vantrel
