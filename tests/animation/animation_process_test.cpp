#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "PhysX/physx_process.h"
#include "animation/animation_controller.h"
#include "animation/animation_process.h"
#include "animation/joint.h"
#include "animation/skeleton.h"
#include "core/game_object.h"
#include "support/component_fixture.h"
#include "support/level_process_check.h"

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
          {ComponentType::AnimationController, Is<AnimationController>}}});
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

TEST(AnimationProcess, SkeletonsCollectJointsByTheirIndexInTheComponentList) {
    AnimationProcess animation;
    StreamMap controllerStream = ComponentStream("RobotBase", "AnimationController");
    StreamMap bodyStream = ComponentStream("RobotBody", "Joint");
    StreamMap headStream = ComponentStream("RobotHead", "Joint");
    auto* controller =
        static_cast<AnimationController*>(animation.CreateComponent(&controllerStream));
    Component* body = animation.CreateComponent(&bodyStream);
    Component* head = animation.CreateComponent(&headStream);
    ASSERT_NE(controller, nullptr);

    Skeleton* skeleton = animation.AddSkeleton();
    ASSERT_NE(skeleton, nullptr);
    EXPECT_TRUE(skeleton->m_joints.empty());
    EXPECT_NE(animation.AddSkeleton(), skeleton);
    EXPECT_EQ(animation.Skeletons().size(), 2u);

    skeleton->AddJoint(animation.FindComponentIndex(body));
    skeleton->AddJoint(animation.FindComponentIndex(head));
    controller->m_skeleton = skeleton;
    EXPECT_EQ(skeleton->m_joints, (std::vector<u32>{1, 2}));

    Joint absent("Elsewhere");
    EXPECT_EQ(animation.FindComponentIndex(&absent), 0u);
    // Removing a component closes its gap in the list.
    animation.RemoveComponent(body);
    EXPECT_EQ(animation.FindComponentIndex(head), 1u);
}

} // namespace
