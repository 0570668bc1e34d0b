#include "app/intro_state.h"

IntroState::IntroState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
                       InputControls* input, LuaHandler* lua, ParserProcess* parser,
                       MessageRouter* parent)
    : GameState(name, graphics, sound, input, lua, parser, parent) {
    SetStateId(TakeScreenStateId());
}

void IntroState::Initialize() { m_initialized = true; }

void IntroState::Update(float dt) {
    m_process_manager.Update(dt);
    m_threaded_process_manager.Update(dt);
}

void IntroState::Exit() {
    DestroyObjects();
    RemoveAllProcesses();
}
