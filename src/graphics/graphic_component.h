#pragma once
// The renderable part of a game object: one mesh (static, or a frame hierarchy skinned on
// the CPU and posed by the object's animation map), the object's world matrices, its local
// and world boxes, its material values and the visibility bytes the culling passes write.
// The renderer updates it on its worker threads, culls it and draws it with the helpers
// below; skinning and drawing run on the render thread under the device mutex.
#include <optional>
#include <string>
#include <vector>

#include "core/bounds.h"
#include "core/component.h"
#include "core/math_types.h"
#include "core/memory_allocator.h"
#include "core/types.h"
#include "graphics/mesh_records.h"

namespace gfx {
class Device;
class Effect;
class Mesh;
class Texture;
} // namespace gfx

class GraphicsAnimationMap;
class GraphicsProcess;
struct Frame;
struct MeshContainer;

// What a draw helper needs of the pass that calls it.
struct GraphicDrawPass {
    gfx::Effect* effect = nullptr;
    gfx::Device* device = nullptr;
    Float4x4 viewProjection{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    // Off for passes whose shaders never read "gWorldInverseTranspose".
    bool inverseTranspose = true;
    // Depth only: no material values are set.
    bool depthOnly = false;
    // Drawn in place of the textures of textured subsets (a video on a screen).
    gfx::Texture* textureOverride = nullptr;
    // The object's "hdr_multiplier", for passes whose effect takes one: each subset is drawn
    // at it times its material's glow (MaterialGlow), while the object's lights are on.
    std::optional<float> hdrMultiplier;
};

class GraphicComponent : public Component, public Allocator<GraphicComponent> {
  public:
    static constexpr u32 kMaxShadowSplits = 10;
    static constexpr const char* kCitizenType = "AI-Ground-Citizen";

    // definitionFlag1 is the cast-shadow flag; with secondHierarchy set the broken mesh
    // (name, or the mesh itself when name is empty) is loaded as a second hierarchy.
    // graphics may be null (no mesh is loaded: a component of tests and tools).
    GraphicComponent(const std::string& objectType, GraphicsProcess* graphics, gfx::Device* device,
                     const std::string& meshName, u8 definitionFlag1, float specularPower,
                     float hdrMultiplier, u8 animated, u8 secondHierarchy, const std::string& name,
                     u8 definitionFlag2 = 0, const char* bumpMapName = nullptr,
                     const char* specularMapName = nullptr, u8 definitionFlag3 = 0,
                     u8 definitionFlag4 = 0);
    ~GraphicComponent() override;
    GraphicComponent(const GraphicComponent&) = delete;
    GraphicComponent& operator=(const GraphicComponent&) = delete;

    // Matrices from the owner's transform and the world box from the local one.
    void Update(float dt) override;
    // Per-object-type settings and the first animations; once the owner is complete.
    void Initialize() override;
    virtual void UpdateSkinning(float dt);
    void UpdateSecondarySkinning();
    virtual void UpdateFrameMatrices(Frame* frame, const Float4x4* parent);
    // Replaces the mesh of a live component (the definition was edited).
    void LoadMesh(const std::string& meshName);
    // Sets each named frame's transform from the animation map's blended pose.
    void ApplyAnimationToFrames(Frame* frame);

    // Draw helpers of the passes; each skips what has no mesh.
    void DrawFrame(Frame* frame, const GraphicDrawPass& pass);
    void DrawFrameShadow(Frame* frame, const GraphicDrawPass& pass);
    void DrawSubsets(const GraphicDrawPass& pass);
    void DrawSubsetsPlain(gfx::Device& device);
    // The static mesh's subsets with their material values.
    void DrawMeshSubsets(const GraphicDrawPass& pass);

    void ComputeCollisionShapeMatrices();
    // A mesh made at run time (breaking): re-centred on its box like a loaded one.
    void SetGeneratedMesh(gfx::Mesh* mesh, const MeshMaterialRecord* materials,
                          gfx::Texture* const* textures, u32 subsetCount);
    // A piece of a broken object: the container's mesh as it stands (shared with the pieces
    // hierarchy, never moved) and the broken component's material values.
    void SetPieceMesh(const MeshContainer& container, const GraphicComponent& broken);
    bool IsInAnyShadowSplit() const;
    void SetBumpMapByName(const std::string& name);
    void SetSpecularMapByName(const std::string& name);
    void SetBoundingBox(const BoxRecord& box);

    // The renderer's sort key: bump-mapped first, then by mesh record number.
    u32 SortKey() const { return (m_has_bump_map != 0 ? 1000000u : 0u) + m_record_number; }

    // Accessors.
    gfx::Mesh* GetMesh() const { return m_mesh; }
    const MeshMaterialRecord* GetMaterials() const { return m_materials; }
    gfx::Texture* const* GetTextures() const { return m_textures; }
    u32 GetSubsetCount() const { return m_subset_count; }
    u32 GetFaceCount() const { return m_face_count; }
    u32 GetVertexCount() const { return m_vertex_count; }
    u32 GetRecordNumber() const { return m_record_number; }
    gfx::Texture* GetBumpMap() const { return m_bump_map; }
    void SetBumpMap(gfx::Texture* texture) {
        m_bump_map = texture;
        m_has_bump_map = texture != nullptr ? 1 : 0;
    }
    bool HasBumpMap() const { return m_has_bump_map != 0; }
    gfx::Texture* GetSpecularMap() const { return m_specular_map; }
    void SetSpecularMap(gfx::Texture* texture) { m_specular_map = texture; }
    u8 GetDefinitionFlag1() const { return m_definition_flags[0]; }
    void SetDefinitionFlag1(u8 flag) { m_definition_flags[0] = flag; }
    u8 GetDefinitionFlag(u32 index) const { return m_definition_flags[index & 3]; }
    float GetSpecularPower() const { return m_specular_power; }
    void SetSpecularPower(float power) { m_specular_power = power; }
    float GetHdrMultiplier() const { return m_hdr_multiplier; }
    void SetHdrMultiplier(float multiplier) { m_hdr_multiplier = multiplier; }
    // Scales the object's brightness as it is drawn: the buildings darken it as they take
    // damage and brighten a burning gas station.
    float GetDamageShade() const { return m_damage_shade; }
    void SetDamageShade(float shade) { m_damage_shade = shade; }
    // The object's lights went out: its lit windows are drawn dark, and its glowing
    // materials without their glow, from now on.
    void SwitchOffWindows() { m_windows_lit = 0; }
    bool WindowsLit() const { return m_windows_lit != 0; }
    // The texture a subset is drawn with: with the windows dark, a lit-window texture's
    // twin.
    gfx::Texture* SubsetTexture(gfx::Texture* texture) const;
    // One subset's texture or diffuse colour and, where the pass sets it, its HDR multiplier.
    void SetSubsetMaterial(const GraphicDrawPass& pass, const MeshMaterialRecord& material,
                           gfx::Texture* texture) const;
    void GetLocalBox(float out[6]) const;
    void SetLocalBox(const float values[6]);
    const BoxRecord& GetWorldBox() const { return m_world_box; }
    const BoxRecord& GetLocalBoxRecord() const { return m_local_box; }
    const Float3& GetSphereCentre() const { return m_sphere_centre; }
    float GetSphereRadius() const { return m_sphere_radius; }
    const Float4x4* GetWorldMatrix() const { return &m_world; }
    const Float4x4& GetShadowWorldMatrix() const { return m_shadow_world; }
    const Float4x4& GetCentreOffsetMatrix() const { return m_centre_offset_matrix; }
    const Float3& GetCentreOffset() const { return m_centre_offset; }
    const Float4x4& GetCollisionBoxMatrix() const { return m_collision_box_matrix; }
    const Float4x4& GetCollisionSphereMatrix() const { return m_collision_sphere_matrix; }
    bool HasCollisionBox() const { return m_has_collision_box != 0; }
    bool HasCollisionSphere() const { return m_has_collision_sphere != 0; }
    u8 GetCameraCulled() const { return m_camera_culled; }
    void SetCameraCulled(u8 culled) { m_camera_culled = culled; }
    u8 GetVisibleInSplit(u32 split) const {
        return split < kMaxShadowSplits ? m_visible_in_split[split] : 0;
    }
    void SetVisibleInSplit(u32 split, u8 visible) {
        if (split < kMaxShadowSplits) {
            m_visible_in_split[split] = visible;
        }
    }
    void SetSecondHierarchy(u8 flag) { m_second_hierarchy = flag; }
    u8 GetSecondHierarchy() const { return m_second_hierarchy; }
    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }
    const std::string& GetMeshName() const { return m_mesh_name; }
    const std::string& GetObjectType() const { return m_object_type; }
    bool IsAnimated() const { return m_animated != 0; }
    void SetAnimated(u8 animated) { m_animated = animated; }
    bool HasSkinnedContainers() const { return m_has_skinned_containers != 0; }
    GraphicsAnimationMap* GetAnimationMap() const { return m_animation_map; }
    Frame* GetRootFrame() const { return m_root; }
    Frame* GetSecondRootFrame() const { return m_second_root; }
    MeshContainer* GetFirstContainer() const { return m_first_container; }
    u32 GetMaxBones() const { return m_max_bones; }
    // True for the citizen whose hierarchy is the cached one all citizens share.
    bool OwnsCitizenMesh() const { return m_owns_citizen_mesh != 0; }

    // Set by the creator, the culling passes, the level editor and the game code.
    u8 m_drawn = 1;
    u8 m_render_red = 0;
    u8 m_spawning = 0;
    float m_spawn_scale = 1.0f;
    u8 m_spawned = 0;
    u8 m_oriented_box_display = 0;
    // Set by the level editor on what it selects or shows: the highlighted pass draws the
    // component over the scene, and each display byte gives it one of the editor's markers.
    u8 m_highlighted = 0;
    u8 m_editor_display[3] = {};
    u8 m_no_shadow_set = 0;
    u8 m_park = 0;
    u8 m_lit = 1;
    u8 m_skinning_enabled = 1;
    // The culling and drawing state the renderer's passes keep here: whether the object
    // casts a shadow now (the definition's flag is its start), whether a transparent or
    // highlighted pass draws it instead of the main one, whether the main pass draws it
    // without shadows this frame, its opacity in the forward passes, and per frustum the
    // face test that last separated it.
    u8 m_cast_shadow = 1;
    u8 m_excluded = 0;
    u8 m_unshadowed_draw = 0;
    float m_alpha = 1.0f;
    FrustumFaceMemory m_frustum_memory;

  protected:
    void BuildMesh(const std::string& meshName, bool shareCitizen);
    void FreeMesh();
    void SetupBoneMatrixPointers(Frame* frame);
    void DetectSkinnedContainers(Frame* frame);
    void SkinFirstContainer(Frame* root);
    void DrawContainer(MeshContainer* container, const GraphicDrawPass& pass);

    std::string m_object_type;
    gfx::Mesh* m_mesh = nullptr;
    const MeshMaterialRecord* m_materials = nullptr;
    gfx::Texture* const* m_textures = nullptr;
    u32 m_subset_count = 0;
    u32 m_face_count = 0;
    u32 m_vertex_count = 0;
    u32 m_record_number = 0;
    gfx::Texture* m_bump_map = nullptr;
    gfx::Texture* m_specular_map = nullptr;
    u8 m_has_bump_map = 0;

    Float4x4 m_world = Identity();
    Float4x4 m_collision_box_matrix = Identity();
    Float4x4 m_collision_sphere_matrix = Identity();
    Float4x4 m_shadow_world = Identity();
    Float4x4 m_centre_offset_matrix = Identity();

    float m_specular_power = 0.0f;
    float m_hdr_multiplier = 1.0f;
    float m_damage_shade = 1.0f;
    u8 m_windows_lit = 1;
    u8 m_definition_flags[4] = {};
    std::string m_mesh_name;

    Float3 m_local_min{-1.0f, -1.0f, -1.0f};
    Float3 m_local_max{1.0f, 1.0f, 1.0f};
    Float3 m_local_min2{-1.0f, -1.0f, -1.0f};
    Float3 m_local_max2{1.0f, 1.0f, 1.0f};
    BoxRecord m_world_box;
    BoxRecord m_local_box;
    Float3 m_sphere_centre;
    float m_sphere_radius = 1.0f;
    u8 m_has_collision_sphere = 0;
    u8 m_has_collision_box = 0;
    u8 m_visible_in_split[kMaxShadowSplits] = {};
    u8 m_camera_culled = 0;

    u8 m_animated = 0;
    u8 m_has_skinned_containers = 0;
    u8 m_second_hierarchy = 0;
    u8 m_owns_citizen_mesh = 0;
    // The hierarchy is the cached citizen one: never destroyed here.
    u8 m_shares_hierarchy = 0;
    std::string m_name;
    GraphicsProcess* m_graphics = nullptr;
    gfx::Device* m_device = nullptr;
    GraphicsAnimationMap* m_animation_map = nullptr;
    Frame* m_root = nullptr;
    void* m_animation_controller = nullptr;
    Frame* m_second_root = nullptr;
    std::vector<Float4x4> m_bone_matrices;
    MeshContainer* m_first_container = nullptr;
    u32 m_max_bones = 0;
    Float3 m_centre_offset;

  private:
    static constexpr Float4x4 Identity() {
        return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    }
};
