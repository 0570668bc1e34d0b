#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "robot_moves_fixture.h"

namespace {

using robot_moves::RobotMoves;

struct TakeOffCase {
    const char* name;
    Vector move;
    Vector velocity;
    float impulse;
};

TEST_F(RobotMoves, TakeOffImpulseDependsOnKeysAndSpeed) {
    const TakeOffCase cases[] = {
        {"no key", Vector(0, 0, 0), Vector(0, 0, 0), 80.0f},
        {"key, standing", Vector(0, 0, -1), Vector(0.5f, 0, 0), 100.0f},
        {"key, running", Vector(0, 0, -1), Vector(0, 0, -2.0f), 80.0f},
    };
    for (const TakeOffCase& c : cases) {
        SCOPED_TRACE(c.name);
        body->moves.clear();
        player->m_jumping = 0;
        player->m_airborne = 0;
        robot->velocity = c.velocity;
        Walk(c.move);
        Press(CONTROL_JUMP);
        player->m_input = controls.bound;
        player->UpdateJump(0.01f, Quaternion{});
        EXPECT_TRUE(player->m_jumping);
        ASSERT_FALSE(Lifts().empty());
        EXPECT_FLOAT_EQ(Lifts().front(), c.impulse);
        EXPECT_EQ(animation->GetCurrentAnimationName(), "Jump");
    }
}

TEST_F(RobotMoves, FootJetsLiftOnlyFromPowerThreeWithAFallingThrust) {
    for (const int power : {2, 3}) {
        SCOPED_TRACE(power);
        body->moves.clear();
        player->m_power_level = power;
        player->m_jumping = 1;
        player->m_airborne = 1;
        player->m_jump_time = 0.25f;
        robot->velocity = Vector(0.0f, 10.0f, 0.0f);
        Hold(CONTROL_JUMP);
        player->m_input = controls.bound;
        player->UpdateJump(0.01f, Quaternion{});
        const bool lifts = power >= 3;
        ASSERT_EQ(Lifts().size(), lifts ? 1u : 0u);
        if (lifts) {
            EXPECT_NEAR(Lifts().front(), (1.0f - 0.26f) * 180.0f * 0.01f, 1e-5f);
        }
        // The first two particle systems of each leg are its jets; a third is left alone.
        for (std::size_t i = 0; i < jets.size(); ++i) {
            const bool jet = i % 3 < 2;
            EXPECT_EQ(jets[i]->invisible, jet && !lifts ? 1 : 0) << i;
        }
    }
    // Letting go hides them.
    Release(CONTROL_JUMP);
    player->m_input = controls.bound;
    player->UpdateJump(0.01f, Quaternion{});
    EXPECT_EQ(jets[0]->invisible, 1);
    EXPECT_EQ(jets[4]->invisible, 1);
}

struct PoundCase {
    const char* name;
    float jumpTime;
    float sincePress;
    bool pounds;
};

TEST_F(RobotMoves, ASecondPressLateInTheJumpStartsTheGroundPound) {
    const PoundCase cases[] = {
        {"second press in time", 0.6f, 0.3f, true},
        {"too early in the jump", 0.4f, 0.3f, false},
        {"presses too far apart", 0.6f, 0.45f, false},
    };
    for (const PoundCase& c : cases) {
        SCOPED_TRACE(c.name);
        body->moves.clear();
        player->m_ground_pound = 0;
        player->m_jumping = 1;
        player->m_airborne = 1;
        player->m_jump_time = c.jumpTime;
        player->m_jump_press_time = c.sincePress;
        robot->velocity = Vector(0.0f, 5.0f, 0.0f);
        Press(CONTROL_JUMP);
        player->m_input = controls.bound;
        player->UpdateJump(0.01f, Quaternion{});
        EXPECT_EQ(player->m_ground_pound, c.pounds ? 1 : 0);
        const auto lifts = Lifts();
        EXPECT_EQ(std::count(lifts.begin(), lifts.end(), -200.0f), c.pounds ? 1 : 0);
        if (c.jumpTime > 0.5f) {
            EXPECT_FLOAT_EQ(player->m_jump_press_time, 0.0f);
        }
    }
}

TEST_F(RobotMoves, TheGroundPoundLandingShakesTheGroundWithElevenForces) {
    robot->position = Vector(10.0f, 20.0f, 30.0f);
    player->m_jumping = 1;
    player->m_ground_pound = 1;
    player->m_jump_time = 1.2f;
    player->m_jump_press_time = 0.5f;
    player->UpdateJump(0.01f, Quaternion{});
    const auto forces = Forces();
    ASSERT_EQ(forces.size(), 11u);
    const struct {
        Vector centre;
        float radius, force, duration;
    } core[] = {{Vector(10, 15, 30), 40, 150, 0.5f},
                {Vector(10, 20, 30), 40, 200, 0.25f},
                {Vector(10, 10, 30), 40, 200, 0.25f}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(forces[i].m_center, core[i].centre);
        EXPECT_FLOAT_EQ(forces[i].m_radius, core[i].radius);
        EXPECT_FLOAT_EQ(forces[i].m_force, core[i].force);
        EXPECT_FLOAT_EQ(forces[i].m_duration, core[i].duration);
    }
    for (int i = 3; i < 11; ++i) {
        SCOPED_TRACE(i);
        const Vector offset = forces[i].m_center - robot->position;
        EXPECT_NEAR(std::hypot(offset.x, offset.z), 20.0f, 1e-3f);
        EXPECT_NEAR(offset.y, -6.0f, 1e-4f);
        EXPECT_FLOAT_EQ(forces[i].m_radius, 60.0f);
        EXPECT_FLOAT_EQ(forces[i].m_force, 150.0f);
        EXPECT_FLOAT_EQ(forces[i].m_duration, 0.25f);
        EXPECT_EQ(forces[i].m_mode, RadialForce::kImpulse);
    }
    // Eight different points of the ring.
    EXPECT_NEAR(forces[3].m_center.x - robot->position.x, 20.0f, 1e-3f);
    EXPECT_NEAR(std::fabs(forces[5].m_center.z - robot->position.z), 20.0f, 1e-3f);
    EXPECT_EQ(Floats(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_MOTION_BLUR), std::vector<float>{1.0f});
    EXPECT_EQ(Effects(), std::vector<std::string>{"RobotGroundPoundDust"});
    EXPECT_FALSE(player->m_ground_pound);
    EXPECT_FALSE(player->m_jumping);
    EXPECT_FLOAT_EQ(animation->GetAnimationSpeed("Land"), 0.25f);
    EXPECT_EQ(animation->GetCurrentAnimationName(), "Land");

    // The slow landing blocks the next take-off.
    Press(CONTROL_JUMP);
    player->m_input = controls.bound;
    player->UpdateJump(0.01f, Quaternion{});
    EXPECT_FALSE(player->m_jumping);
}

TEST_F(RobotMoves, AGroundPoundLandingRightAfterThePressOnlyRaisesDust) {
    player->m_jumping = 1;
    player->m_ground_pound = 1;
    player->m_jump_time = 0.7f;
    player->m_jump_press_time = 0.05f;
    player->UpdateJump(0.01f, Quaternion{});
    EXPECT_TRUE(Forces().empty());
    EXPECT_EQ(Effects(), std::vector<std::string>{"RobotLandingDust"});
    EXPECT_TRUE(Floats(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_MOTION_BLUR).empty());
}

TEST_F(RobotMoves, AnOrdinaryLandingPlaysTheFasterLandAndAllowsTheNextJump) {
    player->m_jumping = 1;
    player->m_jump_time = 0.9f;
    player->m_last_velocity = Vector(0.0f, -100.0f, 0.0f);
    player->UpdateJump(0.01f, Quaternion{});
    EXPECT_FALSE(player->m_jumping);
    EXPECT_TRUE(player->m_idle);
    EXPECT_FLOAT_EQ(animation->GetAnimationSpeed("Land"), 0.5f);
    EXPECT_FLOAT_EQ(player->m_punch_reset_time, 0.0f);
    EXPECT_EQ(Effects(), std::vector<std::string>{"RobotLandingDust"});
    Press(CONTROL_JUMP);
    player->m_input = controls.bound;
    player->UpdateJump(0.01f, Quaternion{});
    EXPECT_TRUE(player->m_jumping);
}

struct FallCase {
    float height;
    bool falls;
};

TEST_F(RobotMoves, StepOffALedgeFallsOnlyFromAboveTenUnits) {
    const FallCase cases[] = {{9.0f, false}, {11.0f, true}};
    for (const FallCase& c : cases) {
        SCOPED_TRACE(c.height);
        player->m_falling = 0;
        player->m_airborne = 1;
        player->m_air_time = 0.3f;
        robot->position = Vector(0.0f, c.height, 0.0f);
        robot->velocity = Vector(0.0f, -6.0f, 0.0f);
        player->UpdateJump(0.01f, Quaternion{});
        EXPECT_EQ(player->m_falling, c.falls ? 1 : 0);
        EXPECT_EQ(animation->GetCurrentAnimationName() == "Fall", c.falls);
    }
    // Touching down ends the fall with a landing.
    player->m_airborne = 0;
    player->UpdateJump(0.01f, Quaternion{});
    EXPECT_FALSE(player->m_falling);
    EXPECT_EQ(animation->GetCurrentAnimationName(), "Land");
}

struct DampingCase {
    const char* name;
    u8 airborne, falling;
    float damping;
};

TEST_F(RobotMoves, DampingFollowsGroundAirAndFall) {
    const DampingCase cases[] = {
        {"ground", 0, 0, 4.0f}, {"air", 1, 0, 0.6f}, {"falling", 1, 1, 0.2f}};
    for (const DampingCase& c : cases) {
        SCOPED_TRACE(c.name);
        player->m_airborne = c.airborne;
        player->m_falling = c.falling;
        robot->position = Vector(0.0f, 5.0f, 0.0f);
        player->UpdateJump(0.01f, Quaternion{});
        EXPECT_FLOAT_EQ(body->GetDamping(), c.damping);
    }
}

struct StepSoundCase {
    const char* name;
    float walkFor;
    u8 idle;
    bool sound;
};

TEST_F(RobotMoves, TakeOffFromASteadyWalkPlaysAStep) {
    const StepSoundCase cases[] = {
        {"steady walk", 1.0f, 0, true},
        {"walk fading in", 0.0f, 0, false},
        {"standing", 0.0f, 1, true},
    };
    for (const StepSoundCase& c : cases) {
        SCOPED_TRACE(c.name);
        // Track 0 stands in the idle pose, then the walk fades in over 0.5 s.
        AnimationTrack& track = animation->m_tracks[0];
        track.m_previous.clear();
        track.m_elapsed.clear();
        track.m_durations.clear();
        track.m_transitioning = false;
        track.m_name = "Idle";
        animation->PlayAnimation(0, "Walk", 0.5f);
        animation->Update(0.01f);
        if (c.walkFor > 0.0f) {
            animation->Update(c.walkFor);
        }
        sounds.played.clear();
        player->m_jumping = 0;
        player->m_airborne = 0;
        player->m_idle = c.idle;
        player->m_walking_forward = 1;
        Press(CONTROL_JUMP);
        player->m_input = controls.bound;
        player->UpdateJump(0.01f, Quaternion{});
        ASSERT_TRUE(player->m_jumping);
        EXPECT_EQ(Steps(), c.sound ? 1 : 0);
        if (c.sound) {
            EXPECT_FLOAT_EQ(sounds.played.front().second, 1.0f);
        }
        Release(CONTROL_JUMP);
    }
}

} // namespace
