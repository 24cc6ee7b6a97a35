#pragma once

#include <QtGlobal>

namespace vantrel {

class KeyboardEvents;

// A modifier key held down system-wide: key-down with the key's flag when held, key-up
// without flags when released. Discarding a hold that is still down releases it, so no
// key is ever left pressed.
class ModifierKeyHold {
public:
    enum class Key { control, option, shift };

    ModifierKeyHold(KeyboardEvents& keyboard, Key key);
    ~ModifierKeyHold();

    ModifierKeyHold(const ModifierKeyHold&) = delete;
    ModifierKeyHold& operator=(const ModifierKeyHold&) = delete;

    void hold();
    void release();

    Key key() const { return m_key; }
    bool isHolding() const { return m_isHolding; }

    static int keyCode(Key key);
    static quint64 flag(Key key);

private:
    KeyboardEvents& m_keyboard;
    Key m_key;
    bool m_isHolding = false;
};

} // namespace vantrel
