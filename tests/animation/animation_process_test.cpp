// The level's animation process: which components it makes, its controllers' updates and
// reloads, and the robot rig of real objects that it poses.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "PhysX/physx_process.h"
#include "animation/animation_controller.h"
#include "animation/animation_process.h"
#include "animation/joint.h"
#include "animation/skeleton.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "core/message_types.h"
#include "support/component_fixture.h"
#include "support/content_fixture.h"
#include "support/level_process_check.h"
#include "support/math_expect.h"
#include "support/package_fixture.h"

namespace {

using component_fixture::ComponentStream;
using level_process_check::Is;

TEST(LevelProcesses, AnimationProcessHasItsHandlerIdAndCreatesExactlyItsComponentTypes) {
    level_process_check::ExpectLevelProcess(
        {"AnimationProcess",
         [] { return std::make_unique<AnimationProcess>(); },
         AnimationProcess::kHandlerId,
         15,
         {{ComponentType::Joint, Is<Joint>},
          {ComponentType::AnimationController, Is<AnimationController>}},
         {{ComponentType::Joint, "RobotHead"}, {ComponentType::AnimationController, "RobotBase"}}});
}

TEST(LevelProcesses, ComponentsGoBackToTheirProcessWhenTheirObjectIsDestroyed) {
    PhysXProcess physics;
    AnimationProcess animation;
    StreamMap body = ComponentStream("RobotBody", "Physics");
    StreamMap joint = ComponentStream("RobotBody", "Joint");
    auto* object = new GameObject("RobotBody");
    object->AddComponent(ComponentType::Physics, physics.CreateComponent(&body));
    object->AddComponent(ComponentType::Joint, animation.CreateComponent(&joint));
    ASSERT_EQ(physics.Components().Size(), 1u);
    ASSERT_EQ(animation.Components().Size(), 1u);
    delete object;
    EXPECT_TRUE(physics.Components().Empty());
    EXPECT_TRUE(animation.Components().Empty());
}

TEST(AnimationProcess, SkeletonsTakeTheirJointsFromTheFreeOnes) {
    AnimationProcess animation;
    StreamMap controllerStream = ComponentStream("RobotBase", "AnimationController");
    StreamMap bodyStream = ComponentStream("RobotBody", "Joint");
    StreamMap headStream = ComponentStream("RobotHead", "Joint");
    auto* controller =
        static_cast<AnimationController*>(animation.CreateComponent(&controllerStream));
    auto* body = static_cast<JointComponent*>(animation.CreateComponent(&bodyStream));
    auto* head = static_cast<JointComponent*>(animation.CreateComponent(&headStream));
    ASSERT_NE(controller, nullptr);

    Skeleton* skeleton = animation.AddSkeleton();
    ASSERT_NE(skeleton, nullptr);
    EXPECT_TRUE(skeleton->m_joints.empty());
    EXPECT_FALSE(skeleton->m_owns_joints);
    EXPECT_NE(animation.AddSkeleton(), skeleton);
    EXPECT_EQ(animation.Skeletons().size(), 2u);

    skeleton->AddJoint(animation.DetachJoint(body));
    skeleton->AddJoint(animation.DetachJoint(head));
    controller->m_skeleton = skeleton;
    ASSERT_EQ(skeleton->m_joints.size(), 2u);
    EXPECT_EQ(skeleton->m_joints[0].get(), body);
    EXPECT_EQ(skeleton->m_joints[1].get(), head);
    // A bound joint is no longer free.
    EXPECT_EQ(animation.DetachJoint(body), nullptr);
    // Bound joints keep their place in creation order.
    EXPECT_EQ(animation.FindComponentIndex(body), 1u);
    EXPECT_EQ(animation.FindComponentIndex(head), 2u);

    JointComponent absent("Elsewhere");
    EXPECT_EQ(animation.FindComponentIndex(&absent), 0u);
    EXPECT_EQ(animation.DetachJoint(&absent), nullptr);
    // Removing a bound joint shortens its skeleton and closes its gap in the list.
    animation.RemoveComponent(body);
    ASSERT_EQ(skeleton->m_joints.size(), 1u);
    EXPECT_EQ(skeleton->m_joints[0].get(), head);
    EXPECT_EQ(animation.FindComponentIndex(head), 1u);
}

const char* const kPartTypes[] = {"RobotBody",    "RobotHead", "RobotRightArm",
                                  "RobotLeftArm", "RobotLeg",  "RobotLeg"};

Component* Create(AnimationProcess& process, const std::string& part, const std::string& kind) {
    StreamMap stream = ComponentStream(part, kind);
    return process.CreateComponent(&stream);
}

TEST(AnimationProcess, MakesJointsForTheRobotPartsAndAControllerForItsBaseOnly) {
    struct Case {
        const char* part;
        const char* kind;
        bool joint;
        bool controller;
    };
    const Case cases[] = {
        {"RobotBody", "Joint", true, false},
        {"RobotHead", "Joint", true, false},
        {"RobotRightArm", "Joint", true, false},
        {"RobotLeftArm", "Joint", true, false},
        {"RobotLeg", "Joint", true, false},
        {"RobotBase", "AnimationController", false, true},
        {"RobotBase", "Joint", false, false},
        {"Robot", "Joint", false, false},
        {"robotbody", "Joint", false, false},
        {"RobotHealth", "Joint", false, false},
        {"RobotBody", "AnimationController", false, false},
        {"Tank", "AnimationController", false, false},
        {"RobotBody", "Physics", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.part) + " " + c.kind);
        AnimationProcess process;
        Component* const made = Create(process, c.part, c.kind);
        EXPECT_EQ(dynamic_cast<JointComponent*>(made) != nullptr, c.joint);
        EXPECT_EQ(dynamic_cast<AnimationController*>(made) != nullptr, c.controller);
        EXPECT_EQ(process.Components().Size(), made != nullptr ? 1u : 0u);
        if (made != nullptr) {
            EXPECT_EQ(made->process, &process);
        }
        if (c.joint) {
            // A new joint is free until a skeleton takes it.
            EXPECT_EQ(process.DetachJoint(static_cast<JointComponent*>(made)), made);
            process.AddSkeleton()->AddJoint(static_cast<JointComponent*>(made));
        }
    }
    AnimationProcess process;
    StreamMap headless(StreamMap::kDefaultCapacity);
    EXPECT_EQ(process.CreateComponent(&headless), nullptr);
    EXPECT_EQ(process.CreateComponent(nullptr), nullptr);
}

TEST(AnimationProcess, ReinitialisingWithoutARobotDoesNothing) {
    AnimationProcess process;
    BaseMessage reinitialise(MSG_ANIMATION_REINITIALIZE);
    testing::internal::CaptureStdout();
    process.HandleMessage(&reinitialise, 6);
    process.Update(0.1f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// A robot base with its six parts, rigged the way the level assembles it, posed by the
// shipped clips of the built art package.
class ProcessRig : public ::testing::Test {
  protected:
    void SetUp() override {
        m_base = std::make_unique<GameObject>("RobotBase");
        m_base->position = Vector(40, 6.75f, -20);
        m_controller = static_cast<AnimationController*>(
            Create(m_process, "RobotBase", "AnimationController"));
        ASSERT_NE(m_controller, nullptr);
        m_controller->m_package_path = content_test::AssetPath("packages/art.kzp");
        m_base->AddComponent(ComponentType::AnimationController, m_controller);
        m_skeleton = m_process.AddSkeleton();
        m_controller->m_skeleton = m_skeleton;
        for (const char* type : kPartTypes) {
            auto part = std::make_unique<GameObject>(type);
            auto* joint = static_cast<JointComponent*>(Create(m_process, type, "Joint"));
            part->AddComponent(ComponentType::Joint, joint);
            m_skeleton->AddJoint(m_process.DetachJoint(joint));
            part->parentObject = m_base.get();
            m_base->childObjects.push_back(part.get());
            m_parts.push_back(std::move(part));
        }
        testing::internal::CaptureStdout();
        m_base->InitializeComponents();
        m_log = testing::internal::GetCapturedStdout();
    }

    // The parts hand their joints back before the base goes.
    void TearDown() override { m_parts.clear(); }

    // Each part stands at the base plus its pose position turned by the base's frame.
    void ExpectPartsPlacedByThePose() {
        const Float4x4 frame = Quaternion::ToMatrix(m_base->orientation);
        for (std::size_t slot = 0; slot < m_parts.size(); ++slot) {
            SCOPED_TRACE(slot);
            const AnimationJoint* pose = m_controller->m_pose.PoseJoint(slot);
            ASSERT_NE(pose, nullptr);
            const Vector expected = m_base->position + Vector::Transform(pose->m_position, frame);
            ExpectNear3(m_parts[slot]->position, expected, 1e-4f);
        }
    }

    AnimationProcess m_process;
    std::unique_ptr<GameObject> m_base;
    AnimationController* m_controller = nullptr;
    Skeleton* m_skeleton = nullptr;
    std::vector<std::unique_ptr<GameObject>> m_parts;
    std::string m_log;
};

TEST_F(ProcessRig, PlacesEachPartAroundTheBaseAsThePoseSays) {
    EXPECT_NE(m_log.find("Initialize Animations Done"), std::string::npos) << m_log;
    EXPECT_EQ(m_log.find("FilePackage"), std::string::npos) << m_log;
    EXPECT_EQ(m_log.find("no key frames"), std::string::npos) << m_log;
    m_process.Update(0.1f);
    ExpectPartsPlacedByThePose();
    // Standing idle, the soles (5.5 below a leg's centre) are where the base's box ends.
    for (std::size_t leg : {Skeleton::kRightLeg, Skeleton::kLeftLeg}) {
        EXPECT_NEAR(m_parts[leg]->position.y - 5.5f, m_base->position.y - 6.75f, 0.05f);
    }
    EXPECT_LT(m_parts[Skeleton::kRightArm]->position.x, m_base->position.x);
    EXPECT_GT(m_parts[Skeleton::kLeftArm]->position.x, m_base->position.x);
    EXPECT_GT(m_parts[Skeleton::kHead]->position.y, m_parts[Skeleton::kBody]->position.y);

    // Turned a quarter about y, the base carries its parts round with it.
    m_base->orientation = Math::QuaternionRotationMatrix(Math::MatrixRotationY(1.5707964f));
    m_controller->PlayAnimation(0, "Walk", 0.0f);
    m_process.Update(0.3f);
    ExpectPartsPlacedByThePose();
    EXPECT_NEAR(m_parts[Skeleton::kRightArm]->position.x, m_base->position.x, 2.5f);
}

TEST_F(ProcessRig, RemovingABoundPartMovesTheLaterOnesUpASlot) {
    m_process.Update(0.1f);
    const Vector headPose = m_controller->m_pose.PoseJoint(Skeleton::kHead)->m_position;
    Component* const head = m_parts[Skeleton::kHead]->GetComponent(ComponentType::Joint);
    m_base->childObjects.erase(m_base->childObjects.begin() + Skeleton::kHead);
    m_parts.erase(m_parts.begin() + Skeleton::kHead);
    ASSERT_EQ(m_skeleton->m_joints.size(), 5u);
    EXPECT_EQ(m_process.FindComponentIndex(head), 0u);
    m_process.Update(0.0f);
    // The right arm now takes the head's slot of the pose.
    ExpectNear3(m_parts[Skeleton::kHead]->m_local_position, headPose, 1e-4f);
}

TEST(AnimationProcess, UpdatesEveryControllerInCreationOrderAndReloadsThemOnRequest) {
    package_fixture::ScratchFolder scratch;
    // Two bases whose "Idle" clips put every joint at a different height, both writing into
    // one skeleton: the later controller's pose is the one left standing.
    const auto clip = [](float height) {
        std::ostringstream out;
        out << "0 0 2 true\n";
        for (const int frame : {0, 30}) {
            out << "Frame " << frame << '\n';
            for (const char* name :
                 {"Body", "Head", "RightArm", "LeftArm", "RightLeg", "LeftLeg"}) {
                out << name << " 1 1 0 0 0 1 0 0 0 1 0 " << height + 6.0f << " 0\n";
            }
        }
        return out.str();
    };
    const std::string low =
        package_fixture::MakePackage(scratch.Path(), "low", {{"animation_idle.txt", clip(1)}})
            .string();
    const std::string high =
        package_fixture::MakePackage(scratch.Path(), "high", {{"animation_idle.txt", clip(9)}})
            .string();

    AnimationProcess process;
    GameObject frame("RobotBase");
    GameObject part("RobotBody");
    part.parentObject = &frame;
    frame.childObjects.push_back(&part);
    auto* joint = static_cast<JointComponent*>(Create(process, "RobotBody", "Joint"));
    part.AddComponent(ComponentType::Joint, joint);
    Skeleton* const skeleton = process.AddSkeleton();
    skeleton->AddJoint(process.DetachJoint(joint));
    std::vector<std::unique_ptr<GameObject>> bases;
    std::vector<AnimationController*> controllers;
    for (const std::string& package : {low, high}) {
        auto base = std::make_unique<GameObject>("RobotBase");
        auto* controller =
            static_cast<AnimationController*>(Create(process, "RobotBase", "AnimationController"));
        controller->m_package_path = package;
        controller->m_skeleton = skeleton;
        base->AddComponent(ComponentType::AnimationController, controller);
        controllers.push_back(controller);
        bases.push_back(std::move(base));
    }
    testing::internal::CaptureStdout();
    BaseMessage other(MSG_NULL);
    process.HandleMessage(&other, 6);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    testing::internal::CaptureStdout();
    BaseMessage reinitialise(MSG_ANIMATION_REINITIALIZE);
    process.HandleMessage(&reinitialise, 6);
    const std::string log = testing::internal::GetCapturedStdout();
    const std::string done = "Initialize Animations Done";
    const std::size_t first = log.find(done);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find(done, first + done.size()), std::string::npos) << log;

    process.Update(0.2f);
    EXPECT_FLOAT_EQ(part.m_local_position.y, 9.0f);
    for (const AnimationController* controller : controllers) {
        EXPECT_GT(controller->GetAnimationTime("Idle"), 0.0f);
    }
}

} // namespace
