#include "graphics/sprite_batch.h"

#include <algorithm>

#include "graphics/render_state_cache.h"
#include "platform/gfx/device.h"
#include "platform/gfx/texture.h"

namespace {

struct SpriteVertex {
    float x, y, z;
    u32 colour;
    float u, v;
};
static_assert(sizeof(SpriteVertex) == 24);

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// States Begin changes, given back by End.
constexpr u32 kSpriteStates[] = {
    gfx::kRsZEnable,         gfx::kRsZWriteEnable, gfx::kRsAlphaBlendEnable,
    gfx::kRsSrcBlend,        gfx::kRsDestBlend,    gfx::kRsCullMode,
    gfx::kRsAlphaTestEnable, gfx::kRsLighting,     gfx::kRsFillMode};

} // namespace

void SpriteBatch::Begin(u32 flags) {
    m_begun = true;
    if (m_device == nullptr) {
        return;
    }
    gfx::Device& device = *m_device;
    m_saved.clear();
    for (u32 state : kSpriteStates) {
        m_saved.push_back({state, RenderStateCache::Get(device, state)});
    }
    RenderStateCache::Set(device, gfx::kRsZEnable, 0);
    RenderStateCache::Set(device, gfx::kRsZWriteEnable, 0);
    RenderStateCache::Set(device, gfx::kRsAlphaBlendEnable, (flags & kAlphaBlend) != 0 ? 1 : 0);
    RenderStateCache::Set(device, gfx::kRsSrcBlend, gfx::kBlendSrcAlpha);
    RenderStateCache::Set(device, gfx::kRsDestBlend, gfx::kBlendInvSrcAlpha);
    RenderStateCache::Set(device, gfx::kRsCullMode, gfx::kCullNone);
    RenderStateCache::Set(device, gfx::kRsAlphaTestEnable, 0);
    RenderStateCache::Set(device, gfx::kRsLighting, 0);
    RenderStateCache::Set(device, gfx::kRsFillMode, gfx::kFillSolid);
    RenderStateCache::SetSampler(device, 0, gfx::kSampMinFilter, gfx::kFilterLinear);
    RenderStateCache::SetSampler(device, 0, gfx::kSampMagFilter, gfx::kFilterLinear);
    RenderStateCache::SetSampler(device, 0, gfx::kSampMipFilter, gfx::kFilterNone);
    RenderStateCache::SetSampler(device, 0, gfx::kSampAddressU, gfx::kAddressClamp);
    RenderStateCache::SetSampler(device, 0, gfx::kSampAddressV, gfx::kAddressClamp);

    // Pixels of the bound target to the device's clip space: x right, y down, z 0.
    const gfx::Viewport& viewport = device.GetViewport();
    const float w = static_cast<float>(std::max(viewport.width, 1));
    const float h = static_cast<float>(std::max(viewport.height, 1));
    const float projection[16] = {2.0f / w, 0, 0, 0, 0,     -2.0f / h, 0, 0,
                                  0,        0, 1, 0, -1.0f, 1,         0, 1};
    device.SetProgram(0);
    device.SetVertexLayout(gfx::VertexLayout::ColourTexture);
    device.SetTransform(gfx::TransformKind::View, kIdentity);
    device.SetTransform(gfx::TransformKind::Projection, projection);
    device.SetTransform(gfx::TransformKind::World, m_transform);
}

void SpriteBatch::SetTransform(const float matrix[16]) {
    std::copy(matrix, matrix + 16, m_transform);
    if (m_device != nullptr && m_begun) {
        m_device->SetTransform(gfx::TransformKind::World, m_transform);
    }
}

void SpriteBatch::Draw(gfx::Texture* texture, const SpriteRect& source, u32 argb) {
    if (m_device == nullptr || !m_begun) {
        return;
    }
    const float w = static_cast<float>(source.right - source.left);
    const float h = static_cast<float>(source.bottom - source.top);
    float u0 = 0.0f, v0 = 0.0f, u1 = 1.0f, v1 = 1.0f;
    if (texture != nullptr && texture->Width() > 0 && texture->Height() > 0) {
        const float tw = static_cast<float>(texture->Width());
        const float th = static_cast<float>(texture->Height());
        u0 = static_cast<float>(source.left) / tw;
        u1 = static_cast<float>(source.right) / tw;
        v0 = static_cast<float>(source.top) / th;
        v1 = static_cast<float>(source.bottom) / th;
    }
    const SpriteVertex quad[4] = {{0.0f, 0.0f, 0.0f, argb, u0, v0},
                                  {w, 0.0f, 0.0f, argb, u1, v0},
                                  {0.0f, h, 0.0f, argb, u0, v1},
                                  {w, h, 0.0f, argb, u1, v1}};
    m_device->SetVertexLayout(gfx::VertexLayout::ColourTexture);
    m_device->SetTexture(0, texture);
    m_device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, quad, sizeof(SpriteVertex));
}

void SpriteBatch::End() {
    if (m_device != nullptr && m_begun) {
        for (const SavedState& saved : m_saved) {
            RenderStateCache::Set(*m_device, saved.state, saved.value);
        }
        m_device->SetTransform(gfx::TransformKind::World, kIdentity);
    }
    m_saved.clear();
    m_begun = false;
}

void DrawSpriteList(SpriteBatch& batch, std::vector<SpriteComponent*>& sprites) {
    for (SpriteComponent* sprite : sprites) {
        sprite->Update(0.0f);
    }
    std::stable_sort(
        sprites.begin(), sprites.end(),
        [](const SpriteComponent* a, const SpriteComponent* b) { return a->depth > b->depth; });
    DrawSpritesInOrder(batch, sprites);
}
