#pragma once
// The main menu: the menu screens over a live scene built by the menu level's script, with
// the intro-screen video and the menu music, while the chosen level loads in the background.

#include "app/game_state.h"

class SoundInstance;

class MenuState : public GameState {
  public:
    MenuState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
              InputControls* input, LuaHandler* lua, ParserProcess* parser, MessageRouter* parent);

    void Initialize() override;
    void Update(float dt) override;
    void Exit() override;

    // The menu music; the sound process owns it.
    SoundInstance* m_music = nullptr;
};
