#include "app/level_state.h"

#include "app/shell_globals.h"

namespace {

std::string PlayedScript(const std::string& name) {
    const std::string::size_type extension = name.find(".lua");
    if (!g_editor_test || extension == std::string::npos) {
        return name;
    }
    return name.substr(0, extension) + "_temp" + name.substr(extension);
}

} // namespace

LevelState::LevelState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
                       InputControls* input, LuaHandler* lua, ParserProcess* parser,
                       MessageRouter* parent)
    : GameState(PlayedScript(name), graphics, sound, input, lua, parser, parent) {
    SetStateId(HANDLER_LEVEL_STATE);
}

void LevelState::Initialize() {
    m_initialized = true;
}

void LevelState::Update(float dt) {
    if (m_loading) {
        m_threaded_process_manager.Update(dt);
    } else {
        m_process_manager.Update(dt);
    }
}

void LevelState::Exit() {
    DestroyObjects();
    RemoveAllProcesses();
}
