#include "app/random_input.h"

#include <algorithm>

#include "game/input_state.h"
#include "platform/system/crt_rand.h"

void RandomInput::Step(float dt, BoundControls& bound) {
    // New periods every frame, in seconds.
    const f32 p = static_cast<f32>(crt::Rand() % 5 + 7);
    const f32 q = static_cast<f32>(crt::Rand() % 5 + 5);
    const f32 r = static_cast<f32>(crt::Rand() % 5 + 10);

    for (f32* timer : {&m_jump_timer, &m_forward_timer, &m_side_timer, &m_view_x_timer,
                       &m_view_y_timer, &m_grab_timer, &m_punch_timer, &m_laser_timer}) {
        *timer += dt;
    }
    bound.m_movement.x = 0.0f;
    bound.m_movement.y = 0.0f;
    bound.m_movement.z = 0.0f;

    if (m_forward_timer >= p) {
        bound.m_controls[CONTROL_BACKWARD] = INPUT_HELD;
        bound.m_movement.z += 1.0f;
        if (m_forward_timer > 2.0f * p) {
            m_forward_timer = 0.0f;
        }
    } else {
        bound.m_controls[CONTROL_FORWARD] = INPUT_HELD;
        bound.m_movement.z -= 1.0f;
    }

    if (m_side_timer >= q) {
        bound.m_controls[CONTROL_RIGHT] = INPUT_HELD;
        bound.m_movement.x += 1.0f;
        if (m_side_timer > 2.0f * q) {
            m_side_timer -= 2.0f * q;
        }
    } else {
        bound.m_controls[CONTROL_LEFT] = INPUT_HELD;
        bound.m_movement.x -= 1.0f;
    }

    if (m_jump_timer > r) {
        bound.m_controls[CONTROL_JUMP] = INPUT_PRESSED;
        if (m_jump_timer > 2.0f * r) {
            m_jump_timer -= 2.0f * r;
        }
    }

    const f32 longer = std::max(p, q);
    if (m_view_x_timer > longer) {
        bound.m_mouse_x = 15.0f;
        if (m_view_x_timer > longer + 0.8f) {
            m_view_x_timer = 0.0f;
            m_view_turn = (crt::Rand() % 2 == 0) ? -15.0f : 15.0f;
        }
    }

    const f32 shorter = std::min(p, q);
    if (m_view_y_timer > shorter) {
        bound.m_mouse_y = m_view_turn;
        if (m_view_y_timer > shorter + 0.5f) {
            m_view_y_timer = 0.0f;
            m_view_turn = (crt::Rand() % 3 == 0) ? -10.0f : 10.0f;
        }
    }

    if (m_grab_timer > 0.01f) {
        bound.m_controls[CONTROL_GRAB_THROW] = INPUT_PRESSED;
        m_grab_timer -= 0.01f;
    }
    if (m_laser_timer > 0.01f) {
        bound.m_controls[CONTROL_LASER] = INPUT_PRESSED;
        m_laser_timer -= 0.01f;
    }
    if (m_punch_timer > 0.1f) {
        bound.m_controls[CONTROL_PUNCH] = INPUT_PRESSED;
        m_punch_timer = 0.0f;
    }
}
