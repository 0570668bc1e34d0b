#include "editor/level_editor_state.h"

#include <algorithm>

#include <boost/shared_ptr.hpp>

#include "PhysX/physx_process.h"
#include "audio/sound_process.h"
#include "content/file_package.h"
#include "content/lua_handler.h"
#include "core/asset_paths.h"
#include "core/component.h"
#include "core/game_object.h"
#include "core/globals.h"
#include "core/message.h"
#include "editor/editor_dialogs.h"
#include "editor/graphics_editor_scene.h"
#include "editor/level_editor.h"
#include "editor/level_script_writer.h"
#include "game/component_index.h"
#include "game/shell_globals.h"
#include "graphics/graphics_process.h"
#include "platform/gfx/device.h"
#include "platform/gui/imgui_panel.h"
#include "platform/system/log.h"
#include "platform/window/cursor.h"
#include "platform/window/window.h"

namespace {

editor::FileDialogService* g_file_dialogs = nullptr;

constexpr float kEditorFogRange = 12000.0f;
constexpr float kEditorFadeIn = 0.0001f;

class PanelFocusOf : public editor::PanelFocus {
  public:
    explicit PanelFocusOf(const gui::ImGuiPanel& panel) : m_panel(panel) {}
    bool PanelWantsInput() const override { return m_panel.WantsInput(); }

  private:
    const gui::ImGuiPanel& m_panel;
};

std::vector<std::string> PackagedLevelNames() {
    std::vector<std::string> names;
    if (const FilePackage* package = FilePackage::Get(asset_path::kLevelsPackage)) {
        for (const FilePackage::Entry& entry : package->Entries()) {
            names.emplace_back(entry.m_name);
        }
    }
    return names;
}

// The index-th entry of one kind in a type's component list; the list's end when it has
// fewer.
ComponentDefinitionList::iterator NthOfKind(ComponentDefinitionList& list, ComponentType ct,
                                            u32 index) {
    auto [entry, last] = list.equal_range(ct);
    for (u32 i = 0; i < index && entry != last; ++i) {
        ++entry;
    }
    return entry == last ? list.end() : entry;
}

} // namespace

LevelEditorState::LevelEditorState(const std::string& name, GraphicsProcess* graphics,
                                   SoundProcess* sound, InputControls* input, LuaHandler* lua,
                                   ParserProcess* parser, MessageRouter* parent)
    : GameState(name, graphics, sound, input, lua, parser, parent) {
    SetStateId(HANDLER_LEVEL_EDITOR_STATE);
}

LevelEditorState::~LevelEditorState() {
    CloseToolWindow();
    // The objects hand their components back to live processes before the processes go.
    DestroyObjects();
    RemoveAllProcesses();
}

void LevelEditorState::UseScene(std::unique_ptr<editor::EditorScene> scene) {
    m_scene = std::move(scene);
}

void LevelEditorState::SetFileDialogs(editor::FileDialogService* dialogs) {
    g_file_dialogs = dialogs;
}

std::string LevelEditorState::TempPath(const std::string& path) {
    const std::string::size_type at = path.find(".lua");
    if (at == std::string::npos) {
        return path;
    }
    return path.substr(0, at) + "_temp" + path.substr(at);
}

void LevelEditorState::Initialize() {
    if (!m_scene) {
        m_scene = std::make_unique<editor::GraphicsEditorScene>(m_graphics);
    }
    OpenToolWindow();
    editor::FileDialogService* files = g_file_dialogs;
    if (files == nullptr) {
        files = m_file_dialogs.get();
    }
    auto* levelEditor = new LevelEditor(*m_scene, files);
    m_editor = levelEditor;
    if (m_panel) {
        levelEditor->SetDialogService(m_dialog_service.get());
        levelEditor->SetPanelFocus(m_panel_focus.get());
        m_panel->Show(&levelEditor->PropertyWindow());
    }
    AddProcess(boost::shared_ptr<Process>(levelEditor), HANDLER_LEVEL_EDITOR);
    auto* physics = new PhysXProcess();
    AddProcess(boost::shared_ptr<Process>(physics), HANDLER_PHYSX_PROCESS);

    SetComponentProcess(ComponentType::Physics, physics);
    if (m_graphics != nullptr) {
        SetComponentProcess(ComponentType::Graphic, m_graphics);
        SetComponentProcess(ComponentType::Light, m_graphics);
    }
    if (m_parser != nullptr) {
        m_definitions = *LoadGameObjectDefinitions(m_parser, false);
    }
    RegisterObjectCallback("Robot", [this] { return CreateRobot(); });

    std::string path = LevelPath;
    if (g_editor_test) {
        path = TempPath(path);
        g_editor_test = false;
    }
    if (m_lua != nullptr) {
        m_lua_state = m_lua->CreateState();
        m_lua->SwitchState(m_lua_state);
        m_lua->SetObjectTarget(HANDLER_LEVEL_EDITOR_STATE);
        m_lua->DoScript(path);
    }

    Message<float> fog(MSG_GRAPHICS_SET_FOG_RANGE, kEditorFogRange);
    SendMessage(&fog, HANDLER_GRAPHICS_PROCESS);
    Message<float> fade(MSG_GRAPHICS_FADE_IN, kEditorFadeIn);
    SendMessage(&fade, HANDLER_GRAPHICS_PROCESS);
    Message<bool> editorMode(MSG_LEVEL_EDITOR_MODE, true);
    SendMessage(&editorMode, HANDLER_GRAPHICS_PROCESS);
    SendMessage(&editorMode, HANDLER_LEVEL_EDITOR);
    BaseMessage switchInput(MSG_INPUT_SWITCH_EDITOR);
    SendMessage(&switchInput, HANDLER_INPUT_CONTROLS);

    window::SetCursor(window::CursorShape::Arrow);
    while (window::ShowCursor(true) < 1) {
    }
    BaseMessage focus(MSG_GAME_SET_WINDOW_FOCUS);
    SendMessage(&focus, HANDLER_GAME);
    if (m_sound != nullptr) {
        m_sound->ReleaseUnusedSounds(false);
    }
    m_initialized = true;
}

void LevelEditorState::Update(float dt) {
    m_process_manager.Update(dt);
}

void LevelEditorState::OpenToolWindow() {
    gfx::Device* device = m_graphics != nullptr ? m_graphics->GetDevice() : nullptr;
    if (device == nullptr || m_panel) {
        return;
    }
    window::Window& window = device->GetWindow();
    m_view_width = device->BackBufferWidth();
    m_view_height = device->BackBufferHeight();
    m_panel = std::make_unique<gui::ImGuiPanel>(window);
    m_panel->SetViewSize(m_view_width, m_view_height);
    m_dialog_service = std::make_unique<editor::DialogService>(*m_panel);
    m_file_dialogs = std::make_unique<editor::LevelFileDialogs>(*m_panel, asset_path::kLevelsFolder,
                                                                PackagedLevelNames());
    m_panel_focus = std::make_unique<PanelFocusOf>(*m_panel);
    gui::ImGuiPanel* panel = m_panel.get();
    window.SetEventFeed([panel](const window::Event& event) { panel->Feed(event); });
    device->SetPresentCopy([panel, device] { panel->Present(device->BackBufferFramebuffer()); });
    device->SetPictureReader(
        [panel](i32& width, i32& height) { return panel->ReadPicture(width, height); });
    window.Resize(m_view_width + gui::ImGuiPanel::kWidth, m_view_height);
}

void LevelEditorState::CloseToolWindow() {
    if (!m_panel) {
        return;
    }
    m_panel->Show(nullptr);
    if (gfx::Device* device = m_graphics != nullptr ? m_graphics->GetDevice() : nullptr) {
        device->SetPresentCopy(nullptr);
        device->SetPictureReader(nullptr);
        device->GetWindow().SetEventFeed(nullptr);
        device->GetWindow().Resize(m_view_width, m_view_height);
    }
    if (m_editor != nullptr) {
        m_editor->SetDialogService(nullptr);
        m_editor->SetPanelFocus(nullptr);
    }
    m_panel.reset();
}

void LevelEditorState::Exit() {
    CloseToolWindow();
    Message<bool> editorMode(MSG_LEVEL_EDITOR_MODE, false);
    SendMessage(&editorMode, HANDLER_GRAPHICS_PROCESS);
    SendMessage(&editorMode, HANDLER_LEVEL_EDITOR);
    DestroyObjects();
    if (m_sound != nullptr) {
        m_sound->MarkSoundsUnused();
    }
    RemoveAllProcesses();
    m_editor = nullptr;
    if (m_lua != nullptr && m_lua_state != 0) {
        m_lua->DeleteState(m_lua_state);
        m_lua_state = 0;
    }
}

GameObject* LevelEditorState::CreateRobot() {
    GameObject* robot = CreateObjectFromDefinition(kRobotEditorType);
    if (robot == nullptr) {
        return nullptr;
    }
    robot->name = "Robot";
    AdoptObject(robot);
    return robot;
}

bool LevelEditorState::SaveLevelScript(const std::string& path) {
    return level_script::Write(m_objects, path);
}

void LevelEditorState::HandleMessage(BaseMessage* msg, u32 fromId) {
    switch (msg->type) {
    case MSG_EDITOR_SAVE: {
        const std::string* path = msg->Payload<std::string>();
        if (path == nullptr) {
            break;
        }
        BaseMessage disable(MSG_EDITOR_DISABLE_PLACEMENT);
        SendMessage(&disable, HANDLER_LEVEL_EDITOR);
        Message<bool> reply(MSG_EDITOR_SAVE, SaveLevelScript(*path));
        SendMessage(&reply, fromId);
        break;
    }
    case MSG_EDITOR_LOAD: {
        const std::string* given = msg->Payload<std::string>();
        if (given == nullptr) {
            break;
        }
        BaseMessage disable(MSG_EDITOR_DISABLE_PLACEMENT);
        SendMessage(&disable, HANDLER_LEVEL_EDITOR);
        std::string path = *given;
        std::replace(path.begin(), path.end(), '\\', '/');
        sys::LogLine(path);
        LevelPath = path;
        Message<std::string> rebuild(MSG_GAME_SWITCH_STATE, std::string(kLevelEditorName));
        SendMessage(&rebuild, HANDLER_GAME);
        break;
    }
    case MSG_EDITOR_TEST: {
        BaseMessage disable(MSG_EDITOR_DISABLE_PLACEMENT);
        SendMessage(&disable, HANDLER_LEVEL_EDITOR);
        // A run on a copy that was never written would start on an old or missing file.
        if (!SaveLevelScript(TempPath(LevelPath))) {
            sys::Log() << "Test run not started: " << TempPath(LevelPath) << " was not written";
            break;
        }
        g_editor_test = true;
        Message<std::string> play(MSG_GAME_SWITCH_STATE, LevelPath);
        SendMessage(&play, HANDLER_GAME);
        break;
    }
    case MSG_COMPONENT_LIST:
        if (const std::string* type = msg->Payload<std::string>()) {
            Message<ComponentDefinitionList> reply(MSG_COMPONENT_LIST, GetComponentList(*type));
            SendMessage(&reply, fromId);
        }
        break;
    case MSG_UPDATE_COMPONENT:
        // The editor names which entry of the kind it changes.
        if (const auto* update = msg->Payload<std::pair<StreamMap, ComponentIndex>>()) {
            StreamMap read(update->first);
            read.BeginRead();
            std::string type;
            read.ReadString(type);
            UpdateComponentOfType(type, update->second.m_type, update->first,
                                  update->second.m_index);
            break;
        }
        [[fallthrough]];
    case MSG_ADD_COMPONENT:
        if (const StreamMap* payload = msg->Payload<StreamMap>()) {
            StreamMap read(*payload);
            read.BeginRead();
            std::string type;
            std::string componentName;
            read.ReadString(type);
            read.ReadString(componentName);
            const ComponentType ct = ComponentType::FromName(componentName);
            if (msg->type == MSG_UPDATE_COMPONENT) {
                UpdateComponentOfType(type, ct, *payload);
            } else {
                AddComponentToType(type, ct, *payload);
            }
        }
        break;
    case MSG_REMOVE_COMPONENT:
        if (const auto* which = msg->Payload<std::pair<std::string, ComponentIndex>>()) {
            RemoveComponentFromType(which->first, which->second.m_type, which->second.m_index);
        }
        break;
    case MSG_ADD_GAME_OBJECT:
        if (const auto* type =
                msg->Payload<std::pair<std::string, std::multimap<ComponentType, StreamMap>>>()) {
            AddObjectType(type->first, type->second);
        }
        break;
    case MSG_REMOVE_GAME_OBJECT:
        if (const std::string* type = msg->Payload<std::string>()) {
            RemoveObjectType(*type);
        }
        break;
    case MSG_SAVE_XML: {
        Message<GameObjectDefinitionMap> save(MSG_PARSER_SAVE_GAME_OBJECTS, m_definitions);
        SendMessage(&save, HANDLER_PARSER_PROCESS);
        break;
    }
    case MSG_RESET_XML: {
        BaseMessage reload(MSG_PARSER_GAME_OBJECTS);
        SendMessage(&reload, HANDLER_PARSER_PROCESS);
        ApplyDefinitions();
        break;
    }
    case MSG_PARSER_GAME_OBJECTS:
        if (GameObjectDefinitionMap* const* definitions =
                msg->Payload<GameObjectDefinitionMap*>()) {
            if (*definitions != nullptr) {
                SetDefinitions(**definitions);
            }
        }
        break;
    case MSG_GET_OBJECT_NAMES_WITH_TYPE:
        if (const ComponentType* ct = msg->Payload<ComponentType>()) {
            Message<std::vector<std::string>> reply(MSG_GET_OBJECT_NAMES_WITH_TYPE,
                                                    GetObjectNamesWithType(*ct));
            SendMessage(&reply, fromId);
        }
        break;
    default:
        GameState::HandleMessage(msg, fromId);
        break;
    }
}

// --- object types ---

ComponentDefinitionList LevelEditorState::GetComponentList(const std::string& type) const {
    const auto found = m_definitions.find(type);
    return found != m_definitions.end() ? found->second : ComponentDefinitionList{};
}

void LevelEditorState::UpdateComponentOfType(const std::string& type, ComponentType ct,
                                             const StreamMap& params) {
    const auto found = m_definitions.find(type);
    if (found == m_definitions.end()) {
        return;
    }
    const auto [first, last] = found->second.equal_range(ct);
    for (auto entry = first; entry != last; ++entry) {
        entry->second = params;
        entry->second.BeginRead();
        UpdateComponent(ct, &entry->second);
    }
}

void LevelEditorState::UpdateComponentOfType(const std::string& type, ComponentType ct,
                                             const StreamMap& params, u32 index) {
    const auto found = m_definitions.find(type);
    if (found == m_definitions.end()) {
        return;
    }
    const auto entry = NthOfKind(found->second, ct, index);
    if (entry == found->second.end()) {
        return;
    }
    entry->second = params;
    entry->second.BeginRead();
    UpdateComponent(ct, &entry->second);
}

void LevelEditorState::AddComponentToType(const std::string& type, ComponentType ct,
                                          const StreamMap& params) {
    const auto found = m_definitions.find(type);
    if (found == m_definitions.end()) {
        return;
    }
    found->second.emplace(ct, params);
    for (GameObject* object : m_objects) {
        if (object->name != type) {
            continue;
        }
        StreamMap copy(params);
        copy.BeginRead();
        if (Component* component = CreateComponent(ct, &copy)) {
            object->AddComponent(ct.value, component);
            component->Initialize();
        }
    }
}

void LevelEditorState::RemoveComponentFromType(const std::string& type, ComponentType ct,
                                               u32 index) {
    const auto found = m_definitions.find(type);
    if (found == m_definitions.end()) {
        return;
    }
    const auto entry = NthOfKind(found->second, ct, index);
    if (entry == found->second.end()) {
        return;
    }
    found->second.erase(entry);
    for (GameObject* object : m_objects) {
        if (object->name != type) {
            continue;
        }
        const auto components = object->components.find(ct.value);
        if (components == object->components.end() || index >= components->second.size()) {
            continue;
        }
        Component* component = components->second[index];
        // With destroy the object hands the component to its process.
        object->RemoveComponent(component, true);
    }
}

void LevelEditorState::AddObjectType(const std::string& name,
                                     const ComponentDefinitionList& components) {
    m_definitions[name] = components;
}

void LevelEditorState::RemoveObjectType(const std::string& name) {
    m_definitions.erase(name);
    sys::Log() << m_objects.size() << " " << name;
    std::vector<GameObject*> doomed;
    for (GameObject* object : m_objects) {
        if (object->name == name) {
            doomed.push_back(object);
        }
    }
    for (GameObject* object : doomed) {
        DeleteObject(object);
    }
    sys::Log() << m_objects.size();
}

std::vector<std::string> LevelEditorState::GetObjectNamesWithType(ComponentType ct) const {
    // The map's order, made stable so the answer does not depend on hashing.
    std::vector<std::string> names;
    for (const auto& [name, components] : m_definitions) {
        if (name != kDummyType && components.count(ct) != 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

void LevelEditorState::SetDefinitions(const GameObjectDefinitionMap& definitions) {
    if (&definitions != &m_definitions) {
        m_definitions = definitions;
    }
}

void LevelEditorState::ApplyDefinitions() {
    for (auto& [name, components] : m_definitions) {
        for (auto& [ct, stream] : components) {
            stream.BeginRead();
            if (GetComponentProcess(ct) != nullptr) {
                UpdateComponent(ct, &stream);
            }
        }
    }
}
