#include "app/menu_state.h"

MenuState::MenuState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
                     InputControls* input, LuaHandler* lua, ParserProcess* parser,
                     MessageRouter* parent)
    : GameState(name, graphics, sound, input, lua, parser, parent) {
    SetStateId(TakeScreenStateId());
}

void MenuState::Initialize() {
    m_initialized = true;
}

void MenuState::Update(float dt) {
    UpdateAllProcesses(dt);
}

void MenuState::Exit() {
    DestroyObjects();
    RemoveAllProcesses();
}
