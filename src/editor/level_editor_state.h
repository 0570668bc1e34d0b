#pragma once
// The state of the level editor (handler 7). For now it holds the editor's place in the
// state switching: the editor itself, its tool windows and its objects come with it later.

#include "game/game_state.h"

class LevelEditorState : public GameState {
  public:
    LevelEditorState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
                     InputControls* input, LuaHandler* lua, ParserProcess* parser,
                     MessageRouter* parent);

    void Initialize() override;
    void Update(float dt) override;
    void Exit() override;
};
