#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PhysX/physics_params.h"
#include "PhysX/physx_component.h"
#include "city/trigger_component.h"
#include "city/trigger_process.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"
#include "game/collision.h"
#include "support/component_fixture.h"

namespace {

// A trigger process and its objects on one router, the AI and the level recorded.
class TriggerTest : public ::testing::Test {
  protected:
    TriggerTest() {
        m_process.Bind(&m_router, TriggerProcess::kHandlerId);
        m_ai.Bind(&m_router, HANDLER_AI_VIEW_PROCESS);
        m_level.Bind(&m_router, HANDLER_LEVEL_STATE);
    }
    ~TriggerTest() override {
        for (auto& object : m_objects) {
            object.reset();
        }
    }

    // An object with a trigger component and a body of its own.
    GameObject* MakeTrigger(const std::string& type) {
        GameObject* object = Adopt(type);
        StreamMap stream = component_fixture::ComponentStream(type, "Trigger");
        Component* trigger = m_process.CreateComponent(&stream);
        EXPECT_NE(trigger, nullptr);
        object->AddComponent(ComponentType::Trigger, trigger);
        return object;
    }
    // An object with only a body: the robot's base, a car.
    PhysXComponent* MakeBody(const std::string& type) {
        GameObject* object = Adopt(type);
        m_bodies.push_back(std::make_unique<PhysXComponent>(type, PhysicsParams{}, nullptr));
        m_bodies.back()->owner = object;
        return m_bodies.back().get();
    }
    GameObject* Adopt(const std::string& type) {
        m_objects.push_back(std::make_unique<GameObject>(type));
        GameObject* object = m_objects.back().get();
        object->id = kFirstObjectId + static_cast<u32>(m_objects.size());
        object->SetRouterParent(&m_router);
        return object;
    }

    void Contact(GameObject* trigger, PhysXComponent* other, u32 events) {
        static PhysXComponent self("TriggerTank", PhysicsParams{}, nullptr);
        Message<Collision> msg(MSG_PHYSICS_COLLISION, Collision(Vector(), Vector(), &self, other,
                                                                Collision::kNone, events));
        trigger->router.SendMessage(&msg, trigger->id, HANDLER_PHYSX_PROCESS);
    }
    size_t DisableCount() const {
        size_t n = 0;
        for (const auto& r : m_ai.received) {
            n += r.message->type == MSG_DISABLE_AI ? 1 : 0;
        }
        return n;
    }

    MessageRouter m_router;
    component_fixture::MessageRecorder m_ai;
    component_fixture::MessageRecorder m_level;
    std::vector<std::unique_ptr<PhysXComponent>> m_bodies;
    TriggerProcess m_process;
    std::vector<std::unique_ptr<GameObject>> m_objects;
};

TEST_F(TriggerTest, EveryReportOfTheRobotsContactSwitchesTheAIOnce) {
    GameObject* trigger = MakeTrigger("TriggerTank");
    PhysXComponent* robot = MakeBody("RobotBase");
    // Enter, stay and leave, and two contacts of one frame.
    for (const u32 events : {1u, 4u, 2u, 1u, 1u}) {
        Contact(trigger, robot, events);
    }
    EXPECT_EQ(DisableCount(), 1u);
    m_process.Update(0.016f);
    ASSERT_EQ(m_level.received.size(), 1u);
    EXPECT_EQ(m_level.received[0].message->type, static_cast<u32>(MSG_LEVEL_DELETE_OBJECT));
    EXPECT_EQ(m_level.received[0].message->ValueOr<GameObject*>(nullptr), trigger);
}

TEST_F(TriggerTest, OnlyTheRobotsBaseFiresOnlyATankTrigger) {
    struct Row {
        std::string trigger;
        std::string body;
    };
    const std::vector<Row> rows = {
        {"TriggerTank", "AI-Ground-CarGame"},
        {"TriggerTank", "RobotArm"},
        {"TriggerSomethingElse", "RobotBase"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.trigger + " " + row.body);
        GameObject* trigger = MakeTrigger(row.trigger);
        Contact(trigger, MakeBody(row.body), 1u);
    }
    m_process.Update(0.016f);
    EXPECT_EQ(DisableCount(), 0u);
    EXPECT_TRUE(m_level.received.empty());
}

TEST_F(TriggerTest, FiredTriggersAreDeletedLastFirstInOneUpdate) {
    GameObject* first = MakeTrigger("TriggerTank");
    MakeTrigger("TriggerTank");
    GameObject* third = MakeTrigger("TriggerTank");
    PhysXComponent* robot = MakeBody("RobotBase");
    Contact(first, robot, 1u);
    Contact(third, robot, 1u);
    m_process.Update(0.016f);
    ASSERT_EQ(m_level.received.size(), 2u);
    EXPECT_EQ(m_level.received[0].message->ValueOr<GameObject*>(nullptr), third);
    EXPECT_EQ(m_level.received[1].message->ValueOr<GameObject*>(nullptr), first);
}

TEST_F(TriggerTest, ActivateFiresEveryTankTriggerEachTimeAndKeepsThem) {
    GameObject* tank = MakeTrigger("TriggerTank");
    MakeTrigger("TriggerTank");
    MakeTrigger("TriggerOther");
    BaseMessage activate(MSG_TRIGGERS_ACTIVATE);
    m_router.SendMessage(&activate, TriggerProcess::kHandlerId, HANDLER_LEVEL_STATE);
    m_router.SendMessage(&activate, TriggerProcess::kHandlerId, HANDLER_LEVEL_STATE);
    EXPECT_EQ(DisableCount(), 4u);
    m_process.Update(0.016f);
    EXPECT_TRUE(m_level.received.empty());
    // A trigger fired by message still fires once on the robot's contact.
    Contact(tank, MakeBody("RobotBase"), 1u);
    EXPECT_EQ(DisableCount(), 5u);
}

TEST_F(TriggerTest, ProcessMakesOnlyTriggersAndForgetsRemovedOnes) {
    StreamMap other = component_fixture::ComponentStream("TriggerTank", "GameLogic");
    EXPECT_EQ(m_process.CreateComponent(&other), nullptr);
    EXPECT_EQ(m_process.CreateComponent(nullptr), nullptr);
    GameObject* trigger = MakeTrigger("TriggerTank");
    EXPECT_EQ(m_process.Triggers().size(), 1u);
    EXPECT_EQ(m_process.Triggers()[0]->process, &m_process);
    TriggerComponent stranger("TriggerTank");
    m_process.RemoveComponent(&stranger);
    EXPECT_EQ(m_process.Triggers().size(), 1u);
    m_objects.erase(m_objects.begin());
    (void)trigger;
    EXPECT_TRUE(m_process.Triggers().empty());
}

} // namespace
