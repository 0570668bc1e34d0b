#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/component.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/process.h"

namespace {

std::vector<std::string>* g_events = nullptr;

class TestComponent : public Component, public Allocator<TestComponent> {
  public:
    explicit TestComponent(std::string name) : name(std::move(name)) {}
    ~TestComponent() override { g_events->push_back("delete " + name); }
    void Update(float) override {}
    void Initialize() override {
        g_events->push_back("initialize " + name);
        if (onInitialize) {
            onInitialize();
        }
    }
    void Finalize() override { g_events->push_back("finalize " + name); }
    void HandleMessage(BaseMessage* msg, u32) override {
        g_events->push_back("message " + name + " " + MessageTypeName(msg->type));
    }

    std::string name;
    std::function<void()> onInitialize;
};

class TestProcess : public ComponentProcess {
  public:
    void Update(float) override {}
    Component* CreateComponent(StreamMap*) override {
        auto* const component = new TestComponent("c" + std::to_string(++created));
        component->process = this;
        return component;
    }
    void RemoveComponent(Component* component) override {
        auto* const test = static_cast<TestComponent*>(component);
        g_events->push_back("remove " + test->name);
        if (onRemove) {
            onRemove(test);
        }
        delete test;
    }

    int created = 0;
    std::function<void(TestComponent*)> onRemove;
};

std::vector<std::string>* g_reports = nullptr;
void CaptureReport(const char* text) {
    g_reports->push_back(text);
}

class GameObjectTest : public ::testing::Test {
  protected:
    GameObjectTest() {
        g_events = &events;
        g_reports = &reports;
        GameObject::SetReporter(CaptureReport);
    }
    ~GameObjectTest() override {
        GameObject::SetReporter(nullptr);
        g_events = nullptr;
        g_reports = nullptr;
    }

    TestComponent* Make() { return static_cast<TestComponent*>(process.CreateComponent(nullptr)); }

    std::vector<std::string> events;
    std::vector<std::string> reports;
    TestProcess process;
};

TEST_F(GameObjectTest, StartsAtTheOriginWithUnitScaleAndNoRotation) {
    GameObject object("Tank");
    EXPECT_EQ(object.name, "Tank");
    EXPECT_EQ(object.position.x, 0.0f);
    EXPECT_EQ(object.scale.y, 1.0f);
    EXPECT_EQ(object.orientation.w, 1.0f);
    EXPECT_EQ(object.orientation.x, 0.0f);
    EXPECT_EQ(object.router.Parent(), nullptr);
    EXPECT_EQ(object.parameters.Capacity(), 8u);
    EXPECT_EQ(object.GetComponent(ComponentType::Graphic), nullptr);
    EXPECT_FALSE(object.positionChanged || object.velocityChanged || object.orientationChanged);
}

TEST_F(GameObjectTest, SettersCopyValuesAndSetTheirFlags) {
    GameObject object("Tank");
    object.SetScale(Vector(2.0f, 3.0f, 4.0f));
    EXPECT_FALSE(object.positionChanged || object.velocityChanged || object.orientationChanged);
    object.SetPosition(Vector(1.0f, 2.0f, 3.0f));
    EXPECT_TRUE(object.positionChanged);
    object.SetVelocity(Vector(0.0f, -9.0f, 0.0f));
    EXPECT_TRUE(object.velocityChanged);
    const float xyzw[4] = {0.0f, 0.7071f, 0.0f, 0.7071f};
    object.SetOrientation(xyzw);
    EXPECT_TRUE(object.orientationChanged);
    EXPECT_EQ(object.position.z, 3.0f);
    EXPECT_EQ(object.velocity.y, -9.0f);
    EXPECT_EQ(object.scale.x, 2.0f);
    EXPECT_EQ(object.orientation.y, 0.7071f);
}

TEST_F(GameObjectTest, ComponentsOfOneTypeFormANextOfTypeChain) {
    GameObject object("Robot");
    object.id = 1000;
    object.AddComponent(ComponentType::Physics, nullptr);
    EXPECT_EQ(object.GetComponent(ComponentType::Physics), nullptr);
    TestComponent* const first = Make();
    TestComponent* const second = Make();
    TestComponent* const third = Make();
    for (TestComponent* c : {first, second, third}) {
        object.AddComponent(ComponentType::Physics, c);
    }
    EXPECT_EQ(object.GetComponent(ComponentType::Physics), first);
    EXPECT_EQ(first->nextOfType, second);
    EXPECT_EQ(second->nextOfType, third);
    EXPECT_EQ(third->nextOfType, nullptr);
    EXPECT_EQ(second->owner, &object);
    EXPECT_EQ(second->router, &object.router);
    EXPECT_EQ(second->id, 1000u);

    object.RemoveComponent(second, false);
    EXPECT_EQ(first->nextOfType, third);
    EXPECT_EQ(second->nextOfType, nullptr);
    object.RemoveComponent(first, false);
    EXPECT_EQ(object.GetComponent(ComponentType::Physics), third);
    EXPECT_TRUE(events.empty());
    process.RemoveComponent(first);
    process.RemoveComponent(second);
}

TEST_F(GameObjectTest, AMessageToTheObjectReachesItsComponentsInOrder) {
    MessageRouter state;
    GameObject object("Robot");
    object.id = 1000;
    object.SetRouterParent(&state);
    EXPECT_EQ(state.Children().size(), 1u);
    EXPECT_TRUE(state.childrenChanged);
    TestComponent* const graphic = Make();
    TestComponent* const physicsA = Make();
    TestComponent* const physicsB = Make();
    object.AddComponent(ComponentType::Physics, physicsA);
    object.AddComponent(ComponentType::Graphic, graphic);
    object.AddComponent(ComponentType::Physics, physicsB);
    BaseMessage msg(MSG_PHYSICS_UPDATE);
    state.SendMessage(&msg, 1000, 9);
    EXPECT_EQ(events, (std::vector<std::string>{"message c2 MSG_PHYSICS_UPDATE",
                                                "message c1 MSG_PHYSICS_UPDATE",
                                                "message c3 MSG_PHYSICS_UPDATE"}));
    state.RemoveChild(&object.router);
}

TEST_F(GameObjectTest, RemovingTheOnlyComponentUnregistersItBeforeItsProcessDeletesIt) {
    GameObject object("Crate");
    object.id = 1001;
    TestComponent* const only = Make();
    object.AddComponent(ComponentType::Physics, only);
    process.onRemove = [&](TestComponent* c) {
        EXPECT_EQ(object.GetComponent(ComponentType::Physics), nullptr);
        EXPECT_EQ(object.components.count(ComponentType::Physics), 0u);
        EXPECT_EQ(object.router.HandlerCount(1001), 0u);
        EXPECT_EQ(c->nextOfType, nullptr);
    };
    object.RemoveComponent(only, true);
    EXPECT_EQ(events, (std::vector<std::string>{"remove c1", "delete c1"}));
    EXPECT_EQ(object.GetComponent(ComponentType::Physics), nullptr);
    // The deleted component is unreachable: a message to the object goes nowhere.
    BaseMessage msg(MSG_GRAB);
    object.router.SendMessage(&msg, 1001, 0);
    EXPECT_EQ(events.size(), 2u);
    object.RemoveComponent(only, true);
    object.RemoveComponent(nullptr, true);
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(GameObjectTest, AComponentWithoutProcessIsReportedAndNotDeleted) {
    TestComponent orphan("orphan");
    {
        GameObject object("Crate");
        object.AddComponent(ComponentType::Light, &orphan);
        object.RemoveComponent(&orphan, true);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0], GameObject::kNoProcessText);
        object.AddComponent(ComponentType::Light, &orphan);
    }
    EXPECT_EQ(reports.size(), 2u);
    EXPECT_TRUE(events.empty());
}

TEST_F(GameObjectTest, InitializeAndNotifyVisitTypesInInsertionOrder) {
    GameObject object("Robot");
    TestComponent* const a = Make();
    TestComponent* const b = Make();
    TestComponent* const c = Make();
    object.AddComponent(ComponentType::Graphic, a);
    object.AddComponent(ComponentType::Graphic, b);
    object.AddComponent(ComponentType::Graphic, c);
    // A component that drops a later one during its own set-up.
    a->onInitialize = [&] { object.RemoveComponent(b, true); };
    object.InitializeComponents();
    object.NotifyComponents();
    EXPECT_EQ(events, (std::vector<std::string>{"initialize c1", "remove c2", "delete c2",
                                                "initialize c3", "finalize c1", "finalize c3"}));
}

TEST_F(GameObjectTest, DestructionHandsComponentsBackThenFreesBoundsThenDetaches) {
    GameObject parent("Parent");
    GameObject child("Child");
    auto* const object = new GameObject("Robot");
    object->parentObject = &parent;
    parent.childObjects.push_back(object);
    child.parentObject = object;
    object->childObjects.push_back(&child);
    object->id = 1000;
    TestComponent* const a = Make();
    TestComponent* const b = Make();
    object->AddComponent(ComponentType::Player, a);
    object->AddComponent(ComponentType::Player, b);
    process.onRemove = [&](TestComponent* c) {
        // Still linked to its parent and children while components go back.
        EXPECT_EQ(object->parentObject, &parent);
        EXPECT_EQ(child.parentObject, object);
        EXPECT_EQ(object->router.HandlerCount(1000), c == a ? 1u : 0u);
    };
    delete object;
    EXPECT_EQ(events,
              (std::vector<std::string>{"remove c1", "delete c1", "remove c2", "delete c2"}));
    EXPECT_TRUE(parent.childObjects.empty());
    EXPECT_EQ(child.parentObject, nullptr);
}

TEST_F(GameObjectTest, RemoveChildObjectIgnoresStrangers) {
    GameObject parent("Parent"), a("A"), b("B");
    parent.childObjects = {&a};
    parent.RemoveChildObject(&b);
    EXPECT_EQ(parent.childObjects.size(), 1u);
    parent.RemoveChildObject(&a);
    EXPECT_TRUE(parent.childObjects.empty());
}

TEST(ComponentProcessDefaults, UpdateComponentIsIgnoredUnlessOverridden) {
    TestProcess process;
    StreamMap parameters;
    process.UpdateComponent(&parameters);
    EXPECT_EQ(process.created, 0);
}

} // namespace
