#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ai/ai_movement.h"
#include "ai_kit.h"

namespace {

using ai_kit::Kit;
using ai_kit::UnitParams;

struct MovementTest : ::testing::Test {
    Kit kit;

    AIViewComponent* Make(const std::string& type, const Vector& at, f32 avoidGain = 0.0f) {
        UnitParams p;
        p.states = {"STATE_TANK_SPAWN"};
        p.avoidGain = avoidGain;
        kit.DefineUnit(type, p);
        AIViewComponent* unit = Kit::Unit(kit.Spawn(type, at));
        unit->m_waypoints.clear();
        unit->m_range = 10.0f;
        return unit;
    }
    static float Yaw(const Quaternion& q) {
        const Vector f = -Quaternion::GetDirection(q);
        return std::atan2(f.x, -f.z);
    }
};

TEST_F(MovementTest, GoalBehindTurnsAtHalfRateAndCreepsAtHalfSpeed) {
    AIViewComponent* tank = Make("AI-Ground-Tank", Vector());
    tank->m_waypoints.push_back(Vector(0.0f, 0.0f, 100.0f));
    ASSERT_FLOAT_EQ(tank->m_aimCosine, 0.5f);
    tank->m_movement->Update(0.1f);
    // speed 10 × 0.1 s: one unit of step, half of it while turning.
    const auto& moves = Kit::Body(tank->owner)->moves;
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_NEAR(moves[0].Length(), 0.5f, 1e-4f);
    EXPECT_NEAR(std::fabs(Yaw(tank->owner->orientation)), 0.5f, 0.02f);
    EXPECT_TRUE(tank->owner->orientationChanged);
}

TEST_F(MovementTest, FacingTheGoalDrivesStraightAtFullSpeed) {
    AIViewComponent* tank = Make("AI-Ground-Tank", Vector());
    tank->m_waypoints.push_back(Vector(0.0f, 0.0f, -100.0f));
    tank->m_movement->Update(0.1f);
    const auto& moves = Kit::Body(tank->owner)->moves;
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], Vector(0.0f, 0.0f, -1.0f));
    EXPECT_FLOAT_EQ(Yaw(tank->owner->orientation), 0.0f);
}

TEST_F(MovementTest, ReverseDrivesBackwardsWithoutAvoiding) {
    AIViewComponent* tank = Make("AI-Ground-Tank", Vector(), 1.0f);
    Make("AI-Ground-Tank", Vector(20.0f, 0.0f, 0.0f));
    tank->m_reverse = 1;
    tank->m_waypoints.push_back(Vector(0.0f, 0.0f, -100.0f));
    tank->m_movement->Update(0.1f);
    const auto& moves = Kit::Body(tank->owner)->moves;
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], Vector(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(tank->m_movement->m_avoid, Vector());
}

TEST_F(MovementTest, ArrivalIsStrictlyInsideTheRange) {
    struct Case {
        const char* type;
        Vector goal;
        float range;
        bool arrived;
    };
    const Case cases[] = {
        {"AI-Ground-Tank", Vector(0.0f, 0.0f, -10.0f), 10.0f, false},
        {"AI-Ground-Tank", Vector(0.0f, 0.0f, -9.99f), 10.0f, true},
        {"AI-Fly-Helicopter", Vector(0.0f, -50.0f, 0.0f), 10.0f, true},
        {"AI-Seek-Missile", Vector(0.0f, -50.0f, 0.0f), 50.0f, false},
        {"AI-Seek-Missile", Vector(0.0f, -50.0f, 0.0f), 50.5f, true},
    };
    kit.MakeRobot(Vector(0.0f, 0.0f, -300.0f));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        AIViewComponent* unit = Make(c.type, Vector());
        unit->ChangeTo(STATE_TANK_SPAWN);
        unit->m_waypoints.push_back(c.goal);
        unit->m_range = c.range;
        unit->m_movement->Update(0.1f);
        EXPECT_EQ(unit->m_waypoints.empty(), c.arrived);
        EXPECT_EQ(Kit::Body(unit->owner)->moves.empty(), c.arrived);
    }
}

TEST_F(MovementTest, ArrivalReachesTheUnitsOwnHandler) {
    kit.MakeRobot(Vector(0.0f, 0.0f, -300.0f));
    UnitParams p;
    p.states = {"STATE_TANK_SEEK", "STATE_TANK_ATTACK"};
    kit.DefineUnit("AI-Ground-Tank", p);
    AIViewComponent* tank = Kit::Unit(kit.Spawn("AI-Ground-Tank"));
    tank->m_waypoints = {Vector(0.0f, 0.0f, -1.0f)};
    tank->m_range = 10.0f;
    tank->m_movement->Update(0.1f);
    EXPECT_TRUE(tank->InState(STATE_TANK_ATTACK));
}

TEST_F(MovementTest, TrackUnitsKeepTheirWaypointsOnArrival) {
    AIViewComponent* car = Make("AI-Ground-CarGame", Vector());
    car->m_waypoints = {Vector(0.0f, 0.0f, -1.0f), Vector(0.0f, 0.0f, -100.0f)};
    car->m_movement->Update(0.1f);
    EXPECT_EQ(car->m_waypoints.size(), 2u);
    EXPECT_EQ(car->m_waypoints.front(), Vector(0.0f, 0.0f, -100.0f));
}

TEST_F(MovementTest, SeparationPushesOnlyUnitsOfOneClass) {
    struct Case {
        const char* a;
        const char* b;
        float push;
    };
    const Case cases[] = {
        {"AI-Ground-Tank", "AI-Ground-Tank", 2.0f},
        {"AI-Ground-Tank", "AI-Ground-Jeep", 2.0f},
        {"AI-Ground-Tank", "AI-Fly-Helicopter", 0.0f},
        {"AI-Ground-Tank", "AI-Ground-Citizen", 0.0f},
        {"AI-Fly-Helicopter", "AI-Fly-MediumUFO", 2.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        Kit local;
        std::swap(kit.ai, local.ai);
        AIViewComponent* unit = nullptr;
        {
            UnitParams p;
            p.states = {"STATE_TANK_SPAWN"};
            local.DefineUnit(c.a, p);
            local.DefineUnit(c.b, p);
            unit = Kit::Unit(local.Spawn(c.a, Vector()));
            local.Spawn(c.b, Vector(35.0f, 0.0f, 0.0f));
        }
        std::swap(kit.ai, local.ai);
        unit->m_movement->AvoidBuildings(*unit->Process());
        EXPECT_NEAR(unit->m_movement->m_avoid.x, -c.push, 1e-5f);
        EXPECT_EQ(unit->m_movement->m_avoid.y, 0.0f);
    }
}

TEST_F(MovementTest, BuildingAheadPushesSidewaysAndOneBelowIsIgnored) {
    AIViewComponent* tank = Make("AI-Ground-Tank", Vector(2.0f, 5.0f, 0.0f));
    kit.Building(Vector(0.0f, 15.0f, -60.0f), Vector(10.0f, 15.0f, 10.0f));
    kit.UseBuildings();
    tank->m_movement->AvoidBuildings(*kit.ai);
    const Vector push = tank->m_movement->m_avoid;
    // Along the side of the building: across the line from it to the tank, away from its middle.
    EXPECT_GT(push.x, 0.0f);
    EXPECT_NEAR(push.Dot(Vector(2.0f, 0.0f, 60.0f)), 0.0f, 1e-3f);
    EXPECT_EQ(push.y, 0.0f);

    AIViewComponent* heli = Make("AI-Fly-Helicopter", Vector(2.0f, 100.0f, 0.0f));
    heli->m_movement->AvoidBuildings(*kit.ai);
    EXPECT_EQ(heli->m_movement->m_avoid, Vector());
}

TEST_F(MovementTest, HelicopterSlidesAlongTheGoalWhateverItsFacing) {
    AIViewComponent* heli = Make("AI-Fly-Helicopter", Vector(0.0f, 50.0f, 0.0f));
    heli->m_waypoints.push_back(Vector(100.0f, 0.0f, 0.0f));
    heli->m_movement->Update(0.1f);
    const auto& moves = Kit::Body(heli->owner)->moves;
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], Vector(1.0f, 0.0f, 0.0f));
}

} // namespace
