#pragma once
// The level editor on its state without a window: a scene that stands in for the renderer
// (a fixed camera, a box per object, recorded marks), file dialogs that answer from a list,
// a real Lua host and recorders where the Game and the renderer would be.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "content/lua_handler.h"
#include "core/game_object.h"
#include "core/globals.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "core/message_router.h"
#include "editor/editor_scene.h"
#include "editor/level_editor.h"
#include "editor/level_editor_state.h"
#include "game/shell_globals.h"
#include "platform/input/keys.h"
#include "support/scoped_temp_home.h"

namespace editor_test {

constexpr float kWidth = 1024.0f;
constexpr float kHeight = 640.0f;

class FakeScene : public editor::EditorScene {
  public:
    explicit FakeScene(GameState& state) : m_state(state) {
        m_camera.m_position = {0.0f, 40.0f, -60.0f};
        m_camera.m_look_at = {0.0f, 0.0f, 0.0f};
    }

    const InputState& GraphicsInput() const override { return m_graphics_input; }
    const InputState& EditorInput() const override { return m_editor_input; }
    void SetInputRouting(u8 routing) override { m_routing = routing; }
    Float2 Cursor() const override { return m_cursor; }
    float ViewWidth() const override { return kWidth; }
    float ViewHeight() const override { return kHeight; }
    Float4x4 View() const override {
        return Math::MatrixLookAtLH(m_camera.m_position, m_camera.m_look_at, {0.0f, 1.0f, 0.0f});
    }
    Float4x4 Projection() const override {
        return Math::MatrixPerspectiveFovLH(0.7853982f, kWidth / kHeight, 1.0f, 5000.0f);
    }
    editor::CameraPose Camera() const override { return m_camera; }
    void SetCamera(const editor::CameraPose& pose) override { m_camera = pose; }
    std::vector<GameObject*> DrawnObjects() const override { return m_state.Objects(); }
    bool LocalBox(const GameObject& object, Float3& min, Float3& max) const override {
        const auto own = m_boxes.find(&object);
        if (own != m_boxes.end()) {
            min = own->second.first;
            max = own->second.second;
            return true;
        }
        min = {-1.0f, -1.0f, -1.0f};
        max = {1.0f, 1.0f, 1.0f};
        return true;
    }
    void SetLocalBox(GameObject& object, const Float3& min, const Float3& max) override {
        m_boxes[&object] = {min, max};
    }
    void ShowMarks(GameObject& object, const editor::EditorMarks& marks) override {
        m_shown[&object] = marks;
    }

    // The pixel where a world point is drawn.
    Float2 ScreenOf(const Float3& p) const {
        const Float4 clip = Math::Vec3Transform(p, View() * Projection());
        return {(clip.x / clip.w + 1.0f) * 0.5f * kWidth,
                (1.0f - clip.y / clip.w) * 0.5f * kHeight};
    }

    GameState& m_state;
    InputState m_graphics_input;
    InputState m_editor_input;
    u8 m_routing = 1;
    Float2 m_cursor{kWidth * 0.5f, kHeight * 0.5f};
    editor::CameraPose m_camera;
    std::map<const GameObject*, std::pair<Float3, Float3>> m_boxes;
    std::map<const GameObject*, editor::EditorMarks> m_shown;
};

class ScriptedDialogs : public editor::FileDialogService {
  public:
    std::string Open() override { return Next(); }
    std::string Save() override { return Next(); }
    std::string Next() {
        if (m_answers.empty()) {
            return "";
        }
        std::string answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    std::deque<std::string> m_answers;
};

// What reaches the Game or the renderer.
class Recorder : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32) override {
        if (const std::string* text = msg->Payload<std::string>()) {
            m_texts.push_back({msg->type, *text});
        }
    }
    std::vector<std::pair<u32, std::string>> m_texts;
};

inline StreamMap Definition(const std::string& type, const std::string& component) {
    StreamMap stream;
    stream.AddString("Object", type);
    stream.AddString("Component", component);
    return stream;
}

inline ComponentDefinitionList GraphicOnly(const std::string& type) {
    ComponentDefinitionList list;
    list.emplace(ComponentType::Graphic, Definition(type, "Graphic"));
    return list;
}

class EditorTest : public testing::Test {
  protected:
    static constexpr float kDt = 1.0f / 60.0f;
    static constexpr const char* kLevel = "./assets/levels/small.lua";

    EditorTest() : m_old_level_path(LevelPath) {
        m_lua.Bind(&m_root, LuaHandler::kHandlerId);
        m_game.Bind(&m_root, HANDLER_GAME);
        m_renderer.Bind(&m_root, HANDLER_GRAPHICS_PROCESS);
        m_home.WriteFile("assets/levels/small.lua", "");
        LevelPath = kLevel;
        LevelEditorState::SetFileDialogs(&m_dialogs);
        g_editor_test = false;
    }

    ~EditorTest() override {
        if (m_state) {
            m_state->Exit();
        }
        m_state.reset();
        LevelEditorState::SetFileDialogs(nullptr);
        LevelPath = m_old_level_path;
        g_editor_test = false;
    }

    // The state without its Initialize: object types and objects only.
    void MakeState() {
        m_state = std::make_unique<LevelEditorState>(GameState::kLevelEditorName, nullptr, nullptr,
                                                     nullptr, &m_lua, nullptr, &m_root);
        for (const char* type :
             {"BuildingBlock", "Group", "RobotEditor", "SpawnPointA", "Tiny", "DUMMY"}) {
            m_state->m_definitions[type] = GraphicOnly(type);
        }
    }

    // The state entered as the Game enters it, with the editor taking the input.
    void EnterEditor() {
        MakeState();
        auto scene = std::make_unique<FakeScene>(*m_state);
        m_scene = scene.get();
        m_state->UseScene(std::move(scene));
        m_state->Initialize();
        m_editor = m_state->Editor();
        Tap(input::key::Space);
        ASSERT_TRUE(m_editor->EditorInputOn());
    }

    void Frame() {
        m_state->Update(kDt);
        m_scene->m_editor_input = InputState{};
        m_scene->m_graphics_input = InputState{};
    }

    void Tap(u32 key, bool ctrl = false) {
        if (ctrl) {
            m_scene->m_editor_input.m_keys[input::key::LeftControl] = INPUT_HELD;
        }
        m_scene->m_editor_input.m_keys[key] = INPUT_PRESSED;
        Frame();
    }

    void ClickAt(const Float3& world, u32 button = input::mouse::Left) {
        m_scene->m_cursor = m_scene->ScreenOf(world);
        m_scene->m_editor_input.m_mouse_buttons[button] = INPUT_PRESSED;
        Frame();
    }

    GameObject* Place(const Float3& at) {
        m_scene->m_cursor = m_scene->ScreenOf(at);
        m_scene->m_editor_input.m_mouse_buttons[input::mouse::Left] = INPUT_PRESSED;
        GameObject* placed = m_editor->PreviewObject();
        Frame();
        return placed;
    }

    std::vector<GameObject*> ObjectsNamed(const std::string& name) const {
        std::vector<GameObject*> found;
        for (GameObject* object : m_state->Objects()) {
            if (object->name == name) {
                found.push_back(object);
            }
        }
        return found;
    }

    ScopedTempHome m_home;
    std::string m_old_level_path;
    MessageRouter m_root;
    LuaHandler m_lua;
    Recorder m_game;
    Recorder m_renderer;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<LevelEditorState> m_state;
    FakeScene* m_scene = nullptr;
    LevelEditor* m_editor = nullptr;
};

} // namespace editor_test
