#include <gtest/gtest.h>

#include <algorithm>

#include "app/random_input.h"
#include "game/input_state.h"
#include "platform/system/crt_rand.h"

namespace {

struct Periods {
    float p, q, r;
};

// The periods the next step will draw, from a copy of the generator's sequence.
Periods NextPeriods(std::uint32_t seed, int skip) {
    crt::SeedRand(seed);
    for (int i = 0; i < skip; ++i) {
        crt::Rand();
    }
    Periods out;
    out.p = static_cast<float>(crt::Rand() % 5 + 7);
    out.q = static_cast<float>(crt::Rand() % 5 + 5);
    out.r = static_cast<float>(crt::Rand() % 5 + 10);
    return out;
}

TEST(RandomInput, ShortStepWalksForwardLeftAndFiresNothingYet) {
    crt::SeedRand(5);
    RandomInput random;
    BoundControls bound;
    random.Step(0.005f, bound);
    EXPECT_EQ(bound.m_controls[CONTROL_FORWARD], INPUT_HELD);
    EXPECT_EQ(bound.m_controls[CONTROL_LEFT], INPUT_HELD);
    EXPECT_EQ(bound.m_controls[CONTROL_BACKWARD], INPUT_UP);
    EXPECT_EQ(bound.m_movement.z, -1.0f);
    EXPECT_EQ(bound.m_movement.x, -1.0f);
    EXPECT_EQ(bound.m_controls[CONTROL_JUMP], INPUT_UP);
    EXPECT_EQ(bound.m_controls[CONTROL_GRAB_THROW], INPUT_UP);
    EXPECT_EQ(bound.m_controls[CONTROL_PUNCH], INPUT_UP);
    EXPECT_EQ(bound.m_mouse_x, 0.0f);
    random.Step(0.006f, bound); // 0.011 s in: grab and laser fire, punch waits for 0.1 s
    EXPECT_EQ(bound.m_controls[CONTROL_GRAB_THROW], INPUT_PRESSED);
    EXPECT_EQ(bound.m_controls[CONTROL_LASER], INPUT_PRESSED);
    EXPECT_EQ(bound.m_controls[CONTROL_PUNCH], INPUT_UP);
    EXPECT_NEAR(random.m_grab_timer, 0.001f, 1e-6f);
}

TEST(RandomInput, LongStepBacksUpThenWalksForwardAgain) {
    const std::uint32_t seed = 1234;
    const Periods first = NextPeriods(seed, 0);
    crt::SeedRand(seed);
    RandomInput random;
    BoundControls bound;
    random.Step(100.0f, bound);
    EXPECT_EQ(bound.m_controls[CONTROL_BACKWARD], INPUT_HELD);
    EXPECT_EQ(bound.m_movement.z, 1.0f);
    EXPECT_EQ(random.m_forward_timer, 0.0f); // past twice the period: starts over
    EXPECT_EQ(bound.m_controls[CONTROL_RIGHT], INPUT_HELD);
    EXPECT_EQ(bound.m_movement.x, 1.0f);
    EXPECT_FLOAT_EQ(random.m_side_timer, 100.0f - 2.0f * first.q);
    EXPECT_EQ(bound.m_controls[CONTROL_JUMP], INPUT_PRESSED);
    EXPECT_FLOAT_EQ(random.m_jump_timer, 100.0f - 2.0f * first.r);
    EXPECT_EQ(bound.m_mouse_x, 15.0f);
    EXPECT_EQ(random.m_view_x_timer, 0.0f);
    EXPECT_EQ(random.m_view_y_timer, 0.0f);
    EXPECT_TRUE(random.m_view_turn == 10.0f || random.m_view_turn == -10.0f);
    EXPECT_EQ(bound.m_controls[CONTROL_PUNCH], INPUT_PRESSED);
    EXPECT_EQ(random.m_punch_timer, 0.0f);

    BoundControls next;
    random.Step(0.016f, next);
    EXPECT_EQ(next.m_controls[CONTROL_FORWARD], INPUT_HELD);
    EXPECT_EQ(next.m_controls[CONTROL_BACKWARD], INPUT_UP);
    EXPECT_EQ(next.m_movement.z, -1.0f);
}

TEST(RandomInput, ViewTurnsFollowTheGenerator) {
    // Past max(P, Q) + 0.8 the x timer restarts and draws the sign of the next turn; the y
    // timer then reads that turn while it is past min(P, Q).
    const std::uint32_t seed = 77;
    const Periods first = NextPeriods(seed, 0);
    crt::SeedRand(seed);
    RandomInput random;
    random.m_view_y_timer = -1000.0f; // keep the y side out of this step
    BoundControls bound;
    random.Step(std::max(first.p, first.q) + 1.0f, bound);
    EXPECT_EQ(bound.m_mouse_x, 15.0f);
    crt::SeedRand(seed);
    for (int i = 0; i < 3; ++i) {
        crt::Rand();
    }
    const float expectedTurn = crt::Rand() % 2 == 0 ? -15.0f : 15.0f;
    EXPECT_EQ(random.m_view_turn, expectedTurn);

    const Periods second = NextPeriods(seed, 4);
    crt::SeedRand(seed);
    for (int i = 0; i < 4; ++i) {
        crt::Rand();
    }
    random.m_view_y_timer = std::min(second.p, second.q) + 0.1f;
    random.m_view_x_timer = 0.0f;
    BoundControls view;
    random.Step(0.0f, view);
    EXPECT_EQ(view.m_mouse_y, expectedTurn);
    EXPECT_EQ(view.m_mouse_x, 0.0f);
}

} // namespace
