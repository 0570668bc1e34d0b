#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>

#include "core/math_functions.h"
#include "hand_fixture.h"

namespace {

using hand::Hand;

float Brightness(const GameObject* segment) {
    return static_cast<GraphicComponent*>(segment->GetComponent(ComponentType::Graphic))
        ->GetHdrMultiplier();
}

struct MeterCase {
    float health;
    int sparks;
    // Segments lit: those with index up to n.
    int n;
};

class Meter : public Hand, public ::testing::WithParamInterface<MeterCase> {};

TEST_P(Meter, SparksOnlyWhenASegmentIsLostAndLightsUpToN) {
    const MeterCase& c = GetParam();
    player->m_health = c.health;
    player->UpdateHealthMeter();
    EXPECT_EQ(EffectCount("RobotMeterSparks"), c.sparks);
    EXPECT_EQ(player->m_meter_segments, std::min(c.n, 11));
    for (u32 i = 0; i < kSegments; ++i) {
        EXPECT_EQ(Brightness(Segment(i)), static_cast<int>(i) <= c.n ? 15.0f : 1.0f) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Hand, Meter,
                         ::testing::Values(MeterCase{100.0f, 0, 12}, MeterCase{92.0f, 0, 11},
                                           MeterCase{87.5f, 1, 10}, MeterCase{80.0f, 1, 9},
                                           MeterCase{0.0f, 1, 0}));

TEST_F(Hand, RisingHealthRelightsWithoutSparks) {
    player->m_health = 40.0f;
    player->UpdateHealthMeter();
    ASSERT_EQ(EffectCount("RobotMeterSparks"), 1);
    player->m_health = 90.0f;
    player->UpdateHealthMeter();
    EXPECT_EQ(EffectCount("RobotMeterSparks"), 1);
    EXPECT_EQ(player->m_meter_segments, 4);
    EXPECT_EQ(Brightness(Segment(10)), 15.0f);
    EXPECT_EQ(Brightness(Segment(11)), 1.0f);
}

TEST_F(Hand, TheSegmentsRingTheChestInTheBodysFrame) {
    parts[0]->position = Vector(10.0f, 5.0f, -3.0f);
    player->UpdateHealthMeter();
    // Segment 0 at π/12 round the ring, tilted back by π/18.
    const Float4x4 turn = Math::MatrixRotationZ(std::numbers::pi_v<float> / 12.0f) *
                          Math::MatrixRotationX(std::numbers::pi_v<float> / 18.0f);
    const Vector local = Vector(Math::Vec3TransformCoord(Vector(0.0f, 0.9f, 0.0f), turn)) +
                         Vector(0.0f, 2.25f, 2.6f);
    EXPECT_NEAR(Segment(0)->position.x, 10.0f + local.x, 1e-5f);
    EXPECT_NEAR(Segment(0)->position.y, 5.0f + local.y, 1e-5f);
    EXPECT_NEAR(Segment(0)->position.z, -3.0f + local.z, 1e-5f);
    EXPECT_EQ(Segment(0)->scale.z, 2.0f);
    // Opposite sides of the ring.
    EXPECT_NEAR(Segment(0)->position.x - 10.0f, -(Segment(6)->position.x - 10.0f), 1e-5f);
}

TEST_F(Hand, ARobotWithOnlyEightChildrenRunsTheMeter) {
    robot->childObjects.resize(8);
    player->m_health = 10.0f;
    player->UpdateHealthMeter();
    EXPECT_EQ(EffectCount("RobotMeterSparks"), 1);
    robot->childObjects.resize(0);
    player->UpdateHealthMeter();
    player->UpdateHeadRegrowth(0.1f);
}

class Regrowth : public Hand {
  protected:
    Regrowth() {
        parts[0]->position = Vector(0.0f, 10.0f, 0.0f);
        parts[1]->position = Vector(0.0f, 17.0f, 0.0f);
        player->m_head_off_time = 0.0f;
        player->m_head_thrown = 1;
    }
    ~Regrowth() override { g_player_mode = 0; }
};

TEST_F(Regrowth, TheFakeHeadGrowsBetweenTheBodyAndTheHeadFrom3To4Seconds) {
    player->UpdateHeadRegrowth(2.9f);
    EXPECT_TRUE(created.empty());
    player->UpdateHeadRegrowth(0.35f);
    ASSERT_EQ(created.size(), 1u);
    GameObject* fake = player->m_fake_head;
    ASSERT_NE(fake, nullptr);
    const float f = 3.25f - 3.0f;
    EXPECT_NEAR(fake->scale.x, f, 1e-5f);
    EXPECT_NEAR(fake->position.y, 13.0f * (1.0f - f) + 17.0f * f, 1e-4f);
    EXPECT_EQ(player->m_head_thrown, 0);
    player->UpdateHeadRegrowth(0.75f);
    EXPECT_EQ(player->m_head_off_time, -1.0f);
    EXPECT_EQ(player->m_fake_head, nullptr);
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0], fake);
    EXPECT_EQ(created.size(), 1u);
}

TEST_F(Regrowth, AFrameFrom3To4SecondsCreatesAndDeletesTheHead) {
    player->UpdateHeadRegrowth(2.5f);
    player->UpdateHeadRegrowth(2.0f);
    ASSERT_EQ(created.size(), 1u);
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0]->name, "FakeRobotHead");
    EXPECT_EQ(player->m_fake_head, nullptr);
    EXPECT_EQ(player->m_head_off_time, -1.0f);
}

TEST_F(Regrowth, InACameraHoldTheHeadGrowsTwiceAsFastAndTheSameHeadIsDeleted) {
    player->m_head_off_time = 2.0f;
    g_player_mode = 2;
    // 0.55 s of hold: 1.1 s of growth.
    player->Update(0.55f);
    EXPECT_NEAR(player->m_head_off_time, 3.1f, 1e-4f);
    ASSERT_EQ(created.size(), 1u);
    GameObject* grown = player->m_fake_head;
    ASSERT_NE(grown, nullptr);
    player->Update(0.5f);
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0], grown);
    EXPECT_EQ(player->m_head_off_time, -1.0f);
}

TEST_F(Hand, PowerLevelRisesToSevenAndTellsTheBuildings) {
    player->m_power_level = 6;
    player->IncreasePowerLevel();
    player->IncreasePowerLevel();
    EXPECT_EQ(player->m_power_level, 7);
    EXPECT_EQ(Count(buildings.received, MSG_PLAYER_POWER_LEVEL), 2);
}

} // namespace
