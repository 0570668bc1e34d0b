#pragma once
// Frame hierarchies of .X meshes: frames with their transforms, mesh containers with their
// materials, textures and skin, the allocator that makes and frees both, and CPU skinning.
//
// A hierarchy loaded by the mesh cache owns everything in it. A graphic component works on
// a copy: copied frames and containers are marked is-copy and share names, meshes,
// materials, textures and skin with the cached ones, and own only their working mesh and
// bone arrays, so destroying a copy leaves the cached hierarchy whole.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/math_types.h"
#include "core/memory_allocator.h"
#include "core/types.h"
#include "graphics/mesh_records.h"
#include "platform/gfx/x_mesh.h"

namespace gfx {
class Mesh;
class Texture;
class XFile;
} // namespace gfx

// The bones of a skinned mesh.
struct SkinInfo {
    std::vector<gfx::SkinBone> m_bones;

    u32 BoneCount() const { return static_cast<u32>(m_bones.size()); }
    Float4x4 BoneOffset(u32 bone) const;
    // Linear blend of each influenced vertex's position, normal, tangent and binormal by
    // the weighted bone matrices (one per bone); vertices no bone moves keep the source's
    // values. source and destination have the same vertices.
    void UpdateSkinnedMesh(const Float4x4* boneMatrices, const gfx::Mesh& source,
                           gfx::Mesh& destination) const;
};

struct MeshContainer : Allocator<MeshContainer> {
    std::string m_name;
    // Owned unless this is a copy.
    gfx::Mesh* m_mesh = nullptr;
    MeshMaterialRecord* m_materials = nullptr;
    gfx::Texture** m_textures = nullptr;
    u32 m_material_count = 0;
    SkinInfo* m_skin_info = nullptr;
    MeshContainer* m_next = nullptr;
    // Always owned: what skinning writes and the passes draw.
    gfx::Mesh* m_working_mesh = nullptr;
    std::vector<Float4x4> m_bone_offsets;
    // The combined matrix of each bone's frame.
    std::vector<const Float4x4*> m_bone_matrices;
    u8 m_is_copy = 0;
    u8 m_visible = 1;
};

struct Frame : Allocator<Frame> {
    std::string m_name;
    Float4x4 m_transformation = kIdentity;
    MeshContainer* m_mesh_container = nullptr;
    Frame* m_sibling = nullptr;
    Frame* m_first_child = nullptr;
    Float4x4 m_combined = kIdentity;
    u8 m_is_copy = 0;
    // The transform before any animation, kept when a component first walks the frames.
    Float4x4 m_saved_transformation = kIdentity;

    static constexpr Float4x4 kIdentity{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
};

using TextureLookup = std::function<gfx::Texture*(const std::string&)>;

// Makes and frees frames and containers; holds no state.
class AllocMeshHierarchy {
  public:
    Frame* CreateFrame(const std::string& name);
    // Takes the built mesh. Textures come from lookup with "assets/art/<file>"; a material
    // without one, or whose texture cannot be loaded, keeps a null texture and its diffuse
    // colour.
    MeshContainer* CreateMeshContainer(gfx::LoadedMesh&& mesh, const TextureLookup& lookup);
    void DestroyFrame(Frame* frame);
    void DestroyMeshContainer(MeshContainer* container);
};

// The hierarchy of a read file: its one top frame, or an unnamed root over all top-level
// frames and meshes. Null with error set when a mesh is broken or there is nothing.
Frame* LoadMeshHierarchy(const gfx::XFile& file, AllocMeshHierarchy& allocator,
                         const TextureLookup& lookup, std::string* error = nullptr);

// Frees the frame, its siblings and children and their containers.
void DestroyFrameHierarchy(Frame* frame, AllocMeshHierarchy& allocator);
// Copies marked is-copy; see the header comment.
Frame* CloneFrameHierarchy(const Frame* frame);
Frame* FindFrame(Frame* root, const std::string& name);
// Combined := transformation (x parent), through siblings and children.
void UpdateFrameMatrices(Frame* frame, const Float4x4* parent);
// A sphere round every mesh of the hierarchy as its transforms place them.
void FrameBoundingSphere(Frame* root, Float3& centre, float& radius);
// The first container met depth-first (siblings before children), or null.
MeshContainer* FirstMeshContainer(Frame* frame);
