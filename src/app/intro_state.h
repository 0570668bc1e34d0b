#pragma once
// A full-screen screen of the intro sequence (the maker's logo, the team and physics logos,
// the game logo, the loading screen, the controls before a level, lose, win and the
// credits), each numbered with the next screen-state id.

#include "app/game_state.h"

class IntroState : public GameState {
  public:
    IntroState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
               InputControls* input, LuaHandler* lua, ParserProcess* parser, MessageRouter* parent);

    void Initialize() override;
    void Update(float dt) override;
    void Exit() override;

    // The renderer's 3D setting while the screen shows, put back when it ends.
    u32 m_three_dee = 0;
};
