#pragma once
// The keyboard and the mouse as the game reads them: a key array indexed by scan code, and
// mouse motion since the last reading with four buttons. A read can fail while the device
// is not acquired (the window is in the background); the caller then acquires it and reads
// again.
#include <array>
#include <vector>

#include "platform/input/keys.h"
#include "platform/system/types.h"

namespace input {

using KeyArray = std::array<u8, kKeyCount>;

struct MouseState {
    i32 x = 0;
    i32 y = 0;
    i32 wheel = 0; // 120 a notch, positive away from the user
    std::array<u8, kMouseButtonCount> buttons{};
};

// A key pressed since the last reading, with the character it typed when it went down
// (0 when it types none).
struct TypedKey {
    u8 code = 0;
    char ascii = 0;
};

class Device {
  public:
    virtual ~Device() = default;

    virtual bool AcquireKeyboard() = 0;
    virtual bool AcquireMouse() = 0;
    // Fills one byte per scan code, kDown for a key that is down; false leaves keys as it was.
    virtual bool ReadKeyboard(KeyArray& keys) = 0;
    // Motion and wheel since the last successful read, and the buttons; false leaves state.
    virtual bool ReadMouse(MouseState& state) = 0;
    // Takes the keys pressed (auto-repeats included) since the last call, oldest first.
    virtual void ReadTypedKeys(std::vector<TypedKey>& keys) = 0;
    // The character the key types with the current shift and caps-lock state; 0 for none.
    virtual char KeyToAscii(u8 code) const = 0;
};

} // namespace input
