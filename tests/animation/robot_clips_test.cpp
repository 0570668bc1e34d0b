// The robot's nine shipped clips, read from the built art package by the game's loader and
// compared with the table of poses they were written from.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "../../tools/content/robot_clips.h"
#include "animation/animation.h"
#include "animation/animation_controller.h"
#include "animation_fixture.h"
#include "core/math_functions.h"
#include "core/matrix.h"
#include "support/content_fixture.h"

namespace {

using robot_clips::Clip;

const std::string& ArtPackage() {
    static const std::string path = content_test::AssetPath("packages/art.kzp");
    return path;
}

// The clip loaded as the controller loads it, with what the package wrote to the log.
struct Loaded {
    boost::shared_ptr<Animation> clip;
    std::string log;
};

Loaded LoadClip(const std::string& name) {
    testing::internal::CaptureStdout();
    Loaded loaded;
    loaded.clip = Animation::Load(name, ArtPackage());
    loaded.log = testing::internal::GetCapturedStdout();
    return loaded;
}

const Clip& TableClip(const std::string& name) {
    static const std::vector<Clip> clips = robot_clips::RobotClips();
    for (const Clip& clip : clips) {
        if (clip.name == name) {
            return clip;
        }
    }
    ADD_FAILURE() << "no table clip " << name;
    return clips.front();
}

Quaternion Intended(const robot_clips::Mat3& d) {
    const auto f = [&d](int i) { return static_cast<float>(d[i]); };
    return Math::QuaternionRotationMatrix(
        Matrix::FromRotation(f(0), f(1), f(2), f(3), f(4), f(5), f(6), f(7), f(8)));
}

// The angle of the turn from a to b, in double precision: the float arc cosine cannot tell
// turns below a thousandth of a radian apart.
double TurnBetween(const Quaternion& a, const Quaternion& b) {
    const double dot = static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
                       static_cast<double>(a.z) * b.z + static_cast<double>(a.w) * b.w;
    const double la =
        std::sqrt(double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z + double(a.w) * a.w);
    const double lb =
        std::sqrt(double(b.x) * b.x + double(b.y) * b.y + double(b.z) * b.z + double(b.w) * b.w);
    return 2.0 * std::acos(std::min(1.0, std::fabs(dot) / (la * lb)));
}

float Apart(const Vector& a, const Vector& b) {
    return Math::Vec3Length(a - b);
}

boost::shared_ptr<Skeleton> PoseAt(Animation& clip, float time) {
    clip.Reset();
    clip.SetTime(time);
    return clip.GetPose();
}

TEST(RobotClips, TheControllerLoadsEachShippedClipWithoutAMiss) {
    ASSERT_EQ(AnimationController::FileClipNames().size(), 9u);
    for (const std::string& name : AnimationController::FileClipNames()) {
        SCOPED_TRACE(name);
        const Loaded loaded = LoadClip(name);
        EXPECT_EQ(loaded.log, ""); // no package miss, no empty clip
        EXPECT_GE(loaded.clip->FrameCount(), 2u);
        EXPECT_EQ(loaded.clip->IsLooping(), TableClip(name).loop);
    }
}

TEST(RobotClips, EveryKeyHasSixNamedRecordsOfWeightOneAtIncreasingFrames) {
    for (const std::string& name : AnimationController::FileClipNames()) {
        SCOPED_TRACE(name);
        std::istringstream text(
            content_test::ReadPackaged("art", "./assets/art/animation_" + name + ".txt"));
        int first = 0, last = 0, count = 0;
        std::string loop;
        text >> first >> last >> count >> loop;
        EXPECT_EQ(first, 0);
        ASSERT_GT(count, 1);
        int previous = -1;
        for (int key = 0; key < count; ++key) {
            std::string label;
            int frame = 0;
            ASSERT_TRUE(text >> label >> frame);
            EXPECT_GT(frame, previous);
            previous = frame;
            for (const char* joint : robot_clips::kJointNames) {
                std::string record;
                float weight = 0.0f, value = 0.0f;
                text >> record >> weight;
                for (int i = 0; i < 12; ++i) {
                    text >> value;
                }
                ASSERT_TRUE(text);
                EXPECT_EQ(record, joint);
                EXPECT_EQ(weight, 1.0f);
            }
        }
        EXPECT_EQ(previous, last);
        std::string rest;
        EXPECT_FALSE(text >> rest) << "text after the last key: " << rest;
    }
}

TEST(RobotClips, LengthsLoopsAndEnds) {
    struct Case {
        const char* name;
        bool loop;
        float minLength, maxLength;
    };
    const Case cases[] = {
        {"Walk", true, 1.5666f, 1.5668f},
        {"WalkBackwards", true, 1.5666f, 1.5668f},
        {"Juggernaut", true, 0.6333f, 0.6334f},
        {"Idle", true, 1.0f, 4.0f},
        {"Jump", false, 0.2f, 1.0f},
        {"Fall", false, 0.2f, 1.0f},
        {"Land", false, 0.35f, 0.45f},
        {"Die", false, 1.4f, 1.6f},
        {"Laser", false, 1.75f, 2.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const boost::shared_ptr<Animation> clip = LoadClip(c.name).clip;
        EXPECT_EQ(clip->IsLooping(), c.loop);
        EXPECT_GE(clip->GetLength(), c.minLength);
        EXPECT_LE(clip->GetLength(), c.maxLength);
        const auto& frames = clip->Frames();
        EXPECT_EQ(frames.front().time, 0.0f);
        for (std::size_t i = 1; i < frames.size(); ++i) {
            EXPECT_GT(frames[i].time, frames[i - 1].time);
        }
        if (c.loop) {
            // A loop closes on the pose it starts with.
            for (int slot = 0; slot < Skeleton::kSlotCount; ++slot) {
                const AnimationJoint& a = *frames.front().skeleton->PoseJoint(slot);
                const AnimationJoint& b = *frames.back().skeleton->PoseJoint(slot);
                EXPECT_NEAR(Apart(a.m_position, b.m_position), 0.0f, 1e-5f);
                EXPECT_LT(TurnBetween(a.m_rotation, b.m_rotation), 1e-3f);
            }
        } else {
            // Played once, it finishes and holds its last pose.
            clip->Reset();
            clip->Update(clip->GetLength() + 0.1f);
            clip->GetPose();
            EXPECT_TRUE(clip->IsFinished());
            EXPECT_FLOAT_EQ(clip->GetTime(), clip->GetLength());
        }
    }
}

TEST(RobotClips, EachRecordLoadsToTheIntendedRotationAndPosition) {
    for (const std::string& name : AnimationController::FileClipNames()) {
        SCOPED_TRACE(name);
        const Clip& table = TableClip(name);
        const boost::shared_ptr<Animation> clip = LoadClip(name).clip;
        ASSERT_EQ(clip->FrameCount(), table.keys.size());
        for (std::size_t k = 0; k < table.keys.size(); ++k) {
            const KeyFrame& frame = clip->Frames()[k];
            EXPECT_FLOAT_EQ(frame.time, static_cast<float>(table.keys[k].frame) / 30.0f);
            ASSERT_EQ(frame.skeleton->m_joints.size(), 6u);
            for (int slot = 0; slot < Skeleton::kSlotCount; ++slot) {
                SCOPED_TRACE(testing::Message()
                             << "key " << k << " " << robot_clips::kJointNames[slot]);
                const robot_clips::JointPose& intended = table.keys[k].joints[slot];
                const AnimationJoint& joint = *frame.skeleton->PoseJoint(slot);
                EXPECT_LT(TurnBetween(joint.m_rotation, Intended(intended.rotation)), 2e-4);
                EXPECT_NEAR(joint.m_position.x, intended.position[0], 1e-4);
                EXPECT_NEAR(joint.m_position.y, intended.position[1] - 6.0, 1e-4);
                EXPECT_NEAR(joint.m_position.z, intended.position[2], 1e-4);
                EXPECT_EQ(joint.m_scale, 1.0f);
            }
        }
    }
}

TEST(RobotClips, WalkingBackwardsIsWalkingPlayedFromTheEnd) {
    const boost::shared_ptr<Animation> walk = LoadClip("Walk").clip;
    const boost::shared_ptr<Animation> back = LoadClip("WalkBackwards").clip;
    for (const float tau : {0.0f, 0.1f, 0.37f, 0.5f, 0.78f, 1.0f, 1.23f, 1.5f}) {
        SCOPED_TRACE(tau);
        const boost::shared_ptr<Skeleton> a = PoseAt(*back, tau);
        const boost::shared_ptr<Skeleton> b = PoseAt(*walk, 1.5667f - tau);
        for (int slot = 0; slot < Skeleton::kSlotCount; ++slot) {
            const AnimationJoint& ja = *a->PoseJoint(slot);
            const AnimationJoint& jb = *b->PoseJoint(slot);
            // 1.5667 is the end of the clip to a ten-thousandth of a second.
            EXPECT_NEAR(Apart(ja.m_position, jb.m_position), 0.0f, 0.01f);
            EXPECT_LT(TurnBetween(ja.m_rotation, jb.m_rotation), 0.01f);
        }
    }
}

// The body dips at each footfall: twice per walking cycle and twice per charging step pair.
TEST(RobotClips, StridesDipTwicePerCycle) {
    for (const char* name : {"Walk", "Juggernaut"}) {
        SCOPED_TRACE(name);
        const boost::shared_ptr<Animation> clip = LoadClip(name).clip;
        const float length = clip->GetLength();
        constexpr int kSamples = 120;
        std::vector<float> heights;
        for (int i = 0; i < kSamples; ++i) {
            heights.push_back(PoseAt(*clip, length * i / kSamples)->PoseJoint(0)->m_position.y);
        }
        int dips = 0;
        for (int i = 0; i < kSamples; ++i) {
            const float h = heights[i];
            if (h < heights[(i + kSamples - 1) % kSamples] && h <= heights[(i + 1) % kSamples]) {
                ++dips;
            }
        }
        EXPECT_EQ(dips, 2);
    }
}

} // namespace
