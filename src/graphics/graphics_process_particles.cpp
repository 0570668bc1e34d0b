// The renderer's particle steps: the frame's particle update and the particle debug keys.
#include <string>
#include <utility>
#include <vector>

#include "core/message.h"
#include "core/vector.h"
#include "game/sound_control.h"
#include "graphics/graphics_process.h"
#include "graphics/key_state.h"
#include "graphics/particle_system_cpu.h"
#include "graphics/particle_system_manager.h"
#include "graphics/render_settings.h"
#include "platform/input/keys.h"

namespace {

constexpr const char* kNukeScript = "./assets/particles/nuke.lua";
constexpr const char* kDemolitionSound = "assets/sound fx/building_demolition_2.mp3";
constexpr f32 kDemolitionVolume = 1.5f;

using key_state::Pressed;

} // namespace

void GraphicsProcess::HandleParticleKeys() {
    const InputState& input = m_graphics_input;
    RenderSettings& settings = g_render_settings;
    if (Pressed(input, input::key::P)) {
        settings.particles = settings.particles != 0 ? 0 : 1;
    }
    if (Pressed(input, input::key::R)) {
        ParticleSystemManager::Instance()->ReloadTemplates();
    }
}

void GraphicsProcess::HandleParticleEffectKeys() {
    const InputState& input = m_graphics_input;
    ParticleSystemManager* manager = ParticleSystemManager::Instance();
    const u8 digits[] = {input::key::Digit1, input::key::Digit2, input::key::Digit3,
                         input::key::Digit4};
    for (u32 i = 0; i < 4; ++i) {
        if (Pressed(input, digits[i])) {
            manager->CreateParticleSystemByIndex(i, nullptr);
        }
    }
    if (Pressed(input, input::key::Digit5)) {
        Message<std::pair<std::string, Vector>> script(
            MSG_PARTICLE_SYSTEM_SCRIPT_CREATE_SCRIPT_VECTOR,
            std::make_pair(std::string(kNukeScript), Vector(-50.0f, 0.0f, 600.0f)));
        if (router != nullptr) {
            SendMessage(&script, HANDLER_PARTICLE_SYSTEM_SCRIPT_PROCESS);
        }
    }
    if (Pressed(input, input::key::K)) {
        manager->DetachAll();
    }
    if (Pressed(input, input::key::M)) {
        m_particle_emission_stopped = m_particle_emission_stopped != 0 ? 0 : 1;
        manager->ApplyEmissionToggle(m_particle_emission_stopped);
    }
    if (Pressed(input, input::key::N)) {
        const Vector first(10.0f, 20.0f, 10.0f);
        const Vector second(20.0f, 10.0f, 10.0f);
        manager->CreateParticleSystem("BossExplosion1", &first);
        manager->CreateParticleSystem("BossExplosion2", &second);
        if (router != nullptr) {
            Message<std::vector<float>> flash(MSG_GRAPHICS_EXPOSURE_TEMP_CHANGE,
                                              std::vector<float>{8.0f, 1.8f, 8.0f, 1.0f});
            SendMessage(&flash, kHandlerId);
            // The sound process answers with the instance, which is kept for playing.
            m_sound_instance = nullptr;
            Message<std::string> sound(MSG_GET_SOUND_INSTANCE, std::string(kDemolitionSound));
            SendMessage(&sound, HANDLER_SOUND_PROCESS);
            if (m_sound_instance != nullptr && m_sound_control != nullptr) {
                m_sound_control->Play(m_sound_instance, kDemolitionVolume, false);
            }
        }
    }
}

void GraphicsProcess::UpdateParticles(float dt) {
    const RenderSettings& settings = g_render_settings;
    if (settings.particles == 0 || m_film_leader_playing != 0 || m_credits_playing != 0) {
        return;
    }
    ParticleSystemManager::Instance()->Update(dt);
}

void GraphicsProcess::RenderParticles(const f32* eye, const f32* view, const f32* projection) {
    const RenderSettings& settings = g_render_settings;
    if (settings.particles == 0 || m_film_leader_playing != 0 || m_credits_playing != 0) {
        return;
    }
    ParticleSystemManager::Instance()->Render(*this, eye, view, projection);
}

void GraphicsProcess::SetParticleCamera(const f32* eye, const f32* view) {
    // The columns of a view matrix for row vectors are the camera's axes in the world.
    ParticleCamera camera;
    for (int a = 0; a < 3; ++a) {
        camera.eye[a] = eye[a];
        camera.right[a] = view[a * 4 + 0];
        camera.up[a] = view[a * 4 + 1];
    }
    ParticleSystemManager::Instance()->SetCamera(camera);
}
