#include "app/intro_state.h"

IntroState::IntroState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
                       InputControls* input, LuaHandler* lua, ParserProcess* parser,
                       MessageRouter* parent)
    : GameState(name, graphics, sound, input, lua, parser, parent) {
    SetStateId(TakeScreenStateId());
}

void IntroState::Initialize() {
    m_initialized = true;
}

void IntroState::Update(float dt) {
    UpdateAllProcesses(dt);
}

void IntroState::Exit() {
    DestroyObjects();
    RemoveAllProcesses();
}
