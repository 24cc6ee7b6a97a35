#include "launch/ModifierKeyHold.h"

#include "platform/KeyboardEvents.h"

namespace vantrel {

ModifierKeyHold::ModifierKeyHold(KeyboardEvents& keyboard, Key key)
    : m_keyboard(keyboard)
    , m_key(key)
{
}

ModifierKeyHold::~ModifierKeyHold()
{
    release();
}

int ModifierKeyHold::keyCode(Key key)
{
    switch (key) {
    case Key::control:
        return 59;
    case Key::option:
        return 58;
    case Key::shift:
        return 56;
    }
    return 59;
}

quint64 ModifierKeyHold::flag(Key key)
{
    switch (key) {
    case Key::control:
        return KeyboardEvents::controlFlag;
    case Key::option:
        return KeyboardEvents::optionFlag;
    case Key::shift:
        return KeyboardEvents::shiftFlag;
    }
    return 0;
}

void ModifierKeyHold::hold()
{
    if (m_isHolding) {
        return;
    }
    // A press that cannot be posted is skipped without notice, like the platform's.
    m_keyboard.post(keyCode(m_key), true, flag(m_key));
    m_isHolding = true;
}

void ModifierKeyHold::release()
{
    if (!m_isHolding) {
        return;
    }
    m_keyboard.post(keyCode(m_key), false, 0);
    m_isHolding = false;
}

} // namespace vantrel
