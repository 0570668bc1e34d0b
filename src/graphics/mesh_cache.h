#pragma once
// The renderer's mesh caches: static meshes, animated hierarchies and the animated
// instances citizens share, one record per file name as the caller spells it. Every newly
// loaded mesh takes the next record number of one counter shared by all three.
//
// Decoding runs on the calling thread (the loader thread too); GL objects come at the first
// draw. The cache has no lock of its own: callers hold the device mutex.
//
// A file that cannot be found or read logs "Failed to load " and its name and gives an
// empty record (null mesh, no number used); nothing is cached, so a later call tries again.
// A mesh whose faces are broken shows the text in the start-up error box and ends the game.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/mesh_hierarchy.h"
#include "graphics/mesh_records.h"

namespace gfx {
class Mesh;
class XFile;
} // namespace gfx

// Reads an .X file by its base name from the package; false with error set when it is not
// there or cannot be parsed.
bool ReadXFileFromPackage(const std::string& package, const std::string& name, gfx::XFile& file,
                          std::string* error = nullptr);

// Fills the box pair, box record and sphere from the mesh's positions. With recentre the
// vertices are first moved so the box is centred on the origin; the box centre before any
// move is kept as the centre offset.
void MeasureMesh(gfx::Mesh& mesh, bool recentre, MeshBounds& bounds);

class MeshCache {
  public:
    MeshCache(std::string package, TextureLookup textures);
    ~MeshCache();
    MeshCache(const MeshCache&) = delete;
    MeshCache& operator=(const MeshCache&) = delete;

    // All meshes of the file merged, re-centred on the middle of their box.
    StaticMeshRecord LoadStaticMesh(const std::string& name);
    // The frame hierarchy as the file places it; the box of its meshes unmoved.
    AnimatedMeshRecord LoadAnimatedMesh(const std::string& name);
    // As LoadAnimatedMesh with a cache of its own, and the box re-centred.
    AnimatedMeshRecord LoadAnimatedMeshInstance(const std::string& name);
    // Forgets one static mesh so the next load reads the file again with a new number.
    // Records already handed out then point at freed data: unload only unused meshes.
    void UnloadMesh(const std::string& name);

    // Render thread: the meshes hold GL objects once drawn. The record counter goes on.
    void Clear();

    u32 NextRecordNumber() const { return m_next_record; }
    std::size_t StaticCount() const { return m_static.size(); }

  private:
    struct StaticEntry {
        StaticMeshRecord record;
        std::unique_ptr<gfx::Mesh> mesh;
        std::vector<MeshMaterialRecord> materials;
        std::vector<gfx::Texture*> textures;
    };
    struct AnimatedEntry {
        AnimatedMeshRecord record;
    };
    using AnimatedMap = std::map<std::string, AnimatedEntry>;

    AnimatedMeshRecord LoadAnimated(AnimatedMap& cache, const std::string& name, bool recentre);
    bool Read(const std::string& name, gfx::XFile& file);

    std::string m_package;
    TextureLookup m_textures;
    AllocMeshHierarchy m_allocator;
    std::map<std::string, std::unique_ptr<StaticEntry>> m_static;
    AnimatedMap m_animated;
    AnimatedMap m_instances;
    u32 m_next_record = 0;
};
