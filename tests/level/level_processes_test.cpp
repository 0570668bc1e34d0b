#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "PhysX/physx_component.h"
#include "PhysX/physx_process.h"
#include "ai/ai_view_component.h"
#include "ai/ai_view_process.h"
#include "animation/animation_controller.h"
#include "animation/animation_process.h"
#include "animation/joint.h"
#include "city/building_component.h"
#include "city/building_process.h"
#include "city/bullet_component.h"
#include "city/bullet_process.h"
#include "city/game_logic_component.h"
#include "city/game_logic_process.h"
#include "city/spawn_point_component.h"
#include "city/trigger_component.h"
#include "city/trigger_process.h"
#include "core/game_object.h"
#include "core/message_router.h"
#include "player/player_component.h"
#include "player/player_process.h"
#include "support/component_fixture.h"

namespace {

using component_fixture::ComponentStream;

template <class T> bool Is(Component* c) {
    return dynamic_cast<T*>(c) != nullptr;
}

struct ProcessCase {
    std::string name;
    std::function<std::unique_ptr<ComponentListProcess>()> make;
    u32 handlerId;
    u32 expectedId;
    // The component types the process creates and a check of the class it makes for each.
    std::map<u32, std::function<bool(Component*)>> creates;
    // The object type a component type must be defined under to be made (the robot's rig
    // is made for the robot's own types only); any other type is tried as "Some-Object".
    std::map<u32, std::string> objectTypes = {};
};

std::vector<ProcessCase> LevelProcesses() {
    return {
        {"PhysXProcess",
         [] { return std::make_unique<PhysXProcess>(); },
         PhysXProcess::kHandlerId,
         9,
         {{ComponentType::Physics, Is<PhysXComponent>}}},
        {"PlayerProcess",
         [] { return std::make_unique<PlayerProcess>(nullptr, true, false); },
         PlayerProcess::kHandlerId,
         11,
         {{ComponentType::Player, Is<PlayerComponent>},
          {ComponentType::PlayerChild, Is<PlayerChildComponent>}}},
        {"AIViewProcess",
         [] { return std::make_unique<AIViewProcess>(true); },
         AIViewProcess::kHandlerId,
         12,
         {{ComponentType::AIView, Is<AIViewComponent>},
          {ComponentType::SpawnPoint, Is<SpawnPointComponent>}}},
        {"BulletProcess",
         [] { return std::make_unique<BulletProcess>(); },
         BulletProcess::kHandlerId,
         13,
         {{ComponentType::Bullet, Is<BulletComponent>}}},
        {"AnimationProcess",
         [] { return std::make_unique<AnimationProcess>(); },
         AnimationProcess::kHandlerId,
         15,
         {{ComponentType::Joint, Is<Joint>},
          {ComponentType::AnimationController, Is<AnimationController>}},
         {{ComponentType::Joint, "RobotHead"}, {ComponentType::AnimationController, "RobotBase"}}},
        {"GameLogicProcess",
         [] { return std::make_unique<GameLogicProcess>(false, true); },
         GameLogicProcess::kHandlerId,
         16,
         {{ComponentType::GameLogic, Is<GameLogicComponent>}}},
        {"BuildingProcess",
         [] { return std::make_unique<BuildingProcess>(false, false); },
         BuildingProcess::kHandlerId,
         17,
         {{ComponentType::Building, Is<BuildingComponent>}}},
        {"TriggerProcess",
         [] { return std::make_unique<TriggerProcess>(); },
         TriggerProcess::kHandlerId,
         21,
         {{ComponentType::Trigger, Is<TriggerComponent>}}},
    };
}

TEST(LevelProcesses, EachHasItsHandlerIdAndCreatesExactlyItsComponentTypes) {
    for (const ProcessCase& c : LevelProcesses()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.handlerId, c.expectedId);
        std::unique_ptr<ComponentListProcess> process = c.make();
        std::vector<Component*> made;
        for (u32 type = 0; type < ComponentType::kCount; ++type) {
            SCOPED_TRACE(ComponentType::Name(type));
            const auto named = c.objectTypes.find(type);
            const std::string objectType =
                named != c.objectTypes.end() ? named->second : "Some-Object";
            StreamMap stream = ComponentStream(objectType, ComponentType::Name(type));
            Component* component = process->CreateComponent(&stream);
            const auto expected = c.creates.find(type);
            if (expected == c.creates.end()) {
                EXPECT_EQ(component, nullptr);
                continue;
            }
            ASSERT_NE(component, nullptr);
            EXPECT_TRUE(expected->second(component));
            EXPECT_EQ(component->process, process.get());
            EXPECT_EQ(static_cast<DefinitionComponent*>(component)->m_object_type, objectType);
            made.push_back(component);
        }
        EXPECT_EQ(process->Components().Size(), c.creates.size());

        // Streams without the two leading names make nothing.
        StreamMap bare;
        bare.AddFloat("Value", 1.0f);
        EXPECT_EQ(process->CreateComponent(&bare), nullptr);
        EXPECT_EQ(process->CreateComponent(nullptr), nullptr);

        for (Component* component : made) {
            process->RemoveComponent(component);
        }
        EXPECT_TRUE(process->Components().Empty());
        // A component the process never made is left alone.
        PhysXComponent stranger("Stranger");
        process->RemoveComponent(&stranger);
    }
}

TEST(LevelProcesses, ConstructorArgumentsAreKept) {
    int input = 0;
    auto* controls = reinterpret_cast<InputControls*>(&input);
    const PlayerProcess player(controls, true, false);
    EXPECT_EQ(player.m_input, controls);
    EXPECT_TRUE(player.m_endless);
    EXPECT_FALSE(player.m_tutorial);
    const GameLogicProcess logic(false, true);
    EXPECT_FALSE(logic.m_endless);
    EXPECT_TRUE(logic.m_tutorial);
    const BuildingProcess buildings(true, false);
    EXPECT_TRUE(buildings.m_state_flag);
    EXPECT_FALSE(buildings.m_endless);
    EXPECT_TRUE(AIViewProcess(true).m_tutorial);
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

TEST(AIViewProcess, DisableMessageTogglesTheProcess) {
    MessageRouter router;
    AIViewProcess ai(false);
    ai.Bind(&router, AIViewProcess::kHandlerId);
    component_fixture::MessageRecorder level;
    level.Bind(&router, 6);
    EXPECT_FALSE(ai.IsDisabled());
    BaseMessage disable(MSG_DISABLE_AI);
    level.SendMessage(&disable, AIViewProcess::kHandlerId);
    EXPECT_TRUE(ai.IsDisabled());
    ai.Update(0.1f);
    level.SendMessage(&disable, AIViewProcess::kHandlerId);
    EXPECT_FALSE(ai.IsDisabled());
    BaseMessage other(MSG_DISABLE_DEALTH);
    level.SendMessage(&other, AIViewProcess::kHandlerId);
    EXPECT_FALSE(ai.IsDisabled());
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

} // namespace
