#include "editor/level_editor_state.h"

LevelEditorState::LevelEditorState(const std::string& name, GraphicsProcess* graphics,
                                   SoundProcess* sound, InputControls* input, LuaHandler* lua,
                                   ParserProcess* parser, MessageRouter* parent)
    : GameState(name, graphics, sound, input, lua, parser, parent) {
    SetStateId(HANDLER_LEVEL_EDITOR_STATE);
}

void LevelEditorState::Initialize() {
    m_initialized = true;
}

void LevelEditorState::Update(float dt) {
    m_process_manager.Update(dt);
}

void LevelEditorState::Exit() {
    DestroyObjects();
    RemoveAllProcesses();
}
