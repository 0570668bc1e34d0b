#pragma once
// One mesh of a collision shape, as the renderer writes it in answer to
// MSG_GRAPHICS_GET_COLLISION_MESH_DATA: vertex positions and triangles in the mesh's own
// space, and the matrix that places the mesh in its object.
#include <vector>

#include "core/matrix.h"
#include "core/types.h"
#include "core/vector.h"

struct PhysicsInfo {
    std::vector<Vector> m_vertices;
    // Three vertex indices a triangle.
    std::vector<u32> m_indices;
    Matrix m_transform;
};
