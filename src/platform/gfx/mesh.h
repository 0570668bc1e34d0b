#pragma once
// Triangle meshes in the object vertex layout with 32-bit indices. Faces are kept sorted by
// material; the attribute table gives each material's face range, and DrawSubset(i) draws
// the faces of material i. Vertices live in a CPU copy: LockVertices marks the mesh changed
// and the next draw uploads it, so meshes are built and skinned on any thread and only the
// draw needs the GL context.
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/buffer.h"
#include "platform/system/types.h"

namespace gfx {

class Device;

// 56 bytes, the object layout.
struct ObjectVertex {
    float position[3] = {};
    float tangent[3] = {};
    float binormal[3] = {};
    float normal[3] = {};
    float uv[2] = {};
};
static_assert(sizeof(ObjectVertex) == 56, "the object layout is 56 bytes a vertex");

struct MeshMaterial {
    float diffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float power = 0.0f;
    float specular[3] = {};
    float emissive[3] = {};
    // Empty when the material has no texture.
    std::string textureFile;
};

struct AttributeRange {
    u32 attributeId = 0;
    u32 faceStart = 0;
    u32 faceCount = 0;
    u32 vertexStart = 0;
    u32 vertexCount = 0;
};

class Mesh {
  public:
    static constexpr u32 kVertexStride = sizeof(ObjectVertex);

    // indices: three per face; faces already sorted by attribute as the table says.
    Mesh(const std::vector<ObjectVertex>& vertices, const std::vector<u32>& indices,
         std::vector<AttributeRange> attributes);
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    std::unique_ptr<Mesh> Clone() const;

    u32 VertexCount() const { return m_vertex_count; }
    u32 FaceCount() const { return m_face_count; }
    // One past the highest attribute id.
    u32 SubsetCount() const;
    const std::vector<AttributeRange>& AttributeTable() const { return m_attributes; }

    const ObjectVertex* Vertices() const {
        return reinterpret_cast<const ObjectVertex*>(m_vertices.Data());
    }
    const u32* Indices() const { return reinterpret_cast<const u32*>(m_indices.Data()); }
    // For writing; the change goes to GL at the next draw.
    ObjectVertex* LockVertices() { return reinterpret_cast<ObjectVertex*>(m_vertices.Lock()); }
    void UnlockVertices() { m_vertices.Unlock(); }
    // True from construction or a lock until the next draw has uploaded the vertices.
    bool IsDirty() const { return m_vertices.IsDirty(); }

    // Render thread: the faces of material `subset` (nothing for one without faces), with the
    // caller's program or the device's own.
    void DrawSubset(Device& device, u32 subset);

  private:
    VertexBuffer m_vertices;
    IndexBuffer m_indices;
    std::vector<AttributeRange> m_attributes;
    u32 m_vertex_count;
    u32 m_face_count;
};

} // namespace gfx
