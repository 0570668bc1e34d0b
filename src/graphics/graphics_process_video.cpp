// The renderer's videos on screen: the film leader and credits quad, the logo and menu
// videos behind the sprites, and the logo video's debug key.
#include "graphics/graphics_process.h"
#include "graphics/key_state.h"
#include "graphics/render_state_cache.h"
#include "graphics/screen_quad.h"
#include "graphics/video_manager.h"
#include "platform/gfx/device.h"
#include "platform/input/keys.h"

namespace {

// Whole-screen picture of a video's current frame; nothing before its first frame.
void DrawVideoQuad(gfx::Device& device, const char* name) {
    gfx::Texture* frame = VideoManager::Instance()->GetTexture(name);
    if (frame == nullptr) {
        return;
    }
    RenderStateCache::Set(device, gfx::kRsZEnable, 0);
    RenderStateCache::Set(device, gfx::kRsAlphaBlendEnable, 0);
    RenderStateCache::Set(device, gfx::kRsCullMode, gfx::kCullNone);
    RenderStateCache::SetSampler(device, 0, gfx::kSampAddressU, gfx::kAddressClamp);
    RenderStateCache::SetSampler(device, 0, gfx::kSampAddressV, gfx::kAddressClamp);
    RenderStateCache::SetSampler(device, 0, gfx::kSampMipFilter, gfx::kFilterNone);
    device.SetProgram(0);
    device.SetTexture(0, frame);
    DrawScreenQuadLinear(device);
    device.SetTexture(0, nullptr);
    RenderStateCache::Set(device, gfx::kRsZEnable, 1);
}

} // namespace

void GraphicsProcess::HandleLogoVideoKey() {
    const InputState& input = m_graphics_input;
    if (!key_state::Pressed(input, input::key::V)) {
        return;
    }
    VideoManager* videos = VideoManager::Instance();
    const int alt = input.m_keys[input::key::LeftAlt];
    if (alt == INPUT_PRESSED || alt == INPUT_HELD) {
        videos->Stop(VideoManager::kLogoVideo);
        videos->Unload(VideoManager::kLogoVideo);
        m_logo_video_loaded = 0;
    } else if (m_logo_video_loaded == 0) {
        videos->Load(VideoManager::kLogoVideo, m_device.get());
        videos->Restart(VideoManager::kLogoVideo);
        m_logo_video_loaded = 1;
    } else {
        videos->ToggleLogoVideo();
    }
}

void GraphicsProcess::UpdateScreenVideos(float dt) {
    // The film leader and the credits advance every video themselves.
    if (m_film_leader_playing == 0 && m_credits_playing == 0) {
        VideoManager::Instance()->Update(dt);
    }
}

void GraphicsProcess::RenderFilmVideoQuad() {
    if (m_device == nullptr) {
        return;
    }
    if (m_film_leader_playing != 0) {
        DrawVideoQuad(*m_device, kFilmLeaderVideo);
    } else if (m_credits_playing != 0) {
        DrawVideoQuad(*m_device, kCreditsVideo);
    }
}

void GraphicsProcess::DrawVideoBackdrop() {
    if (m_device == nullptr || m_film_leader_playing != 0 || m_credits_playing != 0) {
        return;
    }
    // The menu's video plays on the drive-in screen of its scene, not over it.
    if (VideoManager::Instance()->GetTexture(VideoManager::kLogoVideo) != nullptr) {
        DrawVideoQuad(*m_device, VideoManager::kLogoVideo);
    }
}
