// Drawing the live particle systems: back to front, each system's quads in one draw through
// its effect, with the effect and texture switched only when they change.
#include <algorithm>
#include <cmath>
#include <string>

#include "graphics/graphics_process.h"
#include "graphics/particle_system_cpu.h"
#include "graphics/particle_system_manager.h"
#include "graphics/render_settings.h"
#include "graphics/render_state_cache.h"
#include "platform/gfx/device.h"
#include "platform/gfx/effect.h"

namespace {

void Multiply(const float* a, const float* b, float* out) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a[r * 4 + k] * b[k * 4 + c];
            }
            out[r * 4 + c] = sum;
        }
    }
}

f32 DistanceSquared(const Vector& p, const f32* eye) {
    const f32 dx = p.x - eye[0];
    const f32 dy = p.y - eye[1];
    const f32 dz = p.z - eye[2];
    return dx * dx + dy * dy + dz * dz;
}

} // namespace

f32 ParticleSystemManager::SortKey(const ParticleSystemCPU& system, const f32* eye) {
    return DistanceSquared(system.position, eye) + system.settings.zOrder;
}

void ParticleSystemManager::SortBackToFront(const f32* eye) {
    m_systems.sort([eye](const ParticleSystemCPU* a, const ParticleSystemCPU* b) {
        return SortKey(*a, eye) > SortKey(*b, eye);
    });
}

void ParticleSystemManager::Render(GraphicsProcess& graphics, const f32* eye, const f32* view,
                                   const f32* projection) {
    gfx::Device* device = graphics.GetDevice();
    m_drawn_particles = 0;
    if (device == nullptr) {
        return;
    }
    SortBackToFront(eye);
    float viewProjection[16];
    Multiply(view, projection, viewProjection);
    const u32 savedCull = RenderStateCache::Get(*device, gfx::kRsCullMode);
    const f32 fogRange = g_render_settings.fogRange;

    gfx::Effect* bound = nullptr;
    gfx::Texture* boundTexture = nullptr;
    for (ParticleSystemCPU* system : m_systems) {
        if (system->active == 0 || system->invisible != 0 || system->vertices.empty()) {
            continue;
        }
        const ParticleSettings& s = system->settings;
        RenderStateCache::Set(*device, gfx::kRsCullMode,
                              s.noBillboarding != 0 ? gfx::kCullNone : gfx::kCullCw);
        m_drawn_particles += static_cast<u32>(system->particles.size());
        std::string effectName = s.effectName;
        if (s.renderInFog != 0 && std::sqrt(DistanceSquared(system->position, eye)) >= fogRange) {
            effectName = kObjectiveLightEffect;
        }
        gfx::Effect* effect = graphics.GetParticleEffect(effectName);
        gfx::Texture* texture = graphics.GetTexture(s.textureName);
        if (effect != bound) {
            if (bound != nullptr) {
                bound->EndPass();
                bound->End();
            }
            bound = effect;
            if (bound != nullptr) {
                u32 passes = 0;
                bound->Begin(&passes);
                bound->BeginPass(0);
            }
            boundTexture = nullptr;
        }
        if (bound == nullptr) {
            continue;
        }
        if (texture != boundTexture) {
            boundTexture = texture;
            device->SetTexture(0, texture);
        }
        const float windowSize[2] = {static_cast<float>(device->BackBufferWidth()),
                                     static_cast<float>(device->BackBufferHeight())};
        bound->SetMatrix("gWVP", viewProjection);
        bound->SetFloatArray("gEyePosW", eye, 3);
        bound->SetFloatArray("window_dimensions", windowSize, 2);
        bound->CommitChanges();
        device->SetVertexLayout(gfx::VertexLayout::ColourTexture);
        device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList,
                                static_cast<u32>(system->particles.size()) * 2,
                                system->vertices.data(), sizeof(ParticleVertex));
    }
    if (bound != nullptr) {
        bound->EndPass();
        bound->End();
    }
    RenderStateCache::Set(*device, gfx::kRsCullMode, savedCull);
}
