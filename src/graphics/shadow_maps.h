#pragma once
// Cascaded shadow maps of the sun. The camera's fitted depth range is cut into N splits
// (2 to 4); each split gets a square R32F tile rendered from the sun through a crop matrix
// that fits the split, and a texture matrix that takes a world position to the tile's own
// texture coordinates (0 to 1) and depth. The lighting passes compare a pixel's depth in the
// sun's split space with the stored one, with a small bias (there is no hardware compare).
//
// The tiles share one texture, the atlas, two tiles wide: split i sits at column i & 1, row
// i >> 1 (AtlasTile). A lighting pass picks the split, then fetches one texel of the one
// texture; reading three textures behind a branch cost the software rasterizer all three
// reads at every pixel. Outside its tile a split reads as lit, as a bordered map did.
//
// The texture scale-bias uses an offset of exactly 0.5: unlike D3D9, GL samples texel
// centres at half-texel coordinates already, so no half-texel shift is added.
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "core/bounds.h"
#include "core/math_types.h"
#include "core/types.h"
#include "graphics/render_camera.h"

namespace gfx {
class Device;
class Effect;
class Texture;
struct Viewport;
} // namespace gfx

class GraphicComponent;
class Light;

class RenderTargetDesc;
class WorkerPool;

namespace shadow {

inline constexpr u32 kMaxSplits = 4;
inline constexpr float kSplitBlend = 0.5f;
// The split boxes are built with a fixed 45 degree field of view and the 16:10 aspect.
inline constexpr float kSplitHalfAngle = 0.39269909f;
inline constexpr float kSplitAspect = 1.6f;
inline constexpr const char* kEffectFile = "graphics/shaders/shadowMapping.fx";
inline constexpr const char* kTechnique = "BuildShadowMapTech";

// split[0] = n, split[count] = f, between them the blend of the uniform and the
// logarithmic split of [n, f].
std::array<float, kMaxSplits + 1> ComputeSplits(float nearDistance, float farDistance, u32 count,
                                                float blend = kSplitBlend);

// The frustum box of the camera between two distances, with the split field of view.
FrustumBox BuildSplitBox(const RenderCamera& camera, float nearDistance, float farDistance);

// What the split culling looks at of one component.
struct CasterState {
    bool definitionCastsShadow = false;
    bool castShadow = false;
    bool excluded = false;
    bool spawning = false;
    bool park = false;
    bool noShadowSet = false;
    float distanceSquared = 0.0f;
};
CasterState CasterStateOf(const GraphicComponent& component, const Float3& eye);
// Whether the component may be drawn into a split at all (the box test comes on top). In
// the level editor, spawning and excluded components whose definition casts a shadow are
// kept too, so the editor sees where a spawned object's shadow will fall.
bool MayCastIntoSplit(const CasterState& state, float fogRange, bool levelEditor);
// Whether RenderSplit draws a component that passed the split culling.
bool DrawnIntoSplit(const CasterState& state, bool levelEditor);

// The crop matrix that maps the split box's bounds, seen through the sun's view and
// projection, onto the whole map; nullopt when the bounds are flat on an axis.
std::optional<Float4x4> ComputeCropMatrix(const Float4x4& sunViewProjection, const BoxRecord& box);
// Clip space to texture coordinates (v down) with the depth kept.
Float4x4 ScaleBiasMatrix();

// The atlas of count tiles of side texels: two tiles wide, as many rows as it takes.
struct AtlasExtent {
    u32 width;
    u32 height;
};
AtlasExtent AtlasSize(u32 side, u32 count);
// The texel rectangle of split i in the atlas (rows counted from the top, as the texture
// coordinates' v is).
gfx::Viewport AtlasTile(u32 split, u32 side);

} // namespace shadow

class ShadowMaps {
  public:
    // size: the maps' side in texels; count: the split count (clamped to 2..4).
    ShadowMaps(gfx::Device* device, float size, u32 count);
    ~ShadowMaps();
    ShadowMaps(const ShadowMaps&) = delete;
    ShadowMaps& operator=(const ShadowMaps&) = delete;

    // The split records and the effect; false when the effect could not be loaded.
    bool Create();
    void OnLostDevice();
    void OnResetDevice();

    // From the camera's near and far of the previous frame.
    void ComputeSplits(float nearDistance, float farDistance);
    // Sets each component's visible-in-split bytes, on the pool. A caster counts for a split
    // when its box, swept along the sun's direction, meets the split: a building outside
    // the split still throws its shadow onto the ground inside it.
    void CullSplits(const RenderCamera& camera, const Float3& sunDirection,
                    const std::vector<GraphicComponent*>& all, float fogRange, bool levelEditor,
                    WorkerPool& pool);
    // Renders every split that has casters; an empty or flat split keeps its map and matrix.
    void Render(const Light& sun, const RenderCamera& camera,
                const std::vector<GraphicComponent*>& all, bool levelEditor);

    // For tests and the lighting: updates matrix i as Render does, without drawing.
    bool UpdateSplitMatrix(u32 split, const Light& sun, const BoxRecord& box);

    u32 Count() const { return m_count; }
    float Size() const { return m_size; }
    const std::array<float, shadow::kMaxSplits + 1>& Splits() const { return m_splits; }
    // The split planes the lighting compares view depth with: split[1] .. split[N].
    const float* SplitPlanes() const { return m_splits.data() + 1; }
    const Float4x4* TextureMatrices() const { return m_texture_matrices.data(); }
    // The atlas holding every split's tile.
    gfx::Texture* Atlas() const;
    // True once every split has been rendered at least once.
    bool Ready() const;

  private:
    void RenderSplit(u32 split, const Float4x4& viewProjection,
                     const std::vector<GraphicComponent*>& casters, bool levelEditor);

    gfx::Device* m_device;
    float m_size;
    u32 m_count;
    std::unique_ptr<RenderTargetDesc> m_atlas;
    std::unique_ptr<gfx::Effect> m_effect;
    std::array<float, shadow::kMaxSplits + 1> m_splits{};
    std::array<Float4x4, shadow::kMaxSplits> m_texture_matrices{};
    std::array<bool, shadow::kMaxSplits> m_rendered{};
    std::vector<GraphicComponent*> m_casters;
};
