#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "ai/mothership_states.h"
#include "ai/unit_states.h"
#include "ai_kit.h"
#include "animation/clip_graphic.h"
#include "animation/composite_part.h"
#include "animation/graphics_animation.h"
#include "core/math_functions.h"
#include "core/quaternion.h"
#include "game/radial_force.h"
#include "game/sound_control.h"
#include "graphics/graphic_component.h"

namespace {

using ai_kit::Kit;
using ai_kit::UnitParams;

constexpr float kPi = 3.14159265358979f;
constexpr float kDt = 1.0f / 60.0f;

class RecordingSounds : public SoundControl {
  public:
    void Play(SoundInstance* i, f32, bool) override { Log("play", i); }
    void Pause(SoundInstance* i) override { Log("pause", i); }
    void Resume(SoundInstance* i) override { Log("resume", i); }
    void Stop(SoundInstance* i) override { Log("stop", i); }
    void SetGroup(SoundInstance* i, u32 group) override {
        Log("group " + std::to_string(group), i);
    }
    void MarkPersistent(SoundInstance* i) override { Log("persistent", i); }
    bool IsFinished(const SoundInstance*) const override { return false; }
    void MarkRelease(SoundInstance* i) override { Log("release", i); }
    void SetVolume(SoundInstance* i, f32) override { Log("volume", i); }
    void Log(const std::string& what, SoundInstance* i) {
        calls.push_back(what + " " + std::to_string(reinterpret_cast<std::size_t>(i)));
    }
    std::vector<std::string> calls;
};

class FakeLinks : public MothershipLinks {
  public:
    bool DamageRobot(GameObject&, f32 amount) override {
        damage.push_back(amount);
        return true;
    }
    void FireLaserPulse(State&, f32& threshold) override {
        ++pulses;
        thresholds.push_back(threshold);
    }
    SoundControl* Sounds() override { return &sounds; }
    std::vector<f32> damage;
    std::vector<f32> thresholds;
    int pulses = 0;
    RecordingSounds sounds;
};

const char* const kBase = "AI-Boss-Fly-MothershipBase";
const char* const kGun = "AI-Boss-Fly-MothershipBFG";
const char* const kCore = "AI-Boss-Fly-MothershipBFGCore";
const char* const kTurret = "AI-Boss-Fly-MothershipTurret";
const char* const kHatch = "AI-Boss-Fly-MothershipHatch";
const char* const kMediumUfo = "AI-Fly-MediumUFO";

Quaternion Yaw(float angle) {
    Quaternion q;
    q.y = std::sin(angle / 2.0f);
    q.w = std::cos(angle / 2.0f);
    return q;
}

// The row vector v turned by a yaw as the renderer's matrices turn it.
Vector Yawed(const Vector& v, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return Vector(v.x * c + v.z * s, v.y, -v.x * s + v.z * c);
}

void ExpectNear(const Vector& got, const Vector& want, float tolerance = 1e-3f) {
    EXPECT_NEAR(got.x, want.x, tolerance);
    EXPECT_NEAR(got.y, want.y, tolerance);
    EXPECT_NEAR(got.z, want.z, tolerance);
}

struct MothershipTest : ::testing::Test {
    // Declared before the kit: the level's objects hand their graphics back on deletion.
    FakeLinks links;
    ai_kit::OwningProcess<ClipGraphic> graphics;
    Kit kit;
    GameObject* base = nullptr;
    std::vector<GameObject*> parts;

    MothershipTest() {
        RegisterUnitStates();
        SetMothershipLinks(&links);
        kit.level.SetComponentProcess(ComponentType::Graphic, &graphics);
        kit.MakeRobot(Vector(0.0f, 0.0f, 0.0f));
        Define(kBase, {"STATE_MOTHERSHIP_SPAWN", "STATE_MOTHERSHIP_ENTRY",
                       "STATE_MOTHERSHIP_ATTACK", "STATE_MOTHERSHIP_DIE"});
        Define(kGun, {"STATE_MOTHERSHIP_BFG_ATTACK"});
        Define(kCore, {"STATE_MOTHERSHIP_BFG_CORE"});
        Define(kTurret, {"STATE_MOTHERSHIP_TURRET_ATTACK"});
        Define(kHatch, {"STATE_MOTHERSHIP_HATCH_SPAWN"});
        Define(kMediumUfo, {});
    }
    ~MothershipTest() override {
        SetMothershipLinks(nullptr);
        ResetMothershipFamily();
    }

    void Define(const char* type, const std::vector<std::string>& states) {
        UnitParams p;
        p.states = states;
        p.movementOn = false;
        kit.DefineUnit(type, p);
    }

    // The boss as the creator hangs it together, at height y and far z.
    void Build(const Vector& at) {
        base = kit.Spawn(kBase, at);
        const auto hang = [this](const char* type) {
            GameObject* part = kit.Spawn(type);
            AttachPart(base, part);
            parts.push_back(part);
        };
        hang(kGun);
        hang(kCore);
        for (int i = 0; i < 6; ++i) {
            hang(kTurret);
        }
        for (int i = 0; i < 12; ++i) {
            hang(kHatch);
        }
    }
    // The registry as the spawn state fills it.
    void Register() { g_mothershipParts = base->childObjects; }

    ClipGraphic* GiveClips(GameObject* object,
                           const std::vector<std::pair<std::string, float>>& c) {
        ClipGraphic* graphic = graphics.Make(object->name);
        object->AddComponent(ComponentType::Graphic, graphic);
        for (const auto& [name, seconds] : c) {
            graphic->AddClip(name, seconds);
        }
        return graphic;
    }

    static AIViewComponent* Unit(GameObject* o) { return Kit::Unit(o); }
    void Step(GameObject* o, float dt = kDt) { Unit(o)->m_stateMachine->Update(dt); }
    // The pulses sent with a delay reach their recorders.
    void DeliverDelayed() {
        for (int i = 0; i < 40; ++i) {
            kit.level.Router().Update(0.1f);
        }
    }
    std::size_t Live(const char* type) const { return kit.Live(type); }
};

// --- placement -------------------------------------------------------------------------------

struct PlacedCase {
    u32 index;
    float degrees;
    float radius;
    float height;
};

struct PlacementTest : MothershipTest, ::testing::WithParamInterface<PlacedCase> {};

TEST_P(PlacementTest, PartsSitOnTheirRingTurnedWithTheBase) {
    const PlacedCase c = GetParam();
    Build(Vector(10.0f, 500.0f, -20.0f));
    Register();
    const float yaw = 0.7f;
    base->orientation = Yaw(yaw);
    PlaceMothershipParts(base);
    GameObject* part = g_mothershipParts[c.index];
    const float a = c.degrees * kPi / 180.0f;
    const Vector offset(-c.radius * std::cos(a), c.height, -c.radius * std::sin(a));
    ExpectNear(part->position, base->position + Yawed(offset, yaw));
    EXPECT_TRUE(part->positionChanged);
    EXPECT_TRUE(part->orientationChanged);
    // Hatches are turned further by their own angle; the rest keep the base's turn.
    const float turn = c.index >= kMothershipFirstHatch ? yaw + a : yaw;
    const Vector forward = Yawed(Vector(0.0f, 0.0f, 1.0f), turn);
    ExpectNear(Vector::Transform(Vector(0.0f, 0.0f, 1.0f),
                                 Math::MatrixRotationQuaternion(part->orientation)),
               forward);
}

INSTANTIATE_TEST_SUITE_P(
    Ring, PlacementTest,
    ::testing::Values(PlacedCase{0, 0, 0, 42.065f}, PlacedCase{1, 0, 0, 42.065f},
                      PlacedCase{2, 30, 188.634f, -113.464f},
                      PlacedCase{3, 90, 188.634f, -113.464f},
                      PlacedCase{4, 150, 188.634f, -113.464f},
                      PlacedCase{5, 210, 188.634f, -113.464f},
                      PlacedCase{6, 270, 188.634f, -113.464f},
                      PlacedCase{7, 330, 188.634f, -113.464f}, PlacedCase{8, 30, 285.832f, -72},
                      PlacedCase{9, 60, 285.832f, -72}, PlacedCase{13, 180, 285.832f, -72},
                      PlacedCase{16, 270, 285.832f, -72}, PlacedCase{19, 360, 285.832f, -72}));

TEST_F(MothershipTest, GunAndCoreOffsetIsNotTurned) {
    Build(Vector(0.0f, 300.0f, 0.0f));
    Register();
    base->orientation = Yaw(1.3f);
    PlaceMothershipParts(base);
    ExpectNear(parts[0]->position, Vector(0.0f, 342.065f, 0.0f));
    ExpectNear(parts[1]->position, Vector(0.0f, 342.065f, 0.0f));
}

TEST_F(MothershipTest, DeletedPartLeavesAHoleAndTheOthersKeepTheirPlaces) {
    Build(Vector(0.0f, 300.0f, 0.0f));
    Register();
    GameObject* const turret = parts[3];
    kit.level.DeleteObject(turret);
    PruneMothershipParts(base);
    ASSERT_EQ(g_mothershipParts.size(), 20u);
    EXPECT_EQ(g_mothershipParts[3], nullptr);
    for (u32 k = 0; k < 20; ++k) {
        if (k != 3) {
            EXPECT_EQ(g_mothershipParts[k], parts[k]) << k;
        }
    }
    PlaceMothershipParts(base);
    const float a = (2.0f / 3.0f + 1.0f / 6.0f) * kPi;
    ExpectNear(parts[4]->position,
               Vector(-188.634f * std::cos(a), 300.0f - 113.464f, -188.634f * std::sin(a)));
    PruneMothershipParts(nullptr);
    for (GameObject* entry : g_mothershipParts) {
        EXPECT_EQ(entry, nullptr);
    }
}

// --- turrets ----------------------------------------------------------------------------------

TEST_F(MothershipTest, TurretWithTheRobotStraightBelowLeansDownAndHangsUpright) {
    Build(Vector(0.0f, 300.0f, 0.0f));
    Register();
    PlaceMothershipParts(base);
    GameObject* const turret = parts[2];
    kit.robot->position = turret->position - Vector(0.0f, 200.0f, 0.0f);
    const Vector ring = turret->position;
    turret->orientation = Yaw(0.4f);
    UpdateMothershipTurrets(0.5f, kit.robot);
    ExpectNear(turret->lastPosition, Vector(0.0f, -3.0f, 0.0f));
    ExpectNear(turret->position, ring + Vector(0.0f, -3.0f, 0.0f));
    const Quaternion q = turret->orientation;
    EXPECT_NEAR(std::fabs(q.w), 1.0f, 1e-5f);
}

struct SwayCase {
    Vector start;
    float dt;
    Vector expected;
};

struct SwayTest : MothershipTest, ::testing::WithParamInterface<SwayCase> {};

TEST_P(SwayTest, SwayGrowsTowardTheRobotWithItsGainAndStopsAtTwenty) {
    const SwayCase c = GetParam();
    Build(Vector(0.0f, 300.0f, 0.0f));
    Register();
    PlaceMothershipParts(base);
    GameObject* const turret = parts[2];
    kit.robot->position = turret->position - Vector(0.0f, 500.0f, 0.0f);
    turret->lastPosition = c.start;
    UpdateMothershipTurrets(c.dt, kit.robot);
    ExpectNear(turret->lastPosition, c.expected);
}

Vector Capped(const Vector& v) {
    return v * (20.0f / v.Length());
}

INSTANTIATE_TEST_SUITE_P(
    Gains, SwayTest,
    ::testing::Values(
        // Zero sway: gain 6.
        SwayCase{Vector(0, 0, 0), 1.0f, Vector(0, -6, 0)},
        // |s|^2 exactly 400 still uses gain 6, then the sway is cut back to 20.
        SwayCase{Vector(20, 0, 0), 1.0f, Capped(Vector(20, -6, 0))},
        // Above 400 the gain is 10.
        SwayCase{Vector(20.5f, 0, 0), 1.0f, Capped(Vector(20.5f, -10, 0))},
        // Under the cap nothing is cut.
        SwayCase{Vector(3, 0, 0), 0.5f, Vector(3, -3, 0)}));

TEST_F(MothershipTest, InactiveTurretsNeitherSwayNorFire) {
    Build(Vector(0.0f, 300.0f, 0.0f));
    Register();
    PlaceMothershipParts(base);
    g_mothershipInactive = true;
    GameObject* const turret = parts[2];
    const Vector ring = turret->position;
    UpdateMothershipTurrets(1.0f, kit.robot);
    ExpectNear(turret->position, ring);
    Step(turret);
    EXPECT_EQ(links.pulses, 0);
    g_mothershipInactive = false;
    Step(turret);
    ASSERT_EQ(links.pulses, 1);
    // The first burst starts from a full timer and threshold.
    EXPECT_FLOAT_EQ(links.thresholds[0], 20.0f);
    EXPECT_FLOAT_EQ(Unit(turret)->m_weaponTimer, 20.0f);
}

// --- hatches ----------------------------------------------------------------------------------

// Seconds of activity until each hatch's first release, at rate 1.
TEST_F(MothershipTest, HatchesReleaseInGroupsOfFourEveryThirtyTwoSeconds) {
    Build(Vector(0.0f, 300.0f, 0.0f));
    Register();
    g_mothershipInactive = false;
    g_hatchSpawnRate = 1.0f;
    const float dt = 0.05f;
    std::vector<std::vector<float>> releases(4);
    for (int frame = 1; frame <= 41 * 20; ++frame) {
        for (int h = 0; h < 4; ++h) {
            AIViewComponent* unit = Unit(parts[8 + h]);
            unit->m_createdObject = nullptr;
            Step(parts[8 + h], dt);
            if (unit->m_createdObject != nullptr) {
                releases[h].push_back(frame * dt);
                kit.level.DeleteObject(unit->m_createdObject);
            }
        }
    }
    const float firsts[4] = {12.0f, 20.0f, 28.0f, 4.0f};
    for (int h = 0; h < 4; ++h) {
        ASSERT_FALSE(releases[h].empty()) << h;
        EXPECT_NEAR(releases[h][0], firsts[h], dt * 1.5f) << h;
        if (releases[h].size() > 1) {
            EXPECT_NEAR(releases[h][1] - releases[h][0], 32.0f, dt * 1.5f) << h;
        }
    }
    EXPECT_EQ(releases[3].size(), 2u);
}

TEST_F(MothershipTest, ReleasedSaucerIsSmallAndBelowItsHatch) {
    Build(Vector(0.0f, 300.0f, 0.0f));
    Register();
    PlaceMothershipParts(base);
    g_hatchSpawnRate = 1.0f;
    GameObject* const hatch = parts[11];
    for (int i = 0; i < 100 && Unit(hatch)->m_createdObject == nullptr; ++i) {
        Step(hatch, 0.05f);
    }
    GameObject* const ufo = Unit(hatch)->m_createdObject;
    ASSERT_NE(ufo, nullptr);
    EXPECT_EQ(ufo->name, kMediumUfo);
    ExpectNear(ufo->scale, Vector(0.6f, 0.6f, 0.6f));
    ExpectNear(ufo->position, hatch->position + Vector(0.0f, -20.0f, 0.0f));
}

TEST_F(MothershipTest, WithSixSaucersAliveAHatchLosesItsTurn) {
    Build(Vector(0.0f, 300.0f, 0.0f));
    Register();
    for (int i = 0; i < 6; ++i) {
        kit.Spawn(kMediumUfo);
    }
    GameObject* const hatch = parts[11];
    // Past the first chance at 4 s: nothing is released.
    for (int i = 0; i < 90; ++i) {
        Step(hatch, 0.05f);
    }
    EXPECT_EQ(Live(kMediumUfo), 6u);
    // One goes: the next chance comes 32 s after the lost one, not at once.
    kit.level.DeleteObject(kit.level.Objects().back());
    for (int i = 0; i < 20 * 30; ++i) {
        Step(hatch, 0.05f);
    }
    EXPECT_EQ(Live(kMediumUfo), 5u);
    for (int i = 0; i < 20 * 3; ++i) {
        Step(hatch, 0.05f);
    }
    EXPECT_EQ(Live(kMediumUfo), 6u);
}

// --- the gun ----------------------------------------------------------------------------------

struct GunTest : MothershipTest {
    ClipGraphic* gunLook = nullptr;
    GameObject* gun = nullptr;
    GameObject* core = nullptr;

    void SetUpGun(const Vector& robotAt) {
        Build(Vector(0.0f, 300.0f, 0.0f));
        gun = parts[0];
        core = parts[1];
        gunLook = GiveClips(gun, {{"Idle", 2.0f},
                                  {"Open", 1.0f},
                                  {"Charge", 1.0f},
                                  {"Shoot", 0.5f},
                                  {"Rest", 1.0f},
                                  {"Retract", 1.0f}});
        Register();
        PlaceMothershipParts(base);
        kit.robot->position = robotAt;
        g_mothershipInactive = false;
        // Entered again now that the gun has its clips.
        Unit(gun)->ChangeTo(STATE_MOTHERSHIP_BFG_ATTACK);
    }
    std::string ActiveClip() {
        for (const auto& [name, clip] : gunLook->Clips().m_animations) {
            if (clip->m_active) {
                return name;
            }
        }
        return "";
    }
    // Runs the gun until the clip changes; returns the seconds it took.
    float RunPhase(float limit = 60.0f) {
        const std::string from = ActiveClip();
        float t = 0.0f;
        while (t < limit) {
            UpdateAnimations(gunLook->Clips(), kDt);
            Step(gun);
            t += kDt;
            if (ActiveClip() != from) {
                break;
            }
        }
        return t;
    }
};

TEST_F(GunTest, PhasesCycleWithTheirTimings) {
    SetUpGun(Vector(0.0f, 342.065f, 1000.0f));
    EXPECT_EQ(ActiveClip(), "Idle");
    // At half speed a clip of 1 s takes 2 s.
    const std::vector<std::pair<std::string, float>> expected = {
        {"Open", 10.0f}, {"Charge", 2.0f},  {"Shoot", 2.0f},
        {"Rest", 1.0f},  {"Retract", 5.0f}, {"Idle", 2.0f}};
    for (const auto& [next, seconds] : expected) {
        const float took = RunPhase();
        EXPECT_EQ(ActiveClip(), next);
        EXPECT_NEAR(took, seconds, 2.5f * kDt) << next;
    }
    EXPECT_FLOAT_EQ(g_hatchSpawnRate, 1.25f);
    EXPECT_NEAR(g_bfgPower, 0.475f, 1e-6f);
}

TEST_F(GunTest, FirstShotPushesAWideningRingAndHurtsTheRobotNearby) {
    // 100 units beside the gun at its height.
    SetUpGun(Vector(100.0f, 342.065f, 0.0f));
    for (int phase = 0; phase < 3; ++phase) {
        RunPhase();
    }
    ASSERT_EQ(ActiveClip(), "Shoot");
    DeliverDelayed();
    const std::vector<RadialForce> pushes =
        kit.Payloads<RadialForce>(HANDLER_PHYSX_PROCESS, MSG_PHYSICS_RADIAL_FORCE);
    ASSERT_EQ(pushes.size(), 15u);
    EXPECT_NEAR(pushes.front().m_radius, 10.0f, 1e-3f);
    EXPECT_NEAR(pushes.back().m_radius, 206.0f, 1e-3f);
    EXPECT_NEAR(pushes.front().m_force, 160.0f, 1e-3f);
    EXPECT_NEAR(pushes[10].m_force, 480.0f, 1e-3f);
    EXPECT_NEAR(pushes.back().m_force, 352.0f, 1e-3f);
    EXPECT_EQ(pushes.front().m_mode, RadialForce::kMassImpulse);
    EXPECT_FLOAT_EQ(pushes.front().m_center.y, 10.0f);
    ASSERT_EQ(links.damage.size(), 1u);
    EXPECT_NEAR(links.damage[0], 15.0f, 1e-3f);
    // The core hangs exposed below the gun.
    EXPECT_NEAR(core->position.y, gun->position.y - 165.0f, 1.0f);
}

TEST_F(GunTest, HatchRateRisesByAQuarterPerCycleUpToThree) {
    SetUpGun(Vector(0.0f, 0.0f, 5000.0f));
    float lastPower = 0.0f;
    for (int cycle = 0; cycle < 10; ++cycle) {
        for (int phase = 0; phase < 6; ++phase) {
            RunPhase();
        }
        EXPECT_FLOAT_EQ(g_hatchSpawnRate, std::min(3.0f, 1.0f + 0.25f * (cycle + 1))) << cycle;
        lastPower = g_bfgPower;
    }
    EXPECT_FLOAT_EQ(lastPower, 0.8f);
    // Beyond 250 units the blast does no harm.
    for (f32 d : links.damage) {
        EXPECT_EQ(d, 0.0f);
    }
}

TEST_F(GunTest, InactiveBossHoldsTheIdleCount) {
    SetUpGun(Vector(0.0f, 0.0f, 5000.0f));
    for (int i = 0; i < 300; ++i) {
        Step(gun);
    }
    g_mothershipInactive = true;
    for (int i = 0; i < 6000; ++i) {
        Step(gun);
    }
    EXPECT_EQ(ActiveClip(), "Idle");
    g_mothershipInactive = false;
    // 5 s stood; 5 more open the gun.
    const float took = RunPhase();
    EXPECT_EQ(ActiveClip(), "Open");
    EXPECT_NEAR(took, 5.0f, 2.5f * kDt);
}

TEST_F(GunTest, HeldSoundIsPersistentAndReleasedBeforeTheNext) {
    SetUpGun(Vector(0.0f, 0.0f, 5000.0f));
    RunPhase();
    RunPhase();
    const std::vector<std::string> want = {"persistent 1", "group 1 1",    "play 1",    "stop 1",
                                           "release 1",    "persistent 2", "group 1 2", "play 2"};
    EXPECT_EQ(links.sounds.calls, want);
}

// --- the base and its death --------------------------------------------------------------------

TEST_F(MothershipTest, EntryComesInAtFullSpeedAndArrivesWithTheFourValues) {
    Build(Vector(0.0f, 400.0f, 200.0f));
    AIViewComponent* const unit = Unit(base);
    unit->m_stateMachine->Update(kDt);
    ASSERT_TRUE(unit->InState(STATE_MOTHERSHIP_ENTRY));
    EXPECT_TRUE(g_mothershipInactive);
    EXPECT_EQ(kit.Count(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_ENABLE_SHADOWS), 1u);
    EXPECT_FLOAT_EQ(g_entryStartZ, 200.0f);
    Step(base, 0.1f);
    EXPECT_NEAR(base->position.z, 170.0f, 1e-3f);
    int frames = 0;
    while (unit->InState(STATE_MOTHERSHIP_ENTRY) && frames < 10000) {
        Step(base);
        ++frames;
    }
    EXPECT_TRUE(unit->InState(STATE_MOTHERSHIP_ATTACK));
    EXPECT_FALSE(g_mothershipInactive);
    EXPECT_LE(base->position.z, -800.0f);
    const std::vector<float> exposure =
        kit.Payloads<float>(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_SET_EXPOSURE_VALUE);
    ASSERT_FALSE(exposure.empty());
    EXPECT_FLOAT_EQ(exposure.back(), 2.0f);
    EXPECT_EQ(kit.Count(HANDLER_BUILDING_PROCESS, MSG_BUILDING_START_SPAWNING), 1u);
}

TEST_F(MothershipTest, TurningIsAFixedStepPerFrame) {
    Build(Vector(0.0f, 400.0f, -900.0f));
    Register();
    Quaternion q;
    TurnMothership(*base, 0.002f);
    Quaternion::Integrate(q, Vector(0.0f, 1.0f, 0.0f), 0.002f);
    EXPECT_FLOAT_EQ(base->orientation.y, q.y);
    EXPECT_TRUE(base->orientationChanged);
}

struct DeathTest : MothershipTest {
    // Brings the base to its attack and then destroys the core.
    void Attack() {
        Build(Vector(0.0f, 400.0f, -900.0f));
        AIViewComponent* const unit = Unit(base);
        unit->m_stateMachine->Update(kDt);
        Step(base);
        ASSERT_TRUE(unit->InState(STATE_MOTHERSHIP_ATTACK));
        kit.level.DeleteObject(parts[1]);
        Step(base);
        ASSERT_TRUE(unit->InState(STATE_MOTHERSHIP_DIE));
    }
};

TEST_F(DeathTest, FirstStageEndsOnceEvenWithUnevenFrames) {
    Attack();
    const float frames[2] = {0.013f, 0.031f};
    for (int i = 0; g_deathTime < 5.0f; ++i) {
        Step(base, frames[i % 2]);
    }
    EXPECT_EQ(kit.Count(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_EXPOSURE_TEMP_CHANGE), 1u);
    DeliverDelayed();
    const std::vector<RadialForce> pushes =
        kit.Payloads<RadialForce>(HANDLER_PHYSX_PROCESS, MSG_PHYSICS_RADIAL_FORCE);
    ASSERT_EQ(pushes.size(), 5u);
    const float radii[5] = {50, 60, 70, 80, 90};
    const float forces[5] = {262.5f, 327.5f, 392.5f, 457.5f, 522.5f};
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(pushes[i].m_radius, radii[i], 1e-3f);
        EXPECT_NEAR(pushes[i].m_force, forces[i], 1e-3f);
        EXPECT_EQ(pushes[i].m_exclude_id, 0u);
    }
}

TEST_F(DeathTest, PartsGoInTurnAndTheBaseSinksToForty) {
    Attack();
    AIViewComponent* const gun = Unit(parts[0]);
    AIViewComponent* const turret = Unit(parts[2]);
    AIViewComponent* const hatch = Unit(parts[8]);
    EXPECT_EQ(turret->m_health, 10000);
    float gunAt = -1.0f;
    float turretAt = -1.0f;
    float hatchAt = -1.0f;
    int frames = 0;
    while (base->position.y > 40.0f && frames < 60 * 120) {
        Step(base);
        ++frames;
        if (gunAt < 0.0f && gun->m_expired) {
            gunAt = g_deathTime;
        }
        if (turretAt < 0.0f && turret->m_expired) {
            turretAt = g_deathTime;
            EXPECT_GE(g_explosionRadius, 178.0f);
        }
        if (hatchAt < 0.0f && hatch->m_expired) {
            hatchAt = g_deathTime;
            EXPECT_GE(g_explosionRadius, 275.0f);
        }
    }
    EXPECT_LE(base->position.y, 40.0f);
    EXPECT_NEAR(gunAt, 4.0f, 2.0f * kDt);
    EXPECT_NEAR(turretAt, 8.5f, 0.1f);
    EXPECT_NEAR(hatchAt, 11.3f, 0.1f);
    // Down: every later frame only stops the shake and the blur.
    const std::size_t shakes =
        kit.Count(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE);
    const float sunk = base->position.y;
    Step(base);
    Step(base);
    EXPECT_EQ(kit.Count(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE), shakes + 2);
    EXPECT_FLOAT_EQ(base->position.y, sunk);
    EXPECT_FLOAT_EQ(
        kit.Payloads<float>(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE).back(),
        0.0f);
}

TEST_F(DeathTest, GunSoundThatEndedIsStoppedAndReleasedOnceAtDeath) {
    Build(Vector(0.0f, 400.0f, -900.0f));
    GameObject* const gun = parts[0];
    GiveClips(gun, {{"Idle", 2.0f}, {"Open", 1.0f}});
    Register();
    g_mothershipInactive = false;
    Unit(gun)->ChangeTo(STATE_MOTHERSHIP_BFG_ATTACK);
    for (int i = 0; i < 11 * 60; ++i) {
        Step(gun);
    }
    ASSERT_EQ(links.sounds.calls.size(), 3u);
    // The death begins long after the open sound ended.
    Unit(base)->m_stateMachine->Update(kDt);
    Step(base);
    kit.level.DeleteObject(parts[1]);
    Step(base);
    ASSERT_TRUE(Unit(base)->InState(STATE_MOTHERSHIP_DIE));
    while (g_deathTime < 6.0f) {
        Step(base);
    }
    const std::vector<std::string>& calls = links.sounds.calls;
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "release 1"), 1);
    EXPECT_EQ(Unit(gun)->m_soundInstance, nullptr);
}

// --- the whole fight ----------------------------------------------------------------------------

// The boss as a level runs it: the AI process updates every part, removes the dead and reports
// each removal to the game logic, from the entry over the city to the sunken base.
TEST_F(MothershipTest, AWholeFightFromEntryToTheSunkenBase) {
    // The robot waits on the ground under the place the boss stops at.
    kit.robot->position = Vector(0.0f, 0.0f, -800.0f);
    Build(Vector(0.0f, 200.0f, 300.0f));
    GameObject* const gun = parts[0];
    GameObject* const core = parts[1];
    ClipGraphic* const gunLook = GiveClips(gun, {{"Idle", 2.0f},
                                                 {"Open", 1.0f},
                                                 {"Charge", 1.0f},
                                                 {"Shoot", 0.5f},
                                                 {"Rest", 1.0f},
                                                 {"Retract", 1.0f}});
    Unit(gun)->ChangeTo(STATE_MOTHERSHIP_BFG_ATTACK);
    AIViewComponent* const boss = Unit(base);
    // The gun's clips run as the graphics process would run them, while the gun is there.
    const auto frame = [&] {
        if (Live(kGun) != 0) {
            UpdateAnimations(gunLook->Clips(), kDt);
        }
        kit.ai->Update(kDt);
    };

    int frames = 0;
    while (!boss->InState(STATE_MOTHERSHIP_ATTACK) && frames < 60 * 60) {
        frame();
        ++frames;
    }
    ASSERT_TRUE(boss->InState(STATE_MOTHERSHIP_ATTACK));
    EXPECT_LE(base->position.z, -800.0f);

    // Forty seconds of attack: every hatch has had its turn, the gun has fired.
    std::size_t mostSaucers = 0;
    for (int i = 0; i < 40 * 60; ++i) {
        frame();
        mostSaucers = std::max(mostSaucers, Live(kMediumUfo));
    }
    EXPECT_EQ(mostSaucers, 6u);
    ASSERT_FALSE(links.damage.empty());
    EXPECT_GT(links.damage.front(), 0.0f);
    EXPECT_GT(links.pulses, 0);
    EXPECT_GT(g_hatchSpawnRate, 1.0f);
    EXPECT_EQ(kit.Payloads<std::string>(HANDLER_GAME_LOGIC_PROCESS, MSG_AGENT_DIED).size(), 0u);

    // The core goes; the base dies in its stages and sinks.
    Unit(core)->TakeDamage(1000);
    frames = 0;
    while (base->position.y > 40.0f && frames < 60 * 120) {
        frame();
        ++frames;
    }
    EXPECT_TRUE(boss->InState(STATE_MOTHERSHIP_DIE));
    EXPECT_LE(base->position.y, 40.0f);
    for (int i = 0; i < 60; ++i) {
        frame();
    }

    const std::vector<std::string> died =
        kit.Payloads<std::string>(HANDLER_GAME_LOGIC_PROCESS, MSG_AGENT_DIED);
    const auto reported = [&died](const char* type) {
        return std::count(died.begin(), died.end(), std::string(type));
    };
    const struct {
        const char* type;
        long count;
    } removed[] = {{kBase, 0}, {kGun, 1}, {kCore, 1}, {kTurret, 6}, {kHatch, 12}};
    for (const auto& r : removed) {
        EXPECT_EQ(reported(r.type), r.count) << r.type;
        EXPECT_EQ(Live(r.type), r.type == kBase ? 1u : 0u) << r.type;
    }
}

} // namespace
