#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "animation/animation.h"
#include "animation_fixture.h"
#include "support/math_expect.h"
#include "support/package_fixture.h"

namespace {

const char* const kIdentity = "1 0 0 0 1 0 0 0 1";
const float kRootHalf = std::sqrt(0.5f);

std::string Record(const std::string& name, float weight, const std::string& rotation,
                   const std::string& position) {
    std::ostringstream out;
    out << "  " << name << ' ' << weight << ' ' << rotation << ' ' << position << '\n';
    return out.str();
}

// A key frame of the six joints in slot order, joint i at (i, 6 + i, 0) with weight 0.1 × i.
std::string Frame(int number, const std::string& label = "Frame") {
    static const char* const names[] = {"Body",    "Head",     "RightArm",
                                        "LeftArm", "RightLeg", "LeftLeg"};
    std::ostringstream out;
    out << label << ' ' << number << '\n';
    for (int i = 0; i < 6; ++i) {
        out << Record(names[i], 0.1f * i, kIdentity,
                      std::to_string(i) + " " + std::to_string(6 + i) + " 0");
    }
    return out.str();
}

// Records that name no joint, to make up a frame's six.
std::string Filler(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += Record("Arm", 1.0f, kIdentity, "0 0 0");
    }
    return text;
}

const AnimationJoint& JointOf(const Animation& clip, std::size_t frame, std::size_t slot) {
    return *clip.Frames().at(frame).skeleton->PoseJoint(slot);
}

void ExpectUnmoved(const AnimationJoint& joint) {
    ExpectNear3(joint.m_position, Float3{0, 0, 0}, 0.0f);
    ExpectNearQ(joint.m_rotation, Quaternion{}, 0.0f);
}

TEST(AnimationLoader, ReadsKeyFramesAtThirtyPerSecondFromTheFirstFrame) {
    struct Case {
        int first;
        int number;
        float time;
    };
    for (const Case& c : {Case{0, 15, 0.5f}, Case{30, 15, -0.5f}, Case{10, 10, 0.0f}}) {
        SCOPED_TRACE(c.number - c.first);
        const auto clip = Animation::FromText("Walk", std::to_string(c.first) + " 99 1 false\n" +
                                                          Frame(c.number));
        ASSERT_EQ(clip->FrameCount(), 1u);
        EXPECT_FLOAT_EQ(clip->Frames()[0].time, c.time);
        EXPECT_EQ(clip->GetTime(), 0.0f);
        EXPECT_EQ(clip->GetWeight(), 1.0f);
    }
}

TEST(AnimationLoader, OnlyTheExactWordTrueLoops) {
    for (const char* word : {"true", "True", "TRUE", "false", "1"}) {
        SCOPED_TRACE(word);
        const auto clip =
            Animation::FromText("Walk", std::string("0 0 2 ") + word + "\n" + Frame(0) + Frame(3));
        EXPECT_EQ(clip->IsLooping(), std::string(word) == "true");
        EXPECT_EQ(clip->FrameCount(), 2u);
        EXPECT_FLOAT_EQ(clip->GetLength(), 0.1f);
    }
}

TEST(AnimationLoader, ACountOfNoneGivesNoKeyFramesButKeepsTheLoopWord) {
    for (const char* count : {"0", "-3"}) {
        SCOPED_TRACE(count);
        testing::internal::CaptureStdout();
        const auto clip =
            Animation::FromText("Walk", std::string("0 0 ") + count + " true\n" + Frame(0));
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(clip->FrameCount(), 0u);
        EXPECT_TRUE(clip->IsLooping());
        EXPECT_EQ(clip->GetLength(), 0.0f);
        EXPECT_EQ(clip->GetPose()->m_joints.size(), 6u);
        EXPECT_NE(log.find("Walk"), std::string::npos) << log;
    }
}

TEST(AnimationLoader, JointsTakeTheirSlotsByNameWhateverTheRecordOrder) {
    const std::string header = "0 0 1 false\nFrame 0\n";
    const std::string body = Record("Body", 1.0f, kIdentity, "0 6 0");
    const std::string head = Record("Head", 0.5f, kIdentity, "0 8 0");
    const std::string right = Record("RightArm", 0.25f, kIdentity, "-5 7 0");
    const std::string left = Record("LeftArm", 0.75f, kIdentity, "5 7 0");
    const std::string rightLeg = Record("RightLeg", 0.0f, kIdentity, "-2 1 0");
    const std::string leftLeg = Record("LeftLeg", 0.125f, kIdentity, "2 1 0");
    const auto inOrder =
        Animation::FromText("Walk", header + body + head + right + left + rightLeg + leftLeg);
    const auto reversed =
        Animation::FromText("Walk", header + leftLeg + rightLeg + left + right + head + body);
    ASSERT_EQ(inOrder->FrameCount(), 1u);
    ASSERT_EQ(reversed->FrameCount(), 1u);
    const float weights[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.0f, 0.125f};
    for (std::size_t slot = 0; slot < 6; ++slot) {
        SCOPED_TRACE(slot);
        const AnimationJoint& a = JointOf(*inOrder, 0, slot);
        const AnimationJoint& b = JointOf(*reversed, 0, slot);
        ExpectNear3(a.m_position, b.m_position, 0.0f);
        ExpectNearQ(a.m_rotation, b.m_rotation, 0.0f);
        EXPECT_EQ(a.m_scale, weights[slot]);
        EXPECT_EQ(b.m_scale, weights[slot]);
    }
    ExpectNear3(JointOf(*inOrder, 0, Skeleton::kLeftArm).m_position, Float3{5, 1, 0});
}

TEST(AnimationLoader, UnknownNamesAreReadAndDroppedAndRepeatsOverwrite) {
    const std::string text =
        std::string("0 0 2 false\nFirst 0\n") + Record("Arm", 1.0f, kIdentity, "9 9 9") +
        Record("body", 1.0f, kIdentity, "9 9 9") + Record("Head", 0.25f, kIdentity, "1 7 1") +
        Record("Head", 0.5f, kIdentity, "2 8 2") + Record("RightArm", 1.0f, kIdentity, "3 9 3") +
        Record("LeftLeg", 1.0f, kIdentity, "4 10 4") + Frame(6, "Second");
    const auto clip = Animation::FromText("Walk", text);
    ASSERT_EQ(clip->FrameCount(), 2u);
    ExpectUnmoved(JointOf(*clip, 0, Skeleton::kBody));
    ExpectUnmoved(JointOf(*clip, 0, Skeleton::kLeftArm));
    ExpectUnmoved(JointOf(*clip, 0, Skeleton::kRightLeg));
    ExpectNear3(JointOf(*clip, 0, Skeleton::kHead).m_position, Float3{2, 2, 2});
    EXPECT_EQ(JointOf(*clip, 0, Skeleton::kHead).m_scale, 0.5f);
    // The records named nothing were whole: the next frame reads cleanly.
    EXPECT_FLOAT_EQ(clip->Frames()[1].time, 0.2f);
    ExpectNear3(JointOf(*clip, 1, Skeleton::kLeftLeg).m_position, Float3{5, 5, 0});
}

TEST(AnimationLoader, ASlotNotNamedKeepsTheWeightLastReadAndHasNoneAtFirst) {
    const std::string text = std::string("0 0 3 false\nA 0\n") +
                             Record("Head", 0.5f, kIdentity, "0 6 0") + Filler(5) + Frame(1, "B") +
                             "C 2\n" + Record("Body", 0.9f, kIdentity, "0 6 0") + Filler(5);
    const auto clip = Animation::FromText("Walk", text);
    ASSERT_EQ(clip->FrameCount(), 3u);
    EXPECT_EQ(JointOf(*clip, 0, Skeleton::kHead).m_scale, 0.5f);
    EXPECT_EQ(JointOf(*clip, 0, Skeleton::kBody).m_scale, 0.0f);
    EXPECT_EQ(JointOf(*clip, 0, Skeleton::kLeftLeg).m_scale, 0.0f);
    // Frame B names every slot; frame C only the body, the rest keep B's weights.
    EXPECT_EQ(JointOf(*clip, 2, Skeleton::kBody).m_scale, 0.9f);
    EXPECT_FLOAT_EQ(JointOf(*clip, 2, Skeleton::kLeftLeg).m_scale, 0.5f);
    ExpectUnmoved(JointOf(*clip, 2, Skeleton::kLeftLeg));
}

TEST(AnimationLoader, AnUprightRecordBecomesAQuarterTurnAboutXAndSixLower) {
    const auto clip =
        Animation::FromText("Walk", std::string("0 0 1 false\nF 0\n") +
                                        Record("Body", 1.0f, kIdentity, "1 6 2") + Filler(5));
    ASSERT_EQ(clip->FrameCount(), 1u);
    const AnimationJoint& body = JointOf(*clip, 0, Skeleton::kBody);
    ExpectNear3(body.m_position, Float3{1, 0, 2}, 0.0f);
    ExpectNearQ(body.m_rotation, Quaternion{-kRootHalf, 0, 0, kRootHalf});
}

TEST(AnimationLoader, AQuarterTurnWhoseSineRoundsPastOneStaysFinite) {
    // The vertical turn measured from this record comes out a hair above 1.
    const auto past = Animation::FromText(
        "Walk", std::string("0 0 1 false\nF 0\n") +
                    Record("Body", 1.0f, "1.99834485e-05 0 -1 0 1 0 1 0 1.99834485e-05", "0 6 0") +
                    Filler(5));
    const auto exact = Animation::FromText(
        "Walk", std::string("0 0 1 false\nF 0\n") +
                    Record("Body", 1.0f, "0 0 -1 0 1 0 1 0 0", "0 6 0") + Filler(5));
    const Quaternion q = JointOf(*past, 0, Skeleton::kBody).m_rotation;
    for (const float v : {q.x, q.y, q.z, q.w}) {
        EXPECT_TRUE(std::isfinite(v));
    }
    animation_fixture::ExpectSameTurn(q, JointOf(*exact, 0, Skeleton::kBody).m_rotation);
}

TEST(AnimationLoader, ATextEndingEarlyKeepsOnlyItsWholeFrames) {
    const std::string whole = "0 0 5 true\n" + Frame(0) + Frame(3);
    const std::string cut = whole + Frame(6).substr(0, 40);
    for (const std::string& text : {whole, cut}) {
        const auto clip = Animation::FromText("Walk", text);
        ASSERT_EQ(clip->FrameCount(), 2u);
        EXPECT_FLOAT_EQ(clip->GetLength(), 0.1f);
        ExpectNear3(JointOf(*clip, 1, Skeleton::kHead).m_position, Float3{1, 1, 0});
    }
    for (const char* broken : {"", "0 0", "zero 0 1 true\n", "0 0 two true\n"}) {
        SCOPED_TRACE(broken);
        testing::internal::CaptureStdout();
        const auto clip = Animation::FromText("Idle", broken);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(clip->FrameCount(), 0u);
        EXPECT_FALSE(clip->IsLooping());
    }
}

TEST(AnimationLoader, LoadingUnderACombatNameReplacesItsFramesAndAimJoint) {
    const auto grab = Animation::FromText("Grab", "0 0 1 false\n" + Frame(0));
    EXPECT_EQ(grab->FrameCount(), 1u);
    EXPECT_EQ(grab->AimJoint(), nullptr);
    grab->AimAt(Vector(0, 10, -10));
    ExpectNear3(JointOf(*grab, 0, Skeleton::kRightArm).m_position, Float3{2, 2, 0});
}

TEST(AnimationLoader, LoadsFromThePackageAndLogsAMissingFile) {
    package_fixture::ScratchFolder scratch;
    const auto package = package_fixture::MakePackage(
        scratch.Path(), "art", {{"animation_walk.txt", "0 0 1 true\n" + Frame(0)}});
    ASSERT_FALSE(package.empty());

    testing::internal::CaptureStdout();
    const auto walk = Animation::Load("Walk", package.string());
    const auto jump = Animation::Load("Jump", package.string());
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(walk->FrameCount(), 1u);
    EXPECT_TRUE(walk->IsLooping());
    EXPECT_EQ(jump->FrameCount(), 0u);
    EXPECT_FALSE(jump->IsLooping());
    EXPECT_NE(log.find("FilePackage: file not found in package"), std::string::npos) << log;
    EXPECT_NE(log.find("Jump"), std::string::npos) << log;
    EXPECT_EQ(log.find("Walk"), std::string::npos) << log;
}

} // namespace
