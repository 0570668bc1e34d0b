#pragma once
// The sky: a large sphere around the eye textured from the environment cube map. The
// forward path draws it with "SkyTech"; the deferred path draws it into the G-buffer with a
// brightness multiplier ("SkyTechDeferred"), and the forward path's depth image takes its
// far depth from it ("SkyDepthBuffer").

#include <memory>
#include <string>
#include <vector>

#include "core/math_types.h"
#include "core/types.h"

namespace gfx {
class Device;
class Effect;
class IndexBuffer;
class Texture;
class VertexBuffer;
} // namespace gfx

// A sphere around the z axis, as the classic sphere helper builds it: a pole at +z, then
// stacks − 1 rings of slices vertices going towards −z, then the pole at −z; a fan at
// each pole and two triangles for every quad between rings.
struct SphereGeometry {
    std::vector<Float3> positions;
    std::vector<Float3> normals;
    std::vector<u32> indices;
};
SphereGeometry BuildSphere(float radius, u32 slices, u32 stacks);

class Sky {
  public:
    static constexpr float kRadius = 5000.0f;
    static constexpr u32 kSlices = 8;
    static constexpr u32 kStacks = 8;
    static constexpr const char* kForwardEffect = "graphics/shaders/sky.fx";
    static constexpr const char* kDeferredEffect = "graphics/shaders/sky2.fx";
    static constexpr const char* kDeferredTechnique = "SkyTechDeferred";
    static constexpr const char* kDepthTechnique = "SkyDepthBuffer";

    // The sphere, the cube map and both effects. An effect that does not compile is
    // reported through report (its text) and the sky goes on without that path.
    // shaderPackage null: the game's shaders package.
    using Report = void (*)(const std::string& text);
    static std::unique_ptr<Sky> Create(gfx::Device& device, std::unique_ptr<gfx::Texture> cube,
                                       Report report, const char* shaderPackage = nullptr);
    ~Sky();
    Sky(const Sky&) = delete;
    Sky& operator=(const Sky&) = delete;

    // world = translation(eye), so the sphere moves with the camera and is never reached.
    void Render(const Float4x4& viewProjection, const Float3& eye);
    void RenderDeferred(const Float4x4& viewProjection, const Float3& eye,
                        const std::string& technique, float multiplier);

    gfx::Texture* EnvironmentMap() const { return m_cube.get(); }
    u32 TriangleCount() const { return m_triangles; }

  private:
    explicit Sky(gfx::Device& device);
    void DrawSphere();

    gfx::Device& m_device;
    std::unique_ptr<gfx::VertexBuffer> m_vertices;
    std::unique_ptr<gfx::IndexBuffer> m_indices;
    u32 m_triangles = 0;
    std::unique_ptr<gfx::Texture> m_cube;
    std::unique_ptr<gfx::Effect> m_forward;
    std::unique_ptr<gfx::Effect> m_deferred;
};
