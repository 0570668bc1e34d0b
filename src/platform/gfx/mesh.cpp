#include "platform/gfx/mesh.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/device.h"

namespace gfx {

Mesh::Mesh(const std::vector<ObjectVertex>& vertices, const std::vector<u32>& indices,
           std::vector<AttributeRange> attributes)
    : m_vertices(vertices.size() * kVertexStride), m_indices(indices.size() * sizeof(u32), true),
      m_attributes(std::move(attributes)), m_vertex_count(static_cast<u32>(vertices.size())),
      m_face_count(static_cast<u32>(indices.size() / 3)) {
    if (!vertices.empty()) {
        std::memcpy(m_vertices.Lock(), vertices.data(), vertices.size() * kVertexStride);
    }
    if (!indices.empty()) {
        std::memcpy(m_indices.Lock(), indices.data(), indices.size() * sizeof(u32));
    }
}

std::unique_ptr<Mesh> Mesh::Clone() const {
    const std::vector<ObjectVertex> vertices(Vertices(), Vertices() + m_vertex_count);
    const std::vector<u32> indices(Indices(), Indices() + 3 * m_face_count);
    return std::make_unique<Mesh>(vertices, indices, m_attributes);
}

u32 Mesh::SubsetCount() const {
    u32 count = 0;
    for (const AttributeRange& range : m_attributes) {
        count = std::max(count, range.attributeId + 1);
    }
    return count;
}

void Mesh::DrawSubset(Device& device, u32 subset) {
    for (const AttributeRange& range : m_attributes) {
        if (range.attributeId != subset || range.faceCount == 0) {
            continue;
        }
        device.SetVertexLayout(VertexLayout::Object);
        device.SetStreamSource(&m_vertices, kVertexStride);
        device.SetIndices(&m_indices);
        device.DrawIndexedPrimitive(PrimitiveType::TriangleList, 0, range.faceStart * 3,
                                    range.faceCount);
    }
}

} // namespace gfx
