#pragma once
// What the renderer's mesh caches hand out, one record per file name.

#include <algorithm>
#include <cfloat>

#include "core/bounds.h"
#include "core/math_types.h"
#include "core/types.h"

namespace gfx {
class Mesh;
class Texture;
} // namespace gfx

struct Frame;

// One subset's material; the diffuse colour comes first, as the effects take it.
struct MeshMaterialRecord {
    Float4 m_diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    float m_power = 0.0f;
    Float3 m_specular;
    Float3 m_emissive;
};

// A material with an emissive colour is a light of its own (a lamp's bulb, a neon sign): its
// subset is drawn at its object's HDR multiplier times this glow, 1 for no emissive colour and
// kFullGlow for a full one, so it stays bright in the shade and the bloom haloes it.
inline constexpr float kFullGlow = 8.0f;
inline float MaterialGlow(const MeshMaterialRecord& material) {
    const Float3& e = material.m_emissive;
    const float strength = std::max({e.x, e.y, e.z, 0.0f});
    return 1.0f + (kFullGlow - 1.0f) * std::min(strength, 1.0f);
}

// The bounds every mesh record carries: a local box pair, the box record (empty until a
// mesh fills it), the bounding sphere and the offset the mesh was re-centred by.
struct MeshBounds {
    MeshBounds() { BoundingBox::Reset(m_box); }

    Float3 m_min{-1.0f, -1.0f, -1.0f};
    Float3 m_max{1.0f, 1.0f, 1.0f};
    BoxRecord m_box;
    Float3 m_sphere_centre;
    float m_sphere_radius = 1.0f;
    Float3 m_centre_offset;
};

// Copied by value to every graphic component that uses the mesh; the arrays belong to the
// cache.
struct StaticMeshRecord : MeshBounds {
    gfx::Mesh* m_mesh = nullptr;
    const MeshMaterialRecord* m_materials = nullptr;
    // One texture or null per subset; the textures belong to the texture cache.
    gfx::Texture* const* m_textures = nullptr;
    u32 m_subset_count = 0;
    // Shared by static and animated meshes; graphic components are sorted by it.
    u32 m_record_number = 0;
};

// The frame hierarchy belongs to the cache; components copy it.
struct AnimatedMeshRecord : MeshBounds {
    Frame* m_root = nullptr;
    // No animation controller is made: the animation library plays the sets itself.
    void* m_animation_controller = nullptr;
    u32 m_record_number = 0;
    u32 m_face_count = 0;
    u32 m_vertex_count = 0;
};
