// One frame of the renderer, step by step: the debug keys, the time-driven effects, the
// scene update (lights, lasers, camera), and the drawing of the sky and the overlays.

#include <algorithm>
#include <chrono>
#include <utility>

#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "game/player_info.h"
#include "graphics/graphics_process.h"
#include "graphics/key_state.h"
#include "graphics/object_effects.h"
#include "graphics/particle_system_manager.h"
#include "graphics/render_settings.h"
#include "graphics/render_state_cache.h"
#include "graphics/render_target_desc.h"
#include "graphics/sky.h"
#include "graphics/texture_cache.h"
#include "platform/gfx/device.h"
#include "platform/gfx/effect.h"
#include "platform/input/keys.h"
#include "platform/system/log.h"
#include "platform/system/message_box.h"

namespace {

constexpr float kMaxRealDt = 0.25f;
constexpr float kExposureStep = 0.1f;
constexpr float kLightMultiplierStep = 0.01f;

// Writes the seconds between its making and its end into a frame timing.
class StepTimer {
  public:
    explicit StepTimer(double& seconds)
        : m_seconds(seconds), m_start(std::chrono::steady_clock::now()) {}
    ~StepTimer() {
        m_seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }
    StepTimer(const StepTimer&) = delete;
    StepTimer& operator=(const StepTimer&) = delete;

  private:
    double& m_seconds;
    std::chrono::steady_clock::time_point m_start;
};

using key_state::Held;
using key_state::Pressed;

void ReportSkyError(const std::string& text) {
    sys::ShowMessageBox("", text, sys::MessageBoxIcon::Error);
}

} // namespace

void GraphicsProcess::CreateSceneObjects() {
    m_lights.Clear();
    m_lights.CreateSunLight();
    // The nuke's flash lights the city around it while it burns.
    ParticleSystemManager::Instance()->SetNukeLightHook(
        [this](const Vector& position) { AddNukeLight(position); });
    m_render_camera = RenderCamera(kFieldOfView);
    if (m_device == nullptr) {
        return;
    }
    m_sky = Sky::Create(*m_device, LoadCubeTextureFromPackage(kArtPackage), ReportSkyError);
    if (!m_fonts.Load(kArtPackage)) {
        sys::LogLine("Graphics: the screen fonts could not be loaded");
    }
}

Light* GraphicsProcess::AddNukeLight(const Vector& position) {
    return m_lights.AddNukeLight(position);
}

void GraphicsProcess::UpdateLaserBeams(float dt) {
    m_lasers.Advance(dt, [](const char* name, const Vector& position) {
        ParticleSystemManager::Instance()->CreateParticleSystem(name, &position);
    });
}

void GraphicsProcess::Update(float dt) {
    RenderSettings& settings = g_render_settings;
    {
        const DeviceLock lock;
        settings.sceneUpdate = settings.componentUpdate;
    }
    const auto now = std::chrono::steady_clock::now();
    m_real_dt = std::min(kMaxRealDt, std::chrono::duration<float>(now - m_last_frame).count());
    m_frame_dt = dt;
    m_last_frame = now;

    m_motion_blur_timer -= dt;
    m_motion_blur_active = m_motion_blur_timer > 0.0f;
    m_camera_shake_timer -= dt;
    m_camera_shake_active = m_camera_shake_timer > 0.0f;

    ApplyDebugKeys(dt);
    UpdateFilmEffects(m_real_dt);

    if (m_film_leader_playing != 0) {
        UpdateFilmLeader(dt);
    }
    if (m_credits_playing != 0) {
        UpdateCredits(dt);
    }
    UpdateScreenVideos(dt);
    const bool filmPlaying = m_film_leader_playing != 0 || m_credits_playing != 0;
    if (settings.sceneUpdate != 0) {
        UpdateScene(dt, filmPlaying);
    }
    if (m_device != nullptr) {
        DrawFrame(filmPlaying);
    }
    m_first_frame = 0;
}

void GraphicsProcess::ApplyDebugKeys(float dt) {
    RenderSettings& settings = g_render_settings;
    const InputState& input = m_graphics_input;
    HandleParticleKeys();
    if (Pressed(input, input::key::F)) {
        if (Held(input, input::key::LeftShift)) {
            bool quality = false;
            Message<bool*> get(MSG_GRAPHICS_GET_USE_NORMAL_DEFERRED_SHADER_QUALITY, &quality);
            SendMessage(&get, kHandlerId);
            Message<bool> set(MSG_GRAPHICS_SET_USE_NORMAL_DEFERRED_SHADER_QUALITY, !quality);
            SendMessage(&set, kHandlerId);
        } else {
            settings.deferred = settings.deferred != 0 ? 0 : 1;
            SetObjectTechniques();
        }
    }
    if (Pressed(input, input::key::Q)) {
        settings.shadows = settings.shadows != 0 ? 0 : 1;
        for (gfx::Effect* effect : {Effects().Phong(), Effects().Bump()}) {
            if (effect != nullptr) {
                effect->SetBool("render_shadows", settings.shadows != 0);
            }
        }
    }
    if (Pressed(input, input::key::Z)) {
        settings.editorOff = settings.editorOff != 0 ? 0 : 1;
        settings.editorOffDust = settings.editorOffDust != 0 ? 0 : 1;
    }
    if (Pressed(input, input::key::L)) {
        m_object_list_display = m_object_list_display != 0 ? 0 : 1;
    }
    HandleLogoVideoKey();
    ApplyExposureKeys();
    UpdateDebugText(dt);
    if (Held(input, input::key::E)) {
        const bool minus = Held(input, input::key::NumpadMinus);
        const bool plus = Held(input, input::key::NumpadPlus);
        if (minus) {
            settings.exposure -= kExposureStep;
        }
        if (plus) {
            settings.exposure += kExposureStep;
        }
        sys::Log() << "Exposure: " << settings.exposure;
    }
    if (settings.exposurePending != 0) {
        settings.exposure = settings.pendingExposure;
        settings.exposurePending = 0;
    }
    if (Held(input, input::key::C)) {
        if (Held(input, input::key::NumpadPlus)) {
            settings.lightMultiplier += kLightMultiplierStep;
        }
        if (Held(input, input::key::NumpadMinus)) {
            settings.lightMultiplier -= kLightMultiplierStep;
        }
        sys::Log() << "Light multiplier: " << settings.lightMultiplier;
    }
    if (settings.lightMultiplierPending != 0) {
        settings.lightMultiplier = settings.pendingLightMultiplier;
        settings.lightMultiplierPending = 0;
    }
}

void GraphicsProcess::UpdateScene(float dt, bool filmPlaying) {
    {
        const StepTimer timer(m_timings.particles);
        SetParticleCamera(&m_render_camera.m_eye.x, m_render_camera.m_view.m);
        UpdateParticles(dt);
    }
    const float fogRange = g_render_settings.fogRange;
    m_lights.Update(dt, m_graphics_input, [this, fogRange](Light& light) {
        return IsLightVisible(m_render_camera, light, fogRange);
    });
    HandleParticleEffectKeys();
    UpdateLaserBeams(dt);
    m_fading_quads.Update(dt);
    {
        const StepTimer timer(m_timings.componentUpdate);
        UpdateComponentsParallel(dt);
        AdvanceAnimations(dt);
    }
    {
        const StepTimer timer(m_timings.skinning);
        UpdateSkinning(dt);
    }
    UpdateCamera(dt);

    m_render_camera.m_aspect = kAspectRatio;
    if (!filmPlaying) {
        const StepTimer timer(m_timings.culling);
        BuildDrawLists(dt);
    } else {
        m_visible.clear();
    }
    if (m_visible.empty()) {
        m_render_camera.ResetDepthRange();
    } else {
        m_render_camera.FitDepthRange(DepthFitBoxes());
    }
    m_render_camera.ExtractPlanes(m_render_camera.m_view, m_render_camera.m_projection);
}

void GraphicsProcess::UpdateCamera(float dt) {
    if (m_free_camera != 0) {
        const InputState input = m_graphics_input;
        m_render_camera.UpdateFreeFly(input, dt);
        return;
    }
    // The player camera record carries the point looked at and the eye.
    if (m_player_camera != nullptr) {
        if (const PlayerInfo* info = m_player_camera->Payload<PlayerInfo>()) {
            m_render_camera.SetPose(info->m_eye, info->m_target);
        }
    }
    if (m_camera_shake_active != 0) {
        // A long shake shakes hard, the end of one only jitters.
        if (m_camera_shake_timer > 0.5f) {
            m_render_camera.ShakeRandom(dt);
        } else {
            m_render_camera.ShakeJitter(dt);
        }
    }
}

void GraphicsProcess::RenderSkyDepthBuffer(const Float4x4& viewProjection) {
    RenderTargetDesc* target = Effects().DepthTarget();
    if (target == nullptr || m_sky == nullptr) {
        return;
    }
    BeginOffscreenTarget(*target);
    m_sky->RenderDeferred(viewProjection, m_render_camera.m_eye, Sky::kDepthTechnique, 1.0f);
    RenderDepthObjects(viewProjection);
    RestoreBackBuffer(*target);
}

void GraphicsProcess::SetPassProbe(PassProbe probe) {
    m_probe = std::move(probe);
    if (m_post_chain != nullptr) {
        m_post_chain->SetPassProbe(m_probe);
    }
}

void GraphicsProcess::DrawFrame(bool filmPlaying) {
    const RenderSettings& settings = g_render_settings;
    gfx::Device& device = *m_device;
    MarkPass(m_probe, "scene update");
    device.SetBackBufferTarget();
    device.Clear(gfx::kClearTarget | gfx::kClearZBuffer | gfx::kClearStencil, 0xFF000000u, 1.0f, 0);

    const Float4x4& view = m_render_camera.OrthonormalizeUp();
    device.SetTransform(gfx::TransformKind::View, view.m);
    const Float4x4 viewProjection = view * m_render_camera.m_projection;
    // Without its targets the deferred path cannot draw: the forward path stands in.
    const bool forward = settings.deferred == 0 || !DeferredReady();
    if (forward && settings.editorOff != 0) {
        RenderSkyDepthBuffer(viewProjection);
        MarkPass(m_probe, "depth image");
    }
    device.SetTransform(gfx::TransformKind::Projection, m_render_camera.m_projection.m);
    if (settings.shadows != 0 && !filmPlaying && settings.sceneUpdate != 0) {
        RenderShadowMaps();
        MarkPass(m_probe, "shadow maps");
    }
    if (!forward) {
        BindGBuffer();
    }

    // The forward path draws its scene into the chain's target when the chain composes it.
    const bool throughChain = forward && m_post_chain != nullptr && settings.editorOff != 0;
    if (throughChain) {
        m_post_chain->BeginSceneTarget();
        device.Clear(gfx::kClearTarget | gfx::kClearZBuffer | gfx::kClearStencil, 0xFF000000u, 1.0f,
                     0);
    }
    if (m_sky != nullptr && !filmPlaying && forward) {
        m_sky->Render(viewProjection, m_render_camera.m_eye);
        MarkPass(m_probe, "sky");
    }
    if (!filmPlaying && settings.sceneUpdate != 0) {
        // The sun's values reach the object effects here, so a turn or a change of
        // intensity shows at once.
        SetObjectTechniques();
        RenderObjectLists();
        MarkPass(m_probe, "objects");
    }
    // The deferred sky lies at the far plane and writes no depth, so drawn after the objects
    // it fills only the pixels they left, with the same image as drawn first.
    if (m_sky != nullptr && !filmPlaying && !forward) {
        m_sky->RenderDeferred(viewProjection, m_render_camera.m_eye, Sky::kDeferredTechnique,
                              settings.lightMultiplier);
        MarkPass(m_probe, "sky");
    }
    if (forward && !filmPlaying) {
        RenderParticles(&m_render_camera.m_eye.x, view.m, m_render_camera.m_projection.m);
        MarkPass(m_probe, "particles");
        DrawForwardOverlays();
    }

    if (throughChain) {
        m_post_chain->EndSceneTarget();
        device.SetBackBufferTarget();
        ComposeFinalImage(nullptr, nullptr, filmPlaying);
    }
    if (!forward) {
        FinishDeferredFrame(filmPlaying);
    }
    device.SetBackBufferTarget();
    if (filmPlaying) {
        RenderFilmVideoQuad();
    } else {
        DrawVideoBackdrop();
    }
    RenderScratchLines();
    RenderFilmEffects();
    if (settings.sceneUpdate != 0) {
        DrawSprites();
    }
    m_fonts.Draw(device, m_status_text, !m_fullscreen);
    if (m_first_frame != 0) {
        device.Clear(gfx::kClearTarget, 0xFF000000u, 1.0f, 0);
    }
    MarkPass(m_probe, "overlays");
    device.Present();
    MarkPass(m_probe, "present");
}
