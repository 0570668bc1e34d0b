#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "city/game_logic_process.h"
#include "content/particle_system_info.h"
#include "core/component_type.h"
#include "core/definition_component.h"
#include "core/game_object.h"
#include "game/radial_force.h"
#include "game/spawn_struct.h"
#include "game_logic_fixture.h"

namespace {

using component_fixture::MessageRecorder;
using game_logic_fixture::FakeInstance;
using game_logic_fixture::GameLogicTest;

class ObjectivesTest : public GameLogicTest {
  protected:
    void TearDown() override { m_objects.clear(); }

    // A story level past its first frame, with breakable graphics for every object.
    GameLogicProcess& Story() {
        GameLogicProcess& logic = Make(false);
        logic.SetBreakableGraphic(
            [](GameObject& object) { return reinterpret_cast<GraphicComponent*>(&object); });
        // Every objective of the story stands until a test says otherwise.
        for (const i32 c : {14, 15, 16, 17, 18, 19}) {
            logic.m_levelCount[c] = 1;
        }
        logic.Update(0.0f);
        Forget();
        return logic;
    }

    GameObject* MakeObject(const std::string& type, const Vector& at) {
        m_objects.push_back(std::make_unique<GameObject>(type));
        GameObject* object = m_objects.back().get();
        StreamMap stream = component_fixture::ComponentStream(type, "GameLogic");
        object->AddComponent(ComponentType::GameLogic, m_logic->CreateComponent(&stream));
        object->position = at;
        return object;
    }

    // A frame: what was delayed comes due, then the process runs.
    void Step(float dt) {
        m_router.Update(dt);
        m_logic->Update(dt);
    }

    void Forget() {
        for (MessageRecorder* r :
             {&m_graphics, &m_level, &m_physics, &m_player, &m_ai, &m_buildings, &m_game}) {
            r->received.clear();
        }
    }

    static int Count(const MessageRecorder& recorder, u32 type) {
        int count = 0;
        for (const auto& r : recorder.received) {
            count += r.message->type == type ? 1 : 0;
        }
        return count;
    }

    std::vector<GameObject*> Deleted() const {
        std::vector<GameObject*> deleted;
        for (const auto& r : m_level.received) {
            if (r.message->type == MSG_LEVEL_DELETE_OBJECT) {
                deleted.push_back(r.message->ValueOr<GameObject*>(nullptr));
            }
        }
        return deleted;
    }

    std::vector<std::string> Created() const {
        std::vector<std::string> created;
        for (const auto& r : m_level.received) {
            if (r.message->type == MSG_LEVEL_CREATE_OBJECT) {
                created.push_back(r.message->ValueOr<std::string>(""));
            }
        }
        return created;
    }

    std::vector<Vector> PushCentres() const {
        std::vector<Vector> centres;
        for (const auto& r : m_physics.received) {
            if (const RadialForce* force = r.message->Payload<RadialForce>()) {
                EXPECT_FLOAT_EQ(force->m_radius, 120.0f);
                EXPECT_FLOAT_EQ(force->m_force, 220.0f);
                EXPECT_FLOAT_EQ(force->m_duration, 0.0f);
                EXPECT_EQ(force->m_exclude_id, 1u);
                EXPECT_EQ(force->m_only_id, 0u);
                EXPECT_EQ(force->m_mode, RadialForce::kImpulse);
                centres.push_back(force->m_center);
            }
        }
        return centres;
    }

    std::vector<std::unique_ptr<GameObject>> m_objects;
};

void ExpectNear(const Vector& a, const Vector& b) {
    EXPECT_NEAR(a.x, b.x, 1e-3f);
    EXPECT_NEAR(a.y, b.y, 1e-3f);
    EXPECT_NEAR(a.z, b.z, 1e-3f);
}

// --- The district steps ---

struct DistrictRow {
    i32 step;
    i32 category;
    const char* barrier;
    u32 lights;
    u32 lightsHandler;
    i32 next;
};

const DistrictRow kDistricts[] = {
    {0, 14, "CardboardCity_LeftMouse", MSG_TUTORIAL_RIGHTMOUSE_OBJ_LIGHTS, HANDLER_BUILDING_PROCESS,
     1},
    {1, 15, "CardboardCity_RightMouse", MSG_TUTORIAL_LASER_OBJ_LIGHTS, HANDLER_AI_VIEW_PROCESS, 2},
    {2, 16, "CardboardCity_Laser", MSG_TUTORIAL_GASSTATION_OBJ_LIGHTS, HANDLER_BUILDING_PROCESS, 4},
    {4, 17, "CardboardCity_GasStation", MSG_TURN_HEADQUARTERS_LIGHT_ON, HANDLER_BUILDING_PROCESS,
     5},
};

TEST_F(ObjectivesTest, EachDistrictOpensOnceItsObjectivesAreGone) {
    for (const DistrictRow& row : kDistricts) {
        SCOPED_TRACE(row.barrier);
        m_objects.clear();
        GameLogicProcess& logic = Story();
        GameObject* barrier = MakeObject(row.barrier, Vector(-50.0f, 0.0f, 300.0f));
        MakeObject("CardboardCity_Elsewhere", Vector(0.0f, 0.0f, 0.0f));
        logic.m_objectiveStep = row.step;
        logic.m_levelCount[row.category] = 1;
        // Later objectives already gone change nothing while this one stands.
        for (const i32 later : {14, 15, 16, 17, 19}) {
            if (later != row.category) {
                logic.m_levelCount[later] = 0;
            }
        }
        Step(0.1f);
        EXPECT_EQ(logic.m_objectiveStep, row.step);
        EXPECT_EQ(m_router.QueueSize(), 0u);

        logic.m_levelCount[row.category] = 0;
        Forget();
        m_logic->Update(0.1f);
        EXPECT_EQ(logic.m_objectiveStep, row.next);
        EXPECT_EQ(logic.m_phase, 6);
        EXPECT_FLOAT_EQ(logic.m_phaseDuration, 18.0f);
        EXPECT_FLOAT_EQ(logic.m_phaseEnd, 22.0f);
        EXPECT_EQ(logic.m_waveTarget[GameLogicProcess::kTank], 9);
        EXPECT_EQ(row.step == 4, logic.m_noCitizens);
        EXPECT_EQ(row.step == 4 ? 1 : 0, logic.m_spawnZone);
        const MessageRecorder& lights =
            row.lightsHandler == HANDLER_AI_VIEW_PROCESS ? m_ai : m_buildings;
        EXPECT_EQ(Count(lights, row.lights), 1);
        // Everything of the barrier waits at least a ten-thousandth of a second.
        EXPECT_TRUE(m_level.received.empty());
        EXPECT_TRUE(m_physics.received.empty());

        m_router.Update(0.001f);
        ASSERT_EQ(Count(m_graphics, MSG_GRAPHICS_BREAK_OBJECT), 1);
        EXPECT_EQ(m_graphics.received[0].message->ValueOr<GraphicComponent*>(nullptr),
                  reinterpret_cast<GraphicComponent*>(barrier));
        EXPECT_EQ(Deleted(), std::vector<GameObject*>{barrier});
        ASSERT_EQ(PushCentres().size(), 1u);
        ExpectNear(PushCentres()[0], Vector(-50.0f, 30.0f, 330.0f));
        m_router.Update(0.01f);
        ASSERT_EQ(PushCentres().size(), 2u);
        ExpectNear(PushCentres()[1], Vector(30.0f, 30.0f, 330.0f));
    }
}

// The barrier's pushes are meant for its pieces: a robot standing by it when it falls would
// be flung out of the city. Whatever its physics id, every push leaves the robot's bodies
// alone, and a robot announced again (a new level's) takes its place.
TEST_F(ObjectivesTest, BarrierPushesLeaveTheRobotAlone) {
    GameLogicProcess& logic = Story();
    for (const char* robotName : {"Robot", "Robot again"}) {
        SCOPED_TRACE(robotName);
        m_objects.clear();
        GameObject robot(robotName);
        DefinitionComponent body("RobotBase");
        body.owner = &robot;
        Send<Component*>(MSG_PLAYER_COMPONENT, &body);
        MakeObject("CardboardCity_LeftMouse", Vector(-50.0f, 0.0f, 690.0f));
        logic.m_objectiveStep = 0;
        logic.m_levelCount[14] = 0;
        Forget();
        m_logic->Update(0.1f);
        m_router.Update(0.1f);
        ASSERT_EQ(PushCentres().size(), 2u);
        for (const auto& r : m_physics.received) {
            if (const RadialForce* force = r.message->Payload<RadialForce>()) {
                EXPECT_EQ(force->m_exclude_owner, &robot);
            }
        }
    }
}

TEST_F(ObjectivesTest, ALevelWithoutBarriersStillAdvances) {
    GameLogicProcess& logic = Story();
    for (const i32 c : {14, 15, 16, 17}) {
        logic.m_levelCount[c] = 0;
    }
    for (const DistrictRow& row : kDistricts) {
        EXPECT_EQ(logic.m_objectiveStep, row.step);
        m_logic->Update(0.1f);
    }
    EXPECT_EQ(logic.m_objectiveStep, 5);
    m_router.Update(1.0f);
    EXPECT_TRUE(m_level.received.empty());
    EXPECT_TRUE(m_physics.received.empty());
    EXPECT_EQ(Count(m_buildings, MSG_TURN_HEADQUARTERS_LIGHT_ON), 1);
}

TEST_F(ObjectivesTest, HighClassObjectivesFallingFirstWaitForTheApartments) {
    GameLogicProcess& logic = Story();
    logic.m_levelCount[14] = 2;
    logic.m_levelCount[15] = 0;
    Step(0.1f);
    Step(0.1f);
    EXPECT_EQ(logic.m_objectiveStep, 0);
    logic.m_levelCount[14] = 0;
    Step(0.1f);
    EXPECT_EQ(logic.m_objectiveStep, 1);
    Step(0.1f);
    EXPECT_EQ(logic.m_objectiveStep, 2);
    Step(0.1f);
    EXPECT_EQ(logic.m_objectiveStep, 2);
}

TEST_F(ObjectivesTest, IdleStepsDoNothing) {
    for (const i32 step : {3, 8, 11, 40}) {
        GameLogicProcess& logic = Story();
        logic.m_objectiveStep = step;
        Step(0.5f);
        EXPECT_EQ(logic.m_objectiveStep, step) << step;
        EXPECT_EQ(logic.m_phase, 10) << step;
        EXPECT_TRUE(m_level.received.empty()) << step;
        EXPECT_TRUE(m_buildings.received.empty()) << step;
    }
}

// --- Headquarters and the ambush ---

TEST_F(ObjectivesTest, TheHeadquartersHoldTheTimerThenCallTheAmbush) {
    GameLogicProcess& logic = Story();
    logic.m_objectiveStep = 5;
    logic.m_levelCount[19] = 1;
    logic.m_scriptTimer = 3.0f;
    Step(0.1f);
    EXPECT_FLOAT_EQ(logic.m_scriptTimer, 0.0f);
    EXPECT_EQ(logic.m_objectiveStep, 5);

    logic.m_levelCount[19] = 0;
    Forget();
    m_logic->Update(0.1f);
    EXPECT_EQ(logic.m_objectiveStep, 6);
    EXPECT_EQ(logic.m_phase, 7);
    EXPECT_EQ(logic.m_waveMode, 2);
    EXPECT_EQ(logic.m_spawnZone, 2);
    EXPECT_FLOAT_EQ(logic.m_musicFade, 0.0001f);
    ASSERT_EQ(m_ai.received.size(), 1u);
    const SpawnStruct* spawn = m_ai.received[0].message->Payload<SpawnStruct>();
    ASSERT_NE(spawn, nullptr);
    EXPECT_EQ(spawn->m_type_name, "AI-Fly-Transport");
    EXPECT_EQ(spawn->m_count, 4);
    EXPECT_EQ(spawn->m_zone, 2);
}

TEST_F(ObjectivesTest, WithoutSwarmTanksTheSecondTransportsComeAtOnceAndTheAmbushEndsNext) {
    GameLogicProcess& logic = Story();
    const Vector walls[] = {Vector(0, 0, -900), Vector(100, 0, -900), Vector(200, 0, -900)};
    for (const Vector& at : walls) {
        MakeObject("CardboardCityFalseWall", at);
    }
    logic.m_objectiveStep = 6;
    m_logic->Update(0.1f);
    EXPECT_EQ(TakeSpawns(), std::vector<std::string>{"AI-Fly-Transport"});
    EXPECT_FALSE(logic.m_secondAmbushPending);
    EXPECT_EQ(logic.m_objectiveStep, 6);
    m_logic->Update(0.1f);
    EXPECT_EQ(logic.m_objectiveStep, 7);
    EXPECT_EQ(logic.m_phase, 1);
    EXPECT_EQ(Count(m_buildings, MSG_TURN_POWER_OBJECT_ON), 1);

    // The walls go one after another, 0.05 s apart, each pushed from both sides.
    const float deleteAt[] = {0.3f, 0.35f, 0.4f};
    float now = 0.0f;
    for (size_t i = 0; i < 3; ++i) {
        m_router.Update(deleteAt[i] - 0.005f - now);
        EXPECT_EQ(Deleted().size(), i);
        m_router.Update(0.01f);
        now = deleteAt[i] + 0.005f;
        EXPECT_EQ(Deleted().size(), i + 1);
        EXPECT_EQ(Count(m_graphics, MSG_GRAPHICS_BREAK_OBJECT), static_cast<int>(i + 1));
    }
    m_router.Update(0.1f);
    const std::vector<Vector> centres = PushCentres();
    ASSERT_EQ(centres.size(), 6u);
    for (size_t i = 0; i < 3; ++i) {
        ExpectNear(centres[2 * i], walls[i] + Vector(-40.0f, 30.0f, 30.0f));
        ExpectNear(centres[2 * i + 1], walls[i] + Vector(40.0f, 30.0f, 30.0f));
    }
}

TEST_F(ObjectivesTest, AnAmbushThatDragsOnEndsAtFortyTwoSecondsWithoutTheLimitLine) {
    GameLogicProcess& logic = Story();
    logic.m_objectiveStep = 6;
    logic.m_agentCount[GameLogicProcess::kTankSwarm] = 4;
    testing::internal::CaptureStdout();
    int frames = 0;
    while (logic.m_objectiveStep == 6 && frames < 1000) {
        m_logic->Update(0.5f);
        frames += 1;
        if (frames == 47) {
            EXPECT_TRUE(logic.m_secondAmbushPending);
        }
        if (frames == 48) {
            EXPECT_FALSE(logic.m_secondAmbushPending);
        }
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(frames, 84);
    EXPECT_FLOAT_EQ(logic.m_ambushTime, 42.0f);
    EXPECT_EQ(out.find("Ambush over"), std::string::npos);
}

TEST_F(ObjectivesTest, TheAmbushEndsOnTheThirdRoundOnceTheSwarmIsGone) {
    GameLogicProcess& logic = Story();
    logic.m_objectiveStep = 6;
    logic.m_agentCount[GameLogicProcess::kTankSwarm] = 4;
    m_logic->Update(1.0f);
    EXPECT_EQ(logic.m_ambushRound, 0);
    logic.m_agentCount[GameLogicProcess::kTankSwarm] = 0;
    m_logic->Update(1.0f);
    EXPECT_EQ(logic.m_ambushRound, 2);
    EXPECT_EQ(logic.m_objectiveStep, 6);
    m_logic->Update(1.0f);
    EXPECT_EQ(logic.m_objectiveStep, 7);
}

TEST_F(ObjectivesTest, TheLimitLineIsWrittenOnlyForAnAmbushPastFiftySeconds) {
    GameLogicProcess& logic = Story();
    logic.m_objectiveStep = 6;
    logic.m_ambushRound = 3;
    logic.m_ambushTime = 50.0f;
    testing::internal::CaptureStdout();
    m_logic->Update(0.1f);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find(" Ambush over by time limit:  50.1"), std::string::npos) << out;
}

TEST_F(ObjectivesTest, TheAmbushFadesTheTuneOutAndAsksForItsOwn) {
    GameLogicProcess& logic = Story();
    Send(MSG_PLAY_INTRO_MUSIC);
    FakeInstance* tune = m_sound.Last();
    ASSERT_NE(tune, nullptr);
    logic.m_objectiveStep = 6;
    logic.m_musicFade = 0.0001f;
    logic.m_agentCount[GameLogicProcess::kTankSwarm] = 4;
    m_logic->Update(0.375f);
    EXPECT_NEAR(tune->volume, 0.8f * 0.75f, 1e-3f);
    EXPECT_FALSE(tune->stopped);
    m_logic->Update(0.5f);
    EXPECT_TRUE(tune->stopped);
    EXPECT_EQ(m_sound.Last()->path, "./assets/music/Attack The City [in game].mp3");
    EXPECT_TRUE(m_sound.Last()->loop);
    EXPECT_FLOAT_EQ(logic.m_musicFade, 0.0f);
}

// --- The power-down and the bosses ---

TEST_F(ObjectivesTest, ThePowerDownFadesThenCallsTheBossAndClearsTheArena) {
    GameLogicProcess& logic = Story();
    Send(MSG_PLAY_INTRO_MUSIC);
    FakeInstance* tune = m_sound.Last();
    GameObject* needle = MakeObject("BuildingNeedle", Vector(-50.0f, 0.0f, -1700.0f));
    GameObject* gate = MakeObject("GateBlockerWest", Vector(-80.0f, 0.0f, -1650.0f));
    GameObject* coil = MakeObject("CoilFence", Vector(-20.0f, 0.0f, -1700.0f));
    logic.m_objectiveStep = 7;
    logic.m_levelCount[18] = 1;
    Step(0.5f);
    EXPECT_FLOAT_EQ(logic.m_scriptTimer, 0.0f);
    logic.m_levelCount[18] = 0;
    for (int frame = 0; frame < 8; ++frame) {
        m_logic->Update(0.5f);
    }
    EXPECT_NEAR(tune->volume, 0.8f * (1.0f - 0.22727272f * 4.0f), 1e-4f);
    m_logic->Update(0.5f);
    EXPECT_EQ(logic.m_objectiveStep, 7);
    EXPECT_FLOAT_EQ(tune->volume, 0.0f);
    Forget();
    m_logic->Update(0.5f);
    EXPECT_EQ(logic.m_objectiveStep, 9);
    EXPECT_EQ(logic.m_phase, 8);
    EXPECT_EQ(logic.m_waveMode, 6);
    EXPECT_FLOAT_EQ(logic.m_scriptTimer, 0.0f);
    EXPECT_FLOAT_EQ(logic.m_musicFade, 0.001f);
    ExpectNear(logic.m_bossPosition, needle->position);
    EXPECT_EQ(Count(m_ai, MSG_KILL_ALL_AI_AGENTS), 1);
    EXPECT_EQ(Count(m_player, MSG_CAMERA_BOSS_ARRIVE), 1);
    EXPECT_TRUE(m_level.received.empty());

    m_router.Update(2.99f);
    EXPECT_TRUE(m_level.received.empty());
    m_router.Update(0.02f);
    EXPECT_EQ(Deleted(), std::vector<GameObject*>{gate});
    m_router.Update(0.5f);
    EXPECT_EQ(Deleted(), (std::vector<GameObject*>{gate, coil}));
    EXPECT_EQ(Count(m_graphics, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE), 1);
    EXPECT_EQ(Count(m_graphics, MSG_CREATE_PARTICLE_SYSTEM), 1);
    m_router.Update(2.5f);
    EXPECT_EQ(Deleted(), (std::vector<GameObject*>{gate, coil, needle}));
    EXPECT_EQ(Created(), std::vector<std::string>{"AI-Boss-Fly-UFO"});
    EXPECT_EQ(Count(m_graphics, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE), 2);
    // Coil and needle break for good and burst; the gate just goes.
    int breaks = 0;
    for (const auto& r : m_graphics.received) {
        if (const auto* brk = r.message->Payload<std::pair<GraphicComponent*, bool>>()) {
            EXPECT_TRUE(brk->second);
            breaks += 1;
        }
        if (const auto* info = r.message->Payload<ParticleSystemInfo>()) {
            EXPECT_EQ(info->name, "explosion");
        }
    }
    EXPECT_EQ(breaks, 2);
    EXPECT_EQ(Count(m_graphics, MSG_CREATE_PARTICLE_SYSTEM), 2);
}

TEST_F(ObjectivesTest, TheBossFightPlaysItsIntroThenSendsForTheMothership) {
    GameLogicProcess& logic = Story();
    logic.m_objectiveStep = 9;
    logic.m_musicFade = 0.001f;
    Step(0.1f);
    FakeInstance* intro = m_sound.Last();
    ASSERT_NE(intro, nullptr);
    EXPECT_EQ(intro->path, "./assets/music/UFO Intro [in game].mp3");
    EXPECT_FLOAT_EQ(intro->volume, 0.85f);
    EXPECT_FALSE(intro->loop);
    EXPECT_TRUE(intro->persistent);
    EXPECT_EQ(intro->group, 1u);
    EXPECT_FLOAT_EQ(logic.m_musicFade, 0.0f);
    Step(0.1f);
    EXPECT_EQ(Count(m_buildings, MSG_BUILDING_STOP_SPAWNING), 2);
    for (int frame = 0; frame < 108; ++frame) {
        m_router.Update(0.1f);
    }
    EXPECT_EQ(m_sound.Last()->path, "./assets/music/Flight Of The UFO [in game].mp3");

    Forget();
    logic.m_killCount[GameLogicProcess::kBossUFO] = 1;
    m_logic->Update(0.1f);
    EXPECT_EQ(logic.m_objectiveStep, 10);
    EXPECT_EQ(logic.m_phase, -1);
    for (const i32 c : {0, 1, 2, 3, 5, 6, 7, 10}) {
        EXPECT_EQ(logic.m_waveTarget[c], 0) << c;
    }
    m_router.Update(11.95f);
    EXPECT_EQ(Count(m_player, MSG_CAMERA_BOSS_DIE), 0);
    m_router.Update(0.1f);
    EXPECT_EQ(Count(m_player, MSG_CAMERA_BOSS_DIE), 1);
    EXPECT_EQ(Count(m_ai, MSG_KILL_ALL_AI_AGENTS), 1);
    EXPECT_TRUE(Created().empty());
    m_router.Update(2.25f);
    EXPECT_EQ(Created(), std::vector<std::string>{"AI-Boss-Fly-Mothership"});
}

TEST_F(ObjectivesTest, TheMothershipFightSwitchesToItsIntro) {
    GameLogicProcess& logic = Story();
    logic.m_objectiveStep = 10;
    logic.m_musicFade = 0.001f;
    Step(0.1f);
    ASSERT_NE(m_sound.Last(), nullptr);
    EXPECT_EQ(m_sound.Last()->path, "./assets/music/UFO Boom and Mothership Intro [in game].mp3");
    EXPECT_FLOAT_EQ(m_sound.Last()->volume, 0.95f);
    m_router.Update(24.7f);
    EXPECT_EQ(m_sound.Last()->path, "./assets/music/Mothership [in game].mp3");
}

TEST_F(ObjectivesTest,
       CreditsAreCalledAtTheFirstFramePastSixteenAndAHalfSecondsAndArriveFiveLater) {
    GameLogicProcess& logic = Story();
    logic.m_objectiveStep = 10;
    logic.m_killCount[GameLogicProcess::kMothershipCore] = 1;
    float now = 0.0f;
    int wins = 0;
    while (Count(m_game, MSG_GAME_SWITCH_STATE) == 0 && now < 40.0f) {
        Step(0.25f);
        now += 0.25f;
        if (Count(m_player, MSG_CAMERA_PLAYER_WIN) > wins) {
            wins += 1;
            EXPECT_FLOAT_EQ(now, 16.75f);
        }
    }
    EXPECT_EQ(wins, 1);
    EXPECT_FLOAT_EQ(now, 21.75f);
    ASSERT_EQ(m_game.received.size(), 1u);
    EXPECT_EQ(m_game.received[0].message->ValueOr<std::string>(""), "Credits");
    EXPECT_EQ(Count(m_graphics, MSG_GRAPHICS_FADE_OUT), 1);
    // Blur while the ship falls, none after; the building count from the win on.
    std::vector<float> blur;
    for (const auto& r : m_graphics.received) {
        if (r.message->type == MSG_GRAPHICS_MOTION_BLUR) {
            blur.push_back(r.message->ValueOr<float>(-1.0f));
        }
    }
    ASSERT_EQ(blur.size(), 87u);
    EXPECT_FLOAT_EQ(blur[63], 8.0f);
    EXPECT_FLOAT_EQ(blur[64], 0.0f);
    EXPECT_EQ(Count(m_graphics, MSG_BUILDING_COUNT), 87 - 66);
    EXPECT_EQ(Count(m_ai, MSG_KILL_ALL_AI_AGENTS), 87);
}

TEST_F(ObjectivesTest, SkippingEveryObjectiveWalksTheStoryToTheCredits) {
    GameLogicProcess& logic = Story();
    for (const i32 c : {14, 15, 16, 17, 18, 19}) {
        logic.m_levelCount[c] = 1;
    }
    // The swarm never dies: only the skip ends the ambush.
    logic.m_agentCount[GameLogicProcess::kTankSwarm] = 1;
    std::vector<i32> steps = {logic.m_objectiveStep};
    testing::internal::CaptureStdout();
    for (int skip = 0; skip < 9 && m_game.received.empty(); ++skip) {
        Send(MSG_DISABLE_OBJECTIVE);
        for (int frame = 0; frame < 100 && m_game.received.empty(); ++frame) {
            Step(0.25f);
            if (logic.m_objectiveStep != steps.back()) {
                steps.push_back(logic.m_objectiveStep);
            }
        }
    }
    for (int frame = 0; frame < 100 && m_game.received.empty(); ++frame) {
        Step(0.25f);
    }
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(steps, (std::vector<i32>{0, 1, 2, 4, 5, 6, 7, 9, 10}));
    ASSERT_EQ(m_game.received.size(), 1u);
    EXPECT_EQ(m_game.received[0].message->ValueOr<std::string>(""), "Credits");

    // The log tells a player of the game where the story stands: each skip with the step it
    // came at, each step as it is entered, once, and the won story.
    const std::regex line("GameLogicProcess: (objective step ([0-9]+) \\(([A-Za-z -]+)\\)|"
                          "objective ([0-9]+) skipped at step ([0-9]+)|the story is won)");
    std::vector<std::string> lines;
    for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator();
         ++it) {
        lines.push_back((*it)[1].str());
    }
    const std::vector<std::string> expected = {
        "objective 0 skipped at step 0",  "objective step 1 (the high-class buildings)",
        "objective 1 skipped at step 1",  "objective step 2 (the tanks)",
        "objective 2 skipped at step 2",  "objective step 4 (the gas stations)",
        "objective 3 skipped at step 4",  "objective step 5 (the headquarters)",
        "objective 4 skipped at step 5",  "objective step 6 (the ambush)",
        "objective 5 skipped at step 6",  "objective step 7 (the power objects)",
        "objective 6 skipped at step 7",  "objective step 9 (the boss UFO)",
        "objective 7 skipped at step 9",  "objective step 10 (the mothership)",
        "objective 8 skipped at step 10", "the story is won"};
    EXPECT_EQ(lines, expected) << log;
}

} // namespace
