#include "graphics/post_process_chain.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "graphics/effect_loader.h"
#include "graphics/hdr_bloom.h"
#include "graphics/render_settings.h"
#include "graphics/render_state_cache.h"
#include "platform/gfx/device.h"
#include "platform/gfx/effect.h"
#include "platform/gfx/texture.h"
#include "platform/input/keys.h"
#include "platform/system/crt_rand.h"
#include "platform/system/log.h"

namespace {

constexpr f32 kFilmFrame = 0.041666668f; // 1/24 s
constexpr f32 kLetterboxClearAspect = 1.5f;
constexpr f32 kBandHeight = 0.625f; // 10/16

} // namespace

// --- exposure fades ---

void ExposureFade::BeginFadeIn(f32 target, f32 duration) {
    const f32 now = GetExposure();
    if (m_fade_out) {
        // Continue from the brightness the fade-out has reached: the point of the new fade
        // whose exposure is the current one. Fading back to where the fade-out started, that
        // is the mirrored point of the old fade.
        f32 f = m_duration > 0.0f ? 1.0f - m_time / m_duration : 0.0f;
        if (target != m_base) {
            f = (now - m_base) / (target - m_base);
        }
        m_time = std::clamp(f, 0.0f, 1.0f) * duration;
        m_fade_out = false;
    } else {
        m_base = now;
        m_time = 0.0f;
    }
    m_fade_in = true;
    m_target = target;
    m_duration = duration;
    m_holding = true;
}

void ExposureFade::StartExposureFade(const std::vector<f32>& parameters) {
    if (m_fade_in) {
        return;
    }
    m_parameters = parameters;
    m_parameters.resize(std::max<std::size_t>(m_parameters.size(), 4), 0.0f);
    BeginFadeIn(m_parameters[0], m_parameters[1]);
    m_delayed_fade_out = true;
    m_delay = m_parameters[2];
}

void ExposureFade::FadeExposureIn(f32 target, f32 duration) {
    if (m_fade_in) {
        return;
    }
    BeginFadeIn(target, duration);
}

void ExposureFade::FadeExposureOut(f32 duration) {
    // Nothing was faded in: there is nothing to fade back from.
    if (m_fade_out || (!m_fade_in && !m_holding)) {
        return;
    }
    if (m_fade_in) {
        m_time = duration > 0.0f && m_duration > 0.0f ? duration - m_time / (m_duration / duration)
                                                      : 0.0f;
        m_time = std::max(m_time, 0.0f);
    } else {
        m_time = 0.0f;
    }
    m_fade_in = false;
    m_fade_out = true;
    m_start = m_target;
    m_target = m_base;
    m_duration = duration;
}

void ExposureFade::CancelDelayedFade() {
    m_delayed_fade_out = false;
    m_delay = 0.0f;
    // The exposure set with the cancel takes over.
    m_holding = false;
}

void ExposureFade::Update(f32 frameTime) {
    if (!m_fade_in && !m_fade_out) {
        if (m_delayed_fade_out) {
            m_delay -= frameTime;
            if (m_delay <= 0.0f) {
                m_delayed_fade_out = false;
                m_delay = 0.0f;
                FadeExposureOut(m_parameters.size() > 3 ? m_parameters[3] : 0.0f);
            }
        }
        return;
    }
    m_time += frameTime;
    if (m_time >= m_duration) {
        // The fade ends on its target, whatever the last frame's step.
        SetExposure(m_target);
        if (m_fade_out) {
            m_holding = false;
        }
        m_fade_in = false;
        m_fade_out = false;
        return;
    }
    const f32 f = m_time / m_duration;
    const f32 from = m_fade_in ? m_base : m_start;
    SetExposure(from + (m_target - from) * f);
}

void UpdateColourFade(f32 frameTime, f32& rate, f32& progress, f32& multiplier) {
    if (std::fabs(rate) >= 0.00001f) {
        progress += frameTime / std::fabs(rate);
        multiplier = rate <= 0.0f ? 1.0f - progress : progress;
        if (progress > 1.0f) {
            progress = 0.0f;
            rate = 0.0f;
        }
    }
    multiplier = std::clamp(multiplier, 0.0f, 1.0f);
}

void FilmJitter::Update(f32 frameTime) {
    m_timer += frameTime;
    while (m_timer >= kFilmFrame) {
        m_timer -= kFilmFrame;
        m_y = crt::Rand() % 200 == 0 ? static_cast<f32>(crt::Rand() % 3) + 5.0f : 0.0f;
        m_x = 0.0f;
    }
}

// --- letterbox ---

gfx::Viewport MakeScreenViewport(i32 width, i32 height) {
    gfx::Viewport viewport{0, 0, width, height, 0.0f, 1.0f};
    if (height > 0 && static_cast<f32>(width) / static_cast<f32>(height) < kScreenAspect) {
        viewport.height = static_cast<i32>(std::lround(static_cast<f32>(width) * kBandHeight));
        viewport.y = (height - viewport.height) / 2;
    }
    return viewport;
}

FinalQuad MakeFinalQuad(i32 width, i32 height, f32 offsetX, f32 offsetY, bool letterbox) {
    const f32 w = static_cast<f32>(width);
    const f32 h = static_cast<f32>(height);
    const f32 ratio = height > 0 ? w / h : kScreenAspect;
    FinalQuad quad;
    quad.clear = letterbox && ratio < kLetterboxClearAspect;
    f32 top = -0.5f;
    f32 bottom = h - 0.5f;
    if (letterbox && ratio < kScreenAspect) {
        const f32 bar = (h - w * kBandHeight) / 2.0f;
        top = bar + 0.5f;
        bottom = h - bar - 1.0f;
    }
    const f32 left = -0.5f + offsetX;
    const f32 right = w - 0.5f + offsetX;
    top += offsetY;
    bottom += offsetY;
    quad.vertices[0] = {left, top, 0.0f, 1.0f, 0.0f, 0.0f};
    quad.vertices[1] = {right, top, 0.0f, 1.0f, 1.0f, 0.0f};
    quad.vertices[2] = {left, bottom, 0.0f, 1.0f, 0.0f, 1.0f};
    quad.vertices[3] = {right, bottom, 0.0f, 1.0f, 1.0f, 1.0f};
    return quad;
}

i32 ChainTargetFor(i32 source) {
    return source == 1 ? 0 : 1;
}

// --- the chain ---

namespace {

std::unique_ptr<gfx::Effect> Load(gfx::Device& device, const char* file, const char* package) {
    return LoadRequiredEffect(&device, file, package);
}

std::unique_ptr<RenderTargetDesc> ScreenTarget(gfx::Device& device) {
    const i32 width = device.BackBufferWidth();
    const i32 height = device.BackBufferHeight();
    auto target = std::make_unique<RenderTargetDesc>(
        &device, static_cast<u32>(width), static_cast<u32>(height), 0u, gfx::Format::RGBA8, 1,
        gfx::Format::D24S8, MakeScreenViewport(width, height), false);
    target->Create();
    return target;
}

void DrawQuadThrough(gfx::Device& device, gfx::Effect& effect, const FinalQuadVertex* quad,
                     gfx::Texture* source, bool finalPass) {
    device.SetVertexLayout(gfx::VertexLayout::ScreenTexture);
    if (!finalPass) {
        device.SetTexture(0, source);
    }
    u32 passes = 0;
    if (!effect.Begin(&passes)) {
        return;
    }
    for (u32 pass = 0; pass < passes; ++pass) {
        effect.BeginPass(pass);
        if (finalPass) {
            device.SetTexture(0, source);
            RenderStateCache::SetSampler(device, 0, gfx::kSampMinFilter, gfx::kFilterLinear);
            RenderStateCache::SetSampler(device, 0, gfx::kSampMagFilter, gfx::kFilterLinear);
            RenderStateCache::SetSampler(device, 0, gfx::kSampMipFilter, gfx::kFilterNone);
        }
        device.DrawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, quad, sizeof(FinalQuadVertex));
        effect.EndPass();
    }
    effect.End();
}

} // namespace

PostProcessChain::PostProcessChain(gfx::Device& device, gfx::Texture* noise, ExposureFade* fade,
                                   const char* package)
    : m_device(device), m_package(package), m_fade(fade != nullptr ? fade : &m_own_fade) {
    m_frame.width = static_cast<u32>(device.BackBufferWidth());
    m_frame.height = static_cast<u32>(device.BackBufferHeight());
    m_targets[0] = ScreenTarget(device);
    m_targets[1] = ScreenTarget(device);
    m_effects.push_back(
        std::make_unique<ThreeDee>(Load(device, "graphics/shaders/threedee.fx", package), m_frame));
    m_effects.push_back(std::make_unique<MotionBlur>(
        Load(device, "graphics/shaders/motionblur.fx", package), m_frame));
    auto depthOfField = std::make_unique<DepthOfField>(
        Load(device, "graphics/shaders/depthoffield.fx", package), m_frame);
    m_depth_of_field = depthOfField.get();
    m_effects.push_back(std::move(depthOfField));
    for (const char* direction : {"Vertical", "Horizontal"}) {
        const std::string name = std::string("GaussianBlur") + direction;
        auto blur = std::make_unique<GaussianBlur>(
            Load(device, "graphics/shaders/gaussianblur.fx", package), m_frame, name,
            name + "Tech");
        m_horizontal_blur = blur.get();
        m_effects.push_back(std::move(blur));
    }
    auto grain = std::make_unique<NoiseTexture>(
        Load(device, "graphics/shaders/noisetexture.fx", package), m_frame, noise);
    m_grain = grain.get();
    m_effects.push_back(std::move(grain));
    m_bloom = std::make_unique<HdrBloom>(device, package);
}

PostProcessChain::~PostProcessChain() = default;

void PostProcessChain::SetPassProbe(PassProbe probe) {
    m_probe = std::move(probe);
    if (m_bloom != nullptr) {
        m_bloom->SetPassProbe(m_probe);
    }
}

void PostProcessChain::BeginSceneTarget() {
    BeginOffscreenTarget(m_device, *m_targets[0]);
}

void PostProcessChain::EndSceneTarget() {
    RestoreBackBuffer(m_device, *m_targets[0]);
}

void PostProcessChain::Resize() {
    const gfx::Viewport viewport =
        MakeScreenViewport(m_device.BackBufferWidth(), m_device.BackBufferHeight());
    for (auto& target : m_targets) {
        target->ResizeToScreen(viewport);
    }
    if (m_depth_of_field != nullptr) {
        m_depth_of_field->ReselectTechnique();
    }
}

void PostProcessChain::OnLostDevice() {
    // Made again at its next use, at the new size.
    m_bloom.reset();
    for (auto& target : m_targets) {
        target->Release();
    }
    for (auto& effect : m_effects) {
        effect->OnLostDevice();
    }
}

void PostProcessChain::OnResetDevice() {
    m_frame.width = static_cast<u32>(m_device.BackBufferWidth());
    m_frame.height = static_cast<u32>(m_device.BackBufferHeight());
    for (auto& target : m_targets) {
        target->Create();
    }
    for (auto& effect : m_effects) {
        effect->OnResetDevice();
    }
}

void PostProcessChain::ToggleBloom() {
    m_bloom_on = !m_bloom_on;
    sys::Log() << "PostProcessChain: bloom " << (m_bloom_on ? "on" : "off");
}

void PostProcessChain::ApplyDebugKeys(const InputState* input) {
    if (input == nullptr) {
        return;
    }
    if (input->m_keys[input::key::H] == INPUT_PRESSED) {
        ToggleBloom();
    }
    if (input->m_keys[input::key::Numpad3] == INPUT_PRESSED) {
        i32& threeDee = g_render_settings.threeDee;
        threeDee = threeDee == 1 ? 0 : threeDee == 0 ? 2 : 1;
    }
}

void PostProcessChain::Compose(const ComposeInputs& inputs) {
    RenderSettings& settings = g_render_settings;
    ApplyDebugKeys(inputs.input);
    if (m_bloom_on && m_bloom == nullptr) {
        m_bloom = std::make_unique<HdrBloom>(m_device, m_package);
        m_bloom->SetPassProbe(m_probe);
    }

    const u32 keptZWrite = RenderStateCache::Get(m_device, gfx::kRsZWriteEnable);
    const u32 keptZ = RenderStateCache::Get(m_device, gfx::kRsZEnable);
    RenderStateCache::Set(m_device, gfx::kRsZWriteEnable, 0);
    RenderStateCache::Set(m_device, gfx::kRsZEnable, 0);
    RenderStateCache::Set(m_device, gfx::kRsAlphaBlendEnable, 0);
    RenderStateCache::Set(m_device, gfx::kRsAlphaTestEnable, 0);
    RenderStateCache::Set(m_device, gfx::kRsCullMode, gfx::kCullCcw);

    std::copy(inputs.cameraPosition, inputs.cameraPosition + 3, m_frame.cameraPosition);
    m_frame.view = inputs.view;
    m_frame.projection = inputs.projection;
    m_frame.input = inputs.input;
    m_frame.depthTexture = inputs.depthTexture;
    m_frame.secondTexture = nullptr;
    m_frame.width = static_cast<u32>(m_device.BackBufferWidth());
    m_frame.height = static_cast<u32>(m_device.BackBufferHeight());
    m_frame.frameTime = inputs.frameTime;
    m_frame.focalDistance = settings.farDistance;
    m_frame.threeDee = static_cast<u32>(settings.threeDee);
    m_frame.motionBlurOption = settings.motionBlur != 0;
    m_frame.toggleRequest = inputs.cameraShake != m_last_shake;
    m_last_shake = inputs.cameraShake;

    if (m_jitter_on) {
        m_jitter.Update(inputs.frameTime);
        m_offset_x = m_jitter.OffsetX();
        m_offset_y = m_jitter.OffsetY();
    }
    m_fade->Update(inputs.frameTime);
    UpdateColourFade(inputs.frameTime, settings.colourFadeRate, m_colour_progress,
                     m_colour_multiplier);
    m_frame.colourMultiplier = m_colour_multiplier;

    m_frame.deferred = inputs.deferredResult != nullptr;
    gfx::Texture* source =
        inputs.deferredResult != nullptr ? inputs.deferredResult : m_targets[0]->Texture();
    // -1 while the source is not one of the chain's targets.
    i32 sourceTarget = inputs.deferredResult != nullptr ? -1 : 0;

    // Each loop effect is asked once a frame whether it runs (the question reads its keys).
    std::vector<bool> runs(m_effects.size(), false);
    PostProcess* first = nullptr;
    for (std::size_t i = 0; i + 1 < m_effects.size(); ++i) {
        runs[i] = m_effects[i]->IsEnabled() && m_effects[i]->GetEffect() != nullptr;
        if (runs[i] && first == nullptr) {
            first = m_effects[i].get();
        }
    }

    // Depth of field, when it comes first, adds the glow and tone-maps as it reads the scene,
    // which spares the bloom's own full-screen pass.
    gfx::Texture* glow = nullptr;
    if (m_bloom_on && m_bloom != nullptr && !inputs.skipBloom) {
        if (!m_fade->HoldsExposure()) {
            SetExposure(settings.exposure);
        }
        if (first != nullptr && first == m_depth_of_field) {
            glow = m_bloom->RenderGlow(source);
        }
        if (glow == nullptr) {
            source = m_bloom->Render(source);
            sourceTarget = -1;
        }
    }

    // The blurs, last in the loop, are done by the final pass as it reads the image (a
    // full-screen pass fewer for each) when that pass lays one of the chain's targets pixel for
    // pixel (no letterbox), the vertical one only when nothing is drawn over it.
    const i32 width = m_device.BackBufferWidth();
    const i32 height = m_device.BackBufferHeight();
    const bool pixelForPixel =
        MakeScreenViewport(width, height).height == height && m_grain->GetEffect() != nullptr;
    NoiseTexture::Blurs blursInFinal = NoiseTexture::Blurs::None;

    bool colourApplied = false;
    for (std::size_t i = 0; i + 1 < m_effects.size(); ++i) {
        PostProcess& effect = *m_effects[i];
        if (!runs[i]) {
            continue;
        }
        // The targets follow the back buffer's size only when the device is reset.
        const bool sameSize =
            source != nullptr && source->Width() == width && source->Height() == height;
        if (pixelForPixel && sameSize && sourceTarget >= 0 && i == kLastBlur) {
            blursInFinal = NoiseTexture::Blurs::Horizontal;
            continue;
        }
        if (pixelForPixel && sameSize && sourceTarget >= 0 && i == kLastBlur - 1 &&
            runs[kLastBlur] && !m_overlay) {
            blursInFinal = NoiseTexture::Blurs::Both;
            break;
        }
        const i32 targetIndex = ChainTargetFor(sourceTarget);
        RenderTargetDesc& target = *m_targets[targetIndex];
        BeginOffscreenTarget(m_device, target);
        effect.SetParameters(&m_device);
        const bool toneMaps = glow != nullptr && &effect == m_depth_of_field;
        if (toneMaps) {
            BeginToneMappedDepthOfField(glow);
        }
        // A full quad: the letterbox is for the back buffer only.
        const FinalQuad full = MakeFinalQuad(m_device.BackBufferWidth(),
                                             m_device.BackBufferHeight(), 0.0f, 0.0f, false);
        DrawQuadThrough(m_device, *effect.GetEffect(), full.vertices, source, false);
        if (toneMaps) {
            EndToneMappedDepthOfField();
        }
        colourApplied = colourApplied || effect.AppliesColourMultiplier();
        if (effect.Name() == "GaussianBlurVertical" && m_overlay) {
            m_overlay();
        }
        // Nothing of this pass stays bound as a source of the next one's target.
        for (u32 stage = 0; stage < 3; ++stage) {
            m_device.SetTexture(stage, nullptr);
        }
        RestoreBackBuffer(m_device, target);
        MarkPass(m_probe, effect.Name().c_str());
        source = target.Texture();
        sourceTarget = targetIndex;
    }

    m_grain->SetBlurs(blursInFinal, m_horizontal_blur->Mult());
    DrawFinal(source, colourApplied);

    RenderStateCache::Set(m_device, gfx::kRsZWriteEnable, keptZWrite);
    RenderStateCache::Set(m_device, gfx::kRsZEnable, keptZ);
}

void PostProcessChain::BeginToneMappedDepthOfField(gfx::Texture* glow) {
    gfx::Effect& effect = *m_depth_of_field->GetEffect();
    effect.SetTechnique(kToneMappedDepthOfField);
    effect.SetFloat("fExposure", GetExposure());
    effect.SetFloat("fGaussianScalar", m_bloom->Stage().GetScale());
    m_device.SetTexture(kGlowStage, glow);
    RenderStateCache::SetSampler(m_device, kGlowStage, gfx::kSampAddressU, gfx::kAddressClamp);
    RenderStateCache::SetSampler(m_device, kGlowStage, gfx::kSampAddressV, gfx::kAddressClamp);
    RenderStateCache::SetSampler(m_device, kGlowStage, gfx::kSampMinFilter, gfx::kFilterLinear);
    RenderStateCache::SetSampler(m_device, kGlowStage, gfx::kSampMagFilter, gfx::kFilterLinear);
}

void PostProcessChain::EndToneMappedDepthOfField() {
    m_device.SetTexture(kGlowStage, nullptr);
    m_depth_of_field->GetEffect()->SetTechnique(m_frame.deferred ? "DepthOfFieldDeferredTech"
                                                                 : "DepthOfFieldTech");
}

void PostProcessChain::DrawFinal(gfx::Texture* source, bool colourApplied) {
    const FinalQuad quad = MakeFinalQuad(m_device.BackBufferWidth(), m_device.BackBufferHeight(),
                                         m_offset_x, m_offset_y);
    if (quad.clear) {
        m_device.Clear(gfx::kClearTarget, 0xFF000000u, 1.0f, 0);
    }
    PostProcess& last = *m_effects.back();
    gfx::Effect* effect = last.GetEffect();
    if (effect == nullptr) {
        return;
    }
    last.SetParameters(&m_device);
    // A fade that no effect of the loop applied is applied here, and only then.
    effect->SetFloat("color_mult", colourApplied ? 1.0f : m_colour_multiplier);
    DrawQuadThrough(m_device, *effect, quad.vertices, source, true);
    MarkPass(m_probe, last.Name().c_str());
    m_device.SetTexture(0, nullptr);
    m_device.SetTexture(1, nullptr);
}
