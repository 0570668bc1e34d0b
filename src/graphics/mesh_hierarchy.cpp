#include "graphics/mesh_hierarchy.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/math_functions.h"
#include "platform/gfx/mesh.h"
#include "platform/gfx/x_file.h"

namespace {

Float3 Load3(const float* v) {
    return {v[0], v[1], v[2]};
}

void AddScaled(float* out, const Float3& v, float weight) {
    out[0] += v.x * weight;
    out[1] += v.y * weight;
    out[2] += v.z * weight;
}

void NormaliseInPlace(float* v) {
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 1e-12f) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

// Appends frame at the end of a sibling chain that starts at head.
void AppendSibling(Frame*& head, Frame* frame) {
    Frame** slot = &head;
    while (*slot != nullptr) {
        slot = &(*slot)->m_sibling;
    }
    *slot = frame;
}

void AppendContainer(MeshContainer*& head, MeshContainer* container) {
    MeshContainer** slot = &head;
    while (*slot != nullptr) {
        slot = &(*slot)->m_next;
    }
    *slot = container;
}

// Adds the frames and meshes of `data` below frame; false when a mesh cannot be built.
bool AddChildren(const gfx::XFile& file, const gfx::XData& data, Frame* frame,
                 AllocMeshHierarchy& allocator, const TextureLookup& lookup, std::string* error) {
    for (const gfx::XData& child : data.children) {
        const gfx::XData* resolved = file.Resolve(child);
        if (resolved == nullptr) {
            continue;
        }
        if (resolved->type == "Mesh") {
            gfx::LoadedMesh mesh;
            if (!gfx::BuildMesh(file, *resolved, mesh, error)) {
                return false;
            }
            AppendContainer(frame->m_mesh_container,
                            allocator.CreateMeshContainer(std::move(mesh), lookup));
        } else if (resolved->type == "Frame" && !child.IsReference()) {
            Frame* const sub = allocator.CreateFrame(resolved->name);
            gfx::FrameTransform(*resolved, sub->m_transformation.m);
            AppendSibling(frame->m_first_child, sub);
            if (!AddChildren(file, *resolved, sub, allocator, lookup, error)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

Float4x4 SkinInfo::BoneOffset(u32 bone) const {
    Float4x4 offset;
    std::memcpy(offset.m, m_bones[bone].offset, sizeof(offset.m));
    return offset;
}

void SkinInfo::UpdateSkinnedMesh(const Float4x4* boneMatrices, const gfx::Mesh& source,
                                 gfx::Mesh& destination) const {
    const u32 count = std::min(source.VertexCount(), destination.VertexCount());
    const gfx::ObjectVertex* in = source.Vertices();
    gfx::ObjectVertex* out = destination.LockVertices();
    std::vector<u8> moved(count, 0);
    for (u32 b = 0; b < m_bones.size(); ++b) {
        const gfx::SkinBone& bone = m_bones[b];
        const Float4x4& matrix = boneMatrices[b];
        for (std::size_t i = 0; i < bone.vertices.size() && i < bone.weights.size(); ++i) {
            const u32 v = bone.vertices[i];
            if (v >= count) {
                continue;
            }
            gfx::ObjectVertex& target = out[v];
            if (moved[v] == 0) {
                moved[v] = 1;
                std::memset(target.position, 0, sizeof(target.position));
                std::memset(target.normal, 0, sizeof(target.normal));
                std::memset(target.tangent, 0, sizeof(target.tangent));
                std::memset(target.binormal, 0, sizeof(target.binormal));
            }
            const float w = bone.weights[i];
            AddScaled(target.position, Math::Vec3TransformCoord(Load3(in[v].position), matrix), w);
            AddScaled(target.normal, Math::Vec3TransformNormal(Load3(in[v].normal), matrix), w);
            AddScaled(target.tangent, Math::Vec3TransformNormal(Load3(in[v].tangent), matrix), w);
            AddScaled(target.binormal, Math::Vec3TransformNormal(Load3(in[v].binormal), matrix), w);
        }
    }
    for (u32 v = 0; v < count; ++v) {
        if (moved[v] == 0) {
            out[v] = in[v];
            continue;
        }
        NormaliseInPlace(out[v].normal);
        NormaliseInPlace(out[v].tangent);
        NormaliseInPlace(out[v].binormal);
        std::memcpy(out[v].uv, in[v].uv, sizeof(out[v].uv));
    }
    destination.UnlockVertices();
}

Frame* AllocMeshHierarchy::CreateFrame(const std::string& name) {
    Frame* const frame = new Frame;
    frame->m_name = name;
    return frame;
}

MeshContainer* AllocMeshHierarchy::CreateMeshContainer(gfx::LoadedMesh&& mesh,
                                                       const TextureLookup& lookup) {
    auto* const container = new MeshContainer;
    container->m_name = mesh.name;
    container->m_material_count = static_cast<u32>(mesh.materials.size());
    container->m_materials = new MeshMaterialRecord[container->m_material_count];
    container->m_textures = new gfx::Texture*[container->m_material_count]();
    for (u32 i = 0; i < container->m_material_count; ++i) {
        const gfx::MeshMaterial& material = mesh.materials[i];
        MeshMaterialRecord& record = container->m_materials[i];
        record.m_diffuse = {material.diffuse[0], material.diffuse[1], material.diffuse[2],
                            material.diffuse[3]};
        record.m_power = material.power;
        record.m_specular = Load3(material.specular);
        record.m_emissive = Load3(material.emissive);
        if (!material.textureFile.empty() && lookup) {
            container->m_textures[i] = lookup("assets/art/" + material.textureFile);
        }
    }
    container->m_mesh = mesh.mesh.release();
    if (!mesh.bones.empty()) {
        container->m_skin_info = new SkinInfo{std::move(mesh.bones)};
        for (u32 b = 0; b < container->m_skin_info->BoneCount(); ++b) {
            container->m_bone_offsets.push_back(container->m_skin_info->BoneOffset(b));
        }
        container->m_bone_matrices.assign(container->m_skin_info->BoneCount(), nullptr);
    }
    return container;
}

void AllocMeshHierarchy::DestroyFrame(Frame* frame) {
    delete frame;
}

void AllocMeshHierarchy::DestroyMeshContainer(MeshContainer* container) {
    if (container == nullptr) {
        return;
    }
    if (container->m_is_copy == 0) {
        delete container->m_mesh;
        delete[] container->m_materials;
        delete[] container->m_textures;
        delete container->m_skin_info;
    }
    delete container->m_working_mesh;
    delete container;
}

Frame* LoadMeshHierarchy(const gfx::XFile& file, AllocMeshHierarchy& allocator,
                         const TextureLookup& lookup, std::string* error) {
    const auto& objects = file.Objects();
    const auto isPart = [](const gfx::XData& data) {
        return data.type == "Frame" || data.type == "Mesh";
    };
    const auto parts = std::count_if(objects.begin(), objects.end(), isPart);
    if (parts == 0) {
        if (error != nullptr) {
            *error = "the file holds no frame and no mesh";
        }
        return nullptr;
    }
    if (parts == 1 && std::find_if(objects.begin(), objects.end(), isPart)->type == "Frame") {
        const gfx::XData& only = *std::find_if(objects.begin(), objects.end(), isPart);
        Frame* const root = allocator.CreateFrame(only.name);
        gfx::FrameTransform(only, root->m_transformation.m);
        if (!AddChildren(file, only, root, allocator, lookup, error)) {
            DestroyFrameHierarchy(root, allocator);
            return nullptr;
        }
        return root;
    }
    // Several parts (or a lone mesh): an unnamed root holds them.
    Frame* const root = allocator.CreateFrame("");
    gfx::XData holder;
    for (const gfx::XData& data : objects) {
        if (isPart(data)) {
            holder.children.push_back(data);
        }
    }
    if (!AddChildren(file, holder, root, allocator, lookup, error)) {
        DestroyFrameHierarchy(root, allocator);
        return nullptr;
    }
    return root;
}

void DestroyFrameHierarchy(Frame* frame, AllocMeshHierarchy& allocator) {
    while (frame != nullptr) {
        MeshContainer* container = frame->m_mesh_container;
        while (container != nullptr) {
            MeshContainer* const next = container->m_next;
            allocator.DestroyMeshContainer(container);
            container = next;
        }
        DestroyFrameHierarchy(frame->m_first_child, allocator);
        Frame* const sibling = frame->m_sibling;
        allocator.DestroyFrame(frame);
        frame = sibling;
    }
}

Frame* CloneFrameHierarchy(const Frame* frame) {
    if (frame == nullptr) {
        return nullptr;
    }
    auto* const copy = new Frame;
    copy->m_name = frame->m_name;
    copy->m_transformation = frame->m_transformation;
    copy->m_combined = frame->m_combined;
    copy->m_saved_transformation = frame->m_saved_transformation;
    copy->m_is_copy = 1;
    MeshContainer** slot = &copy->m_mesh_container;
    for (const MeshContainer* c = frame->m_mesh_container; c != nullptr; c = c->m_next) {
        auto* const container = new MeshContainer;
        container->m_name = c->m_name;
        container->m_mesh = c->m_mesh;
        container->m_materials = c->m_materials;
        container->m_textures = c->m_textures;
        container->m_material_count = c->m_material_count;
        container->m_skin_info = c->m_skin_info;
        container->m_bone_offsets = c->m_bone_offsets;
        container->m_bone_matrices.assign(c->m_bone_matrices.size(), nullptr);
        container->m_visible = c->m_visible;
        container->m_is_copy = 1;
        *slot = container;
        slot = &container->m_next;
    }
    copy->m_sibling = CloneFrameHierarchy(frame->m_sibling);
    copy->m_first_child = CloneFrameHierarchy(frame->m_first_child);
    return copy;
}

Frame* FindFrame(Frame* root, const std::string& name) {
    for (Frame* frame = root; frame != nullptr; frame = frame->m_sibling) {
        if (frame->m_name == name) {
            return frame;
        }
        if (Frame* const found = FindFrame(frame->m_first_child, name)) {
            return found;
        }
    }
    return nullptr;
}

void UpdateFrameMatrices(Frame* frame, const Float4x4* parent) {
    for (; frame != nullptr; frame = frame->m_sibling) {
        frame->m_combined = parent != nullptr
                                ? Math::MatrixMultiply(frame->m_transformation, *parent)
                                : frame->m_transformation;
        UpdateFrameMatrices(frame->m_first_child, &frame->m_combined);
    }
}

namespace {

void CollectSpheres(const Frame* frame, const Float4x4& parent,
                    std::vector<std::pair<Float3, float>>& spheres) {
    for (; frame != nullptr; frame = frame->m_sibling) {
        const Float4x4 combined = Math::MatrixMultiply(frame->m_transformation, parent);
        for (const MeshContainer* c = frame->m_mesh_container; c != nullptr; c = c->m_next) {
            if (c->m_mesh == nullptr || c->m_mesh->VertexCount() == 0) {
                continue;
            }
            Float3 min;
            Float3 max;
            Math::ComputeBoundingBox(c->m_mesh->Vertices()[0].position, c->m_mesh->VertexCount(),
                                     gfx::Mesh::kVertexStride, min, max);
            const Float3 centre{(min.x + max.x) / 2, (min.y + max.y) / 2, (min.z + max.z) / 2};
            const Float3 half{(max.x - min.x) / 2, (max.y - min.y) / 2, (max.z - min.z) / 2};
            const float scale =
                std::max({Math::Vec3Length({combined.m[0], combined.m[1], combined.m[2]}),
                          Math::Vec3Length({combined.m[4], combined.m[5], combined.m[6]}),
                          Math::Vec3Length({combined.m[8], combined.m[9], combined.m[10]})});
            spheres.emplace_back(Math::Vec3TransformCoord(centre, combined),
                                 Math::Vec3Length(half) * scale);
        }
        CollectSpheres(frame->m_first_child, combined, spheres);
    }
}

} // namespace

void FrameBoundingSphere(Frame* root, Float3& centre, float& radius) {
    std::vector<std::pair<Float3, float>> spheres;
    CollectSpheres(root, Frame::kIdentity, spheres);
    centre = {};
    radius = 0.0f;
    if (spheres.empty()) {
        return;
    }
    for (const auto& [c, r] : spheres) {
        centre.x += c.x / static_cast<float>(spheres.size());
        centre.y += c.y / static_cast<float>(spheres.size());
        centre.z += c.z / static_cast<float>(spheres.size());
    }
    for (const auto& [c, r] : spheres) {
        const Float3 d{c.x - centre.x, c.y - centre.y, c.z - centre.z};
        radius = std::max(radius, Math::Vec3Length(d) + r);
    }
}

MeshContainer* FirstMeshContainer(Frame* frame) {
    if (frame == nullptr) {
        return nullptr;
    }
    if (frame->m_mesh_container != nullptr) {
        return frame->m_mesh_container;
    }
    if (MeshContainer* const inSiblings = FirstMeshContainer(frame->m_sibling)) {
        return inSiblings;
    }
    return FirstMeshContainer(frame->m_first_child);
}
