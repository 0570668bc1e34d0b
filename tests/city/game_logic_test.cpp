#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "PhysX/physics_params.h"
#include "PhysX/physx_component.h"
#include "city/game_logic_component.h"
#include "city/game_logic_process.h"
#include "content/particle_system_info.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "game/radial_force.h"
#include "game/remove_count.h"
#include "game_logic_fixture.h"

namespace {

using game_logic_fixture::FakeInstance;
using game_logic_fixture::GameLogicTest;
using BuildingPayload = std::pair<std::string, bool>;

// --- Rewards ---

TEST_F(GameLogicTest, TwoTankKillsInOneFrameAddTheirRewardsWithTheHeatOfEach) {
    GameLogicProcess& logic = Make(true);
    Send(MSG_AGENT_DIED, std::string("AI-Ground-Tank"));
    EXPECT_DOUBLE_EQ(logic.m_pendingXP, 1000.0);
    EXPECT_DOUBLE_EQ(logic.m_heat, 0.075);
    Send(MSG_AGENT_DIED, std::string("AI-Ground-Tank"));
    EXPECT_DOUBLE_EQ(logic.m_pendingXP, 1000.0 + 1000.0 * 1.075 * 1.075);
    EXPECT_DOUBLE_EQ(logic.m_heat, 0.15);
    EXPECT_EQ(logic.m_killCount[0], 2);
    EXPECT_EQ(logic.m_agentCount[0], -2);
    EXPECT_EQ(logic.m_levelCount[0], -2);

    logic.Update(0.0f);
    ASSERT_EQ(XPSent().size(), 1u);
    EXPECT_DOUBLE_EQ(XPSent()[0], 2155.625);
    EXPECT_DOUBLE_EQ(logic.m_pendingXP, 0.0);
}

TEST_F(GameLogicTest, KillTableRewardsAndCountsByFirstMatch) {
    struct Row {
        std::string name;
        int category; // -1: rewarded, not counted
        double reward;
        double heat;
    };
    const std::vector<Row> rows = {
        {"AI-Ground-Tank", 0, 1000.0, 0.075},
        {"AI-Fly-Helicopter", 1, 1500.0, 0.075},
        {"AI-Ground-CitizenCardboard", 3, 25.0, 0.075},
        {"AI-Ground-Citizen-Anything", 3, 25.0, 0.075},
        {"AI-Fly-MediumUFO", 4, 4000.0, 0.075},
        {"AI-Ground-Jeep", 6, 300.0, 0.075},
        {"AI-Ground-CarGame", 10, 100.0, 0.075},
        {"AI-Ground-Truck", 5, 1000.0, 0.075},
        {"AI-Fly-Transport", 7, 1000.0, 0.075},
        {"AI-Ground-Tank-Swarm", 8, 1000.0, 0.075},
        {"AI-Boss-Fly-MothershipBFGCore", 11, 0.0, 0.075},
        {"Missile", 2, 1500.0, 0.075},
        {"AI-Seek-Missile", 2, 1500.0, 0.075},
        {"AI-Boss-Fly-UFO", 9, 100000.0, 0.075},
        {"AI-Ground-TankObjective", 16, 1000.0, 0.075},
        {"SomeCarThrown", -1, 2000.0, 0.05},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        GameLogicProcess& logic = Make(true);
        Send(MSG_AGENT_DIED, row.name);
        EXPECT_DOUBLE_EQ(logic.m_pendingXP, row.reward);
        EXPECT_DOUBLE_EQ(logic.m_heat, row.heat);
        for (int c = 0; c < GameLogicProcess::kCategoryCount; ++c) {
            EXPECT_EQ(logic.m_killCount[c], c == row.category ? 1 : 0) << c;
        }
    }
    for (const char* none : {"AI-Ground-Tank2", "AI-Fly-Helicopter ", "Tank", ""}) {
        SCOPED_TRACE(none);
        GameLogicProcess& logic = Make(true);
        Send(MSG_AGENT_DIED, std::string(none));
        EXPECT_DOUBLE_EQ(logic.m_pendingXP, 0.0);
        EXPECT_DOUBLE_EQ(logic.m_heat, 0.0);
    }
}

TEST_F(GameLogicTest, BuildingRewardsWithTheFlagClearAndSet) {
    struct Row {
        std::string name;
        bool flag;
        int category;
        double reward;
        double heat;
    };
    const std::vector<Row> rows = {
        {"BuildingPowerRelayStation", false, 18, 50000.0, 0.1},
        {"BuildingPowerRelayStation", true, 18, 0.0, 0.01},
        {"BigReactorCore", false, 18, 50000.0, 0.1},
        {"BigReactorCore", true, 18, 0.0, 0.01},
        {"BuildingGasObjective", false, 17, 50000.0, 0.1},
        {"BuildingApartmentObjective", true, 14, 0.0, 0.01},
        {"BuildingHighClassObjective", false, 15, 50000.0, 0.1},
        {"LightPost", false, 13, 500.0, 0.1},
        {"LightPost", true, 13, 500.0, 0.01},
        {"BuildingBaseHeadquarters", true, 19, 30000.0, 0.01},
        {"BuildingOffice", false, 12, 10000.0, 0.1},
        {"BuildingOffice", true, 12, 0.0, 0.01},
        {"ParkedCar", false, 12, 200.0, 0.1},
        {"ParkedCar", true, 12, 200.0, 0.01},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name + (row.flag ? " set" : " clear"));
        GameLogicProcess& logic = Make(false);
        logic.m_heat = 0.5;
        Send(MSG_BUILDING_DESTRUCTION, BuildingPayload(row.name, row.flag));
        EXPECT_DOUBLE_EQ(logic.m_pendingXP, row.reward * 2.25);
        EXPECT_DOUBLE_EQ(logic.m_heat, 0.5 + row.heat);
        EXPECT_EQ(logic.m_killCount[row.category], 1);
        EXPECT_EQ(logic.m_levelCount[row.category], -1);
        EXPECT_EQ(logic.m_agentCount[row.category], -1);
    }
    GameLogicProcess& logic = Make(false);
    Send(MSG_BUILDING_DESTRUCTION, BuildingPayload("Lightpost", false));
    EXPECT_DOUBLE_EQ(logic.m_heat, 0.0);
}

TEST_F(GameLogicTest, HeatDecaysAtMostHalfAUnitASecondAndStopsAtZero) {
    struct Row {
        double start;
        float dt;
        double after;
    };
    const std::vector<Row> rows = {
        {1.0, 0.5f, 0.75}, {2.0, 0.5f, 1.75}, {0.4, 0.5f, 0.3}, {0.0, 0.5f, 0.0}, {1.0, 4.0f, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.start);
        GameLogicProcess& logic = Make(true);
        logic.Update(0.0f);
        logic.m_heat = row.start;
        logic.Update(row.dt);
        EXPECT_NEAR(logic.m_heat, row.after, 1e-6);
        EXPECT_GE(logic.m_heat, 0.0);
    }
}

TEST_F(GameLogicTest, ExperienceAboveTheCapIsDroppedAndOnlyEndlessSendsAny) {
    GameLogicProcess& endless = Make(true);
    endless.m_pendingXP = 70000.0;
    endless.Update(0.1f);
    endless.Update(0.1f);
    ASSERT_EQ(XPSent().size(), 1u);
    EXPECT_DOUBLE_EQ(XPSent()[0], 50000.0);

    m_player.received.clear();
    for (const bool tutorial : {false, true}) {
        GameLogicProcess& story = Make(false, tutorial);
        Send(MSG_AGENT_DIED, std::string("AI-Ground-Tank"));
        story.Update(0.1f);
        EXPECT_TRUE(XPSent().empty());
        EXPECT_GT(story.m_pendingXP, 0.0);
    }
}

// --- Counting tables ---

TEST_F(GameLogicTest, LevelSpawnsCountAgentsOnlyBeforeTheFirstUpdate) {
    GameLogicProcess& logic = Make(false);
    Send(MSG_OBJECT_LEVEL_SPAWN, std::string("AI-Ground-Tank"));
    Send(MSG_OBJECT_LEVEL_SPAWN, std::string("AI-Seek-Missile"));
    Send(MSG_OBJECT_LEVEL_SPAWN, std::string("SmallReactor"));
    EXPECT_EQ(logic.m_levelCount[0], 1);
    EXPECT_EQ(logic.m_agentCount[0], 1);
    EXPECT_EQ(logic.m_levelCount[2], 1);
    EXPECT_EQ(logic.m_agentCount[2], 1);
    EXPECT_EQ(logic.m_levelCount[18], 1);
    logic.Update(0.01f);
    Send(MSG_OBJECT_LEVEL_SPAWN, std::string("AI-Ground-Tank"));
    EXPECT_EQ(logic.m_levelCount[0], 2);
    EXPECT_EQ(logic.m_agentCount[0], 1);
}

TEST_F(GameLogicTest, LevelSpawnTableCategories) {
    const std::vector<std::pair<std::string, int>> rows = {
        {"AI-Ground-Tank", 0},
        {"AI-Fly-Helicopter", 1},
        {"AI-Ground-CitizenWalker", 3},
        {"AI-Fly-MediumUFO", 4},
        {"AI-Ground-Jeep", 6},
        {"AI-Ground-Truck", 5},
        {"AI-Ground-CarGame", 10},
        {"Missile", 2},
        {"AI-Seek-Missile", 2},
        {"AI-Fly-Transport", 7},
        {"AI-Ground-Tank-Swarm", 8},
        {"AI-Boss-Fly-MothershipBFGCore", 11},
        {"AI-Boss-Fly-UFO", 9},
        {"BuildingPowerRelayStation", 18},
        {"ReactorTower", 18},
        {"BuildingApartmentObjective", 14},
        {"BuildingHighClassObjective", 15},
        {"AI-Ground-TankObjective", 16},
        {"BuildingGasObjective", 17},
        {"BuildingBaseHeadquarters", 19},
        {"BuildingShop", 12},
        {"AI-Ground-Tank2", -1},
        {"LightPost", -1},
    };
    for (const auto& [name, category] : rows) {
        SCOPED_TRACE(name);
        GameLogicProcess& logic = Make(false);
        Send(MSG_OBJECT_LEVEL_SPAWN, name);
        for (int c = 0; c < GameLogicProcess::kCategoryCount; ++c) {
            EXPECT_EQ(logic.m_levelCount[c], c == category ? 1 : 0) << c;
        }
    }
}

TEST_F(GameLogicTest, AgentCountIncreaseAndDecreaseMirrorEachOther) {
    // Category changed, and the one changed along with it (-1 none).
    struct Row {
        std::string name;
        int category;
        int also;
    };
    const std::vector<Row> increases = {
        {"AI-Ground-Tank", 0, -1},
        {"AI-Fly-Helicopter", 1, -1},
        {"AI-Ground-CitizenX", 3, -1},
        {"AI-Fly-MediumUFO", 4, -1},
        {"AI-Ground-Jeep", 6, -1},
        {"AI-Ground-CarGame", 10, -1},
        {"AI-Ground-Truck", 5, -1},
        {"AI-Boss-Fly-MothershipBFGCore", 11, -1},
        {"Missile", 2, -1},
        {"AI-Seek-Missile", 2, -1},
        {"AI-Fly-Transport", 7, 8},
        {"AI-Boss-Fly-UFO", 9, -1},
        {"AI-Ground-Tank2", -1, -1},
    };
    for (const Row& row : increases) {
        SCOPED_TRACE(row.name);
        GameLogicProcess& logic = Make(false);
        Send(MSG_INC_AGENT_COUNT, row.name);
        for (int c = 0; c < GameLogicProcess::kCategoryCount; ++c) {
            EXPECT_EQ(logic.m_agentCount[c], c == row.category || c == row.also ? 1 : 0) << c;
        }
    }
    std::vector<Row> decreases = increases;
    decreases.push_back({"AI-Ground-TankObjective", 16, -1});
    for (const Row& row : decreases) {
        SCOPED_TRACE(row.name);
        GameLogicProcess& logic = Make(false);
        Send(MSG_REMOVE_COUNT, RemoveCount{row.name, 3});
        for (int c = 0; c < GameLogicProcess::kCategoryCount; ++c) {
            EXPECT_EQ(logic.m_agentCount[c], c == row.category || c == row.also ? -3 : 0) << c;
        }
    }
    // The pair some senders use counts the same.
    GameLogicProcess& logic = Make(false);
    Send(MSG_REMOVE_COUNT, std::pair<std::string, u32>("AI-Fly-Transport", 2));
    EXPECT_EQ(logic.m_agentCount[7], -2);
    EXPECT_EQ(logic.m_agentCount[8], -2);
}

TEST_F(GameLogicTest, ClassifyObjectNamesWhatTheTablesCount) {
    EXPECT_EQ(GameLogicProcess::ClassifyObject(0), "AI-Ground-Tank");
    EXPECT_EQ(GameLogicProcess::ClassifyObject(2), "AI-Seek-Missile");
    EXPECT_EQ(GameLogicProcess::ClassifyObject(10), "AI-Ground-CarGame");
    EXPECT_EQ(GameLogicProcess::ClassifyObject(19), "BuildingBaseHeadquarters");
    EXPECT_EQ(GameLogicProcess::ClassifyObject(20), "");
    EXPECT_EQ(GameLogicProcess::ClassifyObject(-1), "");
    // Every category the spawners request is counted back when the AI places it (swarms
    // arrive with their transport).
    for (int c = 0; c < GameLogicProcess::kSpawnedCategories; ++c) {
        if (c == GameLogicProcess::kBossUFO || c == GameLogicProcess::kTankSwarm) {
            continue;
        }
        SCOPED_TRACE(c);
        GameLogicProcess& logic = Make(false);
        Send(MSG_INC_AGENT_COUNT, GameLogicProcess::ClassifyObject(c));
        EXPECT_EQ(logic.m_agentCount[c], 1);
    }
}

TEST_F(GameLogicTest, EndlessMissilesStopOnceTheTargetIsMet) {
    GameLogicProcess& logic = Make(true);
    logic.Update(0.0f);
    logic.m_waveTarget[GameLogicProcess::kMissile] = 1;
    int missileRequests = 0;
    for (int frame = 0; frame < 100; ++frame) {
        logic.Update(0.1f);
        for (const std::string& name : TakeSpawns()) {
            if (name == "AI-Seek-Missile") {
                ++missileRequests;
                Send(MSG_INC_AGENT_COUNT, name);
            }
        }
    }
    EXPECT_EQ(missileRequests, 1);
}

TEST_F(GameLogicTest, ResetKillCountClearsEveryCategory) {
    GameLogicProcess& logic = Make(false);
    Send(MSG_AGENT_DIED, std::string("AI-Ground-Tank"));
    Send(MSG_BUILDING_DESTRUCTION, BuildingPayload("BuildingShop", false));
    Send(MSG_RESET_KILL_COUNT);
    for (int c = 0; c < GameLogicProcess::kCategoryCount; ++c) {
        EXPECT_EQ(logic.m_killCount[c], 0);
    }
}

// --- Start-up and music ---

TEST_F(GameLogicTest, FirstUpdatePreloadsTheMusicOfTheModeAndTellsTheAI) {
    struct Row {
        bool endless;
        bool tutorial;
        std::vector<std::string> loaded;
    };
    const std::vector<Row> rows = {
        {false,
         false,
         {"./assets/music/Game Intro [in game].mp3",
          "./assets/music/A Robot's Afoot [in game].mp3"}},
        {true, false, {"./assets/music/music.mp3"}},
        {false, true, {"./assets/music/music.mp3"}},
    };
    for (const Row& row : rows) {
        m_sound.m_loaded.clear();
        m_ai.received.clear();
        GameLogicProcess& logic = Make(row.endless, row.tutorial);
        logic.Update(0.0f);
        logic.Update(0.0f);
        EXPECT_EQ(m_sound.m_loaded, row.loaded);
        ASSERT_FALSE(m_ai.received.empty());
        EXPECT_EQ(m_ai.received[0].message->type, static_cast<u32>(MSG_ENDLESS_MODE_ON));
        EXPECT_EQ(m_ai.received[0].message->ValueOr<bool>(!row.endless), row.endless);
    }
}

TEST_F(GameLogicTest, SwitchingMusicStopsTheOldOneAndLoopsTheNew) {
    GameLogicProcess& logic = Make(false);
    Send(MSG_PLAY_AMBUSH_MUSIC);
    FakeInstance* ambush = m_sound.Last();
    ASSERT_NE(ambush, nullptr);
    EXPECT_EQ(ambush->path, "./assets/music/Attack The City [in game].mp3");
    EXPECT_TRUE(ambush->playing);
    EXPECT_TRUE(ambush->loop);
    EXPECT_FLOAT_EQ(ambush->volume, 0.85f);
    EXPECT_EQ(ambush->group, 1u);
    EXPECT_TRUE(ambush->persistent);

    Send(MSG_PLAY_UFO_MUSIC);
    EXPECT_TRUE(ambush->stopped);
    EXPECT_FALSE(ambush->release);
    FakeInstance* ufo = m_sound.Last();
    EXPECT_EQ(ufo->path, "./assets/music/Flight Of The UFO [in game].mp3");
    EXPECT_FLOAT_EQ(ufo->volume, 0.9f);

    // A finished one is released, not stopped.
    ufo->finished = true;
    Send(MSG_PLAY_MOTHERSHIP_MUSIC);
    EXPECT_TRUE(ufo->release);
    EXPECT_FALSE(ufo->stopped);
    EXPECT_FLOAT_EQ(m_sound.Last()->volume, 1.0f);

    // No instance comes back: the old music is gone and none plays.
    FakeInstance* mothership = m_sound.Last();
    m_sound.m_missing["./assets/music/A Robot's Afoot [in game].mp3"] = true;
    Send(MSG_PLAY_INTRO_MUSIC);
    EXPECT_TRUE(mothership->stopped);
    EXPECT_EQ(logic.m_music, nullptr);
}

TEST_F(GameLogicTest, PlayMusicInTheStoryStartsTheIntroAndQueuesTheNextTune) {
    GameLogicProcess& logic = Make(false);
    Send(MSG_PLAY_MUSIC);
    FakeInstance* intro = m_sound.Last();
    ASSERT_NE(intro, nullptr);
    EXPECT_EQ(intro->path, "./assets/music/Game Intro [in game].mp3");
    EXPECT_FALSE(intro->loop);
    EXPECT_FLOAT_EQ(intro->volume, 0.8f);
    EXPECT_EQ(intro->group, 1u);
    EXPECT_EQ(logic.m_introMusic, game_logic_fixture::FakeSound::Handle(intro));

    m_router.Update(16.9f);
    EXPECT_EQ(logic.m_music, nullptr);
    m_router.Update(0.2f);
    ASSERT_NE(logic.m_music, nullptr);
    EXPECT_EQ(m_sound.Last()->path, "./assets/music/A Robot's Afoot [in game].mp3");
    EXPECT_TRUE(m_sound.Last()->loop);

    // The intro, once played out, is released by the next update.
    intro->finished = true;
    logic.Update(0.01f);
    EXPECT_TRUE(intro->release);
    EXPECT_EQ(logic.m_introMusic, nullptr);

    // Without an instance the tune still follows.
    m_sound.m_missing["./assets/music/Game Intro [in game].mp3"] = true;
    Send(MSG_PLAY_MUSIC);
    EXPECT_EQ(logic.m_introMusic, nullptr);
    EXPECT_EQ(m_router.QueueSize(), 1u);
}

TEST_F(GameLogicTest, PlayMusicInEndlessLoopsTheLevelTuneWithNothingQueued) {
    GameLogicProcess& logic = Make(true);
    Send(MSG_PLAY_MUSIC);
    ASSERT_NE(logic.m_music, nullptr);
    EXPECT_EQ(m_sound.Last()->path, "./assets/music/music.mp3");
    EXPECT_TRUE(m_sound.Last()->loop);
    EXPECT_FLOAT_EQ(m_sound.Last()->volume, 0.5f);
    EXPECT_EQ(m_router.QueueSize(), 0u);
}

TEST_F(GameLogicTest, PauseAndResumeTouchOnlyUnfinishedMusic) {
    GameLogicProcess& logic = Make(false);
    Send(MSG_PAUSE_MUSIC);
    Send(MSG_UNPAUSE_MUSIC);

    Send(MSG_PLAY_MUSIC);
    FakeInstance* intro = m_sound.Last();
    Send(MSG_PLAY_AMBUSH_MUSIC);
    FakeInstance* music = m_sound.Last();
    intro->finished = true;
    Send(MSG_PAUSE_MUSIC);
    EXPECT_TRUE(music->paused);
    EXPECT_FALSE(intro->paused);
    Send(MSG_UNPAUSE_MUSIC);
    EXPECT_FALSE(music->paused);
    EXPECT_NE(logic.m_introMusic, nullptr);
}

TEST_F(GameLogicTest, TeardownStopsAndHandsBackTheMusic) {
    GameLogicProcess& logic = Make(false);
    Send(MSG_PLAY_MUSIC);
    FakeInstance* intro = m_sound.Last();
    Send(MSG_PLAY_AMBUSH_MUSIC);
    FakeInstance* music = m_sound.Last();
    logic.BeginTeardown();
    for (const FakeInstance* instance : {intro, music}) {
        EXPECT_TRUE(instance->stopped);
        EXPECT_TRUE(instance->release);
    }
    EXPECT_EQ(logic.m_music, nullptr);
    EXPECT_EQ(logic.m_introMusic, nullptr);
}

// --- Bosses and objectives ---

TEST_F(GameLogicTest, BossesArePlacedByTypeName) {
    GameLogicProcess& logic = Make(false);
    logic.m_bossPosition = Vector(100.0f, 0.0f, -40.0f);
    GameObject ufo("AI-Boss-Fly-UFO");
    Send(MSG_LEVEL_OBJECT_CREATED, &ufo);
    EXPECT_FLOAT_EQ(ufo.position.x, 100.0f);
    EXPECT_FLOAT_EQ(ufo.position.y, 130.4f);
    EXPECT_FLOAT_EQ(ufo.position.z, -40.0f);
    EXPECT_FLOAT_EQ(logic.m_bossPosition.y, 130.4f);
    // Without a body it is only moved.
    EXPECT_TRUE(m_physics.received.empty());

    GameObject base("AI-Boss-Fly-MothershipBase");
    GameObject part("AI-Boss-Fly-MothershipPart");
    base.childObjects.push_back(&part);
    Send(MSG_LEVEL_OBJECT_CREATED, &base);
    for (const GameObject* moved : {&base, &part}) {
        EXPECT_FLOAT_EQ(moved->position.x, -50.0f);
        EXPECT_FLOAT_EQ(moved->position.y, 235.0f);
        EXPECT_FLOAT_EQ(moved->position.z, 3000.0f);
    }
    base.childObjects.clear();

    GameObject other("AI-Ground-Tank");
    Send(MSG_LEVEL_OBJECT_CREATED, &other);
    EXPECT_FLOAT_EQ(other.position.y, 0.0f);
}

TEST_F(GameLogicTest, SkippingObjectivesWalksTheTable) {
    GameLogicProcess& logic = Make(false);
    for (int c : {14, 15, 16, 17, 18, 19}) {
        logic.m_levelCount[c] = 5;
    }
    const auto skip = [&] { Send(MSG_DISABLE_OBJECTIVE); };
    skip();
    EXPECT_EQ(logic.m_levelCount[14], 0);
    EXPECT_EQ(logic.m_levelCount[15], 5);
    skip();
    EXPECT_EQ(logic.m_levelCount[15], 0);
    skip();
    EXPECT_EQ(logic.m_levelCount[16], 0);
    skip();
    EXPECT_EQ(logic.m_levelCount[17], 0);
    skip();
    EXPECT_EQ(logic.m_levelCount[19], 0);
    skip();
    EXPECT_EQ(logic.m_ambushRound, 3);
    skip();
    EXPECT_FLOAT_EQ(logic.m_phaseTime, 100.0f);
    EXPECT_EQ(logic.m_levelCount[18], 0);
    EXPECT_FLOAT_EQ(logic.m_scriptTimer, 6.0f);
    logic.m_phaseTime = 0.0f;
    skip();
    EXPECT_FLOAT_EQ(logic.m_phaseTime, 100.0f);
    EXPECT_EQ(logic.m_killCount[9], 1);
    EXPECT_FLOAT_EQ(logic.m_bossDeathDelay, 0.6f);
    logic.m_phaseTime = 0.0f;
    skip();
    EXPECT_EQ(logic.m_killCount[11], 1);
    EXPECT_FLOAT_EQ(logic.m_phaseTime, 100.0f);
    logic.m_phaseTime = 1.0f;
    skip();
    EXPECT_FLOAT_EQ(logic.m_phaseTime, 1.0f);
    EXPECT_EQ(logic.m_objectiveIndex, 10);
}

TEST_F(GameLogicTest, TheBossUFOClearsItsArrivalAreaAndStopsColliding) {
    GameLogicProcess& logic = Make(false);
    logic.m_bossPosition = Vector(10.0f, 0.0f, 20.0f);
    GameObject ufo("AI-Boss-Fly-UFO");
    PhysXComponent body("AI-Boss-Fly-UFO", PhysicsParams{}, nullptr);
    ufo.AddComponent(ComponentType::Physics, &body);
    Send(MSG_LEVEL_OBJECT_CREATED, &ufo);
    ufo.RemoveComponent(&body, false);

    EXPECT_FALSE(body.IsCollisionEnabled());
    ASSERT_EQ(m_physics.received.size(), 2u);
    const RadialForce* wide = m_physics.received[0].message->Payload<RadialForce>();
    const RadialForce* low = m_physics.received[1].message->Payload<RadialForce>();
    ASSERT_NE(wide, nullptr);
    ASSERT_NE(low, nullptr);
    EXPECT_FLOAT_EQ(wide->m_center.y, 130.4f);
    EXPECT_FLOAT_EQ(wide->m_radius, 50.0f);
    EXPECT_FLOAT_EQ(wide->m_force, 10000.0f);
    EXPECT_FLOAT_EQ(wide->m_duration, 3.0f);
    EXPECT_FLOAT_EQ(low->m_center.x, 10.0f);
    EXPECT_FLOAT_EQ(low->m_center.y, 115.4f);
    EXPECT_FLOAT_EQ(low->m_radius, 40.0f);
    EXPECT_FLOAT_EQ(low->m_force, 5000.0f);
    EXPECT_FLOAT_EQ(low->m_duration, 1.0f);
    for (const RadialForce* force : {wide, low}) {
        EXPECT_EQ(force->m_exclude_id, body.GetId());
        EXPECT_EQ(force->m_only_id, 0u);
        EXPECT_EQ(force->m_mode, RadialForce::kForce);
    }
}

// --- Components and coils ---

class CoilTest : public GameLogicTest {
  protected:
    // An object of the type with a "GameLogic" component of the process.
    GameObject* MakeObject(const std::string& type) {
        auto* object = new GameObject(type);
        StreamMap stream = component_fixture::ComponentStream(type, "GameLogic");
        Component* component = m_logic->CreateComponent(&stream);
        EXPECT_NE(component, nullptr);
        object->AddComponent(ComponentType::GameLogic, component);
        object->position = Vector(100.0f, 10.0f, -100.0f);
        return object;
    }
    int ParticleCount() const {
        int count = 0;
        for (const auto& r : m_graphics.received) {
            count += r.message->type == MSG_CREATE_PARTICLE_SYSTEM ? 1 : 0;
        }
        return count;
    }
};

TEST_F(CoilTest, OnlyGameLogicStreamsMakeComponents) {
    GameLogicProcess& logic = Make(false);
    StreamMap other = component_fixture::ComponentStream("Coil", "Trigger");
    EXPECT_EQ(logic.CreateComponent(&other), nullptr);
    StreamMap bare;
    EXPECT_EQ(logic.CreateComponent(&bare), nullptr);
    EXPECT_EQ(logic.CreateComponent(nullptr), nullptr);
    StreamMap stream = component_fixture::ComponentStream("Coil", "GameLogic");
    Component* made = logic.CreateComponent(&stream);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->process, &logic);
    EXPECT_EQ(logic.Components().size(), 1u);
    GameLogicComponent stranger("Coil");
    logic.RemoveComponent(&stranger);
    EXPECT_EQ(logic.Components().size(), 1u);
    logic.RemoveComponent(made);
    EXPECT_TRUE(logic.Components().empty());
}

TEST_F(CoilTest, ACoilBurstsInSixteenDelayedEffectsAndOneBang) {
    GameLogicProcess& logic = Make(false);
    GameObject* coil = MakeObject("PowerCoilBig");
    delete coil;
    EXPECT_TRUE(logic.Components().empty());
    ASSERT_NE(m_sound.Last(), nullptr);
    EXPECT_EQ(m_sound.Last()->path, "./assets/sound fx/medium_explosion.mp3");
    EXPECT_FLOAT_EQ(m_sound.Last()->volume, 1.0f);
    EXPECT_FALSE(m_sound.Last()->loop);

    // The first of each effect goes at once, the rest 0.5, 1.0 and 1.5 s later.
    EXPECT_EQ(ParticleCount(), 4);
    const std::vector<std::string> order = {"explosion", "ElectricSparks", "LaserExplosion",
                                            "missileexplosion"};
    std::vector<std::string> names;
    const float steps[] = {0.5f, 0.5f, 0.5f};
    for (const float step : steps) {
        m_router.Update(step);
    }
    m_router.Update(0.01f);
    ASSERT_EQ(ParticleCount(), 16);
    for (const auto& r : m_graphics.received) {
        const ParticleSystemInfo* info = r.message->Payload<ParticleSystemInfo>();
        ASSERT_NE(info, nullptr);
        names.push_back(info->name);
        const Vector offset = info->position - Vector(100.0f, 10.0f, -100.0f);
        for (const float d : {offset.x, offset.y, offset.z}) {
            EXPECT_GE(d, -20.0f - 1e-3f);
            EXPECT_LE(d, 19.6f + 1e-3f);
            const float steps04 = (d + 20.0f) / 0.4f;
            EXPECT_NEAR(steps04, std::round(steps04), 1e-2f);
        }
    }
    // Delivered by time: each round holds the four effects in order.
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i], order[i % 4]) << i;
    }
}

TEST_F(CoilTest, SmallCoilsAndOtherObjectsGoQuietly) {
    Make(false);
    for (const char* type : {"CoilSmall", "SmallCoilTower", "BuildingShop"}) {
        delete MakeObject(type);
    }
    m_router.Update(2.0f);
    EXPECT_EQ(ParticleCount(), 0);
    EXPECT_TRUE(m_sound.m_instances.empty());
}

TEST_F(CoilTest, ACoilRemovedAtTeardownPlaysNothing) {
    GameLogicProcess& logic = Make(false);
    GameObject* coil = MakeObject("Coil");
    logic.BeginTeardown();
    delete coil;
    EXPECT_TRUE(logic.Components().empty());
    EXPECT_EQ(m_router.QueueSize(), 0u);
    EXPECT_EQ(ParticleCount(), 0);
    EXPECT_TRUE(m_sound.m_instances.empty());
}

} // namespace
