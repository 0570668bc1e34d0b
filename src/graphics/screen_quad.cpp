#include "graphics/screen_quad.h"

#include "graphics/render_state_cache.h"
#include "platform/gfx/device.h"

namespace {

struct ScreenVertex {
    float x, y, z, rhw, u, v;
};

} // namespace

void DrawScreenQuad(gfx::Device& device) {
    const gfx::Surface* target = device.GetRenderTarget(0);
    const float w =
        static_cast<float>(target != nullptr ? target->Width() : device.BackBufferWidth());
    const float h =
        static_cast<float>(target != nullptr ? target->Height() : device.BackBufferHeight());
    const ScreenVertex quad[4] = {{-0.5f, -0.5f, 0.0f, 1.0f, 0.0f, 0.0f},
                                  {w - 0.5f, -0.5f, 0.0f, 1.0f, 1.0f, 0.0f},
                                  {-0.5f, h - 0.5f, 0.0f, 1.0f, 0.0f, 1.0f},
                                  {w - 0.5f, h - 0.5f, 0.0f, 1.0f, 1.0f, 1.0f}};
    device.SetVertexLayout(gfx::VertexLayout::ScreenTexture);
    device.DrawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, quad, sizeof(ScreenVertex));
}

void DrawScreenQuadLinear(gfx::Device& device) {
    RenderStateCache::SetSampler(device, 0, gfx::kSampMinFilter, gfx::kFilterLinear);
    RenderStateCache::SetSampler(device, 0, gfx::kSampMagFilter, gfx::kFilterLinear);
    DrawScreenQuad(device);
}
