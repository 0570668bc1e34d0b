#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <ostream>
#include <string>
#include <vector>

#include "ai/unit_states.h"
#include "ai_kit.h"
#include "core/quaternion.h"
#include "state_test_fixture.h"

namespace {

using ai_kit::Kit;
using ai_kit::Transition;
using ai_kit::UnitParams;

const std::vector<std::string> kTank = {
    "STATE_TANK_SPAWN",   "STATE_TANK_SEEK", "STATE_TANK_ATTACK", "STATE_TANK_RETREAT",
    "STATE_TANK_DROPPED", "STATE_GRABBED",   "STATE_THROWN"};
const std::vector<std::string> kHelicopter = {"STATE_HELICOPTER_SPAWN",  "STATE_HELICOPTER_SEEK",
                                              "STATE_HELICOPTER_ATTACK", "STATE_HELICOPTER_RETREAT",
                                              "STATE_GRABBED",           "STATE_THROWN"};
const std::vector<std::string> kTransport = {"STATE_TRANSPORT_SPAWN", "STATE_TRANSPORT_SEEK",
                                             "STATE_TRANSPORT_DROP", "STATE_TRANSPORT_RETREAT",
                                             "STATE_THROWN"};
const std::vector<std::string> kTruck = {"STATE_TRUCK_SPAWN", "STATE_TRUCK_SEEK",
                                         "STATE_TRUCK_ATTACK", "STATE_TRUCK_RETREAT"};
const std::vector<std::string> kJeep = {"STATE_JEEP_SPAWN", "STATE_JEEP_SEEK", "STATE_JEEP_ATTACK",
                                        "STATE_JEEP_RETREAT"};
const std::vector<std::string> kMissile = {"STATE_MISSILE_SPAWN", "STATE_MISSILE_SEEK",
                                           "STATE_MISSILE_LOOPBACK", "STATE_MISSILE_EXPLODE"};
const std::vector<std::string> kCar = {"STATE_CAR_SPAWN", "STATE_CAR_TRACK"};
const std::vector<std::string> kCitizen = {"STATE_CITIZEN_SPAWN", "STATE_CITIZEN_CALM",
                                           "STATE_CITIZEN_PANIC"};
const std::vector<std::string> kCardboard = {"STATE_CITIZEN_CARDBOARD_SPAWN",
                                             "STATE_CITIZEN_CARDBOARD_CALM", "STATE_CITIZEN_PANIC"};

// A yaw about the world's up from the identity, whose forward is -z.
Quaternion Yaw(float angle) {
    Quaternion q;
    q.y = std::sin(angle / 2.0f);
    q.w = std::cos(angle / 2.0f);
    return q;
}

Vector Forward(const GameObject* o) {
    return -Quaternion::GetDirection(o->orientation);
}

struct UnitStatesTest : ai_kit::StateTest {
    UnitStatesTest() {
        RegisterUnitStates();
        kit.level.m_definitions["Rocket"];
        kit.level.m_definitions["Bullet"];
        kit.MakeRobot();
    }

    AIViewComponent* Make(const std::string& type, const std::vector<std::string>& states,
                          const Vector& at, float range = 50.0f, bool body = true) {
        return StateTest::Make(type, states, at, range, 100, body);
    }
    static void Step(AIViewComponent* unit, float dt = 0.1f) { unit->m_stateMachine->Update(dt); }
};

// --- transitions as data ---------------------------------------------------------------------

struct TransitionTest : UnitStatesTest, ::testing::WithParamInterface<Transition> {};

TEST_P(TransitionTest, OneUpdateLeadsToTheExpectedState) {
    ai_kit::ExpectTransition(*this, GetParam(), 0.1f);
}

INSTANTIATE_TEST_SUITE_P(
    Families, TransitionTest,
    ::testing::Values(
        Transition{"AI-Ground-Tank", &kTank, 50, STATE_TANK_SPAWN, 100, STATE_TANK_SEEK},
        Transition{"AI-Ground-Tank", &kTank, 50, STATE_TANK_SEEK, 10, STATE_TANK_SEEK},
        Transition{"AI-Ground-Tank", &kTank, 50, STATE_TANK_ATTACK, 29.9f, STATE_TANK_RETREAT},
        Transition{"AI-Ground-Tank", &kTank, 50, STATE_TANK_ATTACK, 30, STATE_TANK_ATTACK},
        Transition{"AI-Ground-Tank", &kTank, 50, STATE_TANK_ATTACK, 60, STATE_TANK_ATTACK},
        Transition{"AI-Ground-Tank", &kTank, 50, STATE_TANK_ATTACK, 60.1f, STATE_TANK_SEEK},
        Transition{"AI-Ground-Tank", &kTank, 50, STATE_TANK_RETREAT, 44.9f, STATE_TANK_RETREAT},
        Transition{"AI-Ground-Tank", &kTank, 50, STATE_TANK_RETREAT, 45, STATE_TANK_ATTACK},
        // Range 15: retreat only within 5, back to attack from 10.
        Transition{"AI-Ground-Tank", &kTank, 15, STATE_TANK_ATTACK, 4.9f, STATE_TANK_RETREAT},
        Transition{"AI-Ground-Tank", &kTank, 15, STATE_TANK_ATTACK, 5, STATE_TANK_ATTACK},
        Transition{"AI-Ground-Tank", &kTank, 15, STATE_TANK_RETREAT, 9.9f, STATE_TANK_RETREAT},
        Transition{"AI-Ground-Tank", &kTank, 15, STATE_TANK_RETREAT, 10, STATE_TANK_ATTACK},
        Transition{"AI-Ground-Tank", &kTank, 50, STATE_TANK_DROPPED, 100, STATE_TANK_DROPPED},
        Transition{"AI-Fly-Helicopter", &kHelicopter, 50, STATE_HELICOPTER_SPAWN, 100,
                   STATE_HELICOPTER_SEEK},
        Transition{"AI-Fly-Helicopter", &kHelicopter, 50, STATE_HELICOPTER_ATTACK, 34.9f,
                   STATE_HELICOPTER_RETREAT},
        Transition{"AI-Fly-Helicopter", &kHelicopter, 50, STATE_HELICOPTER_ATTACK, 75,
                   STATE_HELICOPTER_ATTACK},
        Transition{"AI-Fly-Helicopter", &kHelicopter, 50, STATE_HELICOPTER_ATTACK, 75.1f,
                   STATE_HELICOPTER_SEEK},
        Transition{"AI-Fly-Helicopter", &kHelicopter, 50, STATE_HELICOPTER_RETREAT, 44.9f,
                   STATE_HELICOPTER_RETREAT},
        Transition{"AI-Fly-Helicopter", &kHelicopter, 50, STATE_HELICOPTER_RETREAT, 45,
                   STATE_HELICOPTER_ATTACK},
        Transition{"AI-Fly-Transport", &kTransport, 50, STATE_TRANSPORT_DROP, 100,
                   STATE_TRANSPORT_RETREAT},
        Transition{"AI-Ground-Truck", &kTruck, 150, STATE_TRUCK_SPAWN, 100, STATE_TRUCK_SEEK},
        Transition{"AI-Ground-Truck", &kTruck, 150, STATE_TRUCK_ATTACK, 49.9f, STATE_TRUCK_RETREAT},
        Transition{"AI-Ground-Truck", &kTruck, 150, STATE_TRUCK_ATTACK, 50, STATE_TRUCK_ATTACK},
        Transition{"AI-Ground-Truck", &kTruck, 150, STATE_TRUCK_ATTACK, 160.1f, STATE_TRUCK_SEEK},
        Transition{"AI-Ground-Truck", &kTruck, 150, STATE_TRUCK_RETREAT, 119.9f,
                   STATE_TRUCK_RETREAT},
        Transition{"AI-Ground-Truck", &kTruck, 150, STATE_TRUCK_RETREAT, 120, STATE_TRUCK_ATTACK},
        // Range 100: the retreat bound is 0, so distance never makes it retreat.
        Transition{"AI-Ground-Truck", &kTruck, 100, STATE_TRUCK_ATTACK, 0.5f, STATE_TRUCK_ATTACK},
        Transition{"AI-Ground-Jeep", &kJeep, 100, STATE_JEEP_SPAWN, 100, STATE_JEEP_SEEK},
        Transition{"AI-Ground-Jeep", &kJeep, 100, STATE_JEEP_ATTACK, 39.9f, STATE_JEEP_RETREAT},
        Transition{"AI-Ground-Jeep", &kJeep, 100, STATE_JEEP_ATTACK, 40, STATE_JEEP_ATTACK},
        Transition{"AI-Ground-Jeep", &kJeep, 100, STATE_JEEP_ATTACK, 110.1f, STATE_JEEP_SEEK},
        Transition{"AI-Ground-Jeep", &kJeep, 100, STATE_JEEP_RETREAT, 69.9f, STATE_JEEP_RETREAT},
        Transition{"AI-Ground-Jeep", &kJeep, 100, STATE_JEEP_RETREAT, 70, STATE_JEEP_ATTACK},
        Transition{"AI-Ground-CarGame", &kCar, 50, STATE_CAR_SPAWN, 100, STATE_CAR_TRACK},
        Transition{"AI-Seek-Missile", &kMissile, 50, STATE_MISSILE_SPAWN, 100, STATE_MISSILE_SEEK},
        Transition{"AI-Ground-Citizen", &kCitizen, 50, STATE_CITIZEN_SPAWN, 100,
                   STATE_CITIZEN_CALM},
        Transition{"AI-Ground-CitizenCardboard", &kCardboard, 50, STATE_CITIZEN_CARDBOARD_SPAWN,
                   100, STATE_CITIZEN_CARDBOARD_CALM}));

// --- tank ----------------------------------------------------------------------------------

TEST_F(UnitStatesTest, SpawnedTankFiresInSeekOnlyFromItsSecondSeekUpdate) {
    AIViewComponent* tank = Make("AI-Ground-Tank", kTank, Vector(0.0f, 0.0f, 100.0f));
    kit.look.looks[tank->owner];
    tank->m_weaponTimer = 10.0f;
    Step(tank);
    EXPECT_TRUE(tank->InState(STATE_TANK_SEEK));
    EXPECT_FALSE(kit.look.clipsPaused[tank->owner]["tred_rotation"]);
    EXPECT_EQ(Objects("Rocket"), 0u);
    Step(tank);
    EXPECT_EQ(kit.look.looks[tank->owner].clips, std::vector<std::string>{"Shoot"});
    EXPECT_EQ(Objects("Rocket"), 0u);
    Step(tank);
    EXPECT_EQ(Objects("Rocket"), 1u);
    // The only waypoint follows the robot.
    EXPECT_EQ(tank->m_waypoints.size(), 1u);
}

TEST_F(UnitStatesTest, SeekingTankBeyond160HoldsFire) {
    AIViewComponent* tank = Make("AI-Ground-Tank", kTank, Vector(0.0f, 0.0f, 160.0f));
    Step(tank);
    for (int i = 0; i < 4; ++i) {
        tank->m_weaponTimer = 10.0f;
        Step(tank);
    }
    EXPECT_EQ(Objects("Rocket"), 0u);
}

TEST_F(UnitStatesTest, AttackStopsTheTredsAndLeavingStartsThem) {
    AIViewComponent* tank = Make("AI-Ground-Tank", kTank, Vector(0.0f, 0.0f, 100.0f));
    tank->ChangeTo(STATE_TANK_ATTACK);
    EXPECT_TRUE(kit.look.clipsPaused[tank->owner]["tred_rotation"]);
    EXPECT_EQ(tank->m_reverse, 0);
    EXPECT_TRUE(tank->m_arrivalNotify);
    Step(tank); // 100 > 60: back to seek
    EXPECT_TRUE(tank->InState(STATE_TANK_SEEK));
    EXPECT_FALSE(kit.look.clipsPaused[tank->owner]["tred_rotation"]);
    tank->ChangeTo(STATE_TANK_RETREAT);
    EXPECT_EQ(tank->m_reverse, 1);
    EXPECT_FALSE(tank->m_arrivalNotify);
    EXPECT_TRUE(tank->m_waypoints.empty());
    // Leaving seek stops the exhaust.
    EXPECT_TRUE(kit.look.emissionPaused[tank->owner]);
}

TEST_F(UnitStatesTest, GuardFiresOnlyWithin110WhateverItsRangeAndKeepsItsWaypoints) {
    const std::vector<std::string> guard = {"STATE_TANK_GUARD"};
    AIViewComponent* far = Make("AI-Ground-Tank", guard, Vector(0.0f, 0.0f, 110.0f), 500.0f);
    // Paused as soon as the machine is built.
    EXPECT_TRUE(kit.look.clipsPaused[far->owner]["Shoot"]);
    EXPECT_TRUE(kit.look.clipsPaused[far->owner]["tred_rotation"]);
    far->m_waypoints = {Vector(1.0f, 2.0f, 3.0f)};
    for (int i = 0; i < 3; ++i) {
        far->m_weaponTimer = 10.0f;
        Step(far);
    }
    EXPECT_EQ(Objects("Rocket"), 0u);
    EXPECT_EQ(far->m_waypoints, (std::list<Vector>{Vector(1.0f, 2.0f, 3.0f)}));

    far->owner->position = Vector(0.0f, 0.0f, 109.0f);
    Step(far);
    Step(far);
    EXPECT_EQ(Objects("Rocket"), 1u);
    EXPECT_TRUE(far->InState(STATE_TANK_GUARD));
}

TEST_F(UnitStatesTest, TurnRateIsBoundByTheAimCosine) {
    // aim divisor 3: the aim cosine is 0.5; speed 10.
    AIViewComponent* tank = Make("AI-Ground-Tank", kTank, Vector(0.0f, 0.0f, 0.0f));
    tank->ChangeTo(STATE_TANK_ATTACK);
    kit.robot->position = Vector(50.0f, 0.0f, 0.0f); // square to the side
    const Vector before = Forward(tank->owner);
    Step(tank, 0.1f);
    const Vector after = Forward(tank->owner);
    // The integration step of (1 - 0.5) x 10 x 0.1 = 0.5 radians.
    Quaternion expected;
    Quaternion::Integrate(expected, Vector(0.0f, 1.0f, 0.0f), 0.5f);
    EXPECT_NEAR(before.Dot(after), before.Dot(-Quaternion::GetDirection(expected)), 1e-5f);
    EXPECT_GT(after.x, 0.0f); // toward the robot
    EXPECT_TRUE(tank->owner->orientationChanged);

    // Facing the robot exactly: no turn.
    AIViewComponent* facing = Make("AI-Ground-Tank", kTank, Vector(0.0f, 0.0f, 50.0f));
    kit.robot->position = Vector();
    facing->ChangeTo(STATE_TANK_ATTACK);
    const Quaternion q = facing->owner->orientation;
    Step(facing, 0.1f);
    EXPECT_NEAR(Forward(facing->owner).Dot(-Quaternion::GetDirection(q)), 1.0f, 1e-6f);
}

TEST_F(UnitStatesTest, DroppedTankStopsMovingUntilItLeaves) {
    AIViewComponent* tank = Make("AI-Ground-Tank", kTank, Vector(0.0f, 0.0f, 100.0f));
    tank->m_movementOn = true;
    tank->ChangeTo(STATE_TANK_DROPPED);
    EXPECT_FALSE(tank->m_movementOn);
    tank->ChangeTo(STATE_TANK_SEEK);
    EXPECT_TRUE(tank->m_movementOn);
}

// --- helicopter --------------------------------------------------------------------------------

TEST_F(UnitStatesTest, HelicopterSeekFiresWithin200) {
    AIViewComponent* near = Make("AI-Fly-Helicopter", kHelicopter, Vector(0.0f, 0.0f, 199.0f));
    Step(near);
    near->m_weaponTimer = 3.0f;
    Step(near);
    EXPECT_EQ(Objects("Rocket"), 1u);
    near->owner->position = Vector(0.0f, 0.0f, 200.0f);
    near->m_weaponTimer = 3.0f;
    Step(near);
    EXPECT_EQ(Objects("Rocket"), 1u);
    EXPECT_FALSE(kit.look.emissionPaused[near->owner]);
}

// --- transport ---------------------------------------------------------------------------------

struct TransportTest : UnitStatesTest {
    TransportTest() {
        UnitParams cargo;
        cargo.states = kTank;
        kit.DefineUnit("AI-Ground-Tank-Swarm", cargo);
        kit.DefineUnit("AI-Ground-Tank", cargo);
    }
};

TEST_F(TransportTest, CarriesItsTankAfterTwoUpdates) {
    AIViewComponent* transport = Make("AI-Fly-Transport", kTransport, Vector(0.0f, 150.0f, 300.0f));
    GameObject* self = transport->owner;
    ASSERT_EQ(self->childObjects.size(), 1u);
    GameObject* cargo = self->childObjects.front();
    EXPECT_EQ(cargo->name, "AI-Ground-Tank-Swarm");
    EXPECT_EQ(cargo->parentObject, self);
    EXPECT_EQ(kit.physics.calls[cargo], std::vector<std::string>{"gravity on"});
    EXPECT_EQ(kit.look.markers, std::vector<GameObject*>{cargo});
    self->SetOrientation(Yaw(0.3f));

    Step(transport);
    Step(transport);
    EXPECT_TRUE(transport->InState(STATE_TRANSPORT_SEEK));
    EXPECT_EQ(cargo->position, self->position - Vector(0.0f, 10.0f, 0.0f));
    EXPECT_NEAR(Forward(cargo).Dot(Forward(self)), 1.0f, 1e-6f);
    AIViewComponent* tank = Kit::Unit(cargo);
    EXPECT_TRUE(tank->InState(STATE_TANK_DROPPED));
    EXPECT_FALSE(tank->m_movementOn);

    // Arrival drops it: it keeps its parent and falls free.
    transport->ChangeTo(STATE_TRANSPORT_DROP);
    EXPECT_EQ(kit.physics.calls[cargo],
              (std::vector<std::string>{"gravity on", "gravity on", "unfreeze all", "wake"}));
    EXPECT_EQ(cargo->parentObject, self);
    Step(transport);
    EXPECT_TRUE(transport->InState(STATE_TRANSPORT_RETREAT));
}

TEST_F(TransportTest, EndlessModeCarriesAPlainTankWithoutMarker) {
    kit.ai->m_endlessMode = true;
    AIViewComponent* transport = Make("AI-Fly-Transport", kTransport, Vector(0.0f, 150.0f, 300.0f));
    ASSERT_EQ(transport->owner->childObjects.size(), 1u);
    EXPECT_EQ(transport->owner->childObjects.front()->name, "AI-Ground-Tank");
    EXPECT_TRUE(kit.look.markers.empty());
}

TEST_F(UnitStatesTest, TransportWithoutCargoLeavesAtOnce) {
    AIViewComponent* transport = Make("AI-Fly-Transport", kTransport, Vector(0.0f, 150.0f, 300.0f));
    EXPECT_TRUE(transport->owner->childObjects.empty());
    Step(transport);
    Step(transport);
    EXPECT_TRUE(transport->InState(STATE_TRANSPORT_RETREAT));
    Step(transport);
    ASSERT_EQ(transport->m_waypoints.size(), 1u);
    const Vector away = transport->m_waypoints.front() - transport->owner->position;
    EXPECT_GT(away.Dot(transport->owner->position), 0.0f);
}

TEST_F(UnitStatesTest, RetreatingTransportIsRemovedOnceBehindTheRobot) {
    // 250 straight ahead of the robot, which faces -z.
    AIViewComponent* transport = Make("AI-Fly-Transport", kTransport, Vector(0.0f, 0.0f, -250.0f));
    transport->ChangeTo(STATE_TRANSPORT_RETREAT);
    Step(transport);
    EXPECT_FALSE(transport->m_expired);
    kit.robot->SetOrientation(Yaw(3.14159265f));
    Step(transport);
    EXPECT_TRUE(transport->m_expired);
}

TEST_F(TransportTest, TankOutlivingItsTransportDiesCleanly) {
    AIViewComponent* transport = Make("AI-Fly-Transport", kTransport, Vector(0.0f, 150.0f, 300.0f));
    GameObject* cargo = transport->owner->childObjects.front();
    transport->ChangeTo(STATE_TRANSPORT_DROP);
    kit.level.DeleteObject(transport->owner);
    EXPECT_EQ(cargo->parentObject, nullptr);
    AIViewComponent* tank = Kit::Unit(cargo);
    tank->ChangeTo(STATE_TANK_SEEK);
    Step(tank);
    tank->m_expired = true;
    kit.ai->Update(0.01f);
    EXPECT_EQ(Objects("AI-Ground-Tank-Swarm"), 0u);
}

// --- truck and jeep ------------------------------------------------------------------------------

TEST_F(UnitStatesTest, TruckDrivingStraightAwayCountsAsLinedUp) {
    AIViewComponent* truck = Make("AI-Ground-Truck", kTruck, Vector(0.0f, 0.0f, 150.0f), 150.0f);
    truck->owner->SetOrientation(Yaw(3.14159265f)); // tail toward the robot
    truck->ChangeTo(STATE_TRUCK_RETREAT);
    Step(truck);
    EXPECT_TRUE(truck->InState(STATE_TRUCK_ATTACK));
}

TEST_F(UnitStatesTest, TruckFortyDegreesOffRetreatsBeforeFiring) {
    AIViewComponent* truck = Make("AI-Ground-Truck", kTruck, Vector(0.0f, 0.0f, 150.0f), 150.0f);
    truck->owner->SetOrientation(Yaw(40.0f * 3.14159265f / 180.0f));
    truck->ChangeTo(STATE_TRUCK_ATTACK);
    truck->m_weaponTimer = 10.0f;
    Step(truck);
    EXPECT_TRUE(truck->InState(STATE_TRUCK_RETREAT));
    EXPECT_EQ(Objects("Rocket"), 0u);
}

TEST_F(UnitStatesTest, TruckFiresThreeRocketsASecondApart) {
    AIViewComponent* truck = Make("AI-Ground-Truck", kTruck, Vector(0.0f, 0.0f, 150.0f), 150.0f);
    truck->ChangeTo(STATE_TRUCK_ATTACK);
    std::vector<int> shots;
    for (int frame = 1; frame <= 100; ++frame) {
        truck->m_weaponTimer += 0.125f;
        const std::size_t before = Objects("Rocket");
        Step(truck);
        if (Objects("Rocket") != before) {
            shots.push_back(frame);
        }
    }
    // 5.5 s, 6.5 s and 7.5 s are passed at frames 45, 53 and 61; then the cycle restarts.
    ASSERT_GE(shots.size(), 3u);
    EXPECT_EQ(std::vector<int>(shots.begin(), shots.begin() + 3), (std::vector<int>{45, 53, 61}));
    EXPECT_EQ(shots.size(), 3u);
}

TEST_F(UnitStatesTest, JeepFiresAThreeShotBurstThenWaitsForTheTimer) {
    AIViewComponent* jeep = Make("AI-Ground-Jeep", kJeep, Vector(0.0f, 0.0f, 100.0f), 100.0f);
    jeep->ChangeTo(STATE_JEEP_ATTACK);
    jeep->m_weaponTimer = 10.0f;
    Step(jeep);
    Step(jeep);
    EXPECT_EQ(Objects("Bullet"), 2u);
    Step(jeep);
    EXPECT_EQ(Objects("Bullet"), 3u);
    EXPECT_EQ(jeep->m_weaponTimer, 0.0f);
    Step(jeep);
    EXPECT_EQ(Objects("Bullet"), 3u);
    jeep->m_weaponTimer = 3.0f;
    Step(jeep);
    EXPECT_EQ(Objects("Bullet"), 3u);
    jeep->m_weaponTimer = 3.01f;
    Step(jeep);
    EXPECT_EQ(Objects("Bullet"), 4u);
}

// --- car and cardboard citizen loops ------------------------------------------------------------

struct LoopCase {
    const char* type;
    float yaw;
    std::size_t waypoints;
    // Nose up by this much instead of a yaw: no horizontal axis within 0.7 of the facing.
    float pitch = 0.0f;
};

struct LoopTest : UnitStatesTest, ::testing::WithParamInterface<LoopCase> {};

TEST_P(LoopTest, LoopIsARectangleOrTheUnitsOwnPlace) {
    const LoopCase& c = GetParam();
    const std::string type = c.type;
    const std::vector<std::string> states =
        type == "AI-Ground-CarGame" ? std::vector<std::string>{"STATE_CAR_SPAWN", "STATE_CAR_TRACK"}
                                    : std::vector<std::string>{"STATE_CITIZEN_CARDBOARD_SPAWN",
                                                               "STATE_CITIZEN_CARDBOARD_CALM"};
    const Vector at(10.0f, 0.0f, 20.0f);
    AIViewComponent* unit = Make(type, states, at);
    Quaternion q = Yaw(c.yaw);
    if (c.pitch != 0.0f) {
        q = Quaternion();
        q.x = std::sin(c.pitch / 2.0f);
        q.w = std::cos(c.pitch / 2.0f);
    }
    unit->owner->SetOrientation(q);
    Step(unit);
    ASSERT_EQ(unit->m_waypoints.size(), c.waypoints);
    const std::vector<Vector> w(unit->m_waypoints.begin(), unit->m_waypoints.end());
    EXPECT_EQ(w[0], at);
    if (w.size() == 4) {
        // Four corners, sides along the axes, closing on the start.
        for (int i = 0; i < 4; ++i) {
            const Vector side = w[(i + 1) % 4] - w[i];
            EXPECT_TRUE(side.x == 0.0f || side.z == 0.0f);
            const float length = std::fabs(side.x + side.z);
            const float step = type == "AI-Ground-CarGame" ? 60.0f : 50.0f;
            EXPECT_TRUE(length == step || length == 2.0f * step) << length;
        }
        // The first side runs along the facing.
        EXPECT_GT((w[1] - w[0]).Dot(Forward(unit->owner)), 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(Facings, LoopTest,
                         ::testing::Values(LoopCase{"AI-Ground-CarGame", 0.0f, 4},
                                           LoopCase{"AI-Ground-CarGame", 1.5707964f, 4},
                                           LoopCase{"AI-Ground-CarGame", 0.0f, 1, 1.0f},
                                           LoopCase{"AI-Ground-CitizenCardboard", 0.0f, 4},
                                           LoopCase{"AI-Ground-CitizenCardboard", 3.1415927f, 4},
                                           LoopCase{"AI-Ground-CitizenCardboard", -1.5707964f, 4},
                                           LoopCase{"AI-Ground-CitizenCardboard", 0.0f, 1, 1.0f}));

TEST_F(UnitStatesTest, FarCarAndCardboardCitizenExpire) {
    AIViewComponent* car = Make("AI-Ground-CarGame", {"STATE_CAR_TRACK"}, Vector(540, 0, 0));
    Step(car);
    EXPECT_FALSE(car->m_expired);
    car->owner->position = Vector(540.1f, 0.0f, 0.0f);
    Step(car);
    EXPECT_TRUE(car->m_expired);
    AIViewComponent* card =
        Make("AI-Ground-CitizenCardboard", {"STATE_CITIZEN_CARDBOARD_CALM"}, Vector(0, 0, 525.1f));
    Step(card);
    EXPECT_TRUE(card->m_expired);
}

// --- missile -------------------------------------------------------------------------------------

struct MissileCase {
    float degreesOffNose; // negative: the waypoint at the missile itself
    bool loops;
};

struct MissileTest : UnitStatesTest, ::testing::WithParamInterface<MissileCase> {};

TEST_P(MissileTest, LoopsOnlyWhenTheWaypointIsMoreThan120DegreesOffTheNose) {
    AIViewComponent* missile = Make("AI-Seek-Missile", kMissile, Vector(0.0f, 0.0f, 0.0f));
    kit.robot->position = Vector(0.0f, 0.0f, -500.0f);
    missile->ChangeTo(STATE_MISSILE_SEEK);
    const float a = GetParam().degreesOffNose * 3.14159265f / 180.0f;
    const Vector waypoint =
        GetParam().degreesOffNose < 0.0f ? Vector() : Vector(std::sin(a), 0, -std::cos(a)) * 40;
    missile->m_waypoints = {waypoint};
    Step(missile);
    EXPECT_EQ(missile->InState(STATE_MISSILE_LOOPBACK), GetParam().loops);
    ASSERT_EQ(missile->m_waypoints.size(), 1u);
    // Looping: a point 60 ahead of the nose; else the robot.
    EXPECT_EQ(missile->m_waypoints.front(),
              GetParam().loops ? Vector(0.0f, 0.0f, -60.0f) : kit.robot->position);
}

INSTANTIATE_TEST_SUITE_P(Angles, MissileTest,
                         ::testing::Values(MissileCase{0.0f, false}, MissileCase{119.0f, false},
                                           MissileCase{121.0f, true}, MissileCase{180.0f, true},
                                           MissileCase{-1.0f, false}));

// --- citizens ----------------------------------------------------------------------------------

TEST_F(UnitStatesTest, PanickingCitizenBurnsAndExpiresAfterSixSeconds) {
    AIViewComponent* citizen =
        Make("AI-Ground-Citizen", {"STATE_CITIZEN_CALM", "STATE_CITIZEN_PANIC"}, Vector(5, 0, 5));
    kit.look.looks[citizen->owner];
    const float speed = citizen->m_speed;
    citizen->ChangeTo(STATE_CITIZEN_PANIC);
    EXPECT_EQ(citizen->m_speed, speed + 40.0f);
    EXPECT_EQ(kit.look.looks[citizen->owner].hdr, 8.0f);
    EXPECT_EQ(kit.look.systems[citizen->owner],
              (std::vector<std::string>{"CitizenFlame", "CitizenSmoke", "CitizenIgnite"}));
    ASSERT_EQ(kit.audio.played.size(), 1u);
    const std::string path = kit.audio.played[0].path;
    EXPECT_TRUE(path == "assets/sound fx/citizen_fire1.mp3" ||
                path == "assets/sound fx/citizen_fire2.mp3")
        << path;
    EXPECT_EQ(kit.audio.played[0].volume, 0.65f);
    EXPECT_FALSE(kit.audio.played[0].loop);

    int expiredAt = 0;
    for (int step = 1; step <= 20 && expiredAt == 0; ++step) {
        Step(citizen, 0.5f);
        if (citizen->m_expired) {
            expiredAt = step;
        }
    }
    // Panic time 6.5 before adding is the first above 6.
    EXPECT_EQ(expiredAt, 14);
    EXPECT_GE(kit.look.looks[citizen->owner].hdr, 7.0f);
}

TEST_F(UnitStatesTest, PanickingCitizenWithoutGraphicOnlyRunsFaster) {
    AIViewComponent* citizen =
        Make("AI-Ground-Citizen", {"STATE_CITIZEN_CALM", "STATE_CITIZEN_PANIC"}, Vector(5, 0, 5));
    const float speed = citizen->m_speed;
    citizen->ChangeTo(STATE_CITIZEN_PANIC);
    EXPECT_EQ(citizen->m_speed, speed + 40.0f);
    EXPECT_TRUE(kit.look.systems.empty());
    EXPECT_TRUE(kit.audio.played.empty());
}

TEST_F(UnitStatesTest, CalmCitizenWalksThroughItsBodyAndExpiresFarAway) {
    AIViewComponent* citizen = Make("AI-Ground-Citizen", {"STATE_CITIZEN_CALM"}, Vector(5, 0, 5));
    Step(citizen);
    const auto& moves = Kit::Body(citizen->owner)->moves;
    ASSERT_EQ(moves.size(), 1u);
    // At least the aim cosine times the speed, at most the speed, for one tenth of a second.
    EXPECT_GE(moves[0].Length(), 0.5f * citizen->m_speed * 0.1f - 1e-4f);
    EXPECT_LE(moves[0].Length(), citizen->m_speed * 0.1f + 1e-4f);
    EXPECT_NEAR(moves[0].y, 0.0f, 1e-6f);
    EXPECT_FALSE(citizen->m_expired);
    citizen->owner->position = Vector(0.0f, 0.0f, 525.1f);
    Step(citizen);
    EXPECT_TRUE(citizen->m_expired);
}

// --- grabbed and thrown --------------------------------------------------------------------------

TEST_F(UnitStatesTest, GrabbedUnitNeverExpiresByLifetime) {
    AIViewComponent* tank = Make("AI-Ground-Tank-Swarm", kTank, Vector(0.0f, 0.0f, 50.0f));
    tank->m_lifetimeOn = true;
    tank->m_lifetime = 0.05f;
    Message<GameObject*> grab(MSG_GRAB, tank->owner);
    tank->HandleMessage(&grab, HANDLER_PLAYER_PROCESS);
    ASSERT_TRUE(tank->InState(STATE_GRABBED));
    EXPECT_FALSE(tank->m_lifetimeOn);
    EXPECT_FALSE(kit.look.clipsPaused[tank->owner]["tred_rotation"]);
    for (int i = 0; i < 10; ++i) {
        tank->Update(0.1f);
    }
    EXPECT_FALSE(tank->m_expired);
}

TEST_F(UnitStatesTest, GrabbedHelicopterPausesItsRotorOnlyByItsExactName) {
    AIViewComponent* heli = Make("AI-Fly-Helicopter", kHelicopter, Vector(0.0f, 0.0f, 50.0f));
    AIViewComponent* other = Make("AI-Fly-Helicopter2", kHelicopter, Vector(0.0f, 0.0f, 60.0f));
    heli->ChangeTo(STATE_GRABBED);
    other->ChangeTo(STATE_GRABBED);
    EXPECT_TRUE(kit.look.clipsPaused[heli->owner]["Idle"]);
    EXPECT_EQ(kit.look.clipsPaused.count(other->owner), 0u);
    kit.physics.mass[heli->owner] = 1.0f;
    heli->ChangeTo(STATE_THROWN);
    EXPECT_FALSE(kit.look.clipsPaused[heli->owner]["Idle"]);
}

TEST_F(UnitStatesTest, ThrowFreesTheBodyThenSpinsIt) {
    AIViewComponent* tank = Make("AI-Ground-Tank", kTank, Vector(0.0f, 0.0f, 50.0f));
    GameObject* o = tank->owner;
    kit.physics.mass[o] = 2.0f;
    kit.physics.inertia[o] = Vector(3.0f, 0.0f, 4.0f);
    tank->m_movementOn = true;
    Message<GameObject*> thrown(MSG_THROWN, o);
    tank->HandleMessage(&thrown, HANDLER_PLAYER_PROCESS);
    ASSERT_TRUE(tank->InState(STATE_THROWN));
    EXPECT_EQ(kit.physics.calls[o],
              (std::vector<std::string>{"gravity on", "clear 128", "clear 112", "clear 4", "wake",
                                        "damping 0.000000", "torque"}));
    ASSERT_EQ(kit.physics.torques.size(), 1u);
    // |torque| = |inertia| x m x mass, m from 150 to 298.5.
    const float length = kit.physics.torques[0].Length();
    EXPECT_GE(length, 5.0f * 150.0f * 2.0f * 0.999f);
    EXPECT_LE(length, 5.0f * 298.5f * 2.0f * 1.001f);
    EXPECT_FALSE(tank->m_movementOn);
}

TEST_F(UnitStatesTest, ThrownUnitExpiresAfter2Point8SecondsWithOrWithoutBody) {
    for (bool body : {true, false}) {
        AIViewComponent* unit = Make(body ? "AI-Ground-Tank" : "AI-Ground-Jeep", {"STATE_THROWN"},
                                     Vector(0, 0, 50), 50.0f, body);
        if (body) {
            kit.physics.mass[unit->owner] = 1.0f;
        }
        unit->m_health = 1000;
        for (int i = 0; i < 11; ++i) {
            Step(unit, 0.25f);
        }
        EXPECT_FALSE(unit->m_expired);
        Step(unit, 0.25f);
        EXPECT_TRUE(unit->m_expired);
        EXPECT_FALSE(unit->m_movementOn);
        if (!body) {
            EXPECT_EQ(kit.physics.calls.count(unit->owner), 0u);
        }
    }
}

TEST(UnitStateTable, EveryUnitStateHasAClass) {
    RegisterUnitStates();
    for (i32 id : {STATE_TANK_SPAWN, STATE_TANK_GUARD, STATE_TANK_DROPPED, STATE_TRUCK_SEEK,
                   STATE_JEEP_RETREAT, STATE_HELICOPTER_SEEK, STATE_TRANSPORT_SEEK, STATE_CAR_TRACK,
                   STATE_GRABBED, STATE_THROWN, STATE_MISSILE_EXPLODE, STATE_CITIZEN_PANIC,
                   STATE_CITIZEN_CARDBOARD_CALM}) {
        State* state = MakeState(id);
        EXPECT_NE(state, nullptr) << StateIdName(id);
        delete state;
    }
    ClearStateFactories();
}

} // namespace
