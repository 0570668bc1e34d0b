#pragma once
// The main menu: the menu screens over a live scene built by the menu level's script, with
// the intro-screen video and the menu music, while the chosen level loads in the background.

#include <memory>

#include "core/asset_paths.h"
#include "game/game_state.h"

class GraphicsPreloader;
class SoundInstance;

class MenuState : public GameState {
  public:
    static constexpr const char* kIntroVideo = asset_path::kIntroVideo;
    static constexpr const char* kMusic = asset_path::kMenuMusic;

    MenuState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
              InputControls* input, LuaHandler* lua, ParserProcess* parser, MessageRouter* parent);
    // The loader thread goes before the renderer view it loads through.
    ~MenuState() override;

    void Initialize() override;
    void Update(float dt) override;
    void Exit() override;
    // MSG_SOUND_INSTANCE: the sound process's answer to the request for the music.
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    // The menu music; the sound process owns it.
    SoundInstance* m_music = nullptr;

  private:
    void SendCamera();
    void StartMusic();

    std::unique_ptr<GraphicsPreloader> m_preloader;
};
