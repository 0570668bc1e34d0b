#pragma once
// Meshes out of a read .X file: positions, normals (smooth ones when the file has none),
// texture coordinates, materials and skin weights. Polygons are fanned into triangles,
// faces sorted by material, and tangents and binormals follow the texture coordinates.
// A face index out of range or a face with a repeated corner is an error, reported as text.
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/mesh.h"
#include "platform/gfx/x_file.h"

namespace gfx {

// One bone of a skinned mesh: the frame that moves it, the matrix from mesh space into the
// bone's space, and the vertices it moves with their weights.
struct SkinBone {
    std::string frame;
    float offset[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::vector<u32> vertices;
    std::vector<float> weights;
};

struct LoadedMesh {
    std::string name;
    std::unique_ptr<Mesh> mesh;
    std::vector<MeshMaterial> materials;
    // Empty for a mesh without skin weights. Vertex indices are the built mesh's.
    std::vector<SkinBone> bones;
};

// One "Mesh" data object in its own space.
bool BuildMesh(const XFile& file, const XData& meshData, LoadedMesh& out,
               std::string* error = nullptr);
// Every mesh of the file placed by its frames' transforms and merged into one mesh; skin
// weights are dropped. False when the file holds no mesh.
bool BuildFileMesh(const XFile& file, LoadedMesh& out, std::string* error = nullptr);

// A frame's own transform (row-major, row vectors), the identity when it has none.
void FrameTransform(const XData& frame, float matrix[16]);

} // namespace gfx
