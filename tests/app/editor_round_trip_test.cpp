// A level built in the editor with its property window, saved, and played back: blocks and a
// spawn point placed, a position typed, a new object type made with a light added through the
// dialogs, the level saved through the file dialog and the types with Save Updates; the saved
// script and object types, read by a fresh editor state, put every object where it was left,
// and the game's level state plays them: play starts with every object in place and the new
// type's light lit where it stands.
#include <algorithm>
#include <chrono>
#include <thread>

#include "app/level_state.h"
#include "content/parser_process.h"
#include "content/resource_loader_process.h"
#include "core/component.h"
#include "core/component_type.h"
#include "editor/property_window_fixture.h"
#include "graphics/graphics_process.h"
#include "graphics/light.h"
#include "support/light_stream.h"

namespace {

using editor_test::ComponentKind;
using editor_test::NewType;
using editor_test::PropertyWindowTest;

class EditorRoundTripTest : public PropertyWindowTest {
  protected:
    ~EditorRoundTripTest() override {
        if (m_state) {
            m_state->Exit();
        }
        m_state.reset();
    }

    void Enter() {
        m_parser.Bind(&m_root, HANDLER_PARSER_PROCESS);
        // The small level of a game folder: one block already standing.
        m_home.WriteFile("assets/levels/small.lua",
                         "object = LuaGameObject( CreateGameObject( \"BuildingBlock\" ) )\n"
                         "if Valid( object:GetObject( ) ) then\n"
                         "  object:SetPosition( -30.0000, 0.0000, 5.0000 )\n"
                         "  object:FinalizeMore( )\n"
                         "end\n");
        MakeState();
        StreamMap graphic = editor_test::Definition("DUMMY", "Graphic");
        graphic.AddString("Mesh", "dummy.x");
        // The template light as the game's definitions give it, switched on.
        StreamMap light = editor_test::Definition("DUMMY", "Light");
        light_stream::AddLightParameters(light, "POINT");
        ComponentDefinitionList dummy;
        dummy.emplace(ComponentType::Graphic, graphic);
        dummy.emplace(ComponentType::Light, light);
        m_state->m_definitions["DUMMY"] = dummy;
        m_parser.m_definitions = m_state->m_definitions;
        auto scene = std::make_unique<editor_test::FakeScene>(*m_state);
        m_scene = scene.get();
        m_state->UseScene(std::move(scene));
        m_state->Initialize();
        m_editor = m_state->Editor();
        m_editor->SetDialogService(&m_service);
        Tap(input::key::Space);
        Frame();
    }

    void ChooseType(const std::string& type) {
        const auto combo = m_editor->TypeCombo();
        ASSERT_NE(combo, 0u);
        Window().SetCurSel(combo, Window().FindStringExact(combo, -1, type));
        Command(LevelEditor::ID_TYPE_COMBO, gui::kNotifySelChange);
    }

    ParserProcess m_parser;
};

// Graphic components need a device to load their meshes: none are made.
class NoMeshes : public ComponentProcess {
  public:
    void Update(float) override {}
    Component* CreateComponent(StreamMap*) override { return nullptr; }
    void RemoveComponent(Component* component) override { delete component; }
};

// The level state runs the level's script on its loader's thread: frames go on until the
// loading is over (bounded, so a hang fails the test instead of stopping it).
void PlayUntilLoaded(LevelState& level, MessageRouter& root) {
    constexpr float kDt = 1.0f / 60.0f;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (level.m_loading && std::chrono::steady_clock::now() < deadline) {
        level.Update(kDt);
        root.Update(kDt);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TEST_F(EditorRoundTripTest, ALevelBuiltWithThePanelIsSavedAndLoadsBackAsBuilt) {
    Enter();
    ASSERT_EQ(ObjectsNamed("BuildingBlock").size(), 1u) << "the level's own block";
    Tap(input::key::LeftShift);
    ASSERT_TRUE(m_editor->Placing());
    std::vector<GameObject*> blocks;
    for (float x : {-10.0f, 0.0f, 10.0f}) {
        blocks.push_back(Place({x, 0.0f, 0.0f}));
    }
    ChooseType("SpawnPointA");
    GameObject* spawn = Place({0.0f, 0.0f, 10.0f});
    ASSERT_NE(spawn, nullptr);
    EXPECT_EQ(spawn->name, "SpawnPointA");

    // A new type while placing: the preview takes it, and the page shows its components.
    m_runner.m_answers.push_back(NewType("Lamp", false));
    Command(LevelEditor::ID_TYPE_ADD);
    ASSERT_EQ(m_editor->CurrentTypeName(), "Lamp");
    m_runner.m_answers.push_back(ComponentKind("Light"));
    Command(LevelEditor::ID_COMPONENT_ADD);
    EXPECT_EQ(m_editor->CurrentComponentName(), "Light");
    GameObject* lamp = Place({20.0f, 0.0f, 0.0f});
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(lamp->name, "Lamp");
    Tap(input::key::LeftShift);
    ASSERT_FALSE(m_editor->Placing());

    // A position typed for the middle block.
    ClickAt({blocks[1]->position.x, blocks[1]->position.y, blocks[1]->position.z});
    ASSERT_EQ(m_editor->Selection(), std::vector<GameObject*>{blocks[1]});
    SetField(0, "5");
    SetField(1, "2.5");
    SetField(2, "-7");
    Command(gui::kIdOk);
    EXPECT_FLOAT_EQ(blocks[1]->position.z, -7.0f);

    std::vector<std::pair<std::string, Vector>> built;
    for (const GameObject* object : m_state->Objects()) {
        if (object != m_editor->PreviewObject()) {
            built.push_back({object->name, object->position});
        }
    }
    m_dialogs.m_answers = {"./assets/levels/built.lua"};
    Command(LevelEditor::ID_SAVE_LEVEL);
    Command(LevelEditor::ID_SAVE_UPDATES);
    m_state->Exit();
    m_state.reset();

    // Played back: the script and the saved object types, read afresh from the folder.
    ParserProcess fresh;
    LevelPath = "./assets/levels/built.lua";
    LevelEditorState level(GameState::kLevelEditorName, nullptr, nullptr, nullptr, &m_lua, &fresh,
                           &m_root);
    level.UseScene(std::make_unique<editor_test::FakeScene>(level));
    level.Initialize();
    ASSERT_EQ(level.Objects().size(), built.size());
    for (std::size_t i = 0; i < built.size(); ++i) {
        const GameObject& object = *level.Objects()[i];
        EXPECT_EQ(object.name, built[i].first);
        EXPECT_NEAR(object.position.x, built[i].second.x, 1e-3f) << i;
        EXPECT_NEAR(object.position.y, built[i].second.y, 1e-3f) << i;
        EXPECT_NEAR(object.position.z, built[i].second.z, 1e-3f) << i;
    }
    const auto typed = std::find_if(level.Objects().begin(), level.Objects().end(),
                                    [](const GameObject* o) { return o->position.z == -7.0f; });
    ASSERT_NE(typed, level.Objects().end());
    EXPECT_FLOAT_EQ((*typed)->position.x, 5.0f);
    EXPECT_FLOAT_EQ((*typed)->position.y, 2.5f);
    const auto lampType = level.m_definitions.find("Lamp");
    ASSERT_NE(lampType, level.m_definitions.end());
    EXPECT_EQ(lampType->second.count(ComponentType::Light), 1u);
    EXPECT_EQ(lampType->second.count(ComponentType::Graphic), 1u);
    level.Exit();

    // Played: the game's level state on the saved path, the renderer's light list without a
    // device.
    ResourceLoaderProcess::ClearShared();
    ParserProcess playedTypes;
    testing::internal::CaptureStdout();
    GraphicsProcess renderer(nullptr, nullptr, 0, 1024.0f, 3);
    NoMeshes meshes;
    LevelState played(LevelPath, nullptr, nullptr, nullptr, &m_lua, &playedTypes, &m_root);
    played.SetComponentProcess(ComponentType::Graphic, &meshes);
    played.SetComponentProcess(ComponentType::Light, &renderer);
    played.Initialize();
    PlayUntilLoaded(played, m_root);
    const std::string output = testing::internal::GetCapturedStdout();
    ASSERT_FALSE(played.m_loading) << output;
    EXPECT_NE(output.find("LevelState::StartPlay: ./assets/levels/built.lua\n"), std::string::npos)
        << output;
    EXPECT_EQ(output.find(LuaHandler::kErrorPrefix), std::string::npos) << output;

    ASSERT_EQ(played.Objects().size(), built.size());
    GameObject* playedLamp = nullptr;
    for (std::size_t i = 0; i < built.size(); ++i) {
        GameObject& object = *played.Objects()[i];
        EXPECT_EQ(object.name, built[i].first);
        EXPECT_NEAR(object.position.x, built[i].second.x, 1e-3f) << i;
        EXPECT_NEAR(object.position.y, built[i].second.y, 1e-3f) << i;
        EXPECT_NEAR(object.position.z, built[i].second.z, 1e-3f) << i;
        if (object.name == "Lamp") {
            playedLamp = &object;
        }
    }
    ASSERT_NE(playedLamp, nullptr);
    auto* const light = dynamic_cast<Light*>(playedLamp->GetComponent(ComponentType::Light));
    ASSERT_NE(light, nullptr) << "the new type has its light";
    const std::vector<Light*>& lights = renderer.Lights().Lights();
    EXPECT_NE(std::find(lights.begin(), lights.end(), light), lights.end());
    EXPECT_TRUE(light->m_enabled);
    EXPECT_FLOAT_EQ(light->m_light.range, 30.0f);
    // Lit where the lamp stands: its offset above the lamp.
    light->Update(0.0f);
    EXPECT_NEAR(light->m_light.position.x, playedLamp->position.x, 1e-3f);
    EXPECT_NEAR(light->m_light.position.y, playedLamp->position.y + 2.0f, 1e-3f);
    EXPECT_NEAR(light->m_light.position.z, playedLamp->position.z, 1e-3f);
    played.Exit();
}

} // namespace
