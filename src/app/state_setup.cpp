#include "app/state_setup.h"

#include <utility>

#include "audio/sound_instance.h"
#include "audio/sound_process.h"
#include "content/lua_handler.h"
#include "content/parser_process.h"
#include "content/resource_loader_process.h"
#include "core/message.h"
#include "core/threaded_process.h"
#include "game/game_state.h"
#include "graphics/graphics_process.h"
#include "graphics/renderer_preloader.h"

namespace state_setup {

void MapUIComponents(GameState& state, ComponentProcess* ui) {
    for (const ComponentType type :
         {ComponentType::UIElement, ComponentType::UIButton, ComponentType::UICheckBox,
          ComponentType::UISlider, ComponentType::UIDropDown, ComponentType::UIText,
          ComponentType::UIInput}) {
        state.SetComponentProcess(type, ui);
    }
}

void MapGraphicsComponents(GameState& state, bool particleSystems) {
    state.SetComponentProcess(ComponentType::Graphic, state.m_graphics);
    if (particleSystems) {
        state.SetComponentProcess(ComponentType::ParticleSystem, state.m_graphics);
    }
    state.SetComponentProcess(ComponentType::Sprite, state.m_graphics);
    state.SetComponentProcess(ComponentType::Light, state.m_graphics);
}

void MapSoundComponents(GameState& state) {
    state.SetComponentProcess(ComponentType::SoundPlayer, state.m_sound);
}

void CopyDefinitions(GameState& state) {
    if (state.m_parser != nullptr) {
        state.m_definitions = *LoadGameObjectDefinitions(state.m_parser, true);
    }
}

std::unique_ptr<GraphicsPreloader> MakePreloader(GraphicsProcess* graphics) {
    if (graphics == nullptr) {
        return nullptr;
    }
    return std::make_unique<RendererPreloader>(graphics);
}

boost::shared_ptr<ResourceLoaderProcess>
MakeResourceLoader(GameState& state, GraphicsPreloader* preloader, const std::string& script) {
    boost::shared_ptr<ResourceLoaderProcess> loader(
        new ResourceLoaderProcess(preloader, script, &state.m_definitions));
    loader->Bind(&state.Router(), HANDLER_RESOURCE_LOADER_PROCESS);
    return loader;
}

void AddFreeRunning(GameState& state, boost::shared_ptr<Process> process, int priority) {
    boost::shared_ptr<ThreadedProcess> threaded(new ThreadedProcess(std::move(process)));
    threaded->lockStep = false;
    threaded->SetPriority(priority);
    state.m_threaded_process_manager.AddThreadedProcess(threaded);
}

void SendSceneSettings(GameState& state, float exposure, float lightMultiplier, float fogRange,
                       float farDistance) {
    const std::pair<u32, float> settings[] = {{MSG_GRAPHICS_SET_EXPOSURE_VALUE, exposure},
                                              {MSG_GRAPHICS_SET_LIGHT_MULTIPLIER, lightMultiplier},
                                              {MSG_GRAPHICS_SET_FOG_RANGE, fogRange},
                                              {MSG_GRAPHICS_SET_FDIST, farDistance}};
    for (const auto& [type, value] : settings) {
        Message<float> msg(type, value);
        state.SendMessage(&msg, HANDLER_GRAPHICS_PROCESS);
    }
}

void SendShadowOption(GameState& state) {
    // Without the parser the stored options cannot be read; the renderer keeps its own.
    if (state.m_parser == nullptr) {
        return;
    }
    Message<bool> shadows(MSG_GRAPHICS_ENABLE_SHADOWS,
                          ParserProcess::LoadGraphicsOptions(state.m_parser, true)->m_shadows);
    state.SendMessage(&shadows, HANDLER_GRAPHICS_PROCESS);
}

void MarkSoundsUnused(GameState& state) {
    if (state.m_sound != nullptr) {
        state.m_sound->MarkSoundsUnused();
    }
}

void ReleaseUnusedSounds(GameState& state) {
    if (state.m_sound != nullptr) {
        state.m_sound->ReleaseUnusedSounds(false);
    }
}

void SaveThreeDeeSetting(GameState& state, unsigned int* saved) {
    Message<unsigned int*> get(MSG_GRAPHICS_GET_THREE_DEE_SETTING, saved);
    state.SendMessage(&get, HANDLER_GRAPHICS_PROCESS);
    SendThreeDeeSetting(state, 1);
}

void SendThreeDeeSetting(GameState& state, unsigned int setting) {
    Message<unsigned int> set(MSG_GRAPHICS_SET_THREE_DEE_SETTING, setting);
    state.SendMessage(&set, HANDLER_GRAPHICS_PROCESS);
}

void SendToEffectsAndMusic(GameState& state, unsigned int type) {
    for (const u32 group : {SoundInstance::kEffectsGroup, SoundInstance::kMusicGroup}) {
        Message<unsigned int> msg(type, group);
        state.SendMessage(&msg, HANDLER_SOUND_PROCESS);
    }
}

void DeleteLuaState(GameState& state) {
    if (state.m_lua != nullptr && state.m_lua_state != 0) {
        state.m_lua->DeleteState(state.m_lua_state);
        state.m_lua_state = 0;
    }
}

void Post(GameState& state, unsigned int type, unsigned int toId) {
    BaseMessage msg(type);
    state.SendMessage(&msg, toId);
}

} // namespace state_setup
