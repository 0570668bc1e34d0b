#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "animation/animation_controller.h"
#include "animation/animation_process.h"
#include "animation/joint.h"
#include "animation_fixture.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "support/component_fixture.h"
#include "support/math_expect.h"
#include "support/package_fixture.h"

namespace {

using animation_fixture::ExpectSameTurn;

const float kRootHalf = std::sqrt(0.5f);
// The upright records of the test clips all become this turn.
const Quaternion kUpright{-kRootHalf, 0, 0, kRootHalf};
const Vector kBasePosition(100, 0, 50);

// A clip file whose frames (at 30 per second, from frame 0) put joint i at (i, height, 0)
// with weight 1, unturned in the file.
std::string ClipFile(std::initializer_list<int> frames, float height, bool looping) {
    static const char* const names[] = {"Body",    "Head",     "RightArm",
                                        "LeftArm", "RightLeg", "LeftLeg"};
    std::ostringstream out;
    out << "0 0 " << frames.size() << (looping ? " true\n" : " false\n");
    for (const int frame : frames) {
        out << "Frame " << frame << '\n';
        for (int i = 0; i < 6; ++i) {
            out << names[i] << " 1 1 0 0 0 1 0 0 0 1 " << i << ' ' << height + 6.0f << " 0\n";
        }
    }
    return out.str();
}

// A robot base with six body parts, their joints bound to the base's controller by a real
// AnimationProcess, and clips read from a small art package: "Idle" holds every joint at
// height 0, "Walk" at 10 and "Jump" at 20 (all looping), "Land" is a one-shot of 0.1 s.
class RigTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_scratch = std::make_unique<package_fixture::ScratchFolder>();
        s_package =
            package_fixture::MakePackage(s_scratch->Path(), "art",
                                         {{"animation_idle.txt", ClipFile({0, 30}, 0.0f, true)},
                                          {"animation_walk.txt", ClipFile({0, 30}, 10.0f, true)},
                                          {"animation_jump.txt", ClipFile({0, 30}, 20.0f, true)},
                                          {"animation_land.txt", ClipFile({0, 3}, 5.0f, false)}})
                .string();
    }
    static void TearDownTestSuite() { s_scratch.reset(); }

    void SetUp() override {
        ASSERT_FALSE(s_package.empty());
        m_base = new GameObject("RobotBase");
        m_base->position = kBasePosition;
        StreamMap stream = component_fixture::ComponentStream("RobotBase", "AnimationController");
        controller = static_cast<AnimationController*>(m_process.CreateComponent(&stream));
        ASSERT_NE(controller, nullptr);
        controller->m_package_path = s_package;
        m_base->AddComponent(ComponentType::AnimationController, controller);
        Skeleton* const skeleton = m_process.AddSkeleton();
        controller->m_skeleton = skeleton;
        for (const char* name :
             {"RobotBody", "RobotHead", "RobotRightArm", "RobotLeftArm", "RobotLeg", "RobotLeg"}) {
            auto* part = new GameObject(name);
            StreamMap joint = component_fixture::ComponentStream(name, "Joint");
            auto* component = static_cast<JointComponent*>(m_process.CreateComponent(&joint));
            part->AddComponent(ComponentType::Joint, component);
            skeleton->AddJoint(m_process.DetachJoint(component));
            part->parentObject = m_base;
            m_base->childObjects.push_back(part);
            parts.push_back(part);
        }
        testing::internal::CaptureStdout();
        m_base->InitializeComponents();
        log = testing::internal::GetCapturedStdout();
    }

    void TearDown() override {
        for (GameObject* part : parts) {
            delete part;
        }
        delete m_base;
    }

    // Where the part of a slot stands relative to the base.
    Vector Offset(int slot) const { return parts[slot]->position - kBasePosition; }

    // Runs the controller in steps of 0.025 s.
    void Run(float seconds) {
        for (int i = static_cast<int>(std::lround(seconds / 0.025f)); i > 0; --i) {
            controller->Update(0.025f);
        }
    }

    static std::unique_ptr<package_fixture::ScratchFolder> s_scratch;
    static std::string s_package;

    AnimationProcess m_process;
    GameObject* m_base = nullptr;
    AnimationController* controller = nullptr;
    std::vector<GameObject*> parts;
    std::string log;
};

std::unique_ptr<package_fixture::ScratchFolder> RigTest::s_scratch;
std::string RigTest::s_package;

TEST_F(RigTest, InitializeLogsAndLoadsTheNineFileClipsBesideTheTenBuiltInCode) {
    EXPECT_EQ(log.find("Initialize Animations\n"), 0u) << log;
    EXPECT_NE(log.find("Initialize Animations Done\n"), std::string::npos) << log;
    EXPECT_EQ(controller->m_animations.size(), 19u);
    EXPECT_EQ(controller->GetAnimationLength("Idle"), 1.0f);
    EXPECT_FLOAT_EQ(controller->GetAnimationLength("Land"), 0.1f);
    EXPECT_EQ(controller->GetAnimationLength("Laser"), 0.0f);
    EXPECT_FLOAT_EQ(controller->GetAnimationLength("Throw"), 0.6f);

    // Reloading replaces the file clips with new ones.
    const Animation* idle = controller->FindAnimation("Idle");
    const Animation* grab = controller->FindAnimation("Grab");
    testing::internal::CaptureStdout();
    controller->Initialize();
    testing::internal::GetCapturedStdout();
    EXPECT_NE(controller->FindAnimation("Idle"), idle);
    EXPECT_EQ(controller->FindAnimation("Grab"), grab);
}

TEST_F(RigTest, TheIdleClipPlacesThePartsAroundTheBase) {
    controller->Update(0.1f);
    for (int slot = 0; slot < 6; ++slot) {
        SCOPED_TRACE(slot);
        ExpectNear3(Offset(slot), Float3{static_cast<float>(slot), 0, 0});
        ExpectNear3(parts[slot]->m_local_position, Float3{static_cast<float>(slot), 0, 0});
        ExpectSameTurn(parts[slot]->orientation, kUpright);
    }
    ASSERT_EQ(controller->m_pose.m_joints.size(), 6u);
    EXPECT_TRUE(controller->m_pose.m_owns_joints);
    ExpectNear3(controller->m_pose.PoseJoint(3)->m_position, Float3{3, 0, 0});
}

TEST_F(RigTest, PlayingWalkOnTheWholeBodyCrossFadesSixtyFortyAfterATenthOfASecond) {
    controller->PlayAnimation(0, "Walk", -1.0f);
    const AnimationTrack& track = controller->m_tracks[0];
    EXPECT_EQ(track.m_name, "Walk");
    EXPECT_EQ(track.m_previous, std::list<std::string>{"Idle"});
    EXPECT_EQ(track.m_durations, std::list<float>{0.25f});
    EXPECT_TRUE(controller->HasTrackAnimation("Idle"));
    EXPECT_EQ(controller->GetCurrentAnimationName(), "Walk");

    Run(0.1f);
    for (int slot = 0; slot < 6; ++slot) {
        SCOPED_TRACE(slot);
        // 60% of Idle's height 0 and 40% of Walk's 10.
        ExpectNear3(Offset(slot), Float3{static_cast<float>(slot), 4.0f, 0}, 1e-4f);
    }
    Run(0.15f);
    EXPECT_FALSE(track.m_transitioning);
    EXPECT_TRUE(track.m_previous.empty());
    EXPECT_FALSE(controller->HasTrackAnimation("Idle"));
    controller->Update(0.025f);
    ExpectNear3(Offset(2), Float3{2, 10, 0}, 1e-4f);
}

TEST_F(RigTest, AThirdClipBeforeTheFirstFadeEndsBlendsByTheRunningSums) {
    controller->PlayAnimation(0, "Walk", 0.5f);
    Run(0.1f);
    controller->PlayAnimation(0, "Jump", 0.5f);
    EXPECT_EQ(controller->m_tracks[0].m_previous, (std::list<std::string>{"Idle", "Walk"}));
    Run(0.1f);
    // (0 × 0.6 + 10 × 0.4) × 0.7 + 20 × 0.3: the first fade 0.2 of 0.5 s in, both 0.3 of 1.0.
    ExpectNear3(Offset(1), Float3{1, 8.8f, 0}, 1e-4f);
}

TEST_F(RigTest, TrackWeightsAreTheSharesOfTheBlend) {
    EXPECT_FLOAT_EQ(controller->GetTrackWeight(0, "Idle"), 1.0f);
    controller->PlayAnimation(0, "Walk", 0.5f);
    Run(0.1f);
    controller->PlayAnimation(0, "Jump", 0.5f);
    Run(0.1f);
    // The same shares as the pose of the test above: Idle 0.6 × 0.7, Walk 0.4 × 0.7, Jump 0.3.
    EXPECT_NEAR(controller->GetTrackWeight(0, "Idle"), 0.42f, 1e-4f);
    EXPECT_NEAR(controller->GetTrackWeight(0, "Walk"), 0.28f, 1e-4f);
    EXPECT_NEAR(controller->GetTrackWeight(0, "Jump"), 0.3f, 1e-4f);
    EXPECT_FLOAT_EQ(controller->GetTrackWeight(0, "Fall"), 0.0f);
    EXPECT_FLOAT_EQ(controller->GetTrackWeight(9, "Jump"), 0.0f);
    Run(1.0f);
    EXPECT_FLOAT_EQ(controller->GetTrackWeight(0, "Jump"), 1.0f);
}

TEST_F(RigTest, ReplayingAClipThatStillPlaysDoesNothingButAFinishedOneRestarts) {
    controller->PlayAnimation(0, "Idle", -1.0f);
    EXPECT_TRUE(controller->m_tracks[0].m_previous.empty());

    controller->PlayAnimation(0, "Land", 0.0f);
    Run(0.2f);
    EXPECT_TRUE(controller->IsAnimationFinished("Land"));
    EXPECT_TRUE(controller->IsAnimationPaused("Land"));
    ExpectNear3(Offset(0), Float3{0, 5, 0}, 1e-4f);

    controller->PlayAnimation(0, "Land", -1.0f);
    EXPECT_EQ(controller->GetAnimationTime("Land"), 0.0f);
    EXPECT_FALSE(controller->IsAnimationFinished("Land"));
    EXPECT_EQ(controller->m_tracks[0].m_previous, std::list<std::string>{"Land"});
    // Both sides of the fade are the same clip, so the pose holds.
    controller->Update(0.025f);
    ExpectNear3(Offset(0), Float3{0, 5, 0}, 1e-4f);
}

TEST_F(RigTest, RightPunchChargeOnTheArmTrackMovesTheRightArmAndBodyButNotTheLegs) {
    controller->Update(0.025f);
    std::vector<Vector> idle;
    std::vector<Quaternion> idleTurns;
    for (GameObject* part : parts) {
        idle.push_back(part->position);
        idleTurns.push_back(part->orientation);
    }

    EXPECT_FALSE(controller->IsTrackEnabled(2));
    controller->PlayAnimation(2, "Right Punch Charge", -1.0f);
    EXPECT_TRUE(controller->IsTrackEnabled(2));
    EXPECT_TRUE(controller->m_tracks[2].m_fading);
    EXPECT_FLOAT_EQ(controller->m_tracks[2].m_fade_duration, 0.51f);
    Run(0.3f);

    for (const int slot : {Skeleton::kBody, Skeleton::kRightArm}) {
        SCOPED_TRACE(slot);
        EXPECT_GT((parts[slot]->position - idle[slot]).Length(), 0.5f);
    }
    const float turn = std::fabs(Math::QuaternionNormalize(parts[0]->orientation).y);
    EXPECT_GT(turn, 0.01f);
    for (const int slot : {Skeleton::kLeftArm, Skeleton::kRightLeg, Skeleton::kLeftLeg}) {
        SCOPED_TRACE(slot);
        ExpectNear3(parts[slot]->position, idle[slot], 1e-5f);
        ExpectNearQ(parts[slot]->orientation, idleTurns[slot], 1e-6f);
    }
}

TEST_F(RigTest, DisablingATrackFadesItOutWhileItsClipAdvances) {
    controller->PlayAnimation(2, "Right Punch Charge", -1.0f);
    Run(0.1f);
    const float charged = Offset(Skeleton::kRightArm).z;
    controller->DisableTrack(2, 0.2f);
    EXPECT_FALSE(controller->IsTrackEnabled(2));
    Run(0.1f);
    EXPECT_FLOAT_EQ(controller->GetAnimationTime("Right Punch Charge"), 0.2f);
    Run(0.125f);
    const float time = controller->GetAnimationTime("Right Punch Charge");
    EXPECT_FALSE(controller->m_tracks[2].m_fading);
    ExpectNear3(Offset(Skeleton::kRightArm), Float3{2, 0, 0}, 1e-5f);
    Run(0.1f);
    EXPECT_EQ(controller->GetAnimationTime("Right Punch Charge"), time);
    EXPECT_NE(charged, 0.0f);
}

TEST_F(RigTest, LayerZeroTurnsTheUpperBodyHalfARadianOverATenthOfASecond) {
    controller->Update(0.025f);
    controller->SetRotationAngle(0, 0.5f);
    Run(0.05f);
    EXPECT_NEAR(controller->m_rotations[0].m_angle_elapsed, 0.05f, 1e-6f);
    Run(0.05f);

    // Worked by hand: the upright turn followed by half a radian about y,
    // √½ (−cos ¼, sin ¼, −sin ¼, cos ¼).
    const float c = std::cos(0.25f), s = std::sin(0.25f);
    const Quaternion turned{-kRootHalf * c, kRootHalf * s, -kRootHalf * s, kRootHalf * c};
    for (const int slot : {Skeleton::kBody, Skeleton::kRightArm, Skeleton::kLeftArm}) {
        SCOPED_TRACE(slot);
        ExpectSameTurn(parts[slot]->orientation, turned);
    }
    ExpectNear3(Offset(Skeleton::kBody), Float3{0, 0, 0}, 1e-5f);
    ExpectNear3(Offset(Skeleton::kRightArm), Float3{2 * std::cos(0.5f), 0, 2 * std::sin(0.5f)},
                1e-5f);
    for (const int slot : {Skeleton::kHead, Skeleton::kRightLeg, Skeleton::kLeftLeg}) {
        SCOPED_TRACE(slot);
        ExpectSameTurn(parts[slot]->orientation, kUpright);
        ExpectNear3(Offset(slot), Float3{static_cast<float>(slot), 0, 0}, 1e-5f);
    }
}

TEST_F(RigTest, ANewAngleMidwayFadesFromTheAngleReached) {
    controller->SetRotationAngle(0, 0.5f);
    Run(0.05f);
    controller->SetRotationAngle(0, -0.5f);
    EXPECT_NEAR(controller->m_rotations[0].m_start_angle, 0.25f, 1e-5f);
    Run(0.05f);
    // Half way from 0.25 to -0.5: the arm at (2, 0, 0) has swung to -0.125 rad.
    ExpectNear3(Offset(Skeleton::kRightArm),
                Float3{2 * std::cos(-0.125f), 0, 2 * std::sin(-0.125f)}, 1e-5f);
    controller->SetRotationDuration(0, 0.5f);
    EXPECT_EQ(controller->m_rotations[0].m_angle_duration, 0.5f);
}

TEST_F(RigTest, FadingTheIdleClipNeverChangesItsWeight) {
    controller->FadeAnimation("Idle", 0.0f, 0.0f);
    controller->FadeAnimation("Walk", 0.25f, 0.0f);
    controller->Update(0.1f);
    EXPECT_EQ(controller->FindAnimation("Idle")->GetWeight(), 1.0f);
    EXPECT_EQ(controller->FindAnimation("Walk")->GetWeight(), 0.25f);
}

TEST_F(RigTest, WithoutASkeletonClipsAdvanceButNothingIsPosed) {
    controller->m_skeleton = nullptr;
    controller->PlayAnimation(0, "Walk", -1.0f);
    controller->Update(0.1f);
    EXPECT_FLOAT_EQ(controller->GetAnimationTime("Walk"), 0.1f);
    EXPECT_FLOAT_EQ(controller->GetAnimationTime("Idle"), 0.1f);
    ExpectNear3(Offset(3), Float3{-100, 0, -50}, 0.0f);
    EXPECT_TRUE(controller->m_pose.m_joints.empty());
}

TEST(AnimationController, StartsWithFiveTracksFourLayersAndTheTenCodeClips) {
    const AnimationController controller("RobotBase");
    EXPECT_EQ(controller.m_animations.size(), 10u);
    EXPECT_EQ(controller.m_skeleton, nullptr);
    const char* names[] = {"Idle", "Juggernaut", "Right Punch Charge", "Left Punch Charge", "Spin"};
    ASSERT_EQ(controller.m_tracks.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const AnimationTrack& track = controller.m_tracks[i];
        EXPECT_EQ(track.m_name, names[i]);
        EXPECT_EQ(track.m_enabled, i == 0);
        EXPECT_EQ(track.m_transition_time, i == 0 ? 0.25f : 0.0f);
        EXPECT_FALSE(track.m_fading);
        EXPECT_FLOAT_EQ(track.m_fade_duration, 0.51f);
    }
    ASSERT_EQ(controller.m_rotations.size(), 4u);
    EXPECT_EQ(controller.m_rotations[1].m_weights,
              (std::vector<float>{1.0f, 0.75f, 0.75f, 0.75f, 0.0f, 0.0f}));
    EXPECT_EQ(controller.m_rotations[3].m_pivot.y, 16.0f);
    EXPECT_EQ(controller.m_rotations[2].m_angle_duration, 0.5f);
}

TEST(AnimationController, UnknownNamesAndIndicesGiveNeutralAnswers) {
    AnimationController controller("RobotBase");
    const std::string unknown = "Moonwalk";
    controller.SetAnimationTime(unknown, 1.0f);
    controller.SetAnimationSpeed(unknown, 2.0f);
    controller.ResumeAnimation(unknown);
    controller.FadeAnimation(unknown, 0.0f, 1.0f);
    controller.AdjustAnimation(unknown, Vector(1, 2, 3));
    controller.PlayAnimation(0, unknown, -1.0f);
    controller.PlayAnimation(5, "Grab", -1.0f);
    controller.EnableTrack(9);
    controller.DisableTrack(9, 1.0f);
    controller.SetRotationAngle(4, 1.0f);
    controller.SetRotationDuration(4, 1.0f);
    EXPECT_EQ(controller.m_animations.size(), 10u);
    EXPECT_EQ(controller.GetAnimationTime(unknown), 0.0f);
    EXPECT_EQ(controller.GetAnimationSpeed(unknown), 1.0f);
    EXPECT_EQ(controller.GetAnimationLength(unknown), 0.0f);
    EXPECT_TRUE(controller.IsAnimationPaused(unknown));
    EXPECT_FALSE(controller.IsAnimationFinished(unknown));
    EXPECT_FALSE(controller.IsTrackEnabled(9));
    EXPECT_FALSE(controller.HasTrackAnimation(unknown));
    EXPECT_EQ(controller.GetCurrentAnimationName(), "Idle");
    EXPECT_TRUE(controller.m_tracks[0].m_previous.empty());

    controller.SetAnimationSpeed("Grab", 2.0f);
    EXPECT_EQ(controller.GetAnimationSpeed("Grab"), 2.0f);
    controller.AdjustAnimation("Grab", Vector(0, 10, -10));
    ExpectNear3(controller.FindAnimation("Grab")->AimJoint()->m_position, Float3{0, 10, -10});
}

TEST(AnimationController, WithoutTheArtFilesItLogsTheMissesAndPosesWithoutNaN) {
    package_fixture::ScratchFolder scratch;
    AnimationProcess process;
    StreamMap stream = component_fixture::ComponentStream("RobotBase", "AnimationController");
    auto* controller = static_cast<AnimationController*>(process.CreateComponent(&stream));
    controller->m_package_path = (scratch / "art.kzp").string();
    GameObject base("RobotBase");
    GameObject body("RobotBody");
    body.parentObject = &base;
    StreamMap joint = component_fixture::ComponentStream("RobotBody", "Joint");
    auto* component = static_cast<JointComponent*>(process.CreateComponent(&joint));
    body.AddComponent(ComponentType::Joint, component);
    Skeleton* skeleton = process.AddSkeleton();
    skeleton->AddJoint(process.DetachJoint(component));
    controller->m_skeleton = skeleton;

    testing::internal::CaptureStdout();
    controller->Initialize();
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find("Initialize Animations\n"), 0u) << log;
    EXPECT_NE(log.find("Initialize Animations Done\n"), std::string::npos);
    for (const std::string& name : AnimationController::FileClipNames()) {
        SCOPED_TRACE(name);
        EXPECT_EQ(controller->GetAnimationLength(name), 0.0f);
        EXPECT_NE(log.find("no key frames for " + name), std::string::npos) << log;
    }
    EXPECT_EQ(controller->m_animations.size(), 19u);
    // The package reports each file it could not give.
    std::size_t misses = 0;
    for (std::size_t at = log.find("FilePackage: file package not opened"); at != std::string::npos;
         at = log.find("FilePackage: file package not opened", at + 1)) {
        ++misses;
    }
    EXPECT_EQ(misses, 9u) << log;

    controller->PlayAnimation(0, "Walk", -1.0f);
    controller->PlayAnimation(2, "Right Punch Charge", -1.0f);
    controller->PlayAnimation(4, "Throw", -1.0f);
    controller->SetRotationAngle(1, 0.3f);
    for (int i = 0; i < 20; ++i) {
        controller->Update(0.05f);
        for (const float v : {body.position.x, body.position.y, body.position.z, body.orientation.x,
                              body.orientation.y, body.orientation.z, body.orientation.w}) {
            ASSERT_TRUE(std::isfinite(v)) << "frame " << i;
        }
    }
    body.RemoveComponent(component, true);
    EXPECT_TRUE(skeleton->m_joints.empty());
    process.RemoveComponent(controller);
}

} // namespace
