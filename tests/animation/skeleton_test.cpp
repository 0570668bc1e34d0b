#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "animation/joint.h"
#include "animation/skeleton.h"
#include "core/game_object.h"
#include "support/math_expect.h"

namespace {

const float kRootHalf = std::sqrt(0.5f);

// An owning skeleton whose joint i sits at (i + 1, 2(i + 1), 3(i + 1)) with weight 0.1(i + 1)
// and the given rotation.
Skeleton Numbered(std::size_t count, const Quaternion& rotation = Quaternion{}) {
    Skeleton skeleton(true);
    for (std::size_t i = 0; i < count; ++i) {
        const float n = static_cast<float>(i + 1);
        skeleton.AddJoint(new AnimationJoint(rotation, Vector(n, 2 * n, 3 * n), 0.1f * n));
    }
    return skeleton;
}

const AnimationJoint& At(const Skeleton& skeleton, std::size_t slot) {
    return *skeleton.PoseJoint(slot);
}

TEST(GameObjectLocalTransform, StartsAtTheParentUnturned) {
    const GameObject object("RobotHead");
    ExpectNear3(object.m_local_position, Float3{0, 0, 0}, 0.0f);
    ExpectNearQ(object.m_local_rotation, Quaternion{0, 0, 0, 1}, 0.0f);
}

TEST(Skeleton, AdditiveSumOfSixAndFourJointsTouchesOnlyTheFirstFour) {
    const Skeleton six = Numbered(6, Quaternion{0.5f, 0, 0, 0.5f});
    const Skeleton four = Numbered(4, Quaternion{0, 0.25f, 0, 0.25f});
    const Skeleton sum = six + four;
    ASSERT_EQ(sum.m_joints.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const float n = static_cast<float>(i + 1);
        const float factor = i < 4 ? 2.0f : 1.0f;
        ExpectNear3(At(sum, i).m_position, Float3{factor * n, factor * 2 * n, factor * 3 * n});
        EXPECT_NEAR(At(sum, i).m_scale, factor * 0.1f * n, 1e-6f);
        // Quaternions are summed as they are, never normalised.
        ExpectNearQ(At(sum, i).m_rotation,
                    i < 4 ? Quaternion{0.5f, 0.25f, 0, 0.75f} : Quaternion{0.5f, 0, 0, 0.5f});
    }
    // The operands are untouched copies.
    ExpectNear3(At(six, 0).m_position, Float3{1, 2, 3});

    Skeleton inPlace = Numbered(4);
    inPlace += six;
    ASSERT_EQ(inPlace.m_joints.size(), 4u);
    ExpectNear3(At(inPlace, 3).m_position, Float3{8, 16, 24});
}

TEST(Skeleton, ProductScalesAllEightFloatsOfACopy) {
    const Skeleton pose = Numbered(2, Quaternion{0.1f, 0.2f, 0.3f, 0.4f});
    const Skeleton half = pose * 0.5f;
    ASSERT_EQ(half.m_joints.size(), 2u);
    EXPECT_TRUE(half.m_owns_joints);
    ExpectNear3(At(half, 1).m_position, Float3{1, 2, 3});
    ExpectNearQ(At(half, 1).m_rotation, Quaternion{0.05f, 0.1f, 0.15f, 0.2f});
    EXPECT_NEAR(At(half, 1).m_scale, 0.1f, 1e-6f);
    EXPECT_NE(half.m_joints[0].get(), pose.m_joints[0].get());
    ExpectNear3(At(pose, 1).m_position, Float3{2, 4, 6});
}

TEST(Skeleton, ScaleWeightsTouchesOnlyTheWeights) {
    Skeleton pose = Numbered(3, Quaternion{0, 1, 0, 0});
    pose.ScaleWeights(0.5f);
    EXPECT_NEAR(At(pose, 2).m_scale, 0.15f, 1e-6f);
    ExpectNear3(At(pose, 2).m_position, Float3{3, 6, 9});
    ExpectNearQ(At(pose, 2).m_rotation, Quaternion{0, 1, 0, 0});
}

TEST(Skeleton, AssigningToAnOwningSkeletonCopiesTheSourceWhateverItsLength) {
    Skeleton target = Numbered(2);
    const Skeleton source = Numbered(5);
    target = source;
    ASSERT_EQ(target.m_joints.size(), 5u);
    EXPECT_NE(target.m_joints[4].get(), source.m_joints[4].get());
    ExpectNear3(At(target, 4).m_position, Float3{5, 10, 15});
    target.PoseJoint(4)->m_position.x = 99.0f;
    EXPECT_EQ(At(source, 4).m_position.x, 5.0f);

    target = Skeleton(true);
    EXPECT_TRUE(target.m_joints.empty());
    target = target;
    EXPECT_TRUE(target.m_joints.empty());
}

TEST(Skeleton, AssigningToABoundSkeletonPushesThePoseIntoItsJoints) {
    GameObject body("RobotBody");
    GameObject head("RobotHead");
    auto* bodyJoint = new JointComponent("RobotBody");
    auto* headJoint = new JointComponent("RobotHead");
    bodyJoint->owner = &body;
    headJoint->owner = &head;
    Skeleton bound(false);
    bound.AddJoint(bodyJoint);
    bound.AddJoint(nullptr);
    bound.AddJoint(headJoint);
    ASSERT_EQ(bound.m_joints.size(), 2u);

    const Quaternion turn{0, kRootHalf, 0, kRootHalf};
    bound = Numbered(6, turn);
    ASSERT_EQ(bound.m_joints.size(), 2u);
    EXPECT_EQ(bound.m_joints[0].get(), bodyJoint);
    ExpectNear3(bodyJoint->m_position, Float3{1, 2, 3});
    ExpectNear3(head.m_local_position, Float3{2, 4, 6});
    ExpectNearQ(head.m_local_rotation, turn);
    // Assigning does not place the object yet.
    ExpectNear3(head.position, Float3{0, 0, 0}, 0.0f);

    bound = Numbered(1);
    ExpectNear3(bodyJoint->m_position, Float3{1, 2, 3});
    ExpectNear3(headJoint->m_position, Float3{2, 4, 6});
    bound = Skeleton(true);
    EXPECT_EQ(bound.m_joints.size(), 2u);
}

TEST(Skeleton, CopiesOfABoundSkeletonOwnPlainJoints) {
    Skeleton bound(false);
    bound.AddJoint(new JointComponent("RobotBody"));
    const Skeleton copy(bound);
    EXPECT_TRUE(copy.m_owns_joints);
    ASSERT_EQ(copy.m_joints.size(), 1u);
    ASSERT_NE(copy.PoseJoint(0), nullptr);
    EXPECT_EQ(copy.PoseJoint(0)->m_scale, 0.0f);
}

TEST(AnimationJoint, WeightedAccumulateMovesByTheSourceWeight) {
    const Quaternion quarter{0, kRootHalf, 0, kRootHalf};
    struct Case {
        float weight;
        Float3 position;
        Quaternion rotation;
    };
    const float s = std::sin(3.14159265f / 8), c = std::cos(3.14159265f / 8);
    for (const Case& k : {Case{0.0f, {2, 4, 6}, Quaternion{}}, Case{1.0f, {10, 0, -2}, quarter},
                          Case{0.5f, {6, 2, 2}, Quaternion{0, s, 0, c}}}) {
        SCOPED_TRACE(k.weight);
        AnimationJoint joint(Quaternion{}, Vector(2, 4, 6), 0.3f);
        joint.Accumulate(AnimationJoint(quarter, Vector(10, 0, -2), k.weight), BlendMode::Weighted);
        ExpectNear3(joint.m_position, k.position);
        ExpectNearQ(joint.m_rotation, k.rotation);
        EXPECT_EQ(joint.m_scale, 0.3f);
    }
}

TEST(AnimationJoint, AdditiveAccumulateSumsAllEightFloats) {
    AnimationJoint joint(Quaternion{0.1f, 0.2f, 0.3f, 0.4f}, Vector(1, 2, 3), 0.5f);
    joint.Accumulate(AnimationJoint(Quaternion{1, 1, 1, 1}, Vector(1, 1, 1), 0.25f));
    ExpectNear3(joint.m_position, Float3{2, 3, 4});
    ExpectNearQ(joint.m_rotation, Quaternion{1.1f, 1.2f, 1.3f, 1.4f});
    EXPECT_EQ(joint.m_scale, 0.75f);
}

TEST(Skeleton, InterpolateBlendsPositionWeightAndRotationAlongTheArc) {
    Skeleton a(true);
    Skeleton b(true);
    a.AddJoint(new AnimationJoint(Quaternion{}, Vector(0, 0, 0), 0.0f));
    b.AddJoint(new AnimationJoint(Quaternion{0, kRootHalf, 0, kRootHalf}, Vector(4, 8, -4), 1.0f));
    b.AddJoint(new AnimationJoint(Quaternion{}, Vector(1, 1, 1), 1.0f));
    Skeleton out(true);
    Skeleton::Interpolate(out, a, b, 0.25f);
    ASSERT_EQ(out.m_joints.size(), 1u);
    ExpectNear3(At(out, 0).m_position, Float3{1, 2, -1});
    EXPECT_NEAR(At(out, 0).m_scale, 0.25f, 1e-6f);
    // A quarter of a quarter turn about y.
    const float half = 3.14159265f / 16;
    ExpectNearQ(At(out, 0).m_rotation, Quaternion{0, std::sin(half), 0, std::cos(half)});
}

TEST(Skeleton, AxisRotationTurnsEachJointByItsWeightAndTheHeadPositionByTwice) {
    Skeleton pose(true);
    pose.AddJoint(new AnimationJoint(Quaternion{}, Vector(1, 5, 0), 1.0f));
    pose.AddJoint(new AnimationJoint(Quaternion{}, Vector(1, 7, 0), 1.0f));
    pose.AddJoint(new AnimationJoint(Quaternion{}, Vector(3, 2, 0), 1.0f));
    const float angle = 0.4f;
    pose.ApplyAxisRotation(AxisRotation{Vector(0, 1, 0), Vector(1, 0, 0), angle},
                           {0.5f, 0.75f, 0.0f, 1.0f});

    // About the vertical through (1, 0, 0): the body sits on the axis and keeps its place.
    ExpectNear3(At(pose, 0).m_position, Float3{1, 5, 0});
    ExpectNearQ(At(pose, 0).m_rotation,
                Quaternion{0, std::sin(0.25f * angle), 0, std::cos(0.25f * angle)});
    // The head's position turns by the full angle (2 × 0.75 capped at 1), its rotation by 0.75.
    ExpectNear3(At(pose, 1).m_position, Float3{1, 7, 0});
    ExpectNearQ(At(pose, 1).m_rotation,
                Quaternion{0, std::sin(0.375f * angle), 0, std::cos(0.375f * angle)});
    // Weight 0 leaves a joint off the axis alone.
    ExpectNear3(At(pose, 2).m_position, Float3{3, 2, 0});
    ExpectNearQ(At(pose, 2).m_rotation, Quaternion{});
}

TEST(Skeleton, AxisRotationSwingsAnOffAxisPositionAboutThePivot) {
    // (2, 0, 0) from the pivot turned about the vertical, in the frame the objects' quaternions
    // place positions in: x' = x cos a, z' = x sin a.
    for (const float weight : {1.0f, 0.75f}) {
        SCOPED_TRACE(weight);
        Skeleton pose(true);
        pose.AddJoint(new AnimationJoint(Quaternion{}, Vector(0, 0, 0), 1.0f));
        pose.AddJoint(new AnimationJoint(Quaternion{}, Vector(3, 4, 0), 1.0f));
        pose.AddJoint(new AnimationJoint(Quaternion{}, Vector(3, 4, 0), 1.0f));
        const float angle = 0.6f;
        pose.ApplyAxisRotation(AxisRotation{Vector(0, 1, 0), Vector(1, 0, 0), angle},
                               {0.0f, weight, weight});
        const float head = std::min(2 * weight, 1.0f) * angle;
        ExpectNear3(At(pose, 1).m_position, Float3{1 + 2 * std::cos(head), 4, 2 * std::sin(head)});
        ExpectNear3(At(pose, 2).m_position,
                    Float3{1 + 2 * std::cos(weight * angle), 4, 2 * std::sin(weight * angle)});
    }
}

class JointComponentTest : public ::testing::Test {
  protected:
    JointComponentTest() {
        part.parentObject = &base;
        joint->owner = &part;
        bound.AddJoint(joint);
    }

    void AssignPosition(const Vector& position, const Quaternion& rotation = Quaternion{}) {
        Skeleton pose(true);
        pose.AddJoint(new AnimationJoint(rotation, position, 0.5f));
        bound = pose;
    }

    GameObject base{"RobotBase"};
    GameObject part{"RobotHead"};
    JointComponent* joint = new JointComponent("RobotHead");
    Skeleton bound{false};
};

TEST_F(JointComponentTest, PlacesItsObjectInTheFrameOfTheParent) {
    base.position = Vector(10, 0, 5);
    // A quarter turn about y: in the parent's frame x points along z.
    base.orientation = Quaternion{0, kRootHalf, 0, kRootHalf};
    const Quaternion tilt{kRootHalf, 0, 0, kRootHalf};
    AssignPosition(Vector(1, 2, 0), tilt);
    joint->ApplyToOwner();
    ExpectNear3(part.m_local_position, Float3{0, 2, 1});
    ExpectNear3(part.position, Float3{10, 2, 6});
    // The parent's turn followed by the local one: (½, ½, ½, ½) worked by hand.
    ExpectNearQ(part.orientation, Quaternion{0.5f, 0.5f, 0.5f, 0.5f});
    EXPECT_TRUE(part.positionChanged);
    EXPECT_TRUE(part.orientationChanged);

    // Applying again without a new pose lands in the same place.
    joint->ApplyToOwner();
    ExpectNear3(part.m_local_position, Float3{0, 2, 1});
    ExpectNear3(part.position, Float3{10, 2, 6});
}

TEST_F(JointComponentTest, AnObjectWithoutParentMovesEachTimeItIsApplied) {
    part.parentObject = nullptr;
    part.position = Vector(1, 1, 1);
    AssignPosition(Vector(0, 0, 2));
    joint->ApplyOwnerPosition();
    ExpectNear3(part.position, Float3{1, 1, 3});
    joint->ApplyOwnerPosition();
    ExpectNear3(part.position, Float3{1, 1, 5});

    const Quaternion turn{0, 0, kRootHalf, kRootHalf};
    AssignPosition(Vector(0, 0, 0), turn);
    joint->ApplyOwnerRotation();
    ExpectNearQ(part.orientation, turn);
    joint->ApplyOwnerRotation();
    ExpectNearQ(part.orientation, Quaternion{0, 0, 1, 0});
}

TEST_F(JointComponentTest, AJointWithoutOwnerKeepsThePositionOnly) {
    joint->owner = nullptr;
    AssignPosition(Vector(3, 2, 1));
    joint->ApplyToOwner();
    ExpectNear3(joint->m_position, Float3{3, 2, 1});
    ExpectNear3(part.m_local_position, Float3{0, 0, 0}, 0.0f);
}

} // namespace
