#include "city/game_logic_process.h"

#include <algorithm>
#include <utility>

#include "PhysX/physx_component.h"
#include "city/game_logic_component.h"
#include "city/game_logic_tables.h"
#include "content/particle_system_info.h"
#include "core/component_header.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/message.h"
#include "game/radial_force.h"
#include "game/remove_count.h"
#include "game/sound_control.h"
#include "game/spawn_struct.h"
#include "platform/system/crt_rand.h"
#include "platform/system/log.h"

namespace {

constexpr const char* kIntroMusic = "./assets/music/Game Intro [in game].mp3";
constexpr const char* kRobotMusic = "./assets/music/A Robot's Afoot [in game].mp3";
constexpr const char* kAmbushMusic = "./assets/music/Attack The City [in game].mp3";
constexpr const char* kUFOMusic = "./assets/music/Flight Of The UFO [in game].mp3";
constexpr const char* kMothershipMusic = "./assets/music/Mothership [in game].mp3";
constexpr const char* kEndlessMusic = "./assets/music/music.mp3";
constexpr const char* kCoilSound = "./assets/sound fx/medium_explosion.mp3";
constexpr f32 kIntroMusicDelay = 17.0f;
constexpr f32 kBossHeight = 130.4f;

// The payload of a message that carries a type name and a number, in either form senders use.
bool ReadNameAndCount(BaseMessage* msg, std::string* name, i32* count) {
    if (const RemoveCount* record = msg->Payload<RemoveCount>()) {
        *name = record->m_type_name;
        *count = record->m_count;
        return true;
    }
    if (const auto* pair = msg->Payload<std::pair<std::string, u32>>()) {
        *name = pair->first;
        *count = static_cast<i32>(pair->second);
        return true;
    }
    return false;
}

} // namespace

GameLogicProcess::GameLogicProcess(bool endless, bool tutorial)
    : m_endless(endless), m_tutorial(tutorial) {
    // The empty wave: only citizens and cars until the script chooses one.
    SetPhase(game_logic_tables::kEmptyWave);
    m_waveNumber = 0;
    m_waveTarget[kCitizen] = 30;
    m_waveTarget[kCar] = 14;
    m_waveMode = 4;
    if (m_endless) {
        m_waveNumber += 1;
        m_phaseTime = 0.0f;
        m_phaseDuration = 30.0f;
        m_phaseEnd = 35.0f;
        m_phase = 1;
        m_waveTarget[kTank] = 12;
        m_waveTarget[kHelicopter] = 4;
        m_waveTarget[kTruck] = 4;
        m_waveTarget[kJeep] = 3;
        m_waveTarget[kTransport] = 0;
        m_waveTarget[kMissile] = 0;
    }
}

GameLogicProcess::~GameLogicProcess() {
    // Objects hand their components back before the processes go; anything left here was
    // never handed back and goes with the process.
    for (GameLogicComponent* component : m_components) {
        delete component;
    }
}

std::string GameLogicProcess::ClassifyObject(i32 category) {
    if (category < 0 || category >= kCategoryCount) {
        return std::string();
    }
    return game_logic_tables::kCategoryNames[category];
}

void GameLogicProcess::Initialize() {
    const auto load = [this](const char* path) {
        Message<std::string> msg(MSG_LOAD_SOUND_STREAM, path);
        SendMessage(&msg, HANDLER_SOUND_PROCESS);
    };
    if (!m_endless && !m_tutorial) {
        load(kIntroMusic);
        load(kRobotMusic);
    } else {
        load(kEndlessMusic);
    }
    Message<bool> endless(MSG_ENDLESS_MODE_ON, m_endless);
    SendMessage(&endless, HANDLER_AI_VIEW_PROCESS);

    if (m_endless) {
        for (const game_logic_tables::EndlessRow& row : game_logic_tables::kEndlessRows) {
            m_waveTarget[row.category] = row.startTarget;
            m_targetCap[row.category] = row.cap;
            m_growthInterval[row.category] = row.interval;
            m_growthStep[row.category] = row.step;
        }
    }
}

void GameLogicProcess::Update(float dt) {
    if (!m_initialized) {
        Initialize();
        m_initialized = true;
    }
    m_phaseTime += dt;

    if (!m_endless) {
        if (!m_tutorial) {
            UpdateObjectives(dt);
        }
        if (m_phaseDuration > m_phaseTime) {
            SpawnNormal();
            AdvanceSpawnTimers(dt);
        } else if (m_phaseTime >= m_phaseEnd) {
            NextPhase();
        }
    } else {
        AdvanceSpawnTimers(dt);
        SpawnEndless(dt);
        const double factor = std::clamp(m_heat, 0.0, 1.0);
        m_heat -= static_cast<double>(dt * 0.5f) * factor;
        if (!(m_heat > 0.0)) {
            m_heat = 0.0;
        }
        SendXP();
    }

    if (m_introMusic != nullptr && m_sound_control != nullptr &&
        m_sound_control->IsFinished(m_introMusic)) {
        m_sound_control->MarkRelease(m_introMusic);
        m_introMusic = nullptr;
    }
}

void GameLogicProcess::SendXP() {
    if (m_pendingXP > 0.0) {
        // A burst of rewards in one frame is capped; the excess is dropped, not carried.
        Message<double> xp(MSG_PLAYER_XP, std::min(m_pendingXP, kMaxXPPerFrame));
        SendMessage(&xp, HANDLER_PLAYER_PROCESS);
    }
    m_pendingXP = 0.0;
}

Component* GameLogicProcess::CreateComponent(StreamMap* parameters) {
    ComponentHeader header;
    if (!header.Read(parameters) || header.Type() != ComponentType(ComponentType::GameLogic)) {
        return nullptr;
    }
    auto* component = new GameLogicComponent(header.m_object_type);
    component->process = this;
    m_components.push_back(component);
    return component;
}

void GameLogicProcess::RemoveComponent(Component* component) {
    const auto found = std::find(m_components.begin(), m_components.end(), component);
    if (found == m_components.end()) {
        return;
    }
    GameLogicComponent* const logic = *found;
    m_components.erase(found);
    const std::string& type = logic->m_object_type;
    const bool coil =
        type.find("Coil") != std::string::npos && type.find("Small") == std::string::npos;
    if (coil && !m_tearing_down && logic->owner != nullptr) {
        PlayCoilBurst(*logic->owner);
    }
    delete logic;
}

void GameLogicProcess::BeginTeardown() {
    m_tearing_down = true;
    if (m_sound_control != nullptr) {
        for (SoundInstance* const instance : {m_music, m_introMusic}) {
            if (instance != nullptr) {
                m_sound_control->Stop(instance);
                m_sound_control->MarkRelease(instance);
            }
        }
    }
    m_music = nullptr;
    m_introMusic = nullptr;
}

void GameLogicProcess::PlayCoilBurst(const GameObject& coil) {
    static constexpr const char* kEffects[] = {"explosion", "ElectricSparks", "LaserExplosion",
                                               "missileexplosion"};
    static constexpr f32 kDelays[] = {0.0f, 0.5f, 1.0f, 1.5f};
    const auto spread = [] { return static_cast<f32>(crt::Rand() % 100) * 0.4f - 20.0f; };
    for (const char* effect : kEffects) {
        for (const f32 delay : kDelays) {
            ParticleSystemInfo info;
            // Drawn in order x, y, z.
            const f32 dx = spread();
            const f32 dy = spread();
            const f32 dz = spread();
            info.position = coil.position + Vector(dx, dy, dz);
            info.name = effect;
            Message<ParticleSystemInfo> msg(MSG_CREATE_PARTICLE_SYSTEM, info);
            SendMessage(&msg, HANDLER_GRAPHICS_PROCESS, delay);
        }
    }
    if (SoundInstance* const bang = AskForSound(MSG_GET_SOUND_INSTANCE, kCoilSound)) {
        if (m_sound_control != nullptr) {
            m_sound_control->Play(bang, 1.0f, false);
        }
    }
}

void GameLogicProcess::HandleMessage(BaseMessage* msg, u32) {
    switch (msg->type) {
    case MSG_OBJECT_LEVEL_SPAWN:
        if (const std::string* name = msg->Payload<std::string>()) {
            LevelSpawn(*name);
        }
        break;
    case MSG_AGENT_DIED:
        if (const std::string* name = msg->Payload<std::string>()) {
            KillReward(*name);
        }
        break;
    case MSG_BUILDING_DESTRUCTION:
        if (const auto* record = msg->Payload<std::pair<std::string, bool>>()) {
            BuildingReward(record->first, record->second);
        }
        break;
    case MSG_RESET_KILL_COUNT:
        std::fill(std::begin(m_killCount), std::end(m_killCount), 0);
        break;
    case MSG_PLAY_MUSIC:
        StartLevelMusic();
        break;
    case MSG_PLAY_INTRO_MUSIC:
        SwitchMusic(kRobotMusic, 0.8f);
        break;
    case MSG_PLAY_AMBUSH_MUSIC:
        SwitchMusic(kAmbushMusic, 0.85f);
        break;
    case MSG_PLAY_UFO_MUSIC:
        SwitchMusic(kUFOMusic, 0.9f);
        break;
    case MSG_PLAY_MOTHERSHIP_MUSIC:
        SwitchMusic(kMothershipMusic, 1.0f);
        break;
    case MSG_INC_AGENT_COUNT:
        if (const std::string* name = msg->Payload<std::string>()) {
            ChangeAgentCount(*name, 1, true);
        }
        break;
    case MSG_REMOVE_COUNT: {
        std::string name;
        i32 count = 0;
        if (ReadNameAndCount(msg, &name, &count)) {
            ChangeAgentCount(name, count, false);
        }
        break;
    }
    case MSG_PAUSE_MUSIC:
        PauseMusic(true);
        break;
    case MSG_UNPAUSE_MUSIC:
        PauseMusic(false);
        break;
    case MSG_LEVEL_OBJECT_CREATED:
        if (GameObject* const* object = msg->Payload<GameObject*>()) {
            if (*object != nullptr) {
                PlaceBoss(*object);
            }
        }
        break;
    case MSG_DISABLE_OBJECTIVE:
        SkipObjective();
        break;
    case MSG_PLAYER_COMPONENT:
        if (Component* const* player = msg->Payload<Component*>()) {
            m_robot = *player != nullptr ? (*player)->owner : nullptr;
        }
        break;
    case MSG_SOUND_INSTANCE:
        m_soundReply = msg->ValueOr<SoundInstance*>(nullptr);
        break;
    default:
        break;
    }
}

void GameLogicProcess::KillReward(const std::string& typeName) {
    const game_logic_tables::RewardRow* row =
        game_logic_tables::Find(game_logic_tables::kKillRows, typeName);
    if (row == nullptr) {
        return;
    }
    if (row->category >= 0) {
        m_killCount[row->category] += 1;
        m_agentCount[row->category] -= 1;
        m_levelCount[row->category] -= 1;
    }
    const double boost = (1.0 + m_heat) * (1.0 + m_heat);
    m_pendingXP += 100.0 * static_cast<double>(row->base) * boost;
    m_heat += row->heat;
}

void GameLogicProcess::BuildingReward(const std::string& typeName, bool flag) {
    const game_logic_tables::RewardRow* row =
        game_logic_tables::Find(game_logic_tables::kBuildingRows, typeName);
    if (row == nullptr) {
        return;
    }
    m_killCount[row->category] += 1;
    m_levelCount[row->category] -= 1;
    m_agentCount[row->category] -= 1;
    const f32 reward = (flag ? row->baseFlagSet : row->base) * 100.0f;
    m_pendingXP += static_cast<double>(reward) * (1.0 + m_heat) * (1.0 + m_heat);
    m_heat += flag ? 0.01 : 0.1;
}

void GameLogicProcess::LevelSpawn(const std::string& typeName) {
    const game_logic_tables::CountRow* row =
        game_logic_tables::Find(game_logic_tables::kLevelSpawnRows, typeName);
    if (row == nullptr) {
        return;
    }
    m_levelCount[row->category] += 1;
    // Objects the level script builds while loading are already in play.
    if (!m_initialized) {
        m_agentCount[row->category] += 1;
    }
}

void GameLogicProcess::ChangeAgentCount(const std::string& typeName, i32 n, bool increase) {
    const game_logic_tables::CountRow* row =
        increase ? game_logic_tables::Find(game_logic_tables::kIncreaseRows, typeName)
                 : game_logic_tables::Find(game_logic_tables::kDecreaseRows, typeName);
    if (row == nullptr) {
        return;
    }
    const i32 change = increase ? n : -n;
    m_agentCount[row->category] += change;
    if (row->alsoCategory >= 0) {
        m_agentCount[row->alsoCategory] += change;
    }
}

SoundInstance* GameLogicProcess::AskForSound(u32 request, const std::string& path) {
    m_soundReply = nullptr;
    Message<std::string> msg(request, path);
    SendMessage(&msg, HANDLER_SOUND_PROCESS);
    // The sound process answers before the send returns; without a way to play it an
    // instance is of no use.
    return m_sound_control != nullptr ? m_soundReply : nullptr;
}

void GameLogicProcess::SwitchMusic(const std::string& path, f32 volume) {
    if (m_music != nullptr && m_sound_control != nullptr) {
        if (m_sound_control->IsFinished(m_music)) {
            m_sound_control->MarkRelease(m_music);
        } else {
            m_sound_control->Stop(m_music);
        }
    }
    m_music = nullptr;
    if (SoundInstance* const music = AskForSound(MSG_GET_SOUND_STREAM_INSTANCE, path)) {
        m_music = music;
        m_sound_control->SetGroup(music, 1);
        m_sound_control->MarkPersistent(music);
        m_sound_control->Play(music, volume, true);
    }
}

void GameLogicProcess::StartLevelMusic() {
    if (!m_endless && !m_tutorial) {
        m_introMusic = nullptr;
        if (SoundInstance* const intro = AskForSound(MSG_GET_SOUND_STREAM_INSTANCE, kIntroMusic)) {
            m_introMusic = intro;
            m_sound_control->SetGroup(intro, 1);
            m_sound_control->MarkPersistent(intro);
            m_sound_control->Play(intro, 0.8f, false);
        }
        BaseMessage next(MSG_PLAY_INTRO_MUSIC);
        SendMessage(&next, kHandlerId, kIntroMusicDelay);
        return;
    }
    m_music = nullptr;
    if (SoundInstance* const music = AskForSound(MSG_GET_SOUND_STREAM_INSTANCE, kEndlessMusic)) {
        m_music = music;
        m_sound_control->SetGroup(music, 1);
        m_sound_control->MarkPersistent(music);
        m_sound_control->Play(music, 0.5f, true);
    }
}

void GameLogicProcess::PauseMusic(bool pause) {
    if (m_sound_control == nullptr) {
        return;
    }
    for (SoundInstance* const instance : {m_music, m_introMusic}) {
        if (instance == nullptr || m_sound_control->IsFinished(instance)) {
            continue;
        }
        if (pause) {
            m_sound_control->Pause(instance);
        } else {
            m_sound_control->Resume(instance);
        }
    }
}

void GameLogicProcess::PlaceBoss(GameObject* object) {
    if (object->name == "AI-Boss-Fly-UFO") {
        m_bossPosition.y = kBossHeight;
        object->SetPosition(m_bossPosition);
        object->NotifyComponents();
        sys::Log() << "GameLogicProcess: the boss UFO arrives at " << m_bossPosition.x << ", "
                   << m_bossPosition.y << ", " << m_bossPosition.z;
        auto* body = dynamic_cast<PhysXComponent*>(object->GetComponent(ComponentType::Physics));
        if (body == nullptr) {
            return;
        }
        // Clears the arrival area of whatever stands there.
        const u32 self = body->GetId();
        RadialForce wide(object->position, 50.0f, 10000.0f, 3.0f, self, 0, RadialForce::kForce);
        Message<RadialForce> first(MSG_PHYSICS_RADIAL_FORCE, wide);
        SendMessage(&first, HANDLER_PHYSX_PROCESS);
        RadialForce low(object->position + Vector(0.0f, -15.0f, 0.0f), 40.0f, 5000.0f, 1.0f, self,
                        0, RadialForce::kForce);
        Message<RadialForce> second(MSG_PHYSICS_RADIAL_FORCE, low);
        SendMessage(&second, HANDLER_PHYSX_PROCESS);
        body->SetCollisionEnabled(false);
    } else if (object->name == "AI-Boss-Fly-MothershipBase") {
        const Vector place(-50.0f, 235.0f, 3000.0f);
        object->SetPosition(place);
        for (GameObject* const child : object->childObjects) {
            child->SetPosition(place);
        }
        sys::Log() << "GameLogicProcess: the mothership arrives at " << place.x << ", " << place.y
                   << ", " << place.z;
    }
}

void GameLogicProcess::SkipObjective() {
    switch (m_objectiveIndex) {
    case 0:
        m_levelCount[14] = 0;
        break;
    case 1:
        m_levelCount[15] = 0;
        break;
    case 2:
        m_levelCount[16] = 0;
        break;
    case 3:
        m_levelCount[17] = 0;
        break;
    case 4:
        m_levelCount[19] = 0;
        break;
    case 5:
        m_ambushRound = 3;
        break;
    case 6:
        m_phaseTime = 100.0f;
        m_levelCount[18] = 0;
        m_scriptTimer = 6.0f;
        break;
    case 7:
        m_phaseTime = 100.0f;
        m_killCount[kBossUFO] = 1;
        m_bossDeathDelay = 0.6f;
        break;
    case 8:
        m_killCount[kMothershipCore] = 1;
        m_phaseTime = 100.0f;
        break;
    default:
        break;
    }
    sys::Log() << "GameLogicProcess: objective " << m_objectiveIndex << " skipped at step "
               << m_objectiveStep;
    m_objectiveIndex += 1;
}

void GameLogicProcess::SetPhase(i32 id) {
    const game_logic_tables::WaveRow& row = game_logic_tables::Wave(id);
    m_waveNumber += 1;
    m_phaseTime = 0.0f;
    m_phase = id;
    m_waveTarget[kTank] = row.tank;
    m_waveTarget[kHelicopter] = row.helicopter;
    m_waveTarget[kMissile] = row.missile;
    m_waveTarget[kTruck] = row.truck;
    m_waveTarget[kJeep] = row.jeep;
    m_waveTarget[kTransport] = row.transport;
    if (row.waveMode >= 0) {
        m_waveMode = row.waveMode;
    }
    if (row.clearsCivilians) {
        m_waveTarget[kCitizen] = 0;
        m_waveTarget[kCar] = 0;
    }
    m_phaseDuration = row.duration;
    m_phaseEnd = row.duration + row.gap;
}

void GameLogicProcess::NextPhase() {
    const i32 next = game_logic_tables::NextWave(m_phase, m_waveMode);
    if (next >= 0) {
        SetPhase(next);
    }
}

void GameLogicProcess::SpawnNormal() {
    i32 budget = kSpawnBudget;
    for (i32 c = 0; c < kSpawnedCategories; ++c) {
        if (m_noCitizens && ClassifyObject(c).find("Citizen") != std::string::npos) {
            continue;
        }
        if (m_agentCount[c] < m_waveTarget[c] && m_spawnTimer[c] > kStoryRefill && budget > 0) {
            budget -= 1;
            m_spawnTimer[c] = 0.0f;
            SendSpawn(ClassifyObject(c), 1);
        }
    }
}

void GameLogicProcess::SpawnEndless(float dt) {
    i32 budget = kSpawnBudget;
    for (i32 c = 0; c < kSpawnedCategories; ++c) {
        m_growthTimer[c] += dt;
        if (m_growthTimer[c] > m_growthInterval[c] && m_waveTarget[c] < m_targetCap[c]) {
            m_growthInterval[c] -= m_growthStep[c];
            m_growthTimer[c] = 0.0f;
            if (m_growthInterval[c] < 6.5f) {
                m_growthInterval[c] = 6.5f;
            }
            m_waveTarget[c] += 1;
        }
        if (m_agentCount[c] < m_waveTarget[c] && m_spawnTimer[c] > kEndlessRefill && budget > 0) {
            budget -= 1;
            m_spawnTimer[c] = 0.0f;
            SendSpawn(ClassifyObject(c), 1);
        }
    }
}

void GameLogicProcess::AdvanceSpawnTimers(float dt) {
    for (i32 c = 0; c < kSpawnedCategories; ++c) {
        m_spawnTimer[c] += dt;
    }
}

void GameLogicProcess::SendSpawn(const std::string& typeName, i32 count) {
    if (count < 1) {
        return;
    }
    SpawnStruct request;
    request.m_count = count;
    request.m_spawn_count = count;
    request.m_zone = m_spawnZone;
    request.m_radius = SpawnStruct::kRadius;
    request.m_type_name = typeName;
    Message<SpawnStruct> msg(MSG_SPAWN_AGENTS, request);
    SendMessage(&msg, HANDLER_AI_VIEW_PROCESS);
}
