#include "graphics/mesh_cache.h"

#include <cmath>

#include "content/file_package.h"
#include "core/math_functions.h"
#include "graphics/start_error.h"
#include "platform/gfx/mesh.h"
#include "platform/gfx/x_file.h"
#include "platform/gfx/x_mesh.h"
#include "platform/system/log.h"

void MeasureMesh(gfx::Mesh& mesh, bool recentre, MeshBounds& bounds) {
    if (mesh.VertexCount() == 0) {
        return;
    }
    Float3 min;
    Float3 max;
    Math::ComputeBoundingBox(mesh.Vertices()[0].position, mesh.VertexCount(),
                             gfx::Mesh::kVertexStride, min, max);
    const Float3 centre{(min.x + max.x) / 2, (min.y + max.y) / 2, (min.z + max.z) / 2};
    bounds.m_centre_offset = centre;
    if (recentre) {
        gfx::ObjectVertex* vertices = mesh.LockVertices();
        for (u32 i = 0; i < mesh.VertexCount(); ++i) {
            vertices[i].position[0] -= centre.x;
            vertices[i].position[1] -= centre.y;
            vertices[i].position[2] -= centre.z;
        }
        mesh.UnlockVertices();
        Math::ComputeBoundingBox(mesh.Vertices()[0].position, mesh.VertexCount(),
                                 gfx::Mesh::kVertexStride, min, max);
    }
    bounds.m_min = min;
    bounds.m_max = max;
    BoundingBox::ComputeCorners(bounds.m_box, min, max);
    bounds.m_sphere_centre = {(min.x + max.x) / 2, (min.y + max.y) / 2, (min.z + max.z) / 2};
    bounds.m_sphere_radius = Math::Vec3Length({max.x - min.x, max.y - min.y, max.z - min.z}) / 2.0f;
}

bool ReadXFileFromPackage(const std::string& package, const std::string& name, gfx::XFile& file,
                          std::string* error) {
    FilePackage* const files = FilePackage::Get(package);
    u32 size = 0;
    const std::unique_ptr<u8[]> bytes =
        files != nullptr ? files->GetFile(FilePackage::SplitPath(name), size) : nullptr;
    if (bytes == nullptr) {
        if (error != nullptr) {
            *error = "not in the package";
        }
        return false;
    }
    return file.Parse(std::string_view(reinterpret_cast<const char*>(bytes.get()), size), error);
}

MeshCache::MeshCache(std::string package, TextureLookup textures)
    : m_package(std::move(package)), m_textures(std::move(textures)) {}

MeshCache::~MeshCache() {
    Clear();
}

void MeshCache::Clear() {
    m_static.clear();
    for (auto* cache : {&m_animated, &m_instances}) {
        for (auto& [name, entry] : *cache) {
            DestroyFrameHierarchy(entry.record.m_root, m_allocator);
        }
        cache->clear();
    }
}

bool MeshCache::Read(const std::string& name, gfx::XFile& file) {
    std::string error;
    if (!ReadXFileFromPackage(m_package, name, file, &error)) {
        sys::LogLine("Failed to load " + name);
        sys::Log() << name << ": " << error;
        return false;
    }
    return true;
}

StaticMeshRecord MeshCache::LoadStaticMesh(const std::string& name) {
    if (const auto found = m_static.find(name); found != m_static.end()) {
        return found->second->record;
    }
    gfx::XFile file;
    if (!Read(name, file)) {
        return {};
    }
    gfx::LoadedMesh loaded;
    std::string error;
    if (!gfx::BuildFileMesh(file, loaded, &error)) {
        ShowGraphicsStartError(name + ": " + error);
        return {};
    }
    auto entry = std::make_unique<StaticEntry>();
    entry->mesh = std::move(loaded.mesh);
    for (const gfx::MeshMaterial& material : loaded.materials) {
        MeshMaterialRecord record;
        record.m_diffuse = {material.diffuse[0], material.diffuse[1], material.diffuse[2],
                            material.diffuse[3]};
        record.m_power = material.power;
        record.m_specular = {material.specular[0], material.specular[1], material.specular[2]};
        record.m_emissive = {material.emissive[0], material.emissive[1], material.emissive[2]};
        entry->materials.push_back(record);
        entry->textures.push_back(material.textureFile.empty() || !m_textures
                                      ? nullptr
                                      : m_textures("assets/art/" + material.textureFile));
    }
    StaticMeshRecord& record = entry->record;
    MeasureMesh(*entry->mesh, true, record);
    record.m_mesh = entry->mesh.get();
    record.m_materials = entry->materials.data();
    record.m_textures = entry->textures.data();
    record.m_subset_count = static_cast<u32>(entry->materials.size());
    record.m_record_number = m_next_record++;
    const StaticMeshRecord result = record;
    m_static.emplace(name, std::move(entry));
    return result;
}

AnimatedMeshRecord MeshCache::LoadAnimatedMesh(const std::string& name) {
    return LoadAnimated(m_animated, name, false);
}

AnimatedMeshRecord MeshCache::LoadAnimatedMeshInstance(const std::string& name) {
    return LoadAnimated(m_instances, name, true);
}

AnimatedMeshRecord MeshCache::LoadAnimated(AnimatedMap& cache, const std::string& name,
                                           bool recentre) {
    if (const auto found = cache.find(name); found != cache.end()) {
        return found->second.record;
    }
    gfx::XFile file;
    if (!Read(name, file)) {
        return {};
    }
    std::string error;
    gfx::LoadedMesh plain;
    Frame* const root = LoadMeshHierarchy(file, m_allocator, m_textures, &error);
    if (root == nullptr || !gfx::BuildFileMesh(file, plain, &error)) {
        DestroyFrameHierarchy(root, m_allocator);
        ShowGraphicsStartError(name + ": " + error);
        return {};
    }
    AnimatedMeshRecord record;
    record.m_root = root;
    record.m_face_count = plain.mesh->FaceCount();
    record.m_vertex_count = plain.mesh->VertexCount();
    MeasureMesh(*plain.mesh, recentre, record);
    UpdateFrameMatrices(root, nullptr);
    FrameBoundingSphere(root, record.m_sphere_centre, record.m_sphere_radius);
    record.m_record_number = m_next_record++;
    cache.emplace(name, AnimatedEntry{record});
    return record;
}

void MeshCache::UnloadMesh(const std::string& name) {
    m_static.erase(name);
}
