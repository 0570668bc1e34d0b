#pragma once
// What the robot reads of the input each frame: the actions of its bound controls, the
// movement they make, the view's mouse values and the console state. InputControls fills it;
// the camera feed carries a copy of it.
#include "content/options.h"
#include "core/types.h"
#include "core/vector.h"

struct BoundControls {
    static constexpr u32 kFunctionKeyCount = 12;

    // 1 while the game is played (game mode), 0 in the user interfaces.
    u8 m_play = 0;
    // InputAction of each bound control, by ControlIndex.
    u8 m_controls[CONTROL_COUNT] = {};
    // x from Left/Right, z from Forward (-1) and Backward (+1); length 1 or 0.
    Vector m_movement;
    u8 m_left_shift = 0;
    u8 m_left_control = 0;
    // InputAction of F1 to F12.
    u8 m_function_keys[kFunctionKeyCount] = {};
    // Mouse deltas times the sensitivities, and the wheel (120 a notch).
    f32 m_mouse_x = 0.0f;
    f32 m_mouse_y = 0.0f;
    f32 m_mouse_wheel = 0.0f;
    u8 m_console_open = 0;
    u8 m_line_submitted = 0;
};
