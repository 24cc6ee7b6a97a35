#pragma once

#include "platform/LaunchServices.h"
#include "simhost/machine/HostState.h"

namespace vantrel::sim {

// The per-application architecture preference kept in ".simhost/launch-services.json"
// (bundle path → "arm64"/"x86_64"), consulted by the simulated open when no architecture
// is asked for. `vantrel-sim launch-services off` makes the setter "absent".
class SimulatedLaunchServices final : public LaunchServices {
public:
    explicit SimulatedLaunchServices(HostState state);
    std::shared_ptr<ArchitecturePreferenceSetter> lookUpArchitecturePreferenceSetter() override;

    static void setAvailable(const HostState& state, bool available);
    static QString preference(const HostState& state, const QString& bundlePath);

private:
    HostState m_state;
};

} // namespace vantrel::sim
