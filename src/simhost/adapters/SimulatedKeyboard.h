#pragma once

#include "platform/KeyboardEvents.h"
#include "simhost/machine/HostState.h"

#include <QMap>

namespace vantrel::sim {

// System-wide keys of the simulated Mac: the held keys live in ".simhost/keyboard.json"
// (key code → modifier flags), so a stand-in starting while Control is held sees it.
// Like the Mac, it can refuse the permission to post events (`vantrel-sim accessibility
// off`): then every press is dropped without a word, and asking for access says no.
class SimulatedKeyboard final : public KeyboardEvents {
public:
    explicit SimulatedKeyboard(HostState state);
    bool post(int keyCode, bool keyDown, quint64 flags) override;
    bool requestPostAccess() override;

    static QMap<int, quint64> heldKeys(const HostState& state);
    static void setPostAccessGranted(const HostState& state, bool granted);

private:
    HostState m_state;
};

} // namespace vantrel::sim
