#pragma once
// Timed pseudo-random play for unattended runs: walks back and forth, strafes, turns the
// view, jumps, grabs, punches and fires the laser. Draws from the CRT generator of the
// calling thread, so a seeded run repeats itself.
#include "app/bound_controls.h"

class RandomInput {
  public:
    // Overwrites the movement, view and action values of a freshly built block.
    void Step(float dt, BoundControls& bound);

    f32 m_jump_timer = 0.0f;
    f32 m_forward_timer = 0.0f;
    f32 m_side_timer = 0.0f;
    f32 m_view_x_timer = 0.0f;
    f32 m_view_y_timer = 0.0f;
    f32 m_grab_timer = 0.0f;
    f32 m_punch_timer = 0.0f;
    f32 m_laser_timer = 0.0f;
    f32 m_view_turn = 0.0f;
};
