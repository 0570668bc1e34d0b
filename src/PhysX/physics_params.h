#pragma once
// The per-object physics record an object definition's "Physics" component holds, and its
// reader.
#include <string>

#include "core/types.h"
#include "core/vector.h"

class StreamMap;

struct PhysicsParams {
    // Reads the record after the component header (object type, component name): sleeping,
    // mass divisor, reserved, damping, a dropped vector, radius, extents, collision mesh.
    // Values missing at the end of the stream leave their fields at the defaults.
    static PhysicsParams Read(StreamMap& stream);

    // Nonzero: the body starts asleep.
    u8 m_sleeping = 0;
    // Every shape's base mass is divided by it.
    f32 m_mass_divisor = 0.0f;
    // Kept for the editor; no physics operation uses it.
    f32 m_reserved = 0.0f;
    f32 m_damping = 0.0f;
    // Replaced when the body is made.
    f32 m_radius = 0.0f;
    // Box half-sizes in object units; scaled by the object when the body is made.
    Vector m_extents;
    // "false" for a primitive shape, otherwise the mesh the renderer is asked for boxes.
    std::string m_collision_mesh;
};
