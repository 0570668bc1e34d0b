// The text mesh reader: any text either fails with a message or reads into data objects whose
// meshes build into triangles that index only their own vertices.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/gfx/x_file.h"
#include "platform/gfx/x_mesh.h"

namespace {

void Stop(const char* why) {
    std::fprintf(stderr, "%s\n", why);
    std::abort();
}

void CheckMesh(const gfx::LoadedMesh& loaded) {
    if (loaded.mesh == nullptr) {
        Stop("a mesh built without its mesh");
    }
    const gfx::Mesh& mesh = *loaded.mesh;
    const u32* const indices = mesh.Indices();
    for (u32 i = 0; i < mesh.FaceCount() * 3; ++i) {
        if (indices[i] >= mesh.VertexCount()) {
            Stop("a built face indexes past its vertices");
        }
    }
    for (const gfx::SkinBone& bone : loaded.bones) {
        if (bone.vertices.size() != bone.weights.size()) {
            Stop("a bone with more vertices than weights");
        }
        for (const u32 v : bone.vertices) {
            if (v >= mesh.VertexCount()) {
                Stop("a bone moves a vertex the mesh does not have");
            }
        }
    }
}

// Builds every mesh of the tree, nested ones and those behind references included.
void BuildAll(const gfx::XFile& file, const gfx::XData& data, int depth) {
    if (depth > 64) {
        return;
    }
    const gfx::XData* const resolved = data.IsReference() ? file.Resolve(data) : &data;
    if (resolved != nullptr && resolved->type == "Mesh") {
        gfx::LoadedMesh loaded;
        std::string error;
        if (gfx::BuildMesh(file, *resolved, loaded, &error)) {
            CheckMesh(loaded);
        } else if (error.empty()) {
            Stop("a mesh failed without saying why");
        }
    }
    for (const gfx::XData& child : data.children) {
        BuildAll(file, child, depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    gfx::XFile file;
    std::string error;
    if (!file.Parse(text, &error)) {
        if (error.empty()) {
            Stop("a text that does not read gave no message");
        }
        return 0;
    }
    for (const gfx::XData& object : file.Objects()) {
        BuildAll(file, object, 0);
    }
    gfx::LoadedMesh merged;
    std::string mergeError;
    if (gfx::BuildFileMesh(file, merged, &mergeError)) {
        CheckMesh(merged);
    }
    return 0;
}
