#pragma once
// A straight mesh modelled along its y axis (a tube, chain or laser beam) bent along the
// Bézier curve of its control points and optionally swollen by a parabolic bulge. The
// owner moves the points every frame; the positions in the mesh's vertices are rewritten
// only when a point moved.
#include <map>
#include <memory>
#include <vector>

#include "core/types.h"
#include "core/vector.h"
#include "graphics/mesh_point_lists.h"

namespace gfx {
class Device;
class Mesh;
} // namespace gfx

class GraphicComponent;

class BeamMesh : public MeshPointLists {
  public:
    // A point must move by this much in some axis to count as moved.
    static constexpr float kPointTolerance = 1e-5f;

    BeamMesh();
    ~BeamMesh();
    BeamMesh(const BeamMesh&) = delete;
    BeamMesh& operator=(const BeamMesh&) = delete;

    // mesh stays the caller's; its rest positions are read from a private copy.
    void Initialize(gfx::Mesh* mesh, gfx::Device* device);
    // Bends the graphic's own mesh. The graphic's local box is widened boxScale times about
    // its centre so the bent beam, which leaves its straight box, is never culled; the box's
    // maximum corner as loaded is the beam's half extent. A graphic without a mesh gives a
    // beam without vertices.
    void Create(GraphicComponent* graphic, float boxScale);
    // y is half the beam's length in mesh space.
    void SetExtent(const Vector& halfExtent) { m_half_extent = halfExtent; }
    void SetBulge(float amplitude, float centre, float spread);
    void SetControlPoints(const std::vector<Vector>& points);
    void MarkChanged() { m_changed = 1; }
    u8* ChangedFlag() { return &m_changed; }
    // Rewrites the mesh's positions when something changed.
    void Update();

    float BulgeAmplitude() const { return m_amplitude; }
    float BulgeCentre() const { return m_centre; }
    float BulgeSpread() const { return m_spread; }
    const Vector& HalfExtent() const { return m_half_extent; }
    const std::vector<Vector>& DeformedPositions() const { return m_deformed; }
    // How often Update has rewritten the vertices.
    u32 WriteCount() const { return m_writes; }
    gfx::Device* GetDevice() const { return m_device; }

  private:
    Vector Deform(const Vector& rest);
    Vector DifferenceCurve(float t);
    void AxesAt(float t, Vector& side, Vector& normal);

    gfx::Mesh* m_target = nullptr;
    std::unique_ptr<gfx::Mesh> m_rest;
    gfx::Device* m_device = nullptr;
    Vector m_half_extent;
    std::vector<Vector> m_deformed;
    std::map<float, Vector> m_difference_cache;
    u8 m_changed = 0;
    float m_amplitude = 0.0f;
    float m_centre = 0.0f;
    float m_spread = 0.0f;
    u32 m_writes = 0;
};
