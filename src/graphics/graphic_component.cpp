#include "graphics/graphic_component.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/component_type.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "graphics/animation_map_operations.h"
#include "graphics/graphics_process.h"
#include "graphics/mesh_cache.h"
#include "graphics/mesh_hierarchy.h"
#include "graphics/render_settings.h"
#include "platform/gfx/effect.h"
#include "platform/gfx/mesh.h"

namespace {

// Their shadows are drawn a little smaller, so a building does not shadow its own walls.
constexpr std::array<const char*, 10> kTrimmedShadowTypes = {
    "PanelBuilding",      "BuildingApartment",  "BuildingMarket", "BuildingStore",
    "BuildingHighrise",   "BuildingSkyscraper", "BuildingSchool", "BuildingMegaStore",
    "BuildingBIGScraper", "BuildingEpic"};
constexpr float kShadowTrim = 0.01f;

Float4x4 Scaling(const Float3& s) {
    return Math::MatrixScaling(s.x, s.y, s.z);
}

Float4x4 Compose(const Float4x4& a, const Float4x4& b, const Float4x4& c) {
    return Math::MatrixMultiply(Math::MatrixMultiply(a, b), c);
}

bool BoxIsEmpty(const BoxRecord& box) {
    return box.min.x > box.max.x;
}

} // namespace

GraphicComponent::GraphicComponent(const std::string& objectType, GraphicsProcess* graphics,
                                   gfx::Device* device, const std::string& meshName,
                                   u8 definitionFlag1, float specularPower, float hdrMultiplier,
                                   u8 animated, u8 secondHierarchy, const std::string& name,
                                   u8 definitionFlag2, const char* bumpMapName,
                                   const char* specularMapName, u8 definitionFlag3,
                                   u8 definitionFlag4)
    : m_object_type(objectType), m_specular_power(specularPower),
      m_hdr_multiplier(hdrMultiplier), m_definition_flags{definitionFlag1, definitionFlag2,
                                                          definitionFlag3, definitionFlag4},
      m_mesh_name(meshName), m_animated(animated), m_second_hierarchy(secondHierarchy),
      m_name(name), m_graphics(graphics), m_device(device) {
    BoundingBox::Reset(m_world_box);
    BoundingBox::Reset(m_local_box);
    BuildMesh(meshName, true);

    if (m_second_hierarchy != 0 && m_graphics != nullptr) {
        const AnimatedMeshRecord second =
            m_graphics->LoadAnimatedMesh(m_name.empty() ? meshName : m_name);
        m_second_root = second.m_root;
        ::UpdateFrameMatrices(m_second_root, nullptr);
    }
    if (bumpMapName != nullptr) {
        SetBumpMapByName(bumpMapName);
    }
    if (specularMapName != nullptr) {
        SetSpecularMapByName(specularMapName);
    }
    m_has_bump_map = m_bump_map != nullptr ? 1 : 0;
}

GraphicComponent::~GraphicComponent() {
    FreeMesh();
}

void GraphicComponent::BuildMesh(const std::string& meshName, bool shareCitizen) {
    if (m_graphics == nullptr) {
        return;
    }
    const bool citizen = m_object_type == kCitizenType;
    const bool shared = citizen && shareCitizen && m_graphics->CitizenMeshBuilt();
    if (m_animated != 0 && !shared) {
        m_animation_map = m_graphics->GetAnimationMap(meshName);
        if (m_animation_map == nullptr && !citizen) {
            m_animated = 0;
        }
    }
    MeshBounds bounds;
    if (m_animated != 0) {
        const AnimatedMeshRecord record = m_graphics->LoadAnimatedMeshInstance(meshName);
        bounds = record;
        m_animation_controller = record.m_animation_controller;
        m_face_count = record.m_face_count;
        m_vertex_count = record.m_vertex_count;
        m_record_number = record.m_record_number;
        if (citizen && shareCitizen) {
            m_root = record.m_root;
            m_shares_hierarchy = 1;
            if (!m_graphics->CitizenMeshBuilt()) {
                m_graphics->SetCitizenMeshBuilt(true);
                m_owns_citizen_mesh = 1;
            }
        } else {
            m_root = CloneFrameHierarchy(record.m_root);
        }
        SetupBoneMatrixPointers(m_root);
        if (m_skinning_enabled != 0) {
            m_bone_matrices.assign(m_max_bones, Float4x4{});
        }
        DetectSkinnedContainers(m_root);
    } else {
        const StaticMeshRecord record = m_graphics->LoadStaticMesh(meshName);
        bounds = record;
        m_mesh = record.m_mesh;
        m_materials = record.m_materials;
        m_textures = record.m_textures;
        m_subset_count = record.m_subset_count;
        m_record_number = record.m_record_number;
        m_face_count = m_mesh != nullptr ? m_mesh->FaceCount() : 0;
        m_vertex_count = m_mesh != nullptr ? m_mesh->VertexCount() : 0;
    }
    m_local_min = m_local_min2 = bounds.m_min;
    m_local_max = m_local_max2 = bounds.m_max;
    m_local_box = bounds.m_box;
    m_sphere_centre = bounds.m_sphere_centre;
    m_sphere_radius = bounds.m_sphere_radius;
    m_centre_offset = bounds.m_centre_offset;
    m_centre_offset_matrix =
        Math::MatrixTranslation(-m_centre_offset.x, -m_centre_offset.y, -m_centre_offset.z);
}

void GraphicComponent::FreeMesh() {
    m_bone_matrices.clear();
    if (m_animation_map != nullptr && m_graphics != nullptr) {
        m_graphics->ReleaseAnimationMap(m_animation_map);
    }
    m_animation_map = nullptr;
    // The citizens' shared hierarchy belongs to the cache.
    if (m_shares_hierarchy == 0) {
        AllocMeshHierarchy allocator;
        DestroyFrameHierarchy(m_root, allocator);
    }
    m_root = nullptr;
    m_shares_hierarchy = 0;
    m_max_bones = 0;
    m_first_container = nullptr;
}

void GraphicComponent::LoadMesh(const std::string& meshName) {
    FreeMesh();
    m_mesh = nullptr;
    m_materials = nullptr;
    m_textures = nullptr;
    m_subset_count = 0;
    m_mesh_name = meshName;
    BuildMesh(meshName, false);
    if (m_animated != 0 && m_animation_map != nullptr) {
        if (AnimationMapOperations* operations = GetAnimationMapOperations()) {
            operations->ApplyPoses(*m_animation_map);
        }
        UpdateSkinning(0.0f);
        ApplyAnimationToFrames(m_root);
    }
}

void GraphicComponent::Update(float) {
    if (owner == nullptr) {
        return;
    }
    const Float4x4 rotation = Math::MatrixRotationQuaternion(owner->orientation);
    // The graphics of one object (the robot's body and its cables) are updated on different
    // workers at once: only the object's first graphic writes the rotation they share.
    const auto graphics = owner->components.find(static_cast<u32>(ComponentType::Graphic));
    if (graphics == owner->components.end() || graphics->second.empty() ||
        graphics->second.front() == this) {
        owner->world = rotation;
    }
    const Float3 scale{owner->scale.x, owner->scale.y, owner->scale.z};
    const Float4x4 translation =
        Math::MatrixTranslation(owner->position.x, owner->position.y, owner->position.z);
    m_world = Compose(Scaling(scale), rotation, translation);
    Float3 shadowScale = scale;
    const std::string& type = owner->name;
    if (std::find(kTrimmedShadowTypes.begin(), kTrimmedShadowTypes.end(), type) !=
        kTrimmedShadowTypes.end()) {
        shadowScale = {scale.x - kShadowTrim, scale.y - kShadowTrim, scale.z - kShadowTrim};
    }
    m_shadow_world = Compose(Scaling(shadowScale), rotation, translation);

    // A component without a mesh keeps an empty box rather than one of infinite corners.
    if (BoxIsEmpty(m_local_box)) {
        BoundingBox::Reset(m_world_box);
        return;
    }
    Float4 corners[8];
    for (int i = 0; i < 8; ++i) {
        corners[i] = Math::Vec3Transform(m_local_box.corners[i], m_world);
    }
    BoundingBox::FromPoints(m_world_box, corners, sizeof(Float4));
}

void GraphicComponent::Initialize() {
    const std::string& type = owner != nullptr ? owner->name : m_object_type;
    if (type.find("Spawn") != std::string::npos) {
        m_drawn = 0;
        m_spawn_scale = 0.5f;
        m_spawned = 1;
    }
    if (type == "Group") {
        m_drawn = 0;
    } else if (type == "CardboardCityNoShadow") {
        m_no_shadow_set = 1;
    } else if (type == "ParkOutside") {
        m_park = 1;
    } else if (type == "RobotHealth") {
        m_lit = 0;
    }
    AnimationMapOperations* const operations = GetAnimationMapOperations();
    if (m_animation_map == nullptr || operations == nullptr) {
        return;
    }
    GraphicsAnimationMap& map = *m_animation_map;
    if (m_graphics == nullptr || !m_graphics->LevelEditorMode()) {
        if (type == "AI-Ground-Tank" || type == "AI-Ground-TankObjective") {
            operations->Play(map, "tred_rotation", true);
        } else if (type == "AI-Fly-Helicopter") {
            operations->Play(map, "Idle", true);
            operations->SpeedUpFirst(map);
        } else if (type == "Tiny") {
            for (const u32 n : {0u, 1u, 2u, 4u}) {
                operations->PlayAt(map, n);
            }
            operations->SetTimeAt(map, 1, 0.75f);
            operations->PauseSecond(map);
        } else if (type.find("AI-Boss-Fly-Mothership") != std::string::npos) {
            operations->Play(map, "Idle", true);
        } else {
            operations->PlayAt(map, 0);
        }
    }
    if (m_animated != 0) {
        Update(0.0f);
        operations->ApplyPoses(map);
        UpdateSkinning(0.0f);
        ApplyAnimationToFrames(m_root);
    }
}

void GraphicComponent::ApplyAnimationToFrames(Frame* frame) {
    AnimationMapOperations* const operations = GetAnimationMapOperations();
    if (m_animation_map == nullptr || operations == nullptr) {
        return;
    }
    for (; frame != nullptr; frame = frame->m_sibling) {
        Float4x4 pose;
        if (!frame->m_name.empty() && operations->Blend(*m_animation_map, frame->m_name, pose)) {
            frame->m_transformation = pose;
        }
        ApplyAnimationToFrames(frame->m_first_child);
    }
}

void GraphicComponent::UpdateFrameMatrices(Frame* frame, const Float4x4* parent) {
    if (frame == nullptr) {
        return;
    }
    frame->m_combined = parent != nullptr ? Math::MatrixMultiply(frame->m_transformation, *parent)
                                          : frame->m_transformation;
    UpdateFrameMatrices(frame->m_sibling, parent);
    UpdateFrameMatrices(frame->m_first_child, &frame->m_combined);
}

void GraphicComponent::UpdateSkinning(float) {
    if (m_root == nullptr || m_skinning_enabled == 0 || m_first_container == nullptr) {
        return;
    }
    UpdateFrameMatrices(m_root, nullptr);
    SkinFirstContainer(m_root);
}

void GraphicComponent::UpdateSecondarySkinning() {
    if (m_second_root == nullptr || m_skinning_enabled == 0 || m_first_container == nullptr) {
        return;
    }
    UpdateFrameMatrices(m_second_root, nullptr);
    SkinFirstContainer(m_second_root);
}

void GraphicComponent::SkinFirstContainer(Frame*) {
    MeshContainer* const container = m_first_container;
    if (container->m_skin_info == nullptr || container->m_mesh == nullptr ||
        container->m_working_mesh == nullptr) {
        return;
    }
    const u32 bones = container->m_skin_info->BoneCount();
    if (m_bone_matrices.size() < bones) {
        m_bone_matrices.resize(bones);
    }
    for (u32 i = 0; i < bones; ++i) {
        const Float4x4* const combined = container->m_bone_matrices[i];
        m_bone_matrices[i] = combined != nullptr
                                 ? Math::MatrixMultiply(container->m_bone_offsets[i], *combined)
                                 : container->m_bone_offsets[i];
    }
    container->m_skin_info->UpdateSkinnedMesh(m_bone_matrices.data(), *container->m_mesh,
                                              *container->m_working_mesh);
}

void GraphicComponent::SetupBoneMatrixPointers(Frame* frame) {
    if (frame == nullptr) {
        return;
    }
    for (MeshContainer* c = frame->m_mesh_container; c != nullptr; c = c->m_next) {
        if (m_first_container == nullptr) {
            m_first_container = c;
        }
        if (c->m_skin_info == nullptr || m_skinning_enabled == 0 || c->m_mesh == nullptr) {
            continue;
        }
        delete c->m_working_mesh;
        c->m_working_mesh = c->m_mesh->Clone().release();
        const u32 bones = c->m_skin_info->BoneCount();
        m_max_bones = std::max(m_max_bones, bones);
        c->m_bone_offsets.resize(bones);
        c->m_bone_matrices.assign(bones, nullptr);
        for (u32 i = 0; i < bones; ++i) {
            c->m_bone_offsets[i] = c->m_skin_info->BoneOffset(i);
            if (Frame* const bone = FindFrame(m_root, c->m_skin_info->m_bones[i].frame)) {
                c->m_bone_matrices[i] = &bone->m_combined;
            }
        }
    }
    SetupBoneMatrixPointers(frame->m_sibling);
    SetupBoneMatrixPointers(frame->m_first_child);
}

void GraphicComponent::DetectSkinnedContainers(Frame* frame) {
    for (; frame != nullptr && m_has_skinned_containers == 0; frame = frame->m_sibling) {
        frame->m_saved_transformation = frame->m_transformation;
        for (const MeshContainer* c = frame->m_mesh_container; c != nullptr; c = c->m_next) {
            if (c->m_skin_info != nullptr) {
                m_has_skinned_containers = 1;
                return;
            }
        }
        DetectSkinnedContainers(frame->m_first_child);
    }
}

void GraphicComponent::DrawContainer(MeshContainer* container, const GraphicDrawPass& pass) {
    gfx::Mesh* const mesh =
        container->m_skin_info != nullptr ? container->m_working_mesh : container->m_mesh;
    if (mesh == nullptr || pass.effect == nullptr || pass.device == nullptr) {
        return;
    }
    for (u32 i = 0; i < container->m_material_count; ++i) {
        if (!pass.depthOnly) {
            SetSubsetMaterial(pass, container->m_materials[i],
                              container->m_textures != nullptr ? container->m_textures[i]
                                                               : nullptr);
        }
        pass.effect->CommitChanges();
        mesh->DrawSubset(*pass.device, i);
    }
}

void GraphicComponent::DrawFrame(Frame* frame, const GraphicDrawPass& pass) {
    if (pass.effect == nullptr) {
        return;
    }
    for (; frame != nullptr; frame = frame->m_sibling) {
        const Float4x4 world = Compose(frame->m_combined, m_centre_offset_matrix, m_world);
        pass.effect->SetMatrix("gWVP", Math::MatrixMultiply(world, pass.viewProjection).m);
        pass.effect->SetMatrix("gWorld", world.m);
        if (pass.inverseTranspose) {
            const Float4x4 inverse = Math::MatrixInverse(world).value_or(Math::MatrixIdentity());
            pass.effect->SetMatrix("gWorldInverseTranspose", Math::MatrixTranspose(inverse).m);
        } else {
            pass.effect->CommitChanges();
        }
        for (MeshContainer* c = frame->m_mesh_container; c != nullptr; c = c->m_next) {
            if (c->m_visible != 0) {
                DrawContainer(c, pass);
            }
        }
        DrawFrame(frame->m_first_child, pass);
    }
}

void GraphicComponent::DrawFrameShadow(Frame* frame, const GraphicDrawPass& pass) {
    if (pass.effect == nullptr || pass.device == nullptr) {
        return;
    }
    for (; frame != nullptr; frame = frame->m_sibling) {
        const Float4x4 world = Compose(frame->m_combined, m_centre_offset_matrix, m_shadow_world);
        pass.effect->SetMatrix("world", world.m);
        pass.effect->CommitChanges();
        for (MeshContainer* c = frame->m_mesh_container; c != nullptr; c = c->m_next) {
            gfx::Mesh* const mesh = c->m_skin_info != nullptr ? c->m_working_mesh : c->m_mesh;
            for (u32 i = 0; mesh != nullptr && i < c->m_material_count; ++i) {
                mesh->DrawSubset(*pass.device, i);
            }
        }
        DrawFrameShadow(frame->m_first_child, pass);
    }
}

void GraphicComponent::DrawSubsets(const GraphicDrawPass& pass) {
    for (MeshContainer* c = m_first_container; c != nullptr; c = c->m_next) {
        DrawContainer(c, pass);
    }
}

void GraphicComponent::DrawSubsetsPlain(gfx::Device& device) {
    for (MeshContainer* c = m_first_container; c != nullptr; c = c->m_next) {
        gfx::Mesh* const mesh = c->m_skin_info != nullptr ? c->m_working_mesh : c->m_mesh;
        for (u32 i = 0; c->m_visible != 0 && mesh != nullptr && i < c->m_material_count; ++i) {
            mesh->DrawSubset(device, i);
        }
    }
}

void GraphicComponent::SetSubsetMaterial(const GraphicDrawPass& pass,
                                         const MeshMaterialRecord& material,
                                         gfx::Texture* texture) const {
    gfx::Texture* const shown = SubsetTexture(texture);
    pass.effect->SetBool("useTexture", shown != nullptr);
    if (shown == nullptr) {
        pass.effect->SetFloatArray("gDiffuseMtrl", &material.m_diffuse.x, 4);
    } else {
        pass.effect->SetTexture("gTex",
                                pass.textureOverride != nullptr ? pass.textureOverride : shown);
    }
    if (pass.hdrMultiplier) {
        // A switched-off building's signs and lamps go dark with its windows.
        const float glow = m_windows_lit != 0 ? MaterialGlow(material) : 1.0f;
        pass.effect->SetFloat("hdr_multiplier", *pass.hdrMultiplier * glow);
    }
}

gfx::Texture* GraphicComponent::SubsetTexture(gfx::Texture* texture) const {
    if (m_windows_lit != 0 || m_graphics == nullptr) {
        return texture;
    }
    return m_graphics->UnlitTexture(texture);
}

void GraphicComponent::DrawMeshSubsets(const GraphicDrawPass& pass) {
    if (m_mesh == nullptr || pass.effect == nullptr || pass.device == nullptr) {
        return;
    }
    for (u32 i = 0; i < m_subset_count; ++i) {
        if (!pass.depthOnly && m_materials != nullptr) {
            SetSubsetMaterial(pass, m_materials[i],
                              m_textures != nullptr ? m_textures[i] : nullptr);
        }
        pass.effect->CommitChanges();
        m_mesh->DrawSubset(*pass.device, i);
    }
}

void GraphicComponent::ComputeCollisionShapeMatrices() {
    if (owner == nullptr) {
        return;
    }
    const Float4x4 rotation = Math::MatrixRotationQuaternion(owner->orientation);
    const Float3 position{owner->position.x, owner->position.y, owner->position.z};
    if (m_oriented_box_display != 0) {
        const Float3 extent{(m_local_max.x - m_local_min.x) * owner->scale.x,
                            (m_local_max.y - m_local_min.y) * owner->scale.y,
                            (m_local_max.z - m_local_min.z) * owner->scale.z};
        const Float3 centre = Math::Vec3TransformCoord({(m_local_min.x + m_local_max.x) / 2,
                                                        (m_local_min.y + m_local_max.y) / 2,
                                                        (m_local_min.z + m_local_max.z) / 2},
                                                       rotation);
        m_collision_box_matrix =
            Compose(Math::MatrixScaling(std::max(extent.x, 0.01f), std::max(extent.y, 0.01f),
                                        std::max(extent.z, 0.01f)),
                    rotation,
                    Math::MatrixTranslation(centre.x + position.x, centre.y + position.y,
                                            centre.z + position.z));
    }
    m_has_collision_box = owner->boundingBox != nullptr ? 1 : 0;
    if (owner->boundingBox != nullptr) {
        const Vector& half = owner->boundingBox->m_extents;
        m_collision_box_matrix =
            Compose(Math::MatrixScaling(2 * half.x, 2 * half.y, 2 * half.z), rotation,
                    Math::MatrixTranslation(position.x, position.y, position.z));
    }
    m_has_collision_sphere = owner->boundingSphere != nullptr ? 1 : 0;
    if (owner->boundingSphere != nullptr) {
        const float r = owner->boundingSphere->m_radius;
        const Vector& offset = owner->boundingSphere->m_centre;
        m_collision_sphere_matrix =
            Compose(Math::MatrixScaling(r, r, r), rotation,
                    Math::MatrixTranslation(position.x + offset.x, position.y + offset.y,
                                            position.z + offset.z));
    }
}

void GraphicComponent::SetGeneratedMesh(gfx::Mesh* mesh, const MeshMaterialRecord* materials,
                                        gfx::Texture* const* textures, u32 subsetCount) {
    m_mesh = mesh;
    m_materials = materials;
    m_textures = textures;
    m_subset_count = subsetCount;
    if (mesh == nullptr) {
        return;
    }
    m_face_count = mesh->FaceCount();
    m_vertex_count = mesh->VertexCount();
    MeshBounds bounds;
    MeasureMesh(*mesh, true, bounds);
    m_local_min = m_local_min2 = bounds.m_min;
    m_local_max = m_local_max2 = bounds.m_max;
    m_local_box = bounds.m_box;
    m_sphere_centre = bounds.m_sphere_centre;
    m_sphere_radius = bounds.m_sphere_radius;
}

void GraphicComponent::SetPieceMesh(const MeshContainer& container,
                                    const GraphicComponent& broken) {
    FreeMesh();
    m_mesh = container.m_mesh;
    m_materials = container.m_materials;
    m_textures = container.m_textures;
    m_subset_count = container.m_material_count;
    m_face_count = m_mesh != nullptr ? m_mesh->FaceCount() : 0;
    m_vertex_count = m_mesh != nullptr ? m_mesh->VertexCount() : 0;
    if (m_mesh != nullptr) {
        MeshBounds bounds;
        MeasureMesh(*m_mesh, false, bounds);
        m_local_min = m_local_min2 = bounds.m_min;
        m_local_max = m_local_max2 = bounds.m_max;
        m_local_box = bounds.m_box;
        m_sphere_centre = bounds.m_sphere_centre;
        m_sphere_radius = bounds.m_sphere_radius;
    }
    // Drawn as it stands in its frame: no centre offset.
    m_centre_offset = {};
    m_centre_offset_matrix = Identity();
    m_hdr_multiplier = broken.m_hdr_multiplier;
    m_render_red = broken.m_render_red;
    m_definition_flags[0] = broken.m_definition_flags[0];
    m_specular_power = broken.m_specular_power;
    m_record_number = broken.m_record_number;
    SetBumpMap(broken.m_bump_map);
    m_specular_map = broken.m_specular_map;
    m_animated = 0;
    m_second_hierarchy = 0;
    m_second_root = nullptr;
}

bool GraphicComponent::IsInAnyShadowSplit() const {
    const u32 splits = std::min<u32>(g_shadow_split_count, kMaxShadowSplits);
    for (u32 i = 0; i < splits; ++i) {
        if (m_visible_in_split[i] != 0) {
            return true;
        }
    }
    return false;
}

void GraphicComponent::SetBumpMapByName(const std::string& name) {
    SetBumpMap(name.empty() || m_graphics == nullptr ? nullptr : m_graphics->GetTexture(name));
}

void GraphicComponent::SetSpecularMapByName(const std::string& name) {
    m_specular_map = name.empty() || m_graphics == nullptr ? nullptr : m_graphics->GetTexture(name);
}

void GraphicComponent::SetBoundingBox(const BoxRecord& box) {
    m_world_box = box;
    m_local_box = box;
    m_local_min = m_local_min2 = box.min;
    m_local_max = m_local_max2 = box.max;
}

void GraphicComponent::GetLocalBox(float out[6]) const {
    const float values[6] = {m_local_min.x, m_local_min.y, m_local_min.z,
                             m_local_max.x, m_local_max.y, m_local_max.z};
    std::memcpy(out, values, sizeof(values));
}

void GraphicComponent::SetLocalBox(const float values[6]) {
    m_local_min = {values[0], values[1], values[2]};
    m_local_max = {values[3], values[4], values[5]};
    // The culling passes read the box's corners: a widened box must widen them too.
    BoundingBox::ComputeCorners(m_local_box, m_local_min, m_local_max);
}
