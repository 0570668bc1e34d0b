#include "graphics/post_process.h"

#include <optional>
#include <utility>

#include "graphics/key_state.h"
#include "platform/gfx/device.h"
#include "platform/gfx/effect.h"
#include "platform/gfx/texture.h"
#include "platform/input/keys.h"
#include "platform/system/crt_rand.h"

namespace {

constexpr f32 kRateWindow = 2.0f;
constexpr f32 kPerSixtieth = 0.016666668f;
constexpr f32 kNoiseStep = 0.001953125f; // 1/512: one texel of the noise a pixel

// The disk of the depth of field, x and y in pixels.
constexpr f32 kPoissonTaps[12][2] = {
    {-0.326212f, -0.405805f}, {-0.840144f, -0.07358f}, {-0.695914f, 0.457137f},
    {-0.203345f, 0.620716f},  {0.96234f, -0.194983f},  {0.473434f, -0.480026f},
    {0.519456f, 0.767022f},   {0.185461f, -0.893124f}, {0.507431f, 0.064425f},
    {0.89642f, 0.412458f},    {-0.32194f, -0.932615f}, {-0.791559f, -0.597705f}};

} // namespace

f32 FrameRateScalar::Update(f32 frameTime) {
    ++m_frames;
    m_time += frameTime;
    if (m_time > kRateWindow) {
        const f32 rate = static_cast<f32>(m_frames) / m_time;
        m_frames = 0;
        m_time = 0.0f;
        m_scalar = rate * kPerSixtieth;
        if (m_scalar > 1.0f) {
            m_scalar = 1.0f;
        }
        if (m_scalar < 0.0f) {
            m_scalar = 0.0f;
        }
    }
    return m_scalar;
}

PostProcess::PostProcess(std::string name, std::unique_ptr<gfx::Effect> effect,
                         const PostFrame& frame)
    : m_name(std::move(name)), m_effect(std::move(effect)), m_frame(frame) {}

PostProcess::~PostProcess() = default;

void PostProcess::OnResetDevice() {
    if (m_effect != nullptr) {
        m_effect->OnResetDevice();
    }
}

void PostProcess::OnLostDevice() {
    if (m_effect != nullptr) {
        m_effect->OnLostDevice();
    }
}

void PostProcess::SetParameters(gfx::Device*) {}

bool PostProcess::IsEnabled() {
    return true;
}

bool PostProcess::Pressed(u8 key) const {
    return m_frame.input != nullptr && key_state::Pressed(*m_frame.input, key);
}

bool PostProcess::Held(u8 key) const {
    return m_frame.input != nullptr && key_state::Held(*m_frame.input, key);
}

void PostProcess::SetStageTexture(gfx::Device* device, u32 stage, gfx::Texture* texture) const {
    if (device != nullptr) {
        device->SetTexture(stage, texture);
    }
}

void MotionBlurState::Apply(gfx::Effect& effect, const PostFrame& frame, bool hold) {
    const Float4x4 viewProjection = frame.view * frame.projection;
    // On the frame of a toggle the last stored matrix is stale: no blur for that frame.
    effect.SetMatrix("prev_view_proj", hold ? m_previous.m : viewProjection.m);
    effect.SetFloat("scalar", m_rate.Update(frame.frameTime));
    m_previous = viewProjection;
    const std::optional<Float4x4> inverse = Math::MatrixInverse(viewProjection);
    effect.SetMatrix("view_proj_inverse", inverse ? inverse->m : Math::MatrixIdentity().m);
    effect.SetMatrix("view_proj", viewProjection.m);
}

ThreeDee::ThreeDee(std::unique_ptr<gfx::Effect> effect, const PostFrame& frame)
    : PostProcess("ThreeDee", std::move(effect), frame) {
    if (m_effect != nullptr) {
        m_effect->SetTechnique("ThreeDeeTech");
    }
}

bool ThreeDee::IsEnabled() {
    if (m_frame.motionBlurOption) {
        if (!Pressed(input::key::F6) && !m_frame.toggleRequest) {
            m_hold = true;
        } else {
            m_hold = false;
            m_motion_technique = !m_motion_technique;
            if (m_effect != nullptr) {
                m_effect->SetTechnique(m_motion_technique ? "ThreeDeeTechMotionBlur"
                                                          : "ThreeDeeTech");
            }
        }
    } else if (m_motion_technique) {
        m_motion_technique = false;
        if (m_effect != nullptr) {
            m_effect->SetTechnique("ThreeDeeTech");
        }
    }
    if (m_frame.threeDee == 1 || m_frame.threeDee == 3) {
        return false;
    }
    if (Pressed(input::key::F7)) {
        m_enabled = !m_enabled;
    }
    return m_enabled;
}

void ThreeDee::SetParameters(gfx::Device* device) {
    if (m_effect == nullptr) {
        return;
    }
    m_effect->SetFloatArray("gCameraPos", m_frame.cameraPosition, 3);
    SetStageTexture(device, 2, m_frame.depthTexture);
    m_effect->SetFloat("pixel_width", 1.0f / static_cast<f32>(std::max(m_frame.width, 1u)));
    m_effect->SetMatrix("view_proj", ViewProjection().m);
    m_effect->SetFloat("focalDist", m_frame.focalDistance);
    m_effect->SetFloat("color_mult", m_frame.threeDee == 2 ? 1.0f : m_frame.colourMultiplier);
    if (m_motion_technique) {
        m_motion.Apply(*m_effect, m_frame, m_hold);
    }
}

MotionBlur::MotionBlur(std::unique_ptr<gfx::Effect> effect, const PostFrame& frame)
    : PostProcess("MotionBlur", std::move(effect), frame) {
    if (m_effect != nullptr) {
        m_effect->SetTechnique("MotionBlurTech");
    }
    m_enabled = false;
}

bool MotionBlur::IsEnabled() {
    if (m_frame.threeDee != 1 || !m_frame.motionBlurOption) {
        return false;
    }
    if (!Pressed(input::key::F6) && !m_frame.toggleRequest) {
        m_hold = true;
        return m_enabled;
    }
    m_hold = false;
    m_enabled = !m_enabled;
    return m_enabled;
}

void MotionBlur::SetParameters(gfx::Device* device) {
    if (m_effect == nullptr) {
        return;
    }
    m_effect->SetTechnique(m_frame.deferred ? "MotionBlurDeferredTech" : "MotionBlurTech");
    SetStageTexture(device, 1, m_frame.depthTexture);
    if (m_frame.secondTexture != nullptr) {
        SetStageTexture(device, 2, m_frame.secondTexture);
    }
    m_motion.Apply(*m_effect, m_frame, m_hold);
    m_effect->CommitChanges();
}

DepthOfField::DepthOfField(std::unique_ptr<gfx::Effect> effect, const PostFrame& frame)
    : PostProcess("DepthOfField", std::move(effect), frame) {
    if (m_effect != nullptr) {
        m_effect->SetTechnique("DepthOfFieldTech");
    }
}

bool DepthOfField::IsEnabled() {
    if (m_frame.threeDee == 0 || m_frame.threeDee == 3) {
        return false;
    }
    if (Pressed(input::key::F7)) {
        m_enabled = !m_enabled;
    }
    return m_enabled;
}

void DepthOfField::SetParameters(gfx::Device* device) {
    if (!m_technique_set || m_deferred != m_frame.deferred) {
        m_technique_set = true;
        m_deferred = m_frame.deferred;
        if (m_effect != nullptr) {
            m_effect->SetTechnique(m_deferred ? "DepthOfFieldDeferredTech" : "DepthOfFieldTech");
        }
    }
    const f32 step = Held(input::key::LeftShift) ? -1.0f : 1.0f;
    if (Held(input::key::Numpad7)) {
        m_focal_offset += step * 0.0001f;
    }
    if (Held(input::key::Numpad8)) {
        m_range_base += step * 0.0005f;
    }
    if (Held(input::key::Numpad9)) {
        m_coc_base += step * 0.1f;
    }
    if (m_effect == nullptr) {
        return;
    }
    m_effect->SetFloat("focalRange", 2.0f / m_range_base);
    f32 taps[12 * 4] = {};
    const f32 pixelWidth = 1.0f / static_cast<f32>(std::max(m_frame.width, 1u));
    const f32 pixelHeight = 1.0f / static_cast<f32>(std::max(m_frame.height, 1u));
    for (int i = 0; i < 12; ++i) {
        taps[i * 4] = kPoissonTaps[i][0] * pixelWidth;
        taps[i * 4 + 1] = kPoissonTaps[i][1] * pixelHeight;
    }
    m_effect->SetVectorArray("filterTaps", taps, kUploadedTaps);
    m_effect->SetFloat("maxCoC", m_coc_base * 0.5f);
    m_effect->SetMatrix("view_proj", ViewProjection().m);
    m_effect->SetFloat("focalDist", m_frame.focalDistance + m_focal_offset);
    // The depth image holds view distances, the focal distance is a depth buffer value.
    const f32 depthScale[2] = {m_frame.projection(2, 2), m_frame.projection(3, 2)};
    m_effect->SetFloatArray("depthScale", depthScale, 2);
    // The deferred path's depth image is its position map: the distance is worked out.
    m_effect->SetFloat("depthFromPosition", m_frame.deferred ? 1.0f : 0.0f);
    m_effect->SetFloat("color_mult", m_frame.colourMultiplier);
    SetStageTexture(device, 2, m_frame.depthTexture);
    if (m_frame.secondTexture != nullptr) {
        SetStageTexture(device, 1, m_frame.secondTexture);
    }
}

GaussianBlur::GaussianBlur(std::unique_ptr<gfx::Effect> effect, const PostFrame& frame,
                           std::string name, std::string technique)
    : PostProcess(std::move(name), std::move(effect), frame), m_technique(std::move(technique)) {
    OnResetDevice();
}

void GaussianBlur::OnResetDevice() {
    PostProcess::OnResetDevice();
    if (m_effect == nullptr) {
        return;
    }
    m_effect->SetTechnique(m_technique);
    m_effect->SetFloat("pixelWidth", 1.0f / static_cast<f32>(std::max(m_frame.width, 1u)));
    m_effect->SetFloat("pixelHeight", 1.0f / static_cast<f32>(std::max(m_frame.height, 1u)));
    m_effect->SetFloat("mult", m_mult);
}

bool GaussianBlur::IsEnabled() {
    if (Pressed(input::key::F4)) {
        m_enabled = !m_enabled;
    }
    return m_enabled;
}

NoiseTexture::NoiseTexture(std::unique_ptr<gfx::Effect> effect, const PostFrame& frame,
                           gfx::Texture* noise)
    : PostProcess("NoiseTexture", std::move(effect), frame), m_noise(noise) {
    if (m_effect != nullptr) {
        m_effect->SetTechnique("NoiseTextureTech");
    }
}

bool NoiseTexture::IsEnabled() {
    if (Pressed(input::key::F5)) {
        m_enabled = !m_enabled;
    }
    return m_enabled;
}

void NoiseTexture::SetParameters(gfx::Device* device) {
    SetStageTexture(device, 1, m_noise);
    const f32 timeX = static_cast<f32>(crt::Rand() % 510) * kNoiseStep;
    const f32 timeY = static_cast<f32>(crt::Rand() % 510) * kNoiseStep;
    if (m_effect == nullptr) {
        return;
    }
    m_effect->SetTechnique(m_blurs == Blurs::Both         ? "TwiceBlurredNoiseTextureTech"
                           : m_blurs == Blurs::Horizontal ? "BlurredNoiseTextureTech"
                                                          : "NoiseTextureTech");
    m_effect->SetFloat("blur_mult", m_blur_mult);
    m_effect->SetFloat("time_x", timeX);
    m_effect->SetFloat("time_y", timeY);
    m_effect->SetFloat("wrap_width", static_cast<f32>(m_frame.width) * kNoiseStep);
    m_effect->SetFloat("wrap_height", static_cast<f32>(m_frame.height) * kNoiseStep);
    m_effect->CommitChanges();
}
