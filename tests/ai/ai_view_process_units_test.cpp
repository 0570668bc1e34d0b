#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ai_kit.h"
#include "content/particle_system_info.h"
#include "game/remove_count.h"

namespace {

using ai_kit::Kit;
using ai_kit::UnitParams;

struct ProcessTest : ::testing::Test {
    Kit kit;
    component_fixture::MessageRecorder asker;

    GameObject* Make(const std::string& type, const Vector& at = Vector(),
                     std::vector<std::string> states = {"STATE_TANK_SPAWN", "STATE_GRABBED",
                                                        "STATE_THROWN", "STATE_CITIZEN_PANIC",
                                                        "STATE_TRANSPORT_SEEK"}) {
        UnitParams p;
        p.states = std::move(states);
        p.movementOn = false;
        kit.DefineUnit(type, p);
        return kit.Spawn(type, at);
    }
    GameObject* Query(u32 type, const Vector& dir, GameObject* from = nullptr) {
        if (asker.router == nullptr) {
            asker.Bind(&kit.level.Router(), HANDLER_PLAYER_PROCESS);
        }
        asker.received.clear();
        Message<std::pair<GameObject*, Vector>> q(type, {from != nullptr ? from : kit.robot, dir});
        asker.SendMessage(&q, AIViewProcess::kHandlerId);
        EXPECT_EQ(asker.received.size(), 1u);

        if (asker.received.empty()) {
            return nullptr;
        }
        EXPECT_EQ(asker.received[0].message->type, static_cast<u32>(MSG_AI_OBJECT));
        return asker.received[0].message->ValueOr<GameObject*>(nullptr);
    }
};

TEST_F(ProcessTest, InitializeAsksForTheOctreeAndPreloadsFourSounds) {
    kit.ai->Update(0.0f);
    std::vector<std::string> loads;
    for (const auto& r : kit.sound.received) {
        if (r.message->type == MSG_LOAD_SOUND) {
            loads.push_back(r.message->ValueOr<std::string>(""));
        }
    }
    EXPECT_EQ(loads, (std::vector<std::string>{"./assets/sound fx/tank_shot.mp3",
                                               "./assets/sound fx/helicopter_shot.mp3",
                                               "./assets/sound fx/helicopter.mp3",
                                               "./assets/sound fx/building_demolition_2.mp3"}));
    EXPECT_EQ(kit.Count(17, MSG_BUILDING_GET_BUILDINGS), 1u);
    kit.ai->Update(0.0f);
    EXPECT_EQ(kit.Count(17, MSG_BUILDING_GET_BUILDINGS), 2u);
}

TEST_F(ProcessTest, ExpiredUnitsAreHandledLastFoundFirst) {
    kit.MakeRobot();
    std::vector<GameObject*> units;
    for (int i = 0; i < 10; ++i) {
        units.push_back(Make("AI-Ground-Tank", Vector(static_cast<float>(i), 0.0f, 0.0f)));
        Kit::Unit(units.back())->m_expired = true;
    }
    kit.ai->Update(0.01f);
    EXPECT_EQ(kit.Count(16, MSG_AGENT_DIED), 10u);
    EXPECT_TRUE(kit.ai->m_units.empty());
    EXPECT_TRUE(kit.ai->m_dead.empty());
    // The explosions name the deaths' order by their places.
    std::vector<float> order;
    for (const auto& r : kit.At(1).received) {
        if (const auto* info = r.message->Payload<ParticleSystemInfo>()) {
            EXPECT_EQ(info->name, "unitexplosion");
            order.push_back(info->position.x);
        }
    }
    EXPECT_EQ(order, (std::vector<float>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(kit.Count(9, MSG_PHYSICS_RADIAL_FORCE), 10u);
}

TEST_F(ProcessTest, UnitsExpiredWhileInactiveAreStillRemoved) {
    kit.MakeRobot();
    Kit::Unit(Make("AI-Ground-Tank"))->m_expired = true;
    BaseMessage disable(MSG_DISABLE_AI);
    kit.ai->HandleMessage(&disable, 6);
    kit.ai->Update(0.01f);
    EXPECT_TRUE(kit.ai->m_units.empty());
    EXPECT_EQ(kit.Count(16, MSG_AGENT_DIED), 1u);
}

TEST_F(ProcessTest, MothershipBaseIsNeverRemoved) {
    kit.MakeRobot();
    AIViewComponent* base = Kit::Unit(Make("AI-Boss-Fly-MothershipBase"));
    base->m_expired = true;
    kit.ai->Update(0.01f);
    kit.ai->Update(0.01f);
    EXPECT_EQ(kit.ai->m_units.size(), 1u);
    EXPECT_EQ(kit.Count(16, MSG_AGENT_DIED), 0u);
}

TEST_F(ProcessTest, DisableTwiceRestoresUpdating) {
    kit.MakeRobot();
    AIViewComponent* unit = Kit::Unit(Make("AI-Ground-Tank"));
    BaseMessage disable(MSG_DISABLE_AI);
    kit.ai->HandleMessage(&disable, 6);
    kit.ai->Update(0.5f);
    EXPECT_EQ(unit->m_weaponTimer, 0.0f);
    kit.ai->HandleMessage(&disable, 6);
    kit.ai->Update(0.5f);
    EXPECT_EQ(unit->m_weaponTimer, 0.5f);
}

TEST_F(ProcessTest, DeathEffectsAndSoundsByKind) {
    kit.MakeRobot();
    struct Case {
        const char* type;
        const char* particles;
        const char* sound;
        bool positioned;
        float volume;
    };
    const Case cases[] = {
        {"AI-Ground-Citizen", "CitizenDeath", "./assets/sound fx/medium_explosion.mp3", true, 0.5f},
        {"AI-Ground-Tank", "unitexplosion", "./assets/sound fx/medium_explosion.mp3", true, 1.0f},
        {"Tiny", "explosion", "./assets/sound fx/building_demolition_2.mp3", false, 1.0f},
        {"AI-Fly-Transport", "unitexplosion", nullptr, false, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        kit.At(1).received.clear();
        GameObject* unit = Make(c.type);
        kit.audio.played.clear();
        kit.look.looks[unit];
        Kit::Unit(unit)->m_expired = true;
        kit.ai->Update(0.01f);
        const auto systems = kit.Payloads<ParticleSystemInfo>(1, MSG_CREATE_PARTICLE_SYSTEM);
        ASSERT_EQ(systems.size(), 1u);
        EXPECT_EQ(systems[0].name, c.particles);
        if (c.sound == nullptr) {
            EXPECT_TRUE(kit.audio.played.empty());
        } else {
            ASSERT_EQ(kit.audio.played.size(), 1u);
            EXPECT_EQ(kit.audio.played[0].path, c.sound);
            EXPECT_EQ(kit.audio.played[0].positioned, c.positioned);
            EXPECT_FLOAT_EQ(kit.audio.played[0].volume, c.volume);
        }
    }
}

TEST_F(ProcessTest, DyingSaucerTakesItsBeamsWithIt) {
    kit.MakeRobot();
    GameObject* ufo = Make("AI-Fly-MediumUFO");
    GameObject* beam = kit.level.Adopt(new GameObject("LaserBeam"));
    Kit::Unit(ufo)->m_stateMachine->m_beams.push_back(BeamRecord{beam, Vector(), 0.0f, 0.0f});
    const std::size_t objects = kit.level.Objects().size();
    Kit::Unit(ufo)->m_expired = true;
    kit.ai->Update(0.01f);
    EXPECT_EQ(kit.Count(1, MSG_GRAPHICS_LASER_BEAM_DELETION), 1u);
    // The beam and the saucer are gone.
    EXPECT_EQ(objects - kit.level.Objects().size(), 2u);
}

TEST_F(ProcessTest, KillAllSparesTinyAndBosses) {
    kit.MakeRobot();
    AIViewComponent* tank = Kit::Unit(Make("AI-Ground-Tank"));
    AIViewComponent* tiny = Kit::Unit(Make("Tiny"));
    AIViewComponent* boss = Kit::Unit(Make("AI-Boss-Fly-Flythra"));
    BaseMessage kill(MSG_KILL_ALL_AI_AGENTS);
    kit.ai->HandleMessage(&kill, 16);
    EXPECT_TRUE(tank->m_expired);
    EXPECT_FALSE(tiny->m_expired);
    EXPECT_FALSE(boss->m_expired);
}

TEST_F(ProcessTest, QueriesWithoutThePlayerAnswerNull) {
    GameObject* source = kit.level.Adopt(new GameObject("Robot"));
    Make("AI-Ground-Tank", Vector(0.0f, 15.0f, -50.0f));
    EXPECT_EQ(Query(MSG_AI_OBJECT_TO_LASER, Vector(0.0f, 0.0f, -1.0f), source), nullptr);
}

TEST_F(ProcessTest, LaserPrefersAUnitOverACitizenAhead) {
    kit.MakeRobot();
    GameObject* citizen = Make("AI-Ground-Citizen", Vector(0.0f, 15.0f, -50.0f));
    GameObject* tank = Make("AI-Ground-Tank", Vector(30.0f, 15.0f, -50.0f));
    EXPECT_EQ(Query(MSG_AI_OBJECT_TO_LASER, Vector(0.0f, 0.0f, -1.0f)), tank);
    EXPECT_EQ(kit.Count(3, MSG_CITIZEN_PANIC), 0u);
    (void)citizen;
}

TEST_F(ProcessTest, ACitizenAfterAUnitMustBeatItsScore) {
    kit.MakeRobot();
    GameObject* tank = Make("AI-Ground-Tank", Vector(30.0f, 15.0f, -50.0f));
    GameObject* citizen = Make("AI-Ground-Citizen", Vector(0.0f, 15.0f, -50.0f));
    // Straight ahead the citizen scores lower and wins; it is told to panic.
    EXPECT_EQ(Query(MSG_AI_OBJECT_TO_LASER, Vector(0.0f, 0.0f, -1.0f)), citizen);
    EXPECT_TRUE(Kit::Unit(citizen)->InState(STATE_CITIZEN_PANIC));
    // Aimed at the tank, the citizen off-axis loses.
    Kit::Unit(citizen)->ChangeTo(STATE_TANK_SPAWN);
    EXPECT_EQ(Query(MSG_AI_OBJECT_TO_LASER, Vector(30.0f, 0.0f, -50.0f)), tank);
}

TEST_F(ProcessTest, GrabNeverTakesCitizensTinyOrTheUfoBoss) {
    kit.MakeRobot();
    kit.ai->m_ufoShield = false;
    for (const char* type : {"AI-Ground-Citizen", "Tiny", "AI-Boss-Fly-UFO"}) {
        Make(type, Vector(0.0f, 15.0f, -20.0f));
    }
    EXPECT_EQ(Query(MSG_AI_OBJECT_TO_GRAB, Vector(0.0f, 0.0f, -1.0f)), nullptr);
    GameObject* tank = Make("AI-Ground-Tank", Vector(5.0f, 15.0f, -30.0f));
    EXPECT_EQ(Query(MSG_AI_OBJECT_TO_GRAB, Vector(0.0f, 0.0f, -1.0f)), tank);
    // Out of reach (45 units) nothing is grabbed.
    Kit::Unit(tank)->owner->position = Vector(0.0f, 15.0f, -46.0f);
    EXPECT_EQ(Query(MSG_AI_OBJECT_TO_GRAB, Vector(0.0f, 0.0f, -1.0f)), nullptr);
}

TEST_F(ProcessTest, ThrowNeedsAClearLineOverTheBuildings) {
    kit.MakeRobot();
    GameObject* tank = Make("AI-Ground-Tank", Vector(0.0f, 15.0f, -200.0f));
    GameObject* building = kit.Building(Vector(0.0f, 15.0f, -100.0f), Vector(10.0f, 30.0f, 10.0f));
    kit.UseBuildings();
    EXPECT_EQ(Query(MSG_AI_OBJECT_TO_THROW_TO, Vector(0.0f, 0.0f, -1.0f)), nullptr);
    EXPECT_FALSE(Kit::Unit(tank)->m_lineClear);
    // The answer is kept until the check clock runs again.
    building->position = Vector(100.0f, 15.0f, -100.0f);
    EXPECT_EQ(Query(MSG_AI_OBJECT_TO_THROW_TO, Vector(0.0f, 0.0f, -1.0f)), nullptr);
    Kit::Unit(tank)->m_age = 0.5f;
    EXPECT_EQ(Query(MSG_AI_OBJECT_TO_THROW_TO, Vector(0.0f, 0.0f, -1.0f)), tank);
}

TEST_F(ProcessTest, ValidAnswersWhetherAUnitOwnsTheObject) {
    GameObject* tank = Make("AI-Ground-Tank");
    asker.Bind(&kit.level.Router(), HANDLER_PLAYER_PROCESS);
    for (GameObject* object : {tank, static_cast<GameObject*>(nullptr)}) {
        Message<GameObject*> q(MSG_AI_OBJECT_VALID, object);
        asker.SendMessage(&q, AIViewProcess::kHandlerId);
    }
    ASSERT_EQ(asker.received.size(), 2u);
    EXPECT_TRUE(asker.received[0].message->ValueOr<bool>(false));
    EXPECT_FALSE(asker.received[1].message->ValueOr<bool>(true));
}

TEST_F(ProcessTest, GrabThrowAndLaserAreForwardedToTheObject) {
    kit.MakeRobot();
    GameObject* tank = Make("AI-Ground-Tank");
    Message<GameObject*> grab(MSG_GRAB, tank);
    kit.ai->HandleMessage(&grab, HANDLER_PLAYER_PROCESS);
    EXPECT_TRUE(Kit::Unit(tank)->InState(STATE_GRABBED));
}

// --- spawning ------------------------------------------------------------------------------

struct SpawnTest : ProcessTest {
    ai_kit::FakeSpawnPoint& Point(const std::string& spawnType, const Vector& at) {
        kit.DefineSpawnPoint("Spawner", spawnType);
        GameObject* object = kit.Spawn("Spawner", at);
        auto& point =
            static_cast<ai_kit::FakeSpawnPoint&>(*object->GetComponent(ComponentType::SpawnPoint));
        point.at = at;
        return point;
    }
    void Send(BaseMessage& msg) { kit.ai->HandleMessage(&msg, HANDLER_GAME_LOGIC_PROCESS); }
};

TEST_F(SpawnTest, FiveUnitsOverTwoPointsGiveThreeAndTwo) {
    ai_kit::FakeSpawnPoint& a = Point("AI-Ground-Tank", Vector(100.0f, 0.0f, 0.0f));
    ai_kit::FakeSpawnPoint& b = Point("AI-Ground-Tank", Vector(-100.0f, 0.0f, 0.0f));
    ai_kit::FakeSpawnPoint& other = Point("AI-Fly-Helicopter", Vector(0.0f, 0.0f, 0.0f));
    SpawnStruct s;
    s.m_count = 2;
    s.m_spawn_count = 5;
    s.m_zone = 2;
    s.m_type_name = "AI-Ground-Tank";
    Message<SpawnStruct> spawn(MSG_SPAWN_AGENTS, s);
    Send(spawn);
    EXPECT_EQ(a.pending, 3);
    EXPECT_EQ(b.pending, 2);
    EXPECT_EQ(other.pending, 0);
    EXPECT_FLOAT_EQ(a.storedDistance, 10000.0f);
    EXPECT_EQ(kit.Payloads<std::string>(16, MSG_INC_AGENT_COUNT).size(), 5u);
}

TEST_F(SpawnTest, SelectionHonoursRadiusZoneAndMaximum) {
    ai_kit::FakeSpawnPoint& near = Point("AI-Ground-Tank", Vector(0.0f, 0.0f, -300.0f));
    ai_kit::FakeSpawnPoint& deep = Point("AI-Ground-Tank", Vector(0.0f, 0.0f, -500.0f));
    ai_kit::FakeSpawnPoint& far = Point("AI-Ground-Tank", Vector(0.0f, 0.0f, -800.0f));
    near.target = deep.target = far.target = Vector(0.0f, 0.0f, -300.0f);
    SpawnStruct s;
    s.m_count = 10;
    s.m_spawn_count = 1;
    s.m_zone = 0;
    s.m_radius = 400.0f;
    s.m_type_name = "AI-Ground-Tank";
    // Zone 0 keeps only z >= -337; the radius (grown by 50 after the first) drops the far one.
    EXPECT_EQ(kit.ai->SelectSpawnPoints(s), (std::vector<Component*>{&near}));
    s.m_zone = 1;
    s.m_radius = 400.0f;
    EXPECT_EQ(kit.ai->SelectSpawnPoints(s), (std::vector<Component*>{&near, &deep}));
    s.m_zone = 2;
    s.m_radius = 440.0f;
    EXPECT_EQ(kit.ai->SelectSpawnPoints(s).size(), 2u);
    s.m_radius = 440.0f;
    s.m_count = 1;
    EXPECT_EQ(kit.ai->SelectSpawnPoints(s).size(), 1u);
}

TEST_F(SpawnTest, ConstantThenClearReportsTheLargestCount) {
    ai_kit::FakeSpawnPoint& a = Point("AI-Ground-Tank", Vector());
    BaseMessage constant(MSG_SPAWN_CONSTANT);
    Send(constant);
    Message<int> add(MSG_SPAWN_ADD_COUNT, 5);
    Send(add);
    EXPECT_EQ(a.pending, 2147483647);
    BaseMessage clear(MSG_SPAWN_CLEAR_COUNT);
    Send(clear);
    const auto removed = kit.Payloads<RemoveCount>(16, MSG_REMOVE_COUNT);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].m_count, 2147483647);
    EXPECT_EQ(removed[0].m_type_name, "AI-Ground-Tank");
    EXPECT_EQ(a.pending, 0);
}

TEST(SpawnTutorial, TutorialCitizenSpawnerGetsItsParameters) {
    Kit kit(true);
    kit.DefineSpawnPoint("CitizenSpawner", "AI-Ground-Citizen");
    GameObject* object = kit.Spawn("CitizenSpawner");
    auto& point =
        static_cast<ai_kit::FakeSpawnPoint&>(*object->GetComponent(ComponentType::SpawnPoint));
    EXPECT_EQ(point.first, 0.0f);
    EXPECT_EQ(point.second, 400.0f);
}

} // namespace
