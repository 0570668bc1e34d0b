#pragma once
// A full-screen screen of the intro sequence (the maker's logo, the team and physics logos,
// the game logo, the loading screen, the controls before a level, lose, win and the
// credits), each numbered with the next screen-state id. Every screen queues the switch to
// the next one when it starts, so the sequence runs without input, and meanwhile the menu's
// scene and then the chosen level load in the background.

#include <array>
#include <memory>

#include "game/game_state.h"

class GraphicsPreloader;

class IntroState : public GameState {
  public:
    static constexpr const char* kLoadingScreen = "Loading Screen";
    static constexpr const char* kCredits = "Credits";
    // The object types a screen shows; unused places stay null.
    using ObjectList = std::array<const char*, 3>;

    IntroState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
               InputControls* input, LuaHandler* lua, ParserProcess* parser, MessageRouter* parent);
    // The loader threads go before the renderer view they load through.
    ~IntroState() override;

    void Initialize() override;
    // The loading screen leaves for the menu once the menu's scene is loaded.
    void Update(float dt) override;
    void Exit() override;

    // The renderer's 3D setting while the screen shows, put back when it ends.
    u32 m_three_dee = 0;

  private:
    void StartLoaders();
    // The screen's objects and the switch to the next screen.
    void BuildScreen();
    void SwitchTo(const std::string& name, float delay);
    void CreateObjects(const ObjectList& typeNames);

    std::unique_ptr<GraphicsPreloader> m_preloader;
    // The loading screen asks for the menu once.
    bool m_menu_requested = false;
};
