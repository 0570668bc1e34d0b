#pragma once
// A push away from a point (MSG_PHYSICS_RADIAL_FORCE): explosions, punches, ground pounds.
#include "core/types.h"
#include "core/vector.h"

struct RadialForce {
    // How the push reaches a body, with p the push vector (away from the centre, length
    // 1 - distance / radius).
    static constexpr u32 kImpulse = 0;     // impulse p * force * 50000
    static constexpr u32 kForce = 1;       // force p * force * 5000000
    static constexpr u32 kMassImpulse = 2; // impulse p * force * the body's mass

    RadialForce() = default;
    RadialForce(const Vector& center, f32 radius, f32 force, f32 duration, u32 excludeId,
                u32 onlyId, u32 mode)
        : m_center(center), m_radius(radius), m_force(force), m_duration(duration),
          m_exclude_id(excludeId), m_only_id(onlyId), m_mode(mode) {}

    Vector m_center;
    // Bodies at or beyond the radius are not pushed.
    f32 m_radius = 0.0f;
    f32 m_force = 0.0f;
    // Seconds over which radius and force fall to zero.
    f32 m_duration = 0.0f;
    // A physics-component id the force leaves alone (its source), and the one id it acts
    // on alone; 0 for none.
    u32 m_exclude_id = 0;
    u32 m_only_id = 0;
    u32 m_mode = kImpulse;
    // An object whose bodies the force leaves alone (the robot that punched or landed);
    // null for none.
    const void* m_exclude_owner = nullptr;
};
