#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/math_functions.h"
#include "hand_fixture.h"

namespace {

using hand::Hand;

constexpr float kPi = std::numbers::pi_v<float>;

enum class Press { Tap, LongHold };

struct GrabCase {
    const char* name;
    Press press;
    bool headOff;
    bool unit;
    bool building;
    // What ends up in the hand: 'h' the pulled head, 'u' the unit, 'b' the building, '-' none.
    char held;
    bool searched;
};

class GrabTable : public Hand, public ::testing::WithParamInterface<GrabCase> {};

TEST_P(GrabTable, TakesWhatTheCaseSays) {
    const GrabCase& c = GetParam();
    robot->position = Vector(0.0f, 5.0f, 0.0f);
    GameObject* unit = Make("AI-Ground-Tank", true);
    GameObject* building = Make("BuildingOffice", true);
    // Both exactly 10 from the point 15 above the robot.
    unit->position = Vector(10.0f, 20.0f, 0.0f);
    building->position = Vector(0.0f, 20.0f, -10.0f);
    unitInReach = c.unit ? unit : nullptr;
    buildingInReach = c.building ? building : nullptr;
    if (c.headOff) {
        player->m_head_off_time = 0.5f;
    }
    if (c.press == Press::Tap) {
        Grab(INPUT_PRESSED);
        Grab(INPUT_RELEASED);
    } else {
        Grab(INPUT_PRESSED, 0.2f);
        Grab(INPUT_HELD, 0.2f);
    }
    GameObject* expected = nullptr;
    switch (c.held) {
    case 'h':
        expected = player->m_fake_head;
        ASSERT_NE(expected, nullptr);
        EXPECT_EQ(expected->name, "FakeRobotHead");
        break;
    case 'u':
        expected = unit;
        break;
    case 'b':
        expected = building;
        break;
    default:
        break;
    }
    EXPECT_EQ(player->m_held_object, expected);
    EXPECT_EQ(player->m_arm_state, expected != nullptr ? 1 : PlayerComponent::kArmFree);
    EXPECT_EQ(Count(ai.received, MSG_AI_OBJECT_TO_GRAB), c.searched ? 1 : 0);
    EXPECT_EQ(Count(ai.received, MSG_GRAB), c.held == 'u' ? 1 : 0);
    EXPECT_EQ(player->m_grab_hold_time, 0.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Hand, GrabTable,
    ::testing::Values(
        GrabCase{"TapNothingInReachPullsTheHead", Press::Tap, false, false, false, 'h', true},
        GrabCase{"TapWithTheHeadOffDoesNothing", Press::Tap, true, false, false, '-', true},
        GrabCase{"LongHoldPullsTheHeadWithoutSearching", Press::LongHold, false, true, true, 'h',
                 false},
        GrabCase{"LongHoldWithTheHeadOffSearches", Press::LongHold, true, true, false, 'u', true},
        GrabCase{"EqualDistancesGiveTheBuilding", Press::Tap, false, true, true, 'b', true},
        GrabCase{"AUnitAloneIsTaken", Press::Tap, false, true, false, 'u', true}),
    [](const ::testing::TestParamInfo<GrabCase>& info) { return std::string(info.param.name); });

TEST_F(Hand, ThePulledHeadSitsAboveTheRobotAndTheRealHeadIsHidden) {
    robot->position = Vector(100.0f, 5.0f, 50.0f);
    // Turned a quarter about y.
    robot->orientation = Math::QuaternionRotationMatrix(Math::MatrixRotationY(kPi / 2.0f));
    Grab(INPUT_PRESSED);
    Grab(INPUT_RELEASED);
    GameObject* head = player->m_fake_head;
    ASSERT_NE(head, nullptr);
    const Vector expected =
        robot->position + Math::RotateByQuaternion(Vector(0.0f, 16.0f, -5.0f), robot->orientation);
    EXPECT_NEAR(head->position.x, expected.x, 1e-4f);
    EXPECT_NEAR(head->position.y, expected.y, 1e-4f);
    EXPECT_NEAR(head->position.z, expected.z, 1e-4f);
    // The head itself, not the robot's turn, is what the hand keeps: a half turn about y.
    const Quaternion half = Math::QuaternionRotationMatrix(Math::MatrixRotationY(kPi));
    EXPECT_NEAR(std::fabs(player->m_grab_orientation.y), std::fabs(half.y), 1e-5f);
}

TEST_F(Hand, AHeadWithoutABodyIsDeletedAndTheRobotKeepsItsOwn) {
    headHasBody = false;
    Grab(INPUT_PRESSED);
    Grab(INPUT_RELEASED);
    EXPECT_EQ(player->m_fake_head, nullptr);
    EXPECT_EQ(player->m_held_object, nullptr);
    EXPECT_EQ(player->m_arm_state, PlayerComponent::kArmFree);
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0]->name, "FakeRobotHead");
}

struct AxisCase {
    Vector extents;
    int axis;
    // The hanging turn: 'z' a quarter back about z, 'x' about x, '-' the robot's own.
    char turn;
};

class HoldAxis : public Hand, public ::testing::WithParamInterface<AxisCase> {};

TEST_P(HoldAxis, LongObjectsHangDownTheArm) {
    const AxisCase& c = GetParam();
    GameObject* block = Make("BuildingBlock", true, c.extents);
    buildingInReach = block;
    robot->orientation = Math::QuaternionRotationMatrix(Math::MatrixRotationY(0.3f));
    Grab(INPUT_PRESSED);
    Grab(INPUT_RELEASED);
    ASSERT_EQ(player->m_held_object, block);
    EXPECT_EQ(player->m_hold_axis, c.axis);
    Quaternion expected = robot->orientation;
    if (c.turn == 'z') {
        expected = Math::QuaternionRotationMatrix(Math::MatrixRotationZ(-kPi / 2.0f));
    } else if (c.turn == 'x') {
        expected = Math::QuaternionRotationMatrix(Math::MatrixRotationX(-kPi / 2.0f));
    }
    EXPECT_NEAR(player->m_grab_orientation.x, expected.x, 1e-5f);
    EXPECT_NEAR(player->m_grab_orientation.y, expected.y, 1e-5f);
    EXPECT_NEAR(player->m_grab_orientation.z, expected.z, 1e-5f);
    EXPECT_NEAR(player->m_grab_orientation.w, expected.w, 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(Hand, HoldAxis,
                         ::testing::Values(AxisCase{Vector(30.0f, 10.0f, 10.0f), 0, 'z'},
                                           AxisCase{Vector(20.0f, 10.0f, 10.0f), 1, '-'},
                                           AxisCase{Vector(10.0f, 10.0f, 30.0f), 2, 'x'},
                                           AxisCase{Vector(10.0f, 30.0f, 10.0f), 1, '-'},
                                           AxisCase{Vector(30.0f, 25.0f, 25.0f), 1, '-'}));

class Throws : public Hand {
  protected:
    // The object in the hand, the throw just past its 0.3 s in the hand.
    GameObject* Throwing() {
        GameObject* box = Make("BuildingBlock", true, Vector(2.0f, 2.0f, 2.0f));
        box->position = Vector(0.0f, 20.0f, 0.0f);
        player->m_held_object = box;
        buildingsKnown.insert(box);
        player->m_arm_state = 3;
        player->m_arm_timer = 0.3f;
        return box;
    }
};

TEST_F(Throws, AStraightThrowFliesAlongTheAimWithHalfTheRobotsVelocity) {
    GameObject* box = Throwing();
    robot->velocity = Vector(10.0f, 0.0f, -4.0f);
    player->m_camera_eye = Vector(0.0f, 20.0f, 40.0f);
    player->m_camera_target = Vector(30.0f, 20.0f, 0.0f);
    Grab(INPUT_UP, 0.05f);
    const Vector aim = Math::Vec3Normalize(Vector(30.0f, 0.0f, -40.0f));
    EXPECT_NEAR(box->velocity.x, aim.x * 250.0f + 5.0f, 1e-3f);
    EXPECT_NEAR(box->velocity.y, 0.0f, 1e-3f);
    EXPECT_NEAR(box->velocity.z, aim.z * 250.0f - 2.0f, 1e-3f);
    EXPECT_EQ(player->m_held_object, nullptr);
    EXPECT_EQ(Count(ai.received, MSG_THROWN), 1);
}

TEST_F(Throws, AThrowAtAUnit300AwayIsLiftedAndFliesAt500) {
    GameObject* box = Throwing();
    GameObject* unit = Make("AI-Fly-MediumUFO");
    unit->position = box->position + Vector(0.0f, 0.0f, -300.0f);
    units.insert(unit);
    player->m_throw_target = unit;
    robot->velocity = Vector(10.0f, 0.0f, 0.0f);
    Grab(INPUT_UP, 0.05f);
    const Vector& v = box->velocity;
    EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 500.0f, 1e-2f);
    EXPECT_NEAR(v.y / -v.z, 22.0f / 300.0f, 1e-5f);
    EXPECT_NEAR(v.x, 0.0f, 1e-4f);
}

TEST_F(Throws, ThrowingThePulledHeadStartsTheRegrowthClock) {
    Grab(INPUT_PRESSED);
    Grab(INPUT_RELEASED);
    GameObject* head = player->m_fake_head;
    ASSERT_NE(head, nullptr);
    player->m_arm_state = 3;
    player->m_arm_timer = 0.3f;
    Grab(INPUT_UP, 0.05f);
    EXPECT_EQ(player->m_head_thrown, 1);
    EXPECT_EQ(player->m_head_off_time, 0.0f);
    EXPECT_EQ(player->m_held_object, nullptr);
    // The flying head may be blown up by its first contact: the robot keeps no pointer to it.
    EXPECT_EQ(player->m_fake_head, nullptr);
}

TEST_F(Hand, TheReticleMovesToANewCandidateAndLeavesOnlyAUnitTheAIStillKnows) {
    GameObject* held = Make("BuildingBlock", true);
    buildingsKnown.insert(held);
    player->m_held_object = held;
    player->m_arm_state = 2;
    GameObject* first = Make("AI-Fly-MediumUFO");
    GameObject* second = Make("AI-Boss-Fly-UFO");
    GameObject* third = Make("AI-Ground-Tank");
    units = {first, second, third};

    throwCandidate = first;
    Grab(INPUT_UP);
    Grab(INPUT_UP);
    // One reticle, sized for its kind.
    ASSERT_EQ(EffectCount("Reticle"), 1);
    ASSERT_NE(first->GetComponent(ComponentType::ParticleSystem), nullptr);
    EXPECT_EQ(systems[0]->settings.sizeFinalHigh, 12.0f);

    throwCandidate = second;
    Grab(INPUT_UP);
    EXPECT_EQ(first->GetComponent(ComponentType::ParticleSystem), nullptr);
    ASSERT_NE(second->GetComponent(ComponentType::ParticleSystem), nullptr);
    EXPECT_EQ(player->m_throw_target, second);

    // The AI no longer knows the second unit: its reticle is left alone.
    units.erase(second);
    throwCandidate = third;
    Grab(INPUT_UP);
    EXPECT_NE(second->GetComponent(ComponentType::ParticleSystem), nullptr);
    EXPECT_NE(third->GetComponent(ComponentType::ParticleSystem), nullptr);
    EXPECT_EQ(player->m_throw_target, third);
}

TEST_F(Hand, AUnitHeldWithTheHeadOffThatDiesEndsTheGrabUnread) {
    // The thrown head is still flying.
    GameObject* head = Make("FakeRobotHead", true);
    player->m_fake_head = head;
    player->m_head_off_time = 0.5f;
    others.push_back(NewObject("AI-Ground-Tank"));
    GameObject* unit = others.back().get();
    unitInReach = unit;
    units.insert(unit);
    Grab(INPUT_PRESSED);
    Grab(INPUT_RELEASED);
    ASSERT_EQ(player->m_held_object, unit);
    ASSERT_EQ(player->m_arm_state, 1);

    // The unit dies and is gone; the next frame must not read it (the address sanitizer
    // reports it if it does).
    units.erase(unit);
    others.pop_back();
    Grab(INPUT_UP, 0.2f);
    EXPECT_EQ(player->m_arm_state, PlayerComponent::kArmFree);
    EXPECT_EQ(player->m_held_object, nullptr);
}

TEST_F(Hand, TheHeldObjectFollowsTheHandOnceTheGrabIsUnderWay) {
    GameObject* block = Make("BuildingBlock", true, Vector(3.0f, 3.0f, 3.0f));
    buildingInReach = block;
    buildingsKnown.insert(block);
    parts[2]->position = Vector(5.0f, 12.0f, 1.0f);
    Grab(INPUT_PRESSED);
    Grab(INPUT_RELEASED);
    ASSERT_EQ(player->m_arm_state, 1);
    Grab(INPUT_UP, 0.2f);
    // Hung below the hand by 3 and by its extent along the hold axis.
    EXPECT_NEAR(block->position.x, 5.0f, 1e-4f);
    EXPECT_NEAR(block->position.y, 12.0f - 3.0f - 3.0f, 1e-4f);
    EXPECT_NEAR(block->position.z, 1.0f, 1e-4f);
}

} // namespace
