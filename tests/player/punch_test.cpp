#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <boost/make_shared.hpp>

#include "animation/animation.h"
#include "game/projectile.h"
#include "robot_moves_fixture.h"

namespace {

using robot_moves::Answering;
using robot_moves::RobotMoves;

class Fired : public DefinitionComponent, public Projectile {
  public:
    Fired() : DefinitionComponent("FakeRobotRightArm") {}
    void SetFired() override { fired = true; }

    bool fired = false;
};

// The level state makes the flying arm on request; the projectile process says whether it
// still flies.
class Punches : public RobotMoves {
  protected:
    Punches() {
        levelState.answer = [this](BaseMessage* msg, u32) {
            if (msg->type == MSG_LEVEL_CREATE_OBJECT) {
                requested = msg->ValueOr<std::string>("");
                if (makeArm) {
                    Message<GameObject*> made(MSG_LEVEL_OBJECT_CREATED, arm.get());
                    player->HandleMessage(&made, HANDLER_LEVEL_STATE);
                }
            }
        };
        bullets.answer = [this](BaseMessage* msg, u32) {
            if (msg->type == MSG_BULLET_VALID) {
                Message<bool> reply(MSG_BULLET_VALID, armFlies);
                player->HandleMessage(&reply, HANDLER_BULLET_PROCESS);
            }
        };
        root.RegisterHandler(HANDLER_LEVEL_STATE, &levelState);
        root.RegisterHandler(HANDLER_BULLET_PROCESS, &bullets);
        arm = NewObject("FakeRobotRightArm");
        arm->AddComponent(ComponentType::Bullet, &fired);
        parts[2]->position = Vector(3.0f, 4.0f, 5.0f);
        player->m_camera_eye = Vector(0.0f, 0.0f, 10.0f);
        player->m_camera_target = Vector(0.0f, 0.0f, 0.0f);
    }

    ~Punches() override {
        arm->RemoveComponent(&fired, false);
        root.RemoveHandler(&levelState);
        root.RemoveHandler(&bullets);
    }

    // Runs frames until the right punch reaches the phase (at most the given seconds).
    float RunUntil(i32 phase, float seconds, float dt = 0.01f) {
        float t = 0.0f;
        while (player->m_right_punch.phase != phase && t < seconds) {
            Frames(1, dt);
            t += dt;
        }
        return t;
    }

    // A rocket punch at power 5, run until the arm flies.
    void FireRocket() {
        player->m_power_level = 5;
        controls.bound.m_left_control = 1;
        Press(CONTROL_PUNCH);
        Frames(1, 0.01f);
        Release(CONTROL_PUNCH);
        RunUntil(PunchState::kRocketFlight, 3.0f);
    }

    Answering levelState;
    Answering bullets;
    std::unique_ptr<GameObject> arm;
    Fired fired;
    bool makeArm = true;
    bool armFlies = true;
    std::string requested;
};

TEST_F(Punches, AtPowerOneThePunchReleasesAtOnceWithoutAForce) {
    player->m_power_level = 1;
    Press(CONTROL_PUNCH);
    Frames(1, 0.01f);
    Release(CONTROL_PUNCH);
    RunUntil(PunchState::kRest, 2.0f);
    ASSERT_EQ(player->m_right_punch.phase, PunchState::kRest);
    EXPECT_FLOAT_EQ(player->m_right_punch.charge, 0.3f);
    EXPECT_TRUE(Forces().empty());
    EXPECT_FLOAT_EQ(player->m_part_brightness[2], 1.0f);
    EXPECT_NEAR(animation->GetAnimationSpeed("Right Punch Rest"), 2.9f, 1e-5f);
    EXPECT_EQ(Floats(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_MOTION_BLUR), std::vector<float>{0.6f});
    ASSERT_FALSE(sounds.played.empty());
    EXPECT_EQ(sounds.played.front().first, "assets/sound fx/punch.mp3");
    // The arm is free once the rest clip ends.
    Frames(30, 0.01f);
    EXPECT_EQ(player->m_arm_state, PlayerComponent::kArmFree);
}

struct ReleaseCase {
    float glow;
    float radius;
    float force;
    float blur;
};

TEST_F(Punches, TheLongerTheChargeTheWiderAndHarderThePush) {
    const ReleaseCase cases[] = {{1.0f, 12.375f, 410.0f, 0.6f}, {2.8f, 23.25f, 1490.0f, 0.9f}};
    for (const ReleaseCase& c : cases) {
        SCOPED_TRACE(c.glow);
        ClearRecords();
        PunchState punch;
        punch.phase = PunchState::kRelease;
        punch.speed = 0.5f;
        player->m_part_brightness[2] = c.glow;
        animation->PlayAnimation(2, "Right Punch Release", -1.0f);
        animation->Update(1.0f);
        player->Punch(0.01f, Quaternion{}, punch, "Right", 2, 2);
        EXPECT_EQ(punch.phase, PunchState::kRest);
        const auto forces = Forces();
        ASSERT_EQ(forces.size(), 1u);
        EXPECT_NEAR(forces[0].m_radius, c.radius, 1e-3f);
        EXPECT_NEAR(forces[0].m_force, c.force, 1e-2f);
        EXPECT_FLOAT_EQ(forces[0].m_duration, 0.25f);
        EXPECT_EQ(forces[0].m_center, Vector(3.0f, 3.0f, 5.0f));
        EXPECT_NEAR(Floats(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_MOTION_BLUR).at(0), c.blur,
                    1e-5f);
        EXPECT_FLOAT_EQ(player->m_part_brightness[2], 1.0f);
    }
}

TEST_F(Punches, ARocketPunchWaitsForTheFullChargeEvenWhenLetGo) {
    player->m_power_level = 5;
    makeArm = false;
    controls.bound.m_left_control = 1;
    Press(CONTROL_PUNCH);
    Frames(1, 0.01f);
    Release(CONTROL_PUNCH);
    ASSERT_TRUE(player->m_right_punch.rocket);
    const float t = RunUntil(PunchState::kRelease, 3.0f);
    // 0.4 / 0.35 s of charge.
    EXPECT_NEAR(t + 0.01f, 0.4f / 0.35f, 0.03f);
    EXPECT_EQ(requested, "FakeRobotRightArm");
    // Without an arm made the punch goes on as an ordinary one.
    EXPECT_EQ(player->m_right_punch.phase, PunchState::kRelease);
    EXPECT_EQ(player->m_right_punch.rocket_arm, nullptr);
}

struct HoldCase {
    const char* name;
    float hold;
    bool rocket;
};

TEST_F(Punches, AtPowerFiveALongHoldFiresTheArmAndATapDoesNot) {
    const HoldCase cases[] = {{"tap", 0.1f, false}, {"hold", 0.8f, true}};
    for (const HoldCase& c : cases) {
        SCOPED_TRACE(c.name);
        requested.clear();
        player->m_arm_state = PlayerComponent::kArmFree;
        player->m_power_level = 5;
        makeArm = false;
        Press(CONTROL_PUNCH);
        Frames(1, 0.01f);
        Hold(CONTROL_PUNCH);
        Frames(static_cast<int>(c.hold / 0.01f), 0.01f);
        Release(CONTROL_PUNCH);
        RunUntil(PunchState::kRelease, 2.0f);
        EXPECT_EQ(requested.empty(), !c.rocket);
        RunUntil(PunchState::kRest, 2.0f);
        Frames(30, 0.01f);
    }
}

TEST_F(Punches, TheFlyingArmPushesUntilDeletedAndTheRealArmReturns) {
    FireRocket();
    ASSERT_EQ(player->m_right_punch.phase, PunchState::kRocketFlight);
    EXPECT_EQ(player->m_right_punch.rocket_arm, arm.get());
    EXPECT_TRUE(fired.fired);
    EXPECT_EQ(player->m_part_hidden[2], 1);
    EXPECT_FALSE(Body(parts[2].get())->IsCollisionEnabled());
    EXPECT_EQ(arm->position, parts[2]->position);
    // Fired along the aim.
    EXPECT_FLOAT_EQ(arm->velocity.z, -400.0f);
    ClearRecords();

    std::vector<RadialForce> pushes;
    float t = 0.0f;
    while (player->m_right_punch.rocket_arm != nullptr && t < 2.0f) {
        Frames(1, 0.01f);
        t += 0.01f;
        for (const RadialForce& f : Forces()) {
            pushes.push_back(f);
        }
        ClearRecords();
    }
    EXPECT_NEAR(t, 0.75f, 0.015f);
    ASSERT_GE(pushes.size(), 70u);
    EXPECT_NEAR(pushes.front().m_radius, 17.75f, 0.15f);
    EXPECT_NEAR(pushes.front().m_force, 780.0f, 15.0f);
    EXPECT_NEAR(pushes.back().m_radius, 12.375f, 0.1f);
    EXPECT_NEAR(pushes.back().m_force, 410.0f, 5.0f);
    EXPECT_FLOAT_EQ(pushes.front().m_duration, 0.01f);
    EXPECT_EQ(levelState.received.back(), static_cast<u32>(MSG_LEVEL_DELETE_OBJECT));

    // Still hidden until 0.9 s.
    EXPECT_EQ(player->m_part_hidden[2], 1);
    const float back = RunUntil(PunchState::kRest, 1.0f);
    EXPECT_NEAR(t + back, 0.9f, 0.015f);
    EXPECT_EQ(player->m_part_hidden[2], 0);
    EXPECT_TRUE(Body(parts[2].get())->IsCollisionEnabled());
}

TEST_F(Punches, AnArmThatDiesEarlyStopsThePushes) {
    FireRocket();
    ASSERT_EQ(player->m_right_punch.phase, PunchState::kRocketFlight);
    Frames(10, 0.01f);
    EXPECT_FALSE(Forces().empty());
    armFlies = false;
    Frames(1, 0.01f);
    EXPECT_EQ(player->m_right_punch.rocket_arm, nullptr);
    ClearRecords();
    RunUntil(PunchState::kRest, 1.0f);
    EXPECT_TRUE(Forces().empty());
    // Nothing left to delete: the projectile process already did.
    EXPECT_TRUE(Received(HANDLER_LEVEL_STATE, MSG_LEVEL_DELETE_OBJECT).empty());
    EXPECT_EQ(player->m_part_hidden[2], 0);
}

TEST_F(Punches, AnArmInFlightWhenAHoldBeginsIsBackWhenItEnds) {
    FireRocket();
    ASSERT_EQ(player->m_part_hidden[2], 1);
    // A camera hold takes the robot over mid-flight and hands it back later.
    g_player_mode = 1;
    Frames(100, 0.01f);
    g_player_mode = 3;
    Frames(1, 0.01f);
    EXPECT_EQ(g_player_mode, 0);
    EXPECT_EQ(player->m_arm_state, PlayerComponent::kArmFree);
    EXPECT_EQ(player->m_part_hidden[2], 0);
    EXPECT_TRUE(Body(parts[2].get())->IsCollisionEnabled());
}

// The punch clips as the game builds them, in place of the fixture's still ones.
class RealPunches : public Punches {
  protected:
    RealPunches() {
        for (const char* name : player_level::kPunchClips) {
            animation->m_animations[name] = boost::make_shared<Animation>(name);
        }
        makeArm = false;
    }

    bool Busy() const {
        return player->m_arm_state != PlayerComponent::kArmFree || player->m_left_punching != 0;
    }

    // A tap: down for a frame, noticed let go the next, then up. True when the right arm
    // took it up.
    bool Tap(float dt) {
        Press(CONTROL_PUNCH);
        Frames(1, dt);
        const bool started = player->m_arm_state == PlayerComponent::kArmPunching;
        controls.bound.m_controls[CONTROL_PUNCH] = INPUT_RELEASED;
        Frames(1, dt);
        Release(CONTROL_PUNCH);
        return started;
    }
};

TEST_F(RealPunches, EveryTapStartsAPunchOnceTheArmsAreFree) {
    // Smooth, uneven and slow frame rates; at each the robot punches on and on.
    makeArm = true;
    for (const float dt : {1.0f / 60.0f, 0.037f, 0.2f, 0.33f}) {
        SCOPED_TRACE(dt);
        for (int punch = 0; punch < 12; ++punch) {
            float waited = 0.0f;
            while (Busy() && waited < 3.0f) {
                Frames(1, dt);
                waited += dt;
            }
            ASSERT_FALSE(Busy()) << "punch " << punch << " right phase "
                                 << player->m_right_punch.phase;
            EXPECT_TRUE(Tap(dt)) << "punch " << punch;
        }
    }
}

struct SlowFrameCase {
    float dt;
    // Frames the key stays held between the press and the let-go.
    int held;
    bool rocket;
};

TEST_F(RealPunches, AtPowerFiveTheHeldTimeNotTheFrameTimeDecidesTheRocket) {
    // A tap noticed in frames of a third of a second up to a whole one stays an ordinary
    // punch; the key held through a second's frames charges it fully.
    const SlowFrameCase cases[] = {{1.0f / 60.0f, 0, false}, {0.33f, 0, false}, {0.5f, 0, false},
                                   {1.0f, 0, false},         {0.33f, 1, false}, {0.25f, 4, true},
                                   {1.0f / 60.0f, 40, true}};
    for (const SlowFrameCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "dt " << c.dt << " held " << c.held);
        requested.clear();
        player->m_power_level = 5;
        Press(CONTROL_PUNCH);
        Frames(1, c.dt);
        ASSERT_EQ(player->m_arm_state, PlayerComponent::kArmPunching);
        Hold(CONTROL_PUNCH);
        Frames(c.held, c.dt);
        controls.bound.m_controls[CONTROL_PUNCH] = INPUT_RELEASED;
        Frames(1, c.dt);
        Release(CONTROL_PUNCH);
        float waited = 0.0f;
        while (Busy() && waited < 5.0f) {
            Frames(1, c.dt);
            waited += c.dt;
        }
        EXPECT_FALSE(Busy());
        EXPECT_EQ(requested.empty(), !c.rocket);
    }
}

} // namespace
