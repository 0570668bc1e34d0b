#include <gtest/gtest.h>

#include <cmath>

#include "PhysX/physics_level_fixture.h"
#include "animation/animation_controller.h"
#include "core/bounds.h"
#include "core/math_functions.h"
#include "game/input_state.h"
#include "player/player_component.h"
#include "player/player_process.h"
#include "player_level_fixture.h"

namespace {

// The building process knows the thrown box.
class KnowsTheBox : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32) override {
        if (msg->type == MSG_BUILDING_VALID && player != nullptr) {
            Message<bool> reply(MSG_BUILDING_VALID, true);
            player->HandleMessage(&reply, HANDLER_BUILDING_PROCESS);
        }
    }

    PlayerComponent* player = nullptr;
};

// A robot in a real physics world whose body, head and right arm stand in the path of the
// box it throws.
class ThrowThroughTheRobot : public physics_level::Level {
  protected:
    ThrowThroughTheRobot() {
        controls.bound.m_play = 1;
        players.Bind(&root, PlayerProcess::kHandlerId);
        players.m_first_update = false;
        physics_level::Record record;
        record.extents = Vector(4.0f, 6.75f, 4.0f);
        robot = Make("RobotBase", record, Vector(0.0f, 7.0f, 60.0f));
        StreamMap stream = component_fixture::ComponentStream("RobotBase", "Player");
        player = static_cast<PlayerComponent*>(players.CreateComponent(&stream));
        robot->AddComponent(ComponentType::Player, player);
        for (const char* name : {"Idle", "Throw"}) {
            animation.m_animations[name] = player_level::StillClip(name, 1.0f);
        }
        animation.m_skeleton = &skeleton;
        robot->AddComponent(ComponentType::AnimationController, &animation);
        player->Initialize();
        // Body, head and right arm, one behind the other along the throw, held in place.
        physics_level::Record part;
        part.extents = Vector(3.0f, 3.0f, 3.0f);
        part.radius = 3.0f;
        const float z[] = {-30.0f, -45.0f, -60.0f};
        for (int k = 0; k < 3; ++k) {
            GameObject* p = Make(kParts[k], part, Vector(0.0f, 20.0f, z[k]));
            Body(p)->SetKinematic(true);
            p->parentObject = robot;
            robot->childObjects.push_back(p);
        }
        if (robot->childObjects[2]->boundingSphere == nullptr) {
            robot->childObjects[2]->SetBoundingSphere(new BoundingSphere(3.0f));
        }
        physics_level::Record boxRecord;
        boxRecord.extents = Vector(1.0f, 1.0f, 1.0f);
        box = Make("Box", boxRecord, Vector(0.0f, 20.0f, -15.0f));
        player->m_camera_eye = Vector(0.0f, 20.0f, 40.0f);
        player->m_camera_target = Vector(0.0f, 20.0f, 0.0f);
        buildings.player = player;
        root.RegisterHandler(HANDLER_BUILDING_PROCESS, &buildings);
    }

    ~ThrowThroughTheRobot() override {
        root.RemoveHandler(&buildings);
        robot->RemoveComponent(&animation, false);
        robot->RemoveComponent(player, true);
    }

    static constexpr const char* kParts[] = {"RobotBody", "RobotHead", "RobotRightArm"};
    static constexpr float kDt = 1.0f / 60.0f;

    player_level::Controls controls;
    KnowsTheBox buildings;
    PlayerProcess players{&controls, false, true};
    AnimationController animation{"RobotBase"};
    Skeleton skeleton{false};
    GameObject* robot = nullptr;
    GameObject* box = nullptr;
    PlayerComponent* player = nullptr;
};

TEST_F(ThrowThroughTheRobot, TheBoxLeavesAlongTheAimAndPassesThroughTheRobotsParts) {
    Step(1);
    robot->SetVelocity(Vector(6.0f, 0.0f, 0.0f));
    player->m_held_object = box;
    player->m_arm_state = 3;
    player->m_arm_timer = 0.3f;
    player->UpdateGrab(kDt);
    // 250 along the aim (straight ahead, -z) plus half the robot's own velocity.
    EXPECT_NEAR(box->velocity.x, 3.0f, 1e-3f);
    EXPECT_NEAR(box->velocity.z, -250.0f, 1e-3f);
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(Body(robot->childObjects[k])->IsCollisionEnabled()) << k;
    }

    // In 0.3 s the box crosses all three parts without being stopped or turned aside.
    float t = 0.0f;
    for (; t < 0.3f; t += kDt) {
        Step(1);
        player->UpdateGrab(kDt);
    }
    EXPECT_LT(box->position.z, -70.0f);
    EXPECT_NEAR(box->velocity.z, -250.0f, 5.0f);
    EXPECT_NEAR(box->velocity.x, 3.0f, 1.0f);
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(Body(robot->childObjects[k])->IsCollisionEnabled()) << k;
    }

    // At 0.75 s the parts collide again.
    for (; t < 0.8f; t += kDt) {
        Step(1);
        player->UpdateGrab(kDt);
    }
    EXPECT_EQ(player->m_parts_collision_time, -1.0f);
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(Body(robot->childObjects[k])->IsCollisionEnabled()) << k;
    }
}

} // namespace
