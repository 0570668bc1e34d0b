#include "platform/gfx/x_mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <numeric>
#include <utility>

namespace gfx {

namespace {

using Vec3 = std::array<float, 3>;

Vec3 Sub(const float* a, const float* b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

float Dot(const float* a, const float* b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// False (v untouched) for a vector too short to have a direction.
bool Normalise(float* v) {
    const float length = std::sqrt(Dot(v, v));
    if (length < 1e-12f) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        v[i] /= length;
    }
    return true;
}

void TransformPoint(const float* m, float* p) {
    const float x = p[0], y = p[1], z = p[2];
    for (int c = 0; c < 3; ++c) {
        p[c] = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
    }
}

void TransformDirection(const float* m, float* d) {
    const float x = d[0], y = d[1], z = d[2];
    for (int c = 0; c < 3; ++c) {
        d[c] = x * m[c] + y * m[4 + c] + z * m[8 + c];
    }
    Normalise(d);
}

void Multiply(const float* a, const float* b, float* out) {
    float result[16];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            result[r * 4 + c] = a[r * 4] * b[c] + a[r * 4 + 1] * b[4 + c] +
                                a[r * 4 + 2] * b[8 + c] + a[r * 4 + 3] * b[12 + c];
        }
    }
    std::memcpy(out, result, sizeof(result));
}

// Reads numbers in order; past the end it gives 0 and remembers it ran short.
class Numbers {
  public:
    explicit Numbers(const std::vector<double>& values) : m_values(values) {}
    double Next() {
        if (m_pos >= m_values.size()) {
            m_short = true;
            return 0.0;
        }
        return m_values[m_pos++];
    }
    u32 Count() {
        const double value = Next();
        // A count beyond what is left cannot be honest; treating it as short stops a
        // hostile file from making us allocate for it.
        if (value < 0.0 || value > static_cast<double>(m_values.size())) {
            m_short = true;
            return 0;
        }
        return static_cast<u32>(value);
    }
    bool Short() const { return m_short; }

  private:
    const std::vector<double>& m_values;
    std::size_t m_pos = 0;
    bool m_short = false;
};

MeshMaterial ReadMaterial(const XData& data) {
    MeshMaterial material;
    Numbers numbers(data.numbers);
    for (float& value : material.diffuse) {
        value = static_cast<float>(numbers.Next());
    }
    material.power = static_cast<float>(numbers.Next());
    for (float& value : material.specular) {
        value = static_cast<float>(numbers.Next());
    }
    for (float& value : material.emissive) {
        value = static_cast<float>(numbers.Next());
    }
    if (const XData* texture = data.Child("TextureFilename");
        texture != nullptr && !texture->strings.empty()) {
        material.textureFile = texture->strings.front();
    }
    return material;
}

// Gathers meshes (one, or all of a file) and turns them into one Mesh.
class MeshBuilder {
  public:
    explicit MeshBuilder(const XFile& file) : m_file(file) {}

    bool Add(const XData& data, const float* transform, bool keepSkin) {
        const std::string label =
            "Mesh " + (data.name.empty() ? std::string("(unnamed)") : data.name);
        Numbers numbers(data.numbers);
        const u32 positionCount = numbers.Count();
        std::vector<float> positions(3 * std::size_t(positionCount));
        for (float& value : positions) {
            value = static_cast<float>(numbers.Next());
        }
        std::vector<std::vector<u32>> faces(numbers.Count());
        for (std::vector<u32>& face : faces) {
            face.resize(numbers.Count());
            for (u32& index : face) {
                const double value = numbers.Next();
                if (value < 0.0 || value >= positionCount) {
                    return Fail(label + ": a face index is out of range");
                }
                index = static_cast<u32>(value);
            }
            if (numbers.Short()) {
                return Fail(label + ": the vertex or face list is cut short");
            }
            if (face.size() < 3) {
                return Fail(label + ": a face has fewer than three corners");
            }
        }
        if (numbers.Short()) {
            return Fail(label + ": the vertex or face list is cut short");
        }
        for (const std::vector<u32>& face : faces) {
            for (std::size_t i = 0; i < face.size(); ++i) {
                for (std::size_t j = i + 1; j < face.size(); ++j) {
                    if (face[i] == face[j]) {
                        return Fail(label + ": a face uses one vertex twice");
                    }
                }
            }
        }

        // Normals, per face corner when the file has them.
        std::vector<float> normals;
        std::vector<std::vector<u32>> normalFaces;
        if (const XData* normalData = data.Child("MeshNormals")) {
            Numbers n(normalData->numbers);
            normals.resize(3 * std::size_t(n.Count()));
            for (float& value : normals) {
                value = static_cast<float>(n.Next());
            }
            normalFaces.resize(n.Count());
            for (std::vector<u32>& face : normalFaces) {
                face.resize(n.Count());
                for (u32& index : face) {
                    index = static_cast<u32>(std::max(0.0, n.Next()));
                }
            }
            bool usable = !n.Short() && normalFaces.size() == faces.size();
            for (std::size_t f = 0; usable && f < faces.size(); ++f) {
                usable = normalFaces[f].size() == faces[f].size();
                for (u32 index : normalFaces[f]) {
                    usable = usable && 3 * std::size_t(index) < normals.size();
                }
            }
            if (!usable) {
                normals.clear();
                normalFaces.clear();
            }
        }
        if (normalFaces.empty()) {
            SmoothNormals(positions, faces, normals);
            normalFaces = faces;
        }

        std::vector<float> uvs(2 * std::size_t(positionCount), 0.0f);
        if (const XData* uvData = data.Child("MeshTextureCoords")) {
            Numbers n(uvData->numbers);
            const u32 count = std::min(n.Count(), positionCount);
            for (std::size_t i = 0; i < 2 * std::size_t(count); ++i) {
                uvs[i] = static_cast<float>(n.Next());
            }
        }

        // Materials: per face, the last given index repeats for the remaining faces.
        const u32 firstMaterial = static_cast<u32>(m_materials.size());
        std::vector<u32> faceMaterials(faces.size(), 0);
        if (const XData* list = data.Child("MeshMaterialList")) {
            Numbers n(list->numbers);
            const u32 materialCount = n.Count();
            const u32 indexCount = n.Count();
            for (u32 f = 0; f < indexCount && f < faces.size(); ++f) {
                faceMaterials[f] = static_cast<u32>(std::max(0.0, n.Next()));
            }
            for (std::size_t f = std::max<std::size_t>(indexCount, 1); f < faces.size(); ++f) {
                faceMaterials[f] = indexCount > 0 ? faceMaterials[indexCount - 1] : 0;
            }
            for (const XData& child : list->children) {
                const XData* material = m_file.Resolve(child);
                if (material != nullptr && material->type == "Material") {
                    m_materials.push_back(ReadMaterial(*material));
                }
            }
            const u32 read = static_cast<u32>(m_materials.size()) - firstMaterial;
            for (u32 i = read; i < std::max(materialCount, 1u); ++i) {
                m_materials.emplace_back();
            }
        } else {
            m_materials.emplace_back();
        }
        const u32 ownMaterials = static_cast<u32>(m_materials.size()) - firstMaterial;
        for (u32& material : faceMaterials) {
            if (material >= ownMaterials) {
                return Fail(label + ": a face names a material it does not have");
            }
            material += firstMaterial;
        }

        // One output vertex per distinct (position, normal) pair.
        std::map<std::pair<u32, u32>, u32> corners;
        std::vector<u32> sourceOf;
        for (std::size_t f = 0; f < faces.size(); ++f) {
            std::vector<u32> corner(faces[f].size());
            for (std::size_t k = 0; k < faces[f].size(); ++k) {
                const auto key = std::make_pair(faces[f][k], normalFaces[f][k]);
                auto [found, added] = corners.emplace(key, static_cast<u32>(m_vertices.size()));
                if (added) {
                    ObjectVertex vertex;
                    std::memcpy(vertex.position, &positions[3 * std::size_t(key.first)],
                                sizeof(vertex.position));
                    std::memcpy(vertex.normal, &normals[3 * std::size_t(key.second)],
                                sizeof(vertex.normal));
                    std::memcpy(vertex.uv, &uvs[2 * std::size_t(key.first)], sizeof(vertex.uv));
                    if (transform != nullptr) {
                        TransformPoint(transform, vertex.position);
                        TransformDirection(transform, vertex.normal);
                    }
                    m_vertices.push_back(vertex);
                    sourceOf.push_back(key.first);
                }
                corner[k] = found->second;
            }
            for (std::size_t k = 1; k + 1 < corner.size(); ++k) {
                m_triangles.push_back({corner[0], corner[k], corner[k + 1]});
                m_triangle_materials.push_back(faceMaterials[f]);
            }
        }

        if (keepSkin) {
            for (const XData& child : data.children) {
                if (child.type == "SkinWeights" && !AddBone(child, sourceOf, positionCount)) {
                    return Fail(label + ": bad skin weights");
                }
            }
        }
        return true;
    }

    bool Finish(LoadedMesh& out) {
        // Faces sorted by material, keeping their order within one material.
        std::vector<u32> order(m_triangles.size());
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(), [this](u32 a, u32 b) {
            return m_triangle_materials[a] < m_triangle_materials[b];
        });
        std::vector<u32> indices;
        indices.reserve(3 * order.size());
        std::vector<AttributeRange> table;
        for (std::size_t i = 0; i < order.size(); ++i) {
            const u32 material = m_triangle_materials[order[i]];
            if (table.empty() || table.back().attributeId != material) {
                table.push_back(
                    {material, static_cast<u32>(i), 0, 0, static_cast<u32>(m_vertices.size())});
            }
            ++table.back().faceCount;
            for (u32 corner : m_triangles[order[i]]) {
                indices.push_back(corner);
            }
        }
        ComputeTangentFrames(indices);
        out.mesh = std::make_unique<Mesh>(m_vertices, indices, std::move(table));
        out.materials = std::move(m_materials);
        out.bones = std::move(m_bones);
        return true;
    }

    const std::string& Error() const { return m_error; }

  private:
    bool Fail(const std::string& text) {
        m_error = text;
        return false;
    }

    static void SmoothNormals(const std::vector<float>& positions,
                              const std::vector<std::vector<u32>>& faces,
                              std::vector<float>& normals) {
        normals.assign(positions.size(), 0.0f);
        for (const std::vector<u32>& face : faces) {
            const float* p0 = &positions[3 * std::size_t(face[0])];
            for (std::size_t k = 1; k + 1 < face.size(); ++k) {
                const Vec3 n = Cross(Sub(&positions[3 * std::size_t(face[k])], p0),
                                     Sub(&positions[3 * std::size_t(face[k + 1])], p0));
                for (const u32 corner : {face[0], face[k], face[k + 1]}) {
                    for (int c = 0; c < 3; ++c) {
                        normals[3 * std::size_t(corner) + c] += n[c];
                    }
                }
            }
        }
        for (std::size_t i = 0; i < normals.size(); i += 3) {
            Normalise(&normals[i]);
        }
    }

    bool AddBone(const XData& data, const std::vector<u32>& sourceOf, u32 positionCount) {
        SkinBone bone;
        if (data.strings.empty()) {
            return false;
        }
        bone.frame = data.strings.front();
        Numbers n(data.numbers);
        const u32 count = n.Count();
        std::vector<u32> sources(count);
        for (u32& index : sources) {
            const double value = n.Next();
            if (value < 0.0 || value >= positionCount) {
                return false;
            }
            index = static_cast<u32>(value);
        }
        std::vector<float> weights(count);
        for (float& weight : weights) {
            weight = static_cast<float>(n.Next());
        }
        for (float& value : bone.offset) {
            value = static_cast<float>(n.Next());
        }
        if (n.Short()) {
            return false;
        }
        // A file vertex may have become several (normal seams): each copy gets the weight.
        for (u32 i = 0; i < count; ++i) {
            for (u32 v = 0; v < sourceOf.size(); ++v) {
                if (sourceOf[v] == sources[i]) {
                    bone.vertices.push_back(v);
                    bone.weights.push_back(weights[i]);
                }
            }
        }
        m_bones.push_back(std::move(bone));
        return true;
    }

    // Tangent and binormal of each vertex: the directions in which u and v grow, summed
    // over its faces and made perpendicular to the normal.
    void ComputeTangentFrames(const std::vector<u32>& indices) {
        std::vector<float> tangents(3 * m_vertices.size(), 0.0f);
        std::vector<float> binormals(3 * m_vertices.size(), 0.0f);
        for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
            const ObjectVertex& a = m_vertices[indices[i]];
            const ObjectVertex& b = m_vertices[indices[i + 1]];
            const ObjectVertex& c = m_vertices[indices[i + 2]];
            const Vec3 e1 = Sub(b.position, a.position);
            const Vec3 e2 = Sub(c.position, a.position);
            const float du1 = b.uv[0] - a.uv[0], dv1 = b.uv[1] - a.uv[1];
            const float du2 = c.uv[0] - a.uv[0], dv2 = c.uv[1] - a.uv[1];
            const float det = du1 * dv2 - du2 * dv1;
            if (std::fabs(det) < 1e-12f) {
                continue;
            }
            const float r = 1.0f / det;
            for (std::size_t k = 0; k < 3; ++k) {
                for (int axis = 0; axis < 3; ++axis) {
                    tangents[3 * indices[i + k] + axis] += (e1[axis] * dv2 - e2[axis] * dv1) * r;
                    binormals[3 * indices[i + k] + axis] += (e2[axis] * du1 - e1[axis] * du2) * r;
                }
            }
        }
        for (std::size_t v = 0; v < m_vertices.size(); ++v) {
            ObjectVertex& vertex = m_vertices[v];
            float* t = &tangents[3 * v];
            float* b = &binormals[3 * v];
            const float* n = vertex.normal;
            const float tn = Dot(t, n);
            for (int axis = 0; axis < 3; ++axis) {
                t[axis] -= n[axis] * tn;
            }
            if (!Normalise(t)) {
                // No texture mapping here: any direction across the normal will do.
                const float other[3] = {std::fabs(n[0]) < 0.9f ? 1.0f : 0.0f,
                                        std::fabs(n[0]) < 0.9f ? 0.0f : 1.0f, 0.0f};
                const Vec3 side = Cross(Vec3{n[0], n[1], n[2]}, Vec3{other[0], other[1], other[2]});
                std::memcpy(t, side.data(), sizeof(float) * 3);
                Normalise(t);
            }
            const float bn = Dot(b, n), bt = Dot(b, t);
            for (int axis = 0; axis < 3; ++axis) {
                b[axis] -= n[axis] * bn + t[axis] * bt;
            }
            if (!Normalise(b)) {
                const Vec3 cross = Cross(Vec3{n[0], n[1], n[2]}, Vec3{t[0], t[1], t[2]});
                std::memcpy(b, cross.data(), sizeof(float) * 3);
            }
            std::memcpy(vertex.tangent, t, sizeof(vertex.tangent));
            std::memcpy(vertex.binormal, b, sizeof(vertex.binormal));
        }
    }

    const XFile& m_file;
    std::vector<ObjectVertex> m_vertices;
    std::vector<std::array<u32, 3>> m_triangles;
    std::vector<u32> m_triangle_materials;
    std::vector<MeshMaterial> m_materials;
    std::vector<SkinBone> m_bones;
    std::string m_error;
};

bool AddFileMeshes(MeshBuilder& builder, const XData& data, const float* parent, int& count) {
    if (data.type == "Mesh") {
        ++count;
        return builder.Add(data, parent, false);
    }
    if (data.type != "Frame") {
        return true;
    }
    float own[16];
    FrameTransform(data, own);
    Multiply(own, parent, own);
    for (const XData& child : data.children) {
        if (!AddFileMeshes(builder, child, own, count)) {
            return false;
        }
    }
    return true;
}

} // namespace

void FrameTransform(const XData& frame, float matrix[16]) {
    static constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::memcpy(matrix, kIdentity, sizeof(kIdentity));
    const XData* transform = frame.Child("FrameTransformMatrix");
    if (transform != nullptr && transform->numbers.size() >= 16) {
        for (int i = 0; i < 16; ++i) {
            matrix[i] = static_cast<float>(transform->numbers[i]);
        }
    }
}

bool BuildMesh(const XFile& file, const XData& meshData, LoadedMesh& out, std::string* error) {
    MeshBuilder builder(file);
    if (!builder.Add(meshData, nullptr, true) || !builder.Finish(out)) {
        if (error != nullptr) {
            *error = builder.Error();
        }
        return false;
    }
    out.name = meshData.name;
    return true;
}

bool BuildFileMesh(const XFile& file, LoadedMesh& out, std::string* error) {
    static constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    MeshBuilder builder(file);
    int count = 0;
    for (const XData& data : file.Objects()) {
        if (!AddFileMeshes(builder, data, kIdentity, count)) {
            if (error != nullptr) {
                *error = builder.Error();
            }
            return false;
        }
    }
    if (count == 0) {
        if (error != nullptr) {
            *error = "the file holds no mesh";
        }
        return false;
    }
    builder.Finish(out);
    return true;
}

} // namespace gfx
