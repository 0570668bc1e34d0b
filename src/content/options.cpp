#include "content/options.h"

GraphicsOptions GraphicsOptions::Defaults() {
    GraphicsOptions options;
    options.m_resolution = 1;
    options.m_shadow_map_size = 1;
    options.m_shadow_map_count = 1;
    options.m_shadows = true;
    options.m_motion_blur = true;
    options.m_depth_of_field = true;
    options.m_three_dee = false;
    options.m_fullscreen = true;
    return options;
}

SoundOptions SoundOptions::Defaults() {
    SoundOptions options;
    options.m_master_volume = 1.0f;
    options.m_sound_fx_volume = 0.5f;
    options.m_music_volume = 1.0f;
    return options;
}

KeyBindings KeyBindings::Defaults() {
    KeyBindings keys;
    keys.m_codes[CONTROL_FORWARD] = 0x11;  // W
    keys.m_codes[CONTROL_BACKWARD] = 0x1F; // S
    keys.m_codes[CONTROL_LEFT] = 0x1E;     // A
    keys.m_codes[CONTROL_RIGHT] = 0x20;    // D
    keys.m_codes[CONTROL_JUMP] = 0x39;     // space
    keys.m_codes[CONTROL_GRAB_THROW] = kMouseButtonBase + 0;
    keys.m_codes[CONTROL_PUNCH] = kMouseButtonBase + 1;
    keys.m_codes[CONTROL_ROCKET_PUNCH] = kMouseButtonBase + 1;
    keys.m_codes[CONTROL_LASER] = 0x12;        // E
    keys.m_codes[CONTROL_LASER_ALT] = 0x10;    // Q
    keys.m_codes[CONTROL_FIXED_ESCAPE] = 0x01; // escape
    keys.m_codes[CONTROL_FIXED_BACK] = 0x0E;   // backspace
    keys.m_sensitivity_x = 1.0f;
    keys.m_sensitivity_y = 1.0f;
    keys.m_spare = 1.0f;
    return keys;
}
