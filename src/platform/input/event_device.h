#pragma once
// A Device whose state is built from window-system events. A key or button that went down
// and up again between two readings still reads as down once, so a quick tap is never lost.
#include <vector>

#include "platform/input/device.h"

namespace input {

class EventDevice final : public Device {
  public:
    // At most this many typed keys wait between two readings; older ones are dropped.
    static constexpr std::size_t kTypedKeyLimit = 64;

    void KeyDown(u8 code, bool repeat = false);
    void KeyUp(u8 code);
    void MouseMotion(i32 dx, i32 dy);
    // In the mouse's units: 120 a notch.
    void MouseWheel(i32 delta);
    void MouseButton(u32 button, bool down);
    void SetCapsLock(bool on) { m_caps_lock = on; }
    // Everything up and all motion forgotten, as after the window lost the focus.
    void Reset();

    bool AcquireKeyboard() override { return true; }
    bool AcquireMouse() override { return true; }
    bool ReadKeyboard(KeyArray& keys) override;
    bool ReadMouse(MouseState& state) override;
    void ReadTypedKeys(std::vector<TypedKey>& keys) override;
    char KeyToAscii(u8 code) const override;

  private:
    bool ShiftDown() const;

    KeyArray m_keys{};
    KeyArray m_key_taps{};
    std::array<u8, kMouseButtonCount> m_buttons{};
    std::array<u8, kMouseButtonCount> m_button_taps{};
    i32 m_dx = 0;
    i32 m_dy = 0;
    i32 m_wheel = 0;
    bool m_caps_lock = false;
    std::vector<TypedKey> m_typed;
};

} // namespace input
