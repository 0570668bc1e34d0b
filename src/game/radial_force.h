#pragma once
// A push away from a point (MSG_PHYSICS_RADIAL_FORCE): explosions, punches, ground pounds.
#include "core/types.h"
#include "core/vector.h"

struct RadialForce {
    RadialForce() = default;
    RadialForce(const Vector& center, f32 radius, f32 force, f32 duration, u32 mode, u32 excludeId,
                u32 onlyId)
        : m_center(center), m_radius(radius), m_force(force), m_duration(duration), m_mode(mode),
          m_exclude_id(excludeId), m_only_id(onlyId) {}

    Vector m_center;
    f32 m_radius = 0.0f;
    f32 m_force = 0.0f;
    f32 m_duration = 0.0f;
    // How the force pushes the bodies it reaches.
    u32 m_mode = 0;
    // An object the force leaves alone (its source), and the one object it acts on alone;
    // 0 for none.
    u32 m_exclude_id = 0;
    u32 m_only_id = 0;
};
