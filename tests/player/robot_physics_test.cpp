#include <gtest/gtest.h>

#include "PhysX/physics_level_fixture.h"
#include "animation/animation_controller.h"
#include "player/player_component.h"
#include "player/player_process.h"
#include "player_level_fixture.h"

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
