#include "app/level_state.h"

#include <iostream>
#include <string>

#include <boost/shared_ptr.hpp>

#include "PhysX/physx_component.h"
#include "PhysX/physx_process.h"
#include "ai/ai_view_process.h"
#include "animation/animation_controller.h"
#include "animation/animation_process.h"
#include "animation/joint.h"
#include "animation/skeleton.h"
#include "app/shell_globals.h"
#include "app/state_setup.h"
#include "audio/sound_instance.h"
#include "audio/sound_process.h"
#include "city/building_process.h"
#include "city/bullet_process.h"
#include "city/game_logic_process.h"
#include "city/trigger_process.h"
#include "content/game_state_loader_process.h"
#include "content/graphics_preloader.h"
#include "content/resource_loader_process.h"
#include "core/game_object.h"
#include "core/globals.h"
#include "core/message.h"
#include "graphics/graphics_process.h"
#include "graphics/particle_system_manager.h"
#include "graphics/particle_system_script_process.h"
#include "graphics/video_manager.h"
#include "player/player_process.h"
#include "ui/ui_process.h"

namespace {

constexpr const char* kLevelScreen = "Level";
constexpr float kFilmLeaderVolume = 0.4f;
constexpr float kPlayFadeIn = 2.0f;
constexpr float kPlayFadeInDelay = 0.1f;

constexpr const char* kMothershipTube = "AI-Boss-Fly-MothershipTube";
constexpr const char* kLevelMeshes[] = {"assets/art/tube0.X",
                                        "assets/art/tube1.X",
                                        "assets/art/tube2.X",
                                        "assets/art/tube3.X",
                                        "assets/art/tube4.X",
                                        "assets/art/mothership_tube0.X",
                                        "assets/art/mothership_tube1.X",
                                        "assets/art/mothership_tube2.X",
                                        "assets/art/mothership_tube3.X",
                                        "assets/art/mothership_tube4.X",
                                        "assets/art/mothership_tube5.X"};

std::string PlayedScript(const std::string& name) {
    const std::string::size_type extension = name.find(".lua");
    if (!g_editor_test || extension == std::string::npos) {
        return name;
    }
    return name.substr(0, extension) + "_temp" + name.substr(extension);
}

// A tower side in whole blocks. Scripts can send anything; a value that is no count (NaN,
// negative) gives no blocks rather than an undefined conversion.
i32 TowerCells(float size) {
    if (!(size >= 1.0f)) {
        return 0;
    }
    return size >= static_cast<float>(LevelState::kMaxTowerCells) ? LevelState::kMaxTowerCells
                                                                  : static_cast<i32>(size);
}

// Where a tower cell's index puts a block along one side, before the tower's location.
float TowerOffset(i32 index, i32 count) {
    return static_cast<float>(index - count / 2) * LevelState::kTowerCell;
}

template <class T> T* ComponentOf(const GameObject* object, ComponentType type) {
    return object == nullptr ? nullptr : dynamic_cast<T*>(object->GetComponent(type));
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
    RemoveAllProcesses();
}

void LevelState::Initialize() {
    state_setup::SaveThreeDeeSetting(*this, &m_three_dee);

    m_endless = m_name.find("endless") != std::string::npos;
    m_tutorial = m_name.find("tutorial") != std::string::npos;

    AddProcesses();
    MapComponents();
    state_setup::CopyDefinitions(*this);
    RegisterObjectCallback("Robot", [this] { return CreateRobot(); });
    RegisterObjectCallback("AI-Boss-Fly-Mothership", [this] { return CreateMothership(); });
    RegisterObjectCallback("Tower", [this] { return CreateTower(); });
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
    AddProcess(boost::shared_ptr<Process>(new GameLogicProcess(m_endless, m_tutorial)),
               HANDLER_GAME_LOGIC_PROCESS);
    AddProcess(boost::shared_ptr<Process>(new TriggerProcess()), HANDLER_TRIGGER_PROCESS);
    AddProcess(boost::shared_ptr<Process>(new AIViewProcess(m_tutorial)), HANDLER_AI_VIEW_PROCESS);
    AddProcess(boost::shared_ptr<Process>(new BulletProcess()), HANDLER_BULLET_PROCESS);
    AddProcess(boost::shared_ptr<Process>(new PhysXProcess()), HANDLER_PHYSX_PROCESS);
    const boost::shared_ptr<AnimationProcess> animation(new AnimationProcess());
    m_animation = animation.get();
    AddProcess(animation, HANDLER_ANIMATION_PROCESS);
    AddProcess(boost::shared_ptr<Process>(new PlayerProcess(m_input, m_endless, m_tutorial)),
               HANDLER_PLAYER_PROCESS);
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
        instance->Play(kFilmLeaderVolume, 0);
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
    SendComponentUpdate(MSG_UNPAUSE_COMPONENT_UPDATE);
    if (!m_film_leader) {
        StartPlay();
    }
    m_threaded_process_manager.RemoveAllProcesses();
    m_loading = false;
    m_loading_complete = false;
}

void LevelState::StartPlay() {
    std::cout << "LevelState::StartPlay: " << m_name << std::endl;
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

    // A level left while it loads: the script's thread builds objects into this state, so it
    // stops before the objects go.
    m_threaded_process_manager.RemoveAllProcesses();
    DestroyObjects();
    state_setup::MarkSoundsUnused(*this);
    RemoveAllProcesses();

    if (m_graphics != nullptr) {
        for (const char* mesh : kLevelMeshes) {
            m_graphics->UnloadMesh(mesh);
        }
    }
    ParticleSystemManager::GetInstance()->DetachAll();

    // The level's script ran in a Lua state of the loader's own, which deleted it; only a
    // state this level made itself is deleted here.
    state_setup::DeleteLuaState(*this);
}

void LevelState::AttachPart(GameObject* base, GameObject* part, Skeleton* skeleton) {
    if (part == nullptr) {
        return;
    }
    // The joint is bound before the part joins the base, so a part without one leaves no
    // gap: the parts after it move up a slot.
    if (skeleton != nullptr) {
        auto* joint = ComponentOf<JointComponent>(part, ComponentType::Joint);
        if (auto* rig = joint != nullptr ? dynamic_cast<AnimationProcess*>(joint->process) : nullptr) {
            skeleton->AddJoint(rig->DetachJoint(joint));
        }
    }
    part->parentObject = base;
    base->childObjects.push_back(part);
    part->NotifyComponents();
    const auto* baseBody = ComponentOf<PhysXComponent>(base, ComponentType::Physics);
    auto* partBody = ComponentOf<PhysXComponent>(part, ComponentType::Physics);
    if (baseBody != nullptr && partBody != nullptr) {
        partBody->m_actor = baseBody->m_actor;
    }
}

GameObject* LevelState::CreateRobot() {
    GameObject* const base = CreateObject("RobotBase");
    if (base == nullptr) {
        return nullptr;
    }
    // No joint on the body, no rig: the robot is the base alone.
    GameObject* const body = CreateObject("RobotBody");
    auto* const bodyJoint =
        body != nullptr ? ComponentOf<JointComponent>(body, ComponentType::Joint) : nullptr;
    auto* const rig =
        bodyJoint != nullptr ? dynamic_cast<AnimationProcess*>(bodyJoint->process) : nullptr;
    if (rig == nullptr) {
        return base;
    }
    Skeleton* const skeleton = rig->AddSkeleton();
    if (auto* controller =
            ComponentOf<AnimationController>(base, ComponentType::AnimationController)) {
        controller->m_skeleton = skeleton;
    }
    AttachPart(base, body, skeleton);
    for (const char* part :
         {"RobotHead", "RobotRightArm", "RobotLeftArm", "RobotLeg", "RobotLeg"}) {
        AttachPart(base, CreateObject(part), skeleton);
    }
    for (u32 i = 0; i < kRobotHealthParts; ++i) {
        AttachPart(base, CreateObject("RobotHealth"));
    }
    return base;
}

StreamMap LevelState::MothershipTubeParameters(u32 index) {
    StreamMap stream(StreamMap::kDefaultCapacity);
    stream.WriteString(kMothershipTube);
    stream.WriteString("Graphic");
    stream.AddString("Mesh", "assets/art/mothership_tube" + std::to_string(index) + ".X");
    stream.AddString("Bump Map", "");
    stream.AddString("Specular Map", "");
    stream.AddBool("Cast Shadow", false);
    stream.AddFloat("HDR Multiplier", 1.0f);
    stream.AddFloat("Specular Power", 0.0f);
    stream.AddBool("Render Red", false);
    stream.AddBool("Animated", false);
    stream.AddString("Breakable", "false");
    return stream;
}

GameObject* LevelState::CreateMothership() {
    GameObject* const base = CreateObject("AI-Boss-Fly-MothershipBase");
    if (base == nullptr) {
        return nullptr;
    }
    AttachPart(base, CreateObject("AI-Boss-Fly-MothershipBFG"));
    AttachPart(base, CreateObject("AI-Boss-Fly-MothershipBFGCore"));
    for (u32 i = 0; i < kMothershipTurrets; ++i) {
        GameObject* const turret = CreateObject("AI-Boss-Fly-MothershipTurret");
        if (turret == nullptr) {
            continue;
        }
        StreamMap parameters = MothershipTubeParameters(i);
        if (Component* tube = CreateComponent(ComponentType::Graphic, &parameters)) {
            turret->AddComponent(ComponentType::Graphic, tube);
            // The turret's own components were initialised when it was made.
            tube->Initialize();
        }
        AttachPart(base, turret);
    }
    for (u32 i = 0; i < kMothershipHatches; ++i) {
        AttachPart(base, CreateObject("AI-Boss-Fly-MothershipHatch"));
    }
    return base;
}

GameObject* LevelState::CreateTower() {
    const i32 nx = TowerCells(m_tower_size.x);
    const i32 ny = TowerCells(m_tower_size.y);
    const i32 nz = TowerCells(m_tower_size.z);
    GameObject* last = nullptr;
    // A side without blocks is no tower: walls at index nx - 1 would land outside it.
    if (nx == 0 || ny == 0 || nz == 0) {
        return last;
    }
    const Vector location = m_tower_location;
    const auto place = [this, &last, &location](float x, float y, float z) {
        GameObject* const block = CreateObject("BuildingBlock");
        if (block == nullptr) {
            return;
        }
        block->SetPosition(Vector(x, y, z) + location);
        last = block;
    };
    const auto wall = [&place, nx, nz](i32 i, i32 y, i32 k) {
        place(TowerOffset(i, nx) + kTowerHalfCell,
              static_cast<float>(y) * kTowerCell + kTowerHalfCell,
              TowerOffset(k, nz) + kTowerHalfCell);
    };

    for (i32 y = 0; y < ny; ++y) {
        // A side one block wide has one wall there, not two in the same place.
        for (i32 x = 0; x < nx; ++x) {
            wall(x, y, 0);
            if (nz > 1) {
                wall(x, y, nz - 1);
            }
        }
        for (i32 z = 1; z < nz - 1; ++z) {
            wall(0, y, z);
            if (nx > 1) {
                wall(nx - 1, y, z);
            }
        }
    }
    const float roof = static_cast<float>(ny - 1) * kTowerCell + kTowerHalfCell;
    for (i32 x = 1; x < nx - 1; ++x) {
        for (i32 z = 1; z < nz - 1; ++z) {
            place(TowerOffset(x, nx), roof, TowerOffset(z, nz));
        }
    }
    return last;
}
