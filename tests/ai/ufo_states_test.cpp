// The laser-firing flyers on the headless level kit: the medium UFO, the UFO boss with its
// ring of children, the flying boss, and the lasers they share. Every test runs on a fixed
// step and seeded random numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "ai/laser_weapons.h"
#include "ai/ufo_states.h"
#include "ai/unit_states.h"
#include "ai_kit.h"
#include "content/particle_system_info.h"
#include "core/quaternion.h"
#include "game/laser_beam_info.h"
#include "game/radial_force.h"
#include "state_test_fixture.h"

namespace {

using ai_kit::Kit;
using ai_kit::Transition;
using ai_kit::UnitParams;

constexpr float kPi = 3.14159265f;

const std::vector<std::string> kMediumUfo = {"STATE_MEDIUM_UFO_SPAWN",   "STATE_MEDIUM_UFO_ENTRY",
                                             "STATE_MEDIUM_UFO_SEEK",    "STATE_MEDIUM_UFO_ATTACK",
                                             "STATE_MEDIUM_UFO_RETREAT", "STATE_THROWN"};
const std::vector<std::string> kUfoBoss = {
    "STATE_UFO_SPAWN",         "STATE_UFO_ENTRY",   "STATE_UFO_SEEK", "STATE_UFO_ATTACK",
    "STATE_UFO_SPAWNCHILDREN", "STATE_UFO_RETREAT", "STATE_UFO_DIE"};
const std::vector<std::string> kUfoChild = {"STATE_UFOCHILD_SPAWN", "STATE_UFOCHILD_ATTACK",
                                            "STATE_GRABBED", "STATE_THROWN"};
const std::vector<std::string> kFlythra = {"STATE_FLYTHRA_SPAWN",   "STATE_FLYTHRA_ENTRY",
                                           "STATE_FLYTHRA_SEEK",    "STATE_FLYTHRA_ATTACK",
                                           "STATE_FLYTHRA_RETREAT", "STATE_FLYTHRA_DIE"};

// Records what the flyers do to the robot and to bodies.
struct RecordingFlyers : FlyerServices {
    void DamageRobot(GameObject& robot, f32 amount) override { hits.push_back(amount); }
    void SetCollisionEnabled(GameObject& object, bool enabled) override {
        collisions.push_back({&object, enabled});
    }
    std::vector<f32> hits;
    std::vector<std::pair<GameObject*, bool>> collisions;
};

struct UfoTest : ai_kit::StateTest {
    RecordingFlyers flyers;

    UfoTest() {
        RegisterUnitStates();
        ResetUfoFamily();
        SetFlyerServices(&flyers);
        for (const char* made : {"LaserBeam", "LaserPulse", "LaserPulseSmall"}) {
            kit.level.m_definitions[made];
        }
        kit.MakeRobot();
    }
    ~UfoTest() override { SetFlyerServices(nullptr); }

    AIViewComponent* Make(const std::string& type, const std::vector<std::string>& states,
                          const Vector& at, float range = 100.0f, i32 health = 100) {
        return StateTest::Make(type, states, at, range, health);
    }
    // The unit's own update: the weapon timer runs, then the current state.
    static void Tick(AIViewComponent* unit, float dt) { unit->Update(dt); }
    std::size_t Beams() {
        return kit.Count(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_LASER_BEAM_CREATION);
    }
    // Gives the robot one body part: a box of the given half size around its chest.
    void GiveRobotABody(float half) {
        GameObject* part = kit.level.Adopt(new GameObject("RobotPart"));
        part->position = kit.robot->position + Vector(0.0f, 15.0f, 0.0f);
        part->SetBoundingBox(new BoundingBox(Vector(half, half, half)));
        kit.robot->childObjects.push_back(part);
    }
    std::vector<RadialForce> Pushes() {
        return kit.Payloads<RadialForce>(HANDLER_PHYSX_PROCESS, MSG_PHYSICS_RADIAL_FORCE);
    }
    // Runs the level's routers, which deliver the delayed messages that are due.
    void RunRouters(float seconds, float dt = 0.05f) {
        for (float t = 0.0f; t < seconds; t += dt) {
            kit.level.Router().Update(dt);
        }
    }
};

// --- transitions as data ----------------------------------------------------------------------

struct FlyerTransitionTest : UfoTest, ::testing::WithParamInterface<Transition> {};

TEST_P(FlyerTransitionTest, OneUpdateLeadsToTheExpectedState) {
    ai_kit::ExpectTransition(*this, GetParam(), 0.01f);
}

INSTANTIATE_TEST_SUITE_P(
    Families, FlyerTransitionTest,
    ::testing::Values(
        // Medium UFO, range 180: retreat within 110, seek beyond 220, attack from 110 over the
        // ground.
        Transition{"AI-Fly-MediumUFO", &kMediumUfo, 180, STATE_MEDIUM_UFO_ATTACK, 109,
                   STATE_MEDIUM_UFO_RETREAT},
        Transition{"AI-Fly-MediumUFO", &kMediumUfo, 180, STATE_MEDIUM_UFO_ATTACK, 111,
                   STATE_MEDIUM_UFO_ATTACK},
        Transition{"AI-Fly-MediumUFO", &kMediumUfo, 180, STATE_MEDIUM_UFO_ATTACK, 219,
                   STATE_MEDIUM_UFO_ATTACK},
        Transition{"AI-Fly-MediumUFO", &kMediumUfo, 180, STATE_MEDIUM_UFO_ATTACK, 221,
                   STATE_MEDIUM_UFO_SEEK},
        Transition{"AI-Fly-MediumUFO", &kMediumUfo, 180, STATE_MEDIUM_UFO_RETREAT, 109,
                   STATE_MEDIUM_UFO_RETREAT},
        Transition{"AI-Fly-MediumUFO", &kMediumUfo, 180, STATE_MEDIUM_UFO_RETREAT, 111,
                   STATE_MEDIUM_UFO_ATTACK},
        Transition{"AI-Fly-MediumUFO", &kMediumUfo, 180, STATE_MEDIUM_UFO_SEEK, 10,
                   STATE_MEDIUM_UFO_SEEK},
        // UFO boss, range 145: retreat within 105, seek beyond 205.
        Transition{"AI-Boss-Fly-UFO", &kUfoBoss, 145, STATE_UFO_ATTACK, 104, STATE_UFO_RETREAT},
        Transition{"AI-Boss-Fly-UFO", &kUfoBoss, 145, STATE_UFO_ATTACK, 106, STATE_UFO_ATTACK},
        Transition{"AI-Boss-Fly-UFO", &kUfoBoss, 145, STATE_UFO_ATTACK, 204, STATE_UFO_ATTACK},
        Transition{"AI-Boss-Fly-UFO", &kUfoBoss, 145, STATE_UFO_ATTACK, 206, STATE_UFO_SEEK},
        Transition{"AI-Boss-Fly-UFO", &kUfoBoss, 145, STATE_UFO_RETREAT, 104, STATE_UFO_RETREAT},
        Transition{"AI-Boss-Fly-UFO", &kUfoBoss, 145, STATE_UFO_RETREAT, 105, STATE_UFO_ATTACK},
        Transition{"AI-Boss-Fly-UFO", &kUfoBoss, 145, STATE_UFO_SEEK, 50, STATE_UFO_SEEK},
        // Flying boss, range 120: close combat within 135, seek beyond 190, back to attack
        // from 150.
        Transition{"AI-Boss-Fly-Flythra", &kFlythra, 120, STATE_FLYTHRA_ATTACK, 135,
                   STATE_FLYTHRA_RETREAT},
        Transition{"AI-Boss-Fly-Flythra", &kFlythra, 120, STATE_FLYTHRA_ATTACK, 136,
                   STATE_FLYTHRA_ATTACK},
        Transition{"AI-Boss-Fly-Flythra", &kFlythra, 120, STATE_FLYTHRA_ATTACK, 189,
                   STATE_FLYTHRA_ATTACK},
        Transition{"AI-Boss-Fly-Flythra", &kFlythra, 120, STATE_FLYTHRA_ATTACK, 191,
                   STATE_FLYTHRA_SEEK},
        Transition{"AI-Boss-Fly-Flythra", &kFlythra, 120, STATE_FLYTHRA_RETREAT, 149,
                   STATE_FLYTHRA_RETREAT},
        Transition{"AI-Boss-Fly-Flythra", &kFlythra, 120, STATE_FLYTHRA_RETREAT, 150,
                   STATE_FLYTHRA_ATTACK}));

// --- the wait before the entry -------------------------------------------------------------------

struct EntryWaitCase {
    const char* type;
    const std::vector<std::string>* states;
    i32 spawn;
    i32 entry;
    float seconds;
    // Whether the unit becomes collidable as it leaves the wait.
    bool collidable;
};

void PrintTo(const EntryWaitCase& c, std::ostream* os) {
    *os << c.type;
}

struct EntryWaitTest : UfoTest, ::testing::WithParamInterface<EntryWaitCase> {};

TEST_P(EntryWaitTest, AFlyerWaitsItsTimeThenEntersOnce) {
    const EntryWaitCase& c = GetParam();
    const float dt = 0.01f;
    AIViewComponent* unit = Make(c.type, *c.states, Vector(0.0f, 300.0f, 400.0f), 120.0f);
    ASSERT_TRUE(unit->InState(c.spawn));
    float t = 0.0f;
    while (unit->InState(c.spawn) && t < 5.0f) {
        EXPECT_TRUE(flyers.collisions.empty()) << "at " << t;
        unit->m_stateMachine->Update(dt);
        t += dt;
    }
    EXPECT_NEAR(t, c.seconds, 1.5f * dt);
    EXPECT_TRUE(unit->InState(c.entry)) << "expected " << StateIdName(c.entry);
    EXPECT_EQ(flyers.collisions.size(), c.collidable ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Flyers, EntryWaitTest,
    ::testing::Values(EntryWaitCase{"AI-Fly-MediumUFO", &kMediumUfo, STATE_MEDIUM_UFO_SPAWN,
                                    STATE_MEDIUM_UFO_ENTRY, 0.5f, false},
                      EntryWaitCase{"AI-Boss-Fly-UFO", &kUfoBoss, STATE_UFO_SPAWN, STATE_UFO_ENTRY,
                                    0.5f, true},
                      EntryWaitCase{"AI-Boss-Fly-Flythra", &kFlythra, STATE_FLYTHRA_SPAWN,
                                    STATE_FLYTHRA_ENTRY, 0.6f, false}));

// --- medium UFO ---------------------------------------------------------------------------------

// The update indices at which pulses of the type were created, over n updates of dt.
std::vector<int> PulseUpdates(UfoTest& test, AIViewComponent* unit, const char* type, int n,
                              float dt) {
    std::vector<int> at;
    std::size_t before = test.Objects(type);
    for (int i = 0; i < n; ++i) {
        UfoTest::Tick(unit, dt);
        const std::size_t now = test.Objects(type);
        for (std::size_t k = before; k < now; ++k) {
            at.push_back(i);
        }
        before = now;
    }
    return at;
}

TEST_F(UfoTest, AMediumUfoOpensWithEightPulsesThenFiresBurstsOfTwo) {
    // A step that never lands on a multiple of 0.25 s.
    const float dt = 0.011f;
    AIViewComponent* unit =
        Make("AI-Fly-MediumUFO", kMediumUfo, Vector(0.0f, 67.0f, 500.0f), 180.0f);
    unit->ChangeTo(STATE_MEDIUM_UFO_SEEK);
    const std::vector<int> at = PulseUpdates(*this, unit, "LaserPulseSmall", 700, dt);
    ASSERT_GE(at.size(), 12u);
    // The first on the first update, then one each time the weapon timer passes a quarter.
    EXPECT_EQ(at[0], 0);
    for (int i = 1; i < 8; ++i) {
        EXPECT_NEAR((at[i] + 1) * dt, 0.25f * i, dt) << "pulse " << i;
    }
    // Then bursts of two a quarter apart, 1.5 s to 2.5 s after the last pulse before them.
    for (int burst = 0; burst < 2; ++burst) {
        const int first = at[8 + 2 * burst];
        const int second = at[9 + 2 * burst];
        const int previous = at[7 + 2 * burst];
        EXPECT_NEAR((second - first) * dt, 0.25f, 2 * dt) << "burst " << burst;
        const float pause = (first - previous) * dt;
        EXPECT_GE(pause, 1.5f - dt) << "burst " << burst;
        EXPECT_LE(pause, 2.5f + dt) << "burst " << burst;
    }
}

TEST_F(UfoTest, AMediumUfoSinksFromTheSkyAndIsCollidableOnlyOnceItAttacks) {
    const float dt = 0.01f;
    AIViewComponent* unit =
        Make("AI-Fly-MediumUFO", kMediumUfo, Vector(0.0f, 300.0f, 150.0f), 180.0f);
    ASSERT_TRUE(unit->InState(STATE_MEDIUM_UFO_SPAWN));
    float t = 0.0f;
    while (!unit->InState(STATE_MEDIUM_UFO_ATTACK) && t < 20.0f) {
        EXPECT_TRUE(flyers.collisions.empty()) << "at " << t;
        unit->m_stateMachine->Update(dt);
        t += dt;
    }
    EXPECT_NEAR(t, (300.0f - 67.0f) / 40.0f + 0.5f, 3 * dt);
    ASSERT_EQ(flyers.collisions.size(), 1u);
    EXPECT_EQ(flyers.collisions[0].first, unit->owner);
    EXPECT_TRUE(flyers.collisions[0].second);
}

TEST_F(UfoTest, TheMediumUfoAttackKeepsItsPulseTimerBetweenVisits) {
    const float dt = 0.011f;
    // Inside the attack band of range 180 (110 to 220 over the ground).
    AIViewComponent* unit =
        Make("AI-Fly-MediumUFO", kMediumUfo, Vector(0.0f, 0.0f, 150.0f), 180.0f);
    unit->ChangeTo(STATE_MEDIUM_UFO_ATTACK);
    // Three pulses: the attack's timer stands at 0.75.
    std::vector<int> at = PulseUpdates(*this, unit, "LaserPulseSmall", 60, dt);
    ASSERT_EQ(at.size(), 3u);
    unit->ChangeTo(STATE_MEDIUM_UFO_RETREAT);
    unit->ChangeTo(STATE_MEDIUM_UFO_ATTACK);
    at = PulseUpdates(*this, unit, "LaserPulseSmall", 80, dt);
    ASSERT_FALSE(at.empty());
    // The weapon timer starts again from 0, and the next pulse waits for it to pass 0.75.
    EXPECT_NEAR((at[0] + 1) * dt, 0.75f, dt);
}

TEST_F(UfoTest, ARetreatingMediumUfoStraightAboveTheRobotKeepsRetreating) {
    AIViewComponent* unit =
        Make("AI-Fly-MediumUFO", kMediumUfo, Vector(0.0f, 500.0f, 0.0f), 180.0f);
    unit->ChangeTo(STATE_MEDIUM_UFO_RETREAT);
    unit->m_stateMachine->Update(0.01f);
    EXPECT_TRUE(unit->InState(STATE_MEDIUM_UFO_RETREAT));
}

// --- the beam -----------------------------------------------------------------------------------

struct AimCase {
    Vector origin;
    Vector target;
    Vector end;
    float hitDelay;
};

void PrintTo(const AimCase& c, std::ostream* os) {
    *os << "from y " << c.origin.y << " toward y " << c.target.y;
}

struct AimTest : ::testing::TestWithParam<AimCase> {};

TEST_P(AimTest, TheBeamEndsOnTheGroundOrBeyondTheTargetWithAPositiveDelay) {
    const AimCase& c = GetParam();
    const BeamAim aim = AimBeam(c.origin, c.target);
    EXPECT_NEAR(aim.m_end.x, c.end.x, 1e-3f);
    EXPECT_NEAR(aim.m_end.y, c.end.y, 1e-3f);
    EXPECT_NEAR(aim.m_end.z, c.end.z, 1e-3f);
    EXPECT_NEAR(aim.m_hit_delay, c.hitDelay, 1e-4f);
    EXPECT_GT(aim.m_hit_delay, 0.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AimTest,
    ::testing::Values(
        // Straight down onto a target halfway: the ground at twice the way, passed at 0.2 s.
        AimCase{Vector(0, 100, 0), Vector(0, 50, 0), Vector(0, 0, 0), 0.2f},
        // Slanting down: the target is passed at 0.4 / 1.25 s.
        AimCase{Vector(0, 100, 0), Vector(40, 20, 0), Vector(50, 0, 0), 0.32f},
        // Level: no ground point; twice as far as the target, passed halfway.
        AimCase{Vector(0, 15, 0), Vector(30, 15, 0), Vector(60, 15, 0), 0.2f},
        // Upward, from under a robot standing on a tower.
        AimCase{Vector(0, 10, 0), Vector(0, 40, 20), Vector(0, 70, 40), 0.2f},
        // From below the ground the line never comes down to it either.
        AimCase{Vector(0, -5, 0), Vector(0, -10, 10), Vector(0, -15, 20), 0.2f}));

TEST_F(UfoTest, ABeamHitsTheRobotOnceAndEndsAfterItsSweepWithAPush) {
    GiveRobotABody(12.0f);
    AIViewComponent* unit = Make("AI-Boss-Fly-UFO", kUfoBoss, Vector(0.0f, 100.0f, 40.0f));
    unit->ChangeTo(STATE_UFO_ATTACK);
    State& state = *unit->m_stateMachine->m_current;
    FireLaserBeam(state, 0.0f, 20.0f);
    ASSERT_EQ(unit->m_stateMachine->m_beams.size(), 1u);
    const BeamRecord beam = unit->m_stateMachine->m_beams.front();
    EXPECT_EQ(beam.m_end.y, 0.0f);
    ASSERT_GT(beam.m_hit_delay, 0.0f);
    ASSERT_LT(beam.m_hit_delay, 0.4f);
    EXPECT_EQ(Objects("LaserBeam"), 1u);
    // Ten pushes run down the beam as it sweeps; only the first, at its origin, is due yet.
    ASSERT_EQ(Pushes().size(), 1u);
    EXPECT_EQ(Pushes()[0].m_force, 150.0f);
    EXPECT_EQ(Pushes()[0].m_center, unit->owner->position - Vector(0.0f, 5.0f, 0.0f));

    const float dt = 0.03f;
    float age = 0.0f;
    while (!unit->m_stateMachine->m_beams.empty() && age < 1.0f) {
        AdvanceLaserBeams(state, dt);
        age += dt;
        const std::size_t expected = age >= beam.m_hit_delay ? 1u : 0u;
        EXPECT_EQ(flyers.hits.size(), expected) << "at " << age;
    }
    EXPECT_NEAR(age, 0.42f, 1e-4f);
    ASSERT_EQ(flyers.hits.size(), 1u);
    EXPECT_EQ(flyers.hits[0], 3.5f);
    EXPECT_EQ(kit.Count(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_LASER_BEAM_DELETION), 1u);
    EXPECT_EQ(Objects("LaserBeam"), 0u);
    const std::vector<RadialForce> pushes = Pushes();
    ASSERT_EQ(pushes.size(), 2u);
    EXPECT_EQ(pushes[1].m_force, 400.0f);
    EXPECT_EQ(pushes[1].m_radius, 30.0f);
    EXPECT_EQ(pushes[1].m_center, beam.m_end);
    // The rest of the sweep's pushes follow from the unit's router, the last 0.45 s after the
    // beam began.
    RunRouters(0.5f);
    EXPECT_EQ(Pushes().size(), 11u);
}

TEST_F(UfoTest, ABeamThatMissesTestsOnceAndHurtsNothing) {
    GiveRobotABody(1.0f);
    AIViewComponent* unit = Make("AI-Boss-Fly-UFO", kUfoBoss, Vector(0.0f, 100.0f, 40.0f));
    unit->ChangeTo(STATE_UFO_ATTACK);
    State& state = *unit->m_stateMachine->m_current;
    FireLaserBeam(state, 0.0f, 20.0f);
    // The body part moves away from under the beam.
    kit.robot->childObjects[0]->position = Vector(500.0f, 0.0f, 0.0f);
    AdvanceLaserBeams(state, 0.39f);
    EXPECT_EQ(unit->m_stateMachine->m_beams.front().m_hit_delay, -1.0f);
    EXPECT_TRUE(flyers.hits.empty());
}

struct IntervalCase {
    i32 state;
    float distance;
    i32 health;
    float interval;
};

void PrintTo(const IntervalCase& c, std::ostream* os) {
    *os << StateIdName(c.state) << " health " << c.health;
}

struct BeamIntervalTest : UfoTest, ::testing::WithParamInterface<IntervalCase> {};

TEST_P(BeamIntervalTest, TheBossBeamsFasterAsItsHealthFalls) {
    const IntervalCase& c = GetParam();
    AIViewComponent* unit =
        Make("AI-Boss-Fly-UFO", kUfoBoss, Vector(0.0f, 100.0f, c.distance), 145.0f, 100);
    unit->ChangeTo(c.state);
    unit->m_health = c.health;
    const float dt = 0.01f;
    std::vector<float> times;
    std::size_t before = Beams();
    for (int i = 1; i <= 800; ++i) {
        unit->m_stateMachine->Update(dt);
        ASSERT_TRUE(unit->InState(c.state));
        if (Beams() != before) {
            times.push_back(i * dt);
            before = Beams();
        }
    }
    ASSERT_GE(times.size(), 3u);
    EXPECT_NEAR(times[0], c.interval, 2 * dt);
    for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_NEAR(times[i] - times[i - 1], c.interval, 2 * dt) << "beam " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Health, BeamIntervalTest,
                         ::testing::Values(IntervalCase{STATE_UFO_SEEK, 500, 100, 2.0f},
                                           IntervalCase{STATE_UFO_ATTACK, 150, 100, 0.7f},
                                           IntervalCase{STATE_UFO_RETREAT, 20, 100, 1.8f},
                                           IntervalCase{STATE_UFO_SEEK, 500, 0, 1.0f},
                                           IntervalCase{STATE_UFO_ATTACK, 150, 0, 0.4f},
                                           IntervalCase{STATE_UFO_RETREAT, 20, 0, 0.8f}));

TEST_F(UfoTest, TheBossFightDropsTheShield) {
    AIViewComponent* unit = Make("AI-Boss-Fly-UFO", kUfoBoss, Vector(0.0f, 100.0f, 150.0f));
    ASSERT_TRUE(kit.ai->m_ufoShield);
    unit->ChangeTo(STATE_UFO_SPAWNCHILDREN);
    EXPECT_TRUE(kit.ai->m_ufoShield);
    unit->ChangeTo(STATE_UFO_ATTACK);
    EXPECT_FALSE(kit.ai->m_ufoShield);
}

// --- the boss's entry and children ----------------------------------------------------------

TEST_F(UfoTest, TheBossComesDownWithBeamsAndReleasesItsChildrenLow) {
    const float dt = 0.02f;
    AIViewComponent* unit = Make("AI-Boss-Fly-UFO", kUfoBoss, Vector(0.0f, 180.0f, 150.0f));
    unit->ChangeTo(STATE_UFO_ENTRY);
    float t = 0.0f;
    while (unit->InState(STATE_UFO_ENTRY) && t < 10.0f) {
        unit->m_stateMachine->Update(dt);
        t += dt;
    }
    EXPECT_TRUE(unit->InState(STATE_UFO_SPAWNCHILDREN));
    // 25 units a second down to below 110 takes 70 / 25 s (past the 3.03 s it stays at least).
    EXPECT_NEAR(t, 70.0f / 25.0f + 0.22f, 0.1f);
    EXPECT_LE(unit->owner->position.y, 110.0f);
    EXPECT_GT(unit->owner->position.y, 108.0f - 25.0f * dt);
    EXPECT_EQ(unit->m_range, 145.0f);
    // A beam each 0.32 s or so.
    EXPECT_GE(Beams(), 8u);
    EXPECT_GE(kit.Count(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_MOTION_BLUR), 150u);
}

struct ChildrenTest : UfoTest {
    ChildrenTest() {
        UnitParams p;
        p.states = kUfoChild;
        p.movementOn = false;
        kit.DefineUnit("AI-Fly-UFOChild", p);
    }
    AIViewComponent* Boss(const Vector& at) {
        AIViewComponent* boss = Make("AI-Boss-Fly-UFO", kUfoBoss, at);
        boss->ChangeTo(STATE_UFO_SPAWNCHILDREN);
        return boss;
    }
    static std::vector<AIViewComponent*> Children(AIViewComponent* boss) {
        std::vector<AIViewComponent*> out;
        for (GameObject* child : boss->owner->childObjects) {
            out.push_back(Kit::Unit(child));
        }
        return out;
    }
    // The ring angles of the children, in degrees from +x, after one short flight step.
    static std::vector<float> SpawnAngles(AIViewComponent* boss) {
        std::vector<float> angles;
        for (AIViewComponent* child : Children(boss)) {
            child->m_stateMachine->Update(0.1f);
            const Vector d = child->owner->position - boss->owner->position;
            // The flight widens the ring along x only: x grows with the flight's share u.
            const float u = 0.1f / (kPi / 6.0f);
            float a = std::atan2(d.z, d.x / u) * 180.0f / kPi;
            angles.push_back(a < -0.01f ? a + 360.0f : a);
        }
        return angles;
    }
};

TEST_F(ChildrenTest, TwelveChildrenFlyOutThirtyDegreesApartAndASecondBossContinuesTheRing) {
    AIViewComponent* boss = Boss(Vector(20.0f, 105.0f, 150.0f));
    boss->m_stateMachine->Update(0.01f);
    ASSERT_EQ(boss->owner->childObjects.size(), 12u);
    std::vector<float> angles = SpawnAngles(boss);
    for (std::size_t i = 0; i < angles.size(); ++i) {
        EXPECT_NEAR(angles[i], 30.0f * i, 0.05f) << "child " << i;
        EXPECT_EQ(boss->owner->childObjects[i]->parentObject, boss->owner);
        EXPECT_EQ(boss->owner->childObjects[i]->scale, Vector(0.2f, 0.2f, 0.2f));
    }
    EXPECT_NEAR(TheUfoFamily().m_next_spawn_angle, 2.0f * kPi, 1e-4f);

    AIViewComponent* second = Boss(Vector(-300.0f, 105.0f, 150.0f));
    second->m_stateMachine->Update(0.01f);
    ASSERT_EQ(second->owner->childObjects.size(), 12u);
    // The angles went on from a full turn, not from zero again.
    EXPECT_NEAR(TheUfoFamily().m_next_spawn_angle, 4.0f * kPi, 1e-4f);
    angles = SpawnAngles(second);
    for (std::size_t i = 0; i < angles.size(); ++i) {
        EXPECT_NEAR(angles[i], 30.0f * i, 0.05f) << "child " << i;
    }
}

TEST_F(ChildrenTest, TheBossSeeksOnceEveryChildHasFlownOutAndTheRingOrbits) {
    AIViewComponent* boss = Boss(Vector(0.0f, 105.0f, 150.0f));
    boss->m_stateMachine->Update(0.01f);
    const float dt = 0.05f;
    float t = 0.0f;
    while (boss->InState(STATE_UFO_SPAWNCHILDREN) && t < 6.0f) {
        for (AIViewComponent* child : Children(boss)) {
            child->m_stateMachine->Update(dt);
        }
        boss->m_stateMachine->Update(dt);
        t += dt;
    }
    EXPECT_TRUE(boss->InState(STATE_UFO_SEEK));
    EXPECT_NEAR(t, kPi / 6.0f, dt);
    EXPECT_EQ(TheUfoFamily().m_attack_count, 12);
    EXPECT_FALSE(kit.ai->m_ufoShield);
    // Each child circles at radius 50 and height 80, a quarter turn a second.
    AIViewComponent* child = Children(boss)[3];
    ASSERT_TRUE(child->InState(STATE_UFOCHILD_ATTACK));
    const Vector centre = boss->owner->position;
    const Vector before = child->owner->position - centre;
    child->m_stateMachine->Update(1.0f);
    const Vector after = child->owner->position - centre;
    EXPECT_NEAR(std::hypot(after.x, after.z), 50.0f, 1e-3f);
    EXPECT_EQ(child->owner->position.y, 80.0f);
    EXPECT_NEAR(before.x * after.x + before.z * after.z, 0.0f, 1e-2f);
}

TEST_F(ChildrenTest, TheBossGoesOnAfterFiveSecondsWithTheChildrenItHas) {
    struct Case {
        bool childrenExist;
    };
    for (const Case c : {Case{true}, Case{false}}) {
        if (!c.childrenExist) {
            kit.level.m_definitions.erase("AI-Fly-UFOChild");
        }
        AIViewComponent* boss = Boss(Vector(0.0f, 105.0f, 150.0f));
        // The children never fly (they are not updated): the boss waits its five seconds.
        float t = 0.0f;
        while (boss->InState(STATE_UFO_SPAWNCHILDREN) && t < 10.0f) {
            boss->m_stateMachine->Update(0.3f);
            t += 0.3f;
        }
        EXPECT_TRUE(boss->InState(STATE_UFO_SEEK)) << c.childrenExist;
        EXPECT_NEAR(t, 5.1f, 0.01f) << c.childrenExist;
        EXPECT_EQ(boss->owner->childObjects.size(), c.childrenExist ? 12u : 0u);
    }
}

TEST_F(ChildrenTest, AChildWhoseBossIsGoneExpires) {
    for (i32 state : {STATE_UFOCHILD_SPAWN, STATE_UFOCHILD_ATTACK}) {
        AIViewComponent* child = Make("AI-Fly-UFOChild", kUfoChild, Vector(0.0f, 80.0f, 50.0f));
        child->ChangeTo(state);
        ASSERT_EQ(child->owner->parentObject, nullptr);
        child->m_stateMachine->Update(0.1f);
        EXPECT_TRUE(child->m_expired) << StateIdName(state);
    }
}

// --- deaths -----------------------------------------------------------------------------------

TEST_F(ChildrenTest, TheBossDiesAfterItsLastBeamOnceWithItsShockWave) {
    AIViewComponent* boss = Boss(Vector(0.0f, 105.0f, 150.0f));
    boss->m_stateMachine->Update(0.01f);
    std::vector<AIViewComponent*> children = Children(boss);
    children[5]->ChangeTo(STATE_GRABBED);
    kit.look.looks[boss->owner];
    boss->ChangeTo(STATE_UFO_DIE);
    for (std::size_t i = 0; i < children.size(); ++i) {
        EXPECT_EQ(children[i]->m_expired, i != 5) << "child " << i;
    }
    const float dt = 0.1f;
    float t = 0.0f;
    for (; t < 4.85f; t += dt) {
        boss->m_stateMachine->Update(dt);
    }
    // Glowing red and bright on the way to its end.
    EXPECT_TRUE(kit.look.looks[boss->owner].red);
    EXPECT_GT(kit.look.looks[boss->owner].hdr, 10.0f);
    // A beam fired just before the end holds the burst back until it is over.
    FireLaserBeam(*boss->m_stateMachine->m_current, 0.0f, 20.0f);
    float burstAt = -1.0f;
    for (; t < 7.0f; t += dt) {
        boss->m_stateMachine->Update(dt);
        if (boss->m_expired && burstAt < 0.0f) {
            burstAt = t + dt;
        }
    }
    EXPECT_NEAR(burstAt, 4.9f + 0.45f, 0.11f);
    EXPECT_TRUE(boss->m_stateMachine->m_beams.empty());
    const auto systems =
        kit.Payloads<ParticleSystemInfo>(HANDLER_GRAPHICS_PROCESS, MSG_CREATE_PARTICLE_SYSTEM);
    ASSERT_EQ(systems.size(), 12u);
    for (std::size_t i = 0; i < systems.size(); ++i) {
        EXPECT_EQ(systems[i].name, i % 2 == 0 ? "BossExplosion1" : "BossExplosion2");
    }
    EXPECT_EQ(kit.Payloads<float>(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE),
              std::vector<float>{11.95f});
    EXPECT_EQ(kit.Payloads<std::vector<float>>(HANDLER_GRAPHICS_PROCESS,
                                               MSG_GRAPHICS_EXPOSURE_TEMP_CHANGE),
              (std::vector<std::vector<float>>{{6.0f, 1.8f, 8.0f, 1.0f}}));
    EXPECT_EQ(kit.Count(HANDLER_BUILDING_PROCESS, MSG_BUILDING_STOP_SPAWNING), 1u);
    EXPECT_EQ(kit.Payloads<float>(HANDLER_BUILDING_PROCESS, MSG_BUILDING_DAMAGE_MULTIPLIER),
              std::vector<float>{100.0f});

    // The shock wave runs on after the boss is gone: twenty rings over four seconds.
    kit.level.DeleteObject(boss->owner);
    RunRouters(4.0f);
    std::vector<RadialForce> waves;
    for (const RadialForce& push : Pushes()) {
        if (push.m_mode == RadialForce::kMassImpulse) {
            waves.push_back(push);
        }
    }
    ASSERT_EQ(waves.size(), 20u);
    for (std::size_t i = 0; i < waves.size(); ++i) {
        const float k = 0.2f * i;
        EXPECT_NEAR(waves[i].m_radius, 100.0f + 150.0f * k, 1e-3f) << i;
        EXPECT_NEAR(waves[i].m_force, 1500.0f - 650.0f * std::fabs(k - 2.0f), 1e-3f) << i;
        EXPECT_EQ(waves[i].m_duration, 0.2f);
    }
    EXPECT_EQ(kit.Payloads<float>(HANDLER_BUILDING_PROCESS, MSG_BUILDING_DAMAGE_MULTIPLIER),
              (std::vector<float>{100.0f, 1.0f}));
}

// The whole fight through the AI process on a fixed step: the boss comes down beaming,
// releases its ring, seeks and attacks; laser hits count only once the shield is down; it
// dies once with its shock wave and every child goes with it.
TEST_F(ChildrenTest, AFightFromEntryToShockWave) {
    const float dt = 1.0f / 30.0f;
    AIViewComponent* boss = Make("AI-Boss-Fly-UFO", kUfoBoss, Vector(0.0f, 180.0f, 150.0f));
    const auto run = [&](float seconds) {
        for (float t = 0.0f; t < seconds; t += dt) {
            kit.ai->Update(dt);
            kit.level.Router().Update(dt);
        }
    };
    const auto alive = [&](const char* type) { return Objects(type); };
    run(1.0f);
    ASSERT_TRUE(boss->InState(STATE_UFO_ENTRY));
    // Shielded on the way in.
    boss->TakeDamage(50);
    EXPECT_EQ(boss->m_health, 100);
    float t = 1.0f;
    while (!boss->InState(STATE_UFO_SEEK) && t < 10.0f) {
        run(dt);
        t += dt;
    }
    ASSERT_TRUE(boss->InState(STATE_UFO_SEEK));
    EXPECT_EQ(alive("AI-Fly-UFOChild"), 12u);
    EXPECT_EQ(TheUfoFamily().m_attack_count, 12);
    EXPECT_GE(Beams(), 8u);
    BaseMessage arrival(MSG_SEEK_ARRIVAL);
    boss->HandleMessage(&arrival, 0);
    ASSERT_TRUE(boss->InState(STATE_UFO_ATTACK));
    run(1.0f);
    // Hits past the shield until its health runs out.
    int hits = 0;
    while (!boss->InState(STATE_UFO_DIE) && hits < 20) {
        boss->TakeDamage(30);
        ++hits;
        run(0.3f);
    }
    ASSERT_TRUE(boss->InState(STATE_UFO_DIE));
    EXPECT_EQ(hits, 4);
    // The burst waits out the flash; the shock wave runs four seconds after it.
    run(10.0f);
    EXPECT_EQ(alive("AI-Boss-Fly-UFO"), 0u);
    EXPECT_EQ(alive("AI-Fly-UFOChild"), 0u);
    EXPECT_EQ(alive("LaserBeam"), 0u);
    const std::vector<std::string> died =
        kit.Payloads<std::string>(HANDLER_GAME_LOGIC_PROCESS, MSG_AGENT_DIED);
    EXPECT_EQ(std::count(died.begin(), died.end(), "AI-Boss-Fly-UFO"), 1);
    EXPECT_EQ(std::count(died.begin(), died.end(), "AI-Fly-UFOChild"), 12);
    std::size_t waves = 0;
    for (const RadialForce& push : Pushes()) {
        waves += push.m_mode == RadialForce::kMassImpulse && push.m_duration == 0.2f ? 1 : 0;
    }
    EXPECT_EQ(waves, 20u);
}

TEST_F(UfoTest, TheFlyingBossDiesWithOneLargePushAndLeavesTheBuildingsAlone) {
    AIViewComponent* boss = Make("AI-Boss-Fly-Flythra", kFlythra, Vector(0.0f, 80.0f, 150.0f));
    boss->ChangeTo(STATE_FLYTHRA_DIE);
    for (float t = 0.0f; t < 6.0f; t += 0.1f) {
        boss->m_stateMachine->Update(0.1f);
    }
    EXPECT_TRUE(boss->m_expired);
    const std::vector<RadialForce> pushes = Pushes();
    ASSERT_EQ(pushes.size(), 1u);
    EXPECT_EQ(pushes[0].m_radius, 400.0f);
    EXPECT_EQ(pushes[0].m_force, 4000.0f);
    EXPECT_EQ(kit.Payloads<float>(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE),
              std::vector<float>{12.0f});
    EXPECT_EQ(kit.Count(HANDLER_BUILDING_PROCESS, MSG_BUILDING_STOP_SPAWNING), 0u);
    EXPECT_EQ(kit.Count(HANDLER_BUILDING_PROCESS, MSG_BUILDING_DAMAGE_MULTIPLIER), 0u);
}

// --- flying boss --------------------------------------------------------------------------------

TEST_F(UfoTest, TheDiveTakesAFixedNumberOfUpdatesWhateverTheirLength) {
    for (const float dt : {0.01f, 0.05f}) {
        AIViewComponent* boss = Make("AI-Boss-Fly-Flythra", kFlythra, Vector(0.0f, 150.0f, 300.0f));
        boss->ChangeTo(STATE_FLYTHRA_ENTRY);
        int updates = 0;
        while (boss->InState(STATE_FLYTHRA_ENTRY) && updates < 1000) {
            boss->m_stateMachine->Update(dt);
            ++updates;
        }
        // 2 units an update from 150 to below 82.
        EXPECT_EQ(updates, 35) << dt;
        EXPECT_TRUE(boss->InState(STATE_FLYTHRA_SEEK)) << dt;
        EXPECT_EQ(boss->m_range, 120.0f);
        // Each update also pushed its body toward where the robot stood.
        ASSERT_FALSE(Kit::Body(boss->owner)->moves.empty());
        EXPECT_LT(Kit::Body(boss->owner)->moves.back().z, 0.0f);
    }
}

struct StrikeCase {
    const char* what;
    float facing; // yaw: 0 looks along -z, toward the robot
    float distance;
    int strikes;
};

void PrintTo(const StrikeCase& c, std::ostream* os) {
    *os << c.what;
}

struct StrikeTest : UfoTest, ::testing::WithParamInterface<StrikeCase> {};

TEST_P(StrikeTest, TheFlyingBossStrikesOnlyARobotInFrontWithinReach) {
    const StrikeCase& c = GetParam();
    AIViewComponent* boss =
        Make("AI-Boss-Fly-Flythra", kFlythra, Vector(0.0f, 0.0f, c.distance), 120.0f);
    Quaternion q;
    q.y = std::sin(c.facing / 2.0f);
    q.w = std::cos(c.facing / 2.0f);
    boss->owner->orientation = q;
    boss->ChangeTo(STATE_FLYTHRA_RETREAT);
    EXPECT_FALSE(boss->m_movementOn);
    const float dt = 0.1f;
    float highest = 0.0f;
    for (int i = 0; i < 25; ++i) {
        Tick(boss, dt);
        ASSERT_TRUE(boss->InState(STATE_FLYTHRA_RETREAT));
        highest = std::max(highest, boss->m_weaponTimer);
        kit.robot->position = Vector();
    }
    EXPECT_EQ(static_cast<int>(flyers.hits.size()), c.strikes);
    for (float hit : flyers.hits) {
        EXPECT_EQ(hit, 7.5f);
    }
    // The timer starts over every 0.7 s, strike or not.
    EXPECT_LE(highest, 0.7f + dt + 1e-4f);
}

INSTANTIATE_TEST_SUITE_P(Reach, StrikeTest,
                         ::testing::Values(StrikeCase{"in front", 0.0f, 130.0f, 3},
                                           StrikeCase{"behind", kPi, 130.0f, 0},
                                           StrikeCase{"beyond reach", 0.0f, 145.0f, 0}));

} // namespace
