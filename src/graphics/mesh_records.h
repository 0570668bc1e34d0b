#pragma once
// What the renderer's mesh caches hand out, one record per file name.

#include "core/types.h"

namespace gfx {
class Mesh;
}

// Copied by value to every graphic component that uses the mesh.
struct StaticMeshRecord {
    gfx::Mesh* mesh = nullptr;
    u32 subsetCount = 0;
    // Shared by static and animated meshes; graphic components are sorted by it.
    u32 recordNumber = 0;
};

struct AnimatedMeshRecord {
    u32 recordNumber = 0;
    u32 faceCount = 0;
    u32 vertexCount = 0;
};
