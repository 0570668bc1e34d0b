#include <gtest/gtest.h>

#include <cmath>

#include "animation/animation.h"
#include "animation_fixture.h"
#include "support/math_expect.h"

namespace {

using animation_fixture::ClipAt;
using animation_fixture::UniformPose;

float BodyX(const Skeleton& pose) {
    return pose.PoseJoint(Skeleton::kBody)->m_position.x;
}

TEST(Animation, StartsStoppedAtTheBeginningWithFullWeight) {
    const Animation clip("Walk");
    EXPECT_EQ(clip.FrameCount(), 0u);
    EXPECT_EQ(clip.GetTime(), 0.0f);
    EXPECT_EQ(clip.GetSpeed(), 1.0f);
    EXPECT_FALSE(clip.IsFinished());
    EXPECT_FALSE(clip.IsLooping());
    EXPECT_FALSE(clip.IsPaused());
    EXPECT_EQ(clip.AimJoint(), nullptr);
    EXPECT_EQ(clip.GetWeight(), 1.0f);
}

TEST(Animation, AOneShotClipStopsFinishedAndPausedOnItsLastFrame) {
    const auto clip = ClipAt({0.0f, 1.0f});
    clip->Update(1.3f);
    const auto pose = clip->GetPose();
    EXPECT_EQ(clip->GetTime(), 1.0f);
    EXPECT_TRUE(clip->IsFinished());
    EXPECT_TRUE(clip->IsPaused());
    EXPECT_FLOAT_EQ(BodyX(*pose), 10.0f);
    clip->Update(0.5f);
    EXPECT_EQ(clip->GetTime(), 1.0f);

    clip->Reset();
    EXPECT_EQ(clip->GetTime(), 0.0f);
    EXPECT_FALSE(clip->IsFinished());
    EXPECT_FALSE(clip->IsPaused());
}

TEST(Animation, ALoopingClipWrapsByItsLength) {
    const auto clip = ClipAt({0.0f, 1.0f}, true);
    clip->Update(2.25f);
    const auto pose = clip->GetPose();
    EXPECT_FLOAT_EQ(clip->GetTime(), 0.25f);
    EXPECT_TRUE(clip->IsFinished());
    EXPECT_FALSE(clip->IsPaused());
    EXPECT_FLOAT_EQ(BodyX(*pose), 2.5f);
    ASSERT_EQ(pose->m_joints.size(), 6u);
}

TEST(Animation, KeyTimesAreHitExactlyAndNearOnesSnapToThem) {
    const auto clip = ClipAt({0.0f, 0.5f, 1.0f});
    EXPECT_EQ(BodyX(*clip->GetPose()), 0.0f);
    clip->SetTime(0.5f - 5e-6f);
    EXPECT_EQ(BodyX(*clip->GetPose()), 5.0f);
    clip->SetTime(0.5f + 5e-6f);
    EXPECT_EQ(BodyX(*clip->GetPose()), 5.0f);
    clip->SetTime(0.75f);
    EXPECT_FLOAT_EQ(BodyX(*clip->GetPose()), 7.5f);
}

TEST(Animation, SpeedScalesTimeAndPausingStopsOnlyTheTime) {
    const auto clip = ClipAt({0.0f, 1.0f});
    clip->SetSpeed(2.0f);
    clip->Update(0.1f);
    EXPECT_FLOAT_EQ(clip->GetTime(), 0.2f);

    clip->Update(0.5f);
    clip->GetPose();
    ASSERT_TRUE(clip->IsPaused());
    clip->SetTime(0.5f);
    clip->Fade(0.0f, 1.0f);
    clip->Update(0.5f);
    EXPECT_EQ(clip->GetTime(), 0.5f);
    EXPECT_FLOAT_EQ(clip->GetWeight(), 0.5f);
    clip->Resume();
    clip->Update(0.25f);
    EXPECT_FLOAT_EQ(clip->GetTime(), 1.0f);
}

TEST(Animation, AWeightFadeRunsLinearlyAndScalesThePoseWeights) {
    const auto clip = ClipAt({0.0f, 1.0f});
    clip->Fade(0.0f, 0.5f);
    clip->Update(0.25f);
    EXPECT_FLOAT_EQ(clip->GetWeight(), 0.5f);
    EXPECT_FLOAT_EQ(clip->GetPose()->PoseJoint(3)->m_scale, 0.5f);
    clip->Update(0.25f);
    EXPECT_FLOAT_EQ(clip->GetWeight(), 0.0f);
    clip->Update(0.25f);
    EXPECT_EQ(clip->GetWeight(), 0.0f);

    clip->Fade(0.8f, 0.0f);
    EXPECT_EQ(clip->GetWeight(), 0.8f);
    clip->Update(0.1f);
    EXPECT_EQ(clip->GetWeight(), 0.8f);
}

TEST(Animation, AFadeToTheCurrentWeightEndsAtOnce) {
    const auto clip = ClipAt({0.0f, 1.0f});
    clip->Fade(1.0f, 2.0f);
    clip->Update(0.1f);
    clip->Fade(0.0f, 1.0f);
    clip->Update(0.5f);
    EXPECT_FLOAT_EQ(clip->GetWeight(), 0.5f);
}

TEST(Animation, ASingleFrameClipHoldsItsPose) {
    for (const bool looping : {false, true}) {
        SCOPED_TRACE(looping);
        const auto clip = ClipAt({0.3f}, looping);
        clip->Update(1.0f);
        EXPECT_FLOAT_EQ(BodyX(*clip->GetPose()), 3.0f);
        EXPECT_EQ(clip->GetTime(), 0.0f);
        EXPECT_TRUE(clip->IsFinished());
        EXPECT_EQ(clip->IsPaused(), !looping);
        EXPECT_FLOAT_EQ(clip->GetLength(), 0.3f);
    }
}

TEST(Animation, ALoopingClipWithoutLengthPlaysAsOneFrame) {
    for (const auto& times : {std::vector<float>{0.0f, 0.0f}, std::vector<float>{-0.5f, -0.2f}}) {
        const auto clip = ClipAt({}, true);
        for (const float time : times) {
            clip->AddKeyFrame(time, UniformPose(Vector(10.0f * time, 0, 0)));
        }
        clip->Update(0.4f);
        const auto pose = clip->GetPose();
        EXPECT_EQ(clip->GetTime(), 0.0f);
        EXPECT_TRUE(clip->IsFinished());
        EXPECT_TRUE(std::isfinite(BodyX(*pose)));
        EXPECT_FLOAT_EQ(BodyX(*pose), 10.0f * times.back());
    }
}

TEST(Animation, NeighbouringKeysAtOneTimeGiveTheLaterPose) {
    const auto clip = ClipAt({0.0f});
    clip->AddKeyFrame(0.5f, UniformPose(Vector(1, 0, 0)));
    clip->AddKeyFrame(0.5f, UniformPose(Vector(2, 0, 0)));
    clip->AddKeyFrame(1.0f, UniformPose(Vector(3, 0, 0)));
    clip->SetTime(0.75f);
    EXPECT_FLOAT_EQ(BodyX(*clip->GetPose()), 2.5f);
    clip->SetTime(0.5f);
    EXPECT_FLOAT_EQ(BodyX(*clip->GetPose()), 1.0f);
}

TEST(Animation, APausedClipSetPastItsEndShowsItsLastFrame) {
    const auto clip = ClipAt({0.0f, 1.0f});
    clip->Update(2.0f);
    clip->GetPose();
    ASSERT_TRUE(clip->IsPaused());
    clip->SetTime(3.0f);
    EXPECT_FLOAT_EQ(BodyX(*clip->GetPose()), 10.0f);
    EXPECT_EQ(clip->GetTime(), 3.0f);
}

TEST(Animation, AClipWithoutKeyFramesGivesAnEmptyPose) {
    Animation clip("Walk");
    clip.Update(0.5f);
    EXPECT_EQ(clip.GetLength(), 0.0f);
    const auto pose = clip.GetPose();
    ASSERT_EQ(pose->m_joints.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        const AnimationJoint& joint = *pose->PoseJoint(i);
        ExpectNear3(joint.m_position, Float3{0, 0, 0}, 0.0f);
        ExpectNearQ(joint.m_rotation, Quaternion{}, 0.0f);
        EXPECT_EQ(joint.m_scale, 0.0f);
    }
}

TEST(Animation, AimingPointsGrabsReachingArmAtTheTarget) {
    const float h = std::sqrt(0.5f);
    struct Case {
        Vector target;
        Quaternion rotation;
    };
    // Worked by hand: the arm hanging down turns a quarter about x to reach forward along
    // -z, or a quarter about z to reach out along -x.
    for (const Case& k : {Case{Vector(0, 10, -10), Quaternion{-h, 0, 0, h}},
                          Case{Vector(-10, 10, 0), Quaternion{0, 0, h, h}}}) {
        Animation grab("Grab");
        grab.AimAt(k.target);
        ASSERT_NE(grab.AimJoint(), nullptr);
        ExpectNear3(grab.AimJoint()->m_position, k.target);
        ExpectNearQ(grab.AimJoint()->m_rotation, k.rotation);
        // The frame keeps it.
        ExpectNear3(grab.Frames()[1].skeleton->PoseJoint(Skeleton::kRightArm)->m_position,
                    k.target);
    }
}

TEST(Animation, AimingAtTheShoulderPointOrWithoutAimJointChangesNothing) {
    Animation grab("Grab");
    grab.AimAt(Vector(0, 10, 0));
    ExpectNear3(grab.AimJoint()->m_position, Float3{-5, 7.75f, 0}, 0.0f);
    ExpectNearQ(grab.AimJoint()->m_rotation, Quaternion{}, 0.0f);
    // Straight above the shoulder the arm points up, without NaN.
    grab.AimAt(Vector(0, 20, 0));
    const Quaternion up = grab.AimJoint()->m_rotation;
    EXPECT_NEAR(std::fabs(up.x), 1.0f, 1e-5f);

    Animation hold("Hold");
    hold.AimAt(Vector(3, 3, 3));
    ExpectNear3(hold.Frames()[0].skeleton->PoseJoint(Skeleton::kRightArm)->m_position,
                Float3{-10, 15.75f, 0});
}

} // namespace
