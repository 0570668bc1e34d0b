#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "PhysX/physx_component.h"
#include "ai/ai_movement.h"
#include "ai_kit.h"
#include "game/collision.h"

namespace {

using ai_kit::Kit;
using ai_kit::UnitParams;

const std::vector<std::string> kAllStates = [] {
    std::vector<std::string> names = {"STATE_TANK_SPAWN"};
    for (i32 id = 1; id < kStateIdCount; ++id) {
        if (id != STATE_TANK_SPAWN && StateIdHasClass(id)) {
            names.push_back(StateIdName(id));
        }
    }
    return names;
}();

struct UnitTest : ::testing::Test {
    Kit kit;

    AIViewComponent* Make(const std::string& type, UnitParams p = {},
                          const Vector& at = Vector(0.0f, 0.0f, 0.0f)) {
        if (p.states.empty()) {
            p.states = kAllStates;
        }
        kit.DefineUnit(type, p);
        AIViewComponent* unit = Kit::Unit(kit.Spawn(type, at));
        // A fresh unit sits exactly at the end of its hit cool-down; one frame later it counts
        // hits.
        unit->m_timeSinceHit += 0.01f;
        return unit;
    }
};

TEST_F(UnitTest, InitializeReadsTheDefinitionAndReportsTheSpawn) {
    kit.MakeRobot(Vector(0.0f, 0.0f, 100.0f));
    UnitParams p;
    p.health = 70;
    p.range = 40.0f;
    p.aimDivisor = 4.0f;
    p.speed = 12.0f;
    p.seekGain = 2.0f;
    p.headingGain = 0.5f;
    p.avoidGain = 3.0f;
    AIViewComponent* unit = Make("AI-Ground-Tank", p, Vector(5.0f, 0.0f, 6.0f));
    EXPECT_EQ(unit->m_maxHealth, 70);
    EXPECT_EQ(unit->m_health, 70);
    EXPECT_GE(unit->m_range, 37.0f);
    EXPECT_LE(unit->m_range, 42.0f);
    EXPECT_FLOAT_EQ(unit->m_aimCosine, std::cos(3.14159265f / 4.0f));
    EXPECT_EQ(unit->m_baseSpeed, 12.0f);
    EXPECT_EQ(unit->m_speed, 12.0f);
    EXPECT_TRUE(unit->m_movementOn);
    EXPECT_TRUE(unit->m_arrivalNotify);
    EXPECT_EQ(unit->m_seekGain, 2.0f);
    EXPECT_EQ(unit->m_headingGain, 0.5f);
    EXPECT_EQ(unit->m_avoidGain, 3.0f);
    EXPECT_EQ(unit->m_target, kit.robot);
    EXPECT_EQ(unit->m_object, unit->owner);
    ASSERT_EQ(unit->m_waypoints.size(), 1u);
    EXPECT_EQ(unit->m_waypoints.front(), Vector(5.0f, 0.0f, 6.0f));
    EXPECT_NE(dynamic_cast<TankMovement*>(unit->m_movement), nullptr);
    EXPECT_EQ(kit.Payloads<std::string>(16, MSG_OBJECT_LEVEL_SPAWN),
              std::vector<std::string>{"AI-Ground-Tank"});
}

TEST_F(UnitTest, RangeJitterIsOneOfSixWholeOffsets) {
    std::set<float> offsets;
    for (int i = 0; i < 60; ++i) {
        offsets.insert(Make("AI-Ground-Tank")->m_range - 50.0f);
    }
    EXPECT_EQ(offsets, (std::set<float>{-3.0f, -2.0f, -1.0f, 0.0f, 1.0f, 2.0f}));
}

TEST_F(UnitTest, AShortStreamLeavesTheConstructionValues) {
    StreamMap s;
    s.WriteString("AI-Ground-Tank");
    s.WriteString("AIView");
    s.AddInt("health", 30);
    kit.level.m_definitions["AI-Ground-Tank"].emplace(ComponentType::AIView, s);
    AIViewComponent* unit = Kit::Unit(kit.Spawn("AI-Ground-Tank"));
    EXPECT_EQ(unit->m_health, 30);
    EXPECT_EQ(unit->m_speed, 0.0f);
    EXPECT_EQ(unit->m_aimCosine, 0.0f);
    EXPECT_FALSE(unit->m_movementOn);
    EXPECT_EQ(unit->m_stateMachine->m_current, nullptr);
    EXPECT_EQ(unit->m_lifetime, 0.5f);
    EXPECT_EQ(unit->m_hitCooldown, 0.201f);
}

TEST_F(UnitTest, MovementModelAndEngineLoopFollowTheTypeName) {
    struct Case {
        const char* type;
        const char* model; // T tank, H helicopter, M missile, - none
        const char* loop;
    };
    const Case cases[] = {
        {"AI-Ground-Tank", "T", "./assets/sound fx/tank.mp3"},
        {"AI-Ground-Tank-Swarm", "T", "./assets/sound fx/tank.mp3"},
        {"AI-Ground-Jeep", "T", nullptr},
        {"AI-Fly-UFOChild", "-", nullptr},
        {"AI-Fly-MothershipTurret", "-", nullptr},
        {"AI-Boss-Fly-MothershipTurret", "H", nullptr},
        {"AI-Fly-Helicopter", "H", "./assets/sound fx/helicopter.mp3"},
        {"AI-Fly-Transport", "H", "./assets/sound fx/helicopter.mp3"},
        {"AI-Fly-MediumUFO", "H", nullptr},
        {"AI-Seek-Missile", "M", nullptr},
        {"Tiny", "-", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        kit.audio.played.clear();
        AIViewComponent* unit = Make(c.type);
        const char model = dynamic_cast<TankMovement*>(unit->m_movement)         ? 'T'
                           : dynamic_cast<HelicopterMovement*>(unit->m_movement) ? 'H'
                           : dynamic_cast<MissileMovement*>(unit->m_movement)    ? 'M'
                                                                                 : '-';
        EXPECT_EQ(model, c.model[0]);
        if (c.loop == nullptr) {
            EXPECT_TRUE(kit.audio.played.empty());
            EXPECT_EQ(unit->m_soundInstance, nullptr);
        } else {
            ASSERT_EQ(kit.audio.played.size(), 1u);
            EXPECT_EQ(kit.audio.played[0].path, c.loop);
            EXPECT_TRUE(kit.audio.played[0].loop);
            EXPECT_NE(unit->m_soundInstance, nullptr);
        }
    }
}

TEST_F(UnitTest, NoSoundPlayerMeansNoEngineLoop) {
    kit.audio.players = false;
    AIViewComponent* tank = Make("AI-Ground-Tank");
    EXPECT_EQ(tank->m_soundInstance, nullptr);
    EXPECT_TRUE(kit.audio.played.empty());
}

TEST_F(UnitTest, MediumUfoHasFixedHealthInEndlessModeOnly) {
    UnitParams p;
    p.health = 80;
    EXPECT_EQ(Make("AI-Fly-MediumUFO", p)->m_health, 80);
    Message<bool> endless(MSG_ENDLESS_MODE_ON, true);
    kit.ai->HandleMessage(&endless, 16);
    AIViewComponent* unit = Make("AI-Fly-MediumUFO", p);
    EXPECT_EQ(unit->m_health, 135);
    EXPECT_EQ(unit->m_maxHealth, 135);
}

TEST_F(UnitTest, DistanceRulesScaleSpeedAndExpireFarUnits) {
    struct Case {
        const char* type;
        float distance;
        float speedFactor; // negative: speed untouched
        bool expired;
        bool tutorial;
    };
    const Case cases[] = {
        {"AI-Ground-Tank", 601.0f, 10.0f, false, false},
        {"AI-Ground-Tank", 601.01f, 10.0f, true, false},
        {"AI-Fly-Helicopter", 260.0f, 2.0f, false, false},
        {"AI-Fly-Helicopter", 240.0f, 1.0f, false, false},
        {"AI-Fly-Helicopter", 0.0f, 0.0f, false, false},
        {"AI-Ground-Citizen", 300.0f, -1.0f, true, false},
        {"AI-Ground-Citizen", 250.0f, -1.0f, false, false},
        {"AI-Boss-Fly-UFO", 700.0f, -1.0f, false, false},
        {"AI-Fly-Transport", 700.0f, -1.0f, false, false},
    };
    kit.MakeRobot();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " at " + std::to_string(c.distance));
        AIViewComponent* unit = Make(c.type, {}, Vector(0.0f, 0.0f, c.distance));
        unit->m_speed = 99.0f;
        unit->UpdateDistanceRules();
        if (c.speedFactor >= 0.0f) {
            EXPECT_FLOAT_EQ(unit->m_speed, c.speedFactor * unit->m_baseSpeed);
        } else {
            EXPECT_EQ(unit->m_speed, 99.0f);
        }
        EXPECT_EQ(unit->m_expired, c.expired);
    }
}

TEST(UnitTutorial, CitizensReachFurtherInTheTutorial) {
    Kit kit(true);
    kit.MakeRobot();
    UnitParams p;
    p.states = {"STATE_CITIZEN_SPAWN"};
    kit.DefineUnit("AI-Ground-Citizen", p);
    AIViewComponent* unit = Kit::Unit(kit.Spawn("AI-Ground-Citizen", Vector(300.0f, 0.0f, 0.0f)));
    unit->UpdateDistanceRules();
    EXPECT_FALSE(unit->m_expired);
}

TEST_F(UnitTest, HitsInsideTheCooldownCountNothing) {
    kit.MakeRobot();
    AIViewComponent* unit = Make("AI-Ground-Truck");
    unit->TakeDamage(10);
    EXPECT_EQ(unit->m_health, 90);
    unit->Update(0.1f);
    unit->TakeDamage(10);
    EXPECT_EQ(unit->m_health, 90);
    unit->Update(0.15f);
    unit->TakeDamage(10);
    EXPECT_EQ(unit->m_health, 80);
}

TEST_F(UnitTest, ZeroHealthLivesAndBelowZeroExpires) {
    AIViewComponent* unit = Make("AI-Ground-Truck");
    unit->TakeDamage(100);
    EXPECT_EQ(unit->m_health, 0);
    EXPECT_FALSE(unit->m_expired);
    unit->m_timeSinceHit = 1.0f;
    unit->TakeDamage(1);
    EXPECT_TRUE(unit->m_expired);
}

TEST_F(UnitTest, DamageSpeedsUpAnimationsAndSurvivesAZeroMaximum) {
    UnitParams p;
    p.health = 0;
    AIViewComponent* unit = Make("AI-Ground-Truck", p);
    kit.look.looks[unit->owner];
    unit->TakeDamage(1);
    EXPECT_TRUE(unit->m_expired);
    EXPECT_FLOAT_EQ(kit.look.looks[unit->owner].animationSpeed, 3.0f);

    AIViewComponent* hurt = Make("AI-Ground-Truck");
    kit.look.looks[hurt->owner];
    hurt->TakeDamage(50);
    EXPECT_FLOAT_EQ(kit.look.looks[hurt->owner].animationSpeed, 1.5f);
}

TEST_F(UnitTest, UfoBossBelowZeroChangesToItsDieStateOnce) {
    kit.MakeRobot();
    kit.ai->m_ufoShield = false;
    AIViewComponent* boss = Make("AI-Boss-Fly-UFO");
    kit.look.looks[boss->owner];
    boss->TakeDamage(101);
    EXPECT_TRUE(boss->InState(STATE_UFO_DIE));
    EXPECT_TRUE(kit.look.looks[boss->owner].red);
    ai_kit::StateLog().clear();
    boss->m_timeSinceHit = 1.0f;
    boss->TakeDamage(5);
    EXPECT_TRUE(ai_kit::StateLog().empty());
    EXPECT_FALSE(boss->m_expired);
    boss->Expire();
    EXPECT_FALSE(boss->m_expired);
}

TEST_F(UnitTest, ShieldedAndGrabbedUnitsTakeNoDamage) {
    kit.MakeRobot();
    AIViewComponent* child = Make("AI-Fly-UFOChild");
    child->TakeDamage(10);
    EXPECT_EQ(child->m_health, 100);
    AIViewComponent* held = Make("AI-Ground-Tank");
    held->ChangeTo(STATE_GRABBED);
    held->TakeDamage(500);
    held->Expire();
    EXPECT_EQ(held->m_health, 100);
    EXPECT_FALSE(held->m_expired);
}

TEST_F(UnitTest, BossesFlashTwiceInTheCooldown) {
    kit.MakeRobot();
    kit.ai->m_ufoShield = false;
    AIViewComponent* boss = Make("AI-Boss-Fly-UFO");
    kit.look.looks[boss->owner];
    boss->TakeDamage(1);
    std::string pattern;
    for (int i = 0; i < 11; ++i) {
        boss->UpdateHitFlash(0.02f);
        pattern += kit.look.looks[boss->owner].red ? 'R' : '.';
    }
    EXPECT_EQ(pattern, "RRR...RRRR.");
    EXPECT_FLOAT_EQ(kit.look.looks[boss->owner].hdr, 1.0f);
}

// --- messages ----------------------------------------------------------------------------

struct ArrivalCase {
    const char* type;
    i32 before;
    i32 after;
};

TEST_F(UnitTest, ArrivalChangesToTheStateItsNameRowGives) {
    kit.MakeRobot();
    const ArrivalCase cases[] = {
        {"AI-Ground-Tank", STATE_TANK_SPAWN, STATE_TANK_ATTACK},
        {"AI-Ground-TankObjective", STATE_TANK_SPAWN, STATE_TANK_ATTACK},
        {"AI-Ground-Truck", STATE_TANK_SPAWN, STATE_TRUCK_ATTACK},
        {"AI-Ground-Jeep", STATE_TANK_SPAWN, STATE_JEEP_ATTACK},
        {"AI-Fly-Helicopter", STATE_TANK_SPAWN, STATE_HELICOPTER_ATTACK},
        {"AI-Fly-HelicopterHeavy", STATE_TANK_SPAWN, STATE_TANK_SPAWN},
        {"AI-Fly-Transport", STATE_TANK_SPAWN, STATE_TRANSPORT_DROP},
        {"AI-Boss-Fly-MothershipBase", STATE_TANK_SPAWN, STATE_MOTHERSHIP_ATTACK},
        {"AI-Boss-Fly-MothershipBase", STATE_MOTHERSHIP_DIE, STATE_MOTHERSHIP_DIE},
        {"AI-Boss-Fly-UFO", STATE_TANK_SPAWN, STATE_UFO_ATTACK},
        {"AI-Boss-Fly-UFO", STATE_UFO_DIE, STATE_UFO_DIE},
        {"AI-Fly-MediumUFO", STATE_TANK_SPAWN, STATE_MEDIUM_UFO_ATTACK},
        {"AI-Boss-Fly-Flythra", STATE_FLYTHRA_DIE, STATE_FLYTHRA_DIE},
        {"AI-Seek-Missile", STATE_MISSILE_LOOPBACK, STATE_MISSILE_SEEK},
        {"AI-Seek-Missile", STATE_MISSILE_SEEK, STATE_MISSILE_EXPLODE},
        {"AI-Ground-Tank", STATE_GRABBED, STATE_GRABBED},
        {"AI-Ground-Tank", STATE_THROWN, STATE_THROWN},
        {"Unlisted-Type", STATE_TANK_SPAWN, STATE_TANK_SPAWN},
    };
    for (const ArrivalCase& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " from " + StateIdName(c.before));
        AIViewComponent* unit = Make(c.type);
        unit->ChangeTo(c.before);
        BaseMessage arrival(MSG_SEEK_ARRIVAL);
        unit->HandleMessage(&arrival, unit->id);
        EXPECT_TRUE(unit->InState(c.after)) << StateIdName(c.after);
    }
}

TEST_F(UnitTest, TrackUnitsCycleTheirWaypointsOnArrival) {
    AIViewComponent* car = Make("AI-Ground-CarGame");
    car->m_waypoints = {Vector(1, 0, 0), Vector(2, 0, 0), Vector(3, 0, 0)};
    BaseMessage arrival(MSG_SEEK_ARRIVAL);
    car->HandleMessage(&arrival, car->id);
    EXPECT_EQ(car->m_waypoints,
              (std::list<Vector>{Vector(2, 0, 0), Vector(3, 0, 0), Vector(1, 0, 0)}));
}

TEST_F(UnitTest, GrabAndThrowSkipCitizensAndBosses) {
    kit.MakeRobot();
    struct Case {
        const char* type;
        bool grabbed;
        bool thrown;
    };
    const Case cases[] = {
        {"AI-Ground-Tank", true, true},
        {"AI-Ground-Citizen", false, false},
        {"AI-Ground-CitizenCardboard", false, false},
        {"Citizen-Other", false, true},
        {"AI-Boss-Fly-UFO", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        AIViewComponent* unit = Make(c.type);
        BaseMessage grab(MSG_GRAB);
        unit->HandleMessage(&grab, 0);
        EXPECT_EQ(unit->InState(STATE_GRABBED), c.grabbed);
        unit->ChangeTo(STATE_TANK_SPAWN);
        BaseMessage thrown(MSG_THROWN);
        unit->HandleMessage(&thrown, 0);
        EXPECT_EQ(unit->InState(STATE_THROWN), c.thrown);
    }
}

TEST_F(UnitTest, FlyerUnderTheLaserGlowsLosesHealthAndFallsBelowFifty) {
    kit.MakeRobot();
    AIViewComponent* heli = Make("AI-Fly-Helicopter");
    kit.look.looks[heli->owner];
    GameObject beam("LaserBeam");
    heli->m_stateMachine->m_beams.push_back(BeamRecord{&beam, Vector(), 0.0f, 0.0f});
    BaseMessage laser(MSG_LASER_OBJ);
    heli->HandleMessage(&laser, 0);
    const i32 lost = 100 - heli->m_health;
    EXPECT_GE(lost, 25);
    EXPECT_LE(lost, 34);
    EXPECT_FLOAT_EQ(kit.look.looks[heli->owner].hdr, 1.3f);
    // Inside the cool-down: glow only.
    heli->HandleMessage(&laser, 0);
    EXPECT_EQ(heli->m_health, 100 - lost);
    EXPECT_FLOAT_EQ(kit.look.looks[heli->owner].hdr, 1.6f);
    EXPECT_FALSE(heli->InState(STATE_THROWN));
    heli->m_timeSinceHit = 1.0f;
    heli->HandleMessage(&laser, 0);
    EXPECT_LT(heli->m_health, 50);
    EXPECT_TRUE(heli->InState(STATE_THROWN));
    EXPECT_TRUE(heli->m_stateMachine->m_beams.empty());
    EXPECT_EQ(kit.Count(1, MSG_GRAPHICS_LASER_BEAM_DELETION), 1u);
}

TEST_F(UnitTest, LaserDamageByKind) {
    kit.MakeRobot();
    struct Case {
        const char* type;
        i32 health;
    };
    const Case cases[] = {
        {"AI-Boss-Fly-MothershipBase", 100},
        {"AI-Boss-Fly-Flythra", 81},
        {"AI-Ground-Tank", 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        AIViewComponent* unit = Make(c.type);
        BaseMessage laser(MSG_LASER_OBJ);
        unit->HandleMessage(&laser, 0);
        EXPECT_EQ(unit->m_health, c.health);
    }
}

TEST_F(UnitTest, PanicReachesOnlyCitizens) {
    kit.MakeRobot();
    AIViewComponent* citizen = Make("AI-Ground-Citizen");
    AIViewComponent* tank = Make("AI-Ground-Tank");
    BaseMessage panic(MSG_CITIZEN_PANIC);
    citizen->HandleMessage(&panic, 0);
    tank->HandleMessage(&panic, 0);
    EXPECT_TRUE(citizen->InState(STATE_CITIZEN_PANIC));
    EXPECT_FALSE(tank->InState(STATE_CITIZEN_PANIC));
}

TEST_F(UnitTest, PushesHurtBossesAndDestroyOrdinaryUnits) {
    struct Case {
        const char* type;
        i32 health;
        bool expired;
    };
    const Case cases[] = {
        {"AI-Fly-MediumUFO", 80, false},
        {"AI-Boss-Fly-Flythra", 97, false},
        {"AI-Ground-Citizen", 91, false},
        {"AI-Ground-Tank", 100, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        AIViewComponent* unit = Make(c.type);
        Message<float> push(MSG_PHYSICS_FORCE, 1.0f);
        unit->HandleMessage(&push, 9);
        EXPECT_EQ(unit->m_health, c.health);
        EXPECT_EQ(unit->m_expired, c.expired);
    }
}

// --- contacts ------------------------------------------------------------------------------

struct ContactTest : UnitTest {
    PhysXComponent* BodyFor(GameObject* object) {
        auto* body = new PhysXComponent(object->name, PhysicsParams(), nullptr);
        m_bodies.emplace_back(body);
        body->owner = object;
        return body;
    }
    GameObject* Other(const std::string& name, bool building = false) {
        GameObject* o = kit.level.Adopt(new GameObject(name));
        if (building) {
            o->AddComponent(ComponentType::Building, kit.plain.Make(name));
        }
        return o;
    }
    void Touch(AIViewComponent* unit, GameObject* other, bool unitFirst = true) {
        PhysXComponent* a = BodyFor(unit->owner);
        PhysXComponent* b = BodyFor(other);
        Collision c(Vector(), Vector(), unitFirst ? a : b, unitFirst ? b : a,
                    Collision::kBothDynamic, 2);
        Message<Collision> msg(MSG_PHYSICS_COLLISION, c);
        unit->HandleMessage(&msg, 9);
    }
    std::vector<std::unique_ptr<PhysXComponent>> m_bodies;
};

TEST_F(ContactTest, CitizensDieUnderTheRobotAndFastBuildingPieces) {
    kit.MakeRobot();
    struct Case {
        const char* other;
        bool building;
        float speed;
        bool expired;
    };
    const Case cases[] = {
        {"RobotLeg", false, 0.0f, true},
        {"Building-A", true, 0.0f, false},
        {"Building-A", true, 7.0f, true},
        {"Building-A", true, 5.9f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.other) + " " + std::to_string(c.speed));
        AIViewComponent* citizen = Make("AI-Ground-Citizen");
        GameObject* other = Other(c.other, c.building);
        other->velocity = Vector(c.speed, 0.0f, 0.0f);
        Touch(citizen, other);
        EXPECT_EQ(citizen->m_expired, c.expired);
    }
}

TEST_F(ContactTest, RobotBodyHurtsBossesOnly) {
    kit.MakeRobot();
    AIViewComponent* tank = Make("AI-Ground-Tank");
    AIViewComponent* boss = Make("AI-Boss-Fly-Flythra");
    Touch(tank, Other("RobotBody"), false);
    Touch(boss, Other("RobotBody"), false);
    EXPECT_EQ(tank->m_health, 100);
    EXPECT_FALSE(tank->m_expired);
    EXPECT_EQ(boss->m_health, 49);
}

TEST_F(ContactTest, ThrownUnitsDestroyEachOther) {
    kit.MakeRobot();
    AIViewComponent* thrown = Make("AI-Ground-Tank");
    AIViewComponent* hit = Make("AI-Fly-Helicopter");
    thrown->ChangeTo(STATE_THROWN);
    Touch(hit, thrown->owner);
    EXPECT_TRUE(hit->m_expired);
    EXPECT_TRUE(thrown->m_expired);
}

TEST_F(ContactTest, DroppedTankLandsOnThePlaneAndSeeks) {
    kit.MakeRobot();
    AIViewComponent* tank = Make("AI-Ground-Tank");
    tank->ChangeTo(STATE_TANK_DROPPED);
    Touch(tank, Other("InvisiblePlane"));
    EXPECT_TRUE(tank->InState(STATE_TANK_SEEK));
}

TEST_F(ContactTest, PausedProcessIgnoresContacts) {
    kit.MakeRobot();
    AIViewComponent* citizen = Make("AI-Ground-Citizen");
    kit.ai->paused = true;
    Touch(citizen, Other("RobotLeg"));
    EXPECT_FALSE(citizen->m_expired);
}

// --- shots -------------------------------------------------------------------------------

struct ShotTest : UnitTest {
    GameObject* Shot(const std::string& name = "Rocket") {
        return kit.level.Adopt(new GameObject(name));
    }
};

TEST_F(ShotTest, TankRocketLeavesAheadAndPointsAtTheRobot) {
    kit.MakeRobot(Vector(0.0f, 0.0f, -200.0f));
    AIViewComponent* tank = Make("AI-Ground-Tank", {}, Vector(0.0f, 0.0f, 0.0f));
    GameObject* rocket = Shot();
    Message<GameObject*> created(MSG_LEVEL_OBJECT_CREATED, rocket);
    tank->HandleMessage(&created, 6);
    EXPECT_EQ(tank->m_createdObject, rocket);
    // Unturned, the tank faces -z: the rocket starts 6 ahead and 2 up.
    EXPECT_EQ(rocket->position, Vector(0.0f, 2.0f, -6.0f));
    const Vector forward = -Quaternion::GetDirection(rocket->orientation);
    const Vector toRobot = (kit.robot->position - rocket->position).Normalize();
    EXPECT_GT(forward.Dot(toRobot), 0.98f);
}

TEST_F(ShotTest, TruckShotsLeaveFromSixPoints) {
    kit.MakeRobot(Vector(0.0f, 0.0f, -200.0f));
    AIViewComponent* truck = Make("AI-Ground-Truck", {}, Vector(10.0f, 0.0f, 0.0f));
    std::set<std::pair<float, float>> points;
    for (int i = 0; i < 200; ++i) {
        GameObject* rocket = Shot();
        Message<GameObject*> created(MSG_LEVEL_OBJECT_CREATED, rocket);
        truck->HandleMessage(&created, 6);
        points.insert({rocket->position.x - 10.0f, rocket->position.y});
        kit.level.DeleteObject(rocket);
    }
    EXPECT_EQ(
        points,
        (std::set<std::pair<float, float>>{
            {-3.0f, 2.0f}, {0.0f, 2.0f}, {3.0f, 2.0f}, {6.0f, 1.0f}, {0.0f, 1.0f}, {3.0f, 1.0f}}));
}

TEST_F(ShotTest, HelicopterRocketPassesThroughItsHelicopter) {
    kit.MakeRobot(Vector(0.0f, 0.0f, -200.0f));
    AIViewComponent* heli = Make("AI-Fly-Helicopter", {}, Vector(0.0f, 50.0f, 0.0f));
    GameObject* rocket = Shot();
    Message<GameObject*> created(MSG_LEVEL_OBJECT_CREATED, rocket);
    heli->HandleMessage(&created, 6);
    const auto pairs = kit.Payloads<std::pair<std::pair<GameObject*, GameObject*>, bool>>(
        9, MSG_PHYSICS_SET_OBJECTS_COLLIDABLE);
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].first.first, rocket);
    EXPECT_EQ(pairs[0].first.second, heli->owner);
    EXPECT_FALSE(pairs[0].second);
}

TEST_F(ShotTest, NullCreatedObjectIsOnlyStored) {
    kit.MakeRobot();
    for (const char* type :
         {"AI-Ground-Tank", "AI-Fly-Helicopter", "AI-Ground-Truck", "Tiny", "AI-Boss-Fly-UFO"}) {
        SCOPED_TRACE(type);
        AIViewComponent* unit = Make(type);
        unit->m_createdObject = unit->owner;
        Message<GameObject*> created(MSG_LEVEL_OBJECT_CREATED, nullptr);
        unit->HandleMessage(&created, 6);
        EXPECT_EQ(unit->m_createdObject, nullptr);
    }
}

TEST_F(ShotTest, SaucerPulsesAreScaledAndOnlyLaserPulsesArePlaced) {
    kit.MakeRobot(Vector(0.0f, 0.0f, -200.0f));
    AIViewComponent* ufo = Make("AI-Fly-MediumUFO", {}, Vector(0.0f, 60.0f, 0.0f));
    GameObject* other = Shot("Rocket");
    Message<GameObject*> wrong(MSG_LEVEL_OBJECT_CREATED, other);
    ufo->HandleMessage(&wrong, 6);
    EXPECT_EQ(other->position, Vector());
    GameObject* pulse = Shot("LaserPulseSmall");
    Message<GameObject*> created(MSG_LEVEL_OBJECT_CREATED, pulse);
    ufo->HandleMessage(&created, 6);
    EXPECT_EQ(pulse->position, Vector(0.0f, 54.0f, 0.0f));
    EXPECT_EQ(pulse->scale, Vector(10.0f, 4.0f, 4.0f));
}

} // namespace
