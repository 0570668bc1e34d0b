#include <gtest/gtest.h>

#include "game/laser_beam_info.h"
#include "game/radial_force.h"
#include "hand_fixture.h"
#include "platform/system/crt_rand.h"

namespace {

using hand::Hand;

class Laser : public Hand {
  protected:
    Laser() {
        parts[1]->position = Vector(0.0f, 18.0f, 0.0f);
        // Aim straight down -z.
        player->m_camera_eye = Vector(0.0f, 20.0f, 40.0f);
        player->m_camera_target = Vector(0.0f, 20.0f, 0.0f);
    }

    void Fire(u8 action, float dt = 0.05f) {
        player->m_input.m_controls[CONTROL_LASER] = action;
        player->UpdateLaser(dt);
    }

    int Count(u32 type) { return Hand::Count(renderer.received, type); }

    std::vector<RadialForce> Pushes() { return Forces(); }
};

TEST_F(Laser, AtPowerZeroNothingFires) {
    player->m_power_level = 0;
    Fire(INPUT_PRESSED);
    Fire(INPUT_RELEASED);
    Fire(INPUT_PRESSED);
    for (int i = 0; i < 10; ++i) {
        Fire(INPUT_HELD);
    }
    EXPECT_TRUE(created.empty());
    EXPECT_TRUE(player->m_laser_beams.empty());
}

TEST_F(Laser, HoldingExactlyPoint4FiresTheChargedShotInThatFrame) {
    Fire(INPUT_PRESSED, 0.1f);
    Fire(INPUT_HELD, 0.2f);
    EXPECT_TRUE(player->m_laser_beams.empty());
    Fire(INPUT_HELD, 0.2f);
    ASSERT_EQ(player->m_laser_beams.size(), 1u);
    EXPECT_EQ(player->m_laser_beams.front().charged, 1);
    EXPECT_EQ(player->m_laser_firing, 1);
    // Ends 400 ahead and 10 up.
    const GameObject* end = player->m_laser_beams.front().target;
    EXPECT_NEAR(end->position.z, -400.0f, 1e-3f);
    EXPECT_NEAR(end->position.y, 28.0f, 1e-3f);
    // The release afterwards fires nothing while the beam runs.
    Fire(INPUT_RELEASED);
    EXPECT_EQ(player->m_laser_beams.size(), 1u);
}

TEST_F(Laser, TheChargedShotSends21WeakeningPushesAlongTheBeam) {
    Fire(INPUT_HELD, 0.4f);
    ASSERT_EQ(player->m_laser_beams.size(), 1u);
    // The pushes wait out the clip's first 0.75 s and then sweep along within a second.
    root.Update(0.7f);
    EXPECT_TRUE(Pushes().empty());
    root.Update(0.1f);
    EXPECT_FALSE(Pushes().empty());
    for (int i = 0; i < 20; ++i) {
        root.Update(0.1f);
    }
    const std::vector<RadialForce> pushes = Pushes();
    ASSERT_EQ(pushes.size(), 21u);
    const u32 own = Body(robot)->GetId();
    const Vector origin = parts[1]->position + Vector(0.0f, -0.25f, -0.75f);
    const Vector end = player->m_laser_end_points.back().position;
    float s = 0.0f;
    for (const RadialForce& f : pushes) {
        const float w = std::min(1.25f - s, 1.0f);
        EXPECT_NEAR(f.m_radius, 75.0f * w, 1e-3f);
        EXPECT_NEAR(f.m_force, 250.0f * w, 1e-3f);
        EXPECT_EQ(f.m_exclude_id, own);
        EXPECT_NEAR(f.m_center.z, end.z * s + origin.z * (1.0f - s), 1e-2f);
        s += 0.05f;
    }
}

struct QuickCase {
    const char* name;
    bool airborne;
    bool juggernaut;
    bool headOff;
};

class QuickInstead : public Laser, public ::testing::WithParamInterface<QuickCase> {};

TEST_P(QuickInstead, AChargedShotIsFiredQuick) {
    const QuickCase& c = GetParam();
    player->m_airborne = c.airborne ? 1 : 0;
    player->m_juggernaut = c.juggernaut ? 1 : 0;
    if (c.headOff) {
        // Thrown a second ago.
        player->m_head_off_time = 1.0f;
    }
    Fire(INPUT_HELD, 0.4f);
    ASSERT_EQ(player->m_laser_beams.size(), 1u);
    EXPECT_EQ(player->m_laser_beams.front().charged, 0);
    EXPECT_EQ(player->m_laser_firing, 0);
    EXPECT_EQ(Count(MSG_GRAPHICS_LASER_BEAM_CREATION), 1);
}

INSTANTIATE_TEST_SUITE_P(Hand, QuickInstead,
                         ::testing::Values(QuickCase{"Airborne", true, false, false},
                                           QuickCase{"Juggernaut", false, true, false},
                                           QuickCase{"HeadOff", false, false, true}),
                         [](const ::testing::TestParamInfo<QuickCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(Laser, AQuickShotWithNothingInReachScattersAheadAndNeverBelowTheGround) {
    crt::SeedRand(7);
    for (int shot = 0; shot < 40; ++shot) {
        // Low down, so the scatter often reaches below the ground.
        parts[1]->position = Vector(0.0f, shot % 2 == 0 ? 2.0f : 40.0f, 0.0f);
        Fire(INPUT_PRESSED);
        Fire(INPUT_RELEASED);
        ASSERT_FALSE(player->m_laser_end_points.empty());
        const GameObject& end = player->m_laser_end_points.back();
        const Vector from = parts[1]->position;
        const float ahead = from.z - end.position.z;
        // The distance is 60 to 79.8 along the aim, with up to 10 of depth scatter either way.
        EXPECT_GE(ahead, 60.0f - 9.8f);
        EXPECT_LE(ahead, 79.8f + 10.0f);
        EXPECT_GE(end.position.x, -30.0f);
        EXPECT_LE(end.position.x, 29.4f + 1e-4f);
        EXPECT_GE(end.position.y, 0.0f);
        EXPECT_EQ(end.name, "Empty");
    }
}

TEST_F(Laser, TheScatterDrawsDepthHeightSideThenDistance) {
    crt::SeedRand(3);
    const int r1 = crt::Rand() % 100;
    const int r2 = crt::Rand() % 100;
    const int r3 = crt::Rand() % 100;
    const int r4 = crt::Rand() % 100;
    crt::SeedRand(3);
    parts[1]->position = Vector(0.0f, 100.0f, 0.0f);
    Fire(INPUT_PRESSED);
    Fire(INPUT_RELEASED);
    const GameObject& end = player->m_laser_end_points.back();
    EXPECT_NEAR(end.position.z, -(r4 * 0.2f + 60.0f) + (r1 * 0.2f - 10.0f), 1e-3f);
    EXPECT_NEAR(end.position.y, 100.0f + r2 * 0.4f - 30.0f, 1e-3f);
    EXPECT_NEAR(end.position.x, r3 * 0.6f - 30.0f, 1e-3f);
}

struct TargetCase {
    const char* type;
    bool smoke;
    float below;
};

class FinishedOn : public Laser, public ::testing::WithParamInterface<TargetCase> {};

TEST_P(FinishedOn, TheTargetIsToldAndHitWhereTheCaseSays) {
    const TargetCase& c = GetParam();
    GameObject* unit = Make(c.type);
    unit->position = Vector(0.0f, 50.0f, -60.0f);
    units.insert(unit);
    laserUnit = unit;
    Fire(INPUT_PRESSED);
    Fire(INPUT_RELEASED);
    ASSERT_EQ(player->m_laser_beams.size(), 1u);
    const auto updates = Received(HANDLER_GRAPHICS_PROCESS, MSG_GRAPHICS_LASER_BEAM_UPDATE);
    ASSERT_FALSE(updates.empty());
    EXPECT_NEAR(updates.back()->Payload<LaserBeamInfo>()->m_end.y, 50.0f - c.below, 1e-4f);
    for (int i = 0; i < 10; ++i) {
        Fire(INPUT_UP);
    }
    EXPECT_TRUE(player->m_laser_beams.empty());
    EXPECT_EQ(Hand::Count(ai.received, MSG_LASER_OBJ), c.smoke ? 1 : 0);
    EXPECT_EQ(EffectCount("Firesmoke1"), c.smoke ? 1 : 0);
    EXPECT_EQ(EffectCount("Firesmoke2"), c.smoke ? 1 : 0);
    EXPECT_EQ(Count(MSG_GRAPHICS_LASER_BEAM_DELETION), 1);
    EXPECT_EQ(deleted.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Hand, FinishedOn,
                         ::testing::Values(TargetCase{"AI-Ground-Citizen", false, 0.0f},
                                           TargetCase{"AI-Ground-Tank", true, 0.0f},
                                           TargetCase{"AI-Boss-Fly-MothershipBFGCore", true,
                                                      20.0f}));

TEST_F(Laser, TheCooldownLastsSixSecondsAndItsGlowMovesToThePulledHead) {
    Fire(INPUT_HELD, 0.4f);
    ASSERT_EQ(player->m_laser_beams.size(), 1u);
    // The clip ends: the beam is finished and the cooldown starts on the head.
    animation->m_animations["Laser"]->SetLooping(false);
    for (int i = 0; i < 40 && !player->m_laser_beams.empty(); ++i) {
        animation->Update(0.05f);
        Fire(INPUT_UP);
    }
    ASSERT_TRUE(player->m_laser_beams.empty());
    EXPECT_EQ(player->m_laser_firing, 0);
    EXPECT_NEAR(player->m_laser_cooldown, 6.0f - 0.05f, 1e-4f);
    ASSERT_NE(parts[1]->GetComponent(ComponentType::ParticleSystem), nullptr);
    // No shot during the cooldown.
    Fire(INPUT_PRESSED);
    Fire(INPUT_RELEASED);
    EXPECT_TRUE(player->m_laser_beams.empty());

    // Pulling the head off takes the glow along.
    Grab(INPUT_PRESSED);
    Grab(INPUT_RELEASED);
    ASSERT_NE(player->m_fake_head, nullptr);
    EXPECT_EQ(parts[1]->GetComponent(ComponentType::ParticleSystem), nullptr);
    auto* glow = dynamic_cast<ParticleSystemCPU*>(
        player->m_fake_head->GetComponent(ComponentType::ParticleSystem));
    ASSERT_NE(glow, nullptr);
    EXPECT_EQ(glow->settings.systemName, "LaserCooldown");
    EXPECT_NEAR(glow->settings.systemLife, player->m_laser_cooldown * 1000.0f, 1e-2f);
}

} // namespace
