#include "platform/input/event_device.h"

#include "platform/input/keyboard_layout.h"

namespace input {

void EventDevice::KeyDown(u8 code, bool repeat) {
    if (!repeat) {
        m_keys[code] = kDown;
        m_key_taps[code] = kDown;
    }
    if (m_typed.size() >= kTypedKeyLimit) {
        m_typed.erase(m_typed.begin());
    }
    m_typed.push_back({code, KeyToAscii(code)});
}

void EventDevice::KeyUp(u8 code) {
    m_keys[code] = 0;
}

void EventDevice::MouseMotion(i32 dx, i32 dy) {
    m_dx += dx;
    m_dy += dy;
}

void EventDevice::MouseWheel(i32 delta) {
    m_wheel += delta;
}

void EventDevice::MouseButton(u32 button, bool down) {
    if (button >= kMouseButtonCount) {
        return;
    }
    m_buttons[button] = down ? kDown : 0;
    if (down) {
        m_button_taps[button] = kDown;
    }
}

void EventDevice::Reset() {
    m_keys.fill(0);
    m_key_taps.fill(0);
    m_buttons.fill(0);
    m_button_taps.fill(0);
    m_dx = m_dy = m_wheel = 0;
    m_typed.clear();
}

bool EventDevice::ReadKeyboard(KeyArray& keys) {
    for (u32 i = 0; i < kKeyCount; ++i) {
        keys[i] = m_keys[i] | m_key_taps[i];
    }
    m_key_taps.fill(0);
    return true;
}

bool EventDevice::ReadMouse(MouseState& state) {
    state.x = m_dx;
    state.y = m_dy;
    state.wheel = m_wheel;
    for (u32 i = 0; i < kMouseButtonCount; ++i) {
        state.buttons[i] = m_buttons[i] | m_button_taps[i];
    }
    m_button_taps.fill(0);
    m_dx = m_dy = m_wheel = 0;
    return true;
}

void EventDevice::ReadTypedKeys(std::vector<TypedKey>& keys) {
    keys.swap(m_typed);
    m_typed.clear();
}

bool EventDevice::ShiftDown() const {
    return (m_keys[key::LeftShift] | m_keys[key::RightShift]) != 0;
}

char EventDevice::KeyToAscii(u8 code) const {
    return input::KeyToAscii(code, ShiftDown(), m_caps_lock);
}

} // namespace input
