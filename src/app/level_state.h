#pragma once
// The state of play: a level, the endless mode or the tutorial, named by its Lua script path.
// It is handler 6 at its own router.

#include "app/game_state.h"

class LevelState : public GameState {
  public:
    // During the level editor's test run the "_temp" copy of the script is played.
    LevelState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
               InputControls* input, LuaHandler* lua, ParserProcess* parser, MessageRouter* parent);

    void Initialize() override;
    void Update(float dt) override;
    void Exit() override;

    // The renderer's 3D setting before the level, put back when play starts.
    u32 m_three_dee = 0;
    bool m_film_leader = false;
};
