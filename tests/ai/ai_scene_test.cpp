#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ai_kit.h"
#include "content/particle_system_info.h"

namespace {

using ai_kit::Kit;
using ai_kit::UnitParams;

// Twenty tanks start on a circle round the robot, a ring of buildings between them.
TEST(AIScene, TanksDriveRoundBuildingsToTheRobotAndDieTogether) {
    Kit kit;
    ai_kit::RecordingBody::Integrate() = true;
    kit.MakeRobot(Vector());
    const float pi = 3.14159265f;
    const Vector half(10.0f, 30.0f, 10.0f);
    const float footprint = std::sqrt(half.x * half.x + half.z * half.z);
    std::vector<GameObject*> buildings;
    for (int k = 0; k < 10; ++k) {
        const float a = 2.0f * pi * static_cast<float>(k) / 10.0f;
        buildings.push_back(
            kit.Building(Vector(150.0f * std::sin(a), 30.0f, 150.0f * std::cos(a)), half));
    }
    kit.UseBuildings();

    UnitParams p;
    p.range = 90.0f;
    p.speed = 10.0f;
    p.seekGain = 0.01f;
    p.avoidGain = 0.1f;
    p.states = {"STATE_TANK_SEEK", "STATE_TANK_ATTACK"};
    kit.DefineUnit("AI-Ground-Tank", p);
    std::vector<AIViewComponent*> tanks;
    for (int k = 0; k < 20; ++k) {
        const float a = 2.0f * pi * static_cast<float>(k) / 20.0f;
        GameObject* tank =
            kit.Spawn("AI-Ground-Tank", Vector(300.0f * std::sin(a), 5.0f, 300.0f * std::cos(a)));
        // Facing the robot.
        tank->orientation.y = std::sin((pi - a) / 2.0f);
        tank->orientation.w = std::cos((pi - a) / 2.0f);
        AIViewComponent* unit = Kit::Unit(tank);
        unit->m_waypoints = {kit.robot->position};
        tanks.push_back(unit);
    }

    float closest = 1e9f;
    int arrived = 0;
    for (int frame = 0; frame < 4000 && arrived < 20; ++frame) {
        kit.ai->Update(1.0f / 30.0f);
        arrived = 0;
        for (AIViewComponent* tank : tanks) {
            arrived += tank->InState(STATE_TANK_ATTACK) ? 1 : 0;
            for (GameObject* b : buildings) {
                Vector e = tank->owner->position - b->position;
                e.y = 0.0f;
                closest = std::min(closest, e.Length());
            }
        }
    }
    EXPECT_EQ(arrived, 20);
    EXPECT_GT(closest, footprint);
    for (AIViewComponent* tank : tanks) {
        EXPECT_FALSE(tank->m_expired);
        Vector e = tank->owner->position - kit.robot->position;
        e.y = 0.0f;
        EXPECT_LT(e.Length(), 95.0f);
    }

    kit.At(1).received.clear();
    BaseMessage kill(MSG_KILL_ALL_AI_AGENTS);
    kit.ai->HandleMessage(&kill, HANDLER_GAME_LOGIC_PROCESS);
    const std::size_t objectsBefore = kit.level.Objects().size();
    kit.ai->Update(1.0f / 30.0f);
    EXPECT_EQ(kit.Payloads<std::string>(16, MSG_AGENT_DIED).size(), 20u);
    EXPECT_EQ(objectsBefore - kit.level.Objects().size(), 20u);
    EXPECT_TRUE(kit.ai->m_units.empty());
    EXPECT_EQ(kit.Payloads<ParticleSystemInfo>(1, MSG_CREATE_PARTICLE_SYSTEM).size(), 20u);
    EXPECT_EQ(kit.Count(9, MSG_PHYSICS_RADIAL_FORCE), 20u);
}

} // namespace
