#include <fstream>

#include "content/level_files.h"
#include "core/component.h"
#include "editor_fixture.h"
#include "game/component_index.h"

namespace {

using editor_test::EditorTest;

// Records the answers the state sends back.
class Asker : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32) override {
        if (const bool* saved = msg->Payload<bool>()) {
            m_saved.push_back(*saved);
        }
        if (const auto* names = msg->Payload<std::vector<std::string>>()) {
            m_names = *names;
        }
        if (const auto* list = msg->Payload<ComponentDefinitionList>()) {
            m_list = *list;
        }
    }
    std::vector<bool> m_saved;
    std::vector<std::string> m_names;
    ComponentDefinitionList m_list;
};

class TestComponent : public Component {
  public:
    void Update(float) override {}
};

// Owns the components of one type and records their removal.
class CountingProcess : public ComponentProcess {
  public:
    void Update(float) override {}
    Component* CreateComponent(StreamMap* parameters) override {
        auto* component = new TestComponent();
        component->process = this;
        std::string type;
        std::string kind;
        std::string tag;
        parameters->BeginRead();
        parameters->ReadString(type);
        parameters->ReadString(kind);
        parameters->ReadString(tag);
        m_tags[component] = tag;
        return component;
    }
    void RemoveComponent(Component* component) override {
        m_removed.push_back(m_tags[component]);
        delete component;
    }
    std::map<Component*, std::string> m_tags;
    std::vector<std::string> m_removed;
};

class LevelEditorStateTest : public EditorTest {
  protected:
    LevelEditorStateTest() {
        MakeState();
        m_asker.Bind(&m_state->Router(), kAskerId);
    }
    ~LevelEditorStateTest() override { m_state->DestroyObjects(); }

    static constexpr u32 kAskerId = 40;
    Asker m_asker;
};

TEST(TempPath, TempGoesBeforeTheFirstLuaExtension) {
    const struct {
        const char* path;
        const char* temp;
    } cases[] = {
        {"./assets/levels/level.lua", "./assets/levels/level_temp.lua"},
        {"a.lua.lua", "a_temp.lua.lua"},
        {"./assets/levels/level", "./assets/levels/level"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LevelEditorState::TempPath(c.path), c.temp);
    }
}

TEST_F(LevelEditorStateTest, ATestRunSavesTheTempCopyAndStartsTheLevelItself) {
    LevelPath = "./assets/levels/level.lua";
    m_state->CreateObject("BuildingBlock");
    BaseMessage test(MSG_EDITOR_TEST);
    m_asker.SendMessage(&test, HANDLER_LEVEL_EDITOR_STATE);
    EXPECT_TRUE(std::ifstream("./assets/levels/level_temp.lua").good());
    EXPECT_TRUE(g_editor_test);
    ASSERT_EQ(m_game.m_texts.size(), 1u);
    EXPECT_EQ(m_game.m_texts[0].first, static_cast<u32>(MSG_GAME_SWITCH_STATE));
    EXPECT_EQ(m_game.m_texts[0].second, "./assets/levels/level.lua");
}

TEST_F(LevelEditorStateTest, AFailedSaveIsAnsweredAndStartsNoTestRun) {
    LevelPath = "./no-such-folder/level.lua";
    Message<std::string> save(MSG_EDITOR_SAVE, std::string("./no-such-folder/level.lua"));
    m_asker.SendMessage(&save, HANDLER_LEVEL_EDITOR_STATE);
    BaseMessage test(MSG_EDITOR_TEST);
    m_asker.SendMessage(&test, HANDLER_LEVEL_EDITOR_STATE);
    EXPECT_EQ(m_asker.m_saved, std::vector<bool>{false});
    EXPECT_FALSE(g_editor_test);
    EXPECT_TRUE(m_game.m_texts.empty());

    Message<std::string> good(MSG_EDITOR_SAVE, std::string("./assets/levels/ok.lua"));
    m_asker.SendMessage(&good, HANDLER_LEVEL_EDITOR_STATE);
    EXPECT_EQ(m_asker.m_saved, (std::vector<bool>{false, true}));
}

TEST_F(EditorTest, ReturningFromATestRunLoadsTheTempCopyAndClearsTheFlag) {
    m_home.WriteFile("assets/levels/small_temp.lua",
                     "object = LuaGameObject( CreateGameObject( \"Tiny\" ) )\n");
    g_editor_test = true;
    EnterEditor();
    EXPECT_FALSE(g_editor_test);
    ASSERT_EQ(ObjectsNamed("Tiny").size(), 1u);
}

TEST_F(LevelEditorStateTest, LoadingTurnsBackslashesIntoSlashesAndRebuildsTheEditor) {
    Message<std::string> load(MSG_EDITOR_LOAD, std::string(".\\assets\\levels\\other.lua"));
    m_asker.SendMessage(&load, HANDLER_LEVEL_EDITOR_STATE);
    EXPECT_EQ(LevelPath, "./assets/levels/other.lua");
    ASSERT_EQ(m_game.m_texts.size(), 1u);
    EXPECT_EQ(m_game.m_texts[0].second, GameState::kLevelEditorName);
}

TEST_F(LevelEditorStateTest, TypeNamesWithAComponentTypeNeverListTheDummy) {
    m_state->m_definitions["Lamp"].emplace(ComponentType::Light,
                                           editor_test::Definition("Lamp", "Light"));
    Message<ComponentType> ask(MSG_GET_OBJECT_NAMES_WITH_TYPE, ComponentType::Graphic);
    m_asker.SendMessage(&ask, HANDLER_LEVEL_EDITOR_STATE);
    EXPECT_EQ(m_asker.m_names, (std::vector<std::string>{"BuildingBlock", "Group", "RobotEditor",
                                                         "SpawnPointA", "Tiny"}));
    Message<ComponentType> lights(MSG_GET_OBJECT_NAMES_WITH_TYPE, ComponentType::Light);
    m_asker.SendMessage(&lights, HANDLER_LEVEL_EDITOR_STATE);
    EXPECT_EQ(m_asker.m_names, std::vector<std::string>{"Lamp"});
}

TEST_F(LevelEditorStateTest, RemovingTheSecondOfTwoEntriesRemovesItFromTypeAndObjects) {
    CountingProcess physics;
    m_state->SetComponentProcess(ComponentType::Physics, &physics);
    ComponentDefinitionList crate;
    for (const char* tag : {"first", "second"}) {
        StreamMap stream = editor_test::Definition("Crate", "Physics");
        stream.AddString("Tag", tag);
        crate.emplace(ComponentType::Physics, stream);
    }
    m_state->m_definitions["Crate"] = crate;
    GameObject* a = m_state->CreateObject("Crate");
    GameObject* b = m_state->CreateObject("Crate");
    ASSERT_NE(b, nullptr);

    const std::pair<std::string, ComponentIndex> which{"Crate", {ComponentType::Physics, 1}};
    Message<std::pair<std::string, ComponentIndex>> remove(MSG_REMOVE_COMPONENT, which);
    m_asker.SendMessage(&remove, HANDLER_LEVEL_EDITOR_STATE);

    const ComponentDefinitionList left = m_state->GetComponentList("Crate");
    ASSERT_EQ(left.size(), 1u);
    StreamMap kept = left.begin()->second;
    kept.BeginRead();
    std::string text;
    kept.ReadString(text);
    kept.ReadString(text);
    kept.ReadString(text);
    EXPECT_EQ(text, "first");
    EXPECT_EQ(physics.m_removed, (std::vector<std::string>{"second", "second"}));
    for (GameObject* object : {a, b}) {
        EXPECT_EQ(object->components[ComponentType::Physics].size(), 1u);
    }
    // Past the end: nothing.
    const std::pair<std::string, ComponentIndex> past{"Crate", {ComponentType::Physics, 5}};
    Message<std::pair<std::string, ComponentIndex>> none(MSG_REMOVE_COMPONENT, past);
    m_asker.SendMessage(&none, HANDLER_LEVEL_EDITOR_STATE);
    EXPECT_EQ(m_state->GetComponentList("Crate").size(), 1u);
    m_state->DestroyObjects();
}

TEST_F(LevelEditorStateTest, AnUnknownTypeHasAnEmptyComponentList) {
    Message<std::string> ask(MSG_COMPONENT_LIST, std::string("Nothing"));
    m_asker.SendMessage(&ask, HANDLER_LEVEL_EDITOR_STATE);
    EXPECT_TRUE(m_asker.m_list.empty());
    Message<std::string> known(MSG_COMPONENT_LIST, std::string("Tiny"));
    m_asker.SendMessage(&known, HANDLER_LEVEL_EDITOR_STATE);
    EXPECT_EQ(m_asker.m_list.size(), 1u);
}

TEST_F(EditorTest, TheRobotIsItsEditorLookNamedRobot) {
    EnterEditor();
    GameObject* robot = m_state->CreateObject("Robot");
    ASSERT_NE(robot, nullptr);
    EXPECT_EQ(robot->name, "Robot");
}

} // namespace

namespace {

TEST(LevelFiles, AFileOnDiskIsReadBeforeThePackagedCopy) {
    const ScopedTempHome home;
    u32 size = 0;
    EXPECT_EQ(ReadLevelFile("./assets/no-package.kzp", "./assets/levels/edited.lua", size),
              nullptr);
    home.WriteFile("assets/levels/edited.lua", "-- saved by the editor\n");
    const std::unique_ptr<u8[]> bytes =
        ReadLevelFile("./assets/no-package.kzp", "./assets/levels/edited.lua", size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.get()), size),
              "-- saved by the editor\n");
}

} // namespace
