#pragma once
// The snapshot of keyboard and mouse that InputControls publishes: the payload of
// MSG_INPUT_STATE and of the input messages of the menus, the editor and the graphics tools.
#include <type_traits>

#include "core/types.h"

// What a key or button did between the previous and the current reading.
enum InputAction : u8 {
    INPUT_UP = 0,       // up in both readings
    INPUT_PRESSED = 1,  // down now, up before
    INPUT_HELD = 2,     // down in both
    INPUT_RELEASED = 3, // up now, down before
};

struct InputState {
    static constexpr u32 kKeyCount = 256;
    static constexpr u32 kMouseButtonCount = 8;

    // 1 while the input goes to a user interface (editor, menu, pause, intro), 0 in play.
    u8 m_ui = 0;
    // InputAction of every key, by scan code.
    i32 m_keys[kKeyCount] = {};
    // InputAction of mouse buttons 0 (left), 1 (right), 2 (middle), 3 (X1) and four unused.
    i32 m_mouse_buttons[kMouseButtonCount] = {};
    i32 m_mouse_x = 0;
    i32 m_mouse_y = 0;
    i32 m_mouse_wheel = 0;
};

static_assert(sizeof(InputState) == 1072);
static_assert(std::is_trivially_copyable_v<InputState>);
