#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "robot_moves_fixture.h"

namespace {

using robot_moves::RobotMoves;

constexpr float kPi = std::numbers::pi_v<float>;
// Walking thrust per second on the ground.
constexpr float kWalkPush = 3.0f * 90.0f * 1.75f;

// The forward push of the last frame, per second, as a share of walking thrust.
float ForwardShare(const std::vector<Vector>& moves, float dt) {
    const Vector& forward = moves[moves.size() - 2];
    return -forward.z / dt / kWalkPush;
}

struct ChargeCase {
    int power;
    float tapGap;
    bool forward;
    bool charge;
    bool starts;
};

TEST_F(RobotMoves, TheChargeStartsOnADoubleTapOrTheChargeControlFromPowerFour) {
    const ChargeCase cases[] = {
        {4, 0.30f, true, false, true}, {3, 0.30f, true, false, false},
        {4, 0.39f, true, false, true}, {4, 0.41f, true, false, false},
        {4, 1.00f, false, true, true}, {3, 1.00f, false, true, false},
    };
    for (const ChargeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "power " << c.power << " gap " << c.tapGap);
        player->m_juggernaut = 0;
        player->m_juggernaut_time = 0.0f;
        player->m_power_level = c.power;
        player->m_forward_tap_time = c.tapGap;
        Release(CONTROL_FORWARD);
        Release(CONTROL_CHARGE);
        Walk(Vector(0.0f, 0.0f, 0.0f));
        if (c.forward) {
            Press(CONTROL_FORWARD);
            Walk(Vector(0.0f, 0.0f, -1.0f));
        }
        if (c.charge) {
            Press(CONTROL_CHARGE);
        }
        Frames(1, 0.01f);
        EXPECT_EQ(player->m_juggernaut, c.starts ? 1 : 0);
        if (c.starts) {
            EXPECT_EQ(animation->GetCurrentAnimationName(), "Juggernaut");
        }
    }
}

TEST_F(RobotMoves, TheChargeRunsForwardWithoutKeysForSevenTenthsThenDipsAndRecovers) {
    player->m_power_level = 4;
    Press(CONTROL_CHARGE);
    Frames(1, 0.01f);
    Release(CONTROL_CHARGE);
    ASSERT_TRUE(player->m_juggernaut);
    EXPECT_NEAR(ForwardShare(body->moves, 0.01f), 1.8f, 1e-3f);
    // Two pushes ahead of the robot each frame.
    const auto forces = Forces();
    ASSERT_EQ(forces.size(), 2u);
    EXPECT_FLOAT_EQ(forces[0].m_center.z, -5.0f);
    EXPECT_FLOAT_EQ(forces[0].m_radius, 20.0f);
    EXPECT_FLOAT_EQ(forces[1].m_force, 40.0f);
    int frames = 1;
    while (player->m_juggernaut && frames < 200) {
        Frames(1, 0.01f);
        ++frames;
    }
    EXPECT_NEAR(frames * 0.01f, 0.7f, 0.015f);

    // The thrust after it: about 1.4 times walking, down to 0.4, then walking again.
    Walk(Vector(0.0f, 0.0f, -1.0f));
    Hold(CONTROL_FORWARD);
    Frames(1, 0.01f);
    EXPECT_NEAR(ForwardShare(body->moves, 0.01f), 1.4f, 0.05f);
    float lowest = 10.0f;
    for (int i = 0; i < 68; ++i) {
        Frames(1, 0.01f);
        lowest = std::min(lowest, ForwardShare(body->moves, 0.01f));
    }
    EXPECT_NEAR(lowest, 0.4f, 0.01f);
    for (int i = 0; i < 10 && player->m_juggernaut_time > 0.0f; ++i) {
        Frames(1, 0.01f);
    }
    Frames(1, 0.01f);
    EXPECT_NEAR(ForwardShare(body->moves, 0.01f), 1.0f, 1e-3f);
}

TEST_F(RobotMoves, BackwardInputEndsTheCharge) {
    player->m_power_level = 5;
    Press(CONTROL_CHARGE);
    Frames(1, 0.01f);
    ASSERT_TRUE(player->m_juggernaut);
    Release(CONTROL_CHARGE);
    Walk(Vector(0.0f, 0.0f, 1.0f));
    Frames(1, 0.01f);
    EXPECT_FALSE(player->m_juggernaut);
}

struct PushCase {
    const char* name;
    Vector move;
    u8 airborne, lightJump, falling;
    Vector forward, side;
};

TEST_F(RobotMoves, PushesFollowTheKeysAndTheAirState) {
    const float dt = 0.01f;
    const PushCase cases[] = {
        {"forward", Vector(0, 0, -1), 0, 0, 0, Vector(0, 0, -kWalkPush * dt), Vector(0, 0, 0)},
        {"backward", Vector(0, 0, 1), 0, 0, 0, Vector(0, 0, kWalkPush * dt), Vector(0, 0, 0)},
        {"strafe right", Vector(1, 0, 0), 0, 0, 0, Vector(0, 0, 0),
         Vector(-kWalkPush * 0.9f * dt, 0, 0)},
        {"light jump", Vector(0, 0, -1), 1, 1, 0, Vector(0, 0, -0.25f * 90 * 1.75f * dt),
         Vector(0, 0, 0)},
        {"falling", Vector(0, 0, -1), 1, 0, 1, Vector(0, 0, -0.4f * 90 * 1.75f * dt),
         Vector(0, 0, 0)},
        {"in the air", Vector(0, 0, -1), 1, 0, 0, Vector(0, 0, -3.0f / 6.5f * 90 * 1.75f * dt),
         Vector(0, 0, 0)},
    };
    for (const PushCase& c : cases) {
        SCOPED_TRACE(c.name);
        body->moves.clear();
        Walk(c.move);
        player->m_airborne = c.airborne;
        player->m_light_jump = c.lightJump;
        player->m_falling = c.falling;
        player->m_jumping = 0;
        player->m_input = controls.bound;
        Vector move;
        player->UpdateLocomotion(move, dt, Quaternion{});
        ASSERT_EQ(body->moves.size(), 2u);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR((&body->moves[0].x)[axis], (&c.forward.x)[axis], 1e-3f);
            EXPECT_NEAR((&body->moves[1].x)[axis], (&c.side.x)[axis], 1e-3f);
        }
    }
}

// A frame longer than the physics simulates in one go pushes only for the span it does: the
// whole second's push in a third of a second sent the robot through buildings.
TEST_F(RobotMoves, ALongFramePushesForNoMoreThanTheSimulatedSpan) {
    for (const float dt : {0.1f, PhysXComponent::kLongestFrame, 1.0f}) {
        SCOPED_TRACE(dt);
        body->moves.clear();
        Walk(Vector(0, 0, -1));
        player->m_input = controls.bound;
        Vector move;
        player->UpdateLocomotion(move, dt, Quaternion{});
        ASSERT_EQ(body->moves.size(), 2u);
        EXPECT_NEAR(body->moves[0].z, -kWalkPush * std::min(dt, PhysXComponent::kLongestFrame),
                    1e-3f);
    }
}

TEST_F(RobotMoves, ABaseWithoutABodyStillChoosesItsClips) {
    robot->RemoveComponent(body, false);
    Walk(Vector(0.0f, 0.0f, -1.0f));
    Frames(2, 0.01f);
    EXPECT_TRUE(body->moves.empty());
    EXPECT_EQ(animation->GetCurrentAnimationName(), "Walk");
    robot->AddComponent(ComponentType::Physics, body);
}

TEST_F(RobotMoves, WalkClipsArePacedByTheThrust) {
    Walk(Vector(0.0f, 0.0f, -1.0f));
    Frames(1, 0.01f);
    EXPECT_NEAR(animation->GetAnimationSpeed("Walk"), 3.0f * 0.6896551f, 1e-5f);
    EXPECT_NEAR(animation->GetAnimationSpeed("WalkBackwards"), 3.0f * 0.9172414f, 1e-5f);
    EXPECT_FLOAT_EQ(animation->GetAnimationSpeed("Juggernaut"), 1.0f);
}

TEST_F(RobotMoves, GroundClipsFollowTheMoveAndTheWalksSwapAtTheMirrorTime) {
    Frames(1, 0.01f);
    EXPECT_EQ(animation->GetCurrentAnimationName(), "Idle");
    EXPECT_TRUE(player->m_idle);

    Walk(Vector(0.0f, 0.0f, -1.0f));
    Frames(1, 0.01f);
    EXPECT_EQ(animation->GetCurrentAnimationName(), "Walk");
    EXPECT_FALSE(player->m_idle);
    animation->SetAnimationTime("Walk", 0.5f);

    Walk(Vector(0.0f, 0.0f, 1.0f));
    Frames(1, 0.01f);
    EXPECT_EQ(animation->GetCurrentAnimationName(), "WalkBackwards");
    // The forward walk went on for one more frame before the swap.
    const float walked = 0.5f + 0.01f * 3.0f * 0.6896551f;
    EXPECT_NEAR(animation->GetAnimationTime("WalkBackwards"), kWalkCycle - walked, 1e-4f);
    EXPECT_FALSE(player->m_walking_forward);

    // From standing, backward keys start the backward walk.
    Walk(Vector(0.0f, 0.0f, 0.0f));
    player->m_forward_tap_time = 1.0f;
    Frames(1, 0.01f);
    EXPECT_EQ(animation->GetCurrentAnimationName(), "Idle");
    Walk(Vector(0.0f, 0.0f, 1.0f));
    Frames(1, 0.01f);
    EXPECT_EQ(animation->GetCurrentAnimationName(), "WalkBackwards");
}

TEST_F(RobotMoves, AWalkStartingDuringALandingTakesOverFromIt) {
    animation->PlayAnimation(0, "Land", 0.05f);
    Frames(1, 0.1f);
    ASSERT_EQ(animation->GetCurrentAnimationName(), "Land");
    // Standing still keeps the landing showing.
    Frames(1, 0.1f);
    EXPECT_EQ(animation->GetCurrentAnimationName(), "Land");
    Walk(Vector(0.0f, 0.0f, -1.0f));
    Frames(1, 0.01f);
    EXPECT_EQ(animation->GetCurrentAnimationName(), "Walk");
    EXPECT_FALSE(player->m_idle);
}

TEST_F(RobotMoves, OneFootstepPerStepLengthOfWalking) {
    Walk(Vector(0.0f, 0.0f, -1.0f));
    // Half a step at the start, then one every 1.16 / 3 s: 0.19, 0.58, 0.97, 1.35, 1.74.
    Frames(200, 0.01f);
    EXPECT_EQ(Steps(), 5);
    EXPECT_FLOAT_EQ(sounds.played.front().second, 0.9f);
}

struct TwistCase {
    float x, z, angle;
};

TEST_F(RobotMoves, TheUpperBodyTwistsTowardTheSidewaysMove) {
    const TwistCase cases[] = {
        {1, -1, -kPi / 4}, {1, 1, kPi / 4},  {1, 0, -kPi / 2}, {-1, -1, kPi / 4},
        {-1, 1, -kPi / 4}, {-1, 0, kPi / 2}, {0, -1, 0},       {0, 0, 0},
    };
    for (const TwistCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.z);
        Walk(Vector(c.x, 0.0f, c.z));
        Frames(1, 0.01f);
        EXPECT_FLOAT_EQ(animation->m_rotations[2].m_angle, c.angle);
    }
}

} // namespace
