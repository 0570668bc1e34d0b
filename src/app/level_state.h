#pragma once
// The state of play: a level, the endless mode or the tutorial, named by its Lua script path.
// It is handler 6 at its own router. It adds the level's processes, builds the composite
// objects (the robot, the mothership, towers of blocks) through the builders of their subsystems,
// loads the level in the background behind the film leader and starts play once both the loading
// and the film leader are over, whichever ends last.

#include <memory>

#include "core/asset_paths.h"
#include "game/game_state.h"

class AnimationProcess;
class GameLogicProcess;
class GraphicsPreloader;
class LevelBuildingServices;

class LevelState : public GameState {
  public:
    static constexpr const char* kFilmLeaderVideo = asset_path::kFilmLeaderVideo;
    static constexpr const char* kFilmLeaderSound = asset_path::kFilmLeaderSound;
    static constexpr int kResourceLoaderPriority = 2;
    static constexpr int kStateLoaderPriority = 15;

    // During the level editor's test run the "_temp" copy of the script is played.
    LevelState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
               InputControls* input, LuaHandler* lua, ParserProcess* parser, MessageRouter* parent);
    // The loader threads go before the renderer view they load through.
    ~LevelState() override;

    void Initialize() override;
    // While loading only the loaders run; after it the level's processes.
    void Update(float dt) override;
    void Exit() override;
    // MSG_LEVEL_FILM_LEAD_STARTED pauses the level's processes, MSG_LEVEL_FILM_LEAD_ENDED
    // resumes them and starts play when loading is over.
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    bool IsEndless() const { return m_endless; }
    bool IsTutorial() const { return m_tutorial; }
    bool IsFilmLeaderPlaying() const { return m_film_leader; }

    // The renderer's 3D setting before the level, put back when play starts.
    u32 m_three_dee = 0;
    bool m_film_leader = false;

  private:
    void AddProcesses();
    void MapComponents();
    void StartLoading();
    void PlayFilmLeader();
    void StartPlay();
    void SendComponentUpdate(u32 type);
    // Stops the loaders, tells the game logic the level is going, then deletes the objects.
    void DestroyLevelObjects();

    std::unique_ptr<GraphicsPreloader> m_preloader;
    // Installed for the buildings while the level lives.
    std::unique_ptr<LevelBuildingServices> m_building_services;
    AnimationProcess* m_animation = nullptr;
    GameLogicProcess* m_game_logic = nullptr;
    bool m_endless = false;
    bool m_tutorial = false;
};
