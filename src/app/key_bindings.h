#pragma once
// The key-binding block InputControls reads and writes: the ParserProcess keeps it (read
// from keyboard_controls.xml) and hands InputControls a pointer to it. Until the parser's
// option records are in the tree, an identical stand-in keeps the input code buildable.

#if __has_include("content/options.h")
#include "content/options.h"
#else
#include <type_traits>

#include "core/types.h"

enum ControlIndex : u32 {
    CONTROL_FORWARD = 0,
    CONTROL_BACKWARD,
    CONTROL_LEFT,
    CONTROL_RIGHT,
    CONTROL_JUMP,
    CONTROL_GRAB_THROW,
    CONTROL_PUNCH,
    CONTROL_ROCKET_PUNCH,
    CONTROL_LASER,
    CONTROL_CHARGE,
    CONTROL_LASER_ALT,
    CONTROL_ACTION2,
    CONTROL_ACTION3,
    CONTROL_ACTION4,
    CONTROL_ACTION5,
    CONTROL_FIXED_ESCAPE,
    CONTROL_FIXED_BACK,
    CONTROL_FIXED_CONSOLE,
    CONTROL_COUNT
};

struct KeyBindings {
    static constexpr u32 kMouseButtonBase = 256;
    static constexpr u32 kMouseButtonCount = 8;
    static constexpr u32 kCodeCount = kMouseButtonBase + kMouseButtonCount;

    static bool IsValidCode(u32 code) { return code < kCodeCount; }

    u32 m_codes[CONTROL_COUNT] = {};
    f32 m_sensitivity_x = 0.0f;
    f32 m_sensitivity_y = 0.0f;
    f32 m_spare = 0.0f;
    u8 m_switches[2] = {};
};

static_assert(sizeof(KeyBindings) == 88, "the key-binding block travels by value in messages");
static_assert(std::is_trivially_copyable_v<KeyBindings>);
#endif
