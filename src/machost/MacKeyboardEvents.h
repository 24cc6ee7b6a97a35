#pragma once

#include "platform/KeyboardEvents.h"

namespace vantrel::mac {

// Core Graphics keyboard events, posted at the HID event tap. Without the permission to
// post events (Privacy & Security › Accessibility) the window server drops them silently,
// so the permission is checked first and asked for the first time it is missing.
class MacKeyboardEvents final : public KeyboardEvents {
public:
    bool post(int keyCode, bool keyDown, quint64 flags) override;
    bool requestPostAccess() override;
};

} // namespace vantrel::mac
