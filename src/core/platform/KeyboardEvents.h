#pragma once

#include <QtGlobal>

namespace vantrel {

// System-wide keyboard events.
class KeyboardEvents {
public:
    static constexpr quint64 controlFlag = 0x40000;
    static constexpr quint64 optionFlag = 0x80000;
    static constexpr quint64 shiftFlag = 0x20000;

    virtual ~KeyboardEvents() = default;
    // Posts a key-down or key-up with the given modifier flags; false when it could not be
    // posted.
    virtual bool post(int keyCode, bool keyDown, quint64 flags) = 0;
    // Whether events posted now reach other applications. Where the system wants the
    // user's permission for that, a missing one is asked for (the system shows its prompt
    // once) and false is answered until the user has granted it: the system would drop
    // the events without a word.
    virtual bool requestPostAccess() = 0;
};

} // namespace vantrel
