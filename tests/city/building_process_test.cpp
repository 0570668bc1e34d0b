#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "city/city_level_fixture.h"
#include "content/particle_system_info.h"
#include "game/radial_force.h"

namespace {

using city_level::Shape;
using Tree = Quadtree<BuildingComponent*>;

class BuildingQueries : public city_level::City {
  protected:
    std::vector<Tree*> GetBuildings() {
        BaseMessage ask(MSG_BUILDING_GET_BUILDINGS);
        Ask(&ask);
        return Payloads<Tree*>(HANDLER_GAME_LOGIC_PROCESS, MSG_BUILDINGS);
    }
    GameObject* Grab(GameObject* robot, const Vector& direction) {
        at[HANDLER_GAME_LOGIC_PROCESS]->received.clear();
        Message<std::pair<GameObject*, Vector>> ask(MSG_BUILDING_TO_GRAB, {robot, direction});
        Ask(&ask);
        const std::vector<GameObject*> answers =
            Payloads<GameObject*>(HANDLER_GAME_LOGIC_PROCESS, MSG_BUILDING);
        EXPECT_EQ(answers.size(), 1u);
        return answers.empty() ? nullptr : answers.front();
    }
};

TEST_F(BuildingQueries, TwoRequestsForTheBuildingsShapeTheTreeOnce) {
    MakeBuilding("BuildingHighrise",
                 Shape().At(Vector(10.0f, 0.0f, 20.0f)).Extents(Vector(3.0f, 10.0f, 4.0f)));
    testing::internal::CaptureStdout();
    const std::vector<Tree*> trees = [&] {
        GetBuildings();
        return GetBuildings();
    }();
    const std::string log = testing::internal::GetCapturedStdout();
    ASSERT_EQ(trees.size(), 2u);
    EXPECT_EQ(trees[0], &buildings->m_quadtree);
    EXPECT_EQ(trees[1], trees[0]);
    // Footprint 10 (a 6 by 8 mesh), reach 20 around (10, 20): the root covers x -10..30
    // and z 0..40 with a quarter to spare; two halvings fit the footprint, so depth 1.
    EXPECT_EQ(log, "Quadtree:\n"
                   "  volume: Vector( 25, 0, 25 )\n"
                   "  position: Vector( 10, 0, 20 )\n");
    EXPECT_EQ(Tree::s_max_depth, 1);
    EXPECT_EQ(buildings->m_quadtree.Size(), 1);
}

TEST_F(BuildingQueries, WithoutAnchoredBuildingsTheRootIsAZeroBoxOfDepthZero) {
    Shape loose;
    loose.anchored = false;
    loose.position = Vector(100.0f, 0.0f, 100.0f);
    MakeBuilding("BuildingBlock", loose);
    GetBuildings();
    EXPECT_EQ(buildings->m_quadtree.volume, Vector(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(buildings->m_quadtree.position, Vector(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(Tree::s_max_depth, 0);
    EXPECT_EQ(buildings->m_quadtree.Size(), 0);
}

TEST_F(BuildingQueries, TheNearerSlightlyOffAxisBuildingWinsTheGrab) {
    GameObject* robot = MakeRobot();
    const Vector eye(0.0f, 15.0f, 0.0f);
    const float tenDegrees = 10.0f * 3.14159265f / 180.0f;
    const Vector tiny(0.001f, 0.001f, 0.001f);
    GameObject* ahead = MakeBuilding(
        "BuildingStore", Shape().Grabbable().At(eye + Vector(0.0f, 0.0f, 20.0f)).Extents(tiny));
    GameObject* aside =
        MakeBuilding("BuildingStore",
                     Shape()
                         .Grabbable()
                         .At(eye + Vector(std::sin(tenDegrees), 0.0f, std::cos(tenDegrees)) * 10.0f)
                         .Extents(tiny));
    GetBuildings();
    EXPECT_EQ(Grab(robot, Vector(0.0f, 0.0f, 1.0f)), aside);
    BuildingOf(aside)->m_held = true;
    EXPECT_EQ(Grab(robot, Vector(0.0f, 0.0f, 2.0f)), ahead);
    BuildingOf(ahead)->m_grabbable = false;
    EXPECT_EQ(Grab(robot, Vector(0.0f, 0.0f, 1.0f)), nullptr);
}

TEST_F(BuildingQueries, NothingInReachAnswersNull) {
    GameObject* robot = MakeRobot();
    MakeBuilding("BuildingStore", Shape().Grabbable().At(Vector(0.0f, 15.0f, 100.0f)));
    MakeBuilding("BuildingStore", Shape().Grabbable().At(Vector(0.0f, 15.0f, -20.0f)));
    GetBuildings();
    EXPECT_EQ(Grab(robot, Vector(0.0f, 0.0f, 1.0f)), nullptr);
}

TEST_F(BuildingQueries, LoosePiecesAreOfferedOnlyWhenNoHouseQualifies) {
    GameObject* robot = MakeRobot();
    Shape piece;
    piece.anchored = false;
    piece.grabbable = false;
    piece.position = Vector(0.0f, 15.0f, 20.0f);
    piece.extents = Vector(3.0f, 3.0f, 3.0f);
    GameObject* block = MakeBuilding("BuildingBlock", piece);
    piece.extents = Vector(1.0f, 1.0f, 1.0f);
    piece.position = Vector(0.0f, 15.0f, 10.0f);
    MakeBuilding("BuildingBlock", piece); // too small to hold
    GetBuildings();
    EXPECT_EQ(Grab(robot, Vector(0.0f, 0.0f, 1.0f)), block);
    GameObject* house =
        MakeBuilding("BuildingStore", Shape().Grabbable().At(Vector(0.0f, 15.0f, 25.0f)));
    buildings->UpdateQuadtree(0.0f);
    EXPECT_EQ(Grab(robot, Vector(0.0f, 0.0f, 1.0f)), house);
}

TEST_F(BuildingQueries, DamageWithNothingStillStartsTheCollapse) {
    GameObject* house = MakeBuilding("BuildingHighrise");
    Message<std::pair<GameObject*, float>> hit(MSG_DAMAGE_BUILDING, {house, 0.0f});
    Ask(&hit);
    EXPECT_TRUE(BuildingOf(house)->m_collapsing);
    EXPECT_FLOAT_EQ(BuildingOf(house)->m_health, 100.0f);
    GameObject* tree = Make("Tree");
    Message<std::pair<GameObject*, float>> miss(MSG_DAMAGE_BUILDING, {tree, 10.0f});
    Ask(&miss);
}

TEST_F(BuildingQueries, ValidMeansTheObjectHasABuilding) {
    GameObject* house = MakeBuilding("BuildingHighrise");
    GameObject* tree = Make("Tree");
    for (GameObject* o : {house, tree}) {
        Message<GameObject*> ask(MSG_BUILDING_VALID, o);
        Ask(&ask);
    }
    EXPECT_EQ(Payloads<bool>(HANDLER_GAME_LOGIC_PROCESS, MSG_BUILDING_VALID),
              (std::vector<bool>{true, false}));
}

TEST_F(BuildingQueries, TheMultiplierIsSharedAndResetByANewProcess) {
    Message<float> set(MSG_BUILDING_DAMAGE_MULTIPLIER, 3.0f);
    Ask(&set);
    EXPECT_FLOAT_EQ(BuildingComponent::s_damage_multiplier, 3.0f);
    BuildingProcess another(false, false);
    EXPECT_FLOAT_EQ(BuildingComponent::s_damage_multiplier, 1.0f);
}

TEST_F(BuildingQueries, ObjectiveMarkersLightByType) {
    GameObject* reactor = MakeBuilding("BuildingReactorCenter");
    GameObject* relay = MakeBuilding("BuildingPowerRelayStation");
    GameObject* gas = MakeBuilding("BuildingGasObjective");
    GameObject* house = MakeBuilding("BuildingHighrise");
    BaseMessage power(MSG_TURN_POWER_OBJECT_ON);
    Ask(&power);
    EXPECT_EQ(services.markers, (std::set<GameObject*>{reactor, relay}));
    BaseMessage tutorial(MSG_TUTORIAL_GASSTATION_OBJ_LIGHTS);
    Ask(&tutorial);
    EXPECT_TRUE(services.markers.count(gas));
    EXPECT_FALSE(services.markers.count(house));
    BaseMessage menu(MSG_BUILDING_OBJECTIVE_IN_MENU);
    Ask(&menu);
    EXPECT_FLOAT_EQ(services.markerLives[gas], 0.1f);
    BaseMessage game(MSG_BUILDING_OBJECTIVE_IN_GAME);
    Ask(&game);
    EXPECT_FLOAT_EQ(services.markerLives[gas], 0.01f);
}

TEST_F(BuildingQueries, ComponentsAreKeptInCreationOrderAndHandedBack) {
    GameObject* a = MakeBuilding("BuildingA");
    GameObject* b = MakeBuilding("BuildingB");
    GameObject* c = MakeBuilding("BuildingC");
    EXPECT_EQ(buildings->m_buildings,
              (std::vector<BuildingComponent*>{BuildingOf(a), BuildingOf(b), BuildingOf(c)}));
    Remove(b);
    EXPECT_EQ(buildings->m_buildings,
              (std::vector<BuildingComponent*>{BuildingOf(a), BuildingOf(c)}));
    DefinitionComponent stranger("Stranger");
    buildings->RemoveComponent(&stranger);
    EXPECT_EQ(buildings->m_buildings.size(), 2u);
    StreamMap wrong = component_fixture::ComponentStream("Some-Object", "Physics");
    EXPECT_EQ(buildings->CreateComponent(&wrong), nullptr);
    EXPECT_EQ(buildings->CreateComponent(nullptr), nullptr);
}

class BuildingDestruction : public city_level::City {
  protected:
    void Destroy(GameObject* object) { BuildingOf(object)->m_health = 0.0f; }
    std::vector<std::pair<std::string, bool>> Reports() const {
        return Payloads<std::pair<std::string, bool>>(HANDLER_GAME_LOGIC_PROCESS,
                                                      MSG_BUILDING_DESTRUCTION);
    }
    void MakeEndless() { NewProcess(true); }
};

TEST_F(BuildingDestruction, ADestroyedHouseIsReportedDeletedAndRaisedAgainBehindTheRobot) {
    MakeRobot();
    GameObject* house = MakeBuilding("BuildingHighrise", Shape().At(Vector(0.0f, 0.0f, 300.0f)));
    Frames(1);
    ASSERT_EQ(buildings->m_spawn_records.size(), 1u);
    EXPECT_EQ(buildings->m_ordinary_count, 1);
    Destroy(house);
    Frames(2);
    EXPECT_EQ(Reports(), (std::vector<std::pair<std::string, bool>>{{"BuildingHighrise", false}}));
    EXPECT_EQ(level.deleted, (std::vector<std::string>{"BuildingHighrise"}));
    EXPECT_EQ(level.created, (std::vector<std::string>{"BuildingHighrise"}));
    ASSERT_EQ(buildings->m_buildings.size(), 1u);
    EXPECT_EQ(buildings->m_buildings[0]->m_spawn_id, 0);
    EXPECT_EQ(buildings->m_buildings[0]->owner->position, Vector(0.0f, 0.0f, 300.0f));
    EXPECT_TRUE(buildings->m_spawn_records[0].present);
    EXPECT_FLOAT_EQ(buildings->m_spawn_records[0].timer, -1.0f);
    EXPECT_EQ(buildings->m_ordinary_count, 1);
}

TEST_F(BuildingDestruction, WhereARecordMayRiseAgain) {
    struct Row {
        std::string name;
        Vector position;
        bool rises;
    };
    // The robot stands at the origin looking along -z.
    const std::vector<Row> rows = {
        {"behind, 300 away", Vector(0.0f, 0.0f, 300.0f), true},
        {"straight ahead, 1000 away", Vector(0.0f, 0.0f, -1000.0f), false},
        {"behind, 150 away", Vector(0.0f, 0.0f, 150.0f), false},
        {"beside, 250 away", Vector(250.0f, 0.0f, 0.0f), true},
        {"behind, too high", Vector(0.0f, 395.0f, 300.0f), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NewProcess(false);
        level.created.clear();
        MakeRobot();
        GameObject* house = MakeBuilding("BuildingHighrise", Shape().At(row.position));
        Frames(1);
        Destroy(house);
        Frames(30);
        EXPECT_EQ(!level.created.empty(), row.rises);
    }
}

TEST_F(BuildingDestruction, TheHeightCapCanBeLowered) {
    MakeRobot();
    GameObject* house = MakeBuilding("BuildingHighrise", Shape().At(Vector(0.0f, 0.0f, 300.0f)));
    Message<float> cap(MSG_BUILDINGS_MAX_RESPAWN_HEIGHT, 9.0f);
    Ask(&cap);
    Frames(1);
    Destroy(house);
    Frames(10);
    EXPECT_TRUE(level.created.empty());
    Message<float> higher(MSG_BUILDINGS_MAX_RESPAWN_HEIGHT, 10.0f);
    Ask(&higher);
    Frames(1);
    EXPECT_EQ(level.created.size(), 1u);
}

TEST_F(BuildingDestruction, WithSpawningStoppedRemovalGoesOnButNothingRises) {
    MakeRobot();
    GameObject* house = MakeBuilding("BuildingHighrise", Shape().At(Vector(0.0f, 0.0f, 300.0f)));
    BaseMessage stop(MSG_BUILDING_STOP_SPAWNING);
    Ask(&stop);
    Frames(1);
    Destroy(house);
    Frames(10);
    EXPECT_EQ(level.deleted.size(), 1u);
    EXPECT_TRUE(level.created.empty());
    BaseMessage start(MSG_BUILDING_START_SPAWNING);
    Ask(&start);
    Frames(1);
    EXPECT_EQ(level.created.size(), 1u);
}

TEST_F(BuildingDestruction, ABuildingOnTopRisesOnlyWhileTheOneBelowStands) {
    MakeRobot();
    GameObject* below = MakeBuilding("BuildingStore", Shape().At(Vector(0.0f, 0.0f, 300.0f)));
    GameObject* above =
        MakeBuilding("BuildingRoofGarden",
                     Shape().At(Vector(0.0f, 15.0f, 300.0f)).Extents(Vector(5.0f, 5.0f, 5.0f)));
    Frames(1);
    ASSERT_EQ(buildings->m_spawn_records.size(), 2u);
    EXPECT_EQ(buildings->m_spawn_records[1].supports, (std::vector<i32>{0}));
    EXPECT_TRUE(buildings->m_spawn_records[0].supports.empty());
    level.failCreation = true;
    Destroy(below);
    Destroy(above);
    Frames(10);
    EXPECT_GT(level.created.size(), 0u);
    for (const std::string& asked : level.created) {
        EXPECT_EQ(asked, "BuildingStore");
    }
    level.failCreation = false;
    level.shape.position = Vector(0.0f, 0.0f, 300.0f);
    Frames(20);
    EXPECT_TRUE(buildings->m_spawn_records[0].present);
    EXPECT_TRUE(buildings->m_spawn_records[1].present);
}

TEST_F(BuildingDestruction, AReactorInTheEndlessModeComesBackOnlyAfterTenSeconds) {
    MakeEndless();
    MakeRobot();
    GameObject* reactor = MakeBuilding("BuildingReactor", Shape().At(Vector(0.0f, 0.0f, 300.0f)));
    Frames(1, 0.5f);
    EXPECT_FALSE(buildings->m_spawn_records[0].special);
    EXPECT_FLOAT_EQ(buildings->m_spawn_records[0].delay, 10.0f);
    Destroy(reactor);
    Frames(2, 0.5f); // collapsing, then removed
    float waited = 0.0f;
    while (level.created.empty() && waited < 20.0f) {
        Frames(1, 0.5f);
        waited += 0.5f;
    }
    EXPECT_GE(waited, 10.0f);
    EXPECT_LE(waited, 10.5f);
}

TEST_F(BuildingDestruction, TheReactorSendsFourteenWideningPulses) {
    GameObject* reactor = MakeBuilding("BuildingReactor", Shape().At(Vector(5.0f, 20.0f, 7.0f)));
    Frames(1);
    Destroy(reactor);
    const u32 own = BuildingOf(reactor)->m_physics_id;
    buildings->Update(0.1f);
    buildings->Update(0.1f);
    const std::vector<RadialForce> now =
        Payloads<RadialForce>(HANDLER_PHYSX_PROCESS, MSG_PHYSICS_RADIAL_FORCE);
    ASSERT_EQ(now.size(), 2u);
    EXPECT_EQ(now[0].m_only_id, own);
    EXPECT_EQ(now[0].m_mode, RadialForce::kMassImpulse);
    EXPECT_FLOAT_EQ(now[0].m_radius, 150.0f);
    EXPECT_EQ(now[1].m_exclude_id, own);
    EXPECT_FLOAT_EQ(now[1].m_duration, 5.0f);
    root.Update(3.0f);
    const std::vector<RadialForce> all =
        Payloads<RadialForce>(HANDLER_PHYSX_PROCESS, MSG_PHYSICS_RADIAL_FORCE);
    ASSERT_EQ(all.size(), 16u);
    std::vector<RadialForce> pulses(all.begin() + 2, all.end());
    std::sort(pulses.begin(), pulses.end(),
              [](const RadialForce& a, const RadialForce& b) { return a.m_radius < b.m_radius; });
    for (std::size_t i = 1; i < pulses.size(); ++i) {
        EXPECT_GT(pulses[i].m_radius, pulses[i - 1].m_radius);
    }
    const auto strongest = std::max_element(
        pulses.begin(), pulses.end(),
        [](const RadialForce& a, const RadialForce& b) { return a.m_force < b.m_force; });
    EXPECT_EQ(strongest - pulses.begin(), 9);
    EXPECT_NEAR(strongest->m_force, 1000.0f, 1e-3f);
    using Script = std::pair<std::string, Vector>;
    const std::vector<Script> scripts = Payloads<Script>(
        HANDLER_PARTICLE_SYSTEM_SCRIPT_PROCESS, MSG_PARTICLE_SYSTEM_SCRIPT_CREATE_SCRIPT_VECTOR);
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0].first, "./assets/particles/nuke.lua");
    EXPECT_EQ(scripts[0].second, Vector(5.0f, 0.0f, 7.0f));
}

TEST_F(BuildingDestruction, EffectsByType) {
    struct Row {
        std::string type;
        bool anchored;
        std::vector<std::string> particles;
        std::size_t breaks;
        std::size_t nukes;
        std::size_t pushes;
        std::vector<std::string> sounds;
    };
    const std::string explosion = "assets/sound fx/medium_explosion.mp3";
    const std::vector<Row> rows = {
        {"BuildingReactor", true, {}, 0, 0, 16, {explosion}},
        {"BuildingGasStation", true, {}, 1, 1, 16, {explosion}},
        {"BuildingReactorCenter", true, {}, 1, 1, 16, {explosion}},
        {"BuildingHighrise", true, {"explosion"}, 1, 0, 0, {}},
        {"BuildingBlock", false, {"dust_small"}, 0, 0, 0, {}},
        {"BuildingPowerRelayStation",
         true,
         {"explosion", "PowerRelaySparks", "PowerRelaySparks", "PowerRelaySparks",
          "PowerRelaySparks"},
         1,
         0,
         0,
         {"assets/sound fx/electrical_explosion.mp3"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        for (auto& [handler, recorder] : at) {
            recorder->received.clear();
        }
        services.nukes.clear();
        Shape shape;
        shape.anchored = row.anchored;
        GameObject* building = MakeBuilding(row.type, shape);
        Frames(1);
        Destroy(building);
        Frames(12, 0.5f);
        std::vector<std::string> particles;
        for (const ParticleSystemInfo& p :
             Payloads<ParticleSystemInfo>(HANDLER_GRAPHICS_PROCESS, MSG_CREATE_PARTICLE_SYSTEM)) {
            particles.push_back(p.name);
        }
        EXPECT_EQ(particles, row.particles);
        EXPECT_EQ(Sent(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_BREAK_OBJECT).size(), row.breaks);
        EXPECT_EQ(services.nukes.size(), row.nukes);
        EXPECT_EQ(Sent(HANDLER_PHYSX_PROCESS, MSG_PHYSICS_RADIAL_FORCE).size(), row.pushes);
        EXPECT_EQ(Payloads<std::string>(HANDLER_SOUND_PROCESS, MSG_GET_SOUND_INSTANCE), row.sounds);
        EXPECT_EQ(Reports().size(), 1u);
    }
}

TEST_F(BuildingDestruction, BreakingAsksForPiecesWhileTheMultiplierIsBelowAHundred) {
    GameObject* house = MakeBuilding("BuildingApartment");
    Frames(1);
    Destroy(house);
    Frames(2);
    const auto breaks = Payloads<std::pair<GraphicComponent*, bool>>(HANDLER_GRAPHICS_PROCESS,
                                                                     MSG_GRAPHICS_BREAK_OBJECT);
    ASSERT_EQ(breaks.size(), 1u);
    EXPECT_EQ(breaks[0].first, reinterpret_cast<GraphicComponent*>(house));
    EXPECT_TRUE(breaks[0].second);
}

TEST_F(BuildingDestruction, BuildingsCulledForDistanceAreNotReportedAndDoNotExplode) {
    GameObject* robot = MakeRobot();
    MakeBuilding("BuildingHighrise", Shape().At(Vector(0.0f, 0.0f, 30.0f)));
    Shape loose;
    loose.anchored = false;
    loose.position = Vector(0.0f, 0.0f, 40.0f);
    MakeBuilding("BuildingBlock", loose);
    BaseMessage stop(MSG_BUILDING_STOP_SPAWNING);
    Ask(&stop);
    Frames(1);
    EXPECT_FALSE(buildings->m_spawn_records[0].unvisited);
    robot->position = Vector(0.0f, 0.0f, -800.0f);
    Frames(3);
    EXPECT_EQ(level.deleted.size(), 2u);
    EXPECT_TRUE(Reports().empty());
    EXPECT_TRUE(Sent(HANDLER_GRAPHICS_PROCESS, MSG_CREATE_PARTICLE_SYSTEM).empty());
    EXPECT_TRUE(Sent(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_BREAK_OBJECT).empty());
    EXPECT_FALSE(buildings->m_spawn_records[0].present);
}

TEST_F(BuildingDestruction, UnvisitedSpecialAndRecordlessBuildingsAreNeverCulled) {
    MakeRobot();
    GameObject* post = MakeBuilding("LightPost", Shape().At(Vector(700.0f, 0.0f, 0.0f)));
    MakeBuilding("BuildingHighrise", Shape().At(Vector(0.0f, 0.0f, 700.0f)));
    MakeBuilding("BuildingReactor", Shape().At(Vector(-700.0f, 0.0f, 0.0f)));
    Frames(1);
    EXPECT_FLOAT_EQ(BuildingOf(post)->m_health, 100.0f);
    Frames(3);
    EXPECT_TRUE(level.deleted.empty());
    EXPECT_EQ(buildings->m_buildings.size(), 3u);
}

TEST_F(BuildingDestruction, EveryRemovedBuildingWithARecordUpdatesItAndItsCounter) {
    MakeRobot();
    GameObject* car = MakeBuilding("CarRed", Shape().At(Vector(0.0f, 0.0f, -50.0f)));
    GameObject* house = MakeBuilding("BuildingHighrise", Shape().At(Vector(0.0f, 0.0f, -60.0f)));
    Frames(1);
    EXPECT_EQ(buildings->m_special_count, 1);
    EXPECT_EQ(buildings->m_ordinary_count, 1);
    Destroy(car);
    Destroy(house);
    Frames(2);
    EXPECT_EQ(buildings->m_special_count, 0);
    EXPECT_EQ(buildings->m_ordinary_count, 0);
    EXPECT_FALSE(buildings->m_spawn_records[0].present);
    EXPECT_FLOAT_EQ(buildings->m_spawn_records[0].timer, 0.0f);
    EXPECT_FALSE(buildings->m_spawn_records[1].present);
}

TEST_F(BuildingDestruction, InTheEndlessModeACarIsOrdinaryAndFreesItsSlot) {
    MakeEndless();
    GameObject* car = MakeBuilding("CarRed", Shape().At(Vector(0.0f, 0.0f, -50.0f)));
    MakeBuilding("BuildingNuclearSign");
    Frames(1);
    EXPECT_EQ(buildings->m_ordinary_count, 1);
    EXPECT_EQ(buildings->m_special_count, 1);
    Destroy(car);
    Frames(2);
    EXPECT_EQ(buildings->m_ordinary_count, 0);
}

TEST_F(BuildingDestruction, SpawnIdsThatDoNotMatchAreLogged) {
    GameObject* a = MakeBuilding("BuildingHighrise");
    GameObject* b = MakeBuilding("BuildingStore");
    Frames(1);
    BuildingOf(a)->m_spawn_id = 5;
    buildings->m_spawn_records[1].index = 3;
    Destroy(a);
    Destroy(b);
    testing::internal::CaptureStdout();
    Frames(2);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Building Spawn doesn't exist for Spawn ID (5)\n"), std::string::npos);
    EXPECT_NE(log.find("Building Spawn at location (1) doesn't match with contained ID (3)\n"),
              std::string::npos);
    EXPECT_EQ(level.deleted.size(), 2u);
}

TEST_F(BuildingDestruction, APieceLyingWhereABuildingRisesIsClearedSilently) {
    MakeRobot();
    GameObject* house = MakeBuilding("BuildingHighrise", Shape().At(Vector(0.0f, 0.0f, 300.0f)));
    Frames(1);
    buildings->m_spawning = false;
    Destroy(house);
    Frames(2);
    Shape loose;
    loose.anchored = false;
    loose.position = Vector(2.0f, 0.0f, 301.0f);
    GameObject* piece = MakeBuilding("BuildingBlock", loose);
    const std::size_t reports = Reports().size();
    level.shape.position = Vector(0.0f, 0.0f, 300.0f);
    buildings->m_spawning = true;
    Frames(1);
    EXPECT_EQ(level.created.size(), 1u);
    EXPECT_TRUE(BuildingOf(piece)->m_silent);
    EXPECT_FALSE(Body(piece)->IsGravityEnabled());
    Frames(3);
    EXPECT_EQ(Reports().size(), reports);
}

} // namespace
