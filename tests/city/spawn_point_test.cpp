#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "city/spawn_point_component.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/process.h"
#include "core/quaternion.h"
#include "core/stream_map.h"
#include "game/remove_count.h"
#include "platform/system/crt_rand.h"
#include "support/component_fixture.h"

namespace {

// Stands in for the AI process: it owns the spawn points and knows the player.
class FakeSpawnHost : public ComponentProcess, public SpawnPointHost {
  public:
    void Update(float) override {}
    Component* CreateComponent(StreamMap*) override { return nullptr; }
    void RemoveComponent(Component*) override {}
    GameObject* SpawnPlayer() const override { return m_player; }
    GameObject* m_player = nullptr;
};

class SpawnPointTest : public ::testing::Test {
  protected:
    SpawnPointTest() : m_player("RobotBase"), m_point_object("SpawnTank") {
        crt::SeedRand(11);
        m_level.Bind(&m_router, HANDLER_LEVEL_STATE);
        m_logic.Bind(&m_router, HANDLER_GAME_LOGIC_PROCESS);
        m_point_object.id = kFirstObjectId;
        m_point_object.SetRouterParent(&m_router);
        m_host.m_player = &m_player;
    }

    // A point of the type at the place, initialised, with units assigned; the player stands
    // at the origin facing +z.
    SpawnPointComponent& MakePoint(const std::string& type, const Vector& at, i32 pending,
                                   f32 interval = 4.0f, f32 minDistance = 100.0f) {
        m_point = std::make_unique<SpawnPointComponent>("SpawnTank");
        m_point->m_typeName = type;
        m_point->m_interval = interval;
        m_point->m_minDistance = minDistance;
        m_point->process = &m_host;
        m_point->owner = &m_point_object;
        m_point_object.position = at;
        m_point->Update(0.0f);
        m_point->m_pending = pending;
        return *m_point;
    }

    size_t Created() const {
        size_t n = 0;
        for (const auto& r : m_level.received) {
            n += r.message->type == MSG_LEVEL_CREATE_OBJECT ? 1 : 0;
        }
        return n;
    }

    MessageRouter m_router;
    component_fixture::MessageRecorder m_level;
    component_fixture::MessageRecorder m_logic;
    FakeSpawnHost m_host;
    GameObject m_player;
    GameObject m_point_object;
    std::unique_ptr<SpawnPointComponent> m_point;
};

TEST_F(SpawnPointTest, ReadsItsParametersInOrder) {
    StreamMap stream;
    stream.AddString("Spawn Type", "AI-Ground-Jeep");
    stream.AddFloat("Interval", 9.5f);
    stream.AddInt("Count", 2);
    stream.AddFloat("Min Distance", 150.0f);
    stream.AddFloat("Zone", 1.0f);
    const SpawnPointComponent point("SpawnJeep", &stream);
    EXPECT_EQ(point.m_typeName, "AI-Ground-Jeep");
    EXPECT_FLOAT_EQ(point.m_interval, 9.5f);
    EXPECT_EQ(point.m_pending, 2);
    EXPECT_FLOAT_EQ(point.m_minDistance, 150.0f);
    EXPECT_FLOAT_EQ(point.m_extra, 1.0f);
    EXPECT_FLOAT_EQ(point.m_timer, 6.0f);
    EXPECT_TRUE(point.m_needsInit);

    StreamMap shortStream;
    shortStream.AddString("Spawn Type", "AI-Ground-Truck");
    const SpawnPointComponent partial("SpawnTruck", &shortStream);
    EXPECT_EQ(partial.m_typeName, "AI-Ground-Truck");
    EXPECT_EQ(partial.m_pending, 0);
}

TEST_F(SpawnPointTest, TheFirstUpdateOnlyFindsThePlayer) {
    SpawnPointComponent point("SpawnTank");
    point.m_typeName = "AI-Ground-Tank";
    point.m_pending = 1;
    point.process = &m_host;
    point.owner = &m_point_object;
    m_point_object.position = Vector(0.0f, 0.0f, -300.0f);
    point.Update(10.0f);
    EXPECT_EQ(point.m_player, &m_player);
    EXPECT_FALSE(point.m_needsInit);
    EXPECT_FLOAT_EQ(point.m_timer, 6.0f);
    EXPECT_EQ(Created(), 0u);
    // Without a player the timer still runs and nothing happens.
    point.m_player = nullptr;
    point.Update(1.0f);
    EXPECT_FLOAT_EQ(point.m_timer, 7.0f);
    EXPECT_EQ(Created(), 0u);
}

TEST_F(SpawnPointTest, UnitsWaitWhileThePlayerIsCloseAndGoBackWhenHeIsFar) {
    SpawnPointComponent& point = MakePoint("AI-Ground-Tank", Vector(0.0f, 0.0f, -50.0f), 3);
    for (int i = 0; i < 10; ++i) {
        point.Update(1.0f);
    }
    EXPECT_EQ(Created(), 0u);
    EXPECT_EQ(point.m_pending, 3);

    m_player.position = Vector(0.0f, 0.0f, 600.0f);
    point.Update(0.1f);
    ASSERT_EQ(m_logic.received.size(), 1u);
    const RemoveCount* back = m_logic.received[0].message->Payload<RemoveCount>();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_type_name, "AI-Ground-Tank");
    EXPECT_EQ(back->m_count, 3);
    EXPECT_EQ(point.m_pending, 0);
    EXPECT_EQ(Created(), 0u);
}

TEST_F(SpawnPointTest, ATransportPointNeverGivesUnitsBack) {
    SpawnPointComponent& point = MakePoint("AI-Fly-Transport", Vector(0.0f, 0.0f, -2000.0f), 2);
    point.m_timer = -100.0f;
    point.Update(0.1f);
    EXPECT_TRUE(m_logic.received.empty());
    EXPECT_EQ(point.m_pending, 2);
}

TEST_F(SpawnPointTest, APointInFrontOfThePlayerWaitsOneBehindOrBesideSpawns) {
    struct Row {
        const char* name;
        Vector at;
        bool spawns;
    };
    const std::vector<Row> rows = {
        {"front", Vector(0.0f, 0.0f, 300.0f), false},
        {"front, off by 45 degrees", Vector(200.0f, 0.0f, 200.0f), false},
        {"behind", Vector(0.0f, 0.0f, -300.0f), true},
        {"beside", Vector(300.0f, 0.0f, 0.0f), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_level.received.clear();
        SpawnPointComponent& point = MakePoint("AI-Ground-Tank", row.at, 1);
        point.Update(0.1f);
        EXPECT_EQ(Created(), row.spawns ? 1u : 0u);
        EXPECT_EQ(point.m_pending, row.spawns ? 0 : 1);
        if (row.spawns) {
            EXPECT_EQ(m_level.received[0].message->ValueOr<std::string>(""), "AI-Ground-Tank");
            EXPECT_LE(point.m_timer, 0.0f);
            EXPECT_GT(point.m_timer, -8.0f);
        }
    }
}

TEST_F(SpawnPointTest, OneUnitPerIntervalPlusTheRandomHeadStart) {
    SpawnPointComponent& point = MakePoint("AI-Ground-Tank", Vector(0.0f, 0.0f, -300.0f), 3, 10.0f);
    // The timer starts at 6: the first unit once the interval less 6 s has passed.
    point.Update(3.9f);
    EXPECT_EQ(Created(), 0u);
    point.Update(0.2f);
    EXPECT_EQ(Created(), 1u);
    const float restart = point.m_timer;
    point.Update(10.0f - restart - 0.05f);
    EXPECT_EQ(Created(), 1u);
    point.Update(0.1f);
    EXPECT_EQ(Created(), 2u);
}

TEST_F(SpawnPointTest, PlacesTheCreatedObjectAtThePoint) {
    SpawnPointComponent& point = MakePoint("AI-Fly-MediumUFO", Vector(10.0f, 20.0f, 30.0f), 0);
    const float half = std::sqrt(0.5f);
    m_point_object.orientation = Quaternion{0.0f, half, 0.0f, half};

    GameObject ufo("AI-Fly-MediumUFO");
    ufo.SetScale(Vector(1.0f, 1.0f, 1.0f));
    Message<GameObject*> created(MSG_LEVEL_OBJECT_CREATED, &ufo);
    point.HandleMessage(&created, HANDLER_LEVEL_STATE);
    EXPECT_FLOAT_EQ(ufo.position.x, 10.0f);
    EXPECT_FLOAT_EQ(ufo.position.y, 20.0f);
    EXPECT_FLOAT_EQ(ufo.position.z, 30.0f);
    EXPECT_TRUE(ufo.positionChanged);
    EXPECT_TRUE(ufo.orientationChanged);
    EXPECT_FLOAT_EQ(ufo.orientation.y, half);
    EXPECT_FLOAT_EQ(ufo.scale.x, 0.6f);

    GameObject tank("AI-Ground-Tank");
    tank.SetScale(Vector(1.0f, 1.0f, 1.0f));
    Message<GameObject*> tankCreated(MSG_LEVEL_OBJECT_CREATED, &tank);
    point.HandleMessage(&tankCreated, HANDLER_LEVEL_STATE);
    EXPECT_FLOAT_EQ(tank.scale.x, 1.0f);
    EXPECT_FLOAT_EQ(tank.orientation.w, half);
}

TEST_F(SpawnPointTest, CitizensAndCarsFaceOneOfTheFourSidesOfThePoint) {
    SpawnPointComponent& point = MakePoint("AI-Ground-CitizenCardboard", Vector(), 0);
    const Vector forward = Quaternion::GetDirection(m_point_object.orientation);
    const Vector right = Quaternion::GetRight(m_point_object.orientation);
    const std::vector<Vector> sides = {forward, -forward, right, -right};
    std::vector<int> seen(4, 0);
    for (int i = 0; i < 48; ++i) {
        GameObject walker(i % 2 == 0 ? "AI-Ground-CitizenCardboard" : "AI-Ground-CarGame");
        point.Place(&walker);
        const Vector facing = Quaternion::GetDirection(walker.orientation);
        int matched = -1;
        for (int s = 0; s < 4; ++s) {
            if ((facing - sides[s]).LengthSquared() < 1e-6f) {
                matched = s;
            }
        }
        ASSERT_GE(matched, 0) << i;
        seen[matched] += 1;
    }
    for (int s = 0; s < 4; ++s) {
        EXPECT_GT(seen[s], 0) << s;
    }

    // The draw decides the side: r = 2 turns to the point's right.
    for (u32 seed = 0; seed < 200; ++seed) {
        crt::SeedRand(seed);
        if (crt::Rand() % 12 != 2) {
            continue;
        }
        crt::SeedRand(seed);
        GameObject walker("AI-Ground-CitizenCardboard");
        point.Place(&walker);
        const Vector facing = Quaternion::GetDirection(walker.orientation);
        EXPECT_LT((facing - right).LengthSquared(), 1e-6f);
        break;
    }
}

} // namespace
