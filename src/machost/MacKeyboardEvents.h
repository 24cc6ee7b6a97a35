#pragma once

#include "platform/KeyboardEvents.h"

namespace vantrel::mac {

// Core Graphics keyboard events, posted at the HID event tap. Posting may need the
// Accessibility permission; nothing asks for it or checks it.
class MacKeyboardEvents final : public KeyboardEvents {
public:
    bool post(int keyCode, bool keyDown, quint64 flags) override;
};

} // namespace vantrel::mac
