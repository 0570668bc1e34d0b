#include <gtest/gtest.h>

#include <string>

#include "ai/unit_weapon.h"
#include "ai_kit.h"

namespace {

using ai_kit::Kit;
using ai_kit::UnitParams;

struct WeaponTest : ::testing::Test {
    Kit kit;

    AIViewComponent* Make(const std::string& type) {
        UnitParams p;
        p.states = {"STATE_TANK_ATTACK"};
        kit.DefineUnit(type, p);
        AIViewComponent* unit = Kit::Unit(kit.Spawn(type));
        kit.look.looks[unit->owner];
        return unit;
    }
    std::size_t Requests(const char* type) const { return kit.Live(type); }
};

TEST_F(WeaponTest, TankShowsItsClipThenFiresOnTheTwoSecondCycle) {
    kit.level.m_definitions["Rocket"];
    AIViewComponent* tank = Make("AI-Ground-Tank");
    State* state = tank->m_stateMachine->m_current;
    float timer = 0.0f;
    int clipFrame = -1;
    int rocketFrame = -1;
    int expectedClip = -1;
    int expectedRocket = -1;
    float shadow = 0.0f;
    for (int frame = 1; frame <= 25; ++frame) {
        timer += 0.1f;
        shadow += 0.1f;
        if (expectedClip < 0 && shadow > 1.75f) {
            expectedClip = frame;
        }
        if (expectedRocket < 0 && shadow > 2.0f && expectedClip >= 0 && frame > expectedClip) {
            expectedRocket = frame;
        }
        FireUnitWeapon(&state->m_shootAnimPlayed, state, &timer);
        if (clipFrame < 0 && !kit.look.looks[tank->owner].clips.empty()) {
            clipFrame = frame;
        }
        if (rocketFrame < 0 && Requests("Rocket") == 1) {
            rocketFrame = frame;
            EXPECT_EQ(timer, 0.0f);
        }
    }
    EXPECT_EQ(clipFrame, expectedClip);
    EXPECT_EQ(rocketFrame, expectedRocket);
    EXPECT_EQ(kit.look.looks[tank->owner].clips, std::vector<std::string>{"Shoot"});
    ASSERT_FALSE(kit.audio.played.empty());
    EXPECT_EQ(kit.audio.played.back().path, "assets/sound fx/tank_shot.mp3");
    EXPECT_FLOAT_EQ(kit.audio.played.back().volume, 0.5f);
}

TEST_F(WeaponTest, ATankPastTwoSecondsShowsTheClipFirst) {
    kit.level.m_definitions["Rocket"];
    AIViewComponent* tank = Make("AI-Ground-TankObjective");
    State* state = tank->m_stateMachine->m_current;
    float timer = 3.0f;
    FireUnitWeapon(&state->m_shootAnimPlayed, state, &timer);
    EXPECT_EQ(Requests("Rocket"), 0u);
    EXPECT_TRUE(state->m_shootAnimPlayed);
    FireUnitWeapon(&state->m_shootAnimPlayed, state, &timer);
    EXPECT_EQ(Requests("Rocket"), 1u);
    EXPECT_FALSE(state->m_shootAnimPlayed);
}

TEST_F(WeaponTest, HelicopterFiresOnlyPastTwoAndAHalfSeconds) {
    kit.level.m_definitions["Rocket"];
    AIViewComponent* heli = Make("AI-Fly-Helicopter");
    State* state = heli->m_stateMachine->m_current;
    float timer = 2.5f;
    FireUnitWeapon(&state->m_shootAnimPlayed, state, &timer);
    EXPECT_EQ(Requests("Rocket"), 0u);
    timer = 2.51f;
    FireUnitWeapon(&state->m_shootAnimPlayed, state, &timer);
    EXPECT_EQ(Requests("Rocket"), 1u);
    EXPECT_EQ(timer, 0.0f);
}

TEST_F(WeaponTest, TrucksAndJeepsFireOnEveryCallAndLongerNamesNever) {
    kit.level.m_definitions["Rocket"];
    kit.level.m_definitions["Bullet"];
    struct Case {
        const char* type;
        const char* projectile;
        std::size_t shots;
    };
    const Case cases[] = {
        {"AI-Ground-Jeep", "Bullet", 2},   {"AI-Ground-Truck", "Rocket", 2},
        {"AI-Ground-JeepX", "Bullet", 0},  {"AI-Fly-HelicopterX", "Rocket", 0},
        {"AI-Ground-TruckX", "Rocket", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const std::size_t before = Requests(c.projectile);
        AIViewComponent* unit = Make(c.type);
        State* state = unit->m_stateMachine->m_current;
        float timer = 5.0f;
        FireUnitWeapon(&state->m_shootAnimPlayed, state, &timer);
        FireUnitWeapon(&state->m_shootAnimPlayed, state, &timer);
        EXPECT_EQ(Requests(c.projectile) - before, c.shots);
        EXPECT_EQ(timer, 5.0f);
    }
}

} // namespace
