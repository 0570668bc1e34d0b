#pragma once
// The stored option blocks of the ParserProcess: what graphics_options.xml,
// sound_options.xml and keyboard_controls.xml hold, with their defaults.
#include <type_traits>

#include "core/types.h"

struct GraphicsOptions {
    // Index ranges of the values used as indices: the 16:10 resolution list and the
    // shadow-map size (512, 1024, 2048) and count (2, 3, 4) lists.
    static constexpr i32 kResolutionCount = 6;
    static constexpr i32 kShadowMapSizeCount = 3;
    static constexpr i32 kShadowMapCountCount = 3;

    static GraphicsOptions Defaults();

    i32 m_resolution = 0;
    i32 m_shadow_map_size = 0;
    i32 m_shadow_map_count = 0;
    bool m_shadows = false;
    bool m_motion_blur = false;
    bool m_depth_of_field = false;
    bool m_three_dee = false;
    bool m_fullscreen = false;
};

struct SoundOptions {
    static SoundOptions Defaults();

    f32 m_master_volume = 0.0f;
    f32 m_sound_fx_volume = 0.0f;
    f32 m_music_volume = 0.0f;
};

// Indices of the control codes of the key-binding block.
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

// The key-binding block shared by the ParserProcess and InputControls. A control code is a
// keyboard scan code (0-255) or kMouseButtonBase + n for mouse button n.
struct KeyBindings {
    static constexpr u32 kMouseButtonBase = 256;
    static constexpr u32 kMouseButtonCount = 8;
    static constexpr u32 kCodeCount = kMouseButtonBase + kMouseButtonCount;

    static KeyBindings Defaults();
    static bool IsValidCode(u32 code) { return code < kCodeCount; }

    u32 m_codes[CONTROL_COUNT] = {};
    f32 m_sensitivity_x = 0.0f;
    f32 m_sensitivity_y = 0.0f;
    // Carried for InputControls; the option file does not hold them.
    f32 m_spare = 0.0f;
    u8 m_switches[2] = {};
};

static_assert(sizeof(KeyBindings) == 88, "the key-binding block travels by value in messages");
static_assert(std::is_trivially_copyable_v<KeyBindings>);
