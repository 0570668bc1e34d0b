#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "animation/animation.h"
#include "animation_fixture.h"
#include "support/math_expect.h"

namespace {

using animation_fixture::ExpectSameTurn;
using Weights = std::array<float, 6>;

struct ClipCase {
    std::string name;
    std::vector<float> times;
    std::vector<Weights> weights;
};

std::vector<ClipCase> CombatClips() {
    const Weights rightCharge = {0.45f, 0.25f, 0.95f, 0, 0, 0};
    const Weights rightFollow = {0.15f, 0.25f, 0.95f, 0, 0, 0};
    const Weights leftCharge = {0.4f, 0.25f, 0, 0.95f, 0, 0};
    const Weights leftFollow = {0.15f, 0.25f, 0, 0.95f, 0, 0};
    const Weights grab = {0.25f, 0.25f, 1, 0, 0, 0};
    const Weights hold = {0, 0.25f, 1, 0, 0, 0};
    const Weights swing = {0.75f, 0.25f, 1, 0, 0, 0};
    return {
        {"Right Punch Charge", {0, 0.2f, 0.4f}, {rightCharge, rightCharge, rightCharge}},
        {"Right Punch Release", {0, 0.1f}, {rightCharge, rightFollow}},
        {"Right Punch Rest", {0, 0.2f, 0.5f}, {rightFollow, rightFollow, rightFollow}},
        {"Left Punch Charge", {0, 0.2f, 0.4f}, {leftCharge, leftCharge, leftCharge}},
        {"Left Punch Release", {0, 0.1f}, {leftCharge, leftFollow}},
        {"Left Punch Rest", {0, 0.2f, 0.5f}, {leftFollow, leftFollow, leftFollow}},
        {"Grab", {0, 0.15f, 0.5f}, {grab, grab, grab}},
        {"Hold", {0}, {hold}},
        {"Throw", {0, 0.2f, 0.3f, 0.6f}, {hold, swing, swing, hold}},
        {"Victory", {0, 0.18f}, {{1, 1, 1, 1, 1, 1}, {0, 0, 1, 1, 0, 0}}},
    };
}

TEST(CombatClips, EachHasItsKeyTimesAndWeightsAndPlaysOnce) {
    for (const ClipCase& c : CombatClips()) {
        SCOPED_TRACE(c.name);
        Animation clip(c.name);
        ASSERT_EQ(clip.FrameCount(), c.times.size());
        EXPECT_FALSE(clip.IsLooping());
        EXPECT_FLOAT_EQ(clip.GetLength(), c.times.back());
        EXPECT_EQ(clip.AimJoint() != nullptr, c.name == "Grab");
        for (std::size_t k = 0; k < c.times.size(); ++k) {
            SCOPED_TRACE(k);
            const KeyFrame& frame = clip.Frames()[k];
            EXPECT_FLOAT_EQ(frame.time, c.times[k]);
            ASSERT_EQ(frame.skeleton->m_joints.size(), 6u);
            EXPECT_TRUE(frame.skeleton->m_owns_joints);
            for (std::size_t slot = 0; slot < 6; ++slot) {
                EXPECT_FLOAT_EQ(frame.skeleton->PoseJoint(slot)->m_scale, c.weights[k][slot])
                    << "slot " << slot;
            }
            if (k > 0) {
                EXPECT_NE(frame.skeleton->PoseJoint(0),
                          clip.Frames()[k - 1].skeleton->PoseJoint(0));
            }
        }
    }
}

TEST(CombatClips, OtherNamesBuildNothing) {
    for (const char* name : {"right punch charge", "Grab ", "Walk", ""}) {
        SCOPED_TRACE(name);
        const Animation clip(name);
        EXPECT_EQ(clip.FrameCount(), 0u);
        EXPECT_EQ(clip.AimJoint(), nullptr);
        EXPECT_EQ(clip.GetWeight(), 1.0f);
        EXPECT_EQ(clip.GetSpeed(), 1.0f);
    }
}

const AnimationJoint& JointOf(const Animation& clip, std::size_t frame, std::size_t slot) {
    return *clip.Frames()[frame].skeleton->PoseJoint(slot);
}

TEST(CombatClips, PosesSitFiveLowerThanBuiltWithTheirTurns) {
    const double pi = 3.14159265358979;
    // A turn by a about an axis is (axis · sin(a/2), cos(a/2)).
    const auto aboutX = [](double a) {
        return Quaternion{static_cast<float>(std::sin(a / 2)), 0, 0,
                          static_cast<float>(std::cos(a / 2))};
    };
    const auto aboutY = [](double a) {
        return Quaternion{0, static_cast<float>(std::sin(a / 2)), 0,
                          static_cast<float>(std::cos(a / 2))};
    };

    const Animation charge("Right Punch Charge");
    ExpectNear3(JointOf(charge, 0, Skeleton::kBody).m_position, Float3{0, 11.75f, 0});
    ExpectNear3(JointOf(charge, 0, Skeleton::kHead).m_position, Float3{0, 18.5f, 0});
    ExpectNear3(JointOf(charge, 0, Skeleton::kLeftLeg).m_position, Float3{2, -1.25f, -1});
    ExpectSameTurn(JointOf(charge, 0, Skeleton::kBody).m_rotation, Quaternion{});
    ExpectSameTurn(JointOf(charge, 1, Skeleton::kBody).m_rotation, aboutY(-pi / 10));
    ExpectNear3(JointOf(charge, 1, Skeleton::kBody).m_position, Float3{0, 11.75f, 0});
    ExpectNear3(JointOf(charge, 1, Skeleton::kRightArm).m_position, Float3{-6, 11.75f, 2});
    ExpectSameTurn(JointOf(charge, 1, Skeleton::kRightArm).m_rotation, aboutX(-pi / 2));
    ExpectSameTurn(JointOf(charge, 2, Skeleton::kRightArm).m_rotation, aboutX(-2 * pi / 3));

    const Animation grab("Grab");
    EXPECT_EQ(grab.AimJoint(), &JointOf(grab, 1, Skeleton::kRightArm));
    ExpectNear3(grab.AimJoint()->m_position, Float3{-5, 7.75f, 0});
    ExpectSameTurn(grab.AimJoint()->m_rotation, Quaternion{});
    EXPECT_EQ(grab.AimJoint()->m_scale, 1.0f);

    // X(-pi) then Z(pi/8): the half turn about x tipped by pi/16 towards y.
    const Animation hold("Hold");
    ExpectNear3(JointOf(hold, 0, Skeleton::kRightArm).m_position, Float3{-10, 15.75f, 0});
    ExpectSameTurn(JointOf(hold, 0, Skeleton::kRightArm).m_rotation,
                   Quaternion{static_cast<float>(std::cos(pi / 16)),
                              static_cast<float>(std::sin(pi / 16)), 0, 0});

    const Animation throwing("Throw");
    ExpectNear3(JointOf(throwing, 1, Skeleton::kRightArm).m_position, Float3{-8, 10.75f, 12});
    ExpectSameTurn(JointOf(throwing, 1, Skeleton::kRightArm).m_rotation, aboutX(-4 * pi / 3));
    ExpectSameTurn(JointOf(throwing, 2, Skeleton::kBody).m_rotation, aboutY(pi / 16));

    // The left rest swings the body back through -pi/16, the right one through pi/16.
    ExpectSameTurn(JointOf(Animation("Left Punch Rest"), 1, Skeleton::kBody).m_rotation,
                   aboutY(-pi / 16));
    ExpectSameTurn(JointOf(Animation("Right Punch Rest"), 1, Skeleton::kBody).m_rotation,
                   aboutY(pi / 16));

    const Animation victory("Victory");
    ExpectNear3(JointOf(victory, 1, Skeleton::kLeftArm).m_position, Float3{6, 21.75f, 0});
    ExpectSameTurn(JointOf(victory, 1, Skeleton::kLeftArm).m_rotation, aboutX(-pi));
}

} // namespace
