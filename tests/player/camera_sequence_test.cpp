#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <regex>
#include <string>
#include <vector>

#include "player_level_fixture.h"

namespace {

using player_level::Level;
using player_level::LevelKind;

class StoryLevel : public Level {};

// Past the first frame, so the intro does not start on its own.
class StoryLevelInPlay : public Level {
  protected:
    StoryLevelInPlay() { process->m_first_update = false; }
};

class EndlessLevel : public Level {
  protected:
    EndlessLevel() : Level(LevelKind{true, false}) {}
};

class TutorialLevel : public Level {
  protected:
    TutorialLevel() : Level(LevelKind{false, true}) {}
};

std::vector<unsigned int> PauseList(const BaseMessage* msg) {
    const auto* list = msg->Payload<std::vector<unsigned int>>();
    return list != nullptr ? *list : std::vector<unsigned int>{99};
}

struct SequenceCase {
    const char* name;
    u32 start;
    std::vector<unsigned int> keep;
    bool aiOff;
    i32 mode;
    float duration;
};

TEST_F(StoryLevel, EachSequencePausesItsListSwitchesTheAiAndHoldsTheRobotAsItsTableSays) {
    const SequenceCase cases[] = {
        {"Intro", 0, {11, 9, 10, 15}, true, 0, 15.5f},
        {"UFO", MSG_CAMERA_BOSS_ARRIVE, {11, 9, 10, 15, 16, 18}, true, 1, 11.15f},
        {"Mothership", MSG_CAMERA_BOSS_DIE, {11, 12, 10, 15, 16, 18, 9}, false, 1, 12.5f},
        {"Win", MSG_CAMERA_PLAYER_WIN, {11, 12, 10, 15, 17, 16, 18}, true, 1, 5.0f},
    };
    for (const SequenceCase& c : cases) {
        SCOPED_TRACE(c.name);
        g_player_mode = 0;
        ClearRecords();
        if (c.start == 0) {
            process->StartSequence("Intro");
        } else {
            Send(c.start);
        }
        const auto pauses = Received(HANDLER_LEVEL_STATE, MSG_LEVEL_PAUSE_PROCESSES);
        ASSERT_EQ(pauses.size(), 1u);
        EXPECT_EQ(PauseList(pauses[0]), c.keep);
        EXPECT_EQ(Received(HANDLER_AI_VIEW_PROCESS, MSG_DISABLE_AI).size(), c.aiOff ? 1u : 0u);
        EXPECT_EQ(process->m_ai_disabled, c.aiOff);
        EXPECT_TRUE(g_player_cutscene);
        EXPECT_EQ(g_player_mode, c.mode);
        EXPECT_EQ(g_game_camera.name, c.name);
        EXPECT_FLOAT_EQ(g_game_camera.duration, c.duration);
        EXPECT_FLOAT_EQ(g_game_camera.time, 0.0f);
        EXPECT_FALSE(g_game_camera.finished);
        EXPECT_TRUE(g_game_camera.linearTarget);
    }
}

TEST_F(StoryLevel,
       TheFirstFrameFliesTheIntroAndItsEndUnpausesAllRestoresTheAiAndActivatesTriggers) {
    Frames(1);
    EXPECT_TRUE(g_player_cutscene);
    EXPECT_EQ(g_game_camera.name, "Intro");
    ASSERT_EQ(Received(HANDLER_LEVEL_STATE, MSG_LEVEL_PAUSE_PROCESSES).size(), 1u);
    EXPECT_EQ(Received(HANDLER_AI_VIEW_PROCESS, MSG_DISABLE_AI).size(), 1u);
    const auto counts = Received(HANDLER_GRAPHICS_PROCESS, MSG_BUILDING_COUNT);
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_EQ(counts[0]->ValueOr<std::string>("x"), "");
    // The renderer and the listener follow the path while it runs.
    EXPECT_FALSE(Received(HANDLER_GRAPHICS_PROCESS, MSG_PLAYER_CAMERA).empty());
    EXPECT_FALSE(Received(HANDLER_SOUND_PROCESS, MSG_SOUND_LISTENER_POSITION).empty());

    int frames = 1;
    while (g_player_cutscene && frames < 400) {
        EXPECT_TRUE(Received(HANDLER_TRIGGER_PROCESS, MSG_TRIGGERS_ACTIVATE).empty());
        Frames(1);
        ++frames;
    }
    EXPECT_FALSE(g_player_cutscene);
    // Slowed after 11 s, the 15.5 s take longer than 155 frames of 0.1 s.
    EXPECT_GT(frames, 156);
    const auto unpauses = Received(HANDLER_LEVEL_STATE, MSG_LEVEL_UNPAUSE_PROCESSES);
    ASSERT_EQ(unpauses.size(), 1u);
    EXPECT_TRUE(PauseList(unpauses[0]).empty());
    EXPECT_EQ(Received(HANDLER_AI_VIEW_PROCESS, MSG_DISABLE_AI).size(), 2u);
    EXPECT_FALSE(process->m_ai_disabled);
    EXPECT_EQ(Received(HANDLER_TRIGGER_PROCESS, MSG_TRIGGERS_ACTIVATE).size(), 1u);
    // The robot took over and then the camera behind it.
    EXPECT_EQ(g_player_mode, 0);
    ClearRecords();
    Frames(1);
    EXPECT_EQ(Received(HANDLER_GRAPHICS_PROCESS, MSG_PLAYER_CAMERA).size(), 1u);
    EXPECT_TRUE(Received(HANDLER_TRIGGER_PROCESS, MSG_TRIGGERS_ACTIVATE).empty());
}

TEST_F(StoryLevelInPlay, TheIntroRunsAtFullSpeedUntilElevenSecondsThenSlowsDown) {
    process->StartSequence("Intro");
    g_game_camera.time = 10.0f;
    process->Update(0.5f);
    EXPECT_FLOAT_EQ(g_game_camera.time, 10.5f);
    g_game_camera.time = 12.8f;
    process->Update(0.5f);
    // s = 1 - 1.8 / 9 = 0.8
    EXPECT_NEAR(g_game_camera.time, 13.2f, 1e-5f);
}

TEST_F(StoryLevelInPlay, OnlyTheIntroActivatesTheTriggersWhenItEnds) {
    Send(MSG_CAMERA_PLAYER_WIN);
    g_game_camera.time = 4.95f;
    Frames(1);
    EXPECT_FALSE(g_player_cutscene);
    EXPECT_EQ(g_player_mode, 0);
    EXPECT_TRUE(Received(HANDLER_TRIGGER_PROCESS, MSG_TRIGGERS_ACTIVATE).empty());
    EXPECT_EQ(Received(HANDLER_LEVEL_STATE, MSG_LEVEL_UNPAUSE_PROCESSES).size(), 1u);
}

TEST_F(StoryLevel, TheMothershipWayBackRoundsTheGateOnlyFromFarOutBehindIt) {
    struct Case {
        float eyeX;
        float eyeZ;
        std::size_t detours;
    };
    // With yaw 0 and the pitch set level the eye is 42 behind the head in z.
    const Case cases[] = {
        {150.0f, -400.0f, 0},  // r = 200
        {200.0f, -400.0f, 1},  // r = 250
        {350.0f, -400.0f, 1},  // r = 400
        {351.0f, -400.0f, 2},  // r = 401
        {-450.0f, -400.0f, 1}, // r = 400
        {-451.0f, -400.0f, 2}, {400.0f, -360.0f, 0}, {400.0f, -300.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.eyeX);
        SCOPED_TRACE(c.eyeZ);
        robot->position = Vector(c.eyeX, 0.0f, c.eyeZ - 42.0f);
        player->m_yaw = 0.0f;
        player->m_camera_pitch = 0.3f;
        Send(MSG_CAMERA_BOSS_DIE);
        EXPECT_FLOAT_EQ(player->m_camera_pitch, std::numbers::pi_v<float> / 2.0f);
        ASSERT_EQ(g_game_camera.pathKeys.size(), 2u);
        const auto& points = g_game_camera.pathKeys[1].curve.controlPoints;
        ASSERT_EQ(points.size(), 3u + c.detours);
        for (std::size_t i = 0; i < c.detours; ++i) {
            EXPECT_EQ(points[1 + i],
                      Vector(-90.0f, 22.95f, -300.0f - 50.0f * static_cast<float>(i)));
        }
        EXPECT_NEAR(points.back().x, c.eyeX, 1e-3f);
        EXPECT_NEAR(points.back().z, c.eyeZ, 1e-3f);
        EXPECT_EQ(g_game_camera.targetKeys.size(), 8u);
    }
}

TEST_F(StoryLevelInPlay, TheBossArrivalReaimsItsLastKeysAtTheRobotAfterFourSeconds) {
    Send(MSG_CAMERA_BOSS_ARRIVE);
    ASSERT_EQ(g_game_camera.pathKeys.size(), 4u);
    ASSERT_EQ(g_game_camera.targetKeys.size(), 9u);
    EXPECT_FLOAT_EQ(g_game_camera.targetKeys[2].point.y, std::nextafter(54.4f, 0.0f));
    robot->position = Vector(100.0f, 0.0f, 0.0f);
    g_game_camera.time = 3.0f;
    process->Update(0.1f);
    EXPECT_FALSE(g_game_camera.pathKeys[3].rebuild);
    g_game_camera.time = 4.5f;
    process->Update(0.1f);
    EXPECT_EQ(g_game_camera.targetKeys[8].point, Vector(100.0f, 19.0f, 0.0f));
    EXPECT_FLOAT_EQ(g_game_camera.targetKeys[8].time, 11.0f);
    EXPECT_NEAR(g_game_camera.pathKeys[3].curve.controlPoints.back().x, 100.0f, 1e-3f);
}

// The boss UFO comes down where the story level's needle stands, at its height. While the
// camera looks up at it from the street, the needle's place must lie ahead of the camera, on
// the line it looks along: a needle behind the camera leaves the arrival showing empty sky.
TEST_F(StoryLevelInPlay, TheBossArrivalLooksAtWhereTheStoryLevelsNeedleStands) {
    std::ifstream in(std::string(GORVANE_SOURCE_DIR) + "/data/levels/ubergold.lua");
    const std::string level((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::smatch place;
    const std::regex needle("Place\\(\"BuildingNeedle\", (-?[0-9.]+), (-?[0-9.]+), (-?[0-9.]+)\\)");
    ASSERT_TRUE(std::regex_search(level, place, needle));
    const Vector boss(std::stof(place[1].str()), 130.4f, std::stof(place[3].str()));

    Send(MSG_CAMERA_BOSS_ARRIVE);
    ASSERT_EQ(g_game_camera.pathKeys.size(), 4u);
    ASSERT_EQ(g_game_camera.targetKeys.size(), 9u);
    // From the end of the climb to the drop (6.85 s to 9.0 s) the camera stands still.
    const Vector eye = g_game_camera.pathKeys[1].curve.controlPoints.back();
    for (const std::size_t key : {4u, 5u}) {
        const Vector look = g_game_camera.targetKeys[key].point;
        const Vector ahead = look - eye;
        const Vector toBoss = boss - eye;
        const float along = ahead.Dot(toBoss) / ahead.Length();
        EXPECT_GT(along, 0.0f) << "the boss is behind the camera";
        // Off the line of sight by at most a tenth of its distance: well inside the view.
        const Vector off = toBoss - ahead * (along / ahead.Length());
        EXPECT_LT(off.Length(), 0.1f * toBoss.Length());
    }
}

TEST_F(StoryLevel, VictoryAsksTheRobotToCheerAfterItsDelay) {
    Send(MSG_CAMERA_PLAYER_WIN);
    EXPECT_EQ(player->m_pending_animation, "Victory");
    EXPECT_FLOAT_EQ(player->m_pending_animation_delay, 2.1f);
    ASSERT_EQ(g_game_camera.targetKeys.size(), 2u);
    EXPECT_NEAR(g_game_camera.targetKeys[1].point.y, 18.1f, 1e-5f);
}

TEST_F(EndlessLevel, TheFirstFrameActivatesTheTriggersShortlyAfterWithoutAnIntro) {
    Frames(1, 0.0005f);
    EXPECT_FALSE(g_player_cutscene);
    EXPECT_TRUE(Received(HANDLER_LEVEL_STATE, MSG_LEVEL_PAUSE_PROCESSES).empty());
    EXPECT_TRUE(Received(HANDLER_TRIGGER_PROCESS, MSG_TRIGGERS_ACTIVATE).empty());
    EXPECT_EQ(Received(HANDLER_GRAPHICS_PROCESS, MSG_BUILDING_COUNT).size(), 1u);
    Frames(1, 0.01f);
    EXPECT_EQ(Received(HANDLER_TRIGGER_PROCESS, MSG_TRIGGERS_ACTIVATE).size(), 1u);
    Frames(5, 0.01f);
    EXPECT_EQ(Received(HANDLER_TRIGGER_PROCESS, MSG_TRIGGERS_ACTIVATE).size(), 1u);
}

TEST_F(TutorialLevel, TheFirstFrameStartsNoSequenceAndActivatesNoTriggers) {
    Frames(3);
    EXPECT_FALSE(g_player_cutscene);
    EXPECT_TRUE(Received(HANDLER_LEVEL_STATE, MSG_LEVEL_PAUSE_PROCESSES).empty());
    EXPECT_TRUE(Received(HANDLER_TRIGGER_PROCESS, MSG_TRIGGERS_ACTIVATE).empty());
    EXPECT_EQ(Received(HANDLER_GRAPHICS_PROCESS, MSG_BUILDING_COUNT).size(), 1u);
}

TEST_F(TutorialLevel, SequencesNeedARobot) {
    robot->RemoveComponent(player, false);
    process->RemoveComponent(player);
    player = nullptr;
    Send(MSG_CAMERA_BOSS_ARRIVE);
    EXPECT_FALSE(g_player_cutscene);
    EXPECT_TRUE(Received(HANDLER_LEVEL_STATE, MSG_LEVEL_PAUSE_PROCESSES).empty());
}

TEST_F(TutorialLevel, DisablingDeathsTwiceSwitchesThemOnAgain) {
    Send(MSG_DISABLE_DEALTH);
    EXPECT_FLOAT_EQ(process->m_death_toggle, -50000.0f);
    EXPECT_TRUE(g_player_invulnerable);
    Send(MSG_DISABLE_DEALTH);
    EXPECT_FLOAT_EQ(process->m_death_toggle, 0.0f);
    EXPECT_FALSE(g_player_invulnerable);
}

TEST(PlayerProcessLevels, EveryLevelStartsWithDeathsAndDamageOn) {
    {
        player_level::Controls controls;
        PlayerProcess first(&controls, true, false);
        BaseMessage off(MSG_DISABLE_DEALTH);
        first.HandleMessage(&off, HANDLER_GAME);
        EXPECT_TRUE(g_player_invulnerable);
    }
    // Leaving the level and starting another: the robot takes damage again.
    player_level::Controls controls;
    PlayerProcess next(&controls, true, false);
    EXPECT_FALSE(g_player_invulnerable);
    EXPECT_FLOAT_EQ(next.m_death_toggle, 0.0f);
    PlayerComponent robot("RobotBase", &controls, false);
    robot.process = &next;
    robot.TakeDamage(4.0f);
    EXPECT_FLOAT_EQ(robot.m_health, 97.0f);
    // One toggle switches both off.
    BaseMessage off(MSG_DISABLE_DEALTH);
    next.HandleMessage(&off, HANDLER_GAME);
    EXPECT_TRUE(g_player_invulnerable);
    EXPECT_FLOAT_EQ(next.m_death_toggle, -50000.0f);
}

TEST_F(TutorialLevel, TheProcessUpdatesTheRobotBeforeItsPartsAndForgetsRemovedOnes) {
    ASSERT_EQ(process->Players().size(), 1u);
    ASSERT_EQ(process->Children().size(), 6u);
    EXPECT_EQ(process->Components().Size(), 7u);
    PlayerChildComponent* second = process->Children()[1];
    parts[1]->RemoveComponent(second, true);
    EXPECT_EQ(process->Children().size(), 5u);
    EXPECT_EQ(process->Components().Size(), 6u);
}

TEST_F(TutorialLevel, PowerUpsStopAtSevenAndStillNotifyTheBuildings) {
    player->m_power_level = 6;
    Send(MSG_PLAYER_POWERUP_LEVEL_INCREASE);
    Send(MSG_PLAYER_POWERUP_LEVEL_INCREASE);
    EXPECT_EQ(player->m_power_level, 7);
    EXPECT_EQ(Received(HANDLER_BUILDING_PROCESS, MSG_PLAYER_POWER_LEVEL).size(), 2u);
}

TEST_F(TutorialLevel, ExperienceReachesTheRobotsObjectOnce) {
    Message<double> xp(MSG_PLAYER_XP, 10.0);
    root.SendMessage(&xp, PlayerProcess::kHandlerId, HANDLER_GAME_LOGIC_PROCESS);
    EXPECT_DOUBLE_EQ(player->m_experience, 2.0);
    const auto texts = Received(HANDLER_UI_PROCESS, MSG_BUILDING_COUNT);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->ValueOr<std::string>(""), "$2.00");
}

TEST(PlayerProcessLevels, TheDestructorLeavesNoSequenceBehind) {
    MessageRouter root;
    component_fixture::MessageRecorder graphics;
    root.RegisterHandler(HANDLER_GRAPHICS_PROCESS, &graphics);
    {
        PlayerProcess process(nullptr, false, true);
        process.Bind(&root, PlayerProcess::kHandlerId);
        g_player_cutscene = true;
        g_player_mode = 2;
        g_game_camera.time = 3.0f;
        g_game_camera.finished = true;
    }
    EXPECT_FALSE(g_player_cutscene);
    EXPECT_EQ(g_player_mode, 0);
    EXPECT_FLOAT_EQ(g_game_camera.time, 0.0f);
    EXPECT_FALSE(g_game_camera.finished);
    EXPECT_EQ(graphics.Types(), std::vector<u32>{MSG_BUILDING_COUNT});
}

} // namespace
