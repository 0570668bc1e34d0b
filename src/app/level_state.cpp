#include "app/level_state.h"

#include <iostream>
#include <string>

#include <boost/shared_ptr.hpp>

#include "PhysX/physx_process.h"
#include "ai/ai_view_process.h"
#include "ai/mothership_builder.h"
#include "ai/mothership_states.h"
#include "ai/unit_states.h"
#include "animation/animation_process.h"
#include "app/input_controls.h"
#include "app/level_building_services.h"
#include "app/level_unit_look.h"
#include "app/mothership_links.h"
#include "app/state_setup.h"
#include "app/unit_audio.h"
#include "audio/sound_instance.h"
#include "audio/sound_instance_control.h"
#include "audio/sound_process.h"
#include "city/building_process.h"
#include "city/building_services.h"
#include "city/bullet_process.h"
#include "city/game_logic_process.h"
#include "city/tower_builder.h"
#include "city/trigger_process.h"
#include "content/game_state_loader_process.h"
#include "content/graphics_preloader.h"
#include "content/resource_loader_process.h"
#include "core/asset_paths.h"
#include "core/game_object.h"
#include "core/globals.h"
#include "core/message.h"
#include "game/shell_globals.h"
#include "graphics/graphic_component.h"
#include "graphics/graphics_process.h"
#include "graphics/particle_system_manager.h"
#include "graphics/particle_system_script_process.h"
#include "graphics/video_manager.h"
#include "platform/system/log.h"
#include "player/player_process.h"
#include "player/robot_builder.h"
#include "ui/ui_process.h"

namespace {

constexpr const char* kLevelScreen = "Level";
constexpr float kFilmLeaderVolume = 0.4f;
constexpr float kPlayFadeIn = 2.0f;
constexpr float kPlayFadeInDelay = 0.1f;

std::string PlayedScript(const std::string& name) {
    const std::string::size_type extension = name.find(".lua");
    if (!g_editor_test || extension == std::string::npos) {
        return name;
    }
    return name.substr(0, extension) + "_temp" + name.substr(extension);
}

} // namespace

LevelState::LevelState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
                       InputControls* input, LuaHandler* lua, ParserProcess* parser,
                       MessageRouter* parent)
    : GameState(PlayedScript(name), graphics, sound, input, lua, parser, parent),
      m_preloader(state_setup::MakePreloader(graphics)) {
    SetStateId(HANDLER_LEVEL_STATE);
}

LevelState::~LevelState() {
    // A level deleted without Exit goes the same way: objects hand their components back to
    // live processes before the processes go.
    DestroyLevelObjects();
    RemoveAllProcesses();
    m_game_logic = nullptr;
    if (m_building_services != nullptr) {
        BuildingServices::Install(nullptr);
    }
}

void LevelState::DestroyLevelObjects() {
    // A level left while it loads: the script's thread builds objects into this state, so it
    // stops before the objects go.
    m_threaded_process_manager.RemoveAllProcesses();
    // Objects removed now are not destroyed in play: no coil bursts into the next state.
    if (m_game_logic != nullptr) {
        m_game_logic->BeginTeardown();
    }
    DestroyObjects();
}

void LevelState::Initialize() {
    state_setup::SaveThreeDeeSetting(*this, &m_three_dee);

    m_endless = m_name.find("endless") != std::string::npos;
    m_tutorial = m_name.find("tutorial") != std::string::npos;

    m_building_services = std::make_unique<LevelBuildingServices>(m_sound, m_parser);
    BuildingServices::Install(m_building_services.get());
    AddProcesses();
    MapComponents();
    state_setup::CopyDefinitions(*this);
    RegisterObjectCallback("Robot", [this] { return CreateRobot(*this, m_animation); });
    RegisterObjectCallback("AI-Boss-Fly-Mothership", [this] { return CreateMothership(*this); });
    RegisterObjectCallback("Tower",
                           [this] { return CreateTower(*this, m_tower_size, m_tower_location); });
    if (m_endless) {
        CreateObject("ScoreText");
    }

    state_setup::SendToEffectsAndMusic(*this, MSG_SOUND_MUTE_GROUP);

    StartLoading();
    SendComponentUpdate(MSG_PAUSE_COMPONENT_UPDATE);
    state_setup::Post(*this, MSG_INPUT_SWITCH_GAME, HANDLER_INPUT_CONTROLS);

    PlayFilmLeader();
    state_setup::SendSceneSettings(*this, 4.0f, 1.0f, 600.0f, 0.9759f);
    state_setup::SendShadowOption(*this);
    Message<bool> cursor(MSG_INPUT_DISPLAY_CURSOR, false);
    SendMessage(&cursor, HANDLER_INPUT_CONTROLS);
    state_setup::Post(*this, MSG_GAME_SET_WINDOW_FOCUS, HANDLER_GAME);

    state_setup::ReleaseUnusedSounds(*this);
    m_initialized = true;
}

void LevelState::AddProcesses() {
    const boost::shared_ptr<GameLogicProcess> logic(new GameLogicProcess(m_endless, m_tutorial));
    logic->SetSoundControl(SoundInstanceControl::Instance());
    logic->SetBreakableGraphic(BreakableGraphicOf);
    m_game_logic = logic.get();
    AddProcess(logic, HANDLER_GAME_LOGIC_PROCESS);
    AddProcess(boost::shared_ptr<Process>(new TriggerProcess()), HANDLER_TRIGGER_PROCESS);
    RegisterUnitStates();
    SetMothershipLinks(LevelMothershipLinks());
    auto* const ai = new AIViewProcess(m_tutorial);
    static LevelUnitLook look;
    ai->SetServices(&look, SoundPlayerUnitAudio(), SpawnPointComponentLink::Instance());
    AddProcess(boost::shared_ptr<Process>(ai), HANDLER_AI_VIEW_PROCESS);
    AddProcess(boost::shared_ptr<Process>(new BulletProcess()), HANDLER_BULLET_PROCESS);
    AddProcess(boost::shared_ptr<Process>(new PhysXProcess()), HANDLER_PHYSX_PROCESS);
    const boost::shared_ptr<AnimationProcess> animation(new AnimationProcess());
    m_animation = animation.get();
    AddProcess(animation, HANDLER_ANIMATION_PROCESS);
    auto* const players = new PlayerProcess(m_input, m_endless, m_tutorial);
    players->m_audio = SoundPlayerRobotAudio();
    AddProcess(boost::shared_ptr<Process>(players), HANDLER_PLAYER_PROCESS);
    AddProcess(boost::shared_ptr<Process>(new BuildingProcess(m_building_flag, m_endless)),
               HANDLER_BUILDING_PROCESS);
    AddProcess(boost::shared_ptr<Process>(new UIProcess(kLevelScreen, m_state_id, m_parser)),
               HANDLER_UI_PROCESS);
    AddProcess(boost::shared_ptr<Process>(new ParticleSystemScriptProcess()),
               HANDLER_PARTICLE_SYSTEM_SCRIPT_PROCESS);
}

void LevelState::MapComponents() {
    // The processes by the ids they were just added under.
    const auto process = [this](HandlerId id) -> ComponentProcess* {
        for (const boost::shared_ptr<Process>& p : m_process_manager.processes) {
            if (p->id == id) {
                return dynamic_cast<ComponentProcess*>(p.get());
            }
        }
        return nullptr;
    };
    ComponentProcess* const ai = process(HANDLER_AI_VIEW_PROCESS);
    SetComponentProcess(ComponentType::AIView, ai);
    SetComponentProcess(ComponentType::SpawnPoint, ai);
    SetComponentProcess(ComponentType::Bullet, process(HANDLER_BULLET_PROCESS));
    ComponentProcess* const player = process(HANDLER_PLAYER_PROCESS);
    SetComponentProcess(ComponentType::Player, player);
    SetComponentProcess(ComponentType::PlayerChild, player);
    SetComponentProcess(ComponentType::Joint, m_animation);
    SetComponentProcess(ComponentType::AnimationController, m_animation);
    state_setup::MapGraphicsComponents(*this, true);
    state_setup::MapSoundComponents(*this);
    state_setup::MapUIComponents(*this, process(HANDLER_UI_PROCESS));
    SetComponentProcess(ComponentType::Building, process(HANDLER_BUILDING_PROCESS));
    SetComponentProcess(ComponentType::Physics, process(HANDLER_PHYSX_PROCESS));
    SetComponentProcess(ComponentType::GameLogic, process(HANDLER_GAME_LOGIC_PROCESS));
    SetComponentProcess(ComponentType::Trigger, process(HANDLER_TRIGGER_PROCESS));
}

void LevelState::StartLoading() {
    const boost::shared_ptr<ResourceLoaderProcess> resources =
        state_setup::MakeResourceLoader(*this, m_preloader.get(), LevelPath);
    state_setup::AddFreeRunning(*this, resources, kResourceLoaderPriority);
    // The script runs once the resources are in, one step per frame.
    const boost::shared_ptr<GameStateLoaderProcess> script(new GameStateLoaderProcess(m_name));
    script->Bind(&m_router, HANDLER_GAME_STATE_LOADER_PROCESS);
    resources->SetThreadRequest(script, true, true, kStateLoaderPriority);
    m_loading = true;
}

void LevelState::PlayFilmLeader() {
    VideoManager::Instance()->Load(kFilmLeaderVideo,
                                   m_graphics != nullptr ? m_graphics->GetDevice() : nullptr);
    Sound* const sound = m_sound != nullptr ? m_sound->LoadSound(kFilmLeaderSound, false) : nullptr;
    state_setup::Post(*this, MSG_GRAPHICS_PLAY_FILM_LEAD, HANDLER_GRAPHICS_PROCESS);
    if (sound == nullptr) {
        return;
    }
    if (SoundInstance* const instance = m_sound->GetSoundInstance(sound)) {
        instance->m_group = SoundInstance::kFilmLeaderGroup;
        instance->Play(kFilmLeaderVolume, false);
    }
}

void LevelState::SendComponentUpdate(u32 type) {
    for (const HandlerId to : {HANDLER_GRAPHICS_PROCESS, HANDLER_SOUND_PROCESS, HANDLER_GAME}) {
        state_setup::Post(*this, type, to);
    }
}

void LevelState::Update(float dt) {
    if (!m_loading) {
        m_process_manager.Update(dt);
        return;
    }
    m_threaded_process_manager.Update(dt);
    if (!m_loading_complete) {
        return;
    }
    // The loader asked for one update of the level's processes before it finished.
    RunPendingUpdateOnce();
    SendComponentUpdate(MSG_UNPAUSE_COMPONENT_UPDATE);
    if (!m_film_leader) {
        StartPlay();
    }
    m_threaded_process_manager.RemoveAllProcesses();
    m_loading = false;
    m_loading_complete = false;
}

void LevelState::StartPlay() {
    sys::Log() << "LevelState::StartPlay: " << m_name;
    state_setup::SendToEffectsAndMusic(*this, MSG_SOUND_UNMUTE_GROUP);
    state_setup::Post(*this, MSG_PLAY_MUSIC, HANDLER_GAME_LOGIC_PROCESS);
    Message<float> fadeIn(MSG_GRAPHICS_FADE_IN, kPlayFadeIn);
    SendMessage(&fadeIn, HANDLER_GRAPHICS_PROCESS, kPlayFadeInDelay);
    state_setup::SendThreeDeeSetting(*this, m_three_dee);
}

void LevelState::HandleMessage(BaseMessage* msg, u32 fromId) {
    switch (msg->type) {
    case MSG_LEVEL_FILM_LEAD_STARTED:
        PauseProcesses({});
        m_film_leader = true;
        break;
    case MSG_LEVEL_FILM_LEAD_ENDED:
        UnpauseProcesses({});
        m_film_leader = false;
        if (!m_threaded_process_manager.HasProcesses()) {
            StartPlay();
        }
        break;
    default:
        GameState::HandleMessage(msg, fromId);
        break;
    }
}

void LevelState::Exit() {
    if (m_film_leader) {
        state_setup::Post(*this, MSG_GRAPHICS_STOP_FILM_LEAD, HANDLER_GRAPHICS_PROCESS);
    }
    SendComponentUpdate(MSG_UNPAUSE_COMPONENT_UPDATE);

    DestroyLevelObjects();
    state_setup::MarkSoundsUnused(*this);
    RemoveAllProcesses();
    m_game_logic = nullptr;

    if (m_graphics != nullptr) {
        for (const char* mesh : asset_path::kTubeMeshes) {
            m_graphics->UnloadMesh(mesh);
        }
        for (u32 i = 0; i < asset_path::kMothershipTubeMeshCount; ++i) {
            m_graphics->UnloadMesh(asset_path::MothershipTubeMesh(i));
        }
    }
    ParticleSystemManager::Instance()->DetachAll();

    // The level's script ran in a Lua state of the loader's own, which deleted it; only a
    // state this level made itself is deleted here.
    state_setup::DeleteLuaState(*this);
}
