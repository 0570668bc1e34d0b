#pragma once
// The state of the level editor (handler 7). It loads the level named by the level path for
// editing, runs the editor process (handler 8) and a physics process beside the Game's
// renderer, and answers the editor's requests: saving the level as a script, loading
// another level, test-running it, and editing object types in its copy of the definitions.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "content/game_object_definition_map.h"
#include "game/game_state.h"

class LevelEditor;

namespace editor {
class EditorScene;
class FileDialogService;
class DialogService;
class LevelFileDialogs;
class PanelFocus;
} // namespace editor

namespace gui {
class ImGuiPanel;
} // namespace gui

class LevelEditorState : public GameState {
  public:
    static constexpr const char* kRobotEditorType = "RobotEditor";
    static constexpr const char* kDummyType = "DUMMY";

    LevelEditorState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
                     InputControls* input, LuaHandler* lua, ParserProcess* parser,
                     MessageRouter* parent);
    ~LevelEditorState() override;

    // Before Initialize: the scene the editor works on (without one it works on the Game's
    // renderer) and the file dialogs of the editor's load and save commands.
    void UseScene(std::unique_ptr<editor::EditorScene> scene);
    static void SetFileDialogs(editor::FileDialogService* dialogs);

    void Initialize() override;
    void Update(float dt) override;
    void Exit() override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    // The creator of "Robot": the robot's look alone, named "Robot" so saved levels name it.
    GameObject* CreateRobot();
    // Writes every object as a level script; false when the file could not be written.
    bool SaveLevelScript(const std::string& path);

    // Object-type editing on the state's definitions.
    ComponentDefinitionList GetComponentList(const std::string& type) const;
    void UpdateComponentOfType(const std::string& type, ComponentType ct, const StreamMap& params);
    // Only the index-th definition of the kind (0 for the first).
    void UpdateComponentOfType(const std::string& type, ComponentType ct, const StreamMap& params,
                               u32 index);
    void AddComponentToType(const std::string& type, ComponentType ct, const StreamMap& params);
    void RemoveComponentFromType(const std::string& type, ComponentType ct, u32 index);
    void AddObjectType(const std::string& name, const ComponentDefinitionList& components);
    void RemoveObjectType(const std::string& name);
    std::vector<std::string> GetObjectNamesWithType(ComponentType ct) const;
    void SetDefinitions(const GameObjectDefinitionMap& definitions);
    void ApplyDefinitions();

    // The path with "_temp" before its first ".lua" (unchanged without one).
    static std::string TempPath(const std::string& path);

    LevelEditor* Editor() const { return m_editor; }
    // The panel beside the game view, while the editor runs in a window; null in tests.
    gui::ImGuiPanel* Panel() const { return m_panel.get(); }

  private:
    // The window grows by the panel's width while the editor runs and shrinks back after.
    void OpenToolWindow();
    void CloseToolWindow();

    std::unique_ptr<editor::EditorScene> m_scene;
    std::unique_ptr<gui::ImGuiPanel> m_panel;
    std::unique_ptr<editor::DialogService> m_dialog_service;
    std::unique_ptr<editor::LevelFileDialogs> m_file_dialogs;
    std::unique_ptr<editor::PanelFocus> m_panel_focus;
    i32 m_view_width = 0;
    i32 m_view_height = 0;
    LevelEditor* m_editor = nullptr;
};
