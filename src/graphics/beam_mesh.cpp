#include "graphics/beam_mesh.h"

#include <algorithm>
#include <cmath>

#include "graphics/graphic_component.h"
#include "platform/gfx/mesh.h"

namespace {

// A vector too short to have a direction stays as it is.
Vector Normalised(const Vector& v) {
    const float length = v.Length();
    return length > 0.0f ? v * (1.0f / length) : v;
}

bool Near(const Vector& a, const Vector& b, float tolerance) {
    return std::fabs(a.x - b.x) < tolerance && std::fabs(a.y - b.y) < tolerance &&
           std::fabs(a.z - b.z) < tolerance;
}

} // namespace

BeamMesh::BeamMesh() : m_half_extent(0.0f, 0.0f, 0.0f) {}

BeamMesh::~BeamMesh() = default;

void BeamMesh::Initialize(gfx::Mesh* mesh, gfx::Device* device) {
    m_target = mesh;
    m_device = device;
    m_rest = mesh != nullptr ? mesh->Clone() : nullptr;
    positions.clear();
    if (m_rest != nullptr) {
        for (u32 i = 0; i < m_rest->VertexCount(); ++i) {
            const float* p = m_rest->Vertices()[i].position;
            positions.emplace_back(p[0], p[1], p[2]);
        }
    }
}

void BeamMesh::Create(GraphicComponent* graphic, float boxScale) {
    if (graphic == nullptr) {
        Initialize(nullptr, nullptr);
        return;
    }
    float box[6];
    graphic->GetLocalBox(box);
    const Vector halfExtent(box[3], box[4], box[5]);
    float widened[6];
    for (int i = 0; i < 6; ++i) {
        widened[i] = box[i] * boxScale;
    }
    graphic->SetLocalBox(widened);
    Initialize(graphic->GetMesh(), nullptr);
    SetExtent(halfExtent);
}

void BeamMesh::SetBulge(float amplitude, float centre, float spread) {
    m_amplitude = amplitude;
    m_centre = centre;
    m_spread = spread;
}

void BeamMesh::SetControlPoints(const std::vector<Vector>& points) {
    bool same = points.size() == controlPoints.size();
    for (std::size_t i = 0; same && i < points.size(); ++i) {
        same = Near(points[i], controlPoints[i], kPointTolerance);
    }
    if (same) {
        return;
    }
    controlPoints = points;
    differencePoints.clear();
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        differencePoints.push_back(points[i + 1] - points[i]);
    }
    m_changed = 1;
}

Vector BeamMesh::DifferenceCurve(float t) {
    if (const auto cached = m_difference_cache.find(t); cached != m_difference_cache.end()) {
        return cached->second;
    }
    const Vector direction = BezierPoint(differencePoints, t);
    m_difference_cache.emplace(t, direction);
    return direction;
}

void BeamMesh::AxesAt(float t, Vector& side, Vector& normal) {
    const auto cachedSide = sideCache.find(t);
    if (cachedSide != sideCache.end()) {
        side = cachedSide->second;
        normal = normalCache.at(t);
        return;
    }
    const Vector d = Normalised(DifferenceCurve(t));
    const Vector up(0.0f, 1.0f, 0.0f);
    // Along y the usual side axis vanishes: take it from -z instead.
    side = Near(d, up, kPointTolerance) ? Normalised(Vector(0.0f, 0.0f, -1.0f).Cross(d))
                                        : Normalised(up.Cross(d));
    normal = Normalised(d.Cross(side));
    sideCache.emplace(t, side);
    normalCache.emplace(t, normal);
}

Vector BeamMesh::Deform(const Vector& rest) {
    const float half = m_half_extent.y;
    // A beam of no length has nothing to bend along.
    if (half == 0.0f) {
        return rest;
    }
    const float t = std::clamp(1.0f - (rest.y + half) / (2.0f * half), 0.0f, 1.0f);
    Vector side;
    Vector normal;
    AxesAt(t, side, normal);
    float scale = 0.5f;
    if (m_spread != 0.0f) {
        const float offset = t - m_centre;
        scale += m_amplitude * std::max(0.0f, 1.0f - offset * offset / m_spread);
    }
    return EvaluateCurve(t) + side * (-rest.x * scale) + normal * (-rest.z * scale);
}

void BeamMesh::Update() {
    if (m_changed == 0) {
        return;
    }
    ClearCaches();
    m_difference_cache.clear();
    m_deformed.clear();
    for (const Vector& rest : positions) {
        m_deformed.push_back(Deform(rest));
    }
    if (m_target != nullptr) {
        gfx::ObjectVertex* vertices = m_target->LockVertices();
        const std::size_t count = std::min<std::size_t>(m_target->VertexCount(), m_deformed.size());
        for (std::size_t i = 0; i < count; ++i) {
            vertices[i].position[0] = m_deformed[i].x;
            vertices[i].position[1] = m_deformed[i].y;
            vertices[i].position[2] = m_deformed[i].z;
        }
        m_target->UnlockVertices();
    }
    ++m_writes;
    m_changed = 0;
}
