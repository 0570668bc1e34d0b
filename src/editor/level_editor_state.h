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
} // namespace editor

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

  private:
    std::unique_ptr<editor::EditorScene> m_scene;
    LevelEditor* m_editor = nullptr;
};
