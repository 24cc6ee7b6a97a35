#pragma once

#include "platform/ProcessProbe.h"

namespace vantrel::native {

// kill(pid, 0), as on a Mac. A process that has ended but was not yet reaped (a zombie,
// which launchd never leaves behind on a Mac but a container's init may) counts as gone.
class PosixProcessProbe final : public ProcessProbe {
public:
    Result signalZero(qint32 pid) const override;
    // Linux: the boot's id and the start time in clock ticks since boot (/proc); macOS: the
    // start time from the kernel's process table.
    std::optional<QString> startIdentity(qint64 pid) const override;

    static Result probe(qint64 pid);
    // The liveness rule: pid ≥ 1, and the probe is delivered or fails with EPERM.
    static bool isLive(qint64 pid);
};

} // namespace vantrel::native
