// The AI over the level's real spawn points and building quadtree: a spawn order becomes units
// that a point creates behind the robot's back, and the quadtree answers the searches of the
// queries and the movement.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ai/level_links.h"
#include "ai_kit.h"
#include "city/building_component.h"
#include "city/spawn_point_component.h"

namespace {

class SpawnPointLinkTest : public ::testing::Test {
  protected:
    SpawnPointLinkTest() {
        kit.ai->SetServices(&kit.look, &kit.audio, SpawnPointComponentLink::Instance());
        kit.DefineUnit("AI-Ground-Truck", ai_kit::UnitParams{});
    }

    // A spawn point definition as the shipped ones are laid out: the unit type, interval,
    // pending count, minimum distance and zone.
    GameObject* Point(const std::string& spawnType, const Vector& at, f32 interval = 1.0f,
                      f32 minDistance = 100.0f) {
        const std::string type = "Spawn" + std::to_string(++m_points);
        StreamMap s;
        s.WriteString(type);
        s.WriteString("SpawnPoint");
        s.AddString("Spawn Type", spawnType);
        s.AddFloat("Interval", interval);
        s.AddInt("Count", 0);
        s.AddFloat("Min Distance", minDistance);
        s.AddFloat("Zone", 0.0f);
        ComponentDefinitionList& list = kit.level.m_definitions[type];
        list.clear();
        list.emplace(ComponentType::SpawnPoint, s);
        return kit.Spawn(type, at);
    }
    static SpawnPointComponent& Of(GameObject* point) {
        return *dynamic_cast<SpawnPointComponent*>(point->GetComponent(ComponentType::SpawnPoint));
    }
    void Order(const std::string& type, i32 count) {
        SpawnStruct s;
        s.m_count = count;
        s.m_spawn_count = count;
        s.m_zone = 2;
        s.m_type_name = type;
        Message<SpawnStruct> spawn(MSG_SPAWN_AGENTS, s);
        kit.ai->HandleMessage(&spawn, HANDLER_GAME_LOGIC_PROCESS);
    }
    std::vector<GameObject*> Objects(const std::string& type) {
        std::vector<GameObject*> found;
        for (GameObject* o : kit.level.m_objects) {
            if (o->name == type) {
                found.push_back(o);
            }
        }
        return found;
    }

    ai_kit::Kit kit;
    int m_points = 0;
};

TEST_F(SpawnPointLinkTest, AnOrderGoesToThePointsOfItsTypeWithinReachOfTheRobot) {
    kit.MakeRobot();
    GameObject* north = Point("AI-Ground-Truck", Vector(0.0f, 2.5f, 300.0f));
    GameObject* south = Point("AI-Ground-Truck", Vector(0.0f, 2.5f, -300.0f));
    GameObject* tooFar = Point("AI-Ground-Truck", Vector(0.0f, 2.5f, 800.0f));
    GameObject* jeeps = Point("AI-Ground-Jeep", Vector(0.0f, 2.5f, 250.0f));

    Order("AI-Ground-Truck", 3);

    EXPECT_EQ(Of(north).m_pending + Of(south).m_pending, 3);
    EXPECT_GE(std::min(Of(north).m_pending, Of(south).m_pending), 1);
    EXPECT_EQ(Of(tooFar).m_pending, 0);
    EXPECT_EQ(Of(jeeps).m_pending, 0);
    EXPECT_FLOAT_EQ(Of(north).m_distanceSq, 90000.0f);
    EXPECT_EQ(kit.Payloads<std::string>(16, MSG_INC_AGENT_COUNT).size(), 3u);
}

TEST_F(SpawnPointLinkTest, OnlyThePointBehindTheRobotMakesItsUnitsOneAtATimeWhereItStands) {
    kit.MakeRobot();
    const Vector behindAt(0.0f, 2.5f, -300.0f);
    GameObject* ahead = Point("AI-Ground-Truck", Vector(0.0f, 2.5f, 300.0f));
    GameObject* behind = Point("AI-Ground-Truck", behindAt);
    // The robot's back faces one of the two; which one follows from its orientation.
    const Vector backward = -Quaternion::GetDirection(kit.robot->orientation);
    if (backward.z > 0.0f) {
        std::swap(ahead, behind);
    }
    Order("AI-Ground-Truck", 4);
    const i32 aheadPending = Of(ahead).m_pending;
    const i32 behindPending = Of(behind).m_pending;
    ASSERT_GT(behindPending, 1);

    // The first update finds the player; then one unit for each wait of up to 8 s.
    kit.ai->Update(0.1f);
    kit.ai->Update(0.1f);
    EXPECT_EQ(Objects("AI-Ground-Truck").size(), 1u);
    EXPECT_EQ(Of(behind).m_pending, behindPending - 1);
    EXPECT_LE(Of(behind).m_timer, 0.0f) << "a random wait starts after each unit";

    for (int frame = 0; frame < 300; ++frame) {
        kit.ai->Update(0.1f);
    }
    const std::vector<GameObject*> trucks = Objects("AI-Ground-Truck");
    EXPECT_EQ(trucks.size(), static_cast<std::size_t>(behindPending));
    EXPECT_EQ(Of(behind).m_pending, 0);
    EXPECT_EQ(Of(ahead).m_pending, aheadPending) << "the robot sees that point";
    ASSERT_FALSE(trucks.empty());
    // Units are placed where the point stands and are the AI's from then on.
    EXPECT_NE(ai_kit::Kit::Unit(trucks.front()), nullptr);
    EXPECT_EQ(std::count(kit.ai->m_units.begin(), kit.ai->m_units.end(),
                         ai_kit::Kit::Unit(trucks.front())),
              1);
}

TEST(SpawnPointLinkTutorial, TheCitizenSpawnerStartsAtOnceAndOnlyFarAway) {
    ai_kit::Kit tutorial(true);
    tutorial.ai->SetServices(&tutorial.look, &tutorial.audio, SpawnPointComponentLink::Instance());
    StreamMap s;
    s.WriteString("CitizenSpawner");
    s.WriteString("SpawnPoint");
    s.AddString("Spawn Type", "AI-Ground-CitizenCardboard");
    s.AddFloat("Interval", 2.0f);
    s.AddInt("Count", 0);
    s.AddFloat("Min Distance", 120.0f);
    s.AddFloat("Zone", 0.0f);
    tutorial.level.m_definitions["CitizenSpawner"].emplace(ComponentType::SpawnPoint, s);
    GameObject* point = tutorial.Spawn("CitizenSpawner", Vector());
    ASSERT_NE(point, nullptr);
    const auto* spawner =
        dynamic_cast<SpawnPointComponent*>(point->GetComponent(ComponentType::SpawnPoint));
    ASSERT_NE(spawner, nullptr);
    EXPECT_EQ(spawner->m_typeName, "AI-Ground-CitizenCardboard");
    EXPECT_EQ(spawner->m_interval, 0.0f);
    EXPECT_EQ(spawner->m_minDistance, 400.0f);
}

// --- the building quadtree as the AI's index --------------------------------------------------

class BuildingIndexTest : public ::testing::Test {
  protected:
    BuildingIndexTest() : m_saved_depth(Tree::s_max_depth) { Tree::s_max_depth = 3; }
    ~BuildingIndexTest() override {
        m_buildings.clear();
        Tree::s_max_depth = m_saved_depth;
    }
    using Tree = Quadtree<BuildingComponent*>;

    GameObject* Put(const std::string& name, f32 x, f32 z, f32 radius) {
        m_objects.push_back(std::make_unique<GameObject>(name));
        GameObject* object = m_objects.back().get();
        object->position = Vector(x, 0.0f, z);
        m_buildings.push_back(std::make_unique<BuildingComponent>("BuildingBlock", 10.0f, false));
        BuildingComponent* building = m_buildings.back().get();
        building->owner = object;
        building->m_radius = radius;
        m_tree.Insert(object->position, radius, building);
        return object;
    }
    std::vector<std::string> Collected(const BuildingIndex& index, const Vector& centre, f32 size) {
        std::vector<GameObject*> out;
        index.Collect(centre, size, out);
        std::vector<std::string> names;
        for (GameObject* o : out) {
            names.push_back(o->name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    const int m_saved_depth;
    std::vector<std::unique_ptr<GameObject>> m_objects;
    Tree m_tree{Vector(100.0f, 100.0f, 100.0f), Vector(), 0, nullptr};
    // Declared after the tree: the buildings leave their nodes before it goes.
    std::vector<std::unique_ptr<BuildingComponent>> m_buildings;
};

TEST_F(BuildingIndexTest, ASearchTakesItsNodeItsAncestorsAndTheNodesBelowEachOnce) {
    Put("centre", 0.0f, 0.0f, 5.0f);      // straddles the centre lines: the root
    Put("northeast", 70.0f, 70.0f, 2.0f); // deep in one quadrant
    Put("southwest", -70.0f, -70.0f, 2.0f);
    QuadtreeBuildingIndex index;
    EXPECT_TRUE(Collected(index, Vector(), 10.0f).empty()) << "no tree yet";
    index.SetTree(&m_tree);

    struct Case {
        Vector centre;
        f32 size;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {Vector(70.0f, 0.0f, 70.0f), 2.0f, {"centre", "northeast"}},
        {Vector(-70.0f, 0.0f, -70.0f), 2.0f, {"centre", "southwest"}},
        {Vector(), 150.0f, {"centre", "northeast", "southwest"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Collected(index, c.centre, c.size), c.expected)
            << c.centre.x << ", " << c.centre.z << " size " << c.size;
    }
}

TEST_F(BuildingIndexTest, TheAnswerOfTheBuildingProcessBecomesTheAIsIndex) {
    Put("northeast", 70.0f, 70.0f, 2.0f);
    ai_kit::Kit kit;
    EXPECT_EQ(kit.ai->m_buildings, nullptr);
    Message<Tree*> answer(MSG_BUILDINGS, &m_tree);
    kit.ai->HandleMessage(&answer, HANDLER_BUILDING_PROCESS);
    ASSERT_NE(kit.ai->m_buildings, nullptr);
    EXPECT_EQ(Collected(*kit.ai->m_buildings, Vector(70.0f, 0.0f, 70.0f), 2.0f),
              std::vector<std::string>{"northeast"});
    Message<Tree*> none(MSG_BUILDINGS, nullptr);
    kit.ai->HandleMessage(&none, HANDLER_BUILDING_PROCESS);
    EXPECT_EQ(kit.ai->m_buildings, nullptr);
}

} // namespace
