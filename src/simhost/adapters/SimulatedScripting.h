#pragma once

#include "platform/Scripting.h"
#include "simhost/machine/HostState.h"

namespace vantrel::sim {

// The two scripts the support actions send, understood by shape:
// - "is a process named "Logic Pro" running? then activate it and press Command-comma":
//   "not-running" when no live stand-in is named Logic Pro; otherwise the stand-in is
//   activated and told to open its preferences, and the result is "ok";
// - the Finder information window for a path: recorded, empty result.
// The "Finder/Show Info" service succeeds unless `vantrel-sim service off` was said.
class SimulatedScripting final : public Scripting {
public:
    explicit SimulatedScripting(HostState state);

    std::optional<QString> runScript(const QString& source) override;
    bool performService(const QString& serviceName, const QString& pasteboardName, const QList<QUrl>& urls) override;

    static void setShowInfoServiceAvailable(const HostState& state, bool available);

private:
    HostState m_state;
};

} // namespace vantrel::sim
