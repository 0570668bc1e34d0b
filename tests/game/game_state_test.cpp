#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <boost/make_shared.hpp>

#include "core/component.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"
#include "game/game_state.h"
#include "game/shell_globals.h"
#include "platform/window/screen.h"
#include "support/component_fixture.h"

namespace {

using component_fixture::ComponentStream;
using component_fixture::MessageRecorder;

class TestComponent : public Component {
  public:
    void Update(float) override {}
    void Initialize() override { ++initializeCalls; }
    void HandleMessage(BaseMessage* msg, u32) override { received.push_back(msg->type); }

    // The object type name its stream began with.
    std::string objectType;
    int initializeCalls = 0;
    std::vector<u32> received;
};

// Makes a TestComponent per stream and records its updates and messages.
class TestProcess : public ComponentProcess {
  public:
    ~TestProcess() override {
        for (Component* component : components) {
            delete component;
        }
    }
    void Update(float dt) override { updates.push_back(dt); }
    void HandleMessage(BaseMessage* msg, u32) override { received.push_back(msg->type); }
    Component* CreateComponent(StreamMap* parameters) override {
        auto* component = new TestComponent;
        parameters->ReadString(component->objectType);
        component->process = this;
        components.push_back(component);
        return component;
    }
    void RemoveComponent(Component* component) override {
        components.erase(std::find(components.begin(), components.end(), component));
        delete component;
    }
    void UpdateComponent(StreamMap* parameters) override { editorUpdates.push_back(parameters); }

    std::vector<Component*> components;
    std::vector<float> updates;
    std::vector<u32> received;
    std::vector<StreamMap*> editorUpdates;
};

// A state as a subclass makes one: its own id at its own router.
class TestState : public GameState {
  public:
    TestState(const std::string& name, MessageRouter* parent, HandlerId stateId = 30)
        : GameState(name, nullptr, nullptr, nullptr, nullptr, nullptr, parent) {
        SetStateId(stateId);
    }
    ~TestState() override { DestroyObjects(); }
};

class GameStateTest : public ::testing::Test {
  protected:
    GameStateTest() : state("Test", &root) {
        asker.Bind(&root, 5);
        state.m_definitions["Tree"].emplace(ComponentType::Graphic,
                                            ComponentStream("Tree", "Graphic"));
        state.m_definitions["Tree"].emplace(ComponentType::Physics,
                                            ComponentStream("Tree", "Physics"));
        state.m_definitions["Tree"].emplace(ComponentType::Graphic,
                                            ComponentStream("Tree", "Graphic"));
    }

    BaseMessage* Send(BaseMessage& msg, HandlerId to = 30) {
        asker.SendMessage(&msg, to);
        return &msg;
    }

    // The process and the asker outlive the state and its objects.
    MessageRouter root;
    TestProcess graphics;
    MessageRecorder asker;
    TestState state;
};

TEST_F(GameStateTest, StateRouterJoinsTheParentAndLeavesItWithTheState) {
    ASSERT_EQ(root.Children().size(), 1u);
    EXPECT_EQ(root.Children()[0], &state.Router());
    {
        TestState second("Second", &root, 31);
        EXPECT_EQ(root.Children().size(), 2u);
    }
    // A state destroyed without going through the Game's stack must not leave a dangling child.
    ASSERT_EQ(root.Children().size(), 1u);
    EXPECT_EQ(root.Children()[0], &state.Router());
}

TEST_F(GameStateTest, ObjectsFromDefinitionsNumberFrom1000AndSkipTypesWithoutProcess) {
    ASSERT_TRUE(state.SetComponentProcess(ComponentType::Graphic, &graphics));

    GameObject* first = state.CreateObject("Tree");
    GameObject* second = state.CreateObject("Tree");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->id, 1000u);
    EXPECT_EQ(second->id, 1001u);
    EXPECT_EQ(first->name, "Tree");

    // Both Graphic entries made a component, each read from the start of its stream; the
    // Physics entry has no process and is left out.
    ASSERT_EQ(first->components.count(ComponentType::Graphic), 1u);
    const std::vector<Component*>& parts = first->components.at(ComponentType::Graphic);
    ASSERT_EQ(parts.size(), 2u);
    for (Component* part : parts) {
        const auto* component = static_cast<TestComponent*>(part);
        EXPECT_EQ(component->objectType, "Tree");
        EXPECT_EQ(component->initializeCalls, 1);
    }
    EXPECT_EQ(first->components.count(ComponentType::Physics), 0u);

    // The object hangs below the state's router, so a message to its id reaches it.
    BaseMessage ping(MSG_NULL);
    asker.SendMessage(&ping, 1000);
    EXPECT_EQ(static_cast<TestComponent*>(parts[0])->received, std::vector<u32>{MSG_NULL});
    EXPECT_EQ(state.Objects(), (std::vector<GameObject*>{first, second}));

    // A second creation reads the same streams again from their start.
    EXPECT_EQ(
        static_cast<TestComponent*>(second->components.at(ComponentType::Graphic)[0])->objectType,
        "Tree");
}

TEST_F(GameStateTest, UnknownTypeGivesNullAndTakesNoId) {
    EXPECT_EQ(state.CreateObject("Nothing"), nullptr);
    EXPECT_TRUE(state.Objects().empty());
    GameObject* tree = state.CreateObject("Tree");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->id, 1000u);
}

TEST_F(GameStateTest, ComponentTypeKeepsItsFirstProcess) {
    TestProcess other;
    EXPECT_TRUE(state.SetComponentProcess(ComponentType::Graphic, &graphics));
    EXPECT_FALSE(state.SetComponentProcess(ComponentType::Graphic, &other));
    EXPECT_EQ(state.GetComponentProcess(ComponentType::Graphic), &graphics);
    EXPECT_EQ(state.CreateComponent(ComponentType::Sprite, nullptr), nullptr);

    StreamMap stream = ComponentStream("Tree", "Graphic");
    state.UpdateComponent(ComponentType::Graphic, &stream);
    state.UpdateComponent(ComponentType::Light, &stream);
    EXPECT_EQ(graphics.editorUpdates, std::vector<StreamMap*>{&stream});
    EXPECT_TRUE(other.editorUpdates.empty());
}

TEST_F(GameStateTest, CreatorsTakeNoObjectIdsAndEditorCreatorsServeOnlyTheEditor) {
    state.SetComponentProcess(ComponentType::Graphic, &graphics);
    int playCalls = 0;
    GameObject made("Made");
    state.RegisterObjectCallback("Robot", [&] {
        ++playCalls;
        return &made;
    });
    EXPECT_EQ(state.CreateObject("Robot"), &made);
    EXPECT_EQ(playCalls, 1);
    // A creator stores its objects itself.
    EXPECT_TRUE(state.Objects().empty());
    EXPECT_EQ(state.CreateObject("Tree")->id, 1000u);

    TestState editor(GameState::kLevelEditorName, &root, 7);
    editor.m_definitions = state.m_definitions;
    int editorCalls = 0;
    editor.RegisterObjectCallback("Tree", [&] {
        ++editorCalls;
        return &made;
    });
    EXPECT_EQ(editor.CreateObject("Tree"), &made);
    EXPECT_EQ(editorCalls, 1);
    EXPECT_TRUE(editor.m_creators.empty());
}

TEST_F(GameStateTest, CreateObjectMessageIsAnsweredToTheSender) {
    state.SetComponentProcess(ComponentType::Graphic, &graphics);

    Message<std::string> tree(MSG_LEVEL_CREATE_OBJECT, "Tree");
    Send(tree);
    Message<std::string> nothing(MSG_LEVEL_CREATE_OBJECT, "Nothing");
    Send(nothing);

    ASSERT_EQ(asker.received.size(), 2u);
    for (const auto& reply : asker.received) {
        EXPECT_EQ(reply.message->type, MSG_LEVEL_OBJECT_CREATED);
        EXPECT_EQ(reply.fromId, 30u);
    }
    ASSERT_EQ(state.Objects().size(), 1u);
    EXPECT_EQ(*asker.received[0].message->Payload<GameObject*>(), state.Objects()[0]);
    EXPECT_EQ(*asker.received[1].message->Payload<GameObject*>(), nullptr);
}

TEST_F(GameStateTest, DeleteObjectTakesOnlyHeldObjects) {
    state.SetComponentProcess(ComponentType::Graphic, &graphics);
    GameObject* first = state.CreateObject("Tree");
    GameObject* second = state.CreateObject("Tree");
    ASSERT_EQ(state.Router().Children().size(), 2u);

    GameObject stranger("Stranger");
    Message<GameObject*> foreign(MSG_LEVEL_DELETE_OBJECT, &stranger);
    Send(foreign);
    EXPECT_EQ(state.Objects().size(), 2u);

    Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, first);
    Send(remove);
    EXPECT_EQ(state.Objects(), std::vector<GameObject*>{second});
    EXPECT_EQ(state.Router().Children(), std::vector<MessageRouter*>{&second->router});
    EXPECT_EQ(graphics.components.size(), 2u);

    state.DestroyObjects();
    EXPECT_TRUE(state.Objects().empty());
    EXPECT_TRUE(state.Router().Children().empty());
    EXPECT_TRUE(graphics.components.empty());
}

TEST_F(GameStateTest, ProcessesTakeAutomaticIdsFrom10) {
    auto a = boost::make_shared<TestProcess>();
    auto b = boost::make_shared<TestProcess>();
    auto fixed = boost::make_shared<TestProcess>();
    state.AddProcess(a, 0);
    state.AddProcess(fixed, HANDLER_AI_VIEW_PROCESS);
    state.AddProcess(b, 0);
    EXPECT_EQ(a->id, 10u);
    EXPECT_EQ(b->id, 11u);
    EXPECT_EQ(fixed->id, 12u);
    EXPECT_EQ(a->router, &state.Router());
    EXPECT_EQ(state.m_process_manager.processes.size(), 3u);
}

struct PauseCase {
    std::vector<unsigned int> keep;
    std::vector<bool> pausedAfter; // for the processes with ids 10, 11, 12
};

TEST_F(GameStateTest, PauseAndUnpauseSpareTheListedProcesses) {
    const PauseCase cases[] = {
        {{}, {true, true, true}},
        {{10, 3}, {false, true, true}}, // 3 is none of the state's
        {{11, 12}, {true, false, false}},
    };
    for (const PauseCase& c : cases) {
        TestState fresh("Fresh", nullptr);
        std::vector<boost::shared_ptr<TestProcess>> processes;
        for (HandlerId id : {10u, 11u, 12u}) {
            processes.push_back(boost::make_shared<TestProcess>());
            fresh.AddProcess(processes.back(), id);
        }
        Message<std::vector<unsigned int>> pause(MSG_LEVEL_PAUSE_PROCESSES, c.keep);
        fresh.HandleMessage(&pause, 0);
        for (std::size_t i = 0; i < processes.size(); ++i) {
            EXPECT_EQ(processes[i]->paused, c.pausedAfter[i]) << "process " << i;
        }

        // Unpausing with the same list leaves the listed ones as they were.
        for (auto& process : processes) {
            process->paused = true;
        }
        Message<std::vector<unsigned int>> unpause(MSG_LEVEL_UNPAUSE_PROCESSES, c.keep);
        fresh.HandleMessage(&unpause, 0);
        for (std::size_t i = 0; i < processes.size(); ++i) {
            EXPECT_EQ(processes[i]->paused, !c.pausedAfter[i]) << "process " << i;
        }
    }
}

TEST_F(GameStateTest, UpdateOnceRunsPausedProcessesBetweenTwoAiToggles) {
    auto ai = boost::make_shared<TestProcess>();
    auto physics = boost::make_shared<TestProcess>();
    state.AddProcess(ai, HANDLER_AI_VIEW_PROCESS);
    state.AddProcess(physics, HANDLER_PHYSX_PROCESS);
    state.PauseProcesses({});

    state.m_process_manager.Update(0.5f);
    EXPECT_TRUE(physics->updates.empty());

    Message<float> once(MSG_LEVEL_PROCESS_UPDATE_ONCE, 0.0001f);
    Send(once);
    EXPECT_EQ(physics->updates, std::vector<float>{0.0001f});
    EXPECT_EQ(ai->updates, std::vector<float>{0.0001f});
    EXPECT_EQ(ai->received, (std::vector<u32>{MSG_DISABLE_AI, MSG_DISABLE_AI}));
    EXPECT_TRUE(physics->paused);
    EXPECT_FALSE(state.m_process_manager.forceUpdate);

    state.m_process_manager.Update(0.5f);
    EXPECT_EQ(physics->updates.size(), 1u);
}

TEST_F(GameStateTest, AnUpdateOnceAskedFromAnotherThreadWaitsForTheStatesOwnThread) {
    auto physics = boost::make_shared<TestProcess>();
    state.AddProcess(physics, HANDLER_PHYSX_PROCESS);
    state.PauseProcesses({});

    // A loader thread asks; the processes must not run on it.
    std::thread loader([this] {
        Message<float> once(MSG_LEVEL_PROCESS_UPDATE_ONCE, 0.25f);
        Send(once);
    });
    loader.join();
    EXPECT_TRUE(physics->updates.empty());

    state.RunPendingUpdateOnce();
    EXPECT_EQ(physics->updates, std::vector<float>{0.25f});
    EXPECT_FALSE(state.m_process_manager.forceUpdate);
    // The request is used up.
    state.RunPendingUpdateOnce();
    EXPECT_EQ(physics->updates.size(), 1u);
}

TEST_F(GameStateTest, LevelValuesFromMessages) {
    Message<Vector> size(MSG_LEVEL_TOWER_SIZE, Vector(3, 2, 3));
    Send(size);
    Message<Vector> location(MSG_LEVEL_TOWER_LOCATION, Vector(10, 0, -4));
    Send(location);
    EXPECT_EQ(state.m_tower_size, Vector(3, 2, 3));
    EXPECT_EQ(state.m_tower_location, Vector(10, 0, -4));

    testing::internal::CaptureStdout();
    BaseMessage complete(MSG_LEVEL_LOADING_COMPLETE);
    Send(complete);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "GameState::HandleMessage: Loading complete\n");
    EXPECT_TRUE(state.m_loading_complete);

    window::SetScreenMetricsOverride(window::ScreenMetrics{1920, 1200});
    g_render_width = 1440;
    g_render_height = 900;
    Message<bool> fullscreen(MSG_GRAPHICS_WINDOWED, false);
    Send(fullscreen);
    EXPECT_EQ(state.m_screen_width, 1920);
    EXPECT_EQ(state.m_screen_height, 1200);
    Message<bool> windowed(MSG_GRAPHICS_WINDOWED, true);
    Send(windowed);
    EXPECT_EQ(state.m_screen_width, 1440);
    EXPECT_EQ(state.m_screen_height, 900);
    window::SetScreenMetricsOverride(std::nullopt);
    g_render_width = 1024;
    g_render_height = 640;
}

} // namespace
