#pragma once
// One collision shape of a mesh, as the renderer writes it in answer to
// MSG_GRAPHICS_GET_COLLISION_MESH_DATA: a box (or a sphere when named "Sphere") placed in
// its object by a rotation and a translation.
#include <string>

#include "core/types.h"

struct PhysicsInfo {
    static constexpr const char* kSphereName = "Sphere";

    // Box dimensions; a sphere's radius is the largest of the three.
    f32 m_dimensions[3] = {0.0f, 0.0f, 0.0f};
    // Row-major 3x3 rotation relative to the object.
    f32 m_rotation[9] = {1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f};
    f32 m_translation[3] = {0.0f, 0.0f, 0.0f};
    std::string m_name;
    // Base mass, divided by the object's mass divisor.
    f32 m_mass = 0.0f;
};
