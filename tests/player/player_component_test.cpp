#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "content/particle_system_info.h"
#include "core/math_functions.h"
#include "game/input_state.h"
#include "game/player_info.h"
#include "platform/system/crt_rand.h"
#include "player_level_fixture.h"

namespace {

using player_level::Level;
using player_level::LevelKind;

constexpr float kPi = std::numbers::pi_v<float>;

class Robot : public Level {
  protected:
    // Play starts with the robot in control; the first frame of a story level is the intro.
    Robot() { process->m_first_update = false; }
};

class EndlessRobot : public Level {
  protected:
    EndlessRobot() : Level(LevelKind{true, false}) { process->m_first_update = false; }
};

class TutorialRobot : public Level {
  protected:
    TutorialRobot() : Level(LevelKind{false, true}) { process->m_first_update = false; }
};

// --- initialisation and the frame ---

TEST_F(Robot, InitializeAnnouncesTheRobotFindsItsControllerAndForgetsHeldKeys) {
    for (const u32 handler :
         {HANDLER_AI_VIEW_PROCESS, HANDLER_BULLET_PROCESS, HANDLER_BUILDING_PROCESS,
          HANDLER_PHYSX_PROCESS, HANDLER_GAME_LOGIC_PROCESS}) {
        const auto announced = Received(handler, MSG_PLAYER_COMPONENT);
        ASSERT_EQ(announced.size(), 1u) << handler;
        EXPECT_EQ(announced[0]->ValueOr<Component*>(nullptr), player);
    }
    EXPECT_EQ(player->m_animation_controller, animation);
    EXPECT_FLOAT_EQ(animation->GetAnimationSpeed("Idle"), 0.25f);
    EXPECT_EQ(controls.resets, 1);
    EXPECT_EQ(player->m_power_level, 7);
    EXPECT_FLOAT_EQ(player->m_health, 100.0f);
}

TEST_F(Robot, HealthAtExactlyZeroKillsTheRobot) {
    player->m_health = 0.0f;
    Frames(1);
    EXPECT_TRUE(player->m_dying);
    EXPECT_EQ(g_player_mode, 1);
    EXPECT_FLOAT_EQ(player->m_death_time, 0.0f);
}

TEST_F(Robot, WithDeathsSwitchedOffTheRobotNeverDies) {
    Send(MSG_DISABLE_DEALTH);
    player->m_health = 0.0f;
    Frames(3);
    EXPECT_FALSE(player->m_dying);
    EXPECT_EQ(g_player_mode, 0);
}

TEST_F(Robot, AfterDeathTheRobotFadesOutAndRespawnsWithFiveHealthRefillingInThreeSeconds) {
    player->m_health = 0.0f;
    Frames(1);
    ASSERT_TRUE(player->m_dying);
    // One second of hold, then "Die" plays at half speed.
    int frames = 0;
    while (player->m_death_time >= 0.0f && frames < 20) {
        Frames(1);
        ++frames;
    }
    EXPECT_NEAR(frames, 10, 1);
    EXPECT_EQ(animation->GetCurrentAnimationName(), "Die");
    EXPECT_FLOAT_EQ(animation->GetAnimationSpeed("Die"), 0.5f);
    EXPECT_EQ(g_player_mode, 0);
    // The clip lasts two seconds; then the picture fades out for one.
    frames = 0;
    while (Received(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_FADE_OUT).empty() && frames < 40) {
        Frames(1);
        ++frames;
    }
    EXPECT_NEAR(frames, 20, 1);
    frames = 0;
    while (player->m_dying && frames < 20) {
        Frames(1);
        ++frames;
    }
    EXPECT_NEAR(frames, 10, 1);
    ASSERT_FALSE(player->m_dying);
    EXPECT_EQ(robot->position, Vector(-50.0f, 75.0f, -55.0f));
    EXPECT_FLOAT_EQ(player->m_health, 5.0f);
    EXPECT_FLOAT_EQ(player->m_hit_flash, 2.0f);
    EXPECT_TRUE(player->m_regenerating);
    Frames(2);
    EXPECT_EQ(Received(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_FADE_IN).size(), 1u);
    Frames(28);
    EXPECT_FLOAT_EQ(player->m_health, 100.0f);
    Frames(1);
    EXPECT_FALSE(player->m_regenerating);
}

TEST_F(EndlessRobot, DeathInEndlessModeReportsTheExperienceEveryFrameAndNeverRespawns) {
    player->m_experience = 12.5;
    player->m_health = 0.0f;
    Frames(12);
    ASSERT_EQ(animation->GetCurrentAnimationName(), "Die");
    Frames(25);
    ClearRecords();
    Frames(20);
    const auto reports = Received(HANDLER_UI_PROCESS, MSG_PLAYER_XP);
    EXPECT_EQ(reports.size(), 20u);
    EXPECT_DOUBLE_EQ(reports.front()->ValueOr<double>(0.0), 12.5);
    EXPECT_TRUE(player->m_dying);
    EXPECT_TRUE(Received(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_FADE_OUT).empty());
}

TEST_F(EndlessRobot, DamageTakenGrowsByOneEveryHundredAndFiftySeconds) {
    Frames(150, 1.0f);
    EXPECT_NEAR(player->m_damage_rate, 2.0f, 1e-3f);
}

TEST_F(Robot, WithInputDisabledTheFrameRunsNothingNotEvenTheHealthReport) {
    controls.bound.m_play = 0;
    player->m_health = 0.0f;
    Frames(2);
    EXPECT_TRUE(Received(HANDLER_UI_PROCESS, MSG_PLAYER_HEALTH).empty());
    EXPECT_TRUE(Received(HANDLER_GRAPHICS_PROCESS, MSG_PLAYER_CAMERA).empty());
    EXPECT_FALSE(player->m_dying);
}

TEST_F(Robot, EachFrameReportsTheHealthShare) {
    player->m_health = 40.0f;
    Frames(1);
    const auto reports = Received(HANDLER_UI_PROCESS, MSG_PLAYER_HEALTH);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_FLOAT_EQ(reports[0]->ValueOr<float>(0.0f), 0.4f);
}

TEST_F(Robot, PunchPressedTwiceStartsTheRightThenTheLeftAndAThirdDoesNothing) {
    controls.bound.m_controls[CONTROL_PUNCH] = INPUT_PRESSED;
    Frames(1);
    EXPECT_EQ(player->m_arm_state, PlayerComponent::kArmPunching);
    EXPECT_FALSE(player->m_left_punching);
    player->m_left_punch.phase = PunchState::kRest;
    Frames(1);
    EXPECT_TRUE(player->m_left_punching);
    EXPECT_EQ(player->m_left_punch.phase, PunchState::kCharge);
    player->m_right_punch.phase = PunchState::kRelease;
    player->m_left_punch.phase = PunchState::kRelease;
    Frames(1);
    EXPECT_EQ(player->m_right_punch.phase, PunchState::kRelease);
    EXPECT_EQ(player->m_left_punch.phase, PunchState::kRelease);
}

TEST_F(Robot, ARocketPunchNeedsPowerFiveAndTheLeftControlKey) {
    for (const int level : {4, 5}) {
        SCOPED_TRACE(level);
        player->m_arm_state = PlayerComponent::kArmFree;
        player->m_power_level = level;
        controls.bound.m_controls[CONTROL_PUNCH] = INPUT_PRESSED;
        controls.bound.m_left_control = INPUT_HELD;
        Frames(1);
        EXPECT_EQ(player->m_right_punch.rocket, level >= 5 ? 1 : 0);
    }
}

TEST_F(Robot, ABaseWithoutAnAnimationControllerIsNotSteered) {
    player->m_animation_controller = nullptr;
    controls.bound.m_controls[CONTROL_PUNCH] = INPUT_PRESSED;
    Frames(1);
    EXPECT_EQ(player->m_arm_state, PlayerComponent::kArmFree);
    EXPECT_TRUE(Received(HANDLER_UI_PROCESS, MSG_PLAYER_HEALTH).empty());
}

TEST_F(Robot, AHoldFromASequenceStillsTheRobotAndHandsBackWhenItEnds) {
    Send(MSG_CAMERA_PLAYER_WIN);
    Frames(1);
    EXPECT_EQ(g_player_mode, 2);
    EXPECT_EQ(animation->GetCurrentAnimationName(), "Idle");
    Frames(60);
    EXPECT_FALSE(g_player_cutscene);
    EXPECT_EQ(g_player_mode, 0);
    EXPECT_EQ(player->m_arm_state, PlayerComponent::kArmFree);
}

// --- damage ---

struct HitCase {
    const char* type;
    bool building;
    float health;
    std::vector<float> blurs;
    const char* effect;
};

TEST_F(Robot, HitsOnAPartHurtBlurAndSparkByTheKindOfTheOtherObject) {
    const HitCase cases[] = {
        {"Rocket", false, 97.75f, {0.5f}, "Sparks"},
        {"Missile", false, 97.75f, {0.5f}, "Sparks"},
        {"LaserPulse", false, 99.25f, {0.5f}, "Sparks"},
        {"LaserPulseSmall", false, 99.625f, {0.5f}, "Sparks"},
        {"Bullet", false, 99.25f, {0.25f}, "Sparks"},
        {"BuildingHouse", true, 100.0f, {0.25f}, "dust_small"},
        {"BuildingGasStation", false, 100.0f, {0.5f}, nullptr},
        {"GateBlocker-West", false, 99.625f, {0.05f}, "ElectricSparks"},
        {"Tree", false, 100.0f, {}, nullptr},
    };
    for (const HitCase& c : cases) {
        SCOPED_TRACE(c.type);
        player->m_health = 100.0f;
        player->m_hit_flash = 0.0f;
        ClearRecords();
        GameObject* other = Other(c.type);
        DefinitionComponent building("Building");
        if (c.building) {
            other->AddComponent(ComponentType::Building, &building);
        }
        Touch(parts[1].get(), other, Vector(1.0f, 2.0f, 3.0f));
        EXPECT_FLOAT_EQ(player->m_health, c.health);
        std::vector<float> blurs;
        for (const BaseMessage* m : Received(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_MOTION_BLUR)) {
            blurs.push_back(m->ValueOr<float>(-1.0f));
        }
        EXPECT_EQ(blurs, c.blurs);
        const auto effects = Received(HANDLER_GRAPHICS_PROCESS, MSG_CREATE_PARTICLE_SYSTEM);
        ASSERT_EQ(effects.size(), c.effect != nullptr ? 1u : 0u);
        if (c.effect != nullptr) {
            const auto* info = effects[0]->Payload<ParticleSystemInfo>();
            ASSERT_NE(info, nullptr);
            EXPECT_EQ(info->name, c.effect);
            EXPECT_EQ(info->position, Vector(1.0f, 2.0f, 3.0f));
        }
        if (c.building) {
            other->RemoveComponent(&building, false);
        }
    }
}

TEST_F(Robot, TheEndOfATouchHurtsNothing) {
    Touch(parts[0].get(), Other("Rocket"), Vector(0.0f, 0.0f, 0.0f), Collision::kNone);
    EXPECT_FLOAT_EQ(player->m_health, 100.0f);
    EXPECT_TRUE(Received(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_MOTION_BLUR).empty());
}

TEST_F(Robot, TheHitFlashGrowsWithTheDamageRate) {
    struct Case {
        float rate;
        float amount;
        float flash;
    };
    const Case cases[] = {{1.0f, 3.0f, 0.25f}, {1.0f, 1.0f, 0.25f}, {8.0f, 3.0f, 1.125f}};
    for (const Case& c : cases) {
        player->m_hit_flash = 0.0f;
        player->m_damage_rate = c.rate;
        player->TakeDamage(c.amount);
        EXPECT_FLOAT_EQ(player->m_hit_flash, c.flash);
    }
    // Half the old flash stays.
    player->m_damage_rate = 1.0f;
    player->m_hit_flash = 1.0f;
    player->TakeDamage(1.0f);
    EXPECT_FLOAT_EQ(player->m_hit_flash, 0.75f);
    for (u32 k = 0; k < PlayerComponent::kPartCount; ++k) {
        EXPECT_EQ(player->m_part_highlight[k], 1);
    }
}

TEST_F(Robot, EachGuardKeepsHealthAndFlash) {
    struct Guard {
        const char* name;
        void (*set)(PlayerComponent&);
    };
    const Guard guards[] = {
        {"invulnerable", [](PlayerComponent&) { g_player_invulnerable = true; }},
        {"cutscene", [](PlayerComponent&) { g_player_cutscene = true; }},
        {"regenerating", [](PlayerComponent& p) { p.m_regenerating = 1; }},
        {"hold", [](PlayerComponent&) { g_player_mode = 2; }},
    };
    for (const Guard& guard : guards) {
        SCOPED_TRACE(guard.name);
        guard.set(*player);
        player->TakeDamage(3.0f);
        EXPECT_FLOAT_EQ(player->m_health, 100.0f);
        EXPECT_FLOAT_EQ(player->m_hit_flash, 0.0f);
        g_player_invulnerable = false;
        g_player_cutscene = false;
        g_player_mode = 0;
        player->m_regenerating = 0;
    }
}

TEST_F(TutorialRobot, TheTutorialFlashesWithoutLoss) {
    player->TakeDamage(3.0f);
    EXPECT_FLOAT_EQ(player->m_health, 100.0f);
    EXPECT_FLOAT_EQ(player->m_hit_flash, 0.25f);
}

TEST_F(Robot, TheFlashBlinksThePartsEveryOtherFrameAndSparesAChargingArm) {
    player->m_hit_flash = 1.0f;
    player->m_right_punch.phase = PunchState::kCharge;
    player->m_part_brightness[PlayerComponent::kRightArm] = 3.0f;
    Frames(1);
    EXPECT_EQ(player->m_part_highlight[0], 1);
    EXPECT_FLOAT_EQ(player->m_part_brightness[0], 1.8f);
    EXPECT_FLOAT_EQ(player->m_part_brightness[PlayerComponent::kRightArm], 3.0f);
    Frames(1);
    EXPECT_EQ(player->m_part_highlight[0], 0);
    EXPECT_FLOAT_EQ(player->m_part_brightness[0], 1.0f);
}

// --- messages ---

TEST_F(Robot, GroundCountsFromFivePointNineBelowTheRobot) {
    player->m_airborne = 1;
    player->m_touching = 0;
    Touch(robot, Other("InvisiblePlane"), Vector(0.0f, -5.8f, 0.0f));
    EXPECT_EQ(player->m_airborne, 1);
    EXPECT_EQ(player->m_touching, 0);
    Touch(robot, Other("InvisiblePlane"), Vector(0.0f, -5.9f, 0.0f));
    EXPECT_EQ(player->m_airborne, 0);
    EXPECT_EQ(player->m_touching, 1);
}

TEST_F(Robot, AStepWithoutContactLeavesTheRobotAirborneUnlessItRestsOnTheGround) {
    // Moving up or down, or already in the air: airborne. Resting on the ground (no new
    // contact is reported for it): still on the ground.
    const struct {
        float verticalSpeed;
        u8 airborneBefore;
        u8 airborne;
    } cases[] = {{-3.0f, 0, 1}, {2.0f, 0, 1}, {0.0f, 0, 0}, {0.0f, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.verticalSpeed);
        player->m_airborne = c.airborneBefore;
        robot->velocity = Vector(0.0f, c.verticalSpeed, 0.0f);
        BaseMessage stepped(MSG_PHYSICS_UPDATE);
        root.SendMessage(&stepped, robot->id, HANDLER_PHYSX_PROCESS);
        player->m_touching = 0;
        Frames(1);
        EXPECT_EQ(player->m_airborne, c.airborne);
        EXPECT_EQ(player->m_physics_stepped, 0);
    }
}

TEST_F(Robot, TheFenceHurtsOnceInTenReports) {
    GameObject* fence = Other("CoilGateBlocker");
    crt::SeedRand(7);
    int expected = 0;
    for (int i = 0; i < 200; ++i) {
        expected += crt::Rand() % 10 == 0 ? 1 : 0;
    }
    crt::SeedRand(7);
    for (int i = 0; i < 200; ++i) {
        Touch(robot, fence, Vector(0.0f, 0.0f, 0.0f));
    }
    EXPECT_GT(expected, 5);
    EXPECT_EQ(Received(HANDLER_GRAPHICS_PROCESS, MSG_CREATE_PARTICLE_SYSTEM).size(),
              static_cast<std::size_t>(expected));
    EXPECT_FLOAT_EQ(player->m_health, 100.0f - 0.375f * static_cast<float>(expected));
}

TEST_F(Robot, DuringASequenceContactsAreIgnoredButRepliesAreKept) {
    Send(MSG_CAMERA_BOSS_ARRIVE);
    robot->position = Vector(0.0f, 10.0f, 0.0f);
    player->m_touching = 0;
    Touch(robot, Other("InvisiblePlane"), Vector(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(player->m_touching, 0);
    GameObject* head = Other("FakeRobotHead");
    Message<GameObject*> created(MSG_LEVEL_OBJECT_CREATED, head);
    root.SendMessage(&created, robot->id, HANDLER_LEVEL_STATE);
    EXPECT_EQ(player->m_reply_object, head);
    Message<bool> valid(MSG_BULLET_VALID, true);
    root.SendMessage(&valid, robot->id, HANDLER_BULLET_PROCESS);
    EXPECT_EQ(player->m_reply_valid, 1);
    Message<double> xp(MSG_PLAYER_XP, 10.0);
    root.SendMessage(&xp, robot->id, HANDLER_PLAYER_PROCESS);
    EXPECT_DOUBLE_EQ(player->m_experience, 0.0);
}

TEST_F(Robot, ExperienceOfZeroSendsNoText) {
    Message<double> xp(MSG_PLAYER_XP, 0.0);
    root.SendMessage(&xp, robot->id, HANDLER_PLAYER_PROCESS);
    EXPECT_TRUE(Received(HANDLER_UI_PROCESS, MSG_BUILDING_COUNT).empty());
}

TEST(MoneyText, GroupsThousandsAndRoundsToWholeCents) {
    const std::pair<double, const char*> cases[] = {
        {1234567.891, "$1,234,567.89"},
        {1000.0, "$1,000.00"},
        {0.5, "$0.50"},
        {0.29, "$0.29"},
        {0.999, "$1.00"},
        {999999.999, "$1,000,000.00"},
        {1000000.05, "$1,000,000.05"},
        {12.0, "$12.00"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(PlayerComponent::MoneyText(value), text) << value;
    }
}

// --- camera and mouse ---

TEST_F(Robot, TheCameraOrbitsBehindTheRobotAndFeedsTheRendererAndTheListener) {
    robot->position = Vector(10.0f, 0.0f, 5.0f);
    player->UpdateCamera(1.0f, Quaternion{});
    // Facing -z: the yaw goal is 0, the eye 42 behind the head.
    EXPECT_EQ(player->m_camera_target, Vector(10.0f, 19.0f, 5.0f));
    EXPECT_NEAR(player->m_camera_eye.z, 47.0f, 1e-4f);
    const auto feeds = Received(HANDLER_GRAPHICS_PROCESS, MSG_PLAYER_CAMERA);
    ASSERT_EQ(feeds.size(), 1u);
    const auto* info = feeds[0]->Payload<PlayerInfo>();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->m_target, player->m_camera_target);
    EXPECT_EQ(info->m_eye, player->m_camera_eye);
    const auto listener = Received(HANDLER_SOUND_PROCESS, MSG_SOUND_LISTENER_POSITION);
    ASSERT_EQ(listener.size(), 1u);
    EXPECT_NEAR(listener[0]->ValueOr<Vector>(Vector()).z, 27.0f, 1e-4f);
}

TEST_F(Robot, TheSideShiftDecaysAndFollowsTheStrafe) {
    struct Case {
        Vector move;
        float goalX;
    };
    // With no turn the right axis W is +x.
    const Case cases[] = {{Vector(1.0f, 0.0f, 0.0f), -4.0f},
                          {Vector(-1.0f, 0.0f, 0.0f), 4.0f},
                          {Vector(0.0f, 0.0f, -1.0f), 0.0f}};
    for (const Case& c : cases) {
        player->m_camera_offset = Vector(0.0f, 0.0f, 0.0f);
        player->m_input.m_movement = c.move;
        player->UpdateCamera(0.5f, Quaternion{});
        EXPECT_NEAR(player->m_camera_offset.x, c.goalX, 1e-5f);
    }
    player->m_input.m_movement = Vector(0.0f, 0.0f, 0.0f);
    player->m_camera_offset = Vector(2.0f, 0.0f, 0.0f);
    player->UpdateCamera(0.25f, Quaternion{});
    EXPECT_FLOAT_EQ(player->m_camera_offset.x, 1.0f);
}

TEST_F(Robot, ALargeTurnStepLandsOnItsGoal) {
    player->m_pitch = 1.0f;
    player->m_yaw = 4.0f;
    player->UpdateCamera(0.1f, Quaternion{});
    EXPECT_FLOAT_EQ(player->m_camera_pitch, 1.0f);
    EXPECT_FLOAT_EQ(player->m_yaw, 2.0f * kPi);
}

TEST_F(Robot, AYawGapOfExactlyPiTakesTheDirectWay) {
    // Facing -z gives a goal of 2π; starting at π the gap is π.
    player->m_yaw = kPi;
    player->UpdateCamera(0.05f, Quaternion{});
    EXPECT_NEAR(player->m_yaw, kPi + kPi * 0.7f, 1e-5f);
}

TEST_F(Robot, TheWrapStepEndsOnTheGoalUnlessItCrossesTheSeam) {
    // Goal 2π from 0.5: the short way runs down through 0.
    player->m_yaw = 0.5f;
    player->UpdateCamera(0.05f, Quaternion{});
    // 0.5 + (0 - 0.5) · 0.7 = 0.15 does not cross the seam and ends on the goal.
    EXPECT_FLOAT_EQ(player->m_yaw, 2.0f * kPi);
    // Facing +x: goal 3π/2 from 0.2, the step crosses the seam and keeps the wrapped value.
    Quaternion turn;
    turn.y = std::sin(kPi / 4.0f);
    turn.w = std::cos(kPi / 4.0f);
    const float goal = 1.5f * kPi;
    player->m_yaw = 0.2f;
    player->UpdateCamera(0.05f, turn);
    const float expected = 0.2f + ((goal - 2.0f * kPi) - 0.2f) * 0.7f + 2.0f * kPi;
    EXPECT_NEAR(player->m_yaw, expected, 1e-4f);
}

TEST_F(Robot, TheFirstMouseCallNeverTurns) {
    controls.bound.m_mouse_x = 100.0f;
    Quaternion heading;
    player->UpdateMouseLook(heading);
    EXPECT_EQ(robot->orientation.y, 0.0f);
    EXPECT_FALSE(robot->orientationChanged);
}

TEST_F(Robot, AHundredSidewaysTurnsByMinusPointFourTwoFive) {
    Quaternion heading;
    player->UpdateMouseLook(heading);
    controls.bound.m_mouse_x = 100.0f;
    player->UpdateMouseLook(heading);
    Quaternion expected;
    expected.Integrate(Vector(0.0f, 1.0f, 0.0f), -0.425f);
    EXPECT_NEAR(robot->orientation.y, expected.y, 1e-6f);
    EXPECT_NEAR(robot->orientation.w, expected.w, 1e-6f);
    EXPECT_TRUE(robot->orientationChanged);
}

TEST_F(Robot, ThePitchStopsAtAFifthOfPiFromEitherPole) {
    Quaternion heading;
    player->UpdateMouseLook(heading);
    controls.bound.m_mouse_y = 1000.0f;
    player->UpdateMouseLook(heading);
    EXPECT_FLOAT_EQ(player->m_pitch, 0.2f * kPi);
    controls.bound.m_mouse_y = -1000.0f;
    player->UpdateMouseLook(heading);
    EXPECT_FLOAT_EQ(player->m_pitch, 0.8f * kPi);
}

TEST_F(Robot, NoTurnWhileDeadOrHeldButThePitchFollowsSlowly) {
    Quaternion heading;
    player->UpdateMouseLook(heading);
    controls.bound.m_mouse_x = 100.0f;
    controls.bound.m_mouse_y = 10.0f;
    player->m_dying = 1;
    player->UpdateMouseLook(heading);
    EXPECT_FALSE(robot->orientationChanged);
    player->m_dying = 0;
    g_player_mode = 2;
    const float before = player->m_pitch;
    player->UpdateMouseLook(heading);
    EXPECT_FALSE(robot->orientationChanged);
    EXPECT_NEAR(player->m_pitch, before - kPi * 0.075f * 0.005f * 10.0f, 1e-6f);
}

} // namespace
