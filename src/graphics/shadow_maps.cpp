#include "graphics/shadow_maps.h"

#include <algorithm>
#include <cmath>

#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/worker_pool.h"
#include "graphics/effect_loader.h"
#include "graphics/graphic_component.h"
#include "graphics/light.h"
#include "graphics/render_state_cache.h"
#include "graphics/render_target_desc.h"
#include "platform/gfx/device.h"
#include "platform/gfx/effect.h"
#include "platform/gfx/mesh.h"
#include "platform/gfx/render_states.h"

namespace shadow {

std::array<float, kMaxSplits + 1> ComputeSplits(float nearDistance, float farDistance, u32 count,
                                                float blend) {
    std::array<float, kMaxSplits + 1> splits{};
    count = std::clamp<u32>(count, 1, kMaxSplits);
    const float n = nearDistance;
    const float f = farDistance;
    for (u32 i = 0; i < count; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(count);
        splits[i] = (1.0f - blend) * (n + (f - n) * t) + blend * n * std::pow(f / n, t);
    }
    splits[0] = n;
    splits[count] = f;
    return splits;
}

FrustumBox BuildSplitBox(const RenderCamera& camera, float nearDistance, float farDistance) {
    RenderCamera split = camera;
    split.m_fov = kSplitHalfAngle * 2.0f;
    split.m_aspect = kSplitAspect;
    return split.BuildFrustumBox(nearDistance, farDistance);
}

CasterState CasterStateOf(const GraphicComponent& c, const Float3& eye) {
    CasterState s;
    s.definitionCastsShadow = c.GetDefinitionFlag1() != 0;
    s.castShadow = c.m_cast_shadow != 0;
    s.excluded = c.m_excluded != 0;
    s.spawning = c.m_spawning != 0;
    s.park = c.m_park != 0;
    s.noShadowSet = c.m_no_shadow_set != 0;
    if (c.owner != nullptr) {
        const Vector& p = c.owner->position;
        const float dx = p.x - eye.x;
        const float dy = p.y - eye.y;
        const float dz = p.z - eye.z;
        s.distanceSquared = dx * dx + dy * dy + dz * dz;
    }
    return s;
}

bool MayCastIntoSplit(const CasterState& s, float fogRange, bool levelEditor) {
    if (!s.definitionCastsShadow || s.park || s.noShadowSet ||
        s.distanceSquared > fogRange * fogRange) {
        return false;
    }
    if (levelEditor && (s.spawning || s.excluded)) {
        return true;
    }
    return s.castShadow && !s.excluded && !s.spawning;
}

bool DrawnIntoSplit(const CasterState& s, bool levelEditor) {
    return s.castShadow || (levelEditor && (s.spawning || s.excluded) && s.definitionCastsShadow);
}

std::optional<Float4x4> ComputeCropMatrix(const Float4x4& sunViewProjection, const BoxRecord& box) {
    Float3 points[8];
    for (u32 i = 0; i < 8; ++i) {
        const Float4 p = Math::Vec3Transform(box.corners[i], sunViewProjection);
        const float w = p.w != 0.0f ? p.w : 1.0f;
        points[i] = {p.x / w, p.y / w, p.z / w};
    }
    BoxRecord bounds;
    BoundingBox::FromPoints(bounds, points, sizeof(Float3));
    bounds.min.z = 0.0f;
    const float dx = bounds.max.x - bounds.min.x;
    const float dy = bounds.max.y - bounds.min.y;
    const float dz = bounds.max.z - bounds.min.z;
    if (!(dx > 0.0f) || !(dy > 0.0f) || !(dz > 0.0f)) {
        return std::nullopt;
    }
    const float sx = 2.0f / dx;
    const float sy = 2.0f / dy;
    const float sz = 1.0f / dz;
    Float4x4 crop = Math::MatrixIdentity();
    crop(0, 0) = sx;
    crop(1, 1) = sy;
    crop(2, 2) = sz;
    crop(3, 0) = -0.5f * sx * (bounds.min.x + bounds.max.x);
    crop(3, 1) = -0.5f * sy * (bounds.min.y + bounds.max.y);
    crop(3, 2) = -sz * bounds.min.z;
    return crop;
}

Float4x4 ScaleBiasMatrix() {
    Float4x4 m = Math::MatrixIdentity();
    m(0, 0) = 0.5f;
    m(1, 1) = -0.5f;
    m(3, 0) = 0.5f;
    m(3, 1) = 0.5f;
    return m;
}

AtlasExtent AtlasSize(u32 side, u32 count) {
    return {side * 2, side * ((count + 1) / 2)};
}

gfx::Viewport AtlasTile(u32 split, u32 side) {
    gfx::Viewport tile;
    tile.x = static_cast<i32>((split & 1) * side);
    tile.y = static_cast<i32>((split >> 1) * side);
    tile.width = static_cast<i32>(side);
    tile.height = static_cast<i32>(side);
    return tile;
}

} // namespace shadow

ShadowMaps::ShadowMaps(gfx::Device* device, float size, u32 count)
    : m_device(device), m_size(size), m_count(std::clamp<u32>(count, 2, shadow::kMaxSplits)) {
    for (Float4x4& m : m_texture_matrices) {
        m = Math::MatrixIdentity();
    }
}

ShadowMaps::~ShadowMaps() = default;

bool ShadowMaps::Create() {
    const u32 side = static_cast<u32>(std::lround(m_size));
    const shadow::AtlasExtent extent = shadow::AtlasSize(side, m_count);
    m_atlas = std::make_unique<RenderTargetDesc>(m_device, extent.width, extent.height, 0,
                                                 gfx::Format::R32F, 1, gfx::Format::D24S8,
                                                 shadow::AtlasTile(0, side), true);
    m_atlas->Create();
    m_effect = LoadRequiredEffect(m_device, shadow::kEffectFile);
    if (m_effect == nullptr) {
        return false;
    }
    m_effect->SetTechnique(shadow::kTechnique);
    return true;
}

void ShadowMaps::OnLostDevice() {
    if (m_atlas != nullptr) {
        m_atlas->Release();
    }
    m_rendered.fill(false);
}

void ShadowMaps::OnResetDevice() {
    if (m_atlas != nullptr) {
        m_atlas->Create();
    }
}

void ShadowMaps::ComputeSplits(float nearDistance, float farDistance) {
    m_splits = shadow::ComputeSplits(nearDistance, farDistance, m_count);
}

void ShadowMaps::CullSplits(const RenderCamera& camera, const Float3& sunDirection,
                            const std::vector<GraphicComponent*>& all, float fogRange,
                            bool levelEditor, WorkerPool& pool) {
    std::array<FrustumBox, shadow::kMaxSplits> boxes;
    for (u32 i = 0; i < m_count; ++i) {
        boxes[i] = shadow::BuildSplitBox(camera, m_splits[i], m_splits[i + 1]);
    }
    const Float3 eye = camera.m_eye;
    const Vector sweep(sunDirection.x, sunDirection.y, sunDirection.z);
    const u32 count = m_count;
    pool.Run(all.size(), [&](std::size_t begin, std::size_t end, u32) {
        for (std::size_t k = begin; k < end; ++k) {
            GraphicComponent& c = *all[k];
            const bool may =
                shadow::MayCastIntoSplit(shadow::CasterStateOf(c, eye), fogRange, levelEditor);
            for (u32 i = 0; i < count; ++i) {
                // Slot 0 of the face memory is the camera's; splits use the slots after it.
                const bool in = may && Math::BoxInFrustum(&boxes[i].corners[0].x, sweep, i + 1,
                                                          c.GetWorldBox(), c.m_frustum_memory);
                c.SetVisibleInSplit(i, in ? 1 : 0);
            }
        }
    });
}

bool ShadowMaps::UpdateSplitMatrix(u32 split, const Light& sun, const BoxRecord& box) {
    const Float4x4 sunViewProjection = sun.m_shadow_view * sun.m_shadow_projection;
    const std::optional<Float4x4> crop = shadow::ComputeCropMatrix(sunViewProjection, box);
    if (!crop || split >= m_count) {
        return false;
    }
    m_texture_matrices[split] = sunViewProjection * *crop * shadow::ScaleBiasMatrix();
    return true;
}

void ShadowMaps::Render(const Light& sun, const RenderCamera& camera,
                        const std::vector<GraphicComponent*>& all, bool levelEditor) {
    if (m_device == nullptr || m_effect == nullptr) {
        return;
    }
    // The casters draw with clockwise culling; the passes after them expect the cull mode
    // they had, so it goes back when the maps are done.
    const u32 cullMode = RenderStateCache::Get(*m_device, gfx::kRsCullMode);
    RenderStateCache::Set(*m_device, gfx::kRsCullMode, gfx::kCullCw);
    RenderStateCache::Set(*m_device, gfx::kRsStencilEnable, 1);
    const Float4x4 sunViewProjection = sun.m_shadow_view * sun.m_shadow_projection;
    for (u32 i = 0; i < m_count; ++i) {
        const FrustumBox box = shadow::BuildSplitBox(camera, m_splits[i], m_splits[i + 1]);
        m_casters.clear();
        for (GraphicComponent* c : all) {
            if (c->GetVisibleInSplit(i) != 0) {
                m_casters.push_back(c);
            }
        }
        if (m_casters.empty()) {
            continue;
        }
        const std::optional<Float4x4> crop = shadow::ComputeCropMatrix(sunViewProjection, box.box);
        if (!crop) {
            continue;
        }
        const Float4x4 viewProjection = sunViewProjection * *crop;
        m_texture_matrices[i] = viewProjection * shadow::ScaleBiasMatrix();
        RenderSplit(i, viewProjection, m_casters, levelEditor);
        m_rendered[i] = true;
    }
    RenderStateCache::Set(*m_device, gfx::kRsStencilEnable, 0);
    RenderStateCache::Set(*m_device, gfx::kRsCullMode, cullMode);
}

void ShadowMaps::RenderSplit(u32 split, const Float4x4& viewProjection,
                             const std::vector<GraphicComponent*>& casters, bool levelEditor) {
    RenderTargetDesc& target = *m_atlas;
    // Only the split's own tile is cleared and drawn: a split skipped this frame keeps its
    // tile.
    target.SetViewport(shadow::AtlasTile(split, static_cast<u32>(std::lround(m_size))));
    BeginOffscreenTarget(*m_device, target);
    m_effect->SetMatrix("view_proj", viewProjection.m);
    u32 passes = 0;
    if (m_effect->Begin(&passes, 0)) {
        m_effect->BeginPass(0);
        const Float3 eye{};
        for (GraphicComponent* c : casters) {
            if (!shadow::DrawnIntoSplit(shadow::CasterStateOf(*c, eye), levelEditor)) {
                continue;
            }
            if (!c->IsAnimated()) {
                gfx::Mesh* mesh = c->GetMesh();
                if (mesh == nullptr) {
                    continue;
                }
                m_effect->SetMatrix("world", c->GetShadowWorldMatrix().m);
                m_effect->CommitChanges();
                for (u32 s = 0; s < c->GetSubsetCount(); ++s) {
                    mesh->DrawSubset(*m_device, s);
                }
            } else if (c->HasSkinnedContainers()) {
                const Float4x4 world = c->GetCentreOffsetMatrix() * c->GetShadowWorldMatrix();
                m_effect->SetMatrix("world", world.m);
                m_effect->CommitChanges();
                c->DrawSubsetsPlain(*m_device);
            } else {
                GraphicDrawPass pass;
                pass.effect = m_effect.get();
                pass.device = m_device;
                pass.depthOnly = true;
                c->DrawFrameShadow(c->GetRootFrame(), pass);
            }
        }
        m_effect->EndPass();
        m_effect->End();
    }
    RestoreBackBuffer(*m_device, target);
}

gfx::Texture* ShadowMaps::Atlas() const {
    return m_atlas != nullptr ? m_atlas->Texture() : nullptr;
}

bool ShadowMaps::Ready() const {
    if (Atlas() == nullptr) {
        return false;
    }
    for (u32 i = 0; i < m_count; ++i) {
        if (!m_rendered[i]) {
            return false;
        }
    }
    return true;
}
