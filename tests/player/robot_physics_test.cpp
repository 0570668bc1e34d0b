#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "PhysX/physics_level_fixture.h"
#include "animation/animation_controller.h"
#include "core/math_functions.h"
#include "game/input_state.h"
#include "player/player_component.h"
#include "player/player_process.h"
#include "player_level_fixture.h"
#include "robot_moves_fixture.h"

namespace {

// The robot's base in a real physics world, on the ground plane.
class RobotPhysics : public physics_level::Level {
  protected:
    RobotPhysics() {
        controls.bound.m_play = 1;
        players.Bind(&root, PlayerProcess::kHandlerId);
        players.m_first_update = false;
    }

    player_level::Controls controls;
    PlayerProcess players{&controls, false, true};
};

TEST_F(RobotPhysics, TheRobotFallsToTheGroundStandsAndTheCameraFollowsIt) {
    Make("InvisiblePlane");
    physics_level::Record body;
    body.extents = Vector(4.0f, 6.75f, 4.0f);
    GameObject* robot = Make("RobotBase", body, Vector(-50.0f, 40.0f, -55.0f));
    StreamMap stream = component_fixture::ComponentStream("RobotBase", "Player");
    auto* player = static_cast<PlayerComponent*>(players.CreateComponent(&stream));
    robot->AddComponent(ComponentType::Player, player);
    AnimationController animation("RobotBase");
    robot->AddComponent(ComponentType::AnimationController, &animation);
    // Announces the robot to the physics, which then reports its steps.
    player->Initialize();

    bool heardStep = false;
    bool landed = false;
    for (int frame = 0; frame < 300; ++frame) {
        Step(1);
        heardStep = heardStep || player->m_physics_stepped != 0;
        // Down near the ground, its contact reached the robot at its feet.
        landed = landed ||
                 (robot->position.y < 10.0f && player->m_touching != 0 && player->m_airborne == 0);
        players.Update(1.0f / 60.0f);
    }
    EXPECT_TRUE(heardStep);
    EXPECT_TRUE(landed);
    EXPECT_NEAR(robot->position.y, 6.75f, 0.25f);
    EXPECT_NEAR(player->m_camera_target.y, robot->position.y + 19.0f, 1e-3f);
    EXPECT_NEAR(player->m_camera_eye.z, robot->position.z + 42.0f, 0.5f);

    robot->RemoveComponent(&animation, false);
    robot->RemoveComponent(player, true);
}

} // namespace

namespace {

// The robot with its clips on the ground plane of a real physics world.
class RobotOnThePlane : public RobotPhysics {
  protected:
    RobotOnThePlane() {
        Make("InvisiblePlane");
        physics_level::Record record;
        record.extents = Vector(4.0f, 6.75f, 4.0f);
        robot = Make("RobotBase", record, Vector(0.0f, 7.0f, 0.0f));
        StreamMap stream = component_fixture::ComponentStream("RobotBase", "Player");
        player = static_cast<PlayerComponent*>(players.CreateComponent(&stream));
        robot->AddComponent(ComponentType::Player, player);
        for (const char* name : {"Idle", "Walk", "WalkBackwards", "Land", "Jump", "Fall"}) {
            animation.m_animations[name] = player_level::StillClip(name, 1.5667f);
        }
        animation.m_animations["Walk"]->SetLooping(true);
        animation.m_skeleton = &skeleton;
        robot->AddComponent(ComponentType::AnimationController, &animation);
        player->Initialize();
        // Settle on the ground.
        Run(60);
    }

    ~RobotOnThePlane() override {
        robot->RemoveComponent(&animation, false);
        robot->RemoveComponent(player, true);
    }

    void Run(int frames) {
        for (int i = 0; i < frames; ++i) {
            Step(1);
            animation.Update(kDt);
            players.Update(kDt);
        }
    }

    static constexpr float kDt = 1.0f / 60.0f;
    AnimationController animation{"RobotBase"};
    Skeleton skeleton{false};
    GameObject* robot = nullptr;
    PlayerComponent* player = nullptr;
};

TEST_F(RobotOnThePlane, WalksForwardThenJumpsAndLands) {
    const Vector start = robot->position;
    controls.bound.m_controls[CONTROL_FORWARD] = INPUT_HELD;
    controls.bound.m_movement = Vector(0.0f, 0.0f, -1.0f);
    Run(120);
    EXPECT_LT(robot->position.z, start.z - 20.0f);
    EXPECT_NEAR(robot->position.x, start.x, 0.5f);
    EXPECT_EQ(animation.GetCurrentAnimationName(), "Walk");

    controls.bound.m_controls[CONTROL_FORWARD] = INPUT_UP;
    controls.bound.m_movement = Vector(0.0f, 0.0f, 0.0f);
    Run(30);
    controls.bound.m_controls[CONTROL_JUMP] = INPUT_PRESSED;
    Run(1);
    controls.bound.m_controls[CONTROL_JUMP] = INPUT_UP;
    EXPECT_TRUE(player->m_jumping);
    float highest = robot->position.y;
    for (int i = 0; i < 300 && player->m_jumping; ++i) {
        Run(1);
        highest = std::max(highest, robot->position.y);
    }
    EXPECT_GT(highest, 10.0f);
    EXPECT_FALSE(player->m_jumping);
    EXPECT_NEAR(robot->position.y, 6.75f, 1.0f);
}

} // namespace

namespace {

// The robot on the plane with its six parts; the right arm has a real body of its own (no
// gravity, so it stays where the test puts it) and the level makes the flying arm in the
// same world.
class PunchesOnThePlane : public RobotOnThePlane {
  protected:
    PunchesOnThePlane() {
        for (const char* name : player_level::kPunchClips) {
            animation.m_animations[name] = player_level::StillClip(name, 0.2f);
        }
        const char* const names[PlayerComponent::kPartCount] = {
            "RobotBody", "RobotHead", "RobotRightArm", "RobotLeftArm", "RobotLeg", "RobotLeg"};
        for (u32 k = 0; k < PlayerComponent::kPartCount; ++k) {
            GameObject* part = nullptr;
            if (k == kRightArm) {
                physics_level::Record record;
                record.extents = Vector(1.0f, 1.0f, 1.0f);
                part = Make(names[k], record, robot->position + Vector(0.0f, -2.75f, -6.5f));
                Body(part)->SetGravityEnabled(false);
            } else {
                // Kept with the level's objects, which outlive the robot's own teardown.
                objects.push_back(std::make_unique<GameObject>(names[k]));
                part = objects.back().get();
                part->id = nextId++;
                part->SetRouterParent(&root);
                part->position = robot->position;
            }
            part->parentObject = robot;
            robot->childObjects.push_back(part);
        }
        levelState.answer = [this](BaseMessage* msg, u32) {
            if (msg->type == MSG_LEVEL_CREATE_OBJECT) {
                physics_level::Record record;
                record.extents = Vector(1.0f, 1.0f, 2.0f);
                // Made far from everything, then placed at the real arm by the robot.
                flyingArm =
                    Make(msg->ValueOr<std::string>(""), record, Vector(0.0f, 200.0f, 500.0f));
                Message<GameObject*> made(MSG_LEVEL_OBJECT_CREATED, flyingArm);
                player->HandleMessage(&made, HANDLER_LEVEL_STATE);
            }
        };
        bullets.answer = [this](BaseMessage* msg, u32) {
            if (msg->type == MSG_BULLET_VALID) {
                Message<bool> reply(MSG_BULLET_VALID, true);
                player->HandleMessage(&reply, HANDLER_BULLET_PROCESS);
            }
        };
        root.RegisterHandler(HANDLER_LEVEL_STATE, &levelState);
        root.RegisterHandler(HANDLER_BULLET_PROCESS, &bullets);
        player->m_power_level = 7;
    }

    ~PunchesOnThePlane() override {
        root.RemoveHandler(&levelState);
        root.RemoveHandler(&bullets);
    }

    // Presses Punch for one frame, then runs until the right punch reaches the phase.
    bool PunchUntil(i32 phase, int frames) {
        controls.bound.m_controls[CONTROL_PUNCH] = INPUT_PRESSED;
        Run(1);
        controls.bound.m_controls[CONTROL_PUNCH] = INPUT_UP;
        for (int i = 0; i < frames && player->m_right_punch.phase != phase; ++i) {
            Run(1);
        }
        return player->m_right_punch.phase == phase;
    }

    static constexpr u32 kRightArm = 2;
    robot_moves::Answering levelState;
    robot_moves::Answering bullets;
    GameObject* flyingArm = nullptr;
};

TEST_F(PunchesOnThePlane, APunchNextToABoxPushesTheBoxAndTheArmFeelsTheContact) {
    physics_level::Record crate;
    crate.extents = Vector(2.0f, 2.0f, 2.0f);
    GameObject* box = Make("Crate", crate, Vector(0.0f, 2.0f, -8.0f));
    GameObject* arm = robot->childObjects[kRightArm];
    auto& boxHeard = Listen(box);
    auto& armHeard = Listen(arm);
    const Vector boxStart = box->position;

    ASSERT_TRUE(PunchUntil(PunchState::kRest, 120));
    Run(5);
    const auto heard = [](const component_fixture::MessageRecorder& r, u32 type) {
        const auto types = r.Types();
        return std::find(types.begin(), types.end(), type) != types.end();
    };
    EXPECT_TRUE(heard(boxHeard, MSG_PHYSICS_FORCE));
    EXPECT_TRUE(heard(armHeard, MSG_PHYSICS_COLLISION));
    // Pushed away from the robot.
    EXPECT_LT(box->position.z, boxStart.z);
}

TEST_F(PunchesOnThePlane, TheRocketArmLeavesAtAboutEightHundredUnitsASecond) {
    // Both the velocity write and the push of 400 along the aim act in the first step.
    controls.bound.m_left_control = 1;
    ASSERT_TRUE(PunchUntil(PunchState::kRocketFlight, 240));
    ASSERT_NE(flyingArm, nullptr);
    Step(1);
    EXPECT_NEAR(flyingArm->velocity.Length(), 800.0f, 20.0f);
    const Vector aim = Math::Vec3Normalize(player->m_camera_target - player->m_camera_eye);
    EXPECT_GT(Math::Vec3Dot(Math::Vec3Normalize(flyingArm->velocity), aim), 0.99f);
}

} // namespace
