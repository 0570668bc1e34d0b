#include "graphics/gbuffer.h"

#include <algorithm>
#include <cmath>

#include "core/math_functions.h"
#include "graphics/effect_loader.h"
#include "graphics/light.h"
#include "graphics/render_settings.h"
#include "graphics/render_state_cache.h"
#include "graphics/texture_cache.h"
#include "platform/gfx/device.h"
#include "platform/gfx/effect.h"
#include "platform/gfx/render_states.h"
#include "platform/gfx/texture.h"

namespace deferred {

namespace {

constexpr u32 kSphereRings = 12;
constexpr u32 kSphereSegments = 16;
// The object vertex layout: position, tangent, binormal, normal, one texture coordinate.
constexpr u32 kObjectFloats = 14;

// A vertex of the unit sphere of latitude rings.
Float3 SpherePoint(u32 ring, u32 segment) {
    const float theta = 3.14159265f * static_cast<float>(ring) / kSphereRings;
    const float phi = 6.28318531f * static_cast<float>(segment) / kSphereSegments;
    return Float3{std::sin(theta) * std::cos(phi), std::cos(theta),
                  std::sin(theta) * std::sin(phi)};
}

// Calls triangle(a, b, c) for each triangle of the unit sphere's mesh, clockwise seen from
// outside.
template <class Triangle> void ForEachSphereTriangle(Triangle triangle) {
    for (u32 r = 0; r < kSphereRings; ++r) {
        for (u32 s = 0; s < kSphereSegments; ++s) {
            const Float3 a = SpherePoint(r, s);
            const Float3 b = SpherePoint(r + 1, s);
            const Float3 c = SpherePoint(r + 1, s + 1);
            const Float3 d = SpherePoint(r, s + 1);
            triangle(a, d, c);
            triangle(a, c, b);
        }
    }
}

// The distance from the centre to the nearest face plane of the unit sphere's mesh.
float SphereMeshInnerRadius() {
    float inner = 1.0f;
    ForEachSphereTriangle([&inner](const Float3& a, const Float3& b, const Float3& c) {
        const Float3 u{b.x - a.x, b.y - a.y, b.z - a.z};
        const Float3 v{c.x - a.x, c.y - a.y, c.z - a.z};
        const Float3 n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
        const float length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (length > 1e-6f) {
            inner = std::min(inner, std::fabs(n.x * a.x + n.y * a.y + n.z * a.z) / length);
        }
    });
    return inner;
}

} // namespace

const char* LightingEffectFile(u32 splitCount) {
    switch (splitCount) {
    case 2:
        return "graphics/shaders/deferredlighting2.fx";
    case 3:
        return "graphics/shaders/deferredlighting3.fx";
    case 4:
        return "graphics/shaders/deferredlighting4.fx";
    default:
        return nullptr;
    }
}

float AdvanceNoisePhase(float phase, float dt) {
    phase += dt * kNoiseSpeed;
    if (phase >= 1.0f) {
        phase -= std::floor(phase);
    }
    return phase;
}

float VolumeMeshScale() {
    // A little more than the exact cover, for the rounding of the faces' depths.
    static const float scale = 1.001f / SphereMeshInnerRadius();
    return scale;
}

Float4x4 VolumeWorld(const LightVolume& volume) {
    const float r = volume.radius * VolumeMeshScale();
    return Math::MatrixScaling(r, r, r) *
           Math::MatrixTranslation(volume.centre.x, volume.centre.y, volume.centre.z);
}

LightVolume VolumeOf(const Light& light) {
    const LightRecord& r = light.m_light;
    LightVolume v;
    v.centre = r.position;
    if (r.type == LIGHT_SPOT) {
        v.centre = {r.position.x - r.direction.x * r.range, r.position.y - r.direction.y * r.range,
                    r.position.z - r.direction.z * r.range};
    }
    v.radius = r.range;
    if (light.m_name == Light::kNukeName) {
        v.radius = 2.0f * r.range;
        v.distanceMod = r.range;
    }
    return v;
}

bool LightShines(const Light& light) {
    return light.m_enabled && !light.m_culled;
}

PresentLayout LayoutFor(i32 width, i32 height) {
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    PresentLayout layout;
    layout.clearFirst = height > 0 && w / h < 1.5f;
    layout.top = -0.5f;
    layout.bottom = h - 0.5f;
    if (height > 0 && w / h < 1.6f) {
        const float bar = (h - w * 0.625f) * 0.5f;
        layout.top += bar;
        layout.bottom -= bar;
    }
    return layout;
}

} // namespace deferred

GBuffer::GBuffer(gfx::Device* device, u32 splitCount)
    : m_device(device), m_split_count(splitCount),
      m_lighting_projection(Math::MatrixPerspectiveFovLH(
          kFieldOfView, kAspectRatio, deferred::kLightingNear, deferred::kLightingFar)) {
    // A unit sphere of latitude rings, as a triangle list.
    const auto add = [this](const Float3& p) {
        const float v[deferred::kObjectFloats] = {p.x, p.y, p.z, 0,   0,   0, 0,
                                                  0,   0,   p.x, p.y, p.z, 0, 0};
        m_sphere.insert(m_sphere.end(), v, v + deferred::kObjectFloats);
    };
    deferred::ForEachSphereTriangle([&add](const Float3& a, const Float3& b, const Float3& c) {
        add(a);
        add(b);
        add(c);
    });
}

GBuffer::~GBuffer() = default;

bool GBuffer::CreateTargets(bool highPrecision) {
    m_high_precision = highPrecision;
    if (m_device == nullptr) {
        return false;
    }
    const i32 w = m_device->BackBufferWidth();
    const i32 h = m_device->BackBufferHeight();
    // The normal and the colour are packed to survive half floats (two normal channels, luma
    // and an 11-bit chroma code), so that target is always half float: it halves what every
    // pass writes and reads of it. The precision choice is the position's.
    const gfx::Format format = highPrecision ? gfx::Format::RGBA32F : gfx::Format::RGBA16F;
    m_normal_diffuse = m_device->CreateRenderTexture(w, h, gfx::Format::RGBA16F);
    m_position_specular = m_device->CreateRenderTexture(w, h, format);
    m_light = m_device->CreateRenderTexture(w, h, gfx::Format::RGBA8);
    SetWindowDimensions();
    return m_normal_diffuse != nullptr && m_position_specular != nullptr && m_light != nullptr;
}

void GBuffer::ReleaseTargets() {
    m_normal_diffuse.reset();
    m_position_specular.reset();
    m_light.reset();
}

bool GBuffer::LoadLightingEffect(const std::string& artPackage) {
    const char* file = deferred::LightingEffectFile(m_split_count);
    if (file == nullptr) {
        return false;
    }
    m_effect = LoadRequiredEffect(m_device, file);
    if (m_effect == nullptr) {
        return false;
    }
    m_noise = LoadVolumeTextureFromPackage(artPackage);
    m_effect->SetTexture("noise_texture", m_noise.get());
    SetWindowDimensions();
    m_effect->SetFloat("max_far_plane", deferred::kLightingFar);
    m_effect->SetFloat("SHADOW_MAP_TEXEL_SIZE", g_shadow_map_texel_size);
    m_effect->SetFloat("SHADOW_MAP_SIZE", g_shadow_map_size);
    return true;
}

void GBuffer::SetWindowDimensions() {
    if (m_effect == nullptr || m_device == nullptr) {
        return;
    }
    const float dimensions[2] = {static_cast<float>(m_device->BackBufferWidth()),
                                 static_cast<float>(m_device->BackBufferHeight())};
    m_effect->SetFloatArray("window_dimensions", dimensions, 2);
}

void GBuffer::Bind() {
    if (m_device == nullptr || m_normal_diffuse == nullptr || m_position_specular == nullptr) {
        return;
    }
    m_device->SetRenderTarget(0, m_normal_diffuse->GetSurface());
    m_device->SetRenderTarget(1, m_position_specular->GetSurface());
}

void GBuffer::RestoreBackBuffer() {
    if (m_device == nullptr) {
        return;
    }
    m_device->SetRenderTarget(1, nullptr);
    m_device->SetRenderTarget(0, m_device->BackBufferSurface());
}

void GBuffer::BindMaps(gfx::Effect& effect) const {
    effect.SetTexture("normal_diffuse_map", m_normal_diffuse.get());
    effect.SetTexture("position_specular_map", m_position_specular.get());
}

void GBuffer::SetGlobalLightParameters(float dt, const Float3& eye, const Light& sun, bool shadows,
                                       float multiplier, float fogRange) {
    if (m_effect == nullptr) {
        return;
    }
    m_noise_phase = deferred::AdvanceNoisePhase(m_noise_phase, dt);
    m_effect->SetFloat("noise_texture_depth", m_noise_phase);
    m_effect->SetFloatArray("gEyePosW", &eye.x, 3);
    const LightRecord& light = sun.m_light;
    const Float3 toLight{-light.direction.x, -light.direction.y, -light.direction.z};
    m_effect->SetFloatArray("gLightVecW", &toLight.x, 3);
    m_effect->SetFloatArray("gSpecularLight", &light.specular.r, 4);
    m_effect->SetFloatArray("gDiffuseLight", &light.diffuse.r, 4);
    m_effect->SetFloatArray("gAmbientLight", &light.ambient.r, 4);
    m_effect->SetFloatArray("gLightPosW", &light.position.x, 3);
    m_effect->SetBool("render_shadows", shadows);
    m_effect->SetFloat("gFogRange", fogRange);
    m_effect->SetFloat("mult", multiplier);
}

void GBuffer::DrawSphere() {
    if (m_device == nullptr) {
        return;
    }
    m_device->SetVertexLayout(gfx::VertexLayout::Object);
    const u32 vertices = static_cast<u32>(m_sphere.size() / deferred::kObjectFloats);
    m_device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, vertices / 3, m_sphere.data(),
                              deferred::kObjectFloats * sizeof(float));
}

void GBuffer::DrawLightVolumes(const std::vector<Light*>& lights, const Float4x4& frameProjection,
                               bool showPressed, bool solidPressed) {
    if (showPressed) {
        m_show_volumes = !m_show_volumes;
    }
    if (solidPressed) {
        m_solid_volumes = !m_solid_volumes;
    }
    if (!m_show_volumes || m_device == nullptr) {
        return;
    }
    gfx::Device& device = *m_device;
    if (!m_solid_volumes) {
        RenderStateCache::Set(device, gfx::kRsFillMode, gfx::kFillWireframe);
    }
    const u32 lighting = RenderStateCache::Get(device, gfx::kRsLighting);
    const u32 cull = RenderStateCache::Get(device, gfx::kRsCullMode);
    const u32 zEnable = RenderStateCache::Get(device, gfx::kRsZEnable);
    const u32 blend = RenderStateCache::Get(device, gfx::kRsAlphaBlendEnable);
    RenderStateCache::Set(device, gfx::kRsLighting, 1);
    RenderStateCache::Set(device, gfx::kRsCullMode, gfx::kCullCcw);
    RenderStateCache::Set(device, gfx::kRsZEnable, 0);
    RenderStateCache::Set(device, gfx::kRsAlphaBlendEnable, 0);
    device.SetTransform(gfx::TransformKind::Projection, m_lighting_projection.m);
    device.SetProgram(0);
    device.SetTexture(0, nullptr);
    deferred::ForEachShiningVolume(
        lights, [&](const Light& light, const deferred::LightVolume& volume) {
            device.SetTransform(gfx::TransformKind::World, deferred::VolumeWorld(volume).m);
            const float colour[4] = {light.m_light.diffuse.r, light.m_light.diffuse.g,
                                     light.m_light.diffuse.b, 1.0f};
            device.SetMaterialColour(colour);
            DrawSphere();
        });
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    device.SetMaterialColour(white);
    device.SetTransform(gfx::TransformKind::Projection, frameProjection.m);
    RenderStateCache::Set(device, gfx::kRsAlphaBlendEnable, blend);
    RenderStateCache::Set(device, gfx::kRsZEnable, zEnable);
    RenderStateCache::Set(device, gfx::kRsCullMode, cull);
    RenderStateCache::Set(device, gfx::kRsFillMode, gfx::kFillSolid);
    RenderStateCache::Set(device, gfx::kRsLighting, lighting);
}
