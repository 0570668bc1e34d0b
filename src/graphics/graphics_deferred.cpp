// The sun's shadow maps in both paths, and the deferred path: the G-buffer, the lighting
// passes into the light target and the light image onto the back buffer.

#include <algorithm>

#include "core/game_object.h"
#include "core/math_functions.h"
#include "graphics/gbuffer.h"
#include "graphics/graphic_component.h"
#include "graphics/graphics_process.h"
#include "graphics/key_state.h"
#include "graphics/object_effects.h"
#include "graphics/render_settings.h"
#include "graphics/render_state_cache.h"
#include "graphics/screen_quad.h"
#include "graphics/shadow_maps.h"
#include "graphics/start_error.h"
#include "platform/gfx/device.h"
#include "platform/gfx/effect.h"
#include "platform/gfx/render_states.h"
#include "platform/gfx/texture.h"
#include "platform/input/keys.h"

namespace {

using key_state::Pressed;

// Draws the list with the effect's first pass under the given view and projection; drawOne
// sets an object's own values and draws it.
template <class DrawOne>
void DrawListInFirstPass(gfx::Effect& effect, gfx::Device* device, const Float4x4& viewProjection,
                         const std::vector<GraphicComponent*>& list, DrawOne drawOne) {
    u32 passes = 0;
    if (!effect.Begin(&passes, 0)) {
        return;
    }
    effect.BeginPass(0);
    GraphicDrawPass pass;
    pass.effect = &effect;
    pass.device = device;
    pass.viewProjection = viewProjection;
    for (GraphicComponent* c : list) {
        drawOne(*c, pass);
    }
    effect.EndPass();
    effect.End();
}

// The device stage the shadow atlas is bound to in both paths' lighting effects.
constexpr u32 kShadowStage = 0;

// The sampler states the shadow stage changes, in the order they are kept.
constexpr u32 kShadowSamplerStates[6] = {gfx::kSampMinFilter, gfx::kSampMagFilter,
                                         gfx::kSampMipFilter, gfx::kSampAddressU,
                                         gfx::kSampAddressV,  gfx::kSampBorderColor};

void SetShadowSampler(gfx::Device& device, u32 stage, gfx::Texture* map) {
    device.SetTexture(stage, map);
    RenderStateCache::SetSampler(device, stage, gfx::kSampMinFilter, gfx::kFilterPoint);
    RenderStateCache::SetSampler(device, stage, gfx::kSampMagFilter, gfx::kFilterPoint);
    RenderStateCache::SetSampler(device, stage, gfx::kSampMipFilter, gfx::kFilterNone);
    RenderStateCache::SetSampler(device, stage, gfx::kSampAddressU, gfx::kAddressBorder);
    RenderStateCache::SetSampler(device, stage, gfx::kSampAddressV, gfx::kAddressBorder);
    RenderStateCache::SetSampler(device, stage, gfx::kSampBorderColor, 0xFFFFFFFFu);
}

struct ScreenVertex {
    float x, y, z, rhw, u, v;
};

} // namespace

void GraphicsProcess::CreateDeferredResources() {
    if (m_device == nullptr) {
        return;
    }
    m_shadow_maps =
        std::make_unique<ShadowMaps>(m_device.get(), g_shadow_map_size, g_shadow_split_count);
    m_shadow_maps->Create();
    m_gbuffer = std::make_unique<GBuffer>(m_device.get(), m_shadow_maps->Count());
    if (!m_gbuffer->CreateTargets(g_render_settings.normalDeferredShaderQuality != 0)) {
        ShowGraphicsStartError();
        return;
    }
    m_gbuffer->LoadLightingEffect(kArtPackage);
}

bool GraphicsProcess::DeferredReady() const {
    return m_gbuffer != nullptr && m_gbuffer->Ready();
}

void GraphicsProcess::RenderShadowMaps() {
    Light* sun = m_lights.MainLight();
    if (m_shadow_maps == nullptr || sun == nullptr) {
        return;
    }
    m_shadow_maps->Render(*sun, m_render_camera, m_graphic_components, m_level_editor_present != 0);
    m_shadow_maps_ready = m_shadow_maps->Ready();
}

void GraphicsProcess::SaveShadowSamplers() {
    if (m_shadow_maps == nullptr || m_device == nullptr) {
        return;
    }
    for (u32 k = 0; k < 6; ++k) {
        m_saved_shadow_samplers[k] =
            RenderStateCache::GetSampler(*m_device, kShadowStage, kShadowSamplerStates[k]);
    }
}

void GraphicsProcess::RestoreShadowSamplers() {
    if (m_shadow_maps == nullptr || m_device == nullptr) {
        return;
    }
    m_device->SetTexture(kShadowStage, nullptr);
    for (u32 k = 0; k < 6; ++k) {
        RenderStateCache::SetSampler(*m_device, kShadowStage, kShadowSamplerStates[k],
                                     m_saved_shadow_samplers[k]);
    }
}

void GraphicsProcess::BindShadowMapsForward(gfx::Effect& effect) {
    if (m_shadow_maps == nullptr) {
        return;
    }
    const u32 count = m_shadow_maps->Count();
    effect.SetFloatArray("g_splitplane", m_shadow_maps->SplitPlanes(), count);
    effect.SetMatrixArray("g_texturematrix", m_shadow_maps->TextureMatrices()[0].m, count);
    SetShadowSampler(*m_device, kShadowStage, m_shadow_maps->Atlas());
}

void GraphicsProcess::BindGBuffer() {
    if (m_gbuffer == nullptr) {
        return;
    }
    m_gbuffer->Bind();
    m_device->Clear(gfx::kClearTarget | gfx::kClearZBuffer | gfx::kClearStencil, 0x00000000u, 1.0f,
                    0);
}

void GraphicsProcess::RenderShadowedLight(float dt) {
    gfx::Effect* effect = m_gbuffer != nullptr ? m_gbuffer->LightingEffect() : nullptr;
    if (effect == nullptr) {
        return;
    }
    if (m_shadow_maps != nullptr) {
        const u32 count = m_shadow_maps->Count();
        effect->SetMatrixArray("g_texturematrix", m_shadow_maps->TextureMatrices()[0].m, count);
        effect->SetFloatArray("g_splitplane", m_shadow_maps->SplitPlanes(), count);
    }
    effect->SetMatrix("gView", m_render_camera.m_view.m);
    const RenderSettings& settings = g_render_settings;
    RenderGlobalIllumination(dt, settings.shadows != 0 && m_shadow_maps_ready,
                             settings.lightMultiplier);
}

void GraphicsProcess::RenderGlobalIllumination(float dt, bool shadows, float multiplier) {
    gfx::Effect& effect = *m_gbuffer->LightingEffect();
    const Light* sun = m_lights.MainLight();
    if (g_render_settings.sceneUpdate != 0 && sun != nullptr) {
        m_gbuffer->SetGlobalLightParameters(dt, m_render_camera.m_eye, *sun, shadows, multiplier,
                                            g_render_settings.fogRange);
    }
    effect.SetTechnique("GlobalIllumination");
    m_device->SetRenderTarget(1, nullptr);
    m_device->SetRenderTarget(0, m_gbuffer->LightTarget()->GetSurface());
    m_gbuffer->BindMaps(effect);
    SaveShadowSamplers();
    if (m_shadow_maps != nullptr) {
        SetShadowSampler(*m_device, kShadowStage, m_shadow_maps->Atlas());
    }
    u32 passes = 0;
    if (effect.Begin(&passes, 0)) {
        for (u32 p = 0; p < passes; ++p) {
            effect.BeginPass(p);
            DrawScreenQuad(*m_device);
            effect.EndPass();
        }
        effect.End();
    }
    RestoreShadowSamplers();
}

void GraphicsProcess::RenderFoggedObjects() {
    gfx::Effect* effect = Effects().Fogged();
    const Light* sun = m_lights.MainLight();
    if (m_no_shadow.empty() || effect == nullptr || sun == nullptr) {
        return;
    }
    effect->SetFloatArray("gAmbientLight", &sun->m_light.ambient.r, 4);
    effect->SetFloatArray("gEyePosW", &m_render_camera.m_eye.x, 3);
    effect->SetFloat("gFogRange", g_render_settings.fogRange);
    m_gbuffer->BindMaps(*effect);
    // The frame's fitted projection, so the depth test against the G-buffer's depth holds.
    const Float4x4 viewProjection = m_render_camera.m_view * m_render_camera.m_projection;
    DrawListInFirstPass(*effect, m_device.get(), viewProjection, m_no_shadow,
                        [&](GraphicComponent& c, const GraphicDrawPass& pass) {
                            Float4x4 world = *c.GetWorldMatrix();
                            if (c.IsAnimated()) {
                                world = c.GetCentreOffsetMatrix() * world;
                            }
                            effect->SetMatrix("gWVP", (world * viewProjection).m);
                            effect->SetMatrix("gWorld", world.m);
                            if (!c.IsAnimated()) {
                                c.DrawMeshSubsets(pass);
                            } else if (c.HasSkinnedContainers()) {
                                c.DrawSubsets(pass);
                            } else {
                                c.DrawFrame(c.GetRootFrame(), pass);
                            }
                        });
}

void GraphicsProcess::RenderSimpleObjects() {
    gfx::Effect* effect = Effects().Simple();
    const Light* sun = m_lights.MainLight();
    if (m_park.empty() || effect == nullptr || sun == nullptr) {
        return;
    }
    const LightRecord& light = sun->m_light;
    const Float3 toLight{-light.direction.x, -light.direction.y, -light.direction.z};
    effect->SetFloatArray("gLightVecW", &toLight.x, 3);
    effect->SetFloatArray("gDiffuseLight", &light.diffuse.r, 4);
    effect->SetFloatArray("gAmbientLight", &light.ambient.r, 4);
    effect->SetFloatArray("gLightPosW", &light.position.x, 3);
    effect->SetFloatArray("gEyePosW", &m_render_camera.m_eye.x, 3);
    effect->SetFloat("gFogRange", g_render_settings.fogRange);
    m_gbuffer->BindMaps(*effect);
    const Float4x4 viewProjection = m_render_camera.m_view * m_render_camera.m_projection;
    DrawListInFirstPass(
        *effect, m_device.get(), viewProjection, m_park,
        [&](GraphicComponent& c, const GraphicDrawPass& pass) {
            if (c.m_cast_shadow == 0 || c.m_excluded != 0) {
                return;
            }
            const Float4x4& world = *c.GetWorldMatrix();
            effect->SetMatrix("gWVP", (world * viewProjection).m);
            effect->SetMatrix("gWorld", world.m);
            const Float4x4 inverse = Math::MatrixInverse(world).value_or(Math::MatrixIdentity());
            effect->SetMatrix("gWorldInverseTranspose", Math::MatrixTranspose(inverse).m);
            c.DrawMeshSubsets(pass);
            m_faces_drawn += c.GetFaceCount();
            m_vertices_drawn += c.GetVertexCount();
        });
}

void GraphicsProcess::RenderLocalIllumination() {
    gfx::Effect* effect = m_gbuffer != nullptr ? m_gbuffer->LightingEffect() : nullptr;
    if (effect == nullptr) {
        return;
    }
    effect->SetTechnique("LocalIllumination");
    m_gbuffer->BindMaps(*effect);
    effect->SetFloatArray("gEyePosW", &m_render_camera.m_eye.x, 3);
    u32 passes = 0;
    if (!effect->Begin(&passes, 0)) {
        return;
    }
    // The spheres' far sides are tested against the G-buffer's depth (the pass's states), so
    // they go under the projection the scene was drawn with.
    const Float4x4 viewProjection = m_render_camera.m_view * m_render_camera.m_projection;
    const std::vector<Light*>& lights = m_lights.Lights();
    deferred::ForEachShiningVolume(
        lights, [&](const Light& light, const deferred::LightVolume& volume) {
            const Float4x4 world = deferred::VolumeWorld(volume);
            effect->SetValue("light", &light.m_light, sizeof(LightRecord));
            effect->SetMatrix("gWVP", (world * viewProjection).m);
            effect->SetMatrix("gWorld", world.m);
            effect->SetFloat("distance_mod", volume.distanceMod);
            effect->SetFloatArray("sphere_center", &volume.centre.x, 3);
            effect->SetFloat("sphere_radius", volume.radius);
            effect->SetFloat("volumetric_amount", light.m_volumetric_amount);
            effect->SetBool("always_visible", light.m_always_visible);
            effect->CommitChanges();
            for (u32 p = 0; p < passes; ++p) {
                effect->BeginPass(p);
                m_gbuffer->DrawSphere();
                effect->EndPass();
            }
        });
    effect->End();
    m_gbuffer->DrawLightVolumes(lights, m_render_camera.m_projection,
                                Pressed(m_graphics_input, input::key::I),
                                Pressed(m_graphics_input, input::key::J));
}

void GraphicsProcess::PresentLightTarget() {
    if (m_gbuffer == nullptr || m_gbuffer->LightTarget() == nullptr) {
        return;
    }
    gfx::Device& device = *m_device;
    RenderStateCache::Set(device, gfx::kRsAlphaBlendEnable, 0);
    RenderStateCache::Set(device, gfx::kRsAlphaTestEnable, 0);
    RenderStateCache::Set(device, gfx::kRsCullMode, gfx::kCullCcw);
    device.SetProgram(0);
    const i32 w = device.BackBufferWidth();
    const i32 h = device.BackBufferHeight();
    const deferred::PresentLayout layout = deferred::LayoutFor(w, h);
    if (layout.clearFirst) {
        device.Clear(gfx::kClearTarget | gfx::kClearZBuffer | gfx::kClearStencil, 0xFF000000u, 1.0f,
                     0);
    }
    const float right = static_cast<float>(w) - 0.5f;
    const ScreenVertex quad[4] = {{-0.5f, layout.top, 0.0f, 1.0f, 0.0f, 0.0f},
                                  {right, layout.top, 0.0f, 1.0f, 1.0f, 0.0f},
                                  {-0.5f, layout.bottom, 0.0f, 1.0f, 0.0f, 1.0f},
                                  {right, layout.bottom, 0.0f, 1.0f, 1.0f, 1.0f}};
    device.SetTexture(0, m_gbuffer->LightTarget());
    device.SetVertexLayout(gfx::VertexLayout::ScreenTexture);
    device.DrawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, quad, sizeof(ScreenVertex));
    device.SetTexture(0, nullptr);
}

void GraphicsProcess::FinishDeferredFrame(bool filmPlaying) {
    const RenderSettings& settings = g_render_settings;
    m_gbuffer->RestoreBackBuffer();
    if (filmPlaying) {
        // The video quad covers the screen; the light image is not composed.
        return;
    }
    RenderShadowedLight(m_frame_dt);
    MarkPass(m_probe, "sun light");
    if (settings.sceneUpdate != 0) {
        RenderFoggedObjects();
        RenderSimpleObjects();
        MarkPass(m_probe, "fogged and simple");
        RenderLocalIllumination();
        MarkPass(m_probe, "local lights");
        RenderParticles(&m_render_camera.m_eye.x, m_render_camera.m_view.m,
                        m_render_camera.m_projection.m);
        MarkPass(m_probe, "particles");
    }
    DrawForwardOverlays();
    m_device->SetBackBufferTarget();
    if (m_post_chain == nullptr || settings.editorOff == 0) {
        PresentLightTarget();
    } else {
        ComposeFinalImage(m_gbuffer->LightTarget(), m_gbuffer->PositionSpecular(), false);
    }
}
