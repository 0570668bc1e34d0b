// The story's objective script: districts opened one after another as their objectives fall,
// the ambush, the power-down, the two boss fights and the ending.
#include <algorithm>
#include <utility>

#include "city/game_logic_component.h"
#include "city/game_logic_process.h"
#include "content/particle_system_info.h"
#include "core/game_object.h"
#include "core/message.h"
#include "game/radial_force.h"
#include "game/sound_control.h"
#include "platform/system/log.h"

namespace {

constexpr const char* kUFOIntroMusic = "./assets/music/UFO Intro [in game].mp3";
constexpr const char* kMothershipIntroMusic =
    "./assets/music/UFO Boom and Mothership Intro [in game].mp3";
constexpr const char* kTransportType = "AI-Fly-Transport";

// Story wave ids the script begins by hand.
constexpr i32 kDistrictWave = 6;
constexpr i32 kAmbushWave = 7;
constexpr i32 kAfterAmbushWave = 1;
constexpr i32 kBossWave = 8;
constexpr i32 kNoWave = -1;

// Barrier pushes: radius, force, and the physics id they leave alone. The pushes are meant
// for the barrier's pieces and leave the robot's bodies alone too: its physics id is not 1
// (the ground's comes first), and a push of this size flings it far out of the city.
constexpr f32 kPushRadius = 120.0f;
constexpr f32 kPushForce = 220.0f;
constexpr u32 kPushExclude = 1;

constexpr f32 kAmbushFade = 0.75f;
constexpr f32 kAmbushSecondWaveTime = 24.0f;
constexpr f32 kAmbushEndTime = 42.0f;
constexpr f32 kAmbushReportTime = 50.0f;
constexpr f32 kPowerDownFade = 4.4f;
constexpr f32 kEndingBlurTime = 16.0f;
constexpr f32 kEndingTime = 16.5f;

// What the player faces at each step, for the log (steps 3 and 8 are never entered).
constexpr i32 kLastStep = 10;
constexpr const char* kStepNames[kLastStep + 1] = {"the apartments",
                                                   "the high-class buildings",
                                                   "the tanks",
                                                   "none",
                                                   "the gas stations",
                                                   "the headquarters",
                                                   "the ambush",
                                                   "the power objects",
                                                   "none",
                                                   "the boss UFO",
                                                   "the mothership"};

f32 Clamp01(f32 value) {
    return std::clamp(value, 0.0f, 1.0f);
}

} // namespace

std::vector<GameObject*>
GameLogicProcess::Owned(const std::function<bool(const std::string&)>& test) const {
    std::vector<GameObject*> found;
    for (const GameLogicComponent* component : m_components) {
        GameObject* const owner = component->owner;
        if (owner != nullptr && test(owner->name) &&
            std::find(found.begin(), found.end(), owner) == found.end()) {
            found.push_back(owner);
        }
    }
    return found;
}

std::vector<GameObject*> GameLogicProcess::OwnedNamed(const std::string& typeName) const {
    return Owned([&typeName](const std::string& name) { return name == typeName; });
}

void GameLogicProcess::BlowAway(GameObject& barrier, f32 delay, f32 firstX, f32 secondX,
                                f32 forceDelay, f32 secondForceDelay) {
    if (m_breakable_graphic) {
        if (GraphicComponent* const graphic = m_breakable_graphic(barrier)) {
            Message<GraphicComponent*> brk(MSG_GRAPHICS_BREAK_OBJECT, graphic);
            SendMessage(&brk, HANDLER_GRAPHICS_PROCESS, delay);
        }
    }
    const Vector at = barrier.position;
    const std::pair<f32, f32> pushes[] = {{firstX, forceDelay}, {secondX, secondForceDelay}};
    for (const auto& [dx, when] : pushes) {
        RadialForce push(Vector(at.x + dx, at.y + 30.0f, at.z + 30.0f), kPushRadius, kPushForce,
                         0.0f, kPushExclude, 0, RadialForce::kImpulse);
        push.m_exclude_owner = m_robot;
        Message<RadialForce> msg(MSG_PHYSICS_RADIAL_FORCE, push);
        SendMessage(&msg, HANDLER_PHYSX_PROCESS, when);
    }
    Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, &barrier);
    SendMessage(&remove, HANDLER_LEVEL_STATE, delay);
}

void GameLogicProcess::Demolish(GameObject& object, f32 delay) {
    if (m_breakable_graphic) {
        if (GraphicComponent* const graphic = m_breakable_graphic(object)) {
            Message<std::pair<GraphicComponent*, bool>> brk(MSG_GRAPHICS_BREAK_OBJECT,
                                                            {graphic, true});
            SendMessage(&brk, HANDLER_GRAPHICS_PROCESS, delay);
        }
    }
    ParticleSystemInfo info;
    info.position = object.position;
    info.name = "explosion";
    Message<ParticleSystemInfo> burst(MSG_CREATE_PARTICLE_SYSTEM, info);
    SendMessage(&burst, HANDLER_GRAPHICS_PROCESS, delay);
    Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, &object);
    SendMessage(&remove, HANDLER_LEVEL_STATE, delay);
}

void GameLogicProcess::DropMusic() {
    if (m_music != nullptr && m_sound_control != nullptr) {
        if (m_sound_control->IsFinished(m_music)) {
            m_sound_control->MarkRelease(m_music);
        }
        m_sound_control->Stop(m_music);
    }
    m_music = nullptr;
}

void GameLogicProcess::BeginBossMusic(const std::string& intro, f32 volume, u32 loopMessage,
                                      f32 loopDelay) {
    DropMusic();
    // The previous intro has long ended; one that has not is cut by the new one.
    if (m_introMusic != nullptr && m_sound_control != nullptr &&
        m_sound_control->IsFinished(m_introMusic)) {
        m_sound_control->MarkRelease(m_introMusic);
    }
    m_introMusic = nullptr;
    if (SoundInstance* const music = AskForSound(MSG_GET_SOUND_STREAM_INSTANCE, intro)) {
        m_introMusic = music;
        m_sound_control->SetGroup(music, 1);
        m_sound_control->MarkPersistent(music);
        m_sound_control->Play(music, volume, false);
    }
    BaseMessage loop(loopMessage);
    SendMessage(&loop, kHandlerId, loopDelay);
    m_musicFade = 0.0f;
}

void GameLogicProcess::NextObjective(i32 category, i32 step) {
    if (m_levelCount[category] >= 1) {
        return;
    }
    SetPhase(kDistrictWave);
    const auto openDistrict = [this](const char* barrier, u32 lights, u32 lightsHandler) {
        for (GameObject* const object : OwnedNamed(barrier)) {
            BlowAway(*object, 0.0001f, 0.0f, 80.0f, 0.00011f, 0.011f);
        }
        BaseMessage msg(lights);
        SendMessage(&msg, lightsHandler);
    };
    switch (step) {
    case 0:
        openDistrict("CardboardCity_LeftMouse", MSG_TUTORIAL_RIGHTMOUSE_OBJ_LIGHTS,
                     HANDLER_BUILDING_PROCESS);
        break;
    case 1:
        openDistrict("CardboardCity_RightMouse", MSG_TUTORIAL_LASER_OBJ_LIGHTS,
                     HANDLER_AI_VIEW_PROCESS);
        break;
    case 2:
        openDistrict("CardboardCity_Laser", MSG_TUTORIAL_GASSTATION_OBJ_LIGHTS,
                     HANDLER_BUILDING_PROCESS);
        break;
    default:
        m_spawnZone = 1;
        m_noCitizens = true;
        openDistrict("CardboardCity_GasStation", MSG_TURN_HEADQUARTERS_LIGHT_ON,
                     HANDLER_BUILDING_PROCESS);
        break;
    }
    // Step 3 is never entered: the tanks lead straight to the gas stations.
    m_objectiveStep = step == 2 ? 4 : step + 1;
}

void GameLogicProcess::UpdateObjectives(float dt) {
    const i32 step = m_objectiveStep;
    RunObjectiveStep(dt);
    if (m_objectiveStep != step) {
        sys::Log() << "GameLogicProcess: objective step " << m_objectiveStep << " ("
                   << kStepNames[std::clamp(m_objectiveStep, 0, kLastStep)] << ")";
    }
}

void GameLogicProcess::RunObjectiveStep(float dt) {
    switch (m_objectiveStep) {
    case 0:
        NextObjective(14, 0);
        break;
    case 1:
        NextObjective(15, 1);
        break;
    case 2:
        NextObjective(16, 2);
        break;
    case 4:
        NextObjective(17, 4);
        break;
    case 5:
        if (m_levelCount[19] >= 1) {
            m_scriptTimer = 0.0f;
            break;
        }
        SetPhase(kAmbushWave);
        m_spawnZone = 2;
        SendSpawn(kTransportType, 4);
        m_ambushTime = 0.0f;
        m_musicFade = 0.0001f;
        m_scriptTimer = 0.0f;
        m_objectiveStep = 6;
        break;
    case 6:
        UpdateAmbush(dt);
        break;
    case 7:
        if (m_levelCount[18] < 1) {
            PowerDown(dt);
        }
        break;
    case 9:
        BossFight(dt);
        break;
    case 10:
        MothershipFight(dt);
        break;
    default:
        // Steps 3 and 8 are never entered; past 10 the story is over.
        break;
    }
}

void GameLogicProcess::UpdateAmbush(float dt) {
    if (m_musicFade > 0.0f) {
        m_musicFade += dt;
        if (m_musicFade <= kAmbushFade) {
            if (m_music != nullptr && m_sound_control != nullptr &&
                m_sound_control->IsFinished(m_music)) {
                m_sound_control->MarkRelease(m_music);
                m_music = nullptr;
            }
            if (m_music != nullptr && m_sound_control != nullptr) {
                const f32 t = 1.3333334f * m_musicFade;
                m_sound_control->SetVolume(m_music, 0.8f * Clamp01(1.0f - t * t));
            }
        } else {
            if (m_music != nullptr && m_sound_control != nullptr) {
                m_sound_control->Stop(m_music);
            }
            BaseMessage next(MSG_PLAY_AMBUSH_MUSIC);
            SendMessage(&next, kHandlerId);
            m_musicFade = 0.0f;
        }
    }

    m_ambushTime += dt;
    if (m_agentCount[kTankSwarm] <= 0) {
        m_ambushRound += 1;
    }
    if (m_secondAmbushPending && (m_ambushRound == 1 || m_ambushTime >= kAmbushSecondWaveTime)) {
        m_secondAmbushPending = false;
        m_ambushRound += 1;
        SendSpawn(kTransportType, 4);
    }
    if (m_ambushRound >= 3 || m_ambushTime >= kAmbushEndTime) {
        EndAmbush();
    }
}

void GameLogicProcess::EndAmbush() {
    if (m_ambushTime >= kAmbushReportTime) {
        sys::Log() << " Ambush over by time limit:  " << m_ambushTime;
    }
    f32 stagger = 0.0f;
    for (GameObject* const wall : OwnedNamed("CardboardCityFalseWall")) {
        BlowAway(*wall, 0.3f + stagger, -40.0f, 40.0f, 0.31f + stagger, 0.31f + stagger);
        stagger += 0.05f;
    }
    BaseMessage power(MSG_TURN_POWER_OBJECT_ON);
    SendMessage(&power, HANDLER_BUILDING_PROCESS);
    SetPhase(kAfterAmbushWave);
    m_objectiveStep = 7;
}

void GameLogicProcess::PowerDown(float dt) {
    if (m_scriptTimer < kPowerDownFade) {
        m_scriptTimer += dt;
        if (m_music != nullptr && m_sound_control != nullptr) {
            m_sound_control->SetVolume(m_music, 0.8f * Clamp01(1.0f - 0.22727272f * m_scriptTimer));
        }
        return;
    }
    SetPhase(kBossWave);
    m_scriptTimer = 0.0f;

    BaseMessage killAll(MSG_KILL_ALL_AI_AGENTS);
    SendMessage(&killAll, HANDLER_AI_VIEW_PROCESS);
    Message<std::string> boss(MSG_LEVEL_CREATE_OBJECT, std::string("AI-Boss-Fly-UFO"));
    SendMessage(&boss, HANDLER_LEVEL_STATE, 6.0f);
    BaseMessage arrive(MSG_CAMERA_BOSS_ARRIVE);
    SendMessage(&arrive, HANDLER_PLAYER_PROCESS);
    for (const f32 delay : {3.5f, 6.0f}) {
        Message<float> shake(MSG_GRAPHICS_RANDOM_CAMERA_SHAKE, 1.0f);
        SendMessage(&shake, HANDLER_GRAPHICS_PROCESS, delay);
    }

    const std::vector<GameObject*> needles = OwnedNamed("BuildingNeedle");
    const std::vector<GameObject*> gates = Owned(
        [](const std::string& name) { return name.find("GateBlocker") != std::string::npos; });
    const std::vector<GameObject*> coils =
        Owned([](const std::string& name) { return name.find("Coil") != std::string::npos; });
    for (GameObject* const needle : needles) {
        m_bossPosition = needle->position;
        Demolish(*needle, 6.0f);
    }
    for (GameObject* const gate : gates) {
        Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, gate);
        SendMessage(&remove, HANDLER_LEVEL_STATE, 3.0f);
    }
    for (GameObject* const coil : coils) {
        Demolish(*coil, 3.5f);
    }
    m_musicFade = 0.001f;
    m_objectiveStep = 9;
}

void GameLogicProcess::BossFight(float dt) {
    if (m_musicFade > 0.0f) {
        m_musicFade += dt;
        BeginBossMusic(kUFOIntroMusic, 0.85f, MSG_PLAY_UFO_MUSIC, 10.75f);
    }
    BaseMessage stop(MSG_BUILDING_STOP_SPAWNING);
    SendMessage(&stop, HANDLER_BUILDING_PROCESS);
    if (m_killCount[kBossUFO] > 0) {
        m_musicFade = 0.001f;
        // The empty wave: no new enemies, citizens or cars.
        SetPhase(kNoWave);
        m_objectiveStep = 10;
        BaseMessage killAll(MSG_KILL_ALL_AI_AGENTS);
        SendMessage(&killAll, HANDLER_AI_VIEW_PROCESS, 12.0f);
        Message<std::string> mothership(MSG_LEVEL_CREATE_OBJECT,
                                        std::string("AI-Boss-Fly-Mothership"));
        SendMessage(&mothership, HANDLER_LEVEL_STATE, m_bossDeathDelay + 2.25f);
        BaseMessage die(MSG_CAMERA_BOSS_DIE);
        SendMessage(&die, HANDLER_PLAYER_PROCESS, m_bossDeathDelay);
    }
}

void GameLogicProcess::MothershipFight(float dt) {
    if (m_killCount[kMothershipCore] > 0) {
        BaseMessage killAll(MSG_KILL_ALL_AI_AGENTS);
        SendMessage(&killAll, HANDLER_AI_VIEW_PROCESS);
        PlayEnding(dt);
        return;
    }
    if (m_musicFade > 0.0f) {
        m_musicFade += dt;
        BeginBossMusic(kMothershipIntroMusic, 0.95f, MSG_PLAY_MOTHERSHIP_MUSIC, 24.7f);
    }
}

void GameLogicProcess::PlayEnding(float dt) {
    m_scriptTimer += dt;
    Message<float> blur(MSG_GRAPHICS_MOTION_BLUR, m_scriptTimer <= kEndingBlurTime ? 8.0f : 0.0f);
    SendMessage(&blur, HANDLER_GRAPHICS_PROCESS);
    if (!(m_scriptTimer > kEndingTime)) {
        return;
    }
    m_musicFade += dt;
    if (m_musicFade >= 3.0f && m_music != nullptr && m_sound_control != nullptr) {
        if (m_sound_control->IsFinished(m_music)) {
            m_sound_control->MarkRelease(m_music);
            m_music = nullptr;
        } else {
            m_sound_control->SetVolume(m_music, 0.9f * Clamp01(1.0f - (m_musicFade - 3.0f) * 0.5f));
        }
    }
    Message<std::string> count(MSG_BUILDING_COUNT, std::string());
    SendMessage(&count, HANDLER_GRAPHICS_PROCESS);
    if (!m_endingStarted) {
        sys::Log() << "GameLogicProcess: the story is won: the credits follow";
        BaseMessage win(MSG_CAMERA_PLAYER_WIN);
        SendMessage(&win, HANDLER_PLAYER_PROCESS);
        Message<float> fade(MSG_GRAPHICS_FADE_OUT, 2.01f);
        SendMessage(&fade, HANDLER_GRAPHICS_PROCESS, 3.0f);
        Message<std::string> credits(MSG_GAME_SWITCH_STATE, std::string("Credits"));
        SendMessage(&credits, HANDLER_GAME, 5.0f);
        m_endingStarted = true;
    }
}
